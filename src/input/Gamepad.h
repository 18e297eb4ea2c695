// Gamepads, for input only: the platform reads them (SDL2's game controllers on the desktop, the
// browser's Gamepad API in the page), GLUT keeps the window and the main loop. Each pad's buttons,
// triggers and stick directions turn into the player's actions through a table, as the keyboard's
// keys do; pads come and go while the game runs.
#pragma once

#include <vector>

#include "input/Settings.h"

// The controller interface started, with the pads' table and dead zone (percent of travel).
// False, after one line on stderr, where it cannot start: the game plays by keyboard.
bool startGamepads(const std::vector<PadBinding>& bindings, int deadZonePercent);
void pollGamepads();  // once per turn of the main loop: pads plugged in and pulled out, and
                      // every input since the last turn turned into actions, in order
int gamepadsOpen();   // the pads the game plays with now
void stopGamepads();  // every pad let go and closed, and the interface stopped
