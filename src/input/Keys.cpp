// The keyboard's keys and their names: X's names, from Xlib's own table of them, for the keys
// freeglut reports and the keypad's keys, which the game tells apart itself.
#include "input/Keys.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <vector>

// After GLUT: Xlib's macros would clash with names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// freeglut's special keys and the X keys it reports as each (the keypad's with Num Lock off
// too), with the game's name for each; X's own name but for Page_Up and Page_Down (X's Prior
// and Next, which are read too).
struct SpecialKey {
    const char* name;
    int glut;
    KeySym keysym;
    KeySym keypadKeysym;  // 0 where the keypad has none
};
constexpr SpecialKey kSpecialKeys[] = {
    {"F1", GLUT_KEY_F1, XK_F1, 0},
    {"F2", GLUT_KEY_F2, XK_F2, 0},
    {"F3", GLUT_KEY_F3, XK_F3, 0},
    {"F4", GLUT_KEY_F4, XK_F4, 0},
    {"F5", GLUT_KEY_F5, XK_F5, 0},
    {"F6", GLUT_KEY_F6, XK_F6, 0},
    {"F7", GLUT_KEY_F7, XK_F7, 0},
    {"F8", GLUT_KEY_F8, XK_F8, 0},
    {"F9", GLUT_KEY_F9, XK_F9, 0},
    {"F10", GLUT_KEY_F10, XK_F10, 0},
    {"F11", GLUT_KEY_F11, XK_F11, 0},
    {"F12", GLUT_KEY_F12, XK_F12, 0},
    {"Left", GLUT_KEY_LEFT, XK_Left, XK_KP_Left},
    {"Up", GLUT_KEY_UP, XK_Up, XK_KP_Up},
    {"Right", GLUT_KEY_RIGHT, XK_Right, XK_KP_Right},
    {"Down", GLUT_KEY_DOWN, XK_Down, XK_KP_Down},
    {"Page_Up", GLUT_KEY_PAGE_UP, XK_Prior, XK_KP_Prior},
    {"Page_Down", GLUT_KEY_PAGE_DOWN, XK_Next, XK_KP_Next},
    {"Home", GLUT_KEY_HOME, XK_Home, XK_KP_Home},
    {"End", GLUT_KEY_END, XK_End, XK_KP_End},
    {"Insert", GLUT_KEY_INSERT, XK_Insert, XK_KP_Insert},
    {"Num_Lock", GLUT_KEY_NUM_LOCK, XK_Num_Lock, 0},
    {nullptr, GLUT_KEY_BEGIN, 0, XK_KP_Begin},    // the keypad's 5 and its decimal point: named as
    {nullptr, GLUT_KEY_DELETE, 0, XK_KP_Delete},  // keypad keys (KP_5, KP_Decimal)
    {"Shift_L", GLUT_KEY_SHIFT_L, XK_Shift_L, 0},
    {"Shift_R", GLUT_KEY_SHIFT_R, XK_Shift_R, 0},
    {"Control_L", GLUT_KEY_CTRL_L, XK_Control_L, 0},
    {"Control_R", GLUT_KEY_CTRL_R, XK_Control_R, 0},
    {"Alt_L", GLUT_KEY_ALT_L, XK_Alt_L, 0},
    {"Alt_R", GLUT_KEY_ALT_R, XK_Alt_R, 0},
    {"Super_L", GLUT_KEY_SUPER_L, XK_Super_L, 0},
    {"Super_R", GLUT_KEY_SUPER_R, XK_Super_R, 0},
};

// The keypad's keys: as Num Lock on and off gives each.
struct KeypadKey {
    KeySym numLockOn, numLockOff;
};
constexpr KeypadKey kKeypadKeys[] = {
    {XK_KP_0, XK_KP_Insert},
    {XK_KP_1, XK_KP_End},
    {XK_KP_2, XK_KP_Down},
    {XK_KP_3, XK_KP_Next},
    {XK_KP_4, XK_KP_Left},
    {XK_KP_5, XK_KP_Begin},
    {XK_KP_6, XK_KP_Right},
    {XK_KP_7, XK_KP_Home},
    {XK_KP_8, XK_KP_Up},
    {XK_KP_9, XK_KP_Prior},
    {XK_KP_Decimal, XK_KP_Delete},
    {XK_KP_Add, XK_KP_Add},
    {XK_KP_Subtract, XK_KP_Subtract},
    {XK_KP_Multiply, XK_KP_Multiply},
    {XK_KP_Divide, XK_KP_Divide},
    {XK_KP_Enter, XK_KP_Enter},
};

// The keys that type a control character, as XLookupString gives it.
struct ControlKey {
    int character;
    KeySym keysym;
};
constexpr ControlKey kControlKeys[] = {
    {8, XK_BackSpace}, {9, XK_Tab}, {13, XK_Return}, {kEscapeCharacter, XK_Escape},
    {127, XK_Delete},
};

bool latin1(KeySym keysym)
{
    return (keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff);
}

// A character typed as a name of its own: one ASCII character, or one Latin-1 character in
// UTF-8. 0 for anything else.
int characterItself(std::string_view name)
{
    if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7f)
        return name[0];
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(name[i]); };
    if (name.size() == 2 && (byte(0) == 0xc2 || byte(0) == 0xc3) && (byte(1) & 0xc0) == 0x80) {
        const int character = ((byte(0) & 0x1f) << 6) | (byte(1) & 0x3f);
        return character > 0xa0 ? character : 0;
    }
    return 0;
}

struct NamedKey {
    std::string name;
    Key key;
};

// Every key's names: the Latin-1 characters' and the control keys' as Xlib's table has them,
// the special keys' (with X's Prior and Next), and the keypad's with Num Lock on and off. Made
// once; read without Xlib's XStringToKeysym, which keeps every name it is asked about.
const std::vector<NamedKey>& namedKeys()
{
    static const std::vector<NamedKey> keys = [] {
        std::vector<NamedKey> list;
        const auto add = [&list](const char* name, Key key) {
            if (name)
                list.push_back({name, key});
        };
        for (KeySym keysym = 0x20; keysym <= 0xff; ++keysym) {
            if (latin1(keysym))
                add(XKeysymToString(keysym),
                    inOneCase({KeyKind::Character, static_cast<int>(keysym)}));
        }
        for (const ControlKey& control : kControlKeys)
            add(XKeysymToString(control.keysym), {KeyKind::Character, control.character});
        for (const SpecialKey& special : kSpecialKeys) {
            add(special.name, {KeyKind::Special, special.glut});
            if (special.name && special.keysym)
                add(XKeysymToString(special.keysym), {KeyKind::Special, special.glut});
        }
        for (const KeypadKey& keypad : kKeypadKeys) {
            const Key key{KeyKind::Keypad, static_cast<int>(keypad.numLockOn)};
            add(XKeysymToString(keypad.numLockOn), key);
            add(XKeysymToString(keypad.numLockOff), key);
        }
        return list;
    }();
    return keys;
}

}  // namespace

bool operator==(Key a, Key b)
{
    return a.kind == b.kind && a.code == b.code;
}

bool operator!=(Key a, Key b)
{
    return !(a == b);
}

Key inOneCase(Key key)
{
    if (key.kind != KeyKind::Character)
        return key;
    const int c = key.code;
    const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xc0 && c <= 0xde && c != 0xd7);
    return upper ? Key{KeyKind::Character, c + 0x20} : key;
}

std::optional<Key> keyOfName(std::string_view name)
{
    if (const int character = characterItself(name))
        return inOneCase({KeyKind::Character, character});
    for (const NamedKey& named : namedKeys()) {
        if (name == named.name)
            return named.key;
    }
    return std::nullopt;
}

std::string nameOfKey(Key key)
{
    const char* name = nullptr;
    switch (key.kind) {
        case KeyKind::Character:
            for (const ControlKey& control : kControlKeys) {
                if (key.code == control.character)
                    name = XKeysymToString(control.keysym);
            }
            if (latin1(static_cast<KeySym>(key.code)))
                name = XKeysymToString(static_cast<KeySym>(key.code));
            break;
        case KeyKind::Special:
            for (const SpecialKey& special : kSpecialKeys) {
                if (key.code == special.glut && special.name)
                    name = special.name;
            }
            break;
        case KeyKind::Keypad:
            name = XKeysymToString(static_cast<KeySym>(key.code));
            break;
    }
    if (name)
        return name;
    char code[16];
    std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(key.code));
    return code;
}

int glutSpecialOfKeysym(unsigned long keysym)
{
    if (keysym == NoSymbol)
        return -1;
    for (const SpecialKey& special : kSpecialKeys) {
        if (keysym == special.keysym || keysym == special.keypadKeysym)
            return special.glut;
    }
    return -1;
}

std::optional<Key> keypadKeyOfKeysym(unsigned long keysym)
{
    for (const KeypadKey& keypad : kKeypadKeys) {
        if (keysym == keypad.numLockOn || keysym == keypad.numLockOff)
            return Key{KeyKind::Keypad, static_cast<int>(keypad.numLockOn)};
    }
    return std::nullopt;
}
