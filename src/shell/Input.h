// The keyboard and the mouse: two tables from keys and buttons to the player's actions, and the
// GLUT callbacks that read them. Nothing else in the game reads a key code.
#pragma once

#include <optional>

#include "dashboard/Toolbar.h"
#include "shell/Actions.h"

// A key as GLUT reports it: a character, or one of GLUT's special keys (arrows, F1, ...).
struct Key {
    bool special;  // GLUT_KEY_... rather than a character
    int code;      // the character (a letter in lower case), or the GLUT_KEY_ value
    // Held with Alt. A control without Alt takes its key with or without it.
    bool alt = false;
};

std::optional<Action> actionOfKey(Key key);  // through the controls table; letters either case

void registerInputCallbacks();  // keys, their releases, mouse, pointer motion, window status
void takeOverKeyRepeat();       // X sends a held key's repeats as presses, which are ignored

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
