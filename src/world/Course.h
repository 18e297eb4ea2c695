// The time trial's course: a lap of numbered gates through the map, and when the car passes one.
#pragma once

class Car;

// A gate: two posts on the map, world units, and the line between them.
struct Gate {
    float x1, y1;  // one post
    float x2, y2;  // the other
};

constexpr int kGateCount = 8;
// The gates in the order a lap passes them; the first one starts the lap and ends it.
extern const Gate kCourse[kGateCount];

// A point of the map in world units.
struct MapSpot {
    float x, y;
};

MapSpot pivotOnMap(const Car& car);  // the point the car turns about, where the map has it
// Whether a pivot moving from `from` to `to` crosses the gate's line between its posts (a post
// itself counts as between). A move that ends on the line crosses it; one that starts on it
// does not, so a car resting on the line passes the gate once.
bool crossesGate(const Gate& gate, MapSpot from, MapSpot to);
