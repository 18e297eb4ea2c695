// The car's display list: textured body and four black wheels, in car coordinates.
#pragma once

constexpr unsigned kCarList = 1;

void buildCarList();  // compile list 1 (prints its progress line)
