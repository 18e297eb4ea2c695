// The benchmarks' reference frame: clear, one full-screen textured and blended quad, swap. What a
// frame costs on this screen before the game draws anything of its own.
#pragma once

void makeFloorTexture();  // a translucent checkerboard of its own, once the window is open
void drawFloor();         // the reference picture into the back buffer, not yet shown
void floorFrame();        // one reference frame, swapped and finished
