// The game's state: everything a drive changes, in one object that the game passes by reference.
// Window, screen and device facts stay out of it.
#pragma once

#include <cstdint>

#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "effects/Random.h"
#include "sound/Sound.h"
#include "vehicle/Car.h"
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

    GameState();  // as the game starts: the car at its start values, then the bursts armed
};

bool gamePaused(const GameState& state);  // paused: the game stands still
// New after a wreck: the car at its start values, heading up, the explosion armed afresh,
// playing (not paused), the motion step on again.
void newGame(GameState& state);
FrameFacts frameFactsOf(const GameState& state);  // what the last frame did, for the sounds
// The state's digest, as recorded drives keep it: the car's eighteen fields, the heading, the
// random generator, the bursts, the pause, the headlights, the world update's counter and
// sample, the damage bar and the needles.
uint64_t gameStateDigest(const GameState& state);
