// What the game's window is called: the game's name and version, and what the window is for.
#pragma once

#include <string>

// What a window of the game is for, which its title says after the game's name and version.
enum class WindowPurpose { Playing, CheckingDrives };
// "TARVELO! b0.3 - by the TARVELO! team", or "... - checking recorded drives".
std::string windowTitle(WindowPurpose purpose);
