// The car in the game window: the arrow keys and the idle step reaching it through the program's
// callbacks, and its drawing (body, beams and exhaust) read back from real frames and from
// OpenGL's feedback mode, which reports every point drawn with its colour.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "GlHarness.h"
#include "SolidTexture.h"
#include "assets/PixelScale.h"
#include "assets/Textures.h"
#include "effects/Random.h"
#include "input/Input.h"
#include "session/GameState.h"
#include "session/PlayedGame.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

namespace {

// The played car, reached through the program's own callbacks: what they queue reaches the car
// at the next frame's step.
class CarControlsTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }

    Car& car = harness::game().playerCar;
};

TEST_F(CarControlsTest, ArrowKeysReachTheCarThroughTheSpecialKeyCallback)
{
    specialKey(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(car.getY_speed(), 0.0f) << "queued for the next frame";
    harness::runFrame();
    EXPECT_EQ(car.getY_speed(), 0.05f);
    specialKey(GLUT_KEY_DOWN, 0, 0);
    harness::runFrame();
    EXPECT_EQ(car.getY_speed(), 0.0f);
    specialKey(GLUT_KEY_RIGHT, 0, 0);
    harness::runFrame();
    EXPECT_EQ(car.getHeading(), 11.25f);
    specialKey(GLUT_KEY_LEFT, 0, 0);
    specialKey(GLUT_KEY_LEFT, 0, 0);
    harness::runFrame();
    EXPECT_EQ(car.getHeading(), -11.25f);
    specialKey(GLUT_KEY_PAGE_UP, 0, 0);
    EXPECT_TRUE(queuedCommands().empty()) << "page up is none of the car's keys";
    harness::runFrame();
    EXPECT_EQ(car.getHeading(), -11.25f);
    EXPECT_EQ(car.getY_speed(), 0.0f);
}

TEST_F(CarControlsTest, IdleStepMovesTheCarOncePerFrameDrawn)
{
    car.setSpeed(0.5f, 0.5f);
    harness::runFrame();
    idle();
    idle();  // no frame in between, as while the window is hidden: the car waits
    EXPECT_EQ(std::count(queuedCommands().begin(), queuedCommands().end(), kMotionStep), 1);
    EXPECT_EQ(car.getY_centre(), 0.0f) << "the step moves the car at the next frame";
    harness::runFrame();
    EXPECT_EQ(car.getY_centre(), 0.5f);
    idle();
    harness::runFrame();
    EXPECT_EQ(car.getY_centre(), 1.0f);
}

using harness::Colour;

constexpr Colour kDirt = {170, 130, 80};      // the ground's texture, painted plain for these tests
constexpr Colour kCarPaint = {250, 120, 10};  // the car's texture, likewise
constexpr Colour kWheelBlack = {0, 0, 0};

// A point as feedback mode reports it, in view coordinates, with its colour.
struct DrawnPoint {
    float x, y;
    float red, green, blue, alpha;
};

// Runs `draw` in feedback mode instead of drawing it, and returns its points in drawing order.
std::vector<DrawnPoint> pointsDrawnBy(const std::function<void()>& draw)
{
    const std::vector<float> buffer = harness::feedbackOf(draw);
    const GLint used = static_cast<GLint>(buffer.size());

    constexpr GLint kVertexFloats = 7;  // window x, y, z, then red, green, blue, alpha
    std::vector<DrawnPoint> points;
    for (GLint i = 0; i < used;) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        GLint vertices = 0;
        switch (token) {
            case GL_POINT_TOKEN: {
                const GLfloat* v = &buffer[i];
                points.push_back({v[0] / harness::kWindowWidth * 100.0f - 50.0f,
                                  v[1] / harness::kWindowHeight * 100.0f - 50.0f, v[3], v[4], v[5],
                                  v[6]});
                vertices = 1;
                break;
            }
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                vertices = 2;
                break;
            case GL_POLYGON_TOKEN:
                vertices = static_cast<GLint>(buffer[i++]);
                break;
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                vertices = 1;
                break;
            case GL_PASS_THROUGH_TOKEN:
                ++i;
                break;
            default:
                ADD_FAILURE() << "unexpected feedback token " << token;
                return points;
        }
        i += vertices * kVertexFloats;
    }
    return points;
}

float pointSize()
{
    GLfloat size = 0.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    return size;
}

// The ground under a beam: the beam's white at `alpha` over the dirt.
Colour dirtLitBy(double alpha)
{
    auto lit = [alpha](int channel) {
        return static_cast<int>(std::lround(channel + alpha * (255 - channel)));
    };
    return {lit(kDirt.red), lit(kDirt.green), lit(kDirt.blue)};
}

// The view coordinate of the centre of the pixel that colourAt reads for `coordinate`.
double pixelCentre(float coordinate, int pixels)
{
    return (harness::pixelOfView(coordinate, pixels) + 0.5) / pixels * 100.0 - 50.0;
}

class CarDrawingTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }

    static void expectViewColour(float x, float y, Colour expected)
    {
        harness::expectColourAt(x, y, expected);
    }

    void turnRight(int times)
    {
        for (int i = 0; i < times; ++i)
            car.turnRight(game.headingRadians);
    }

    // The exhaust of a car at `speed`, from random numbers of the test's own.
    const ExhaustPicture& exhaustAt(float speed, double sizeInForce = 1.0)
    {
        pickExhaust(speed, sizeInForce, random, exhaust);
        return exhaust;
    }

    GameState& game = harness::game();
    Car& car = game.playerCar;
    Random random;
    ExhaustPicture exhaust;
    SolidTexture dirt_{textureName(kDirtTexture), kDirt.red, kDirt.green, kDirt.blue};
    SolidTexture paint_{textureName(kCarTexture), kCarPaint.red, kCarPaint.green, kCarPaint.blue};
};

TEST_F(CarDrawingTest, BeamsLightTheGroundAheadOnlyWhileTheHeadlightsAreOn)
{
    game.headlightsOff = 1;
    harness::runFrame();
    expectViewColour(8.55f, 7.0f, kDirt);
    expectViewColour(11.45f, 7.0f, kDirt);

    game.headlightsOff = 0;
    harness::runFrame();
    // Each beam fades from alpha 0.4 at its lamp (y 3.2) to nothing at its far edge (y 13).
    for (float y : {6.0f, 7.0f, 9.0f}) {
        const double alpha = 0.4 * (13.0 - pixelCentre(y, harness::kWindowHeight)) / 9.8;
        expectViewColour(8.55f, y, dirtLitBy(alpha));
        expectViewColour(11.45f, y, dirtLitBy(alpha));
    }
    expectViewColour(10.0f, 8.0f, kDirt);   // between the beams
    expectViewColour(8.55f, 13.5f, kDirt);  // beyond their reach
    expectViewColour(6.5f, 7.0f, kDirt);    // beside them
}

TEST_F(CarDrawingTest, AtHeadingNinetyTheCarAndItsBeamsPointRight)
{
    turnRight(8);
    ASSERT_EQ(car.getHeading(), 90.0f);
    harness::runFrame();
    // The body lies across the pivot, 10 long and 5 wide, with a wheel at each corner.
    expectViewColour(14.7f, 0.0f, kCarPaint);
    expectViewColour(5.3f, 0.0f, kCarPaint);
    expectViewColour(10.0f, 2.2f, kCarPaint);
    expectViewColour(10.0f, 2.8f, kDirt);
    expectViewColour(10.0f, 4.0f, kDirt);
    for (float x : {7.5f, 12.5f})
        for (float y : {3.75f, -3.75f})
            expectViewColour(x, y, kWheelBlack);
    // The beams reach from x 13.2 to x 23, fading as they go.
    const double alpha = 0.4 * (23.0 - pixelCentre(17.0f, harness::kWindowWidth)) / 9.8;
    expectViewColour(17.0f, 1.4f, dirtLitBy(alpha));
    expectViewColour(17.0f, -1.4f, dirtLitBy(alpha));
    expectViewColour(23.5f, 1.4f, kDirt);
    expectViewColour(8.55f, 7.0f, kDirt);  // nothing lights the ground ahead of heading 0
}

TEST_F(CarDrawingTest, ExhaustPuffsGrowInNumberAndShrinkInSizeWithSpeed)
{
    struct SpeedCase {
        float speed;
        size_t puffs;  // the least whole number not below 10 x speed, none when not moving forwards
    };
    constexpr SpeedCase kCases[] = {
        {-0.5f, 0},        // reversing
        {0.0f, 0},         // standing
        {0.1f, 2},         // 0.1f is a hair above a tenth: 10 x speed exceeds 1
        {0.3f, 4},         // and 0.3f a hair above 0.3
        {0.45000005f, 5},  // where first gear settles
        {1.0f, 10},        // second gear's
        {2.0f, 20},        // fourth gear's
    };
    for (const SpeedCase& c : kCases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed));
        const std::vector<DrawnPoint> puffs =
            pointsDrawnBy([&] { drawExhaust(exhaustAt(c.speed)); });
        EXPECT_EQ(puffs.size(), c.puffs);
        EXPECT_EQ(pointSize(), static_cast<float>(10.0 - 3.0 * c.speed));
        for (const DrawnPoint& p : puffs) {
            EXPECT_GE(p.x, 9.5f - 1e-3f);
            EXPECT_LE(p.x, 10.5f + 1e-3f);
            EXPECT_LE(p.y, 1e-3f);
            EXPECT_GE(p.y, -5.0f * c.speed - 1e-3f);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The order the puffs take their random numbers in is VehicleTest's; here, that the drawing
// shows each puff as picked.
TEST_F(CarDrawingTest, ExhaustIsDrawnInThePickedColoursAtThePickedPoints)
{
    const ExhaustPicture& picked = exhaustAt(1.0f);
    const std::vector<DrawnPoint> puffs = pointsDrawnBy([&] { drawExhaust(picked); });
    ASSERT_EQ(puffs.size(), 10u);
    ASSERT_EQ(picked.puffs.size(), 10u);
    for (size_t i = 0; i < puffs.size(); ++i) {
        SCOPED_TRACE("puff " + std::to_string(i));
        const ExhaustPuff& puff = picked.puffs[i];
        EXPECT_NEAR(puffs[i].alpha, puff.alpha, 1e-6);
        EXPECT_NEAR(puffs[i].blue, puff.blue, 1e-6);
        EXPECT_NEAR(puffs[i].green, puff.green, 1e-6);
        EXPECT_NEAR(puffs[i].red, puff.red, 1e-6);
        EXPECT_NEAR(puffs[i].y, puff.y, 1e-3);
        EXPECT_NEAR(puffs[i].x, puff.x, 1e-3);
    }
    EXPECT_EQ(pointSize(), 7.0f);
}

// The size in force is VehicleTest's; here, that drawing at it raises no GL error, where a size
// of nothing or less would.
TEST_F(CarDrawingTest, FromTenThirdsOnTheExhaustKeepsTheLastPointSizeAndRaisesNoError)
{
    // Just below 10/3 the size is tiny but still positive when worked out in double precision.
    const float justBelow = 10.0f / 3.0f;
    drawExhaust(exhaustAt(justBelow));
    EXPECT_EQ(pointSize(), static_cast<float>(10.0 - 3.0 * justBelow));
    EXPECT_GT(pointSize(), 0.0f);

    glPointSize(6.5f);
    for (float speed : {std::nextafter(justBelow, 4.0f), 4.0f}) {
        const size_t puffs = pointsDrawnBy([&] { drawExhaust(exhaustAt(speed, 6.5)); }).size();
        EXPECT_EQ(puffs, static_cast<size_t>(std::ceil(10.0 * speed)));
        EXPECT_EQ(pointSize(), 6.5f) << "speed " << speed;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "speed " << speed;
    }

    car.setSpeed(4.0f, 4.0f);
    car.draw(game.headlightsOff, exhaustAt(4.0f, 6.5));
    EXPECT_EQ(pointSize(), 6.5f);
    for (int i = 0; i < 3; ++i) {
        harness::runFrame();  // and no frame raises an error
        EXPECT_EQ(pointSize(), scaledPixels(game.frame.pointSize))
            << "the frame leaves set the size the game keeps as in force";
    }
}

TEST_F(CarDrawingTest, SmokeTrailsBehindTheCarWhicheverWayItPoints)
{
    car.setSpeed(1.0f, 1.0f);
    std::vector<DrawnPoint> puffs =
        pointsDrawnBy([&] { car.draw(game.headlightsOff, exhaustAt(car.getY_speed())); });
    ASSERT_EQ(puffs.size(), 10u);
    for (const DrawnPoint& p : puffs) {  // below the rear edge, y -5
        EXPECT_GE(p.x, 9.5f - 1e-3f);
        EXPECT_LE(p.x, 10.5f + 1e-3f);
        EXPECT_LE(p.y, -6.0f + 1e-3f);
        EXPECT_GE(p.y, -11.0f - 1e-3f);
    }

    turnRight(8);
    puffs = pointsDrawnBy([&] { car.draw(game.headlightsOff, exhaustAt(car.getY_speed())); });
    ASSERT_EQ(puffs.size(), 10u);
    for (const DrawnPoint& p : puffs) {  // left of the rear edge, x 5
        EXPECT_GE(p.x, -1.0f - 1e-3f);
        EXPECT_LE(p.x, 4.0f + 1e-3f);
        EXPECT_GE(p.y, -0.5f - 1e-3f);
        EXPECT_LE(p.y, 0.5f + 1e-3f);
    }
}

TEST_F(CarDrawingTest, DrawingLeavesTheModelviewAsItFoundIt)
{
    turnRight(3);
    car.setSpeed(1.0f, 1.0f);
    harness::runFrame();  // the frame picks the car's exhaust
    ASSERT_EQ(game.frame.exhaust.puffs.size(), 10u);
    harness::expectModelviewKeptBy([] {
        const GameState& played = harness::game();
        played.playerCar.draw(0, played.frame.exhaust);
    });
}

}  // namespace
