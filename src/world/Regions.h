// The collision world: map edges, obstacles, railings, water, speed and repair patches.
#pragma once

class Car;

// One axis-aligned rectangle of the world in world units, y pair first, larger value first.
struct WorldRegion {
    float top;     // largest y
    float bottom;  // smallest y
    float right;   // largest x
    float left;    // smallest x
};

// A block the car bounces off: its rectangle and what a hit costs.
struct ObstacleRow {
    WorldRegion region;  // the drawn block grown by 10 on every side
    float damageFactor;  // damage points per unit of mean speed at the hit, before the fixed 0.25
};

// A zone that changes the car's speed every frame it spends inside.
struct DragRow {
    WorldRegion region;
    float speedDivisor;  // both speeds are divided by it every frame; below 1 speeds the car up
};

// The map's edges, tested against the car box directly (not through a region).
constexpr float mapTop = 140.0f;
constexpr float mapBottom = -140.0f;
constexpr float mapRight = 140.0f;
constexpr float mapLeft = -140.0f;

constexpr float pushBackScale = 4.0f;      // a hit throws the car back this many times
constexpr float pushBackFraction = 0.85f;  // ... this fraction of its speed (3.4 x speed in all)

extern const ObstacleRow obstacleRegions[7];  // the seven blocks, in the order they are tested
extern const WorldRegion railingRegions[4];   // bridge railings; they only hold back a swimmer
extern const DragRow waterRegions[2];         // the river, either side of the west bridge
extern const DragRow speedPatchRegions[5];    // green patches speed up, red ones slow down
extern const WorldRegion repairRegion;        // the cyan patch in the lower left

bool boxInsideRegion(const Car& car, const WorldRegion& region);  // box strictly inside, all edges
