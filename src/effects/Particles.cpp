// Particle bursts: explosion, crash, splash and repair sparkles, and the game's random numbers.
#include "effects/Particles.h"

#include <GL/gl.h>

#include <cmath>

#include "shell/PixelScale.h"

namespace {

// The game's own 15-bit generator, never seeded: every run draws the same sequence.
unsigned long randomState = 1;

constexpr double kBurstPi = 3.141592654;  // the bursts have always used this pi
constexpr double kDriftShare = 0.6;       // drift points move at 0.6 of their particle's speed
constexpr double kSpeedLift = 0.01;       // added to every armed speed

// One colour channel: min + random x (max - min). A fixed channel has min equal to max and still
// takes its random number, so every point draws exactly four.
struct ChannelRange {
    float min, max;
};

// One batch of points: their size in pixels (times the pixel scale) and the range of each of
// their colour channels.
struct PointLayer {
    float size;
    ChannelRange red, green, blue, alpha;
};

// The look of a burst: its wander points first, then its drift points.
struct BurstLook {
    PointLayer wander;
    PointLayer drift;
};

enum BurstKind { kExplosion, kCrash, kSplash, kRepair };

// One row per kind of burst, in BurstKind order: its wander layer, then its drift layer.
constexpr BurstLook kLooks[] = {
    {{20.0f, {1.0f, 1.0f}, {0.3f, 1.0f}, {0.3f, 0.3f}, {0.2f, 0.4f}},   // yellow-to-red fire
     {15.0f, {0.8f, 1.0f}, {0.8f, 1.0f}, {0.8f, 1.0f}, {0.1f, 0.4f}}},  // pale smoke ring
    {{20.0f, {1.0f, 1.0f}, {0.8f, 1.0f}, {0.8f, 1.0f}, {0.01f, 0.2f}},  // faint pale haze
     {5.0f, {0.2f, 0.5f}, {0.2f, 0.4f}, {0.2f, 0.4f}, {0.1f, 0.8f}}},   // dark grey debris
    {{20.0f, {0.8f, 1.0f}, {0.8f, 1.0f}, {1.0f, 1.0f}, {0.01f, 0.2f}},  // white-blue spray
     {5.0f, {0.2f, 0.4f}, {0.2f, 0.4f}, {0.2f, 0.6f}, {0.1f, 0.8f}}},   // bluish drops
    {{20.0f, {0.0f, 0.1f}, {0.1f, 1.0f}, {0.0f, 0.1f}, {0.01f, 0.2f}},  // green sparkles
     {5.0f, {0.2f, 0.2f}, {0.5f, 0.6f}, {0.2f, 0.2f}, {0.1f, 0.8f}}},   // green specks
};

// min + random01 x (max - min), the difference first rounded to single precision.
double pick(float min, float max)
{
    const float range = static_cast<float>(static_cast<double>(max) - min);
    return min + static_cast<double>(random01()) * range;
}

float pickDegreesAsRadians(float minDegrees, float maxDegrees)
{
    return static_cast<float>(pick(minDegrees, maxDegrees) * kBurstPi / 180.0);
}

// Each point gets its own colour, its channels drawn in the order red, green, blue, alpha.
void drawLayer(const PointLayer& layer, const float* points)
{
    glPointSize(scaledPixels(layer.size));
    glBegin(GL_POINTS);
    for (int i = 0; i < kBurstParticles; ++i) {
        const float red = static_cast<float>(pick(layer.red.min, layer.red.max));
        const float green = static_cast<float>(pick(layer.green.min, layer.green.max));
        const float blue = static_cast<float>(pick(layer.blue.min, layer.blue.max));
        const float alpha = static_cast<float>(pick(layer.alpha.min, layer.alpha.max));
        glColor4f(red, green, blue, alpha);
        glVertex2f(points[2 * i], points[2 * i + 1]);
    }
    glEnd();
}

// A live burst is drawn where it stands and loses one life for being drawn; every call then
// moves it on once, which costs another (a spent burst neither draws nor moves).
void drawBurst(ParticleBurst& burst, const BurstLook& look)
{
    if (burst.life > 0.0f) {
        glPushMatrix();
        drawLayer(look.wander, burst.wanderPoints);
        drawLayer(look.drift, burst.driftPoints);
        glPopMatrix();
        burst.life = static_cast<float>(static_cast<double>(burst.life) - 1.0);
    }
    stepBurst(burst);
}

ParticleBurst armedBurst(const BurstArming& arming)
{
    ParticleBurst burst{};
    armBurst(burst, arming);
    return burst;
}

}  // namespace

int random15()
{
    randomState = (randomState * 1103515245UL + 12345UL) & 0xFFFFFFFFUL;
    return static_cast<int>((randomState / 65536UL) % 32768UL);
}

void restartRandom()
{
    randomState = 1;
}

unsigned long randomGeneratorState()
{
    return randomState;
}

float random01()
{
    return static_cast<float>(random15()) / 32767.0f;
}

// Armed before main, in this order, after the car has its start values.
ParticleBurst explosionBurst = armedBurst(kExplosionStart);
ParticleBurst contactBurst = armedBurst(kContactStart);
ParticleBurst repairBurst = armedBurst(kRepairStart);

void armBurst(ParticleBurst& burst, float life, float xMin, float xMax, float yMin, float yMax,
              float speedMin, float speedMax, float angleMinDegrees, float angleMaxDegrees)
{
    burst.life = life;
    for (int i = 0; i < kBurstParticles; ++i) {
        burst.wanderPoints[2 * i] = static_cast<float>(pick(xMin, xMax));
        burst.wanderPoints[2 * i + 1] = static_cast<float>(pick(yMin, yMax));
        burst.wanderAngles[i] = pickDegreesAsRadians(angleMinDegrees, angleMaxDegrees);
        burst.driftPoints[2 * i] = static_cast<float>(pick(xMin, xMax));
        burst.driftPoints[2 * i + 1] = static_cast<float>(pick(yMin, yMax));
        burst.driftAngles[i] = pickDegreesAsRadians(angleMinDegrees, angleMaxDegrees);
        burst.speeds[i] = static_cast<float>(pick(speedMin, speedMax) + kSpeedLift);
    }
}

void armBurst(ParticleBurst& burst, const BurstArming& arming)
{
    armBurst(burst, arming.life, arming.xMin, arming.xMax, arming.yMin, arming.yMax,
             arming.speedMin, arming.speedMax, arming.angleMinDegrees, arming.angleMaxDegrees);
}

void armStartBursts()
{
    armBurst(explosionBurst, kExplosionStart);
    armBurst(contactBurst, kContactStart);
    armBurst(repairBurst, kRepairStart);
}

// Direction 0 points to +y and positive directions turn towards -x; a negative speed moves
// a point against its direction.
void stepBurst(ParticleBurst& burst)
{
    if (burst.life <= 0.0f)
        return;
    for (int i = 0; i < kBurstParticles; ++i) {
        const double s = burst.speeds[i];
        const double a = burst.wanderAngles[i];
        const double b = burst.driftAngles[i];
        float* wander = &burst.wanderPoints[2 * i];
        float* drift = &burst.driftPoints[2 * i];
        wander[0] = static_cast<float>(wander[0] + std::sin(-a) * s);
        wander[1] = static_cast<float>(wander[1] + std::cos(-a) * s);
        drift[0] = static_cast<float>(drift[0] + std::sin(-b) * s * kDriftShare);
        drift[1] = static_cast<float>(drift[1] + std::cos(-b) * s * kDriftShare);
        burst.wanderAngles[i] =
            static_cast<float>(static_cast<double>(random01()) * 360.0 * kBurstPi / 180.0);
    }
    burst.life = static_cast<float>(static_cast<double>(burst.life) - 1.0);
}

float lifeLeft(const ParticleBurst& burst)
{
    return burst.life;
}

void drawExplosion(ParticleBurst& burst)
{
    drawBurst(burst, kLooks[kExplosion]);
}
void drawCrashBurst(ParticleBurst& burst)
{
    drawBurst(burst, kLooks[kCrash]);
}
void drawSplashBurst(ParticleBurst& burst)
{
    drawBurst(burst, kLooks[kSplash]);
}
void drawRepairBurst(ParticleBurst& burst)
{
    drawBurst(burst, kLooks[kRepair]);
}
