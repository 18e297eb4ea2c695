// The keyboard and the mouse turned into the player's actions, each through a table; and the
// keyboard's comings and goings: X repeats only the last key pressed, at each desktop's own
// rate, so a held key is one press here and the game repeats the action at its own pace; a key
// released while the keyboard was elsewhere never says so, so the game lets go of every key
// when its window loses the keyboard.
#include "shell/Input.h"

#include <GL/glut.h>

#include "effects/Sound.h"
#include "shell/Game.h"
#include "shell/Pause.h"

// After GLUT: Xlib's macros would clash with names above.
#include <GL/glx.h>
#include <X11/XKBlib.h>

namespace {

constexpr unsigned char kEscape = 27;
constexpr unsigned char kEnter = 13;

// The controls: each key and the action it asks for.
struct KeyBinding {
    Key key;
    Action action;
};
constexpr KeyBinding kControls[] = {
    {{true, GLUT_KEY_LEFT}, Action::TurnLeft},
    {{true, GLUT_KEY_RIGHT}, Action::TurnRight},
    {{true, GLUT_KEY_UP}, Action::Accelerate},
    {{true, GLUT_KEY_DOWN}, Action::Brake},
    {{false, '1'}, Action::Gear1},
    {{false, '2'}, Action::Gear2},
    {{false, '3'}, Action::Gear3},
    {{false, '4'}, Action::Gear4},
    {{false, '5'}, Action::Reverse},
    {{false, 'l'}, Action::Lights},
    {{false, 'p'}, Action::Pause},
    {{false, 'm'}, Action::Mute},
    {{false, 'n'}, Action::NewCar},
    {{true, GLUT_KEY_F11}, Action::FullScreen},
    {{false, kEnter, true}, Action::FullScreen},  // Alt+Enter
    {{false, kEscape}, Action::Quit},
};

// The mouse: a left press on a dashboard button.
struct ButtonBinding {
    PanelButtonKind button;
    Action action;
};
constexpr ButtonBinding kButtons[] = {
    {PanelButtonKind::New, Action::NewCar},
    {PanelButtonKind::Quit, Action::Quit},
};

// Shift or Caps Lock may come or go while a letter is down: a letter is its lower case.
int lowerCase(unsigned char key)
{
    return key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key;
}

// Whether Alt is held with a character the controls take with Alt. GLUT is asked only for those,
// and only while it reports the key.
bool altHeldWith(unsigned char key)
{
    for (const KeyBinding& binding : kControls) {
        if (binding.key.alt && !binding.key.special && binding.key.code == lowerCase(key))
            return (glutGetModifiers() & GLUT_ACTIVE_ALT) != 0;
    }
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

}  // namespace

std::optional<Action> actionOfKey(Key key)
{
    if (!key.special)
        key.code = lowerCase(static_cast<unsigned char>(key.code));
    for (const KeyBinding& binding : kControls) {
        if (binding.key.special == key.special && binding.key.code == key.code &&
            (key.alt || !binding.key.alt))
            return binding.action;
    }
    return std::nullopt;
}

std::optional<PanelButtonKind> buttonAtPixel(int x, int y)
{
    const ViewPoint point = viewPointAtPixel(x, y);
    return panelButtonAt(point.x, point.y);
}

void registerInputCallbacks()
{
    glutMouseFunc(mouse);
    glutPassiveMotionFunc(passiveMotion);
    glutSpecialFunc(specialKeyPressed);
    glutSpecialUpFunc(specialKeyReleased);
    glutKeyboardFunc(keyPressed);
    glutKeyboardUpFunc(keyReleased);
    takeOverKeyRepeat();
    glutWindowStatusFunc(windowStatus);
}

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

void keyPressed(unsigned char key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({false, key, altHeldWith(key)}))
        pressAction(*action, Device::Keyboard);
}

void keyReleased(unsigned char key, int /*x*/, int /*y*/)
{
    // Let go whether Alt is still down or not.
    if (const std::optional<Action> action = actionOfKey({false, key, true}))
        releaseAction(*action, Device::Keyboard);
}

void specialKeyPressed(int key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({true, key}))
        pressAction(*action, Device::Keyboard);
}

void specialKeyReleased(int key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({true, key}))
        releaseAction(*action, Device::Keyboard);
}

void specialKey(int key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({true, key}))
        tapAction(*action, Device::Keyboard);
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({false, key}))
        tapAction(*action, Device::Keyboard);
}

void mouse(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN)
        return;
    const std::optional<PanelButtonKind> pressed = buttonAtPixel(x, y);
    for (const ButtonBinding& binding : kButtons) {
        if (pressed == binding.button)
            tapAction(binding.action, Device::Mouse);
    }
}

void passiveMotion(int x, int y)
{
    glutSetCursor(buttonAtPixel(x, y) ? GLUT_CURSOR_INFO : GLUT_CURSOR_LEFT_ARROW);
}

void windowStatus(int state)
{
    windowShown = state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED;
    if (!windowShown)
        releaseActions(Device::Keyboard);  // its releases may go to whatever is now in front
    setSoundPaused(!windowShown || gamePaused());
}

void letGoIfKeyboardGone()
{
    if (holdsAnyAction(Device::Keyboard) && !windowHasKeyboard())
        releaseActions(Device::Keyboard);
}
