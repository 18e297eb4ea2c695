// The game's text: its letters drawn from their table (assets/LetterTable.h), each letter a
// square of texture covering exactly the pixels it lights, at the current pixel scale. Only what
// a browser's GL also has: a texture, quads, an orthographic projection, blending.
#pragma once

#include <cstddef>

#include "assets/LetterTable.h"

// Where the pen stands at the start of a text, as a raster position is given: a point in the
// coordinates of the current modelview and projection (the view's -50..50 for the game).
struct PenPlace {
    float x, y;
};

// A text to write, in a font, from a pen.
struct TextRun {
    const char* text;
    TextFont font;
    PenPlace pen;
};

int textWidth(TextFont font, const char* text);  // pixels the text advances, at the pixel scale
// The text from the pen on, in the current colour and its alpha: the pixels GLUT's bitmap letters
// light at a raster position there, each enlarged to a square of the pixel scale; nothing where
// the pen lies outside the view, as a raster position there would draw nothing. Drawn with
// texturing off and the modelview matrix current, as the game draws; leaves blending on, with the
// game's one function, source alpha over the picture (and the letters' texture bound).
void drawText(TextFont font, const char* text, PenPlace pen);
// Several texts so, in one go: the renderer is set up for letters once, not once a text.
void drawTexts(const TextRun* runs, std::size_t count);
