// The frame draws less than it shows, and shows the same: the map stops at the panel's edge, and
// the border is a ring around the ground instead of a square under it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "GlHarness.h"
#include "assets/MapList.h"
#include "platform/Window.h"
#include "vehicle/Car.h"

namespace {

struct Place {
    float x, y;
};

// Where the car stands: the start, then the view across each side and corner of the border and
// beyond the map, at whole and fractional positions.
constexpr Place kPlaces[] = {
    {0.0f, 0.0f},       {100.0f, 0.0f},   {-100.0f, 0.0f},      {0.0f, 100.0f},
    {0.0f, -100.0f},    {120.3f, 117.7f}, {-120.3f, -117.7f},   {-97.13f, 133.41f},
    {133.41f, -97.13f}, {150.0f, 150.0f}, {-141.25f, 141.875f},
};

// Sizes of the drawing area: the tests' window, and odd ones whose panel edge falls mid-pixel.
constexpr int kSizes[][2] = {
    {harness::kWindowWidth, harness::kWindowHeight}, {1001, 703}, {333, 250}};

using harness::windowPicture;

std::string firstDifference(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b, int width)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            const size_t pixel = i / 3;
            char text[96];
            std::snprintf(text, sizeof text, "first difference at pixel (%zu, %zu): %d against %d",
                          pixel % width, pixel / width, a[i], b[i]);
            size_t count = 0;
            for (size_t j = i; j < a.size(); ++j)
                count += a[j] != b[j];
            return text + std::string("; ") + std::to_string(count) + " bytes differ";
        }
    return "none";
}

// One whole game frame, drawn from the same start over whatever the buffer held before.
std::vector<unsigned char> frameOver(float red, float green, float blue, Place place, int width,
                                     int height)
{
    GLfloat gameClear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, gameClear);
    glViewport(0, 0, width, height);
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(gameClear[0], gameClear[1], gameClear[2], gameClear[3]);
    harness::resetGame();  // a fresh game: the same random numbers in both frames
    harness::placeCar(place.x, place.y);
    harness::game().playerCar.setSpeed(0.2f, 0.2f);
    reshape(width, height);
    harness::runFrame();
    return windowPicture(width, height);
}

// Every pixel of a frame is the frame's own: nothing of what the buffer held before shows,
// left of the panel's edge or right of it.
TEST(FramePictureTest, NothingOfTheFormerPictureShowsThroughAFrame)
{
    // The game's first frame draws the panel's outline one pixel wide, before the needles have
    // set the line width that every later frame keeps: compare later frames.
    frameOver(0.0f, 0.0f, 0.0f, kPlaces[0], harness::kWindowWidth, harness::kWindowHeight);
    for (const auto& size : kSizes)
        for (const Place& place : kPlaces) {
            SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]) + " at (" +
                         std::to_string(place.x) + ", " + std::to_string(place.y) + ")");
            const std::vector<unsigned char> overMagenta =
                frameOver(1.0f, 0.0f, 1.0f, place, size[0], size[1]);
            const std::vector<unsigned char> overBlack =
                frameOver(0.0f, 0.0f, 0.0f, place, size[0], size[1]);
            EXPECT_TRUE(overMagenta == overBlack)
                << firstDifference(overMagenta, overBlack, size[0]);
        }
    reshape(harness::kWindowWidth, harness::kWindowHeight);
}

void drawAt(Place place, void (*draw)())
{
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-place.x, -place.y, 0.0f);
    draw();
    glLoadIdentity();
    glFinish();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Each drawing against a plain one, pixel for pixel, with the view across every side and corner.
void expectSamePicture(void (*drawn)(), void (*plain)())
{
    const int width = harness::kWindowWidth, height = harness::kWindowHeight;
    for (const Place& place : kPlaces) {
        SCOPED_TRACE("at (" + std::to_string(place.x) + ", " + std::to_string(place.y) + ")");
        drawAt(place, plain);
        const std::vector<unsigned char> expected = windowPicture(width, height);
        drawAt(place, drawn);
        const std::vector<unsigned char> seen = windowPicture(width, height);
        EXPECT_TRUE(seen == expected) << firstDifference(seen, expected, width);
    }
}

// The ring and the ground give what one dark square under the ground gives.
TEST(FramePictureTest, BorderRingAndGroundShowAsASquareUnderTheGround)
{
    expectSamePicture(
        [] {
            drawBorder();
            glEnable(GL_TEXTURE_2D);
            drawGround();
            glDisable(GL_TEXTURE_2D);
        },
        [] {
            glColor4f(0.0f, 0.0f, 0.0f, 0.5f);
            drawPlainRect(-142.0f, -142.0f, 142.0f, 142.0f);
            glEnable(GL_TEXTURE_2D);
            drawGround();
            glDisable(GL_TEXTURE_2D);
        });
}

// The map's list paints its opaque parts unblended, and shows what all its parts blended show.
TEST(FramePictureTest, MapListShowsItsPartsAllBlended)
{
    ASSERT_TRUE(glIsEnabled(GL_BLEND));
    expectSamePicture([] { drawMap(); },
                      [] {
                          drawBorder();
                          glEnable(GL_TEXTURE_2D);
                          drawGround();
                          drawBlocks();
                          drawWaterStrip();
                          glDisable(GL_TEXTURE_2D);
                          drawRoadNetwork();
                          drawBridgesAndZones();
                      });
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "the list leaves blending on for what follows";
}

}  // namespace
