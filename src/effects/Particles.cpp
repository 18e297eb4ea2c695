// Particle bursts: explosion, crash, splash and repair sparkles.
#include "effects/Particles.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "assets/PixelScale.h"
#include "assets/RoundPoints.h"

namespace {

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

// The colours and sizes of a burst: its wander points first, then its drift points.
struct BurstKindLook {
    PointLayer wander;
    PointLayer drift;
};

// One row per look of a burst, in BurstLook order: its wander layer, then its drift layer.
constexpr BurstKindLook kLooks[] = {
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
double pick(Random& random, float min, float max)
{
    const float range = static_cast<float>(static_cast<double>(max) - min);
    return min + static_cast<double>(random01(random)) * range;
}

float pickDegreesAsRadians(Random& random, float minDegrees, float maxDegrees)
{
    return static_cast<float>(pick(random, minDegrees, maxDegrees) * kBurstPi / 180.0);
}

// Each point gets its own colour, its channels drawn in the order red, green, blue, alpha.
void pickColours(Random& random, const PointLayer& layer, float* colours)
{
    for (int i = 0; i < kBurstParticles; ++i) {
        float* colour = &colours[4 * i];
        colour[0] = static_cast<float>(pick(random, layer.red.min, layer.red.max));
        colour[1] = static_cast<float>(pick(random, layer.green.min, layer.green.max));
        colour[2] = static_cast<float>(pick(random, layer.blue.min, layer.blue.max));
        colour[3] = static_cast<float>(pick(random, layer.alpha.min, layer.alpha.max));
    }
}

void drawLayer(const PointLayer& layer, const float* points, const float* colours)
{
    beginRoundPoints(scaledPixels(layer.size));
    for (int i = 0; i < kBurstParticles; ++i)
        roundPoint(points[2 * i], points[2 * i + 1], colours[4 * i], colours[4 * i + 1],
                   colours[4 * i + 2], colours[4 * i + 3]);
    endRoundPoints();
}

const BurstKindLook& lookOf(BurstLook look)
{
    return kLooks[static_cast<int>(look)];
}

}  // namespace

void armBurst(ParticleBurst& burst, Random& random, float life, float xMin, float xMax, float yMin,
              float yMax, float speedMin, float speedMax, float angleMinDegrees,
              float angleMaxDegrees)
{
    burst.life = life;
    for (int i = 0; i < kBurstParticles; ++i) {
        burst.wanderPoints[2 * i] = static_cast<float>(pick(random, xMin, xMax));
        burst.wanderPoints[2 * i + 1] = static_cast<float>(pick(random, yMin, yMax));
        burst.wanderAngles[i] = pickDegreesAsRadians(random, angleMinDegrees, angleMaxDegrees);
        burst.driftPoints[2 * i] = static_cast<float>(pick(random, xMin, xMax));
        burst.driftPoints[2 * i + 1] = static_cast<float>(pick(random, yMin, yMax));
        burst.driftAngles[i] = pickDegreesAsRadians(random, angleMinDegrees, angleMaxDegrees);
        burst.speeds[i] = static_cast<float>(pick(random, speedMin, speedMax) + kSpeedLift);
    }
}

void armBurst(ParticleBurst& burst, Random& random, const BurstArming& arming)
{
    armBurst(burst, random, arming.life, arming.xMin, arming.xMax, arming.yMin, arming.yMax,
             arming.speedMin, arming.speedMax, arming.angleMinDegrees, arming.angleMaxDegrees);
}

void armStartBursts(Bursts& bursts, Random& random)
{
    armBurst(bursts.explosionBurst, random, kExplosionStart);
    armBurst(bursts.contactBurst, random, kContactStart);
    armBurst(bursts.repairBurst, random, kRepairStart);
}

// Direction 0 points to +y and positive directions turn towards -x; a negative speed moves
// a point against its direction.
void stepBurst(ParticleBurst& burst, Random& random)
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
            static_cast<float>(static_cast<double>(random01(random)) * 360.0 * kBurstPi / 180.0);
    }
    burst.life = static_cast<float>(static_cast<double>(burst.life) - 1.0);
}

float lifeLeft(const ParticleBurst& burst)
{
    return burst.life;
}

// A live burst is shown where it stands and loses one life for being shown; every frame then
// moves it on once, which costs another (a spent burst neither shows nor moves).
void showBurst(ParticleBurst& burst, BurstLook look, Random& random, BurstPicture& picture)
{
    picture.shown = burst.life > 0.0f;
    if (picture.shown) {
        const BurstKindLook& layers = lookOf(look);
        picture.look = look;
        std::memcpy(picture.wanderPoints, burst.wanderPoints, sizeof picture.wanderPoints);
        std::memcpy(picture.driftPoints, burst.driftPoints, sizeof picture.driftPoints);
        pickColours(random, layers.wander, picture.wanderColours);
        pickColours(random, layers.drift, picture.driftColours);
        burst.life = static_cast<float>(static_cast<double>(burst.life) - 1.0);
    }
    stepBurst(burst, random);
}

float lastPointSize(const BurstPicture& picture)
{
    return lookOf(picture.look).drift.size;
}

void drawBurst(const BurstPicture& picture)
{
    if (!picture.shown)
        return;
    const BurstKindLook& layers = lookOf(picture.look);
    drawLayer(layers.wander, picture.wanderPoints, picture.wanderColours);
    drawLayer(layers.drift, picture.driftPoints, picture.driftColours);
}
