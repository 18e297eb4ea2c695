// The car's display list: textured body and four black wheels, in car coordinates.
#pragma once

#include "assets/DisplayLists.h"

void buildCarList();  // compile kCarList (prints its progress line)
// The car's body and wheels in car coordinates, their paint at `opacity` (the list's at 1, a
// ghost's below it, blended over the map); texturing left off.
void drawCarShape(float opacity);
