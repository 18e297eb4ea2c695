// The keyboard and the mouse: two tables from keys and buttons to the player's actions, and the
// GLUT callbacks that read them. Nothing else in the game reads a key code.
#pragma once

#include <optional>
#include <vector>

#include "dashboard/Toolbar.h"
#include "input/Actions.h"
#include "input/Keys.h"
#include "input/Settings.h"

// The keyboard's table: the game's own keys until the player's settings give theirs.
void useKeys(const std::vector<KeyBinding>& keys);
std::optional<Action> actionOfKey(Key key);  // through the table; letters either case, and
                                             // Escape quits whatever the table says

void registerInputCallbacks();  // keys, their releases, mouse, pointer motion, window status

// GLUT's callbacks. A press holds its action until the release; specialKey and keyboard, as GLUT
// callbacks of their own, are one press and release each: one control step per call.
void keyPressed(unsigned char key, int x, int y);
void keyReleased(unsigned char key, int x, int y);
void specialKeyPressed(int key, int x, int y);
void specialKeyReleased(int key, int x, int y);
void specialKey(int key, int x, int y);           // arrows: turn, accelerate, brake, once
void keyboard(unsigned char key, int x, int y);   // gears, lights, pause, mute, New, Escape, once
void mouse(int button, int state, int x, int y);  // left presses on New and Quit
void passiveMotion(int x, int y);                 // pointing hand over either button
void windowStatus(int state);                     // the window shown, hidden or covered
void letGoIfKeyboardGone();  // once per turn of the main loop: every key let go if the
                             // window no longer has the keyboard

// The dashboard button under a window pixel (from the top left), if any.
std::optional<PanelButtonKind> buttonAtPixel(int x, int y);
