// The game's state: everything a drive changes, in one object that the game passes by reference.
// Window, screen and device facts stay out of it.
#pragma once

#include <cstdint>

#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "effects/Random.h"
#include "sound/Sound.h"
#include "vehicle/Car.h"
#include "world/Course.h"
#include "world/World.h"

enum class PauseState {
    Playing,
    Pausing,  // asked for: the next frame is played, and the game stands still after it
    Paused,   // nothing of the game runs: no motion step, no rules, no random number
};

// What the last frame played shows beyond the state itself, and what it did: its rules keep it
// for the drawing and the sounds, so that neither has to run a rule.
struct FrameShown {
    float viewX = 0.0f;  // the map's shift: the car's view centre before the world's rules
    float viewY = 0.0f;
    bool carShown = true;    // the car was intact as the frame began, and is drawn
    ExhaustPicture exhaust;  // the smoke behind it
    double pointSize = 1.0;  // pixels: the point size the frame's drawing leaves set
    float damage = 0.0f;     // the damage the gauge applied, before the frame cleared it
};

// A lap's times: 60 frames a second, counted from the frame its first gate was passed in.
struct LapTimes {
    uint32_t frames = 0;               // the whole lap, to its first gate again
    uint32_t atGate[kGateCount] = {};  // to each gate (the first one's is 0)
};

constexpr int kNoGatePassed = -1;          // lastPassed: nothing to show yet in this lap
constexpr int kFinishPassed = kGateCount;  // lastPassed: the lap was just finished

// The time trial, where its lap stands; as it starts all through the free drive.
struct TimeTrial {
    bool on = false;                 // the time trial is played: the course drawn, gates and clock
    bool lapRunning = false;         // the clock runs: the first gate was passed and no wreck since
    int nextGate = 0;                // the gate to pass next, in kCourse
    uint32_t lapFrames = 0;          // frames since this lap's first gate
    LapTimes lap;                    // this lap's gates passed so far
    int lastPassed = kNoGatePassed;  // the gate of this lap passed last (its split), or the finish
    uint32_t sincePassed = 0;        // frames played since then
    MapSpot pivot{};                 // where the car's pivot stood after the last frame
    uint32_t lapsDone = 0;           // laps finished since the trial began
    LapTimes lastLap;                // the last lap finished
};

struct GameState {
    Car playerCar = carAtStart();  // the one car
    float headingRadians = 0.0f;   // its heading in radians, written by turning and New
    Random random;                 // the one random sequence: the bursts' and the exhaust's
    Bursts bursts{};               // explosion, contact and repair, armed from it at start
    WorldSample world;             // the world update's counter and sampled position
    Gauges gauges;                 // the needles and the damage bar; kept from car to car
    int headlightsOff = 0;         // 0 while the beams are drawn; the Lights action toggles it
    PauseState pause = PauseState::Playing;
    bool wrecked = false;    // the world update found a wreck: no motion step until New
    unsigned carNumber = 1;  // the cars of this game: New brings the next one
    FrameShown frame;        // what the last frame showed
    TimeTrial trial;         // the time trial's lap; off in the free drive

    GameState();  // as the game starts: the car at its start values, then the bursts armed
};

bool gamePaused(const GameState& state);  // paused: the game stands still
// New after a wreck: the car at its start values, heading up, the explosion armed afresh,
// playing (not paused), the motion step on again.
void newGame(GameState& state);
// The time trial on (a new game in it, the car at the start, waiting for the first gate) or off
// (the free drive goes on where the car stands); asked for at a standstill only.
void switchTimeTrial(GameState& state);
void endLap(TimeTrial& trial);  // a wreck or New: the clock stopped, waiting for the first gate
FrameFacts frameFactsOf(const GameState& state);  // what the last frame did, for the sounds
// The state's digest, as recorded drives keep it: the car's eighteen fields, the heading, the
// random generator, the bursts, the pause, the headlights, the world update's counter and
// sample, the damage bar and the needles; in the time trial also its lap (the free drive's
// digests are those the game has always had).
uint64_t gameStateDigest(const GameState& state);
