// Test helper: one of the game's textures painted a single known colour for the length of a test.
#pragma once

#include <GL/gl.h>

#include <vector>

// While it lives, the texture named `name` is one texel of the given colour, so every shape
// that shows it is drawn in exactly that colour; the texture's own picture comes back after.
class SolidTexture {
public:
    SolidTexture(unsigned name, int red, int green, int blue) : name_(name)
    {
        glBindTexture(GL_TEXTURE_2D, name_);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width_);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height_);
        picture_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, picture_.data());
        const unsigned char texel[3] = {static_cast<unsigned char>(red),
                                        static_cast<unsigned char>(green),
                                        static_cast<unsigned char>(blue)};
        upload(1, 1, texel);
    }

    ~SolidTexture()
    {
        glBindTexture(GL_TEXTURE_2D, name_);
        upload(width_, height_, picture_.data());
    }

    SolidTexture(const SolidTexture&) = delete;
    SolidTexture& operator=(const SolidTexture&) = delete;

private:
    static void upload(GLint width, GLint height, const unsigned char* rgb)
    {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }

    unsigned name_;
    GLint width_ = 0;
    GLint height_ = 0;
    std::vector<unsigned char> picture_;
};
