// The player's car: its record of eighteen fields, its controls and motion, and its drawing.
#pragma once

#include <vector>

#include "vehicle/Gearbox.h"

struct Random;
struct ExhaustPicture;

// What the car last met, as contactKind records it.
enum ContactKind : int {
    kNoContact = 0,      // nothing since the start or the last New
    kHitContact = 1,     // a wall, an obstacle or the map's edge
    kWaterContact = 2,   // the river
    kRepairContact = 3,  // the repair patch
};

constexpr float kIntactCondition = 14.0f;  // damageStatus of a car in full condition

// Lengths are world units, speeds world units per idle step, angles degrees.
// damage and damageStatus are condition points: kIntactCondition, down to 0 for a wreck.
class Car {
public:
    constexpr Car(float x_speed_, float y_speed_, float maxSpeed_, float brakeFactor_,
                  float gearMax_, float x_centre_, float y_centre_, float x_pivot_, float y_pivot_,
                  float heading_, float turnStep_, float damage_, float damageStatus_,
                  float boxTop_, float boxBottom_, float boxLeft_, float boxRight_,
                  int contactKind_)
        : x_speed(x_speed_),
          y_speed(y_speed_),
          maxSpeed(maxSpeed_),
          brakeFactor(brakeFactor_),
          gearMax(gearMax_),
          x_centre(x_centre_),
          y_centre(y_centre_),
          x_pivot(x_pivot_),
          y_pivot(y_pivot_),
          heading(heading_),
          turnStep(turnStep_),
          damage(damage_),
          damageStatus(damageStatus_),
          boxTop(boxTop_),
          boxBottom(boxBottom_),
          boxLeft(boxLeft_),
          boxRight(boxRight_),
          contactKind(contactKind_)
    {
    }

    // Store all eighteen fields, in field order.
    void reset(float x_speed, float y_speed, float maxSpeed, float brakeFactor, float gearMax,
               float x_centre, float y_centre, float x_pivot, float y_pivot, float heading,
               float turnStep, float damage, float damageStatus, float boxTop, float boxBottom,
               float boxLeft, float boxRight, int contactKind);

    float getX_speed() const { return x_speed; }
    float getY_speed() const { return y_speed; }
    void setSpeed(float x, float y)
    {
        x_speed = x;
        y_speed = y;
    }
    float get_MaxSpeed() const { return maxSpeed; }
    float getGearMax() const { return gearMax; }
    void setGearMax(float value) { gearMax = value; }
    float getX_centre() const { return x_centre; }
    void setX_centre(float value) { x_centre = value; }
    float getY_centre() const { return y_centre; }
    void setY_centre(float value) { y_centre = value; }
    float getX_pivot() const { return x_pivot; }
    float getY_pivot() const { return y_pivot; }
    float getHeading() const { return heading; }
    float getDamage() const { return damage; }
    void setDamage(float value) { damage = value; }
    void addFixedDamage() { damage = static_cast<float>(static_cast<double>(damage) + 0.25); }
    float getDamageStatus() const { return damageStatus; }
    void setCarDamageStatus(float value) { damageStatus = value; }
    float getBoxTop() const { return boxTop; }
    void setBoxTop(float value) { boxTop = value; }
    float getBoxBottom() const { return boxBottom; }
    void setBoxBottom(float value) { boxBottom = value; }
    float getBoxLeft() const { return boxLeft; }
    void setBoxLeft(float value) { boxLeft = value; }
    float getBoxRight() const { return boxRight; }
    void setBoxRight(float value) { boxRight = value; }
    int getContactKind() const { return contactKind; }
    void setContactKind(int value) { contactKind = value; }

    // The heading in radians is kept beside the record: turning writes it, the motion step reads
    // it.
    void turnLeft(float& headingRadians);   // one key press: heading - turnStep, kept above -360
    void turnRight(float& headingRadians);  // one key press: heading + turnStep, kept below 360
    void accelerate();  // one key press: both speeds one 0.05 step towards gearMax
    void brake();       // one key press: both speeds 0.05 x brakeFactor towards 0, never past it
    void advance(float headingRadians);  // one idle step: view centre and box along the heading

    // Body, wheels, beams (while headlightsOff is 0) and the frame's exhaust.
    void draw(int headlightsOff, const ExhaustPicture& exhaust) const;
    void drawSeeThrough(float opacity) const;  // body and wheels alone at `opacity`: a ghost

private:
    float x_speed;       // drives the x motion
    float y_speed;       // drives the y motion; always equal to x_speed
    float maxSpeed;      // full scale of the speedometer
    float brakeFactor;   // a brake press takes 0.05 x brakeFactor off the speed
    float gearMax;       // target speed of the gear: one of kGears' (vehicle/Gearbox.h)
    float x_centre;      // world x at the centre of the view
    float y_centre;      // world y at the centre of the view
    float x_pivot;       // screen x the car turns about
    float y_pivot;       // screen y the car turns about
    float heading;       // degrees, 0 up the screen, clockwise positive, within -360..360
    float turnStep;      // degrees per turn key press
    float damage;        // damage to apply this frame (negative repairs)
    float damageStatus;  // condition: 14 intact, 0 destroyed
    float boxTop;        // collision box, world units; a 10 x 10 square that never turns
    float boxBottom;
    float boxLeft;
    float boxRight;
    int contactKind;  // last thing met: a ContactKind
};

Car carAtStart();  // the car as every game starts it
// Reset with the start values, as the New button does, and point the heading up again.
void resetToStart(Car& car, float& headingRadians);

// One puff of smoke behind the car, in car coordinates below the exhaust, with its colour.
struct ExhaustPuff {
    float red, green, blue, alpha;
    float x, y;
};
// What a frame shows of the exhaust: more and smaller puffs the faster the car goes.
struct ExhaustPicture {
    double pointSize = 1.0;  // pixels, before the pixel scale
    std::vector<ExhaustPuff> puffs;
};
// The frame's puffs for a car at `speed`, from the game's random numbers. From a speed of 10/3
// on a puff would have no size, and the puffs are drawn at `sizeInForce`, the point size the
// last frame's drawing left set.
void pickExhaust(float speed, double sizeInForce, Random& random, ExhaustPicture& exhaust);
void drawExhaust(const ExhaustPicture& exhaust);  // the puffs as picked, in car coordinates
