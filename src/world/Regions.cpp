// The collision world: where the blocks, railings, river and road patches are, and the box test.
#include "world/Regions.h"

#include "vehicle/Car.h"

// Each block's rectangle is its drawn block grown by the car box's 10 on every side, so a box
// strictly inside the rectangle overlaps the block. Block 3 stops at the map's lower edge.
constexpr ObstacleRow obstacleRegions[7] = {
    {{140.0f, 80.0f, 80.0f, 10.0f}, 0.5f},        // 1: crate block, x 20..70, y 90..130
    {{-10.0f, -70.0f, 140.0f, 80.0f}, 0.00005f},  // 2: crate block, x 90..130, y -60..-20
    {{-100.0f, -140.0f, 120.0f, 70.0f}, 2.0f},    // 3: roof block, x 80..110, y -140..-110
    {{-30.0f, -80.0f, 50.0f, -20.0f}, 0.0008f},   // 4: roof block, x -10..40, y -70..-40
    {{-80.0f, -140.0f, 0.0f, -100.0f}, 0.005f},   // 5: brick block, x -90..-10, y -130..-90
    {{-30.0f, -70.0f, -40.0f, -100.0f}, 1.0f},    // 6: brick block, x -90..-50, y -60..-40
    {{0.0f, -70.0f, -80.0f, -140.0f}, 2.0f},      // 7: crate block, x -130..-90, y -60..-10
};

// Railings cost only the fixed 0.25 per hit and act only while the car is in the water.
constexpr WorldRegion railingRegions[4] = {
    {70.0f, 35.0f, 147.0f, 125.0f},   // 8: east bridge, outer railing x 135..138
    {70.0f, 35.0f, 128.0f, 110.0f},   // 9: east bridge, inner railing x 117..120
    {70.0f, 35.0f, -74.0f, -95.0f},   // 10: west bridge, east railing x -85..-82
    {70.0f, 35.0f, -92.0f, -113.0f},  // 11: west bridge, west railing x -103..-100
};

// The river band y 45..60 grown by 5 above and below: the car swims when its box centre is
// over the water. The gaps leave both bridge decks dry.
constexpr DragRow waterRegions[2] = {
    {{65.0f, 40.0f, 125.0f, -90.0f}, 1.1f},   // 12: east of the west bridge
    {{65.0f, 40.0f, -95.0f, -140.0f}, 1.1f},  // 13: west of the west bridge
};

// Each patch grown by 10 on every side: the car is on it as soon as its box overlaps it.
constexpr DragRow speedPatchRegions[5] = {
    {{90.0f, 55.0f, 60.0f, 30.0f}, 0.94f},      // 14: green, x 40..50, y 65..80
    {{135.0f, 100.0f, -10.0f, -40.0f}, 0.97f},  // 15: green, x -30..-20, y 110..125
    {{-40.0f, -70.0f, 80.0f, 45.0f}, 1.04f},    // 16: red, x 55..70, y -60..-50
    {{0.0f, -35.0f, 50.0f, 20.0f}, 0.91f},      // 17: green, x 30..40, y -25..-10
    {{0.0f, -35.0f, -40.0f, -70.0f}, 1.09f},    // 18: red, x -60..-50, y -25..-10
};

// 19: the cyan patch x -115..-100, y -140..-120, grown by 10 except at the map's edge.
constexpr WorldRegion repairRegion = {-110.0f, -140.0f, -90.0f, -125.0f};

// A box edge lying exactly on a rectangle edge counts as outside.
bool boxInsideRegion(const Car& car, const WorldRegion& region)
{
    return car.getBoxTop() < region.top && car.getBoxBottom() > region.bottom &&
           car.getBoxRight() < region.right && car.getBoxLeft() > region.left;
}
