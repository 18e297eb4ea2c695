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

extern ParticleBurst explosionBurst;  // the wreck's fire and smoke
extern ParticleBurst contactBurst;    // crash debris or water splash
extern ParticleBurst repairBurst;     // green sparkles on the repair patch

int random15();        // next value 0..32767 of the game's own never-seeded generator
float random01();      // random15() / 32767: 0 to 1, both ends reachable
void restartRandom();  // the generator back at the start of its sequence, as the game starts
unsigned long randomGeneratorState();  // where the generator stands in its sequence

void armBurst(ParticleBurst& burst, float life, float xMin, float xMax, float yMin, float yMax,
              float speedMin, float speedMax, float angleMinDegrees,
              float angleMaxDegrees);  // fill all particles and restart the countdown
void armBurst(ParticleBurst& burst, const BurstArming& arming);  // the same, from a row of values
void armStartBursts();                 // explosion, contact and repair as the game starts them
void stepBurst(ParticleBurst& burst);  // move every particle once and count life down
float lifeLeft(const ParticleBurst& burst);  // the countdown; 0 when spent

void drawExplosion(ParticleBurst& burst);    // fire core and pale smoke ring, then a step
void drawCrashBurst(ParticleBurst& burst);   // pale haze and dark debris, then a step
void drawSplashBurst(ParticleBurst& burst);  // white-blue spray and bluish drops, then a step
void drawRepairBurst(ParticleBurst& burst);  // green sparkles and specks, then a step
