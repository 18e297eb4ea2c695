// Keys held down. X repeats only the last key pressed, and at each desktop's own rate, so the
// game times the repeats of each arrow itself, in frames: a player can hold Up and steer, and
// the car speeds up alike on every desktop. Holding a letter or a digit does what one press does.
#include "shell/HeldKeys.h"

#include <GL/glut.h>

// After GLUT: Xlib's macros would clash with names above.
#include <GL/glx.h>
#include <X11/XKBlib.h>

#include "shell/Input.h"
#include "shell/Pause.h"

namespace {

// One arrow key while it is held down.
struct HeldArrow {
    int key;         // GLUT_KEY_LEFT, _UP, _RIGHT or _DOWN
    bool down;       // pressed and not yet released
    int framesHeld;  // frames since the press
};

HeldArrow heldArrows[] = {
    {GLUT_KEY_LEFT, false, 0},
    {GLUT_KEY_UP, false, 0},
    {GLUT_KEY_RIGHT, false, 0},
    {GLUT_KEY_DOWN, false, 0},
};

bool characterDown[256];  // by character; a letter is kept under its lower case

bool anyKeyDown()
{
    for (const HeldArrow& arrow : heldArrows)
        if (arrow.down)
            return true;
    for (bool down : characterDown)
        if (down)
            return true;
    return false;
}

// `ancestor` holds `window` somewhere inside it (a window manager's frame holds the game's).
bool holds(Display* display, Window ancestor, Window window)
{
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == ancestor)
            return true;
        if (parent == 0 || parent == root)
            return false;
        window = parent;
    }
}

// Whether the keys typed now reach the game's window. X gives them to the focus window; when
// the focus is the pointer's (no window manager: PointerRoot) or a window around the game's,
// to the window under the pointer inside it.
bool windowHasKeyboard()
{
    Display* display = glXGetCurrentDisplay();
    const Window game = glXGetCurrentDrawable();
    if (!display || !game)
        return true;  // no window of ours to ask about
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    if (focus == game)
        return true;
    if (focus == None)
        return false;
    const bool keysFollowPointer =
        focus == PointerRoot || focus == DefaultRootWindow(display) || holds(display, focus, game);
    if (!keysFollowPointer)
        return false;
    // The window under the pointer, among those on the screen itself: the game's own, or one
    // holding it, and not another one in front of it.
    Window root = 0, under = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned buttons = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &under, &rootX, &rootY, &x, &y,
                       &buttons))
        return false;  // the pointer is on another screen
    return under == game || (under != None && holds(display, under, game));
}

HeldArrow* arrowFor(int key)
{
    for (HeldArrow& arrow : heldArrows) {
        if (arrow.key == key)
            return &arrow;
    }
    return nullptr;
}

// Shift may come or go while a letter is down, so a letter's press and release can differ in case.
unsigned char heldAs(unsigned char key)
{
    return key >= 'A' && key <= 'Z' ? static_cast<unsigned char>(key - 'A' + 'a') : key;
}

}  // namespace

void takeOverKeyRepeat()
{
    // With detectable repeat, X sends a held key's repeats as further presses without releases,
    // and a press of a key already down is a repeat for certain. Without it, freeglut tells
    // repeats by the key still being down when its release is read.
    Bool detectable = False;
    if (Display* display = glXGetCurrentDisplay())
        XkbSetDetectableAutoRepeat(display, True, &detectable);
    glutIgnoreKeyRepeat(detectable ? 0 : 1);
}

void arrowPressed(int key, int x, int y)
{
    if (gamePaused())
        return;  // not held either: a paused game ignores the arrows
    HeldArrow* arrow = arrowFor(key);
    if (arrow && arrow->down)
        return;  // a repeat the desktop sent: the game makes its own
    if (arrow) {
        arrow->down = true;
        arrow->framesHeld = 0;
    }
    specialKey(key, x, y);
}

void arrowReleased(int key, int /*x*/, int /*y*/)
{
    if (HeldArrow* arrow = arrowFor(key))
        arrow->down = false;
}

void characterPressed(unsigned char key, int x, int y)
{
    bool& down = characterDown[heldAs(key)];
    if (down)
        return;
    down = true;
    keyboard(key, x, y);
}

void characterReleased(unsigned char key, int /*x*/, int /*y*/)
{
    characterDown[heldAs(key)] = false;
}

void releaseKeysIfKeyboardGone()
{
    // A key released while the keyboard is elsewhere never tells the game so.
    if (anyKeyDown() && !windowHasKeyboard())
        releaseAllKeys();
}

void repeatHeldArrows()
{
    for (HeldArrow& arrow : heldArrows) {
        if (!arrow.down)
            continue;
        arrow.framesHeld += 1;
        const int sinceFirstRepeat = arrow.framesHeld - kFramesBeforeRepeat;
        if (sinceFirstRepeat >= 0 && sinceFirstRepeat % kFramesPerRepeat == 0)
            specialKey(arrow.key, 0, 0);
    }
}

void releaseAllKeys()
{
    for (HeldArrow& arrow : heldArrows)
        arrow.down = false;
    for (bool& down : characterDown)
        down = false;
}
