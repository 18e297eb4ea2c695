// Keyboard and mouse: arrow keys, gears, headlights, Escape, and the New and Quit buttons.
#pragma once

extern int headlightsOff;  // 0 while the headlight beams are drawn; the l key toggles it

void specialKey(int key, int x, int y);           // arrows: turn, accelerate, brake
void keyboard(unsigned char key, int x, int y);   // gears 1-5, l for the lights, Escape quits
void mouse(int button, int state, int x, int y);  // left presses on New and Quit
void passiveMotion(int x, int y);                 // pointing hand over either button
bool pointerOnNewButton(int x, int y);            // window pixels, through the current window size
bool pointerOnQuitButton(int x, int y);           // window pixels, through the current window size
