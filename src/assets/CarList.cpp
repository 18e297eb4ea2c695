// The car's display list: the textured body and four black wheels, seen from above.
#include "assets/CarList.h"

#include <GL/gl.h>

#include <iostream>

#include "assets/Textures.h"

namespace {

// Car coordinates: the body is centred on the pivot (10, 0) with its front edge at y 5.
struct BodyCorner {
    float s, t;  // texture coordinate: s across the car, t from the front edge (0) to the rear (1)
    float x, y;
};

struct CarPoint {
    float x, y;
};

// Body, 5 wide and 10 long, corners in drawing order.
constexpr BodyCorner kBody[4] = {
    {0.0f, 0.0f, 7.5f, 5.0f},
    {1.0f, 0.0f, 12.5f, 5.0f},
    {1.0f, 1.0f, 12.5f, -5.0f},
    {0.0f, 1.0f, 7.5f, -5.0f},
};

// The front left wheel, 2.5 wide and 3 long; the other three are this one moved.
constexpr CarPoint kWheel[4] = {
    {5.0f, 4.0f},
    {7.5f, 4.0f},
    {7.5f, 1.0f},
    {5.0f, 1.0f},
};

// Moves from one wheel to the next: rear left, front right, rear right.
constexpr CarPoint kNextWheel[3] = {
    {0.0f, -5.0f},
    {7.5f, 5.0f},
    {0.0f, -5.0f},
};

// Brings the list's net translation back to zero after the last wheel.
constexpr CarPoint kBackToCarOrigin = {-7.5f, 5.0f};

void drawWheel()
{
    glBegin(GL_POLYGON);
    for (const CarPoint& corner : kWheel)
        glVertex2f(corner.x, corner.y);
    glEnd();
}

}  // namespace

void drawCarShape(float opacity)
{
    // White, so the car's picture shows at full brightness whatever colour came before.
    glColor4f(1.0f, 1.0f, 1.0f, opacity);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureName(kCarTexture));
    glBegin(GL_POLYGON);
    for (const BodyCorner& corner : kBody) {
        glTexCoord2f(corner.s, corner.t);
        glVertex2f(corner.x, corner.y);
    }
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, opacity);
    drawWheel();
    for (const CarPoint& move : kNextWheel) {
        glColor4f(0.0f, 0.0f, 0.0f, opacity);
        glTranslatef(move.x, move.y, 0.0f);
        drawWheel();
    }
    glTranslatef(kBackToCarOrigin.x, kBackToCarOrigin.y, 0.0f);
}

void buildCarList()
{
    std::cout << std::endl << " Loading Car objects..." << std::endl;
    glNewList(kCarList, GL_COMPILE);
    drawCarShape(1.0f);  // opaque
    glEndList();
}
