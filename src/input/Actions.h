// The player's actions as devices hold them, and where they go: the program's own (the sound,
// the window, quitting) at once, the game's into the next frame's commands. Held actions repeat
// at the game's own pace, whatever device holds them.
#pragma once

#include "session/Commands.h"

// Who holds an action down: each device's holds are its own, so one device letting go leaves
// another's hold alone.
enum class Device { Keyboard, Mouse, Gamepad, Script };

constexpr int kFramesBeforeRepeat = 15;  // a quarter of a second held before the steps repeat
constexpr int kFramesPerRepeat = 2;      // then one step every second frame

void applyAction(Action action);  // the action once, now: the program's at once, the game's
                                  // queued for its next frame
void switchSound(bool off);       // the sound off or on, and the words that say so for two seconds
void pressAction(Action action, Device device);    // held down: applied at once if not yet held
void releaseAction(Action action, Device device);  // let go: its repeats stop at once
void tapAction(Action action, Device device);      // pressed and let go: one step
void releaseActions(Device device);                // everything the device holds let go
void releaseAllActions();                          // everything let go (a new car)
bool holdsAnyAction(Device device);                // the device holds something down
void repeatHeldActions();  // once per motion step: a step for each held action due one
