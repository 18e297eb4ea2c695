// A whole game in real frames: ram the roof block until the car burns out, press New, drive on.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "input/Actions.h"
#include "input/Input.h"
#include "session/Draw.h"
#include "session/GameState.h"
#include "session/Notice.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

namespace {

using harness::colourAt;
using harness::describe;
using harness::near;

constexpr float kRoofBlockLeft = 80.0f;  // block 3, the roof block at x 80..110, y -140..-110
constexpr float kLaneY = -125.0f;        // a lane through the middle of the block's height
constexpr int kFrameLimit = 3000;        // far more than any part of this game needs

struct ViewPoint {
    float x, y;
};

// Points on the car's body whether it heads up or to the right (it turns about (10, 0)).
std::vector<ViewPoint> carBodyPoints()
{
    std::vector<ViewPoint> points;
    for (float x = 8.0f; x <= 12.0f; x += 1.0f)
        for (float y = -2.0f; y <= 2.0f; y += 1.0f)
            points.push_back({x, y});
    return points;
}

// Points on the car heading right (body and wheels) that the first frame of the fire, a blob
// about the car's centre, leaves uncovered.
std::vector<ViewPoint> eastboundCarAwayFromItsCentre()
{
    return {{5.8f, 0.0f},  {14.2f, 0.0f},  {6.5f, 1.5f}, {13.5f, -1.5f},
            {12.5f, 3.7f}, {12.5f, -3.7f}, {7.5f, 3.7f}, {7.5f, -3.7f}};
}

std::vector<harness::Colour> coloursAt(const std::vector<ViewPoint>& points)
{
    std::vector<harness::Colour> colours;
    for (const ViewPoint& p : points)
        colours.push_back(colourAt(p.x, p.y));
    return colours;
}

// The map alone as the last frame showed it, drawn by the game's own scene step. It overwrites
// the frame just drawn, so the frame's own pixels must be read first.
std::vector<harness::Colour> bareMapAt(const std::vector<ViewPoint>& points)
{
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(harness::game().frame.viewX, harness::game().frame.viewY);
    glFinish();
    return coloursAt(points);
}

int pointsMatching(const std::vector<harness::Colour>& a, const std::vector<harness::Colour>& b)
{
    int same = 0;
    for (size_t i = 0; i < a.size(); ++i)
        same += near(a[i], b[i].red, b[i].green, b[i].blue, 2) ? 1 : 0;
    return same;
}

// One turn of the main loop: a frame, then the idle step that moves the car.
void frameThenIdle()
{
    harness::runFrame();
    idle();
}

// The window pixel (from the top left) at the centre of a view point.
void pressLeftButtonAt(float viewX, float viewY)
{
    const int x = harness::pixelOfView(viewX, harness::kWindowWidth);
    const int y = harness::pixelOfView(-viewY, harness::kWindowHeight);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
}

using harness::placeCar;

// "Press New" shown over the map: its black box with white letters in it, read from the frame
// two pixels inside the box's edges.
bool pressNewShown()
{
    auto column = [](float x) { return harness::pixelOfView(x, harness::kWindowWidth); };
    auto row = [](float y) { return harness::pixelOfView(y, harness::kWindowHeight); };
    const int left = column(kPressNewBox.left) + 2, right = column(kPressNewBox.right) - 2;
    const int bottom = row(kPressNewBox.bottom) + 2, top = row(kPressNewBox.top) - 2;
    std::vector<unsigned char> box(static_cast<size_t>(right - left) * (top - bottom) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, bottom, right - left, top - bottom, GL_RGB, GL_UNSIGNED_BYTE, box.data());
    int black = 0, white = 0;
    for (size_t i = 0; i < box.size(); i += 3) {
        black += box[i] == 0 && box[i + 1] == 0 && box[i + 2] == 0;
        white += box[i] == 255 && box[i + 1] == 255 && box[i + 2] == 255;
    }
    return black + white == static_cast<int>(box.size() / 3) && white > 100;
}

TEST(GameTest, RamTheRoofBlockUntilTheCarBurnsOutThenStartAfreshWithNew)
{
    harness::resetGame();
    GameState& game = harness::game();
    const Car& car = game.playerCar;
    const std::vector<ViewPoint> body = carBodyPoints();

    // West of the roof block on a lane clear of everything else, facing east, fourth gear.
    placeCar(kRoofBlockLeft - 70.0f, kLaneY);
    for (int i = 0; i < 8; ++i)
        specialKey(GLUT_KEY_RIGHT, 0, 0);
    keyboard('4', 0, 0);
    harness::applyQueuedCommands();
    ASSERT_EQ(car.getHeading(), 90.0f);
    ASSERT_EQ(car.getGearMax(), 2.0f);

    // Hold up and ram the block again and again. Every hit costs the mean speed times the
    // block's factor 2 plus 0.25, and the bar's right end follows the car's condition. Each
    // press reaches the car at the next frame, after the last idle step's move.
    int hits = 0;
    float firstHitSpeed = 0.0f;
    int frame = 0;
    for (; frame < kFrameLimit && car.getDamageStatus() > 0.0f; ++frame) {
        specialKey(GLUT_KEY_UP, 0, 0);
        harness::applyQueuedCommands();  // as the frame's step begins
        const float statusBefore = car.getDamageStatus();
        const double speedBefore = (static_cast<double>(car.getX_speed()) + car.getY_speed()) / 2.0;
        frameThenIdle();
        if (car.getDamageStatus() == statusBefore)
            continue;
        ++hits;
        if (hits == 1)
            firstHitSpeed = static_cast<float>(speedBefore);
        const float hitDamage = static_cast<float>(std::fabs(speedBefore) * 2.0);
        const float cost = static_cast<float>(static_cast<double>(hitDamage) + 0.25);
        const float expected = static_cast<float>(static_cast<double>(statusBefore) - cost);
        EXPECT_EQ(car.getDamageStatus(), expected > 0.0f ? expected : 0.0f) << "hit " << hits;
        EXPECT_EQ(car.getX_speed(), 0.0f) << "hit " << hits;
        EXPECT_LE(car.getBoxLeft(), kRoofBlockLeft - 10.0f) << "thrown back out of the block";
        if (car.getDamageStatus() > 0.0f) {
            EXPECT_FLOAT_EQ(game.gauges.damageBar[0].x, -47.0f + car.getDamageStatus())
                << "hit " << hits;
            const float end = game.gauges.damageBar[0].x;
            EXPECT_GT(colourAt(end - 0.2f, -29.0f).red, 100)
                << describe(colourAt(end - 0.2f, -29.0f));
            EXPECT_TRUE(near(colourAt(end + 0.2f, -29.0f), 0, 0, 0, 20))
                << describe(colourAt(end + 0.2f, -29.0f));
        }
    }
    ASSERT_EQ(car.getDamageStatus(), 0.0f) << "still driving after " << frame << " frames";
    EXPECT_GE(firstHitSpeed, 1.9f) << "the first hit is at full speed in fourth gear";
    EXPECT_GE(hits, 2);
    EXPECT_EQ(game.gauges.damageBar[0].x, -47.0f);

    // The car is drawn in the frame that wrecks it, and not in the next one.
    const std::vector<ViewPoint> footprint = eastboundCarAwayFromItsCentre();
    const int carCount = static_cast<int>(footprint.size());
    const std::vector<harness::Colour> lastCarFrame = coloursAt(footprint);
    EXPECT_LT(pointsMatching(lastCarFrame, bareMapAt(footprint)), carCount / 2);

    // The wreck: the world update reports it from the next frame on, and from then on the idle
    // step moves it no more until New (and in the main loop: WreckTakesTheIdleStepAwayUntilNew);
    // the frames go on, the dashboard asking for each next one. The fire burns down frame by
    // frame and the wreck stands still, however the up key is pressed.
    const float wreckX = car.getX_centre();
    const float wreckY = car.getY_centre();
    float lifeBefore = lifeLeft(game.bursts.explosionBurst);
    EXPECT_EQ(lifeBefore, 100.0f);
    int burningFrames = 0;
    for (int i = 0; i < 60; ++i) {
        specialKey(GLUT_KEY_UP, 0, 0);
        frameThenIdle();
        if (i == 0) {
            const std::vector<harness::Colour> firstWreckFrame = coloursAt(footprint);
            EXPECT_EQ(pointsMatching(firstWreckFrame, bareMapAt(footprint)), carCount);
        }
        EXPECT_TRUE(game.wrecked);
        EXPECT_EQ(car.getX_speed(), 0.0f);
        EXPECT_EQ(car.getX_centre(), wreckX);
        EXPECT_EQ(car.getY_centre(), wreckY);
        const float life = lifeLeft(game.bursts.explosionBurst);
        if (life < lifeBefore)
            ++burningFrames;
        lifeBefore = life;
    }
    EXPECT_EQ(burningFrames, 50) << "the first explosion lasts 50 frames";
    EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 0.0f);
    // Fire spent: where the car stood only the map shows, and the empty bar's frame is black.
    EXPECT_TRUE(pressNewShown()) << "the wreck tells the player how to go on";
    const std::vector<harness::Colour> wreckFrame = coloursAt(body);
    const harness::Colour emptyBar = colourAt(-46.8f, -29.0f);
    const harness::Colour newButton = colourAt(-40.0f, 26.5f);
    EXPECT_EQ(pointsMatching(wreckFrame, bareMapAt(body)), static_cast<int>(body.size()));
    EXPECT_TRUE(near(emptyBar, 0, 0, 0, 20)) << describe(emptyBar);
    EXPECT_FALSE(near(newButton, 192, 192, 192, 10)) << "the New picture is drawn there";

    // New, pressed at the centre of the drawn button: the new car comes with the next frame.
    pressLeftButtonAt(-40.0f, 26.5f);
    EXPECT_EQ(car.getDamageStatus(), 0.0f) << "not before the next frame";
    harness::applyQueuedCommands();  // as the frame's step begins
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
    EXPECT_EQ(car.getX_centre(), 0.0f);
    EXPECT_EQ(car.getHeading(), 0.0f);
    EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 130.0f);
    EXPECT_FALSE(game.wrecked);

    harness::runFrame();
    EXPECT_EQ(game.gauges.damageBar[0].x, -33.0f);
    EXPECT_GT(colourAt(-33.1f, -29.0f).red, 100) << describe(colourAt(-33.1f, -29.0f));
    const std::vector<harness::Colour> freshFrame = coloursAt(body);
    EXPECT_LT(pointsMatching(freshFrame, bareMapAt(body)), static_cast<int>(body.size()) / 2)
        << "the fresh car is drawn again";
    harness::runFrame();
    EXPECT_FALSE(pressNewShown()) << "only a wreck asks for New";

    // And it drives: first gear, up held for a few frames, the view moves up the map.
    for (int i = 0; i < 20; ++i) {
        specialKey(GLUT_KEY_UP, 0, 0);
        frameThenIdle();
    }
    EXPECT_GT(car.getY_centre(), 0.0f);
    EXPECT_EQ(car.getX_centre(), 0.0f);
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
}

// The program's own main loop around the wreck: what it shows is how far the car went.
constexpr int kWreckFrames = 40;  // the held up key's repeats start after 15 idle steps
constexpr int kDriveFrames = 10;  // after New
constexpr int kAllWell = 0;
constexpr int kWreckMoved = 10;
constexpr int kNewCarStoodStill = 11;
constexpr int kTooFewFrames = 12;
constexpr int kNoWreck = 13;

struct LoopRun {
    int frames = 0;
    float wreckX = 0.0f, wreckY = 0.0f;
    float wreckMovedBy = 0.0f;  // how far the wreck went in the main loop
};
LoopRun loopRun;

// The game's own frame, counted; the test's work at its frames: New after the wreck's frames,
// leaving after the new car's.
void countedFrame()
{
    display();
    ++loopRun.frames;
    const Car& car = harness::game().playerCar;
    if (loopRun.frames == kWreckFrames) {
        loopRun.wreckMovedBy = std::fabs(car.getX_centre() - loopRun.wreckX) +
                               std::fabs(car.getY_centre() - loopRun.wreckY);
        releaseAction(Action::Accelerate, Device::Script);
        pressLeftButtonAt(-40.0f, 26.5f);  // New
        specialKey(GLUT_KEY_UP, 0, 0);
    } else if (loopRun.frames == kWreckFrames + kDriveFrames) {
        harness::leaveMainLoop();
    }
}

// For a death-test child, as the program's main loop can run only once: a wreck with up held,
// whose repeats an idle step would queue before its move; then New and one press of up. The
// child ends telling whether the wreck stood still and the new car drove.
void holdUpThroughTheWreckThenPressNew()
{
    harness::resetGame();
    GameState& game = harness::game();
    game.playerCar.setCarDamageStatus(0.0f);
    pressAction(Action::Accelerate, Device::Script);
    harness::runFrame();
    if (!game.wrecked)
        std::exit(kNoWreck);
    loopRun.wreckX = game.playerCar.getX_centre();
    loopRun.wreckY = game.playerCar.getY_centre();
    glutDisplayFunc(countedFrame);
    harness::runMainLoopFor(60000);  // leaves at the last counted frame, long before
    const float newCarY = game.playerCar.getY_centre();
    std::fprintf(stderr, "frames %d; the wreck moved by %g; the new car drove to y %g\n",
                 loopRun.frames, loopRun.wreckMovedBy, newCarY);
    if (loopRun.frames < kWreckFrames + kDriveFrames)
        std::exit(kTooFewFrames);
    if (loopRun.wreckMovedBy != 0.0f)
        std::exit(kWreckMoved);
    std::exit(newCarY > 0.0f ? kAllWell : kNewCarStoodStill);
}

TEST(GameTest, WreckTakesTheIdleStepAwayUntilNew)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";  // the child opens its own window
    EXPECT_EXIT(holdUpThroughTheWreckThenPressNew(), testing::ExitedWithCode(kAllWell), "frames");
}

}  // namespace
