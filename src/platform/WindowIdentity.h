// Who the game's window is, for the desktop: its class, which the menu entry's StartupWMClass
// names so that task bars match the window to the entry, and the game's own icon.
#pragma once

void identifyWindow();  // Class "tarvelo", "Tarvelo" and the icon, for the current GLUT window
