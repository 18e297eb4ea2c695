// Particle bursts: explosion, crash, splash and repair sparkles, and the game's random numbers.
#pragma once

constexpr int kBurstParticles = 200;

// One burst of 200 particles; each has a wander point (new random direction every step)
// and a drift point (fixed direction, 0.6 of the speed). 1401 floats, in this order.
struct ParticleBurst {
    float wanderPoints[2 * kBurstParticles];  // (x, y) pairs, view coordinates
    float wanderAngles[kBurstParticles];      // radians, replaced at every step
    float driftPoints[2 * kBurstParticles];   // (x, y) pairs, view coordinates
    float driftAngles[kBurstParticles];       // radians, fixed from arming on
    float speeds[kBurstParticles];            // units per step, shared by both points; may be negative
    float life;                               // countdown; drawn and moved only while above 0
};
static_assert(sizeof(ParticleBurst) == 1401 * sizeof(float), "a burst is 1401 packed floats");

extern ParticleBurst explosionBurst;  // the wreck's fire and smoke
extern ParticleBurst contactBurst;    // crash debris or water splash
extern ParticleBurst repairBurst;     // green sparkles on the repair patch

int random15();     // next value 0..32767 of the game's own never-seeded generator
float random01();   // random15() / 32767: 0 to 1, both ends reachable

void armBurst(ParticleBurst& burst, float life, float xMin, float xMax, float yMin, float yMax,
              float speedMin, float speedMax, float angleMinDegrees,
              float angleMaxDegrees);     // fill all particles and restart the countdown
void stepBurst(ParticleBurst& burst);    // move every particle once and count life down
float lifeLeft(const ParticleBurst& burst);  // the countdown; 0 when spent

void drawExplosion(ParticleBurst& burst);    // fire core and pale smoke ring, then a step
void drawCrashBurst(ParticleBurst& burst);   // pale haze and dark debris, then a step
void drawSplashBurst(ParticleBurst& burst);  // white-blue spray and bluish drops, then a step
void drawRepairBurst(ParticleBurst& burst);  // green sparkles and specks, then a step
