// The world update: map edges, blocks, river, road patches, repair, the wreck and the bursts.
#include "world/World.h"

#include <cmath>

#include "vehicle/Car.h"

namespace {

constexpr int kSampleFrame = 2;  // the position is sampled when the counter reads 2
constexpr float kPushBack = pushBackFraction * pushBackScale;  // single precision: 3.4
constexpr float kRepairPerFrame = -1.0f;  // with the fixed 0.25: 0.75 won back per frame
constexpr float kRepairAtFull = -0.5f;    // with the fixed 0.25: the dashboard tops up 0.25

// Moves one coordinate of the car by |speed| x 3.4 towards more (+1) or less (-1).
float pushed(float value, float speed, int towards)
{
    const double distance = static_cast<double>(speed) * kPushBack;
    const double signedDistance = speed >= 0.0f ? towards * distance : -towards * distance;
    return static_cast<float>(value + signedDistance);
}

void pushVertically(Car& car, int towards)
{
    const float speed = car.getY_speed();
    car.setY_centre(pushed(car.getY_centre(), speed, towards));
    car.setBoxTop(pushed(car.getBoxTop(), speed, towards));
    car.setBoxBottom(pushed(car.getBoxBottom(), speed, towards));
}

void pushHorizontally(Car& car, int towards)
{
    const float speed = car.getX_speed();
    car.setX_centre(pushed(car.getX_centre(), speed, towards));
    car.setBoxLeft(pushed(car.getBoxLeft(), speed, towards));
    car.setBoxRight(pushed(car.getBoxRight(), speed, towards));
}

void stop(Car& car)
{
    car.setSpeed(0.0f, 0.0f);
}

void divideSpeed(Car& car, float speedDivisor)
{
    car.setSpeed(static_cast<float>(car.getX_speed() / static_cast<double>(speedDivisor)),
                 static_cast<float>(car.getY_speed() / static_cast<double>(speedDivisor)));
}

// A hit costs the size of the car's mean speed, forwards or backwards, times the block's factor.
float hitDamage(const Car& car, float damageFactor)
{
    const double meanSpeed = (static_cast<double>(car.getX_speed()) + car.getY_speed()) / 2.0;
    return static_cast<float>(std::fabs(meanSpeed) * damageFactor);
}

}  // namespace

void pushDown(Car& car)
{
    pushVertically(car, -1);
}
void pushUp(Car& car)
{
    pushVertically(car, +1);
}
void pushLeft(Car& car)
{
    pushHorizontally(car, -1);
}
void pushRight(Car& car)
{
    pushHorizontally(car, +1);
}

// Each edge reads the box as the earlier ones left it; after the first that fires the car
// stands still, so the others push it by nothing. The edge costs no damage.
void checkMapEdges(Car& car)
{
    if (car.getBoxTop() > mapTop) {
        car.setContactKind(kHitContact);
        pushDown(car);
        stop(car);
    }
    if (car.getBoxBottom() < mapBottom) {
        car.setContactKind(kHitContact);
        pushUp(car);
        stop(car);
    }
    if (car.getBoxRight() > mapRight) {
        car.setContactKind(kHitContact);
        pushLeft(car);
        stop(car);
    }
    if (car.getBoxLeft() < mapLeft) {
        car.setContactKind(kHitContact);
        pushRight(car);
        stop(car);
    }
}

// The car is thrown back against the way it has moved since the last sample, on each axis it
// moved along; a car that has not moved since then is neither pushed, stopped nor charged.
void collideObstacle(Car& car, const WorldSample& sample, const WorldRegion& region,
                     float hitDamage)
{
    if (!boxInsideRegion(car, region))
        return;
    car.setContactKind(kHitContact);
    const float dx = car.getX_centre() - sample.sampleX;
    const float dy = car.getY_centre() - sample.sampleY;
    if (!(dx < 0.0f || dx > 0.0f || dy < 0.0f || dy > 0.0f))
        return;
    if (dx < 0.0f)
        pushRight(car);
    else if (dx > 0.0f)
        pushLeft(car);
    if (dy > 0.0f)
        pushDown(car);
    else if (dy < 0.0f)
        pushUp(car);
    stop(car);
    car.setDamage(hitDamage);
    car.addFixedDamage();
}

void applyWaterDrag(Car& car, const WorldRegion& region, float speedDivisor)
{
    if (!boxInsideRegion(car, region))
        return;
    divideSpeed(car, speedDivisor);
    car.setContactKind(kWaterContact);
}

void applySpeedPatch(Car& car, const WorldRegion& region, float speedDivisor)
{
    if (!boxInsideRegion(car, region))
        return;
    divideSpeed(car, speedDivisor);
}

// Below full condition the patch wins back 0.75 a frame with green sparkles; at full condition
// it holds the car at 14 (the dashboard then adds its 0.25) and shows nothing.
void applyRepairPatch(Car& car, const WorldRegion& region)
{
    if (!boxInsideRegion(car, region))
        return;
    car.setDamage(kRepairPerFrame);
    car.setContactKind(kRepairContact);
    if (car.getDamageStatus() >= kIntactCondition) {
        car.setCarDamageStatus(kIntactCondition);
        car.setDamage(kRepairAtFull);
        car.setContactKind(kNoContact);
    }
    car.addFixedDamage();
}

bool updateWorld(Car& car, WorldSample& sample, Bursts& bursts, Random& random)
{
    if (sample.frameCounter == kSampleFrame) {
        sample.sampleX = car.getX_centre();
        sample.sampleY = car.getY_centre();
        sample.frameCounter = 0;
    }

    checkMapEdges(car);
    for (const ObstacleRow& obstacle : obstacleRegions)  // each reads the speed as left so far
        collideObstacle(car, sample, obstacle.region, hitDamage(car, obstacle.damageFactor));
    for (const DragRow& water : waterRegions)
        applyWaterDrag(car, water.region, water.speedDivisor);
    for (const DragRow& patch : speedPatchRegions)
        applySpeedPatch(car, patch.region, patch.speedDivisor);
    applyRepairPatch(car, repairRegion);
    if (car.getContactKind() == kWaterContact) {  // the railings only hold back a car in the river
        for (const WorldRegion& railing : railingRegions)
            collideObstacle(car, sample, railing, 0.0f);
    }

    const bool wreck = car.getDamageStatus() == 0.0f;
    bursts.shown.shown = false;
    if (wreck) {  // the wreck burns and stays where it is
        showBurst(bursts.explosionBurst, BurstLook::Explosion, random, bursts.shown);
        stop(car);
    } else {
        switch (car.getContactKind()) {
            case kHitContact:
                showBurst(bursts.contactBurst, BurstLook::Crash, random, bursts.shown);
                break;
            case kWaterContact:
                showBurst(bursts.contactBurst, BurstLook::Splash, random, bursts.shown);
                break;
            case kRepairContact:
                showBurst(bursts.repairBurst, BurstLook::Repair, random, bursts.shown);
                break;
            default:
                break;
        }
    }

    // A spent burst is armed again at once, so every frame starts with both of them live.
    if (lifeLeft(bursts.contactBurst) == 0.0f) {
        armBurst(bursts.contactBurst, random, kContactStart);
        car.setContactKind(kNoContact);
    }
    if (lifeLeft(bursts.repairBurst) == 0.0f)
        armBurst(bursts.repairBurst, random, kRepairStart);

    sample.frameCounter += 1;
    return wreck;
}
