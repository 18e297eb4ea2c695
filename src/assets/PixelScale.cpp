// Sizes in pixels on large screens: the scale of the moment; and drawing in the viewport's pixels.
#include "assets/PixelScale.h"

#include <GL/gl.h>

#include <algorithm>

int pixelScale = 1;

int pixelScaleOf(int pictureHeight)
{
    return std::max(1, pictureHeight / kDesignedHeight);
}

void setPixelScale(int scale)
{
    pixelScale = scale;
}

float scaledPixels(double pixels)
{
    return static_cast<float>(pixels * pixelScale);
}

void beginViewportPixels(int (&viewport)[4])
{
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);  // one unit a pixel of the viewport
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endViewportPixels()
{
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
