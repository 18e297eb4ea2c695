// What the player can ask of the game, and what reaches the game between two frames. Every
// device (keyboard, mouse, pad, a recorded drive being shown) turns its events into these
// actions; those of the game reach its state only through step, in the order they came, among
// the car's motion steps.
#pragma once

#include "vehicle/Gearbox.h"

enum class Action {
    TurnLeft,
    TurnRight,
    Accelerate,
    Brake,
    Gear1,
    Gear2,
    Gear3,
    Gear4,
    Reverse,   // one action for each gear, in the gearbox's order (gearAction)
    GearDown,  // a gear down or up from the car's own: a pad's shoulders
    GearUp,
    Lights,
    Pause,
    Mute,  // the sound: the program's, not the game's
    NewCar,
    TimeTrial,   // the time trial on or off, at a standstill
    FullScreen,  // full screen or the window: the program's, not the game's
    Controls,    // the controls shown over the map, or hidden: the program's
    Quit,        // the program's
};
constexpr int kActionCount = static_cast<int>(Action::Quit) + 1;

// The action that chooses a gear of the gearbox, and the gear an action chooses (kGearCount for
// none): Gear1 to Reverse stand in the gearbox's order.
constexpr Action gearAction(GearNumber gear)
{
    return static_cast<Action>(static_cast<int>(Action::Gear1) + gear);
}
constexpr GearNumber gearOfAction(Action action)
{
    const int gear = static_cast<int>(action) - static_cast<int>(Action::Gear1);
    return gear >= 0 && gear < kGearCount ? static_cast<GearNumber>(gear) : kGearCount;
}
static_assert(gearAction(kFourthGear) == Action::Gear4 &&
              gearAction(kReverseGear) == Action::Reverse);
constexpr bool shiftsGear(Action action)  // a gear down or up from the car's, not a gear of its own
{
    return action == Action::GearDown || action == Action::GearUp;
}

bool isGameAction(Action action);      // it changes the game's state, through step
bool repeatsWhileHeld(Action action);  // the car's controls: turning, accelerating, braking
// While paused the game stands still: only pause, mute, New, full screen, the controls and Quit
// are heard.
bool heardWhilePaused(Action action);

// One thing that reaches the game before a frame: an action of the game's, or a motion step,
// which moves the car once along its heading.
struct Command {
    enum class Kind { Act, MotionStep };
    Kind kind;
    Action action;  // for Act
};
constexpr Command act(Action action)
{
    return {Command::Kind::Act, action};
}
constexpr Command kMotionStep{Command::Kind::MotionStep, Action::TurnLeft};
bool operator==(const Command& a, const Command& b);
