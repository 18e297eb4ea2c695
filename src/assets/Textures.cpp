// Texture loading (placeholder until the reader is built).
#include "assets/Textures.h"
const char* const textureFiles[kTextureCount] = {"Car.bmp", "Dirt.bmp", "Box1.bmp", "New.bmp", "Quit.bmp",
                                                 "Roof.bmp", "Road.bmp", "Water.bmp", "Bricks.bmp", "Logo.bmp"};
void loadTextures() {}
