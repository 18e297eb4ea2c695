// The letters of the game's three fonts as a table: for each letter the pixels it lights, where
// they lie from the pen, and how far the pen moves on. tools/make_letters.cpp writes the table
// (LetterTable.cpp) from the bitmap letters GLUT draws; the game draws its text from it alone.
#pragma once

// The game's fonts, in the table's order: a fixed 9 x 15 font, a small and a large serif font.
enum class TextFont { Fixed9x15, Serif10, Serif24 };
constexpr int kTextFonts = 3;

constexpr char kFirstLetter = ' ';  // the game writes printable ASCII only, space to tilde
constexpr char kLastLetter = '~';
constexpr int kLettersPerFont = kLastLetter - kFirstLetter + 1;

// One letter at its size on the screens the game was drawn for.
struct LetterShape {
    char code;          // the letter, in code order from space
    int advance;        // pixels the pen moves on after it
    int left, bottom;   // the lit pixels' lower left corner, in pixels right of and above the pen
    int width, height;  // their extent; 0 for a letter that lights none (space)
    const char* rows;   // `height` rows of `width`, the top row first: '#' lit, '.' not
};

extern const LetterShape kLetterTable[kTextFonts][kLettersPerFont];  // by font, then by code
