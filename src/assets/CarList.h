// The car's display list: textured body and four black wheels, in car coordinates.
#pragma once

#include "assets/DisplayLists.h"

void buildCarList();  // compile kCarList (prints its progress line)
