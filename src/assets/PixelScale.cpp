// Sizes in pixels on large screens: the scale of the moment.
#include "assets/PixelScale.h"

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
