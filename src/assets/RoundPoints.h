// Round points of one size in pixels: the car's exhaust and the bursts' particles. On the
// desktop they are GL's own points, made round and soft-edged by point smoothing (switched on at
// start-up): the coverage of their edge pixels depends on where each point falls within its
// pixel, which no other shape reproduces. The browser's GL draws points square and cannot
// smooth them, so there each point is a square of a soft round picture, as wide as the point.
// Written inline, as the rules' files that draw points are built on their own for the drive
// checker.
#pragma once

#include <GL/gl.h>

#ifdef __EMSCRIPTEN__
#include <cmath>
#endif

namespace round_points {

#ifdef __EMSCRIPTEN__
constexpr int kDiscSize = 32;  // texels across the round picture

// The round picture: opaque inside a disc touching the square's sides, fading over one texel
// at its rim, as point smoothing fades a point's rim over one pixel.
inline unsigned discTexture()
{
    static unsigned name = 0;
    if (name != 0)
        return name;
    // White and its opacity: GL colours each texel with the point's colour (an alpha texture
    // would do as much in GL, but the browser's GL colours it black).
    static unsigned char texels[2 * kDiscSize * kDiscSize];
    const double radius = kDiscSize / 2.0;
    for (int row = 0; row < kDiscSize; ++row)
        for (int column = 0; column < kDiscSize; ++column) {
            const double dx = column + 0.5 - radius;
            const double dy = row + 0.5 - radius;
            const double inside = radius - std::sqrt(dx * dx + dy * dy) + 0.5;
            const double cover = inside < 0.0 ? 0.0 : inside > 1.0 ? 1.0 : inside;
            texels[2 * (row * kDiscSize + column)] = 255;
            texels[2 * (row * kDiscSize + column) + 1] =
                static_cast<unsigned char>(cover * 255.0 + 0.5);
        }
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, kDiscSize, kDiscSize, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return name;
}

// Half a point's width in the units of the current matrices, across and up.
struct HalfSize {
    float x, y;
};

inline HalfSize& halfSize()
{
    static HalfSize half = {0.0f, 0.0f};
    return half;
}

inline GLint& boundBefore()
{
    static GLint bound = 0;
    return bound;
}
#endif

}  // namespace round_points

// Starts points `diameter` pixels wide; texturing is off.
inline void beginRoundPoints(float diameter)
{
#ifdef __EMSCRIPTEN__
    GLfloat modelview[16], projection[16];
    GLint viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Pixels a unit: the projection's scale over the viewport, times the view's own scale.
    const double scale = std::hypot(modelview[0], modelview[1]);
    const double acrossPerUnit = std::fabs(projection[0]) * viewport[2] / 2.0 * scale;
    const double upPerUnit = std::fabs(projection[5]) * viewport[3] / 2.0 * scale;
    round_points::halfSize() = {static_cast<float>(diameter / 2.0 / acrossPerUnit),
                                static_cast<float>(diameter / 2.0 / upPerUnit)};
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &round_points::boundBefore());
    const unsigned disc = round_points::discTexture();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, disc);
    glBegin(GL_QUADS);
#else
    glPointSize(diameter);
    glBegin(GL_POINTS);
#endif
}

// One point at (x, y) in the current matrices' units, in its colour.
inline void roundPoint(float x, float y, float red, float green, float blue, float alpha)
{
#ifdef __EMSCRIPTEN__
    // The browser's GL keeps a colour given between glBegin and glEnd in the vertex it goes
    // with, and reads every vertex as laid out like the first: so each corner has its colour.
    const round_points::HalfSize half = round_points::halfSize();
    const float corners[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (const auto& corner : corners) {
        glColor4f(red, green, blue, alpha);
        glTexCoord2f(corner[0] > 0.0f ? 1.0f : 0.0f, corner[1] > 0.0f ? 1.0f : 0.0f);
        glVertex2f(x + corner[0] * half.x, y + corner[1] * half.y);
    }
#else
    glColor4f(red, green, blue, alpha);
    glVertex2f(x, y);
#endif
}

// Ends the points; texturing is off again.
inline void endRoundPoints()
{
    glEnd();
#ifdef __EMSCRIPTEN__
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(round_points::boundBefore()));
    glDisable(GL_TEXTURE_2D);
#endif
}
