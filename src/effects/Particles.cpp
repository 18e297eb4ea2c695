// Particle bursts: explosion, crash, splash and repair sparkles, and the game's random numbers.
#include "effects/Particles.h"

namespace {

// The game's own 15-bit generator, never seeded: every run draws the same sequence.
unsigned long randomState = 1;

}  // namespace

int random15()
{
    randomState = (randomState * 1103515245UL + 12345UL) & 0xFFFFFFFFUL;
    return static_cast<int>((randomState / 65536UL) % 32768UL);
}

float random01()
{
    return static_cast<float>(random15()) / 32767.0f;
}

ParticleBurst explosionBurst{};
ParticleBurst contactBurst{};
ParticleBurst repairBurst{};
void armBurst(ParticleBurst&, float, float, float, float, float, float, float, float, float) {}
