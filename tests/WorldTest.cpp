// The world's rules: map edges, blocks, railings, river, road patches, repair and the wreck,
// checked by driving the car of a game state of the test's own through its frames. No window.
#include <gtest/gtest.h>

#include "TestGame.h"
#include "effects/Particles.h"
#include "vehicle/Car.h"
#include "world/Regions.h"
#include "world/World.h"

namespace {

class WorldTest : public testing::Test {
protected:
    GameState game;
    Car& car = game.playerCar;

    void placeCar(float x, float y) { testgame::placeCar(car, x, y); }

    void turnTo(int rightTurns)  // 11.25 degrees each
    {
        for (int i = 0; i < rightTurns; ++i)
            car.turnRight(game.headingRadians);
    }

    void frame() { testgame::frame(game); }

    // Runs frames until one has sampled where the car stands; the frame after it will not sample.
    void runSamplingFrame()
    {
        if (game.world.frameCounter != 2)
            frame();
        ASSERT_EQ(game.world.frameCounter, 2);
        frame();
    }

    void expectBoxAroundCentre()
    {
        EXPECT_FLOAT_EQ(car.getBoxLeft(), car.getX_centre() + 5.0f);
        EXPECT_FLOAT_EQ(car.getBoxRight(), car.getX_centre() + 15.0f);
        EXPECT_FLOAT_EQ(car.getBoxBottom(), car.getY_centre() - 5.0f);
        EXPECT_FLOAT_EQ(car.getBoxTop(), car.getY_centre() + 5.0f);
    }
};

TEST_F(WorldTest, BoxOnARectangleEdgeIsOutsideAndAnyOverlapIsInside)
{
    const WorldRegion& block1 = obstacleRegions[0].region;  // drawn block x 20..70, y 90..130
    placeCar(20.0f, 100.0f);
    EXPECT_TRUE(boxInsideRegion(car, block1));
    placeCar(5.0f, 100.0f);  // box right edge on the block's left side: touching is no hit
    EXPECT_FALSE(boxInsideRegion(car, block1));
    placeCar(5.001f, 85.001f);  // overlapping the block's corner by a hair on both axes
    EXPECT_TRUE(boxInsideRegion(car, block1));
    placeCar(65.0f, 100.0f);  // box right edge on the rectangle's right edge
    EXPECT_FALSE(boxInsideRegion(car, block1));
    placeCar(20.0f, 85.0f);  // bottom on bottom
    EXPECT_FALSE(boxInsideRegion(car, block1));
    placeCar(20.0f, 135.0f);  // top on top
    EXPECT_FALSE(boxInsideRegion(car, block1));

    // Block 3 and the repair patch reach the map's lower edge; a box resting on it is in neither.
    placeCar(80.0f, -135.0f);
    EXPECT_FALSE(boxInsideRegion(car, obstacleRegions[2].region));
    placeCar(-118.0f, -135.0f);
    EXPECT_FALSE(boxInsideRegion(car, repairRegion));
    placeCar(-118.0f, -134.9f);
    EXPECT_TRUE(boxInsideRegion(car, repairRegion));
}

TEST_F(WorldTest, HitFromBelowThrowsTheCarDownStopsItAndCostsThreeQuarters)
{
    car.setGearMax(1.0f);
    car.setSpeed(1.0f, 1.0f);
    placeCar(20.0f, 84.5f);  // heading up, just short of block 1
    runSamplingFrame();
    EXPECT_EQ(car.getY_speed(), 1.0f);
    car.advance(game.headingRadians);  // one motion step into the block
    ASSERT_EQ(car.getY_centre(), 85.5f);

    frame();
    EXPECT_FLOAT_EQ(car.getY_centre(), 85.5f - 3.4f);
    EXPECT_EQ(car.getX_centre(), 20.0f);
    expectBoxAroundCentre();
    EXPECT_EQ(car.getX_speed(), 0.0f);
    EXPECT_EQ(car.getY_speed(), 0.0f);
    EXPECT_EQ(car.getContactKind(), 1);
    EXPECT_EQ(car.getDamageStatus(), 13.25f);  // 1 x 0.5 + 0.25
    EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 18.0f) << "crash particles started";
}

TEST_F(WorldTest, InASamplingFrameABlockNeitherPushesStopsNorCharges)
{
    car.setSpeed(1.0f, 1.0f);
    placeCar(20.0f, 85.5f);
    game.world.frameCounter = 2;  // this frame samples the position, so the car has not moved since
    frame();
    EXPECT_EQ(car.getY_centre(), 85.5f);
    EXPECT_EQ(car.getY_speed(), 1.0f);
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
    EXPECT_EQ(car.getContactKind(), 1);
    EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 18.0f);
}

TEST_F(WorldTest, CarLeftStandingInsideABlockIsChargedOnlyForTheHit)
{
    car.setSpeed(0.1f, 0.1f);
    placeCar(20.0f, 84.5f);
    runSamplingFrame();
    for (int i = 0; i < 10; ++i)  // several motion steps between two frames: 1 unit in
        car.advance(game.headingRadians);
    frame();  // thrown back by only 0.34, so still inside block 1's rectangle
    ASSERT_TRUE(boxInsideRegion(car, obstacleRegions[0].region));
    EXPECT_EQ(car.getY_speed(), 0.0f);
    const float afterHit = car.getDamageStatus();
    EXPECT_FLOAT_EQ(afterHit, 14.0f - 0.3f);
    const float y = car.getY_centre();
    for (int i = 0; i < 12; ++i) {
        frame();
        EXPECT_EQ(car.getDamageStatus(), afterHit);
        EXPECT_EQ(car.getY_centre(), y);
    }
}

TEST_F(WorldTest, BlocksSixAndSevenHitInOneFrameLeaveOnlyTheFixedQuarter)
{
    // Up from below into the corner where the two blocks meet at x -90; their rectangles share
    // the bottom edge y -70.
    car.setSpeed(1.0f, 1.0f);
    placeCar(-100.0f, -66.0f);
    runSamplingFrame();
    for (int i = 0; i < 5; ++i)  // five motion steps before the next frame: 4 units into both
        car.advance(game.headingRadians);
    ASSERT_TRUE(boxInsideRegion(car, obstacleRegions[5].region));
    ASSERT_TRUE(boxInsideRegion(car, obstacleRegions[6].region));
    frame();
    // Block 6 threw the car back 3.4 and charged 1.25; block 7, still holding the box, found it
    // stopped and charged 0 + 0.25 in place of that.
    EXPECT_FLOAT_EQ(car.getY_centre(), -61.0f - 3.4f);
    EXPECT_TRUE(boxInsideRegion(car, obstacleRegions[6].region));
    EXPECT_EQ(car.getX_centre(), -100.0f);
    expectBoxAroundCentre();
    EXPECT_EQ(car.getDamageStatus(), 13.75f);
}

TEST_F(WorldTest, ReversingIntoABlockCostsTheSizeOfItsSpeedNeverARepair)
{
    turnTo(16);  // heading 180, so reversing moves the car up the map
    car.setGearMax(-0.5f);
    car.setSpeed(-0.5f, -0.5f);
    placeCar(20.0f, 84.8f);
    runSamplingFrame();
    car.advance(game.headingRadians);
    ASSERT_FLOAT_EQ(car.getY_centre(), 85.3f);
    frame();
    EXPECT_FLOAT_EQ(car.getY_centre(), 85.3f - 1.7f);  // back down, against the motion
    expectBoxAroundCentre();
    EXPECT_EQ(car.getY_speed(), 0.0f);
    EXPECT_EQ(car.getDamageStatus(), 13.5f);  // |-0.5| x 0.5 + 0.25
}

TEST_F(WorldTest, CornerBeyondTwoMapEdgesIsPushedBackOnceAndStaysStoppedFreeOfCharge)
{
    car.setSpeed(1.0f, 1.0f);
    placeCar(127.0f, 136.0f);  // box top 141, box right 142
    frame();
    EXPECT_FLOAT_EQ(car.getY_centre(), 136.0f - 3.4f);
    EXPECT_EQ(car.getX_centre(), 127.0f) << "the right edge found the car stopped";
    expectBoxAroundCentre();
    EXPECT_EQ(car.getX_speed(), 0.0f);
    EXPECT_EQ(car.getContactKind(), 1);
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
    for (int i = 0; i < 12; ++i) {  // still beyond the right edge: it stays there
        frame();
        EXPECT_EQ(car.getX_centre(), 127.0f);
    }
    EXPECT_EQ(car.getDamageStatus(), 14.0f);

    // Beyond the left and lower edges while reversing: pushed back in, the other way.
    game = GameState{};
    car.setSpeed(-0.5f, -0.5f);
    placeCar(-146.0f, 0.0f);
    frame();
    EXPECT_FLOAT_EQ(car.getX_centre(), -146.0f + 1.7f);
    placeCar(0.0f, -136.0f);
    car.setSpeed(-0.5f, -0.5f);
    frame();
    EXPECT_FLOAT_EQ(car.getY_centre(), -136.0f + 1.7f);
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
}

TEST_F(WorldTest, WaterSlowsTheCarEveryFrameAndSplashes)
{
    car.setSpeed(1.0f, 1.0f);
    placeCar(0.0f, 52.0f);  // box centre (10, 52), over the river
    frame();
    const float once = static_cast<float>(1.0 / static_cast<double>(1.1f));
    EXPECT_EQ(car.getX_speed(), once);
    EXPECT_EQ(car.getY_speed(), once);
    EXPECT_EQ(car.getContactKind(), 2);
    EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 18.0f) << "splash particles";
    frame();
    EXPECT_EQ(car.getY_speed(), static_cast<float>(once / static_cast<double>(1.1f)));
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
}

TEST_F(WorldTest, BridgeDecksAreDry)
{
    for (float boxCentreX : {-92.0f, 127.0f}) {
        game = GameState{};
        car.setSpeed(1.0f, 1.0f);
        placeCar(boxCentreX - 10.0f, 52.0f);
        for (const DragRow& water : waterRegions)
            EXPECT_FALSE(boxInsideRegion(car, water.region)) << "box centre x " << boxCentreX;
        frame();
        EXPECT_EQ(car.getY_speed(), 1.0f);
        EXPECT_EQ(car.getContactKind(), 0);
    }
}

TEST_F(WorldTest, RailingsHoldBackOnlyACarComingOutOfTheWater)
{
    // On the river bank beside the east bridge, inside railing 9 but not in the water: no hit.
    turnTo(8);
    car.setSpeed(1.0f, 1.0f);
    placeCar(105.0f, 42.0f);
    runSamplingFrame();
    car.advance(game.headingRadians);
    ASSERT_TRUE(boxInsideRegion(car, railingRegions[1]));
    frame();
    EXPECT_EQ(car.getX_centre(), 106.0f);
    EXPECT_EQ(car.getX_speed(), 1.0f);
    EXPECT_EQ(car.getContactKind(), 0);

    // The same place just after a swim: the splash still plays, so the railing stops the car.
    game = GameState{};
    turnTo(8);
    car.setSpeed(1.0f, 1.0f);
    car.setContactKind(2);
    placeCar(105.0f, 42.0f);
    runSamplingFrame();
    car.advance(game.headingRadians);
    frame();
    EXPECT_FLOAT_EQ(car.getX_centre(), 106.0f - 3.4f);
    EXPECT_EQ(car.getX_speed(), 0.0f);
    EXPECT_EQ(car.getContactKind(), 1) << "the hit turns the splash into a crash";
    EXPECT_EQ(car.getDamageStatus(), 13.75f);  // railings cost the fixed quarter
}

TEST_F(WorldTest, GreenPatchSpeedsTheCarUpAboutTwoAndAHalfTimesInTenFrames)
{
    car.setSpeed(0.5f, 0.5f);
    placeCar(25.0f, -17.0f);  // on the green patch x 30..40, y -25..-10 (divisor 0.91)
    for (int i = 0; i < 10; ++i)
        frame();
    EXPECT_NEAR(car.getY_speed() / 0.5, 2.57, 0.005);
    EXPECT_EQ(car.getX_speed(), car.getY_speed());
    EXPECT_EQ(car.getContactKind(), 0);

    car.setSpeed(0.5f, 0.5f);
    placeCar(-65.0f, -17.0f);  // the red patch x -60..-50 (divisor 1.09)
    frame();
    EXPECT_EQ(car.getY_speed(), static_cast<float>(0.5 / static_cast<double>(1.09f)));
}

TEST_F(WorldTest, RepairPatchRestoresConditionToFourteenWithGreenSparkles)
{
    car.setCarDamageStatus(10.0f);
    placeCar(-118.0f, -125.0f);  // box centre on the cyan patch
    for (int i = 1; i <= 6; ++i) {
        frame();
        EXPECT_EQ(car.getDamageStatus(), 10.0f + 0.75f * i);
        EXPECT_EQ(car.getContactKind(), 3);
        EXPECT_EQ(lifeLeft(game.bursts.repairBurst), 160.0f - 2.0f * i);
    }
    // Full again: held at 14 (the last quarter shows on the dashboard), and no more sparkles.
    for (int i = 0; i < 3; ++i) {
        frame();
        EXPECT_EQ(car.getDamageStatus(), 14.25f);
        EXPECT_EQ(car.getContactKind(), 0);
        EXPECT_EQ(lifeLeft(game.bursts.repairBurst), 148.0f);
    }
}

// The wreck: the world update reports it, and the car takes no motion step until New (the
// program's main loop around it: GameTest). Up still reaches the car.
TEST_F(WorldTest, HardHitWrecksTheCarWhichThenBurnsAndStandsStill)
{
    turnTo(16);  // heading 180: driving down into block 3 (factor 2)
    car.setGearMax(2.0f);
    car.setSpeed(2.0f, 2.0f);
    car.setCarDamageStatus(1.0f);
    placeCar(80.0f, -103.5f);
    runSamplingFrame();
    car.advance(game.headingRadians);
    frame();  // 2 x 2 + 0.25 is more than the car had left
    EXPECT_EQ(car.getDamageStatus(), 0.0f);
    EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 100.0f);

    car.setSpeed(1.0f, 1.0f);  // whatever moved it, the wreck is held still
    for (int i = 1; i <= 3; ++i) {
        frame();
        EXPECT_TRUE(game.wrecked) << "the world update reports the wreck";
        EXPECT_FALSE(motionStepDue(game, {act(Action::Accelerate)}));
        EXPECT_EQ(car.getX_speed(), 0.0f);
        EXPECT_EQ(car.getY_speed(), 0.0f);
        EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 100.0f - 2.0f * i);
        EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 18.0f)
            << "the crash particles freeze on a wreck";
    }
    // Up changes the speed, and the frame stops it again: with no motion step, nothing moves the
    // wreck.
    const float x = car.getX_centre(), y = car.getY_centre();
    for (int i = 0; i < 5; ++i) {
        testgame::frame(game, {act(Action::Accelerate)});
        EXPECT_TRUE(game.wrecked);
        EXPECT_EQ(car.getY_speed(), 0.0f);
        EXPECT_EQ(car.getX_centre(), x);
        EXPECT_EQ(car.getY_centre(), y);
    }
}

TEST_F(WorldTest, NewAfterTheWreckBringsBackEveryStartValueAndTheMotionStep)
{
    game.headlightsOff = 1;
    turnTo(3);
    placeCar(-60.0f, 30.0f);
    car.setContactKind(2);
    car.setCarDamageStatus(0.0f);
    for (int i = 0; i < 60; ++i)  // the explosion burns out after 50 frames
        frame();
    EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 0.0f);
    ASSERT_TRUE(game.wrecked);
    EXPECT_FALSE(motionStepDue(game, {}));
    EXPECT_TRUE(motionStepDue(game, {act(Action::NewCar)})) << "the new car moves at once";

    applyCommands(game, {act(Action::NewCar)});  // as the next frame's step begins
    testgame::expectCarAtStartValues(game);
    EXPECT_EQ(lifeLeft(game.bursts.explosionBurst), 130.0f);
    EXPECT_EQ(game.bursts.explosionBurst.wanderPoints[0], 10.0f);
    EXPECT_EQ(game.headlightsOff, 1) << "New leaves the lights as they were";
    EXPECT_FALSE(game.wrecked);
    EXPECT_TRUE(motionStepDue(game, {})) << "the motion step is on again";

    testgame::frame(game, {act(Action::Accelerate), kMotionStep});
    EXPECT_EQ(car.getY_centre(), 0.05f) << "up, then a motion step, moves the new car";
    EXPECT_FALSE(game.wrecked);
}

}  // namespace
