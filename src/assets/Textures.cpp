// The game's ten textures: each read from its BMP file at start-up into its fixed texture name.
#include "assets/Textures.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "assets/BmpReader.h"
#include "base/Digest.h"
#include "base/Program.h"

const char* const textureFiles[kTextureCount] = {"Car.bmp",    "Dirt.bmp", "Box1.bmp", "New.bmp",
                                                 "Quit.bmp",   "Roof.bmp", "Road.bmp", "Water.bmp",
                                                 "Bricks.bmp", "Logo.bmp"};

uint64_t picturesDigest = kEmptyDigest;

namespace {

// Empty when the graphics driver takes a texture of this size, else the message that refuses the
// picture. Asked before the picture is decoded: a header may announce any size at all.
std::string driverRefusal(int32_t width, int32_t height)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    bool takes = width <= largest && height <= largest;
    if (takes) {  // the proxy says whether this very size and format would be kept
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        GLint keptWidth = 0, keptHeight = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &keptWidth);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &keptHeight);
        takes = keptWidth == width && keptHeight == height;
    }
    if (takes)
        return {};
    return "The picture is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, larger than the graphics driver takes (at most " + std::to_string(largest) +
           " x " + std::to_string(largest) + ").";
}

// The one line of a picture that cannot be used, naming it and its folder; then the game ends.
[[noreturn]] void endOnPicture(const char* file, const std::string& folder,
                               const std::string& message)
{
    say(std::string(file) + " in " + folder + ": " + message);
    std::fflush(stderr);
    std::exit(1);
}

}  // namespace

void loadTextures(const std::string& folder)
{
    std::cout << std::endl << " Loading textures..." << std::endl;

    // The decoded rows are packed (3 x width bytes), so any width uploads as it is.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int k = 0; k < kTextureCount; ++k) {
        const TextureSlot slot = static_cast<TextureSlot>(k);
        const BmpReading reading = readBmpFile(folder, textureFiles[slot], driverRefusal);
        if (!reading.image)
            endOnPicture(textureFiles[slot], folder, reading.failure);
        const DecodedImage& image = *reading.image;
        const int32_t size[2] = {image.width, image.height};
        picturesDigest = digestOf(size, sizeof size, picturesDigest);
        picturesDigest =
            digestOf(image.pixels.get(), static_cast<size_t>(image.width) * image.height * 3,
                     picturesDigest);
        glBindTexture(GL_TEXTURE_2D, textureName(slot));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image.width, image.height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, image.pixels.get());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // back to OpenGL's default for everything drawn later
}
