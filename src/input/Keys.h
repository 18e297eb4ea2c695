// The keyboard's keys as the game tells them apart, and their names in the player's settings:
// X's own names for them (Up, F5, a, ampersand, eacute, KP_1), as xev shows them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class KeyKind {
    Character,  // a key that types something: GLUT's keyboard callbacks
    Special,    // an arrow, F1, Home, Shift...: GLUT's special callbacks
    Keypad,     // a key of the numeric keypad, told apart from the others through X
};

struct Key {
    KeyKind kind;
    int code;  // the character (Latin-1, letters in lower case), the GLUT_KEY_ value, or the
               // keypad key's X keysym as Num Lock gives it (XK_KP_1, XK_KP_Decimal, ...)
};
bool operator==(Key a, Key b);
bool operator!=(Key a, Key b);

constexpr int kEscapeCharacter = 27;
constexpr Key kEscapeKey{KeyKind::Character, kEscapeCharacter};  // always quits

// Letters in lower case, also the accented ones: Shift or Caps Lock may come or go while a
// letter is down, and the player names a letter in either case.
Key inOneCase(Key key);

// The key a name stands for: X's name for a key (Up, F5, a, ampersand, KP_1, BackSpace), or a
// single character itself (&, é); letters in either case. Nothing for a name of no key the game
// can tell apart.
std::optional<Key> keyOfName(std::string_view name);
std::string nameOfKey(Key key);  // the name keyOfName reads back as the same key

// The keypad key of an X keysym, whether Num Lock is on or off: KP_1 and KP_End are both the
// keypad's 1.
std::optional<Key> keypadKeyOfKeysym(unsigned long keysym);
