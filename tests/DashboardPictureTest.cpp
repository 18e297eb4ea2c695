// The dashboard on the screen: panel, labels, gear knob, damage bar and dials, read back from real
// frames of the played game; and the frames a wreck's dashboard goes on asking for.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "GlHarness.h"
#include "input/Input.h"
#include "vehicle/Car.h"

namespace {

using harness::colourAt;
using harness::describe;
using harness::near;

constexpr int kPanelGrey = 192;  // 0.753 of full scale
constexpr int kKnobGrey = 121;   // 0.473 of full scale

constexpr float kPixelWidth = 100.0f / harness::kWindowWidth;    // view units per pixel across
constexpr float kPixelHeight = 100.0f / harness::kWindowHeight;  // view units per pixel up

class DashboardPictureTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
    Car& car = harness::game().playerCar;
};

bool isBlack(harness::Colour c)
{
    return near(c, 0, 0, 0, 20);
}

// True when some pixel in the box (view coordinates) is nearly black.
bool darkPixelIn(float left, float bottom, float right, float top)
{
    for (float y = bottom; y <= top; y += kPixelHeight)
        for (float x = left; x <= right; x += kPixelWidth)
            if (isBlack(colourAt(x, y)))
                return true;
    return false;
}

TEST_F(DashboardPictureTest, PanelCoversTheLeftStripAndNothingBeyondIt)
{
    harness::runFrame();
    // Heights clear of the buttons, labels and gauges, where the map beside the panel is not grey.
    for (float y : {45.0f, 35.0f, 20.0f, 2.0f, -24.0f, -40.0f}) {
        for (float x : {-49.7f, -30.3f})
            EXPECT_TRUE(near(colourAt(x, y), kPanelGrey, kPanelGrey, kPanelGrey))
                << "inside at (" << x << ", " << y << "): " << describe(colourAt(x, y));
        const harness::Colour outside = colourAt(-29.7f, y);
        EXPECT_FALSE(near(outside, kPanelGrey, kPanelGrey, kPanelGrey, 12))
            << "outside at y " << y << ": " << describe(outside);
    }
}

TEST_F(DashboardPictureTest, LabelsAreWrittenInBlackOnTheGreyPanel)
{
    harness::runFrame();
    struct LabelBox {
        const char* text;
        float left, bottom, right, top;
    };
    const LabelBox boxes[] = {
        {"GEARBOX", -43.0f, -23.5f, -37.0f, -21.8f},
        {"DAMAGE", -43.0f, -33.5f, -38.0f, -31.8f},
        {"rev / min", -43.5f, -47.5f, -40.5f, -46.5f},
        {"km / h", -35.0f, -47.5f, -33.0f, -46.5f},
    };
    for (const LabelBox& box : boxes)
        EXPECT_TRUE(darkPixelIn(box.left, box.bottom, box.right, box.top)) << box.text;
    // Beside the labels the panel is plain grey: the dark pixels are the letters.
    EXPECT_TRUE(near(colourAt(-35.0f, -22.5f), kPanelGrey, kPanelGrey, kPanelGrey));
    EXPECT_TRUE(near(colourAt(-35.0f, -32.5f), kPanelGrey, kPanelGrey, kPanelGrey));
}

TEST_F(DashboardPictureTest, GearKnobSitsAtTheSlotEndOfTheSelectedGear)
{
    struct Gear {
        float gearMax;
        float x, y;  // knob centre
    };
    const Gear gears[] = {
        {0.5f, -46.0f, -3.0f},  {1.0f, -46.0f, -17.0f}, {1.5f, -40.0f, -3.0f},
        {2.0f, -40.0f, -17.0f}, {-0.5f, -34.0f, -3.0f},
    };
    for (const Gear& selected : gears) {
        car.setGearMax(selected.gearMax);
        harness::runFrame();
        for (const Gear& other : gears) {
            const harness::Colour c = colourAt(other.x, other.y);
            if (other.gearMax == selected.gearMax)
                EXPECT_TRUE(near(c, kKnobGrey, kKnobGrey, kKnobGrey))
                    << "gear " << selected.gearMax << ": " << describe(c);
            else
                EXPECT_TRUE(isBlack(c)) << "gear " << selected.gearMax << ", slot end of "
                                        << other.gearMax << ": " << describe(c);
        }
    }
}

TEST_F(DashboardPictureTest, ReverseShowsNoKnobWhileTheCarStillRollsForwards)
{
    car.setGearMax(-0.5f);
    car.setSpeed(0.3f, 0.3f);
    harness::runFrame();
    EXPECT_TRUE(isBlack(colourAt(-34.0f, -3.0f))) << describe(colourAt(-34.0f, -3.0f));
    EXPECT_TRUE(isBlack(colourAt(-46.0f, -3.0f))) << describe(colourAt(-46.0f, -3.0f));

    car.setSpeed(-0.3f, -0.3f);
    harness::runFrame();
    EXPECT_TRUE(near(colourAt(-34.0f, -3.0f), kKnobGrey, kKnobGrey, kKnobGrey))
        << describe(colourAt(-34.0f, -3.0f));
}

int redisplays = 0;
void countRedisplay()
{
    ++redisplays;
}
void ignoreRedisplay()
{
}

// A wreck has no idle step, yet its dashboard and its fire go on: after a frame of play the shell
// asks GLUT for the next. freeglut draws only a window in sight, and other tests' windows may cover
// this one for a while: an attempt counts only when the window stayed in sight all through it.
TEST_F(DashboardPictureTest, DashboardAsksForTheNextFrameEvenWithoutAnIdleStep)
{
    car.setCarDamageStatus(0.0f);
    harness::runFrame();  // the wreck found: the shell takes the idle step away
    ASSERT_TRUE(harness::game().wrecked);
    glutDisplayFunc(countRedisplay);
    harness::watchSight();
    bool counted = false;
    int before = -1, after = -1;
    for (int attempt = 0; attempt < 50 && !counted; ++attempt) {
        glutPopWindow();
        // Let anything already pending go by (an exposure of the freshly raised window, the frame
        // asked for before): wait for a quiet tenth of a second in sight, two seconds at most.
        for (int quiet = 0, i = 0; quiet < 20 && i < 400; ++i) {
            redisplays = 0;
            glutMainLoopEvent();
            quiet = redisplays == 0 && harness::sight.now ? quiet + 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        harness::sight.lost = !harness::sight.now;
        redisplays = 0;
        glutMainLoopEvent();
        before = redisplays;

        // One frame of the real display callback. The frame it asks for comes with the next turns
        // of the loop (a loaded server may hold it back a moment), and it comes once.
        harness::runFrame();
        for (int i = 0; i < 20 && redisplays == before; ++i) {
            glutMainLoopEvent();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        glutMainLoopEvent();
        after = redisplays - before;
        counted = !harness::sight.lost;
    }
    glutDisplayFunc(ignoreRedisplay);  // frames stay in the tests' hands
    glutWindowStatusFunc(windowStatus);
    ASSERT_TRUE(counted) << "the window never stayed in sight";
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
}

TEST_F(DashboardPictureTest, DamageShortensTheBarAsDrawn)
{
    harness::runFrame();
    // Full bar: red right up to its end at -33, the black frame beyond.
    const harness::Colour fullEnd = colourAt(-33.05f, -29.0f);
    EXPECT_GT(fullEnd.red, 100) << describe(fullEnd);

    car.setDamage(0.25f);
    harness::runFrame();  // the bar's right end at -33.25
    const harness::Colour bar = colourAt(-33.45f, -29.0f);
    EXPECT_GT(bar.red, 100) << describe(bar);
    EXPECT_LT(bar.green, 80) << describe(bar);
    EXPECT_TRUE(isBlack(colourAt(-33.05f, -29.0f))) << describe(colourAt(-33.05f, -29.0f));

    car.setDamage(20.0f);
    harness::runFrame();  // a wreck: the bar at its left end, -47
    EXPECT_TRUE(isBlack(colourAt(-46.9f, -29.0f))) << describe(colourAt(-46.9f, -29.0f));
}

TEST_F(DashboardPictureTest, RepairPatchAtFullConditionDrawsTheBarPastItsEnd)
{
    harness::placeCar(-120.0f, -125.0f);  // box x -115..-105, y -130..-120: on the cyan patch
    for (int frame = 0; frame < 3; ++frame)
        harness::runFrame();  // the bar's right end at -32.75
    const harness::Colour pastEnd = colourAt(-32.85f, -29.0f);
    EXPECT_GT(pastEnd.red, 100) << describe(pastEnd);
}

TEST_F(DashboardPictureTest, RevNeedleIsDrawnRedWhileCapped)
{
    car.setGearMax(1.0f);
    car.setSpeed(0.95f, 0.95f);
    harness::runFrame();
    // Capped, the needle stands almost straight up from its hub at (-41, -45).
    const harness::Colour capped = colourAt(-41.0f, -42.0f);
    EXPECT_GT(capped.red, 120) << describe(capped);
    EXPECT_LT(capped.green, 60) << describe(capped);

    car.setSpeed(0.85f, 0.85f);
    harness::runFrame();
    EXPECT_TRUE(isBlack(colourAt(-41.26f, -42.01f))) << describe(colourAt(-41.26f, -42.01f));
}

TEST_F(DashboardPictureTest, SpeedometerNeedleIsDrawnAtItsAngle)
{
    car.setSpeed(1.0f, 1.0f);
    harness::runFrame();
    // At 45 degrees the needle points up and left from its hub at (-33, -45); left is empty.
    EXPECT_TRUE(isBlack(colourAt(-35.12f, -42.88f))) << describe(colourAt(-35.12f, -42.88f));
    EXPECT_TRUE(near(colourAt(-36.0f, -45.0f), kPanelGrey, kPanelGrey, kPanelGrey))
        << describe(colourAt(-36.0f, -45.0f));

    car.setSpeed(0.5f, -0.5f);
    harness::runFrame();  // the speeds disagree: the needle holds at 45 degrees
    EXPECT_TRUE(isBlack(colourAt(-35.12f, -42.88f))) << describe(colourAt(-35.12f, -42.88f));

    car.setSpeed(0.0f, 0.0f);
    harness::runFrame();  // at rest, pointing left
    EXPECT_TRUE(isBlack(colourAt(-36.0f, -45.0f))) << describe(colourAt(-36.0f, -45.0f));
}

}  // namespace
