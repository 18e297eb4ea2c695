// Sound through OpenAL Soft, loaded when the game starts: the engine, crashes, splashes, the
// explosion and the repair chime, following the frames. Without the library or a sound device
// the game plays silently after one line on stderr.
#pragma once

#include "vehicle/Car.h"

struct SoundSettings {
    bool muted = false;
    const char* library = "libopenal.so.1";
};

// What the sounds are made from, read after a frame's world update and dashboard.
struct FrameFacts {
    int contactKind = kNoContact;           // as the world update left it
    float damage = 0.0f;                    // this frame's damage, before it is cleared
    float damageStatus = kIntactCondition;  // the car's condition; 0 for a wreck
    float revNeedle = 0.0f;                 // the rev meter's needle, degrees (0..90)
};

// What sounds in one frame.
struct SoundCues {
    bool engine = false;  // the engine runs while the car is intact
    float enginePitch = 1.0f;
    float engineGain = 0.0f;
    bool crash = false;  // a hit that cost damage
    float crashGain = 0.0f;
    bool splash = false;     // the car has just entered the river
    bool explosion = false;  // the car has just been destroyed
    bool chime = false;      // the repair patch is repairing
};

SoundCues soundCuesOf(const FrameFacts& before, const FrameFacts& now);

bool startSound(const SoundSettings& settings);  // false: the game plays silently
void soundFrame(const FrameFacts& frame);        // once a frame of play, after its rules
void setSoundMuted(bool muted);
bool soundMuted();
void setSoundPaused(bool paused);  // the game paused or its window hidden
void soundNewGame();               // a fresh car: nothing of the wreck's sounds carries over
void stopSound();                  // sources, buffers, context and device let go
