// The keyboard's keys and their names: X's names, as Xlib's own table has them (a test holds
// the two together), for the keys GLUT reports and the keypad's keys, which the game tells apart
// itself. The browser has no Xlib: the names are the game's own table in both builds.
#include "input/Keys.h"

#include <cstdio>
#include <vector>

#include "platform/Glut.h"

// After GLUT: X's key names are macros.
#include <X11/keysym.h>

namespace {

// freeglut's special keys, with the game's name for each: X's own name but for Page_Up and
// Page_Down (X's Prior and Next, which are read too).
struct SpecialKey {
    const char* name;
    int glut;
    const char* xName = nullptr;  // X's name, where it is another
};
constexpr SpecialKey kSpecialKeys[] = {
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
    {"Left", GLUT_KEY_LEFT},
    {"Up", GLUT_KEY_UP},
    {"Right", GLUT_KEY_RIGHT},
    {"Down", GLUT_KEY_DOWN},
    {"Page_Up", GLUT_KEY_PAGE_UP, "Prior"},
    {"Page_Down", GLUT_KEY_PAGE_DOWN, "Next"},
    {"Home", GLUT_KEY_HOME},
    {"End", GLUT_KEY_END},
    {"Insert", GLUT_KEY_INSERT},
    {"Num_Lock", GLUT_KEY_NUM_LOCK},
    {"Shift_L", GLUT_KEY_SHIFT_L},
    {"Shift_R", GLUT_KEY_SHIFT_R},
    {"Control_L", GLUT_KEY_CTRL_L},
    {"Control_R", GLUT_KEY_CTRL_R},
    {"Alt_L", GLUT_KEY_ALT_L},
    {"Alt_R", GLUT_KEY_ALT_R},
    {"Super_L", GLUT_KEY_SUPER_L},
    {"Super_R", GLUT_KEY_SUPER_R},
};

// The keypad's keys: as Num Lock on and off gives each, with X's names for both.
struct KeypadKey {
    unsigned long numLockOn, numLockOff;
    const char* nameOn;
    const char* nameOff;
};
constexpr KeypadKey kKeypadKeys[] = {
    {XK_KP_0, XK_KP_Insert, "KP_0", "KP_Insert"},
    {XK_KP_1, XK_KP_End, "KP_1", "KP_End"},
    {XK_KP_2, XK_KP_Down, "KP_2", "KP_Down"},
    {XK_KP_3, XK_KP_Next, "KP_3", "KP_Next"},
    {XK_KP_4, XK_KP_Left, "KP_4", "KP_Left"},
    {XK_KP_5, XK_KP_Begin, "KP_5", "KP_Begin"},
    {XK_KP_6, XK_KP_Right, "KP_6", "KP_Right"},
    {XK_KP_7, XK_KP_Home, "KP_7", "KP_Home"},
    {XK_KP_8, XK_KP_Up, "KP_8", "KP_Up"},
    {XK_KP_9, XK_KP_Prior, "KP_9", "KP_Prior"},
    {XK_KP_Decimal, XK_KP_Delete, "KP_Decimal", "KP_Delete"},
    {XK_KP_Add, XK_KP_Add, "KP_Add", "KP_Add"},
    {XK_KP_Subtract, XK_KP_Subtract, "KP_Subtract", "KP_Subtract"},
    {XK_KP_Multiply, XK_KP_Multiply, "KP_Multiply", "KP_Multiply"},
    {XK_KP_Divide, XK_KP_Divide, "KP_Divide", "KP_Divide"},
    {XK_KP_Enter, XK_KP_Enter, "KP_Enter", "KP_Enter"},
};

// The keys that type a control character, as XLookupString gives it, with X's names.
struct ControlKey {
    int character;
    unsigned long keysym;
    const char* name;
};
constexpr ControlKey kControlKeys[] = {
    {8, XK_BackSpace, "BackSpace"},          {9, XK_Tab, "Tab"},         {13, XK_Return, "Return"},
    {kEscapeCharacter, XK_Escape, "Escape"}, {127, XK_Delete, "Delete"},
};

// X's names of the Latin-1 characters' keys, from space (0x20) to asciitilde (0x7e), then from
// nobreakspace (0xa0) to ydiaeresis (0xff): the keysym is the character.
constexpr const char* kLatin1Names[] = {
    "space",
    "exclam",
    "quotedbl",
    "numbersign",
    "dollar",
    "percent",
    "ampersand",
    "apostrophe",
    "parenleft",
    "parenright",
    "asterisk",
    "plus",
    "comma",
    "minus",
    "period",
    "slash",
    "0",
    "1",
    "2",
    "3",
    "4",
    "5",
    "6",
    "7",
    "8",
    "9",
    "colon",
    "semicolon",
    "less",
    "equal",
    "greater",
    "question",
    "at",
    "A",
    "B",
    "C",
    "D",
    "E",
    "F",
    "G",
    "H",
    "I",
    "J",
    "K",
    "L",
    "M",
    "N",
    "O",
    "P",
    "Q",
    "R",
    "S",
    "T",
    "U",
    "V",
    "W",
    "X",
    "Y",
    "Z",
    "bracketleft",
    "backslash",
    "bracketright",
    "asciicircum",
    "underscore",
    "grave",
    "a",
    "b",
    "c",
    "d",
    "e",
    "f",
    "g",
    "h",
    "i",
    "j",
    "k",
    "l",
    "m",
    "n",
    "o",
    "p",
    "q",
    "r",
    "s",
    "t",
    "u",
    "v",
    "w",
    "x",
    "y",
    "z",
    "braceleft",
    "bar",
    "braceright",
    "asciitilde",
    "nobreakspace",
    "exclamdown",
    "cent",
    "sterling",
    "currency",
    "yen",
    "brokenbar",
    "section",
    "diaeresis",
    "copyright",
    "ordfeminine",
    "guillemotleft",
    "notsign",
    "hyphen",
    "registered",
    "macron",
    "degree",
    "plusminus",
    "twosuperior",
    "threesuperior",
    "acute",
    "mu",
    "paragraph",
    "periodcentered",
    "cedilla",
    "onesuperior",
    "masculine",
    "guillemotright",
    "onequarter",
    "onehalf",
    "threequarters",
    "questiondown",
    "Agrave",
    "Aacute",
    "Acircumflex",
    "Atilde",
    "Adiaeresis",
    "Aring",
    "AE",
    "Ccedilla",
    "Egrave",
    "Eacute",
    "Ecircumflex",
    "Ediaeresis",
    "Igrave",
    "Iacute",
    "Icircumflex",
    "Idiaeresis",
    "ETH",
    "Ntilde",
    "Ograve",
    "Oacute",
    "Ocircumflex",
    "Otilde",
    "Odiaeresis",
    "multiply",
    "Oslash",
    "Ugrave",
    "Uacute",
    "Ucircumflex",
    "Udiaeresis",
    "Yacute",
    "THORN",
    "ssharp",
    "agrave",
    "aacute",
    "acircumflex",
    "atilde",
    "adiaeresis",
    "aring",
    "ae",
    "ccedilla",
    "egrave",
    "eacute",
    "ecircumflex",
    "ediaeresis",
    "igrave",
    "iacute",
    "icircumflex",
    "idiaeresis",
    "eth",
    "ntilde",
    "ograve",
    "oacute",
    "ocircumflex",
    "otilde",
    "odiaeresis",
    "division",
    "oslash",
    "ugrave",
    "uacute",
    "ucircumflex",
    "udiaeresis",
    "yacute",
    "thorn",
    "ydiaeresis",
};
constexpr int kAsciiNames = 0x7f - 0x20;

bool latin1(unsigned long keysym)
{
    return (keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff);
}

const char* latin1Name(unsigned long keysym)
{
    return kLatin1Names[keysym <= 0x7e ? keysym - 0x20 : kAsciiNames + (keysym - 0xa0)];
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
        for (unsigned long keysym = 0x20; keysym <= 0xff; ++keysym) {
            if (latin1(keysym))
                add(latin1Name(keysym), inOneCase({KeyKind::Character, static_cast<int>(keysym)}));
        }
        for (const ControlKey& control : kControlKeys)
            add(control.name, {KeyKind::Character, control.character});
        for (const SpecialKey& special : kSpecialKeys) {
            add(special.name, {KeyKind::Special, special.glut});
            add(special.xName, {KeyKind::Special, special.glut});
        }
        for (const KeypadKey& keypad : kKeypadKeys) {
            const Key key{KeyKind::Keypad, static_cast<int>(keypad.numLockOn)};
            add(keypad.nameOn, key);
            add(keypad.nameOff, key);
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
                    name = control.name;
            }
            if (latin1(static_cast<unsigned long>(key.code)))
                name = latin1Name(static_cast<unsigned long>(key.code));
            break;
        case KeyKind::Special:
            for (const SpecialKey& special : kSpecialKeys) {
                if (key.code == special.glut && special.name)
                    name = special.name;
            }
            break;
        case KeyKind::Keypad:
            for (const KeypadKey& keypad : kKeypadKeys) {
                if (static_cast<unsigned long>(key.code) == keypad.numLockOn)
                    name = keypad.nameOn;
            }
            break;
    }
    if (name)
        return name;
    char code[16];
    std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(key.code));
    return code;
}

std::optional<Key> keypadKeyOfKeysym(unsigned long keysym)
{
    for (const KeypadKey& keypad : kKeypadKeys) {
        if (keysym == keypad.numLockOn || keysym == keypad.numLockOff)
            return Key{KeyKind::Keypad, static_cast<int>(keypad.numLockOn)};
    }
    return std::nullopt;
}
