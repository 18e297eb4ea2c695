// The desktop's side of the platform: X and freeglut. GLUT tells a key only by what it types:
// the keypad's 1 is the 1 above the letters, and a key let go after Shift types another
// character than it did when pressed. So the game also reads the window's key events from X, on
// a connection of its own, and pairs each of GLUT's calls with its event.
#include "platform/Platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <thread>

#include "platform/Glut.h"
#include "platform/WindowIconPixels.h"

// After GLUT: Xlib's macros would clash with names above.
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Display* displayOpened = nullptr;  // until GLUT has its own connection

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

// The window's key events, as X sends them to the game's window: a connection of the game's own
// is told of each, in the order GLUT is.
Display* keyEvents = nullptr;
KeyHandler keyPressed = nullptr, keyReleased = nullptr;

// What freeglut makes of an X key event that types nothing: its special key, or -1.
int glutSpecialOfKeysym(KeySym keysym)
{
    constexpr std::pair<KeySym, int> kSpecials[] = {
        {XK_F1, GLUT_KEY_F1},
        {XK_F2, GLUT_KEY_F2},
        {XK_F3, GLUT_KEY_F3},
        {XK_F4, GLUT_KEY_F4},
        {XK_F5, GLUT_KEY_F5},
        {XK_F6, GLUT_KEY_F6},
        {XK_F7, GLUT_KEY_F7},
        {XK_F8, GLUT_KEY_F8},
        {XK_F9, GLUT_KEY_F9},
        {XK_F10, GLUT_KEY_F10},
        {XK_F11, GLUT_KEY_F11},
        {XK_F12, GLUT_KEY_F12},
        {XK_Left, GLUT_KEY_LEFT},
        {XK_KP_Left, GLUT_KEY_LEFT},
        {XK_Up, GLUT_KEY_UP},
        {XK_KP_Up, GLUT_KEY_UP},
        {XK_Right, GLUT_KEY_RIGHT},
        {XK_KP_Right, GLUT_KEY_RIGHT},
        {XK_Down, GLUT_KEY_DOWN},
        {XK_KP_Down, GLUT_KEY_DOWN},
        {XK_Prior, GLUT_KEY_PAGE_UP},
        {XK_KP_Prior, GLUT_KEY_PAGE_UP},
        {XK_Next, GLUT_KEY_PAGE_DOWN},
        {XK_KP_Next, GLUT_KEY_PAGE_DOWN},
        {XK_Home, GLUT_KEY_HOME},
        {XK_KP_Home, GLUT_KEY_HOME},
        {XK_End, GLUT_KEY_END},
        {XK_KP_End, GLUT_KEY_END},
        {XK_Insert, GLUT_KEY_INSERT},
        {XK_KP_Insert, GLUT_KEY_INSERT},
        {XK_Num_Lock, GLUT_KEY_NUM_LOCK},
        {XK_KP_Begin, GLUT_KEY_BEGIN},
        {XK_KP_Delete, GLUT_KEY_DELETE},
        {XK_Shift_L, GLUT_KEY_SHIFT_L},
        {XK_Shift_R, GLUT_KEY_SHIFT_R},
        {XK_Control_L, GLUT_KEY_CTRL_L},
        {XK_Control_R, GLUT_KEY_CTRL_R},
        {XK_Alt_L, GLUT_KEY_ALT_L},
        {XK_Alt_R, GLUT_KEY_ALT_R},
        {XK_Super_L, GLUT_KEY_SUPER_L},
        {XK_Super_R, GLUT_KEY_SUPER_R},
    };
    for (auto [x, glut] : kSpecials) {
        if (keysym == x)
            return glut;
    }
    return -1;
}

bool keypadKeysym(KeySym keysym)
{
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

// The stroke of the GLUT callback running now, with its X event's key, where X has told of it.
KeyStroke strokeNow(bool press, bool special, int code)
{
    KeyStroke stroke{special, code};
    stroke.alt = code == 13 && !special && (glutGetModifiers() & GLUT_ACTIVE_ALT) != 0;
    if (!keyEvents)
        return stroke;
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
        const bool asSpecial = length == 0;
        const int asCode =
            asSpecial ? glutSpecialOfKeysym(keysym) : static_cast<unsigned char>(typed[0]);
        if (asSpecial != special || asCode != code)
            continue;  // an event GLUT passed over: a modifier, a repeat it ignores
        const int keycode = static_cast<int>(event.xkey.keycode);
        stroke.keyId = keycode < kKeyIds ? keycode : 0;
        stroke.keypadKeysym = keypadKeysym(keysym) ? keysym : 0;
        return stroke;
    }
    return stroke;
}

void characterPressed(unsigned char key, int, int)
{
    keyPressed(strokeNow(true, false, key));
}
void characterReleased(unsigned char key, int, int)
{
    keyReleased(strokeNow(false, false, key));
}
void specialPressed(int key, int, int)
{
    keyPressed(strokeNow(true, true, key));
}
void specialReleased(int key, int, int)
{
    keyReleased(strokeNow(false, true, key));
}

void (*shownHandler)(bool) = nullptr;

// The window's place on the screen, where it stands on the screen itself and no window manager
// has framed it; nothing otherwise.
struct ScreenPlace {
    int x, y;
};
std::optional<ScreenPlace> placeBeforeFullScreen;

std::optional<ScreenPlace> unmanagedPlace()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || !window)
        return std::nullopt;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return std::nullopt;
    if (children)
        XFree(children);
    if (parent != root)
        return std::nullopt;  // framed: the window manager puts it back
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
        return std::nullopt;
    return ScreenPlace{x, y};
}

void windowStatusChanged(int state)
{
    shownHandler(state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED);
}

}  // namespace

int readGeometry(const char* text, int& x, int& y, unsigned& width, unsigned& height)
{
    return XParseGeometry(text, &x, &y, &width, &height);
}

const char* displayName(const std::string& named)
{
    const char* name = named.empty() ? std::getenv("DISPLAY") : named.c_str();
    return name && *name ? name : nullptr;
}

bool openDisplay(const char* name)
{
    displayOpened = XOpenDisplay(name);
    return displayOpened != nullptr;
}

void glutStarted()
{
    if (displayOpened)
        XCloseDisplay(displayOpened);
    displayOpened = nullptr;
}

void waitUntilShown()
{
    static bool exposed = false;
    glutDisplayFunc([] { exposed = true; });
    for (int i = 0; i < 1000 && !exposed; ++i) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void whenClosed(void (*closed)())
{
    glutCloseFunc(closed);
}

bool resizeWindow(int width, int height)
{
    const auto fits = [width, height] {
        return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
    };
    glutReshapeWindow(width, height);
    for (int turn = 0; turn < 200 && !fits(); ++turn) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return fits();
}

// The class "tarvelo", "Tarvelo", which the menu entry's StartupWMClass names so that task bars
// match the window to the entry, and the game's icon, set through Xlib on the window GLUT has
// just made current: GLUT itself gives the window neither.
void windowMade(const std::string& /*title: GLUT gave it*/)
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || window == None)
        return;

    char name[] = "tarvelo";
    char className[] = "Tarvelo";
    XClassHint hint{name, className};
    XSetClassHint(display, window, &hint);

    // Xlib takes the 32-bit values of a property as longs.
    const std::vector<unsigned long> icon(std::begin(kWindowIconPixels),
                                          std::end(kWindowIconPixels));
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                    static_cast<int>(icon.size()));
    XFlush(display);
}

bool inFullScreen()
{
    return glutGet(GLUT_FULL_SCREEN) != 0;
}

void enterFullScreen()
{
    placeBeforeFullScreen = unmanagedPlace();
    glutFullScreen();
}

void leaveFullScreen()
{
    glutLeaveFullScreen();
}

void giveWindowBack(int width, int height)
{
    glutReshapeWindow(width, height);
    if (placeBeforeFullScreen)
        glutPositionWindow(placeBeforeFullScreen->x, placeBeforeFullScreen->y);
}

void watchKeyboard(KeyHandler pressed, KeyHandler released)
{
    keyPressed = pressed;
    keyReleased = released;
    glutSpecialFunc(specialPressed);
    glutSpecialUpFunc(specialReleased);
    glutKeyboardFunc(characterPressed);
    glutKeyboardUpFunc(characterReleased);
    // With detectable repeat, X sends a held key's repeats as further presses without releases,
    // and a press of a key already down is a repeat for certain. Without it, freeglut tells
    // repeats by the key still being down when its release is read.
    Display* game = glXGetCurrentDisplay();
    Bool detectable = False;
    if (game)
        XkbSetDetectableAutoRepeat(game, True, &detectable);
    glutIgnoreKeyRepeat(detectable ? 0 : 1);
    const Window window = glXGetCurrentDrawable();
    if (!game || !window || keyEvents)
        return;
    keyEvents = XOpenDisplay(DisplayString(game));
    if (!keyEvents)
        return;  // GLUT's own reading stands alone: keypad keys are the keys they type
    XSelectInput(keyEvents, window, KeyPressMask | KeyReleaseMask);
    XSync(keyEvents, False);
}

// X gives the keys typed to the focus window; when the focus is the pointer's (no window
// manager: PointerRoot) or a window around the game's, to the window under the pointer inside it.
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

void watchWindowShown(void (*shown)(bool shown))
{
    shownHandler = shown;
    glutWindowStatusFunc(windowStatusChanged);
}

// Pads through SDL2's game-controller interface: SDL's mapping database gives hundreds of pads
// the standard layout (and SDL_GAMECONTROLLERCONFIG the rest); its button and axis numbers are
// the platform's. No SDL window: its events are read when the game asks.
namespace {
std::vector<SDL_GameController*> controllers;
}  // namespace

bool startPads(std::string& why)
{
    // Input only: the game keeps its own signals, and its window is GLUT's, which SDL does not
    // know, so the pads are heard whichever window has the keyboard.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0)
        return true;
    why = SDL_GetError();
    return false;
}

bool nextPadEvent(PadEvent& event)
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_CONTROLLERDEVICEADDED:
                if (SDL_GameController* controller = SDL_GameControllerOpen(e.cdevice.which)) {
                    controllers.push_back(controller);
                    const int id =
                        SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
                    event = {PadEvent::Kind::Added, id, 0, 0};
                    return true;
                }
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (SDL_GameController* controller =
                        SDL_GameControllerFromInstanceID(e.cdevice.which)) {
                    SDL_GameControllerClose(controller);
                    controllers.erase(
                        std::remove(controllers.begin(), controllers.end(), controller),
                        controllers.end());
                }
                event = {PadEvent::Kind::Removed, e.cdevice.which, 0, 0};
                return true;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
                event = {PadEvent::Kind::Button, e.cbutton.which, e.cbutton.button,
                         e.type == SDL_CONTROLLERBUTTONDOWN};
                return true;
            case SDL_CONTROLLERAXISMOTION:
                event = {PadEvent::Kind::Axis, e.caxis.which, e.caxis.axis, e.caxis.value};
                return true;
            default:
                break;  // the joysticks' own events, of which the controllers' are made
        }
    }
    return false;
}

void stopPads()
{
    for (SDL_GameController* controller : controllers)
        SDL_GameControllerClose(controller);
    controllers.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_Quit();
}

void leaveGame(int status)
{
    std::exit(status);
}

bool waitsForFrames()
{
    return true;
}

void sleepUntil(std::chrono::steady_clock::time_point time)
{
    std::this_thread::sleep_until(time);
}
