// Sizes in pixels on large screens. The game's text, points and lines have sizes in pixels,
// right for the screens it was drawn for; where its picture is at least twice as tall as those,
// they are drawn a whole number of times larger, the text as the same letters with every pixel
// enlarged (assets/Letters.h), so that the dashboard stays readable and the bursts keep their
// share of the screen.
#pragma once

constexpr int kDesignedHeight = 768;  // pixels: the height of the screens the game was drawn for

extern int pixelScale;  // 1, or the whole number of 768s in a picture at least 1536 pixels tall

int pixelScaleOf(int pictureHeight);  // the scale for a picture this tall
void setPixelScale(int scale);        // the scale from now on
float scaledPixels(double pixels);    // a point size or line width at the current scale

// Drawing in the viewport's own pixels: one unit a pixel, (0, 0) its lower left corner, the
// viewport as GL has it given back in `viewport`. The matrices are kept, and given back by
// endViewportPixels, which leaves the modelview matrix current.
void beginViewportPixels(int (&viewport)[4]);
void endViewportPixels();
