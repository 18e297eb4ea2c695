// The collision world: map edges, obstacles, railings, water, speed and repair patches.
#pragma once

class Car;

// One axis-aligned rectangle of the world, y pair first, larger value first.
struct WorldRegion {
    float top;
    float bottom;
    float right;
    float left;
};

struct ObstacleRow {
    WorldRegion region;   // the drawn block grown by 10 on every side
    float damageFactor;   // damage per unit of mean speed at the hit
};

struct DragRow {
    WorldRegion region;
    float speedDivisor;   // both speeds are divided by it every frame; below 1 speeds up
};

constexpr float mapTop = 140.0f;
constexpr float mapBottom = -140.0f;
constexpr float mapRight = 140.0f;
constexpr float mapLeft = -140.0f;

constexpr float pushBackScale = 4.0f;     // a hit throws the car back this many
constexpr float pushBackFraction = 0.85f; // ... times this fraction of its speed

extern const ObstacleRow obstacleRegions[7];
extern const WorldRegion railingRegions[4];
extern const DragRow waterRegions[2];
extern const DragRow speedPatchRegions[5];
extern const WorldRegion repairRegion;

bool boxInsideRegion(const Car& car, const WorldRegion& region);  // box strictly inside on every edge
