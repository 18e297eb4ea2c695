// The car, built once into vertex arrays: textured body and four black wheels, in car coordinates.
#pragma once

void buildCarArrays();  // build the car's arrays (prints its progress line); textures loaded
void drawCar();  // the player's car from its arrays; leaves texturing off, modelview as found
// The car's body and wheels in car coordinates, painted at once at `opacity` (a ghost's, below 1,
// blended over the map); leaves texturing off and the modelview as found.
void drawCarShape(float opacity);
