// The car: its start values, the arrow-key controls, the motion step and its drawing.
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "GlHarness.h"
#include "SolidTexture.h"
#include "assets/Textures.h"
#include "effects/Particles.h"
#include "shell/Game.h"
#include "shell/Input.h"
#include "vehicle/Car.h"

namespace {

class VehicleTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }

    static void press(void (Car::*control)(), int times)
    {
        for (int i = 0; i < times; ++i)
            (playerCar.*control)();
    }
};

TEST_F(VehicleTest, RecordIsEighteenPackedFieldsOfThirtyTwoBits)
{
    EXPECT_EQ(sizeof(Car), 18u * 4u);
}

TEST_F(VehicleTest, ResetBringsBackEveryStartValueEvenAfterTurningAndDriving)
{
    playerCar.setGearMax(2.0f);
    press(&Car::accelerate, 7);
    press(&Car::turnRight, 3);
    playerCar.advance();
    playerCar.setDamage(3.0f);
    playerCar.setCarDamageStatus(0.0f);
    playerCar.setContactKind(2);
    ASSERT_NE(headingRadians, 0.0f);

    resetToStart(playerCar);
    harness::expectCarAtStartValues();
    // Brake factor and turn step have no getters: check them through what they do.
    playerCar.setSpeed(1.0f, 1.0f);
    playerCar.brake();
    EXPECT_EQ(playerCar.getY_speed(), static_cast<float>(1.0f - 0.05 * static_cast<double>(1.8f)));
    playerCar.turnRight();
    EXPECT_EQ(playerCar.getHeading(), 11.25f);
}

TEST_F(VehicleTest, FixedDamageAddsAQuarterPoint)
{
    playerCar.setDamage(-1.0f);
    playerCar.addFixedDamage();
    EXPECT_EQ(playerCar.getDamage(), -0.75f);
    playerCar.setDamage(0.0f);
    playerCar.addFixedDamage();
    EXPECT_EQ(playerCar.getDamage(), 0.25f);
}

TEST_F(VehicleTest, UpInFirstGearSettlesJustBelowTheGearsTarget)
{
    press(&Car::accelerate, 9);
    EXPECT_EQ(playerCar.getY_speed(), 0.45000005f);
    EXPECT_EQ(playerCar.getX_speed(), 0.45000005f);
    press(&Car::accelerate, 25);
    EXPECT_EQ(playerCar.getY_speed(), 0.45000005f);
    EXPECT_EQ(playerCar.getX_speed(), 0.45000005f);
}

TEST_F(VehicleTest, DownBrakesInStepsAndStopsExactlyAtZero)
{
    press(&Car::accelerate, 9);
    const float expected[] = {0.36000004f, 0.27000004f, 0.18000004f, 0.09000004f};
    for (float speed : expected) {
        playerCar.brake();
        EXPECT_EQ(playerCar.getY_speed(), speed);
        EXPECT_EQ(playerCar.getX_speed(), speed);
    }
    playerCar.brake();
    EXPECT_GT(playerCar.getX_speed(), 0.0f);  // a tiny remainder is left...
    EXPECT_LT(playerCar.getX_speed(), 1e-7f);
    playerCar.brake();
    EXPECT_EQ(playerCar.getX_speed(), 0.0f);  // ...and the sixth press stops the car dead
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    playerCar.brake();
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);  // braking never reverses
}

TEST_F(VehicleTest, ReverseDrivesBackwardsAndBrakesBackToZero)
{
    playerCar.setGearMax(-0.5f);
    playerCar.accelerate();
    EXPECT_EQ(playerCar.getY_speed(), -0.05f);
    press(&Car::accelerate, 9);
    EXPECT_EQ(playerCar.getY_speed(), -0.50000006f);
    press(&Car::accelerate, 5);
    EXPECT_EQ(playerCar.getY_speed(), -0.50000006f);
    EXPECT_EQ(playerCar.getX_speed(), -0.50000006f);

    for (int i = 0; i < 5; ++i)
        playerCar.brake();
    EXPECT_LT(playerCar.getY_speed(), 0.0f);
    playerCar.brake();
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    EXPECT_EQ(playerCar.getX_speed(), 0.0f);
}

TEST_F(VehicleTest, BrakeDoesNothingAgainstTheGearsDirection)
{
    playerCar.setSpeed(-0.3f, -0.3f);  // rolling backwards in first gear
    playerCar.brake();
    EXPECT_EQ(playerCar.getY_speed(), -0.3f);
    playerCar.setGearMax(-0.5f);
    playerCar.setSpeed(0.3f, 0.3f);  // rolling forwards in reverse
    playerCar.brake();
    EXPECT_EQ(playerCar.getY_speed(), 0.3f);
}

TEST_F(VehicleTest, LowerGearTakesTheSpeedDownOneStepPerPress)
{
    playerCar.setGearMax(2.0f);
    press(&Car::accelerate, 45);
    EXPECT_LE(playerCar.getY_speed(), 2.0f);
    EXPECT_GT(playerCar.getY_speed(), 1.9f);
    const float fast = playerCar.getY_speed();
    playerCar.setGearMax(0.5f);
    playerCar.accelerate();
    EXPECT_EQ(playerCar.getY_speed(), static_cast<float>(fast - 0.05));
}

TEST_F(VehicleTest, HeadingWrapsPastBothLimitsButKeepsThemExactly)
{
    press(&Car::turnRight, 11);
    EXPECT_EQ(playerCar.getHeading(), 123.75f);
    press(&Car::turnRight, 21);
    EXPECT_EQ(playerCar.getHeading(), 360.0f);
    playerCar.turnRight();
    EXPECT_EQ(playerCar.getHeading(), 11.25f);

    resetToStart(playerCar);
    press(&Car::turnLeft, 32);
    EXPECT_EQ(playerCar.getHeading(), -360.0f);
    playerCar.turnLeft();
    EXPECT_EQ(playerCar.getHeading(), -11.25f);
    EXPECT_EQ(headingRadians, static_cast<float>(-11.25 * (3.1415927 / 180.0)));
}

// Every heading that turning can reach, from the start and from each heading reached, has its
// radians formed from the single-precision pi with double-precision intermediates.
TEST_F(VehicleTest, EveryReachableHeadingHasItsRadiansInDoublePrecision)
{
    std::vector<float> reached = {0.0f};
    for (size_t next = 0; next < reached.size(); ++next) {
        for (void (Car::*turn)() : {&Car::turnLeft, &Car::turnRight}) {
            Car car = playerCar;
            resetToStart(car);
            for (int i = 0; i < 64 && car.getHeading() != reached[next]; ++i)
                car.turnRight();  // from 0, right turns reach every heading of 0..360
            for (int i = 0; i < 64 && car.getHeading() != reached[next]; ++i)
                car.turnLeft();  // and left turns those of -360..0
            ASSERT_EQ(car.getHeading(), reached[next]);
            (car.*turn)();
            const double exact = car.getHeading() * (static_cast<double>(3.1415927f) / 180.0);
            EXPECT_EQ(headingRadians, static_cast<float>(exact)) << "heading " << car.getHeading();
            if (std::find(reached.begin(), reached.end(), car.getHeading()) == reached.end())
                reached.push_back(car.getHeading());
        }
    }
    EXPECT_EQ(reached.size(), 65u) << "0 and the multiples of 11.25 up to 360 either way";

    resetToStart(playerCar);
    for (int i = 0; i < 5; ++i)
        playerCar.turnRight();
    EXPECT_EQ(playerCar.getHeading(), 56.25f);
    EXPECT_EQ(headingRadians, 0.981747746f);
}

TEST_F(VehicleTest, MotionStepMovesCentreAndBoxAlongTheHeading)
{
    playerCar.setSpeed(1.0f, 1.0f);
    playerCar.advance();  // heading 0: straight up the map
    EXPECT_EQ(playerCar.getY_centre(), 1.0f);
    EXPECT_EQ(playerCar.getX_centre(), 0.0f);
    EXPECT_EQ(playerCar.getBoxTop(), 6.0f);
    EXPECT_EQ(playerCar.getBoxBottom(), -4.0f);

    resetToStart(playerCar);
    press(&Car::turnRight, 8);  // heading 90: to the right
    playerCar.setSpeed(1.0f, 1.0f);
    playerCar.advance();
    EXPECT_EQ(playerCar.getX_centre(), 1.0f);
    EXPECT_EQ(playerCar.getBoxLeft(), 6.0f);
    EXPECT_EQ(playerCar.getBoxRight(), 16.0f);
    // The cosine of the single-precision quarter turn is not quite 0: the car drifts down a hair.
    EXPECT_LT(playerCar.getY_centre(), 0.0f);
    EXPECT_GT(playerCar.getY_centre(), -1e-7f);
    EXPECT_EQ(playerCar.getBoxTop(), 5.0f);  // too small a drift to move an edge at 5
}

TEST_F(VehicleTest, ArrowKeysReachTheCarThroughTheSpecialKeyCallback)
{
    specialKey(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(playerCar.getY_speed(), 0.05f);
    specialKey(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    specialKey(GLUT_KEY_RIGHT, 0, 0);
    EXPECT_EQ(playerCar.getHeading(), 11.25f);
    specialKey(GLUT_KEY_LEFT, 0, 0);
    specialKey(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(playerCar.getHeading(), -11.25f);
    specialKey(GLUT_KEY_PAGE_UP, 0, 0);
    EXPECT_EQ(playerCar.getHeading(), -11.25f);
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
}

TEST_F(VehicleTest, IdleStepMovesTheCarOncePerFrameDrawn)
{
    playerCar.setSpeed(0.5f, 0.5f);
    harness::runFrame();
    idle();
    idle();  // no frame in between, as while the window is hidden: the car waits
    EXPECT_EQ(playerCar.getY_centre(), 0.5f);
    harness::runFrame();
    idle();
    EXPECT_EQ(playerCar.getY_centre(), 1.0f);
}

// The car on screen: body, beams and exhaust, read back from real frames and from OpenGL's
// feedback mode, which reports every point drawn with its colour.

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

// The game's next `count` random numbers, drawn by a copy of the process so that the game's own
// sequence is still where it was.
std::vector<float> upcomingRandomNumbers(int count)
{
    int ends[2];
    if (pipe(ends) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        for (int i = 0; i < count; ++i) {
            const float r = random01();
            if (write(ends[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r))
                _exit(1);
        }
        _exit(0);
    }
    close(ends[1]);
    std::vector<float> numbers(static_cast<size_t>(count));
    size_t got = 0;
    const size_t wanted = numbers.size() * sizeof(float);
    auto* bytes = reinterpret_cast<char*>(numbers.data());
    for (ssize_t n; got < wanted && (n = read(ends[0], bytes + got, wanted - got)) > 0;)
        got += static_cast<size_t>(n);
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(got, wanted);
    return numbers;
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
    return (std::floor((coordinate + 50.0) / 100.0 * pixels) + 0.5) / pixels * 100.0 - 50.0;
}

class CarDrawingTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }

    static void expectViewColour(float x, float y, Colour expected)
    {
        harness::expectColourAt(x, y, expected);
    }

    SolidTexture dirt_{textureName(kDirtTexture), kDirt.red, kDirt.green, kDirt.blue};
    SolidTexture paint_{textureName(kCarTexture), kCarPaint.red, kCarPaint.green, kCarPaint.blue};
};

TEST_F(CarDrawingTest, BeamsLightTheGroundAheadOnlyWhileTheHeadlightsAreOn)
{
    headlightsOff = 1;
    harness::runFrame();
    expectViewColour(8.55f, 7.0f, kDirt);
    expectViewColour(11.45f, 7.0f, kDirt);

    headlightsOff = 0;
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
    for (int i = 0; i < 8; ++i)
        playerCar.turnRight();
    ASSERT_EQ(playerCar.getHeading(), 90.0f);
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
        {-0.5f, 0},
        {0.0f, 0},
        {0.1f, 2},  // 0.1f is a hair above a tenth: 10 x speed
                    // exceeds 1
        {0.3f, 4},
        {0.45000005f, 5},
        {1.0f, 10},
        {2.0f, 20},
    };
    for (const SpeedCase& c : kCases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed));
        const std::vector<DrawnPoint> puffs = pointsDrawnBy([&] { drawExhaust(c.speed); });
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

TEST_F(CarDrawingTest, ExhaustTakesAlphaBlueGreenRedThenYThenXFromTheGamesRandomNumbers)
{
    const std::vector<float> r = upcomingRandomNumbers(60);
    ASSERT_EQ(r.size(), 60u);
    const std::vector<DrawnPoint> puffs = pointsDrawnBy([] { drawExhaust(1.0f); });
    ASSERT_EQ(puffs.size(), 10u);
    for (size_t i = 0; i < puffs.size(); ++i) {
        SCOPED_TRACE("puff " + std::to_string(i));
        const float* n = &r[6 * i];
        EXPECT_NEAR(puffs[i].alpha, static_cast<float>(n[0] * 0.5 + 0.1), 1e-6);
        EXPECT_NEAR(puffs[i].blue, static_cast<float>(n[1] * 0.2 + 0.8), 1e-6);
        EXPECT_NEAR(puffs[i].green, static_cast<float>(n[2] * 0.2 + 0.8), 1e-6);
        EXPECT_NEAR(puffs[i].red, static_cast<float>(n[3] * 0.2 + 0.8), 1e-6);
        EXPECT_NEAR(puffs[i].y, static_cast<float>(n[4] * -5.0), 1e-3);
        EXPECT_NEAR(puffs[i].x, static_cast<float>(n[5] * 1.0 + 9.5), 1e-3);
    }
    EXPECT_EQ(pointSize(), 7.0f);
}

TEST_F(CarDrawingTest, FromTenThirdsOnTheExhaustKeepsTheLastPointSizeAndRaisesNoError)
{
    // Just below 10/3 the size is tiny but still positive when worked out in double precision.
    const float justBelow = 10.0f / 3.0f;
    drawExhaust(justBelow);
    EXPECT_EQ(pointSize(), static_cast<float>(10.0 - 3.0 * justBelow));
    EXPECT_GT(pointSize(), 0.0f);

    glPointSize(6.5f);
    for (float speed : {std::nextafter(justBelow, 4.0f), 4.0f}) {
        const size_t puffs = pointsDrawnBy([&] { drawExhaust(speed); }).size();
        EXPECT_EQ(puffs, static_cast<size_t>(std::ceil(10.0 * speed)));
        EXPECT_EQ(pointSize(), 6.5f) << "speed " << speed;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "speed " << speed;
    }

    playerCar.setSpeed(4.0f, 4.0f);
    playerCar.draw(headlightsOff);
    EXPECT_EQ(pointSize(), 6.5f);
    for (int i = 0; i < 3; ++i)
        harness::runFrame();  // and no frame raises an error
}

TEST_F(CarDrawingTest, SmokeTrailsBehindTheCarWhicheverWayItPoints)
{
    playerCar.setSpeed(1.0f, 1.0f);
    std::vector<DrawnPoint> puffs = pointsDrawnBy([] { playerCar.draw(headlightsOff); });
    ASSERT_EQ(puffs.size(), 10u);
    for (const DrawnPoint& p : puffs) {  // below the rear edge, y -5
        EXPECT_GE(p.x, 9.5f - 1e-3f);
        EXPECT_LE(p.x, 10.5f + 1e-3f);
        EXPECT_LE(p.y, -6.0f + 1e-3f);
        EXPECT_GE(p.y, -11.0f - 1e-3f);
    }

    for (int i = 0; i < 8; ++i)
        playerCar.turnRight();
    puffs = pointsDrawnBy([] { playerCar.draw(headlightsOff); });
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
    for (int i = 0; i < 3; ++i)
        playerCar.turnRight();
    playerCar.setSpeed(1.0f, 1.0f);
    harness::expectModelviewKeptBy([] { playerCar.draw(0); });
}

}  // namespace
