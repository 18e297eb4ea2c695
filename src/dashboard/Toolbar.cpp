// The dashboard at the left of the screen: its prebuilt panel and labels, and the live gauges.
#include "dashboard/Toolbar.h"

#include <GL/gl.h>

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
constexpr float kNeedleWidth = 2.0f;  // pixels, times the pixel scale; stays in force for every
                                      // line drawn afterwards
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

// A needle at rest: from the dial's centre to 9 o'clock, in the current colour.
void needleAtRest(PanelPoint centre)
{
    glLineWidth(scaledPixels(kNeedleWidth));
    glBegin(GL_LINES);
    glVertex2f(centre.x - kNeedleLength, centre.y);
    glVertex2f(centre.x, centre.y);
    glEnd();
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

// Turns what follows clockwise by `degrees` about the dial centre.
void turnAbout(PanelPoint centre, float degrees)
{
    glTranslatef(centre.x, centre.y, 0.0f);
    glRotatef(-degrees, 0.0f, 0.0f, 1.0f);
    glTranslatef(-centre.x, -centre.y, 0.0f);
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
    glPushMatrix();
    turnAbout(kRevDialCentre, gauges.angle1);
    glColor3f(gauges.red, 0.0f, 0.0f);
    needleAtRest(kRevDialCentre);
    glPopMatrix();
    disc(kRevDialCentre, kHubRadius, 0.0f);
}

void drawSpeedNeedle(const Gauges& gauges)
{
    glPushMatrix();
    turnAbout(kSpeedDialCentre, gauges.angle2);
    glColor3f(0.0f, 0.0f, 0.0f);
    needleAtRest(kSpeedDialCentre);
    glPopMatrix();
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
