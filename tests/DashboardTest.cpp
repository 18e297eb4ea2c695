// The dashboard's gauges: the frame's damage into the car's condition and the bar, the rev
// needle and the speedometer, as the frames of a game leave them. No window.
#include <gtest/gtest.h>

#include "TestGame.h"
#include "dashboard/Toolbar.h"
#include "session/GameState.h"

namespace {

using testgame::frame;

class DamageBarTest : public testing::Test {
protected:
    GameState game;
    Car& car = game.playerCar;
    const PanelPoint* bar = game.gauges.damageBar;
};

TEST_F(DamageBarTest, DamageLowersTheConditionAndShortensTheBar)
{
    car.setDamage(0.25f);
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 13.75f);
    EXPECT_EQ(bar[0].x, -33.25f);
    EXPECT_EQ(bar[3].x, -33.25f);
    EXPECT_EQ(bar[1].x, -47.0f);
    EXPECT_EQ(bar[2].x, -47.0f);
    // The frame keeps what it applied, for the sounds, and clears the car's damage.
    EXPECT_EQ(game.frame.damage, 0.25f);
    EXPECT_EQ(car.getDamage(), 0.0f);

    // The damage of a frame is applied once: the next frame leaves both alone.
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 13.75f);
    EXPECT_EQ(bar[0].x, -33.25f);
    EXPECT_EQ(game.frame.damage, 0.0f);
}

TEST_F(DamageBarTest, DamageCostsAndRepairHealsInReverseGearAnywhereOnTheMap)
{
    car.setGearMax(-0.5f);
    car.setX_centre(3.0f);
    car.setDamage(0.25f);
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 13.75f);
    EXPECT_EQ(bar[0].x, -33.25f);

    car.setDamage(-0.75f);
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 14.5f);
    EXPECT_EQ(bar[0].x, -32.5f);
}

TEST_F(DamageBarTest, ConditionStopsAtZeroAndTheBarAtItsLeftEnd)
{
    car.setDamage(10.0f);
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 4.0f);
    EXPECT_EQ(bar[0].x, -43.0f);

    car.setDamage(6.5f);
    frame(game);
    EXPECT_EQ(car.getDamageStatus(), 0.0f);
    EXPECT_EQ(bar[0].x, -47.0f);
    EXPECT_EQ(bar[3].x, -47.0f);
}

TEST_F(DamageBarTest, RepairPatchAtFullConditionLiftsTheBarPastItsEndEveryFrame)
{
    testgame::placeCar(car, -120.0f, -125.0f);  // box x -115..-105, y -130..-120: the cyan patch
    for (int n = 0; n < 3; ++n) {
        frame(game);
        EXPECT_EQ(car.getDamageStatus(), 14.25f) << "frame " << n;
        EXPECT_EQ(bar[0].x, -32.75f) << "frame " << n;
    }
}

TEST(GaugesTest, RevNeedleTurnsRedAboveNineTenthsOfTheGearSpeed)
{
    GameState game;
    game.playerCar.setGearMax(1.0f);
    game.playerCar.setSpeed(0.95f, 0.95f);
    frame(game);
    EXPECT_EQ(game.gauges.angle1, 89.9f);
    EXPECT_EQ(game.gauges.red, 1.0f);

    game.playerCar.setSpeed(0.85f, 0.85f);
    frame(game);
    EXPECT_EQ(game.gauges.angle1, static_cast<float>(static_cast<double>(0.85f) * 100.0));
    EXPECT_EQ(game.gauges.red, 0.0f);
}

// One drive's speeds in turn (the car's top speed, 2, is full scale), and the needle after each.
TEST(GaugesTest, SpeedometerShowsTheSizeOfTheSpeedAndHoldsWhenTheSpeedsDisagree)
{
    struct Row {
        float xSpeed, ySpeed;
        float speedNeedle;
    };
    constexpr Row kDrive[] = {
        {1.0f, 1.0f, 45.0f}, {0.5f, -0.5f, 45.0f},   // the speeds disagree: the needle holds
        {0.5f, 0.0f, 45.0f}, {-1.0f, -1.0f, 45.0f},  // backwards shows the size of the speed
        {2.0f, 2.0f, 90.0f}, {2.5f, 2.5f, 89.9f},    // past the stop: capped
        {0.0f, 0.0f, 0.0f},
    };
    GameState game;
    for (const Row& row : kDrive) {
        game.playerCar.setSpeed(row.xSpeed, row.ySpeed);
        frame(game);
        EXPECT_EQ(game.gauges.angle2, row.speedNeedle)
            << "speeds " << row.xSpeed << ", " << row.ySpeed;
    }
    EXPECT_EQ(game.gauges.angle1, 0.0f);
}

}  // namespace
