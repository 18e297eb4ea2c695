// The player's car: start values, controls, the motion step and the drawing.
#include "vehicle/Car.h"

#include <GL/gl.h>

#include <cmath>

#include "assets/CarList.h"
#include "assets/PixelScale.h"
#include "assets/RoundPoints.h"
#include "effects/Random.h"

namespace {

constexpr float kSpeedStep = 0.05f;  // world units per idle step, per up or down key press
constexpr float kPi = 3.1415927f;    // single precision, as the heading has always used
constexpr float kHeadingLimit = 360.0f;

// Start values in field order; the last one, contactKind, is an int and is 0.
constexpr float kStart[17] = {
    0.0f,                        // x_speed
    0.0f,                        // y_speed
    2.0f,                        // maxSpeed
    1.8f,                        // brakeFactor
    kGears[kFirstGear].gearMax,  // gearMax: first gear
    0.0f,                        // x_centre
    0.0f,                        // y_centre
    10.0f,                       // x_pivot
    0.0f,                        // y_pivot
    0.0f,                        // heading
    11.25f,                      // turnStep
    0.0f,                        // damage
    kIntactCondition,            // damageStatus
    5.0f,                        // boxTop
    -5.0f,                       // boxBottom
    5.0f,                        // boxLeft
    15.0f,                       // boxRight
};

// One corner of a headlight beam in car coordinates, with its colour.
struct BeamCorner {
    float x, y;
    float red, green, blue, alpha;
};

// Left and right beams, each a triangle from the lamp (a dim white) to its far edge 8 units
// ahead of the car (fully transparent); they mirror each other about the car's middle, x 10.
constexpr BeamCorner kBeams[2][3] = {
    {
        {8.5f, 3.2f, 1.0f, 1.0f, 1.0f, 0.4f},  // left beam, at the lamp
        {9.8f, 13.0f, 1.0f, 1.0f, 1.0f, 0.0f},
        {7.5f, 13.0f, 1.0f, 1.0f, 1.0f, 0.0f},
    },
    {
        {11.5f, 3.2f, 1.0f, 1.0f, 1.0f, 0.4f},  // right beam, at the lamp
        {12.5f, 13.0f, 1.0f, 1.0f, 1.0f, 0.0f},
        {10.2f, 13.0f, 1.0f, 1.0f, 1.0f, 0.0f},
    },
};

constexpr float kExhaustDrop = -6.0f;  // the smoke starts 6 units behind the pivot

float toRadians(float degrees)
{
    return static_cast<float>(static_cast<double>(degrees) * (static_cast<double>(kPi) / 180.0));
}

}  // namespace

Car carAtStart()
{
    return Car(kStart[0], kStart[1], kStart[2], kStart[3], kStart[4], kStart[5], kStart[6],
               kStart[7], kStart[8], kStart[9], kStart[10], kStart[11], kStart[12], kStart[13],
               kStart[14], kStart[15], kStart[16], 0);
}

void resetToStart(Car& car, float& headingRadians)
{
    car.reset(kStart[0], kStart[1], kStart[2], kStart[3], kStart[4], kStart[5], kStart[6],
              kStart[7], kStart[8], kStart[9], kStart[10], kStart[11], kStart[12], kStart[13],
              kStart[14], kStart[15], kStart[16], 0);
    headingRadians = 0.0f;
}

void Car::reset(float x_speed_, float y_speed_, float maxSpeed_, float brakeFactor_, float gearMax_,
                float x_centre_, float y_centre_, float x_pivot_, float y_pivot_, float heading_,
                float turnStep_, float damage_, float damageStatus_, float boxTop_,
                float boxBottom_, float boxLeft_, float boxRight_, int contactKind_)
{
    *this = Car(x_speed_, y_speed_, maxSpeed_, brakeFactor_, gearMax_, x_centre_, y_centre_,
                x_pivot_, y_pivot_, heading_, turnStep_, damage_, damageStatus_, boxTop_,
                boxBottom_, boxLeft_, boxRight_, contactKind_);
}

void Car::turnLeft(float& headingRadians)
{
    heading = static_cast<float>(static_cast<double>(heading) - turnStep);
    if (heading < -kHeadingLimit)
        heading = static_cast<float>(static_cast<double>(heading) + kHeadingLimit);
    headingRadians = toRadians(heading);
}

void Car::turnRight(float& headingRadians)
{
    heading = static_cast<float>(static_cast<double>(heading) + turnStep);
    if (heading > kHeadingLimit)
        heading = static_cast<float>(static_cast<double>(heading) - kHeadingLimit);
    headingRadians = toRadians(heading);
}

void Car::accelerate()
{
    if (gearMax > y_speed && gearMax > x_speed) {
        y_speed = static_cast<float>(static_cast<double>(y_speed) + kSpeedStep);
        x_speed = static_cast<float>(static_cast<double>(x_speed) + kSpeedStep);
    }
    // Takes back a step that overshot the gear, and drives the car in reverse.
    if (gearMax < y_speed && gearMax < x_speed) {
        y_speed = static_cast<float>(static_cast<double>(y_speed) - kSpeedStep);
        x_speed = static_cast<float>(static_cast<double>(x_speed) - kSpeedStep);
    }
}

void Car::brake()
{
    const double step = static_cast<double>(kSpeedStep) * brakeFactor;
    if (y_speed > 0 && gearMax > 0) {
        y_speed = static_cast<float>(y_speed - step);
        x_speed = static_cast<float>(x_speed - step);
        if (y_speed < 0 && x_speed < 0)
            setSpeed(0.0f, 0.0f);
    }
    if (y_speed < 0 && gearMax < 0) {
        y_speed = static_cast<float>(y_speed + step);
        x_speed = static_cast<float>(x_speed + step);
        if (y_speed > 0 && x_speed > 0)
            setSpeed(0.0f, 0.0f);
    }
}

void Car::advance(float headingRadians)
{
    const double up = std::cos(static_cast<double>(headingRadians)) * y_speed;
    const double across = std::sin(static_cast<double>(headingRadians)) * x_speed;
    y_centre = static_cast<float>(y_centre + up);
    x_centre = static_cast<float>(x_centre + across);
    boxTop = static_cast<float>(boxTop + up);
    boxBottom = static_cast<float>(boxBottom + up);
    boxLeft = static_cast<float>(boxLeft + across);
    boxRight = static_cast<float>(boxRight + across);
}

void Car::draw(int headlightsOff, const ExhaustPicture& exhaust) const
{
    glPushMatrix();
    glTranslatef(x_pivot, y_pivot, 0.0f);
    glRotatef(-heading, 0.0f, 0.0f, 1.0f);  // clockwise as the heading grows
    glTranslatef(-x_pivot, -y_pivot, 0.0f);
    drawCar();
    if (headlightsOff == 0) {
        for (const auto& beam : kBeams) {
            glBegin(GL_POLYGON);
            for (const BeamCorner& corner : beam) {
                glColor4f(corner.red, corner.green, corner.blue, corner.alpha);
                glVertex2f(corner.x, corner.y);
            }
            glEnd();
        }
    }
    glTranslatef(0.0f, kExhaustDrop, 0.0f);
    drawExhaust(exhaust);
    glPopMatrix();
}

void Car::drawSeeThrough(float opacity) const
{
    glPushMatrix();
    glTranslatef(x_pivot, y_pivot, 0.0f);
    glRotatef(-heading, 0.0f, 0.0f, 1.0f);
    glTranslatef(-x_pivot, -y_pivot, 0.0f);
    drawCarShape(opacity);
    glPopMatrix();
}

void pickExhaust(float speed, double sizeInForce, Random& random, ExhaustPicture& exhaust)
{
    const double pointSize = 10.0 - 3.0 * speed;
    exhaust.pointSize = pointSize > 0.0 ? pointSize : sizeInForce;
    exhaust.puffs.clear();
    const double puffs = 10.0 * speed;
    for (int i = 0; static_cast<double>(i) < puffs; ++i) {
        // A light grey with a random tint, 10 to 60 per cent opaque; drawn alpha first.
        ExhaustPuff puff;
        puff.alpha = static_cast<float>(random01(random) * 0.5 + 0.1);
        puff.blue = static_cast<float>(random01(random) * 0.2 + 0.8);
        puff.green = static_cast<float>(random01(random) * 0.2 + 0.8);
        puff.red = static_cast<float>(random01(random) * 0.2 + 0.8);
        // Anywhere in a strip one unit wide that reaches 5 x speed behind the exhaust.
        puff.y = static_cast<float>(random01(random) * (-5.0 * speed));
        puff.x = static_cast<float>(random01(random) * 1.0 + 9.5);
        exhaust.puffs.push_back(puff);
    }
}

void drawExhaust(const ExhaustPicture& exhaust)
{
    beginRoundPoints(scaledPixels(exhaust.pointSize));  // times the pixel scale on large screens
    for (const ExhaustPuff& puff : exhaust.puffs)
        roundPoint(puff.x, puff.y, puff.red, puff.green, puff.blue, puff.alpha);
    endRoundPoints();
}
