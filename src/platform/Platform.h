// What the desktop and the browser each do their own way, behind one set of calls: the display
// GLUT plays on, the window's identity, full screen, the keyboard's strokes and whether they
// reach the game, the window shown or hidden, its close box, the pads, leaving the game and the
// wait for a frame's time. The desktop's side is Desktop.cpp (X, freeglut and SDL2); the
// browser's is Browser.cpp (the page, through emscripten). Everything above calls these, never
// either side. (The sound device differs too: Sound opens OpenAL's library on the desktop and
// has it linked in the browser.)
#pragma once

#include <chrono>
#include <string>
#include <vector>

// X's -geometry WxH+X+Y read as X reads it: which of the width, height, x and y it gives (X's
// WidthValue, HeightValue, XValue, YValue, XNegative, YNegative), 0 where it is no geometry.
// The browser reads none.
int readGeometry(const char* text, int& x, int& y, unsigned& width, unsigned& height);

// The display: the one named, else the environment's (DISPLAY); null where there is none. The
// browser's is its page.
const char* displayName(const std::string& named);
// The display opened, and kept open until GLUT has its own connection: an X server whose last
// client leaves resets, and would refuse GLUT meanwhile. False where it cannot be.
bool openDisplay(const char* name);
// GLUT has started on the display opened, with its own connection: the one kept is closed.
void glutStarted();
void waitUntilShown();  // the window just made is on the screen: its pictures can be read back
void whenClosed(void (*closed)());  // the window's close box
// The window asked for this size and waited on; false where it does not take it (a window
// manager that holds it, a smaller screen).
bool resizeWindow(int width, int height);

// The window GLUT has just made: on the desktop its class and icon, for the task bar (GLUT gave
// it the title); in the browser the page's title, and the picture filling the page from now on.
void windowMade(const std::string& title);

// Full screen, and the window given back after it: its size, and on the desktop its place,
// where no window manager keeps it (GLUT alone put it back off the screen's top left, as far as
// it had been from it). The browser's window is the page's.
bool inFullScreen();
void enterFullScreen();
void leaveFullScreen();
void giveWindowBack(int width, int height);

// A key pressed or released, as the game tells keys apart: what GLUT makes of it, and which key
// of the keyboard it was (the keypad's own keys too, and a key let go after Shift is the key it
// was when pressed).
struct KeyStroke {
    bool special = false;            // GLUT's special key (an arrow, F1, Shift...), else typed
    int code = 0;                    // the character typed (Latin-1) or the GLUT_KEY_ value
    unsigned long keypadKeysym = 0;  // a keypad key's X keysym, as either Num Lock gives it
    int keyId = 0;                   // the key on the keyboard, 1 to 255; 0 where not known
    bool alt = false;                // Alt is held
};
constexpr int kKeyIds = 256;
using KeyHandler = void (*)(const KeyStroke& stroke);
// The keyboard's presses and releases from now on, each once: a held key's repeats are not
// presses.
void watchKeyboard(KeyHandler pressed, KeyHandler released);
bool windowHasKeyboard();  // the keys typed now reach the game
// The window shown, or hidden (minimised, on another desktop, wholly covered; the page's tab
// hidden).
void watchWindowShown(void (*shown)(bool shown));

// Gamepads, in the standard layout: each plugged in and pulled out, and each button and axis as
// it moves. Buttons are numbered A, B, X, Y, Back, Guide, Start, the sticks' and shoulders'
// buttons, the D-pad's up, down, left and right, Misc1, four paddles and the touchpad (0 to
// 20); axes are the left stick's x and y, the right stick's, and the left and right triggers.
// A stick goes from -32768 (left, up) to 32767, a trigger from 0 to 32767.
constexpr int kPadButtons = 21;
constexpr int kPadAxes = 6;
struct PadEvent {
    enum class Kind { Added, Removed, Button, Axis } kind;
    int pad;    // told apart while it stays plugged in
    int index;  // the button's or the axis's number
    int value;  // a button's 1 pressed or 0, an axis's place
};
bool startPads(std::string& why);    // false, saying why, where pads cannot be read
bool nextPadEvent(PadEvent& event);  // the next event since the last call, if any
void stopPads();

// The game left with this exit status, as the player asks: the program ends (its handlers at
// exit run: a drive being recorded is finished). The browser's page ends it after the event
// being handled, and says so.
void leaveGame(int status);

// The frame clock: whether the game finishes each frame and waits for its slot itself (the
// desktop), or draws when the page's frame comes (the browser, whose frames are its pace); and
// the wait until then.
bool waitsForFrames();
void sleepUntil(std::chrono::steady_clock::time_point time);
