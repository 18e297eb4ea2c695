// Sound through OpenAL Soft. The library is opened at run time, so that the game also runs, and
// plays silently, where it is missing; nothing is queued ahead, each sound starts in the frame of
// its event.
#include "sound/Sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Program.h"
#include "sound/SoundSynth.h"
#include "vehicle/Car.h"

namespace {

// The library's functions the game uses, looked up by name.
struct OpenAl {
    void* library = nullptr;
    ALCdevice* (*alcOpenDevice)(const ALCchar*);
    ALCboolean (*alcCloseDevice)(ALCdevice*);
    ALCcontext* (*alcCreateContext)(ALCdevice*, const ALCint*);
    ALCboolean (*alcMakeContextCurrent)(ALCcontext*);
    void (*alcDestroyContext)(ALCcontext*);
    void (*alGenBuffers)(ALsizei, ALuint*);
    void (*alDeleteBuffers)(ALsizei, const ALuint*);
    void (*alBufferData)(ALuint, ALenum, const ALvoid*, ALsizei, ALsizei);
    void (*alGenSources)(ALsizei, ALuint*);
    void (*alDeleteSources)(ALsizei, const ALuint*);
    void (*alSourcei)(ALuint, ALenum, ALint);
    void (*alSourcef)(ALuint, ALenum, ALfloat);
    void (*alGetSourcei)(ALuint, ALenum, ALint*);
    void (*alSourcePlay)(ALuint);
    void (*alSourceStop)(ALuint);
    void (*alSourcePause)(ALuint);
    void (*alListenerf)(ALenum, ALfloat);
};

enum Voice { kEngine, kCrash, kSplash, kExplosion, kChime, kVoices };

struct Playing {
    OpenAl al;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    ALuint buffers[kVoices] = {};
    ALuint sources[kVoices] = {};
    bool muted = false;
    bool paused = false;
    FrameFacts lastFrame;
};

Playing* sound = nullptr;  // null while the game plays silently

constexpr float kEnginePitchIdle = 1.0f, kEnginePitchTop = 3.4f;
constexpr float kEngineGainIdle = 0.15f, kEngineGainTop = 0.35f;
constexpr float kNeedleTop = 90.0f;   // the rev meter's full scale, degrees
constexpr float kLoudestHit = 4.25f;  // damage of a hit that crashes at full loudness

template <typename Function>
bool lookUp(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

#ifdef __EMSCRIPTEN__
// The browser build links its OpenAL, which plays through the page's Web Audio (from the first
// key or click: browsers hold sound back until then).
bool loadLibrary(OpenAl& al, const char* /*name*/, std::string& /*why*/)
{
    al = {
        nullptr,           alcOpenDevice, alcCloseDevice,  alcCreateContext, alcMakeContextCurrent,
        alcDestroyContext, alGenBuffers,  alDeleteBuffers, alBufferData,     alGenSources,
        alDeleteSources,   alSourcei,     alSourcef,       alGetSourcei,     alSourcePlay,
        alSourceStop,      alSourcePause, alListenerf};
    return true;
}
#else
bool loadLibrary(OpenAl& al, const char* name, std::string& why)
{
    al.library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!al.library) {
        why = std::string(name) + " cannot be loaded";
        return false;
    }
    void* l = al.library;
    const bool all =
        lookUp(l, "alcOpenDevice", al.alcOpenDevice) &&
        lookUp(l, "alcCloseDevice", al.alcCloseDevice) &&
        lookUp(l, "alcCreateContext", al.alcCreateContext) &&
        lookUp(l, "alcMakeContextCurrent", al.alcMakeContextCurrent) &&
        lookUp(l, "alcDestroyContext", al.alcDestroyContext) &&
        lookUp(l, "alGenBuffers", al.alGenBuffers) &&
        lookUp(l, "alDeleteBuffers", al.alDeleteBuffers) &&
        lookUp(l, "alBufferData", al.alBufferData) && lookUp(l, "alGenSources", al.alGenSources) &&
        lookUp(l, "alDeleteSources", al.alDeleteSources) && lookUp(l, "alSourcei", al.alSourcei) &&
        lookUp(l, "alSourcef", al.alSourcef) && lookUp(l, "alGetSourcei", al.alGetSourcei) &&
        lookUp(l, "alSourcePlay", al.alSourcePlay) && lookUp(l, "alSourceStop", al.alSourceStop) &&
        lookUp(l, "alSourcePause", al.alSourcePause) && lookUp(l, "alListenerf", al.alListenerf);
    if (!all) {
        why = std::string(name) + " lacks the functions the game uses";
        dlclose(al.library);
        al.library = nullptr;
    }
    return all;
}
#endif

void fill(Playing& p, Voice voice, const Samples& samples, bool looping)
{
    p.al.alBufferData(p.buffers[voice], AL_FORMAT_MONO16, samples.data(),
                      static_cast<ALsizei>(samples.size() * sizeof(int16_t)), kSoundRate);
    p.al.alSourcei(p.sources[voice], AL_BUFFER, static_cast<ALint>(p.buffers[voice]));
    p.al.alSourcei(p.sources[voice], AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
}

bool playing(const Playing& p, Voice voice)
{
    ALint state = AL_STOPPED;
    p.al.alGetSourcei(p.sources[voice], AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || state == AL_PAUSED;
}

// From the start: a sound that is playing starts again.
void startVoice(Playing& p, Voice voice, float gain)
{
    p.al.alSourcef(p.sources[voice], AL_GAIN, gain);
    p.al.alSourcePlay(p.sources[voice]);
}

// A looping voice kept on, or off.
void keepVoice(Playing& p, Voice voice, bool on)
{
    if (on && !playing(p, voice))
        p.al.alSourcePlay(p.sources[voice]);
    else if (!on && playing(p, voice))
        p.al.alSourceStop(p.sources[voice]);
}

}  // namespace

SoundCues soundCuesOf(const FrameFacts& before, const FrameFacts& now)
{
    SoundCues cues;
    const bool intact = now.damageStatus != 0.0f;
    cues.engine = intact;
    const float reading = std::clamp(now.revNeedle / kNeedleTop, 0.0f, 1.0f);
    cues.enginePitch = kEnginePitchIdle + (kEnginePitchTop - kEnginePitchIdle) * reading;
    cues.engineGain = kEngineGainIdle + (kEngineGainTop - kEngineGainIdle) * reading;
    cues.crash = now.contactKind == kHitContact && now.damage > 0.0f;
    cues.crashGain = cues.crash ? 0.4f + 0.6f * std::min(now.damage / kLoudestHit, 1.0f) : 0.0f;
    cues.splash = intact && now.contactKind == kWaterContact && before.contactKind != kWaterContact;
    cues.explosion = !intact && before.damageStatus != 0.0f;
    cues.chime = intact && now.contactKind == kRepairContact;
    return cues;
}

bool startSound(const SoundSettings& settings)
{
    if (sound)
        return true;
    auto p = new Playing;
    std::string why;
    // Looking for a device, the library and the sound system under it write complaints of their
    // own on stderr (a dozen lines where there is no sound card); the game's one line says it.
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedStderr >= 0 && nothing >= 0)
        dup2(nothing, STDERR_FILENO);
    if (nothing >= 0)
        close(nothing);
    if (loadLibrary(p->al, settings.library, why)) {
        p->device = p->al.alcOpenDevice(nullptr);
        if (!p->device)
            why = "no sound device";
        else if (!(p->context = p->al.alcCreateContext(p->device, nullptr)) ||
                 !p->al.alcMakeContextCurrent(p->context))
            why = "the sound device cannot be used";
    }
    std::fflush(stderr);
    if (savedStderr >= 0) {
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);
    }
    if (!why.empty()) {
        say("no sound (" + why + "); the game plays silently");
        if (p->context)
            p->al.alcDestroyContext(p->context);
        if (p->device)
            p->al.alcCloseDevice(p->device);
        if (p->al.library)
            dlclose(p->al.library);
        delete p;
        return false;
    }
    p->al.alGenBuffers(kVoices, p->buffers);
    p->al.alGenSources(kVoices, p->sources);
    fill(*p, kEngine, synthEngine(), true);
    fill(*p, kCrash, synthCrash(), false);
    fill(*p, kSplash, synthSplash(), false);
    fill(*p, kExplosion, synthExplosion(), false);
    fill(*p, kChime, synthChime(), true);
    p->al.alSourcef(p->sources[kChime], AL_GAIN, 0.5f);
    sound = p;
    setSoundMuted(settings.muted);
    return true;
}

void soundFrame(const FrameFacts& frame)
{
    if (!sound || sound->paused)
        return;
    Playing& p = *sound;
    const FrameFacts& now = frame;
    const SoundCues cues = soundCuesOf(p.lastFrame, now);
    p.lastFrame = now;
    if (cues.engine) {
        p.al.alSourcef(p.sources[kEngine], AL_PITCH, cues.enginePitch);
        p.al.alSourcef(p.sources[kEngine], AL_GAIN, cues.engineGain);
    }
    keepVoice(p, kEngine, cues.engine);
    keepVoice(p, kChime, cues.chime);
    if (cues.crash)
        startVoice(p, kCrash, cues.crashGain);
    if (cues.splash)
        startVoice(p, kSplash, 0.6f);
    if (cues.explosion)
        startVoice(p, kExplosion, 1.0f);
}

void setSoundMuted(bool muted)
{
    if (!sound)
        return;
    sound->muted = muted;
    sound->al.alListenerf(AL_GAIN, muted ? 0.0f : 1.0f);
}

bool soundMuted()
{
    return sound && sound->muted;
}

void setSoundPaused(bool paused)
{
    if (!sound || sound->paused == paused)
        return;
    Playing& p = *sound;
    p.paused = paused;
    for (int voice = 0; voice < kVoices; ++voice) {
        ALint state = AL_STOPPED;
        p.al.alGetSourcei(p.sources[voice], AL_SOURCE_STATE, &state);
        if (paused && state == AL_PLAYING)
            p.al.alSourcePause(p.sources[voice]);
        else if (!paused && state == AL_PAUSED)
            p.al.alSourcePlay(p.sources[voice]);
    }
}

void soundNewGame()
{
    if (!sound)
        return;
    sound->lastFrame = FrameFacts{};
    for (const Voice voice : {kCrash, kSplash, kExplosion})
        sound->al.alSourceStop(sound->sources[voice]);
}

void stopSound()
{
    if (!sound)
        return;
    Playing& p = *sound;
    for (int voice = 0; voice < kVoices; ++voice)
        p.al.alSourceStop(p.sources[voice]);
    p.al.alDeleteSources(kVoices, p.sources);
    p.al.alDeleteBuffers(kVoices, p.buffers);
    p.al.alcMakeContextCurrent(nullptr);
    p.al.alcDestroyContext(p.context);
    p.al.alcCloseDevice(p.device);
    dlclose(p.al.library);
    delete sound;
    sound = nullptr;
}
