// The car, built once into vertex arrays: the textured body and four black wheels, seen from above.
#include "assets/CarList.h"

#include <GL/gl.h>

#include <iostream>

#include "assets/ShapeArrays.h"
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

// Brings the net translation back to zero after the last wheel.
constexpr CarPoint kBackToCarOrigin = {-7.5f, 5.0f};

// The car as built at start-up, its paint opaque; drawn every frame.
ShapeArrays carArrays;

template <class Pen>
void wheel(Pen& pen)
{
    pen.begin(GL_POLYGON);
    for (const CarPoint& corner : kWheel)
        pen.vertex(corner.x, corner.y);
    pen.end();
}

template <class Pen>
void carShape(Pen& pen, float opacity)
{
    // White, so the car's picture shows at full brightness whatever colour came before.
    pen.colour(1.0f, 1.0f, 1.0f, opacity);
    pen.texturing(true);
    pen.bindTexture(textureName(kCarTexture));
    pen.begin(GL_POLYGON);
    for (const BodyCorner& corner : kBody) {
        pen.texCoord(corner.s, corner.t);
        pen.vertex(corner.x, corner.y);
    }
    pen.end();

    pen.texturing(false);
    pen.colour(0.0f, 0.0f, 0.0f, opacity);
    wheel(pen);
    for (const CarPoint& move : kNextWheel) {
        pen.colour(0.0f, 0.0f, 0.0f, opacity);
        pen.move(move.x, move.y);
        wheel(pen);
    }
    pen.move(kBackToCarOrigin.x, kBackToCarOrigin.y);
}

}  // namespace

void buildCarArrays()
{
    std::cout << std::endl << " Loading Car objects..." << std::endl;
    carArrays.clear();
    carShape(carArrays, 1.0f);  // opaque
}

void drawCar()
{
    carArrays.draw();
}

void drawCarShape(float opacity)
{
    DirectPen pen;
    carShape(pen, opacity);
}
