// The car's gearbox: its five gears, in the one order every part of the game numbers them by.
#pragma once

#include <iterator>

// The gears' numbers: the rows of kGears, and so the order of the actions Gear1 to Gear4 and
// Reverse (session/Commands.h), of the keys 1 to 5 and of the settings' gear1 to gear4, reverse.
enum GearNumber : int {
    kFirstGear,
    kSecondGear,
    kThirdGear,
    kFourthGear,
    kReverseGear,
    kGearCount,
};

// Each gear's target speed (gearMax), and the place of the dashboard's knob in its gate.
struct Gear {
    float gearMax;       // world units per idle step; compared exactly with the car's
    bool reverse;        // chosen only at a standstill; shown once the car no longer rolls forwards
    float knobX, knobY;  // the knob's centre in the dashboard's gate, view coordinates
};
constexpr Gear kGears[kGearCount] = {
    {0.5f, false, -46.0f, -3.0f},   // first: top of the gate's left slot
    {1.0f, false, -46.0f, -17.0f},  // second: bottom of the left slot
    {1.5f, false, -40.0f, -3.0f},   // third: top of the middle slot
    {2.0f, false, -40.0f, -17.0f},  // fourth: bottom of the middle slot
    {-0.5f, true, -34.0f, -3.0f},   // reverse: top of the right slot
};
static_assert(kGears[kReverseGear].reverse && !kGears[kFourthGear].reverse);

// The gears as a shift steps through them, lowest first: a pad's shoulders shift one place down
// or up from the car's gear, none past either end; reverse is below first.
constexpr GearNumber kShiftOrder[] = {kReverseGear, kFirstGear, kSecondGear, kThirdGear,
                                      kFourthGear};
static_assert(std::size(kShiftOrder) == kGearCount, "every gear once");

// The gear whose target speed this is, or kGearCount for none.
constexpr GearNumber gearOfTargetSpeed(float gearMax)
{
    for (int gear = 0; gear < kGearCount; ++gear) {
        if (kGears[gear].gearMax == gearMax)
            return static_cast<GearNumber>(gear);
    }
    return kGearCount;
}
