// The dashboard at the left of the screen: its prebuilt panel and labels, and the live gauges.
#include "dashboard/Toolbar.h"

#include <GL/glut.h>

#include <algorithm>

#include <cmath>
#include <cstddef>
#include <iostream>
#include <iterator>

#include "assets/Letters.h"
#include "assets/PixelScale.h"
#include "assets/ShapeArrays.h"
#include "assets/Textures.h"
#include "vehicle/Car.h"

PanelButton panelButtons[kPanelButtons] = {
    {PanelButtonKind::New, kNewTexture, -47.0f, 21.5f, -33.0f, 31.5f},
    {PanelButtonKind::Quit, kQuitTexture, -47.0f, 6.5f, -33.0f, 16.5f},
};

namespace {

constexpr float pi = 3.1415927f;  // single precision, as the car's heading uses it

// The panel's shapes, corners in drawing order.
constexpr PanelPoint sideBar[4] = {
    {-50.0f, 50.0f},
    {kPanelRight, 50.0f},
    {kPanelRight, -50.0f},
    {-50.0f, -50.0f},
};
constexpr PanelPoint sideBarOutline[4] = {
    {-49.0f, 49.0f},
    {-31.0f, 49.0f},
    {-31.0f, -49.0f},
    {-49.0f, -49.0f},
};
constexpr PanelPoint damageBarOutline[4] = {
    {-47.5f, -27.5f},
    {-32.5f, -27.5f},
    {-32.5f, -30.5f},
    {-47.5f, -30.5f},
};
constexpr int kOutlineFirstCorner = 2;  // the bar's frame is drawn from its lower right corner
constexpr PanelPoint logo[4] = {
    {-32.0f, 48.0f},
    {-48.0f, 48.0f},
    {-48.0f, 39.5f},
    {-32.0f, 39.5f},
};
constexpr PanelPoint textureCorners[4] = {
    {0.0f, 0.0f},
    {1.0f, 0.0f},
    {1.0f, 1.0f},
    {0.0f, 1.0f},
};

constexpr float kPanelGrey = 0.753f;
constexpr float kSeparatorLeft = -49.0f;
constexpr float kSeparatorRight = -31.0f;
constexpr float upperSeparators[] = {38.5f, 0.0f};     // under the logo, over the gear gate
constexpr float lowerSeparators[] = {-35.0f, -25.0f};  // over the dials, over the damage bar

// The gear gate: three upright slots and the crossbar that joins them at mid-height. The knob's
// places in kGears (vehicle/Gearbox.h) sit on purpose on these slots' middles, 1 unit inside
// their ends: the gate is the panel's drawing, the knob's place each gear's own row.
struct PanelRect {
    float left, bottom, right, top;
};
constexpr PanelRect gearGate[] = {
    {-47.0f, -18.0f, -45.0f, -2.0f},  // first and second
    {-41.0f, -18.0f, -39.0f, -2.0f},  // third and fourth
    {-35.0f, -18.0f, -33.0f, -2.0f},  // reverse
    {-45.0f, -11.0f, -35.0f, -9.0f},  // crossbar
};

constexpr float kKnobRadius = 1.8f;
constexpr float kKnobGrey = 0.473f;
constexpr unsigned kDiscSides = 120;

// The damage bar: colour at each of its corners, in the order of damageBar.
struct BarColour {
    float red, green, blue, alpha;
};
constexpr BarColour damageBarColours[4] = {
    {1.0f, 0.0f, 0.0f, 1.0f},  // top of the moving right end
    {1.0f, 1.0f, 0.0f, 0.4f},  // top of the fixed left end
    {1.0f, 1.0f, 0.0f, 1.0f},  // bottom of the fixed left end
    {1.0f, 0.0f, 0.0f, 0.4f},  // bottom of the moving right end
};
constexpr float kBarFullEnd = -33.0f;  // right end of the bar for an intact car
constexpr float kBarLeftEnd = -47.0f;  // the bar never reaches further left

// The two dials: a needle turning clockwise from 9 o'clock about a black hub.
constexpr PanelPoint kRevDialCentre = {-41.0f, -45.0f};
constexpr PanelPoint kSpeedDialCentre = {-33.0f, -45.0f};
constexpr float kNeedleLength = 6.0f;
constexpr float kNeedleWidth = 2.0f;  // pixels, times the pixel scale; also the width of the
                                      // panel's lines
constexpr float kHubRadius = 0.6f;
constexpr float kRevScale = 100.0f;   // degrees per unit of speed over the gear's target speed
constexpr float kSpeedScale = 90.0f;  // degrees for the full-scale speed: a quarter turn
constexpr float kNeedleStop = 90.0f;  // beyond this a needle stays just short of 12 o'clock
constexpr float kNeedleCapped = 89.9f;

// The labels under the gate, the bar and the dials, each from the left end of its base line.
constexpr TextRun labels[] = {
    {"GEARBOX", TextFont::Fixed9x15, {-43.0f, -23.5f}},
    {"DAMAGE", TextFont::Fixed9x15, {-43.0f, -33.5f}},
    {"rev / min", TextFont::Serif10, {-43.5f, -47.5f}},
    {"km / h", TextFont::Serif10, {-35.0f, -47.5f}},
};

// The static panel as built at start-up, drawn every frame.
ShapeArrays panelArrays;

void polygonThrough(ShapeArrays& pen, const PanelPoint (&corners)[4])
{
    pen.begin(GL_POLYGON);
    for (const PanelPoint& corner : corners)
        pen.vertex(corner.x, corner.y);
    pen.end();
}

void texturedQuad(ShapeArrays& pen, unsigned texture, const PanelPoint (&corners)[4])
{
    pen.bindTexture(texture);
    pen.colour(1.0f, 1.0f, 1.0f, 1.0f);
    pen.begin(GL_POLYGON);
    for (int i = 0; i < 4; ++i) {
        pen.texCoord(textureCorners[i].x, textureCorners[i].y);
        pen.vertex(corners[i].x, corners[i].y);
    }
    pen.end();
}

// The panel's frame and separators are GL's lines, as wide as the needles once they have set
// the width (one pixel in the very first frame). The browser's GL draws no line wider than a
// pixel, so there the panel's lines are drawn again over its own, as the pixels the desktop's
// renderer lights (drawPanelLines); nothing else of the panel lies under them.
#ifdef __EMSCRIPTEN__
constexpr bool kGLDrawsWideLines = false;
#else
constexpr bool kGLDrawsWideLines = true;
#endif

template <std::size_t N>
void whiteSeparators(ShapeArrays& pen, const float (&heights)[N])
{
    for (float y : heights) {
        pen.colour(1.0f, 1.0f, 1.0f, 1.0f);
        pen.begin(GL_LINES);
        pen.vertex(kSeparatorLeft, y);
        pen.vertex(kSeparatorRight, y);
        pen.end();
    }
}

// Frame, separators, logo, buttons, the damage bar's frame and the gear gate; what the panel
// leaves behind: texturing off, the colour black.
void buildPanelArrays()
{
    ShapeArrays& pen = panelArrays;
    pen.clear();
    pen.colour(kPanelGrey, kPanelGrey, kPanelGrey, 1.0f);
    polygonThrough(pen, sideBar);
    pen.colour(1.0f, 1.0f, 1.0f, 1.0f);
    pen.begin(GL_LINE_LOOP);
    for (const PanelPoint& corner : sideBarOutline)
        pen.vertex(corner.x, corner.y);
    pen.end();
    whiteSeparators(pen, upperSeparators);

    pen.texturing(true);
    texturedQuad(pen, textureName(kLogoTexture), logo);
    for (const PanelButton& button : panelButtons) {
        const PanelPoint corners[4] = {
            {button.left, button.bottom},
            {button.right, button.bottom},
            {button.right, button.top},
            {button.left, button.top},
        };
        texturedQuad(pen, textureName(button.texture), corners);
    }
    pen.texturing(false);

    pen.colour(0.0f, 0.0f, 0.0f, 1.0f);
    pen.begin(GL_POLYGON);
    for (int i = 0; i < 4; ++i) {
        const PanelPoint& corner = damageBarOutline[(kOutlineFirstCorner + i) % 4];
        pen.vertex(corner.x, corner.y);
    }
    pen.end();
    whiteSeparators(pen, lowerSeparators);

    pen.colour(0.0f, 0.0f, 0.0f, 1.0f);  // also the colour the labels are written in
    for (const PanelRect& rect : gearGate) {
        pen.begin(GL_POLYGON);
        pen.vertex(rect.left, rect.bottom);
        pen.vertex(rect.left, rect.top);
        pen.vertex(rect.right, rect.top);
        pen.vertex(rect.right, rect.bottom);
        pen.end();
    }
}

// Turns what follows clockwise by `degrees` about the dial centre.
void turnAbout(PanelPoint centre, float degrees)
{
    glTranslatef(centre.x, centre.y, 0.0f);
    glRotatef(-degrees, 0.0f, 0.0f, 1.0f);
    glTranslatef(-centre.x, -centre.y, 0.0f);
}

// A needle is drawn as the very pixels that GL's software renderer lights for a line
// kNeedleWidth pixels wide from the dial's centre to 9 o'clock, turned about the centre: whole
// pixels, a run of them in each row of the picture, so that every renderer draws the same needle
// and none needs lines wider than a pixel. The renderer's line, as it places it: both ends
// carried to the picture in single precision, snapped to 1/256 of a pixel (halves away from
// zero), each end moved to where the line enters or leaves its pixel, and the line widened
// across its major axis by the width rounded to whole pixels; a pixel is lit when its centre is
// inside all four edges, a centre on an edge only on the edges that start it.
constexpr int kSubpixels = 256;  // steps of a pixel the renderer snaps to

float panelLineWidth = 1.0f;  // GL's line width, as the needles leave it (GL's own at first)

// The picture's rows run downwards from its top in the renderer, as here.
struct PicturePoint {
    float x, y;
};

int snapToSubpixel(float value)
{
    const float steps = value * kSubpixels;
    return steps >= 0.0f ? static_cast<int>(steps + 0.5f) : static_cast<int>(steps - 0.5f);
}

float fractionOf(float value)
{
    return value - std::floor(value);
}

// Where GL puts a dashboard point in the picture under the current matrices and viewport, in the
// order of its single precision operations.
PicturePoint pictureOf(PanelPoint point, int windowHeight)
{
    float modelview[16], projection[16];
    GLint viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    float clip[2];
    for (int row = 0; row < 2; ++row) {
        float along[4];  // the combined matrix's row, column by column
        for (int column = 0; column < 4; ++column) {
            float sum = projection[row] * modelview[4 * column];
            for (int k = 1; k < 4; ++k)
                sum = sum + projection[4 * k + row] * modelview[4 * column + k];
            along[column] = sum;
        }
        float value = point.x * along[0];
        value = value + point.y * along[1];
        clip[row] = value + along[3];
    }
    const float halfWidth = 0.5f * static_cast<float>(viewport[2]);
    const float halfHeight = 0.5f * static_cast<float>(viewport[3]);
    const float middleX = halfWidth + static_cast<float>(viewport[0]);
    const float middleY =
        static_cast<float>(windowHeight) - (halfHeight + static_cast<float>(viewport[1]));
    return {std::fma(clip[0], halfWidth, middleX), std::fma(clip[1], -halfHeight, middleY)};
}

// The four corners of the renderer's line from `from` to `to`, in 1/256 pixels, as it
// places them; pixel centres lie on whole pixels there.
struct LineCorners {
    long long x[4], y[4];
};

bool notNegative(float value)
{
    return value >= 0.0f;
}

LineCorners lineCorners(PicturePoint from, PicturePoint to, float width)
{
    PicturePoint v1 = from, v2 = to;
    const float dx = v1.x - v2.x;
    const float dy = v1.y - v2.y;
    float xOffset = 0.0f, yOffset = 0.0f, xOffsetEnd = 0.0f, yOffsetEnd = 0.0f;
    const float x1diff = v1.x - std::floor(v1.x) - 0.5f;
    const float y1diff = v1.y - std::floor(v1.y) - 0.5f;
    float x2diff = v2.x - std::floor(v2.x) - 0.5f;
    float y2diff = v2.y - std::floor(v2.y) - 0.5f;
    const int halfWidth = static_cast<int>(width + 0.5f) * kSubpixels / 2;  // whole pixels
    bool drawStart = false, drawEnd = false;
    LineCorners c;
    if (std::fabs(dx) >= std::fabs(dy)) {
        const float dydx = dy / dx;
        if (y2diff == -0.5f && dy < 0.0f)
            y2diff = 0.5f;
        if (std::fabs(x1diff) + std::fabs(y1diff) < 0.5f)
            drawStart = true;
        else if (notNegative(x1diff) == notNegative(-dx))
            drawStart = false;
        else if (notNegative(-y1diff) != notNegative(dy))
            drawStart = true;
        else {
            const float crossing = fractionOf(v1.y) + x1diff * dydx;
            drawStart = crossing < 1.0f && crossing > 0.0f;
        }
        if (std::fabs(x2diff) + std::fabs(y2diff) < 0.5f)
            drawEnd = false;
        else if (notNegative(x2diff) != notNegative(-dx))
            drawEnd = false;
        else if (notNegative(-y2diff) == notNegative(dy))
            drawEnd = true;
        else {
            const float crossing = fractionOf(v2.y) + x2diff * dydx;
            drawEnd = crossing < 1.0f && crossing > 0.0f;
        }
        if (dx < 0.0f) {
            std::swap(v1, v2);
            if ((x1diff <= 0.0f) != drawStart) {
                xOffsetEnd = -x1diff - 0.5f;
                yOffsetEnd = xOffsetEnd * dydx;
            }
            if ((x2diff > 0.0f) != drawEnd) {
                xOffset = -x2diff - 0.5f;
                yOffset = xOffset * dydx;
            }
        } else {
            if ((x1diff > 0.0f) != drawStart) {
                xOffset = -x1diff + 0.5f;
                yOffset = xOffset * dydx;
            }
            if ((x2diff <= 0.0f) != drawEnd) {
                xOffsetEnd = -x2diff + 0.5f;
                yOffsetEnd = xOffsetEnd * dydx;
            }
        }
        c.x[0] = c.x[3] = snapToSubpixel(v1.x + xOffset - 0.5f);
        c.x[1] = c.x[2] = snapToSubpixel(v2.x + xOffsetEnd - 0.5f);
        const long long y1 = snapToSubpixel(v1.y + yOffset - 0.5f);
        const long long y2 = snapToSubpixel(v2.y + yOffsetEnd - 0.5f);
        c.y[0] = y1 - halfWidth;
        c.y[1] = y2 - halfWidth;
        c.y[2] = y2 + halfWidth;
        c.y[3] = y1 + halfWidth;
    } else {
        const float dxdy = dx / dy;
        if (x2diff == -0.5f && dx < 0.0f)
            x2diff = 0.5f;
        if (std::fabs(x1diff) + std::fabs(y1diff) < 0.5f)
            drawStart = true;
        else if (notNegative(-y1diff) == notNegative(dy))
            drawStart = false;
        else if (notNegative(x1diff) != notNegative(-dx))
            drawStart = true;
        else {
            const float crossing = fractionOf(v1.x) + y1diff * dxdy;
            drawStart = crossing < 1.0f && crossing > 0.0f;
        }
        if (std::fabs(x2diff) + std::fabs(y2diff) < 0.5f)
            drawEnd = false;
        else if (notNegative(-y2diff) != notNegative(dy))
            drawEnd = false;
        else if (notNegative(x2diff) == notNegative(-dx))
            drawEnd = true;
        else {
            const float crossing = fractionOf(v2.x) + y2diff * dxdy;
            drawEnd = crossing < 1.0f && crossing >= 0.0f;
        }
        if (dy > 0.0f) {
            std::swap(v1, v2);
            if ((y1diff >= 0.0f) != drawStart) {
                yOffsetEnd = -y1diff + 0.5f;
                xOffsetEnd = yOffsetEnd * dxdy;
            }
            if ((y2diff < 0.0f) != drawEnd) {
                yOffset = -y2diff + 0.5f;
                xOffset = yOffset * dxdy;
            }
        } else {
            if ((y1diff < 0.0f) != drawStart) {
                yOffset = -y1diff - 0.5f;
                xOffset = yOffset * dxdy;
            }
            if ((y2diff >= 0.0f) != drawEnd) {
                yOffsetEnd = -y2diff - 0.5f;
                xOffsetEnd = yOffsetEnd * dxdy;
            }
        }
        const long long x1 = snapToSubpixel(v1.x + xOffset - 0.5f);
        const long long x2 = snapToSubpixel(v2.x + xOffsetEnd - 0.5f);
        c.x[0] = x1 - halfWidth;
        c.x[1] = x2 - halfWidth;
        c.x[2] = x2 + halfWidth;
        c.x[3] = x1 + halfWidth;
        c.y[0] = c.y[3] = snapToSubpixel(v1.y + yOffset - 0.5f);
        c.y[1] = c.y[2] = snapToSubpixel(v2.y + yOffsetEnd - 0.5f);
    }
    return c;
}

// Lights, in the current colour, the pixels inside the corners: a strip of whole pixels a row.
void fillLineCorners(const LineCorners& c, int windowHeight)
{
    long long edge[4], stepX[4], stepY[4];
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const long long alongY = c.x[i] - c.x[j];
        const long long alongX = c.y[i] - c.y[j];
        edge[i] = alongX * c.x[i] - alongY * c.y[i];
        if (alongX < 0 || (alongX == 0 && alongY < 0))
            ++edge[i];  // a centre on this edge is inside
        stepX[i] = alongX * kSubpixels;
        stepY[i] = alongY * kSubpixels;
    }
    const auto [left, right] = std::minmax({c.x[0], c.x[1], c.x[2], c.x[3]});
    const auto [top, bottom] = std::minmax({c.y[0], c.y[1], c.y[2], c.y[3]});
    GLint viewport[4];
    beginViewportPixels(viewport);
    glBegin(GL_QUADS);
    for (long long row = top / kSubpixels - 1; row <= bottom / kSubpixels + 1; ++row) {
        long long first = 0, last = -1;
        for (long long column = left / kSubpixels - 1; column <= right / kSubpixels + 1; ++column) {
            bool inside = true;
            for (int i = 0; i < 4; ++i)
                inside = inside && edge[i] + stepY[i] * row - stepX[i] * column > 0;
            if (inside) {
                if (last < first)
                    first = column;
                last = column;
            }
        }
        if (last < first)
            continue;
        const float x1 = static_cast<float>(first - viewport[0]);
        const float x2 = static_cast<float>(last + 1 - viewport[0]);
        const float y1 = static_cast<float>(windowHeight - 1 - row - viewport[1]);
        glVertex2f(x1, y1);
        glVertex2f(x2, y1);
        glVertex2f(x2, y1 + 1.0f);
        glVertex2f(x1, y1 + 1.0f);
    }
    glEnd();
    endViewportPixels();
}

// A needle turned clockwise by `degrees` from 9 o'clock about its dial's centre, in the current
// colour.
void drawNeedle(PanelPoint centre, float degrees)
{
    const int windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
    glPushMatrix();
    turnAbout(centre, degrees);
    const PicturePoint tip = pictureOf({centre.x - kNeedleLength, centre.y}, windowHeight);
    const PicturePoint hub = pictureOf(centre, windowHeight);
    glPopMatrix();
    fillLineCorners(lineCorners(tip, hub, scaledPixels(kNeedleWidth)), windowHeight);
    // The panel's frame and separators, drawn before the needles in the next frame, have always
    // been drawn as wide as the needles.
    glLineWidth(scaledPixels(kNeedleWidth));
    panelLineWidth = scaledPixels(kNeedleWidth);
}

// The panel's lines, in white, where GL cannot draw them as wide.
void drawPanelLines()
{
    if (kGLDrawsWideLines)
        return;
    const int windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
    const auto line = [windowHeight](PanelPoint from, PanelPoint to) {
        fillLineCorners(
            lineCorners(pictureOf(from, windowHeight), pictureOf(to, windowHeight), panelLineWidth),
            windowHeight);
    };
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < 4; ++i)
        line(sideBarOutline[i], sideBarOutline[(i + 1) % 4]);
    for (float y : upperSeparators)
        line({kSeparatorLeft, y}, {kSeparatorRight, y});
    for (float y : lowerSeparators)
        line({kSeparatorLeft, y}, {kSeparatorRight, y});
    glColor3f(0.0f, 0.0f, 0.0f);  // black, as the panel leaves it
}

void disc(PanelPoint centre, float radius, float grey)
{
    glPushMatrix();
    glColor3f(grey, grey, grey);
    glTranslatef(centre.x, centre.y, 0.0f);
    glBegin(GL_POLYGON);
    circleVertexLoop(radius, kDiscSides);
    glEnd();
    glPopMatrix();
}

void setBarRightEnd(Gauges& gauges, float x)
{
    gauges.damageBar[0].x = x;
    gauges.damageBar[3].x = x;
}

double meanSpeed(const Car& car)
{
    return (static_cast<double>(car.getX_speed()) + car.getY_speed()) / 2.0;
}

void drawDamageBar(const Gauges& gauges)
{
    glBegin(GL_POLYGON);
    for (int i = 0; i < 4; ++i) {
        const BarColour& c = damageBarColours[i];
        glColor4f(c.red, c.green, c.blue, c.alpha);
        glVertex2f(gauges.damageBar[i].x, gauges.damageBar[i].y);
    }
    glEnd();
}

void drawRevNeedle(const Gauges& gauges)
{
    glColor3f(gauges.red, 0.0f, 0.0f);
    drawNeedle(kRevDialCentre, gauges.angle1);
    disc(kRevDialCentre, kHubRadius, 0.0f);
}

void drawSpeedNeedle(const Gauges& gauges)
{
    glColor3f(0.0f, 0.0f, 0.0f);
    drawNeedle(kSpeedDialCentre, gauges.angle2);
    disc(kSpeedDialCentre, kHubRadius, 0.0f);
}

}  // namespace

void toolbarObjects()
{
    std::cout << std::endl << " Loading Toolbar objects..." << std::endl;
    buildPanelArrays();
}

void updateGauges(Car& car, Gauges& gauges)
{
    toolbarDamage(car, gauges);
    toolbarRevMeter(car, gauges);
    toolbarSpeedMeter(car, gauges);
}

void toolbarDamage(Car& car, Gauges& gauges)
{
    const double damage = car.getDamage();
    if (car.getDamageStatus() == kIntactCondition)
        setBarRightEnd(gauges, kBarFullEnd);
    // A hit always costs and a repair always heals, in every gear and anywhere on the map.
    setBarRightEnd(gauges, static_cast<float>(gauges.damageBar[0].x - damage));
    car.setCarDamageStatus(static_cast<float>(car.getDamageStatus() - damage));
    if (car.getDamageStatus() <= 0.0f)
        car.setCarDamageStatus(0.0f);
    if (gauges.damageBar[0].x <= kBarLeftEnd)
        setBarRightEnd(gauges, kBarLeftEnd);
}

void toolbarRevMeter(const Car& car, Gauges& gauges)
{
    const double gearMax = car.getGearMax();
    gauges.angle1 = static_cast<float>(meanSpeed(car) * (kRevScale / gearMax));
    if (car.getX_speed() == 0.0f && car.getY_speed() == 0.0f)
        gauges.angle1 = 0.0f;
    if (gauges.angle1 > kNeedleStop) {
        gauges.angle1 = kNeedleCapped;
        gauges.red = 1.0f;
    } else {
        gauges.red = 0.0f;
    }
}

void toolbarSpeedMeter(const Car& car, Gauges& gauges)
{
    const float xSpeed = car.getX_speed();
    const float ySpeed = car.getY_speed();
    const double fullScale = car.get_MaxSpeed();
    // Forwards and backwards alike show the size of the speed; while the two speeds disagree
    // the needle stays where it was.
    if (ySpeed < 0.0f && xSpeed < 0.0f)
        gauges.angle2 = static_cast<float>(meanSpeed(car) * (kSpeedScale / -fullScale));
    if (ySpeed > 0.0f && xSpeed > 0.0f)
        gauges.angle2 = static_cast<float>(meanSpeed(car) * (kSpeedScale / fullScale));
    if (ySpeed == 0.0f && xSpeed == 0.0f)
        gauges.angle2 = 0.0f;
    if (gauges.angle2 > kNeedleStop)
        gauges.angle2 = kNeedleCapped;
}

void drawToolBar(const Car& car, const Gauges& gauges)
{
    glPushMatrix();
    panelArrays.draw();
    drawPanelLines();
    // The labels in the colour the panel leaves, black; and black left behind.
    drawTexts(labels, std::size(labels));
    glColor3f(0.0f, 0.0f, 0.0f);
    glPopMatrix();

    toolbarGearBox(car);
    drawDamageBar(gauges);
    drawRevNeedle(gauges);
    drawSpeedNeedle(gauges);
}

void toolbarGearBox(const Car& car)
{
    const bool rollingForward = car.getX_speed() > 0.0f || car.getY_speed() > 0.0f;
    for (const Gear& gear : kGears) {
        if (car.getGearMax() == gear.gearMax && !(gear.reverse && rollingForward))
            disc({gear.knobX, gear.knobY}, kKnobRadius, kKnobGrey);
    }
}

std::optional<PanelButtonKind> panelButtonAt(double x, double y)
{
    for (const PanelButton& button : panelButtons) {
        if (x >= button.left && x <= button.right && y >= button.bottom && y <= button.top)
            return button.kind;
    }
    return std::nullopt;
}

void circleVertexLoop(float size, unsigned sides)
{
    for (unsigned i = 0; i < sides; ++i) {
        const double angle = 2.0 * i * static_cast<double>(pi) / sides;
        const double cosine = std::cos(angle);
        const double sine = std::sin(angle);
        glVertex2f(static_cast<float>(cosine * size), static_cast<float>(sine * size));
    }
}
