// The world update: the rules of the road applied to the car once per frame.
#pragma once

#include "effects/Particles.h"
#include "world/Regions.h"

class Car;

extern int frameCounter;  // calls of updateWorld; the position is sampled when it reads 2
extern float sampleX;     // x_centre at the last sampling frame, world units
extern float sampleY;     // y_centre at the last sampling frame, world units

void updateWorld(Car& car, ParticleBurst& explosion, ParticleBurst& contact,
                 ParticleBurst& repair);  // one frame of rules, bursts drawn at the car
void checkMapEdges(Car& car);             // push back and stop a car beyond the map's edge
void collideObstacle(Car& car, const WorldRegion& region,
                     float hitDamage);  // throw back against the motion, stop, charge
void applyWaterDrag(Car& car, const WorldRegion& region, float speedDivisor);   // slow and splash
void applySpeedPatch(Car& car, const WorldRegion& region, float speedDivisor);  // speed up or slow
void applyRepairPatch(Car& car, const WorldRegion& region);  // win back condition up to 14
void pushDown(Car& car);   // move the car and its box down by |y_speed| x 3.4
void pushUp(Car& car);     // move the car and its box up by |y_speed| x 3.4
void pushLeft(Car& car);   // move the car and its box left by |x_speed| x 3.4
void pushRight(Car& car);  // move the car and its box right by |x_speed| x 3.4
