// The car, built once into vertex arrays: textured body and four black wheels, in car coordinates.
#pragma once

void buildCarArrays();  // build the car's arrays (prints its progress line); textures loaded
// The car's body and wheels in car coordinates, their paint at `opacity` (the player's car at 1, a
// ghost's below it, blended over the map); leaves texturing off and the modelview as found.
void drawCarShape(float opacity);
