// The world update: the rules of the road applied to the car once per frame.
#pragma once

#include "effects/Particles.h"
#include "world/Regions.h"

class Car;

// What the world update keeps from frame to frame: where the car stood at the last sample.
struct WorldSample {
    int frameCounter = 1;  // calls of updateWorld; the position is sampled when it reads 2
    float sampleX = 0.0f;  // x_centre at the last sampling frame, world units
    float sampleY = 0.0f;  // y_centre at the last sampling frame, world units
};

// One frame of rules, and the burst of what the car met shown at it. True for a wreck, which
// burns where it stands: the car's motion step stays off until New.
bool updateWorld(Car& car, WorldSample& sample, Bursts& bursts, Random& random);
void checkMapEdges(Car& car);  // push back and stop a car beyond the map's edge
void collideObstacle(Car& car, const WorldSample& sample, const WorldRegion& region,
                     float hitDamage);  // throw back against the motion, stop, charge
void applyWaterDrag(Car& car, const WorldRegion& region, float speedDivisor);   // slow and splash
void applySpeedPatch(Car& car, const WorldRegion& region, float speedDivisor);  // speed up or slow
void applyRepairPatch(Car& car, const WorldRegion& region);  // win back condition up to 14
void pushDown(Car& car);   // move the car and its box down by |y_speed| x 3.4
void pushUp(Car& car);     // move the car and its box up by |y_speed| x 3.4
void pushLeft(Car& car);   // move the car and its box left by |x_speed| x 3.4
void pushRight(Car& car);  // move the car and its box right by |x_speed| x 3.4
