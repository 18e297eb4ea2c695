// The keyboard and the mouse turned into the player's actions, each through a table; and the
// keyboard's comings and goings: X repeats only the last key pressed, at each desktop's own
// rate, so a held key is one press here and the game repeats the action at its own pace; a key
// released while the keyboard was elsewhere never says so, so the game lets go of every key
// when its window loses the keyboard. GLUT tells a key only by what it types: the keypad's 1 is
// the 1 above the letters, and a key let go after Shift types another character than it did
// when pressed. So the game also reads the window's key events from X, on a connection of its
// own, and pairs each of GLUT's calls with its event.
#include "input/Input.h"

#include <GL/glut.h>

#include <array>

#include "platform/Window.h"
#include "session/PlayedGame.h"
#include "sound/Sound.h"

// After GLUT: Xlib's macros would clash with names above.
#include <GL/glx.h>
#include <X11/XKBlib.h>

namespace {

// The keyboard's table: each key and the action it asks for.
std::vector<KeyBinding> keyTable = defaultSettings().keys;

// The mouse: a left press on a dashboard button.
struct ButtonBinding {
    PanelButtonKind button;
    Action action;
};
constexpr ButtonBinding kButtons[] = {
    {PanelButtonKind::New, Action::NewCar},
    {PanelButtonKind::Quit, Action::Quit},
};

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

// The window's key events, as X sends them to the game's window: a connection of the game's own
// is told of each, in the order GLUT is.
Display* keyEvents = nullptr;

constexpr int kKeycodes = 256;  // X's keycodes are 8 to 255
// What each key held down asked for when it was pressed, so that its release lets go of that.
struct HeldKey {
    bool down = false;
    std::optional<Action> action;
};
std::array<HeldKey, kKeycodes> heldKeys;

// The X event of the GLUT callback running now, for a key of GLUT's kind and code: its keycode,
// and the keypad key it is, if it is one. Nothing where X has not told of it (a callback called
// by the game's tests, or no connection).
struct KeyEvent {
    int keycode = 0;
    std::optional<Key> keypad;
};
KeyEvent keyEventNow(bool press, Key glutKey)
{
    if (!keyEvents)
        return {};
    XSync(keyEvents, False);  // every event up to the one GLUT is handling now is in
    while (XPending(keyEvents) > 0) {
        XEvent event;
        XNextEvent(keyEvents, &event);
        if (event.type != (press ? KeyPress : KeyRelease))
            continue;
        // As freeglut reads it: what the key types, else its special key.
        char typed[8] = {};
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, typed, sizeof typed, &keysym, nullptr);
        const Key asGlut = length > 0
                               ? Key{KeyKind::Character, static_cast<unsigned char>(typed[0])}
                               : Key{KeyKind::Special, glutSpecialOfKeysym(keysym)};
        if (asGlut != glutKey)
            continue;  // an event GLUT passed over: a modifier, a repeat it ignores
        const int keycode = static_cast<int>(event.xkey.keycode);
        return {keycode < kKeycodes ? keycode : 0, keypadKeyOfKeysym(keysym)};
    }
    return {};
}

// A key's action: the keypad's own key first, where one is bound; else the key as GLUT gives it
// (with Num Lock, the keypad's digits are the digits; without it, its arrows the arrows).
std::optional<Action> actionOfEvent(Key glutKey, const KeyEvent& event)
{
    if (event.keypad) {
        if (const std::optional<Action> action = actionOfKey(*event.keypad))
            return action;
    }
    return actionOfKey(glutKey);
}

constexpr Key kEnterKey{KeyKind::Character, 13};

// Alt+Enter switches between full screen and a window, as on most desktops, whatever the table
// says. GLUT is asked for Alt only for Enter, and only while it reports the key.
bool altEnter(Key glutKey)
{
    return glutKey == kEnterKey && (glutGetModifiers() & GLUT_ACTIVE_ALT) != 0;
}

void keyDown(Key glutKey)
{
    const KeyEvent event = keyEventNow(true, glutKey);
    const std::optional<Action> action =
        altEnter(glutKey) ? Action::FullScreen : actionOfEvent(glutKey, event);
    if (event.keycode)
        heldKeys[static_cast<size_t>(event.keycode)] = {true, action};
    if (action)
        pressAction(*action, Device::Keyboard);
}

void keyUp(Key glutKey)
{
    const KeyEvent event = keyEventNow(false, glutKey);
    std::optional<Action> action;
    HeldKey* held = event.keycode ? &heldKeys[static_cast<size_t>(event.keycode)] : nullptr;
    if (held && held->down)
        action = held->action;  // whatever Shift does meanwhile
    else
        action = actionOfEvent(glutKey, event);
    if (held)
        *held = {};
    if (action)
        releaseAction(*action, Device::Keyboard);
    if (glutKey == kEnterKey)
        releaseAction(Action::FullScreen, Device::Keyboard);  // Alt may be up before Enter is
}

void letGoOfEveryKey()
{
    releaseActions(Device::Keyboard);
    heldKeys.fill({});
}

}  // namespace

void useKeys(const std::vector<KeyBinding>& keys)
{
    keyTable = keys;
}

std::optional<Action> actionOfKey(Key key)
{
    key = inOneCase(key);
    if (key == kEscapeKey)
        return Action::Quit;
    for (const KeyBinding& binding : keyTable) {
        if (binding.key == key)
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
    watchKeyEvents();
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

void watchKeyEvents()
{
    Display* game = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!game || !window || keyEvents)
        return;
    keyEvents = XOpenDisplay(DisplayString(game));
    if (!keyEvents)
        return;  // GLUT's own reading stands alone: keypad keys are the keys they type
    XSelectInput(keyEvents, window, KeyPressMask | KeyReleaseMask);
    XSync(keyEvents, False);
}

void keyPressed(unsigned char key, int /*x*/, int /*y*/)
{
    keyDown({KeyKind::Character, key});
}

void keyReleased(unsigned char key, int /*x*/, int /*y*/)
{
    keyUp({KeyKind::Character, key});
}

void specialKeyPressed(int key, int /*x*/, int /*y*/)
{
    keyDown({KeyKind::Special, key});
}

void specialKeyReleased(int key, int /*x*/, int /*y*/)
{
    keyUp({KeyKind::Special, key});
}

void specialKey(int key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({KeyKind::Special, key}))
        tapAction(*action, Device::Keyboard);
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    if (const std::optional<Action> action = actionOfKey({KeyKind::Character, key}))
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
        letGoOfEveryKey();  // its releases may go to whatever is now in front
    setSoundPaused(!windowShown || gamePaused(playedGame()));
}

void letGoIfKeyboardGone()
{
    if (holdsAnyAction(Device::Keyboard) && !windowHasKeyboard())
        letGoOfEveryKey();
}
