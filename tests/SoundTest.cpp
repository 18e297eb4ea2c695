// The game's sound: which sounds a frame's events call for, and what OpenAL Soft's wave-file
// output writes for them, read back and measured. No window; each case runs in a process of its
// own (the library reads its configuration once).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestGame.h"
#include "session/GameState.h"
#include "sound/Sound.h"
#include "vehicle/Car.h"

namespace {

constexpr int kHit = 1, kWater = 2, kRepairing = 3;
constexpr int kRate = 22050;  // the wave output's samples a second, as configured below

FrameFacts facts(int contactKind, float damage, float damageStatus, float revNeedle)
{
    FrameFacts f;
    f.contactKind = contactKind;
    f.damage = damage;
    f.damageStatus = damageStatus;
    f.revNeedle = revNeedle;
    return f;
}

// Points the library at a configuration that writes 16-bit mono at 22050 Hz into a wave file in
// a folder of this process's own; returns the file's path.
std::string useWaveOutput(const char* drivers = "wave")
{
    const std::string folder = std::string(TARVELO_TEST_OUT) + "/sound-" + std::to_string(getpid());
    mkdir(folder.c_str(), 0755);
    const std::string wave = folder + "/out.wav";
    std::ofstream(folder + "/alsoft.conf")
        << "[general]\ndrivers = " << drivers
        << "\nchannels = mono\nsample-type = int16\nfrequency = " << kRate
        << "\n[wave]\nfile = " << wave << "\n";
    setenv("ALSOFT_CONF", (folder + "/alsoft.conf").c_str(), 1);
    return wave;
}

// The samples of a wave file's data chunk.
std::vector<int16_t> readWave(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = 0;
        std::memcpy(&size, &bytes[at + 4], 4);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const size_t end = std::min(bytes.size(), at + 8 + size);
            samples.resize((end - at - 8) / 2);
            std::memcpy(samples.data(), &bytes[at + 8], samples.size() * 2);
            break;
        }
        at += 8 + size + (size & 1u);
    }
    return samples;
}

void hold(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

double crossingsPerSample(const std::vector<int16_t>& s, size_t from, size_t to)
{
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0) ? 1 : 0;
    return static_cast<double>(crossings) / static_cast<double>(to - from);
}

double meanSquare(const std::vector<int16_t>& s, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return sum / static_cast<double>(to - from);
}

// `frames` frames of sound with these facts, at the game's 60 a second.
void playFrames(const FrameFacts& frame, int frames)
{
    for (int i = 0; i < frames; ++i) {
        soundFrame(frame);
        hold(16);
    }
}

// The samples the wave output has written so far: it writes them as the device plays, so every
// sample counted here was mixed before now.
size_t samplesWritten(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t data = bytes.find("data");
    return data == std::string::npos || bytes.size() < data + 8 ? 0 : (bytes.size() - data - 8) / 2;
}

// Frames with these facts until the wave output holds `samples` samples, however slowly a busy
// machine plays them (a minute of frames at most, should the output stop).
void playUntilWritten(const FrameFacts& frame, const std::string& wave, size_t samples)
{
    for (int i = 0; samplesWritten(wave) < samples; ++i) {
        ASSERT_LT(i, 3600) << "the wave output stopped at " << samplesWritten(wave) << " samples";
        soundFrame(frame);
        hold(16);
    }
}

// The wave output writes what it has mixed in blocks: a sample mixed before an event may reach
// the file up to this long after it.
constexpr size_t kWriteLag = kRate / 4;

// The facts of a game's first frame: the car at its start, the engine at idle.
FrameFacts startingFacts()
{
    GameState game;
    testgame::frame(game);
    return frameFactsOf(game);
}

}  // namespace

TEST(SoundCues, EngineFollowsTheRevNeedleAndStopsWithTheWreck)
{
    const FrameFacts before = facts(0, 0.0f, 14.0f, 0.0f);
    const SoundCues idle = soundCuesOf(before, facts(0, 0.0f, 14.0f, 0.0f));
    const SoundCues top = soundCuesOf(before, facts(0, 0.0f, 14.0f, 90.0f));
    const SoundCues beyond = soundCuesOf(before, facts(0, 0.0f, 14.0f, 120.0f));
    EXPECT_TRUE(idle.engine);
    EXPECT_EQ(idle.enginePitch, 1.0f);
    EXPECT_EQ(idle.engineGain, 0.15f);
    EXPECT_EQ(top.enginePitch, 3.4f);
    EXPECT_EQ(top.engineGain, 0.35f);
    EXPECT_EQ(beyond.enginePitch, 3.4f);  // the needle's stop is the engine's top

    const SoundCues destroyed = soundCuesOf(before, facts(kHit, 5.0f, 0.0f, 0.0f));
    EXPECT_FALSE(destroyed.engine);
    EXPECT_TRUE(destroyed.explosion);
    const SoundCues burning = soundCuesOf(facts(0, 0.0f, 0.0f, 0.0f), facts(0, 0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(burning.explosion) << "the explosion starts once, when the car is destroyed";
    EXPECT_FALSE(burning.engine);
}

TEST(SoundCues, CrashesByTheirDamageSplashesOnEnteringTheRiverChimesWhileRepairing)
{
    const FrameFacts driving = facts(0, 0.0f, 14.0f, 30.0f);
    const SoundCues light = soundCuesOf(driving, facts(kHit, 0.85f, 13.0f, 0.0f));
    const SoundCues hard = soundCuesOf(driving, facts(kHit, 8.5f, 5.0f, 0.0f));
    EXPECT_TRUE(light.crash);
    EXPECT_FLOAT_EQ(light.crashGain, 0.4f + 0.6f * 0.2f);
    EXPECT_EQ(hard.crashGain, 1.0f);
    EXPECT_FALSE(soundCuesOf(driving, facts(kHit, 0.0f, 14.0f, 0.0f)).crash)
        << "a railing's push costs nothing and makes no crash";

    const FrameFacts inRiver = facts(kWater, 0.0f, 14.0f, 10.0f);
    EXPECT_TRUE(soundCuesOf(driving, inRiver).splash);
    EXPECT_FALSE(soundCuesOf(inRiver, inRiver).splash) << "one splash for each entry";

    EXPECT_TRUE(soundCuesOf(driving, facts(kRepairing, -0.75f, 10.0f, 0.0f)).chime);
    EXPECT_FALSE(soundCuesOf(driving, facts(0, 0.0f, 14.0f, 0.0f)).chime);
}

// The frame clears the car's damage once its gauge has applied it; the sounds hear it all the same.
TEST(SoundCues, APlayedFramesFactsCarryTheDamageItAppliedAndTheRevNeedle)
{
    GameState game;
    testgame::frame(game);
    const FrameFacts before = frameFactsOf(game);
    game.playerCar.setContactKind(kHit);
    game.playerCar.setDamage(0.85f);
    game.playerCar.setSpeed(0.25f, 0.25f);  // half of first gear's speed
    testgame::frame(game);
    const FrameFacts now = frameFactsOf(game);
    EXPECT_EQ(game.playerCar.getDamage(), 0.0f);
    EXPECT_EQ(now.damage, 0.85f);
    EXPECT_FLOAT_EQ(now.damageStatus, 13.15f);
    EXPECT_EQ(now.contactKind, kHit);
    EXPECT_EQ(now.revNeedle, 50.0f);
    EXPECT_TRUE(soundCuesOf(before, now).crash);
}

TEST(Sound, DrivingRaisesTheEnginesPitchInTheWrittenSamples)
{
    const std::string wave = useWaveOutput();
    ASSERT_TRUE(startSound(SoundSettings{}));
    FrameFacts frame = startingFacts();
    playFrames(frame, 1);
    const size_t engineFrom = samplesWritten(wave) + kWriteLag;  // after the device's silence
    playUntilWritten(frame, wave, engineFrom + kRate / 2);       // idle, half a second
    const size_t change = samplesWritten(wave);                  // all mixed at idle
    frame.revNeedle = 90.0f;
    playUntilWritten(frame, wave, change + kWriteLag + kRate);  // the needle at its stop
    stopSound();
    const std::vector<int16_t> s = readWave(wave);
    ASSERT_GE(s.size(), change + kWriteLag + kRate);
    // Away from the change and the device's start and end: the engine before the change, the
    // needle at its stop well after it.
    const double low = crossingsPerSample(s, engineFrom, change);
    const double high = crossingsPerSample(s, s.size() - kRate * 7 / 10, s.size() - kRate / 10);
    EXPECT_GT(low, 0.0);
    EXPECT_GT(high, 2.5 * low) << "idle " << low << ", full revs " << high;
}

TEST(Sound, ACrashIsABurstOfEnergyAndMutingIsSilence)
{
    const std::string wave = useWaveOutput();
    ASSERT_TRUE(startSound(SoundSettings{}));
    const FrameFacts idle = startingFacts();
    playUntilWritten(idle, wave, kRate);  // the engine at idle, a second
    FrameFacts hit = idle;
    hit.contactKind = kHit;
    hit.damage = 4.25f;
    const size_t hitSample = samplesWritten(wave);  // all mixed before the hit
    playFrames(hit, 1);
    playUntilWritten(idle, wave, hitSample + kWriteLag + kRate / 2);
    setSoundMuted(true);
    EXPECT_TRUE(soundMuted());
    hit.revNeedle = 60.0f;
    const size_t mutedFrom = samplesWritten(wave);
    // Neither the engine nor another crash is heard.
    playUntilWritten(hit, wave, mutedFrom + kWriteLag + kRate / 2);
    stopSound();

    const std::vector<int16_t> s = readWave(wave);
    ASSERT_GE(s.size(), mutedFrom + kWriteLag + kRate / 2);
    const double before = meanSquare(s, hitSample - kRate * 3 / 10, hitSample - kRate / 20);
    // The crash starts within the write's lag of the hit's sample.
    const double after = meanSquare(s, hitSample, hitSample + kWriteLag + kRate / 4);
    EXPECT_GT(before, 0.0) << "the engine at idle";
    EXPECT_GT(after, 4.0 * before) << "engine alone " << before << ", with the crash " << after;
    EXPECT_LT(meanSquare(s, s.size() - kRate / 5, s.size()), 10.0)
        << "muted: the device's dither at most";
}

TEST(Sound, NoLibraryOrNoDevicePlaysSilentlyAfterOneLine)
{
    for (const bool library : {false, true}) {
        SCOPED_TRACE(library ? "no device" : "no library");
        useWaveOutput("no-such-driver");
        SoundSettings settings;
        if (!library)
            settings.library = "libtarvelo-no-such-sound.so";
        testing::internal::CaptureStderr();
        EXPECT_FALSE(startSound(settings));
        soundFrame(facts(0, 0.0f, 14.0f, 45.0f));  // does nothing, and does not fail
        setSoundMuted(true);
        setSoundPaused(true);
        stopSound();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("tarvelo: no sound (", 0), 0u) << err;
        EXPECT_NE(err.find("); the game plays silently\n"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(soundMuted());
    }
}
