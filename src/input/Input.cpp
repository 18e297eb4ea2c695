// The keyboard and the mouse turned into the player's actions, each through a table; and the
// keyboard's comings and goings: a held key is one press here (the platform tells no repeats)
// and the game repeats the action at its own pace; a key released while the keyboard was
// elsewhere never says so, so the game lets go of every key when its window loses the keyboard.
#include "input/Input.h"

#include <array>

#include "platform/Glut.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/PlayedGame.h"
#include "sound/Sound.h"

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

constexpr int kKeycodes = kKeyIds;
// What each key held down asked for when it was pressed, so that its release lets go of that.
struct HeldKey {
    bool down = false;
    std::optional<Action> action;
};
std::array<HeldKey, kKeycodes> heldKeys;

Key keyOfStroke(const KeyStroke& stroke)
{
    return {stroke.special ? KeyKind::Special : KeyKind::Character, stroke.code};
}

// A key's action: the keypad's own key first, where one is bound; else the key as GLUT gives it
// (with Num Lock, the keypad's digits are the digits; without it, its arrows the arrows).
std::optional<Action> actionOfStroke(const KeyStroke& stroke)
{
    if (const std::optional<Key> keypad = keypadKeyOfKeysym(stroke.keypadKeysym)) {
        if (const std::optional<Action> action = actionOfKey(*keypad))
            return action;
    }
    return actionOfKey(keyOfStroke(stroke));
}

constexpr Key kEnterKey{KeyKind::Character, 13};

// Alt+Enter switches between full screen and a window, as on most desktops, whatever the table
// says.
void keyDown(const KeyStroke& stroke)
{
    const std::optional<Action> action = stroke.alt && keyOfStroke(stroke) == kEnterKey
                                             ? Action::FullScreen
                                             : actionOfStroke(stroke);
    if (stroke.keyId > 0 && stroke.keyId < kKeycodes)
        heldKeys[static_cast<size_t>(stroke.keyId)] = {true, action};
    if (action)
        pressAction(*action, Device::Keyboard);
}

void keyUp(const KeyStroke& stroke)
{
    std::optional<Action> action;
    HeldKey* held = stroke.keyId > 0 && stroke.keyId < kKeycodes
                        ? &heldKeys[static_cast<size_t>(stroke.keyId)]
                        : nullptr;
    if (held && held->down)
        action = held->action;  // whatever Shift does meanwhile
    else
        action = actionOfStroke(stroke);
    if (held)
        *held = {};
    if (action)
        releaseAction(*action, Device::Keyboard);
    if (keyOfStroke(stroke) == kEnterKey)
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
    watchKeyboard(keyDown, keyUp);
    watchWindowShown([](bool shown) { windowStatus(shown ? GLUT_VISIBLE : GLUT_HIDDEN); });
}

void keyPressed(unsigned char key, int /*x*/, int /*y*/)
{
    keyDown({false, key});
}

void keyReleased(unsigned char key, int /*x*/, int /*y*/)
{
    keyUp({false, key});
}

void specialKeyPressed(int key, int /*x*/, int /*y*/)
{
    keyDown({true, key});
}

void specialKeyReleased(int key, int /*x*/, int /*y*/)
{
    keyUp({true, key});
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
