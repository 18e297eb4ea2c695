// Particle bursts: explosion, crash, splash and repair sparkles.
#pragma once

#include "effects/Random.h"

constexpr int kBurstParticles = 200;

// One burst of 200 particles; each has a wander point (new random direction every step)
// and a drift point (fixed direction, 0.6 of the speed). 1401 floats, in this order.
struct ParticleBurst {
    float wanderPoints[2 * kBurstParticles];  // (x, y) pairs, view coordinates
    float wanderAngles[kBurstParticles];      // radians, replaced at every step
    float driftPoints[2 * kBurstParticles];   // (x, y) pairs, view coordinates
    float driftAngles[kBurstParticles];       // radians, fixed from arming on
    float speeds[kBurstParticles];            // units per step, shared by both points; may be < 0
    float life;                               // countdown; drawn and moved only while above 0
};
static_assert(sizeof(ParticleBurst) == 1401 * sizeof(float), "a burst is 1401 packed floats");

// The values a burst is armed with, in armBurst's argument order. Every burst starts from
// the car's pivot (10, 0) in view coordinates and sprays in every direction.
struct BurstArming {
    float life;                // countdown; a drawn burst loses 2 per frame
    float xMin, xMax;          // view units
    float yMin, yMax;          // view units
    float speedMin, speedMax;  // units per step, before the 0.01 added to every speed
    float angleMinDegrees, angleMaxDegrees;
};
constexpr BurstArming kExplosionStart{100.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f, 360.0f};
// Every explosion after the first, armed by New, lasts longer: 65 frames instead of 50.
constexpr BurstArming withLife(BurstArming arming, float life)
{
    arming.life = life;
    return arming;
}
constexpr BurstArming kExplosionAfterNew = withLife(kExplosionStart, 130.0f);
constexpr BurstArming kContactStart{20.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.7f, 1.7f, 0.0f, 360.0f};
constexpr BurstArming kRepairStart{160.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.7f, 1.7f, 0.0f, 360.0f};

// The looks a burst is drawn in.
enum class BurstLook { Explosion, Crash, Splash, Repair };

// What a frame shows of a burst: its points where they stood as the frame drew them, each in the
// colour it was drawn in. The frame's rules keep it, taking the colours from the game's random
// numbers, so that drawing it takes nothing from them and may be done again.
struct BurstPicture {
    bool shown = false;  // a live burst was drawn in the frame
    BurstLook look = BurstLook::Explosion;
    float wanderPoints[2 * kBurstParticles];   // (x, y), view coordinates
    float driftPoints[2 * kBurstParticles];    // (x, y), view coordinates
    float wanderColours[4 * kBurstParticles];  // red, green, blue, alpha of each wander point
    float driftColours[4 * kBurstParticles];   // red, green, blue, alpha of each drift point
};

// The game's three bursts, and what the last frame showed of them.
struct Bursts {
    ParticleBurst explosionBurst;  // the wreck's fire and smoke
    ParticleBurst contactBurst;    // crash debris or water splash
    ParticleBurst repairBurst;     // green sparkles on the repair patch
    BurstPicture shown;            // the one burst the last frame drew, if any
};

void armBurst(ParticleBurst& burst, Random& random, float life, float xMin, float xMax, float yMin,
              float yMax, float speedMin, float speedMax, float angleMinDegrees,
              float angleMaxDegrees);  // fill all particles and restart the countdown
void armBurst(ParticleBurst& burst, Random& random,
              const BurstArming& arming);              // the same, from a row of values
void armStartBursts(Bursts& bursts, Random& random);   // explosion, contact, repair, as at start
void stepBurst(ParticleBurst& burst, Random& random);  // move every particle once, life down
float lifeLeft(const ParticleBurst& burst);            // the countdown; 0 when spent
// One frame of a burst in its look: while it lives, its points kept as they stand, each with a
// colour, and a life less for being shown; then a step. A spent burst shows and moves nothing.
void showBurst(ParticleBurst& burst, BurstLook look, Random& random, BurstPicture& picture);
float lastPointSize(const BurstPicture& picture);  // pixels: the size its drawing leaves set
void drawBurst(const BurstPicture& picture);       // the points as kept: wander layer, drift layer
