// Sizes in pixels on large screens. The game's text, points and lines have sizes in pixels,
// right for the screens it was drawn for; where its picture is at least twice as tall as those,
// they are drawn a whole number of times larger, the text as the same letters with every pixel
// enlarged, so that the dashboard stays readable and the bursts keep their share of the screen.
#pragma once

constexpr int kDesignedHeight = 768;  // pixels: the height of the screens the game was drawn for

extern int pixelScale;  // 1, or the whole number of 768s in a picture at least 1536 pixels tall

int pixelScaleOf(int pictureHeight);  // the scale for a picture this tall
// The scale from now on. The first time it exceeds 1 the letters of the game's fonts are drawn
// once into the corner of the picture and read back, so it is called between frames, with the
// viewport on the picture; the frame after it covers every pixel anyway.
void setPixelScale(int scale);
float scaledPixels(double pixels);  // a point size or line width at the current scale

// The game's bitmap fonts (GLUT_BITMAP_9_BY_15, _TIMES_ROMAN_10 and _24) at the current scale:
// at 1, GLUT's own letters; larger, each of their pixels a square of that many pixels. Other
// fonts, or a picture too small to read the letters back from, stay at GLUT's size.
int textWidth(void* font, const char* text);  // pixels the text advances
void drawText(void* font, const char* text);  // at the raster position, in its colour
