// The benchmarks' reference frame.
#include "FloorFrame.h"

#include <GL/glut.h>

#include <vector>

namespace {

constexpr GLuint kFloorTexture = 900;  // clear of the game's own texture names (13 to 22)
constexpr int kFloorTextureSide = 64;

}  // namespace

void makeFloorTexture()
{
    std::vector<unsigned char> texels(kFloorTextureSide * kFloorTextureSide * 4);
    for (int y = 0; y < kFloorTextureSide; ++y)
        for (int x = 0; x < kFloorTextureSide; ++x) {
            unsigned char* t = &texels[(y * kFloorTextureSide + x) * 4];
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            t[0] = light ? 200 : 60;
            t[1] = static_cast<unsigned char>(x * 4);
            t[2] = static_cast<unsigned char>(y * 4);
            t[3] = 180;
        }
    glBindTexture(GL_TEXTURE_2D, kFloorTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kFloorTextureSide, kFloorTextureSide, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.data());
}

void drawFloor()
{
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, kFloorTexture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-50.0f, -50.0f);
    glTexCoord2f(4.0f, 0.0f);
    glVertex2f(50.0f, -50.0f);
    glTexCoord2f(4.0f, 3.0f);
    glVertex2f(50.0f, 50.0f);
    glTexCoord2f(0.0f, 3.0f);
    glVertex2f(-50.0f, 50.0f);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void floorFrame()
{
    drawFloor();
    glutSwapBuffers();
    glFinish();
}
