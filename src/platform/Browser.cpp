// The browser's side of the platform: the page, through emscripten. Emscripten's GLUT makes the
// canvas's GL, reads the mouse and runs the main loop on the page's frames; the keyboard, the
// tab hidden, full screen, the page's size and the pads are the page's own events, read through
// emscripten's html5 calls. The canvas fills the page, as full screen fills the screen.
#include "platform/Platform.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

#include "assets/Textures.h"
#include "platform/Glut.h"
#include "platform/Window.h"

// web/legacy_gl.js: what the game's drawing asks of GL 1.1 beyond the browser's legacy GL.
extern "C" void tarvelo_draw_polygons();
extern "C" void tarvelo_name_textures(unsigned first, unsigned count);

namespace {

// The canvas at the page's size in the screen's pixels, and the picture placed in it.
void fillThePage()
{
    const double ratio = emscripten_get_device_pixel_ratio();
    double width = 0, height = 0;
    emscripten_get_element_css_size("#canvas", &width, &height);
    const int pixelsWide = static_cast<int>(width * ratio + 0.5);
    const int pixelsHigh = static_cast<int>(height * ratio + 0.5);
    if (pixelsWide <= 0 || pixelsHigh <= 0)
        return;
    emscripten_set_canvas_element_size("#canvas", pixelsWide, pixelsHigh);
    reshape(pixelsWide, pixelsHigh);
    glutPostRedisplay();
}

EM_BOOL pageResized(int, const EmscriptenUiEvent*, void*)
{
    fillThePage();
    return EM_FALSE;
}

// The page's keys, by the names the browser gives them (KeyboardEvent.key), as GLUT's special
// keys; the keypad's by where they are (KeyboardEvent.code), as X's keysyms with Num Lock on.
struct SpecialName {
    const char* key;
    int glut;
};
constexpr SpecialName kSpecialNames[] = {
    {"F1", GLUT_KEY_F1},
    {"F2", GLUT_KEY_F2},
    {"F3", GLUT_KEY_F3},
    {"F4", GLUT_KEY_F4},
    {"F5", GLUT_KEY_F5},
    {"F6", GLUT_KEY_F6},
    {"F7", GLUT_KEY_F7},
    {"F8", GLUT_KEY_F8},
    {"F9", GLUT_KEY_F9},
    {"F10", GLUT_KEY_F10},
    {"F11", GLUT_KEY_F11},
    {"F12", GLUT_KEY_F12},
    {"ArrowLeft", GLUT_KEY_LEFT},
    {"ArrowUp", GLUT_KEY_UP},
    {"ArrowRight", GLUT_KEY_RIGHT},
    {"ArrowDown", GLUT_KEY_DOWN},
    {"PageUp", GLUT_KEY_PAGE_UP},
    {"PageDown", GLUT_KEY_PAGE_DOWN},
    {"Home", GLUT_KEY_HOME},
    {"End", GLUT_KEY_END},
    {"Insert", GLUT_KEY_INSERT},
    {"NumLock", GLUT_KEY_NUM_LOCK},
    {"Clear", GLUT_KEY_BEGIN},
};
struct SidedName {
    const char* key;
    int left, right;  // GLUT's special key on each side of the keyboard
};
constexpr SidedName kSidedNames[] = {
    {"Shift", GLUT_KEY_SHIFT_L, GLUT_KEY_SHIFT_R},
    {"Control", GLUT_KEY_CTRL_L, GLUT_KEY_CTRL_R},
    {"Alt", GLUT_KEY_ALT_L, GLUT_KEY_ALT_R},
    {"Meta", GLUT_KEY_SUPER_L, GLUT_KEY_SUPER_R},
};
struct TypedName {
    const char* key;
    int character;
};
constexpr TypedName kTypedNames[] = {
    {"Backspace", 8}, {"Tab", 9}, {"Enter", 13}, {"Escape", 27}, {"Delete", 127},
};
struct KeypadCode {
    const char* code;
    unsigned long keysym;
};
constexpr KeypadCode kKeypadCodes[] = {
    {"Numpad0", 0xffb0},        {"Numpad1", 0xffb1},        {"Numpad2", 0xffb2},
    {"Numpad3", 0xffb3},        {"Numpad4", 0xffb4},        {"Numpad5", 0xffb5},
    {"Numpad6", 0xffb6},        {"Numpad7", 0xffb7},        {"Numpad8", 0xffb8},
    {"Numpad9", 0xffb9},        {"NumpadDecimal", 0xffae},  {"NumpadAdd", 0xffab},
    {"NumpadSubtract", 0xffad}, {"NumpadMultiply", 0xffaa}, {"NumpadDivide", 0xffaf},
    {"NumpadEnter", 0xff8d},
};
constexpr unsigned long kRightSide = 2;  // KeyboardEvent.location of the keyboard's right side

// The Latin-1 character of a name of one character in UTF-8; 0 for anything else.
int latin1Character(const char* name)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    if (bytes[0] >= 0x20 && bytes[0] < 0x7f && bytes[1] == 0)
        return bytes[0];
    if ((bytes[0] == 0xc2 || bytes[0] == 0xc3) && (bytes[1] & 0xc0) == 0x80 && bytes[2] == 0)
        return ((bytes[0] & 0x1f) << 6) | (bytes[1] & 0x3f);
    return 0;
}

// Each key of the keyboard (KeyboardEvent.code) a number of its own, as it is first pressed.
int keyIdOf(const char* code)
{
    static std::vector<std::string> codes;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == code)
            return static_cast<int>(i) + 1;
    }
    if (codes.size() + 1 >= kKeyIds)
        return 0;
    codes.emplace_back(code);
    return static_cast<int>(codes.size());
}

// The stroke of a key event; false for a key GLUT would not report (a dead key, a character
// beyond Latin-1).
bool strokeOf(const EmscriptenKeyboardEvent& event, KeyStroke& stroke)
{
    stroke = {};
    stroke.keyId = keyIdOf(event.code);
    stroke.alt = event.altKey;
    for (const KeypadCode& keypad : kKeypadCodes) {
        if (std::strcmp(event.code, keypad.code) == 0)
            stroke.keypadKeysym = keypad.keysym;
    }
    for (const SpecialName& special : kSpecialNames) {
        if (std::strcmp(event.key, special.key) == 0) {
            stroke.special = true;
            stroke.code = special.glut;
            return true;
        }
    }
    for (const SidedName& sided : kSidedNames) {
        if (std::strcmp(event.key, sided.key) == 0) {
            stroke.special = true;
            stroke.code = event.location == kRightSide ? sided.right : sided.left;
            return true;
        }
    }
    for (const TypedName& typed : kTypedNames) {
        if (std::strcmp(event.key, typed.key) == 0) {
            stroke.code = typed.character;
            return true;
        }
    }
    stroke.code = latin1Character(event.key);
    return stroke.code != 0;
}

KeyHandler keyPressed = nullptr, keyReleased = nullptr;

// The page's own keys stay the browser's: reloading, its tools, its shortcuts.
bool theBrowsers(const EmscriptenKeyboardEvent& event)
{
    return event.ctrlKey || event.metaKey || std::strcmp(event.key, "F5") == 0 ||
           std::strcmp(event.key, "F12") == 0;
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (theBrowsers(*event))
        return EM_FALSE;
    KeyStroke stroke;
    if (!event->repeat && strokeOf(*event, stroke))
        keyPressed(stroke);
    return EM_TRUE;
}

EM_BOOL keyUp(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (theBrowsers(*event))
        return EM_FALSE;
    KeyStroke stroke;
    if (strokeOf(*event, stroke))
        keyReleased(stroke);
    return EM_TRUE;
}

void (*shownHandler)(bool) = nullptr;

EM_BOOL visibilityChanged(int, const EmscriptenVisibilityChangeEvent* event, void*)
{
    shownHandler(!event->hidden);
    return EM_FALSE;
}

// The pads as last read, to tell what moved since.
struct PadSeen {
    bool connected = false;
    bool buttons[kPadButtons] = {};
    int axes[kPadAxes] = {};
};
std::vector<PadSeen> padsSeen;
std::deque<PadEvent> padEvents;

// The standard layout's buttons (the Gamepad API's numbering) as the platform numbers them; its
// triggers, buttons 6 and 7, are the platform's trigger axes.
constexpr int kStandardButtons[] = {
    0,   // A
    1,   // B
    2,   // X
    3,   // Y
    9,   // left shoulder
    10,  // right shoulder
    -1,  // left trigger: an axis
    -1,  // right trigger: an axis
    4,   // back
    6,   // start
    7,   // left stick
    8,   // right stick
    11,  // D-pad up
    12,  // D-pad down
    13,  // D-pad left
    14,  // D-pad right
    5,   // guide
};
constexpr int kLeftTriggerButton = 6, kRightTriggerButton = 7;
constexpr int kLeftTriggerAxis = 4, kRightTriggerAxis = 5;

int axisValue(double travel)
{
    const double clamped = travel < -1.0 ? -1.0 : travel > 1.0 ? 1.0 : travel;
    return static_cast<int>(clamped < 0 ? clamped * 32768.0 : clamped * 32767.0);
}

void readPads()
{
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    const int count = emscripten_get_num_gamepads();
    if (count > static_cast<int>(padsSeen.size()))
        padsSeen.resize(static_cast<size_t>(count));
    for (int index = 0; index < static_cast<int>(padsSeen.size()); ++index) {
        PadSeen& seen = padsSeen[static_cast<size_t>(index)];
        EmscriptenGamepadEvent now{};
        const bool connected =
            index < count &&
            emscripten_get_gamepad_status(index, &now) == EMSCRIPTEN_RESULT_SUCCESS &&
            now.connected && std::strcmp(now.mapping, "standard") == 0;
        if (connected != seen.connected) {
            padEvents.push_back(
                {connected ? PadEvent::Kind::Added : PadEvent::Kind::Removed, index, 0, 0});
            seen = {};
            seen.connected = connected;
        }
        if (!connected)
            continue;
        const int buttons = std::min(now.numButtons, static_cast<int>(std::size(kStandardButtons)));
        for (int b = 0; b < buttons; ++b) {
            const int button = kStandardButtons[b];
            if (button < 0 || now.digitalButton[b] == seen.buttons[button])
                continue;
            seen.buttons[button] = now.digitalButton[b];
            padEvents.push_back({PadEvent::Kind::Button, index, button, seen.buttons[button]});
        }
        int axes[kPadAxes] = {};
        for (int a = 0; a < 4 && a < now.numAxes; ++a)
            axes[a] = axisValue(now.axis[a]);
        if (now.numButtons > kRightTriggerButton) {
            axes[kLeftTriggerAxis] = axisValue(now.analogButton[kLeftTriggerButton]);
            axes[kRightTriggerAxis] = axisValue(now.analogButton[kRightTriggerButton]);
        }
        for (int a = 0; a < kPadAxes; ++a) {
            if (axes[a] == seen.axes[a])
                continue;
            seen.axes[a] = axes[a];
            padEvents.push_back({PadEvent::Kind::Axis, index, a, axes[a]});
        }
    }
}

}  // namespace

int readGeometry(const char*, int&, int&, unsigned&, unsigned&)
{
    return 0;
}

const char* displayName(const std::string& /*named*/)
{
    return "the page";
}

bool openDisplay(const char* /*name*/)
{
    return true;
}

void glutStarted()
{
}

void waitUntilShown()
{
}

void whenClosed(void (* /*closed*/)())
{
}  // a page has no close box of its own

bool resizeWindow(int width, int height)
{
    glutReshapeWindow(width, height);
    return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
}

void windowMade(const std::string& title)
{
    emscripten_set_window_title(title.c_str());
    tarvelo_draw_polygons();
    tarvelo_name_textures(kFirstTextureName, kTextureCount);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, pageResized);
    fillThePage();
}

bool inFullScreen()
{
    return EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
}

// The whole page full screen, asked in the frame after the key that asks it: the browser allows
// it for a while after a key or a click. The canvas follows the page's size.
void enterFullScreen()
{
    EM_ASM({
        if (document.documentElement.requestFullscreen)
            document.documentElement.requestFullscreen().catch(function(){});
    });
}

void leaveFullScreen()
{
    EM_ASM({
        if (document.fullscreenElement)
            document.exitFullscreen().catch(function(){});
    });
}

void giveWindowBack(int /*width*/, int /*height*/)
{
    fillThePage();
}

void watchKeyboard(KeyHandler pressed, KeyHandler released)
{
    keyPressed = pressed;
    keyReleased = released;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyDown);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyUp);
}

bool windowHasKeyboard()
{
    return EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
}

void watchWindowShown(void (*shown)(bool shown))
{
    shownHandler = shown;
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, visibilityChanged);
    EmscriptenVisibilityChangeEvent now{};
    emscripten_get_visibility_status(&now);
    shown(!now.hidden);
}

bool startPads(std::string& /*why*/)
{
    return true;  // the page reads the pads the browser tells of
}

bool nextPadEvent(PadEvent& event)
{
    if (padEvents.empty())
        readPads();
    if (padEvents.empty())
        return false;
    event = padEvents.front();
    padEvents.pop_front();
    return true;
}

void stopPads()
{
    padsSeen.clear();
    padEvents.clear();
}

// Ended from the page's own turn rather than inside the key's or click's handler, which would
// see the program's end as an error; forced, as the page's pending frames would otherwise keep it.
void leaveGame(int status)
{
    emscripten_async_call(
        [](void* code) {
            emscripten_force_exit(static_cast<int>(reinterpret_cast<intptr_t>(code)));
        },
        reinterpret_cast<void*>(static_cast<intptr_t>(status)), 0);
}

bool waitsForFrames()
{
    return false;
}

void sleepUntil(std::chrono::steady_clock::time_point /*time*/)
{
}  // the page's frames pace it
