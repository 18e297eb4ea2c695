// The time trial's course: eight gates that take a lap over both bridges, across the three green
// road patches and a red one, and through the streets between the blocks.
#include "world/Course.h"

#include "vehicle/Car.h"

// Posts stand at the edges of the road they cross (world units, as the map is drawn); the middle
// of every gate is dry road that no block's rectangle (world/Regions) reaches.
constexpr Gate kCourse[kGateCount] = {
    {0.0f, 10.0f, 20.0f, 10.0f},       // 1: the start and finish, just ahead of a new car
    {-100.0f, 52.5f, -85.0f, 52.5f},   // 2: the west bridge, between its railings
    {-25.0f, 110.0f, -25.0f, 125.0f},  // 3: the green patch on the north road
    {45.0f, 65.0f, 45.0f, 80.0f},      // 4: the green patch by the crate block
    {120.0f, 52.5f, 135.0f, 52.5f},    // 5: the east bridge
    {55.0f, -55.0f, 70.0f, -55.0f},    // 6: the red patch on the road south
    {20.0f, -90.0f, 20.0f, -70.0f},    // 7: the street under the south roof block
    {-40.0f, -50.0f, -25.0f, -50.0f},  // 8: the street between the roof and the brick blocks
};

namespace {

// The cross product of two vectors given as float differences; each product of two floats is
// exact in double.
double cross(double ax, double ay, double bx, double by)
{
    return ax * by - ay * bx;
}

// Which side of the line from (ax, ay) to (bx, by) the point (px, py) lies: >0 left, <0 right.
double sideOf(float ax, float ay, float bx, float by, float px, float py)
{
    return cross(static_cast<double>(bx) - ax, static_cast<double>(by) - ay,
                 static_cast<double>(px) - ax, static_cast<double>(py) - ay);
}

}  // namespace

MapSpot pivotOnMap(const Car& car)
{
    return {static_cast<float>(static_cast<double>(car.getX_centre()) + car.getX_pivot()),
            static_cast<float>(static_cast<double>(car.getY_centre()) + car.getY_pivot())};
}

bool crossesGate(const Gate& gate, MapSpot from, MapSpot to)
{
    const double before = sideOf(gate.x1, gate.y1, gate.x2, gate.y2, from.x, from.y);
    const double after = sideOf(gate.x1, gate.y1, gate.x2, gate.y2, to.x, to.y);
    const bool overTheLine = (before < 0.0 && after >= 0.0) || (before > 0.0 && after <= 0.0);
    if (!overTheLine)
        return false;
    // The posts lie on either side of the move, or one on its line.
    const double post1 = sideOf(from.x, from.y, to.x, to.y, gate.x1, gate.y1);
    const double post2 = sideOf(from.x, from.y, to.x, to.y, gate.x2, gate.y2);
    return (post1 <= 0.0 && post2 >= 0.0) || (post1 >= 0.0 && post2 <= 0.0);
}
