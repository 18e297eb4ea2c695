// The game's ten textures: each read from its BMP file at start-up into its fixed texture name.
#include "assets/Textures.h"

#include <GL/gl.h>

#include <cstdlib>
#include <iostream>

#include "assets/BmpReader.h"

const char* const textureFiles[kTextureCount] = {"Car.bmp",    "Dirt.bmp", "Box1.bmp", "New.bmp",
                                                 "Quit.bmp",   "Roof.bmp", "Road.bmp", "Water.bmp",
                                                 "Bricks.bmp", "Logo.bmp"};

void loadTextures(const std::string& folder)
{
    std::cout << std::endl << " Loading textures..." << std::endl;

    // The decoded rows are packed (3 x width bytes), so any width uploads as it is.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int k = 0; k < kTextureCount; ++k) {
        const TextureSlot slot = static_cast<TextureSlot>(k);
        const std::string path = folder + "/" + textureFiles[slot];
        const std::optional<DecodedImage> image = readBmpFile(path.c_str());
        if (!image)
            std::exit(1);  // the reader has reported which file and why
        glBindTexture(GL_TEXTURE_2D, textureName(slot));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     image->pixels.get());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // back to OpenGL's default for everything drawn later
}
