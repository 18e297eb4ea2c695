// What a player can ask of the game. Every device (keyboard, mouse, a recorded drive) turns its
// events into these actions, and they reach the game in one place only.
#pragma once

enum class Action {
    TurnLeft,
    TurnRight,
    Accelerate,
    Brake,
    Gear1,
    Gear2,
    Gear3,
    Gear4,
    Reverse,  // the gears in the order of the gearbox's table
    Lights,
    Pause,
    Mute,
    NewCar,
    FullScreen,  // full screen or the window; nothing of the game changes
    Quit,
};
constexpr int kActionCount = static_cast<int>(Action::Quit) + 1;

// Who holds an action down: each device's holds are its own, so one device letting go leaves
// another's hold alone.
enum class Device { Keyboard, Mouse, Gamepad, Script };

constexpr int kFramesBeforeRepeat = 15;  // a quarter of a second held before the steps repeat
constexpr int kFramesPerRepeat = 2;      // then one step every second frame

extern int headlightsOff;  // 0 while the headlight beams are drawn; the Lights action toggles it

bool repeatsWhileHeld(Action action);  // the car's controls: turning, accelerating, braking
void applyAction(Action action);  // the action once, now: the car's control, a gear, the lights,
                                  // pause, mute, New, full screen or Quit, as the rules allow
void pressAction(Action action, Device device);    // held down: applied at once if not yet held
void releaseAction(Action action, Device device);  // let go: its repeats stop at once
void tapAction(Action action, Device device);      // pressed and let go: one step
void releaseActions(Device device);                // everything the device holds let go
void releaseAllActions();                          // everything let go (a new game)
bool holdsAnyAction(Device device);                // the device holds something down
void repeatHeldActions();  // once per motion step: a step for each held action due one
