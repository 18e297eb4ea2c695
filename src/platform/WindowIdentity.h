// Who the game's window is, for the desktop: its title, its class, which the menu entry's
// StartupWMClass names so that task bars match the window to the entry, and the game's own icon.
#pragma once

#include <string>

// What a window of the game is for, which its title says after the game's name and version.
enum class WindowPurpose { Playing, CheckingDrives };
// "TARVELO! b0.3 - by the TARVELO! team", or "... - checking recorded drives".
std::string windowTitle(WindowPurpose purpose);
void identifyWindow();  // Class "tarvelo", "Tarvelo" and the icon, for the current GLUT window
