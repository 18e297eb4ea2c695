// The world's rules: map edges, blocks, railings, river, road patches, repair and the wreck,
// checked by driving the real car through real frames.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "shell/Input.h"
#include "vehicle/Car.h"
#include "world/Regions.h"
#include "world/World.h"

namespace {

class WorldTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
};

using harness::placeCar;

void turnTo(int rightTurns)  // 11.25 degrees each
{
    for (int i = 0; i < rightTurns; ++i)
        playerCar.turnRight();
}

// Runs frames until one has sampled where the car stands; the frame after it will not sample.
void runSamplingFrame()
{
    if (frameCounter != 2)
        harness::runFrame();
    ASSERT_EQ(frameCounter, 2);
    harness::runFrame();
}

void expectBoxAroundCentre()
{
    EXPECT_FLOAT_EQ(playerCar.getBoxLeft(), playerCar.getX_centre() + 5.0f);
    EXPECT_FLOAT_EQ(playerCar.getBoxRight(), playerCar.getX_centre() + 15.0f);
    EXPECT_FLOAT_EQ(playerCar.getBoxBottom(), playerCar.getY_centre() - 5.0f);
    EXPECT_FLOAT_EQ(playerCar.getBoxTop(), playerCar.getY_centre() + 5.0f);
}

// Exit codes of a process that ran the game's own main loop to see whether the car moves.
constexpr int kCarStoodStill = 10;
constexpr int kCarMoved = 11;

// For a death-test child: one press of up, then the game's main loop for a moment; the process
// ends telling whether an idle step has moved the car meanwhile.
void pressUpAndRunTheMainLoop()
{
    static float startY;
    startY = playerCar.getY_centre();
    specialKey(GLUT_KEY_UP, 0, 0);
    glutTimerFunc(
        300, [](int) { std::exit(playerCar.getY_centre() == startY ? kCarStoodStill : kCarMoved); },
        0);
    glutMainLoop();
}

TEST_F(WorldTest, BoxOnARectangleEdgeIsOutsideAndAnyOverlapIsInside)
{
    const WorldRegion& block1 = obstacleRegions[0].region;  // drawn block x 20..70, y 90..130
    placeCar(20.0f, 100.0f);
    EXPECT_TRUE(boxInsideRegion(playerCar, block1));
    placeCar(5.0f, 100.0f);  // box right edge on the block's left side: touching is no hit
    EXPECT_FALSE(boxInsideRegion(playerCar, block1));
    placeCar(5.001f, 85.001f);  // overlapping the block's corner by a hair on both axes
    EXPECT_TRUE(boxInsideRegion(playerCar, block1));
    placeCar(65.0f, 100.0f);  // box right edge on the rectangle's right edge
    EXPECT_FALSE(boxInsideRegion(playerCar, block1));
    placeCar(20.0f, 85.0f);  // bottom on bottom
    EXPECT_FALSE(boxInsideRegion(playerCar, block1));
    placeCar(20.0f, 135.0f);  // top on top
    EXPECT_FALSE(boxInsideRegion(playerCar, block1));

    // Block 3 and the repair patch reach the map's lower edge; a box resting on it is in neither.
    placeCar(80.0f, -135.0f);
    EXPECT_FALSE(boxInsideRegion(playerCar, obstacleRegions[2].region));
    placeCar(-118.0f, -135.0f);
    EXPECT_FALSE(boxInsideRegion(playerCar, repairRegion));
    placeCar(-118.0f, -134.9f);
    EXPECT_TRUE(boxInsideRegion(playerCar, repairRegion));
}

TEST_F(WorldTest, HitFromBelowThrowsTheCarDownStopsItAndCostsThreeQuarters)
{
    playerCar.setGearMax(1.0f);
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(20.0f, 84.5f);  // heading up, just short of block 1
    runSamplingFrame();
    EXPECT_EQ(playerCar.getY_speed(), 1.0f);
    playerCar.advance();  // one idle step into the block
    ASSERT_EQ(playerCar.getY_centre(), 85.5f);

    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getY_centre(), 85.5f - 3.4f);
    EXPECT_EQ(playerCar.getX_centre(), 20.0f);
    expectBoxAroundCentre();
    EXPECT_EQ(playerCar.getX_speed(), 0.0f);
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    EXPECT_EQ(playerCar.getContactKind(), 1);
    EXPECT_EQ(playerCar.getDamageStatus(), 13.25f);  // 1 x 0.5 + 0.25
    EXPECT_EQ(lifeLeft(contactBurst), 18.0f) << "crash particles started";
}

TEST_F(WorldTest, InASamplingFrameABlockNeitherPushesStopsNorCharges)
{
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(20.0f, 85.5f);
    frameCounter = 2;  // this frame samples the position, so the car has not moved since
    harness::runFrame();
    EXPECT_EQ(playerCar.getY_centre(), 85.5f);
    EXPECT_EQ(playerCar.getY_speed(), 1.0f);
    EXPECT_EQ(playerCar.getDamageStatus(), 14.0f);
    EXPECT_EQ(playerCar.getContactKind(), 1);
    EXPECT_EQ(lifeLeft(contactBurst), 18.0f);
}

TEST_F(WorldTest, CarLeftStandingInsideABlockIsChargedOnlyForTheHit)
{
    playerCar.setSpeed(0.1f, 0.1f);
    placeCar(20.0f, 84.5f);
    runSamplingFrame();
    for (int i = 0; i < 10; ++i)  // several idle steps between two frames: 1 unit in
        playerCar.advance();
    harness::runFrame();  // thrown back by only 0.34, so still inside block 1's rectangle
    ASSERT_TRUE(boxInsideRegion(playerCar, obstacleRegions[0].region));
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    const float afterHit = playerCar.getDamageStatus();
    EXPECT_FLOAT_EQ(afterHit, 14.0f - 0.3f);
    const float y = playerCar.getY_centre();
    for (int frame = 0; frame < 12; ++frame) {
        harness::runFrame();
        EXPECT_EQ(playerCar.getDamageStatus(), afterHit);
        EXPECT_EQ(playerCar.getY_centre(), y);
    }
}

TEST_F(WorldTest, BlocksSixAndSevenHitInOneFrameLeaveOnlyTheFixedQuarter)
{
    // Up from below into the corner where the two blocks meet at x -90; their rectangles share
    // the bottom edge y -70.
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(-100.0f, -66.0f);
    runSamplingFrame();
    for (int i = 0; i < 5; ++i)  // five idle steps before the next frame: 4 units into both
        playerCar.advance();
    ASSERT_TRUE(boxInsideRegion(playerCar, obstacleRegions[5].region));
    ASSERT_TRUE(boxInsideRegion(playerCar, obstacleRegions[6].region));
    harness::runFrame();
    // Block 6 threw the car back 3.4 and charged 1.25; block 7, still holding the box, found it
    // stopped and charged 0 + 0.25 in place of that.
    EXPECT_FLOAT_EQ(playerCar.getY_centre(), -61.0f - 3.4f);
    EXPECT_TRUE(boxInsideRegion(playerCar, obstacleRegions[6].region));
    EXPECT_EQ(playerCar.getX_centre(), -100.0f);
    expectBoxAroundCentre();
    EXPECT_EQ(playerCar.getDamageStatus(), 13.75f);
}

TEST_F(WorldTest, ReversingIntoABlockCostsTheSizeOfItsSpeedNeverARepair)
{
    turnTo(16);  // heading 180, so reversing moves the car up the map
    playerCar.setGearMax(-0.5f);
    playerCar.setSpeed(-0.5f, -0.5f);
    placeCar(20.0f, 84.8f);
    runSamplingFrame();
    playerCar.advance();
    ASSERT_FLOAT_EQ(playerCar.getY_centre(), 85.3f);
    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getY_centre(), 85.3f - 1.7f);  // back down, against the motion
    expectBoxAroundCentre();
    EXPECT_EQ(playerCar.getY_speed(), 0.0f);
    EXPECT_EQ(playerCar.getDamageStatus(), 13.5f);  // |-0.5| x 0.5 + 0.25
}

TEST_F(WorldTest, CornerBeyondTwoMapEdgesIsPushedBackOnceAndStaysStoppedFreeOfCharge)
{
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(127.0f, 136.0f);  // box top 141, box right 142
    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getY_centre(), 136.0f - 3.4f);
    EXPECT_EQ(playerCar.getX_centre(), 127.0f) << "the right edge found the car stopped";
    expectBoxAroundCentre();
    EXPECT_EQ(playerCar.getX_speed(), 0.0f);
    EXPECT_EQ(playerCar.getContactKind(), 1);
    EXPECT_EQ(playerCar.getDamageStatus(), 14.0f);
    for (int frame = 0; frame < 12; ++frame) {  // still beyond the right edge: it stays there
        harness::runFrame();
        EXPECT_EQ(playerCar.getX_centre(), 127.0f);
    }
    EXPECT_EQ(playerCar.getDamageStatus(), 14.0f);

    // Beyond the left and lower edges while reversing: pushed back in, the other way.
    harness::resetGame();
    playerCar.setSpeed(-0.5f, -0.5f);
    placeCar(-146.0f, 0.0f);
    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getX_centre(), -146.0f + 1.7f);
    placeCar(0.0f, -136.0f);
    playerCar.setSpeed(-0.5f, -0.5f);
    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getY_centre(), -136.0f + 1.7f);
    EXPECT_EQ(playerCar.getDamageStatus(), 14.0f);
}

TEST_F(WorldTest, WaterSlowsTheCarEveryFrameAndSplashes)
{
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(0.0f, 52.0f);  // box centre (10, 52), over the river
    harness::runFrame();
    const float once = static_cast<float>(1.0 / static_cast<double>(1.1f));
    EXPECT_EQ(playerCar.getX_speed(), once);
    EXPECT_EQ(playerCar.getY_speed(), once);
    EXPECT_EQ(playerCar.getContactKind(), 2);
    EXPECT_EQ(lifeLeft(contactBurst), 18.0f) << "splash particles";
    harness::runFrame();
    EXPECT_EQ(playerCar.getY_speed(), static_cast<float>(once / static_cast<double>(1.1f)));
    EXPECT_EQ(playerCar.getDamageStatus(), 14.0f);
}

TEST_F(WorldTest, BridgeDecksAreDry)
{
    for (float boxCentreX : {-92.0f, 127.0f}) {
        harness::resetGame();
        playerCar.setSpeed(1.0f, 1.0f);
        placeCar(boxCentreX - 10.0f, 52.0f);
        for (const DragRow& water : waterRegions)
            EXPECT_FALSE(boxInsideRegion(playerCar, water.region)) << "box centre x " << boxCentreX;
        harness::runFrame();
        EXPECT_EQ(playerCar.getY_speed(), 1.0f);
        EXPECT_EQ(playerCar.getContactKind(), 0);
    }
}

TEST_F(WorldTest, RailingsHoldBackOnlyACarComingOutOfTheWater)
{
    // On the river bank beside the east bridge, inside railing 9 but not in the water: no hit.
    turnTo(8);
    playerCar.setSpeed(1.0f, 1.0f);
    placeCar(105.0f, 42.0f);
    runSamplingFrame();
    playerCar.advance();
    ASSERT_TRUE(boxInsideRegion(playerCar, railingRegions[1]));
    harness::runFrame();
    EXPECT_EQ(playerCar.getX_centre(), 106.0f);
    EXPECT_EQ(playerCar.getX_speed(), 1.0f);
    EXPECT_EQ(playerCar.getContactKind(), 0);

    // The same place just after a swim: the splash still plays, so the railing stops the car.
    harness::resetGame();
    turnTo(8);
    playerCar.setSpeed(1.0f, 1.0f);
    playerCar.setContactKind(2);
    placeCar(105.0f, 42.0f);
    runSamplingFrame();
    playerCar.advance();
    harness::runFrame();
    EXPECT_FLOAT_EQ(playerCar.getX_centre(), 106.0f - 3.4f);
    EXPECT_EQ(playerCar.getX_speed(), 0.0f);
    EXPECT_EQ(playerCar.getContactKind(), 1) << "the hit turns the splash into a crash";
    EXPECT_EQ(playerCar.getDamageStatus(), 13.75f);  // railings cost the fixed quarter
}

TEST_F(WorldTest, GreenPatchSpeedsTheCarUpAboutTwoAndAHalfTimesInTenFrames)
{
    playerCar.setSpeed(0.5f, 0.5f);
    placeCar(25.0f, -17.0f);  // on the green patch x 30..40, y -25..-10 (divisor 0.91)
    for (int frame = 0; frame < 10; ++frame)
        harness::runFrame();
    EXPECT_NEAR(playerCar.getY_speed() / 0.5, 2.57, 0.005);
    EXPECT_EQ(playerCar.getX_speed(), playerCar.getY_speed());
    EXPECT_EQ(playerCar.getContactKind(), 0);

    playerCar.setSpeed(0.5f, 0.5f);
    placeCar(-65.0f, -17.0f);  // the red patch x -60..-50 (divisor 1.09)
    harness::runFrame();
    EXPECT_EQ(playerCar.getY_speed(), static_cast<float>(0.5 / static_cast<double>(1.09f)));
}

TEST_F(WorldTest, RepairPatchRestoresConditionToFourteenWithGreenSparkles)
{
    playerCar.setCarDamageStatus(10.0f);
    placeCar(-118.0f, -125.0f);  // box centre on the cyan patch
    for (int frame = 1; frame <= 6; ++frame) {
        harness::runFrame();
        EXPECT_EQ(playerCar.getDamageStatus(), 10.0f + 0.75f * frame);
        EXPECT_EQ(playerCar.getContactKind(), 3);
        EXPECT_EQ(lifeLeft(repairBurst), 160.0f - 2.0f * frame);
    }
    // Full again: held at 14 (the last quarter shows on the dashboard), and no more sparkles.
    for (int frame = 0; frame < 3; ++frame) {
        harness::runFrame();
        EXPECT_EQ(playerCar.getDamageStatus(), 14.25f);
        EXPECT_EQ(playerCar.getContactKind(), 0);
        EXPECT_EQ(lifeLeft(repairBurst), 148.0f);
    }
}

TEST_F(WorldTest, HardHitWrecksTheCarWhichThenBurnsAndStandsStill)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    turnTo(16);  // heading 180: driving down into block 3 (factor 2)
    playerCar.setGearMax(2.0f);
    playerCar.setSpeed(2.0f, 2.0f);
    playerCar.setCarDamageStatus(1.0f);
    placeCar(80.0f, -103.5f);
    runSamplingFrame();
    playerCar.advance();
    harness::runFrame();  // 2 x 2 + 0.25 is more than the car had left
    EXPECT_EQ(playerCar.getDamageStatus(), 0.0f);
    EXPECT_EQ(lifeLeft(explosionBurst), 100.0f);

    playerCar.setSpeed(1.0f, 1.0f);  // whatever moved it, the wreck is held still
    for (int frame = 1; frame <= 3; ++frame) {
        harness::runFrame();
        EXPECT_EQ(playerCar.getX_speed(), 0.0f);
        EXPECT_EQ(playerCar.getY_speed(), 0.0f);
        EXPECT_EQ(lifeLeft(explosionBurst), 100.0f - 2.0f * frame);
        EXPECT_EQ(lifeLeft(contactBurst), 18.0f) << "the crash particles freeze on a wreck";
    }
    // With the idle step gone, up changes the speed but nothing moves the car any more.
    EXPECT_EXIT(pressUpAndRunTheMainLoop(), testing::ExitedWithCode(kCarStoodStill), "");
}

TEST_F(WorldTest, NewAfterTheWreckBringsBackEveryStartValueAndTheIdleStep)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    headlightsOff = 1;
    turnTo(3);
    placeCar(-60.0f, 30.0f);
    playerCar.setContactKind(2);
    playerCar.setCarDamageStatus(0.0f);
    for (int frame = 0; frame < 60; ++frame)  // the explosion burns out after 50 frames
        harness::runFrame();
    EXPECT_EQ(lifeLeft(explosionBurst), 0.0f);

    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 180);  // on New
    harness::expectCarAtStartValues();
    EXPECT_EQ(lifeLeft(explosionBurst), 130.0f);
    EXPECT_EQ(explosionBurst.wanderPoints[0], 10.0f);
    EXPECT_EQ(headlightsOff, 1) << "New leaves the lights as they were";

    EXPECT_EXIT(pressUpAndRunTheMainLoop(), testing::ExitedWithCode(kCarMoved), "");
}

}  // namespace
