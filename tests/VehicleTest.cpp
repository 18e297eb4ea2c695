// The car: its record, its start values, the arrow-key controls, the motion step, the heading and
// the exhaust it leaves, as a game state of the test's own steps them. No window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "TestGame.h"
#include "effects/Particles.h"
#include "effects/Random.h"
#include "vehicle/Car.h"

namespace {

class VehicleTest : public testing::Test {
protected:
    GameState game;
    Car& car = game.playerCar;

    void accelerate(int times)
    {
        for (int i = 0; i < times; ++i)
            car.accelerate();
    }
    void turnRight(int times)
    {
        for (int i = 0; i < times; ++i)
            car.turnRight(game.headingRadians);
    }
    void turnLeft(int times)
    {
        for (int i = 0; i < times; ++i)
            car.turnLeft(game.headingRadians);
    }
};

TEST_F(VehicleTest, RecordIsEighteenPackedFieldsOfThirtyTwoBits)
{
    EXPECT_EQ(sizeof(Car), 18u * 4u);
}

TEST_F(VehicleTest, ResetBringsBackEveryStartValueEvenAfterTurningAndDriving)
{
    car.setGearMax(2.0f);
    accelerate(7);
    turnRight(3);
    car.advance(game.headingRadians);
    car.setDamage(3.0f);
    car.setCarDamageStatus(0.0f);
    car.setContactKind(2);
    ASSERT_NE(game.headingRadians, 0.0f);

    resetToStart(car, game.headingRadians);
    testgame::expectCarAtStartValues(game);
    // Brake factor and turn step have no getters: check them through what they do.
    car.setSpeed(1.0f, 1.0f);
    car.brake();
    EXPECT_EQ(car.getY_speed(), static_cast<float>(1.0f - 0.05 * static_cast<double>(1.8f)));
    car.turnRight(game.headingRadians);
    EXPECT_EQ(car.getHeading(), 11.25f);
}

TEST_F(VehicleTest, FixedDamageAddsAQuarterPoint)
{
    car.setDamage(-1.0f);
    car.addFixedDamage();
    EXPECT_EQ(car.getDamage(), -0.75f);
    car.setDamage(0.0f);
    car.addFixedDamage();
    EXPECT_EQ(car.getDamage(), 0.25f);
}

TEST_F(VehicleTest, UpInFirstGearSettlesJustBelowTheGearsTarget)
{
    accelerate(9);
    EXPECT_EQ(car.getY_speed(), 0.45000005f);
    EXPECT_EQ(car.getX_speed(), 0.45000005f);
    accelerate(25);
    EXPECT_EQ(car.getY_speed(), 0.45000005f);
    EXPECT_EQ(car.getX_speed(), 0.45000005f);
}

TEST_F(VehicleTest, DownBrakesInStepsAndStopsExactlyAtZero)
{
    accelerate(9);
    const float expected[] = {0.36000004f, 0.27000004f, 0.18000004f, 0.09000004f};
    for (float speed : expected) {
        car.brake();
        EXPECT_EQ(car.getY_speed(), speed);
        EXPECT_EQ(car.getX_speed(), speed);
    }
    car.brake();
    EXPECT_GT(car.getX_speed(), 0.0f);  // a tiny remainder is left...
    EXPECT_LT(car.getX_speed(), 1e-7f);
    car.brake();
    EXPECT_EQ(car.getX_speed(), 0.0f);  // ...and the sixth press stops the car dead
    EXPECT_EQ(car.getY_speed(), 0.0f);
    car.brake();
    EXPECT_EQ(car.getY_speed(), 0.0f);  // braking never reverses
}

TEST_F(VehicleTest, ReverseDrivesBackwardsAndBrakesBackToZero)
{
    car.setGearMax(-0.5f);
    car.accelerate();
    EXPECT_EQ(car.getY_speed(), -0.05f);
    accelerate(9);
    EXPECT_EQ(car.getY_speed(), -0.50000006f);
    accelerate(5);
    EXPECT_EQ(car.getY_speed(), -0.50000006f);
    EXPECT_EQ(car.getX_speed(), -0.50000006f);

    for (int i = 0; i < 5; ++i)
        car.brake();
    EXPECT_LT(car.getY_speed(), 0.0f);
    car.brake();
    EXPECT_EQ(car.getY_speed(), 0.0f);
    EXPECT_EQ(car.getX_speed(), 0.0f);
}

TEST_F(VehicleTest, BrakeDoesNothingAgainstTheGearsDirection)
{
    car.setSpeed(-0.3f, -0.3f);  // rolling backwards in first gear
    car.brake();
    EXPECT_EQ(car.getY_speed(), -0.3f);
    car.setGearMax(-0.5f);
    car.setSpeed(0.3f, 0.3f);  // rolling forwards in reverse
    car.brake();
    EXPECT_EQ(car.getY_speed(), 0.3f);
}

TEST_F(VehicleTest, LowerGearTakesTheSpeedDownOneStepPerPress)
{
    car.setGearMax(2.0f);
    accelerate(45);
    EXPECT_LE(car.getY_speed(), 2.0f);
    EXPECT_GT(car.getY_speed(), 1.9f);
    const float fast = car.getY_speed();
    car.setGearMax(0.5f);
    car.accelerate();
    EXPECT_EQ(car.getY_speed(), static_cast<float>(fast - 0.05));
}

TEST_F(VehicleTest, HeadingWrapsPastBothLimitsButKeepsThemExactly)
{
    turnRight(11);
    EXPECT_EQ(car.getHeading(), 123.75f);
    turnRight(21);
    EXPECT_EQ(car.getHeading(), 360.0f);
    turnRight(1);
    EXPECT_EQ(car.getHeading(), 11.25f);

    resetToStart(car, game.headingRadians);
    turnLeft(32);
    EXPECT_EQ(car.getHeading(), -360.0f);
    turnLeft(1);
    EXPECT_EQ(car.getHeading(), -11.25f);
    EXPECT_EQ(game.headingRadians, static_cast<float>(-11.25 * (3.1415927 / 180.0)));
}

// Every heading that turning can reach, from the start and from each heading reached, has its
// radians formed from the single-precision pi with double-precision intermediates.
TEST_F(VehicleTest, EveryReachableHeadingHasItsRadiansInDoublePrecision)
{
    std::vector<float> reached = {0.0f};
    for (size_t next = 0; next < reached.size(); ++next) {
        for (void (Car::*turn)(float&) : {&Car::turnLeft, &Car::turnRight}) {
            Car turned = car;
            float radians = 0.0f;
            resetToStart(turned, radians);
            for (int i = 0; i < 64 && turned.getHeading() != reached[next]; ++i)
                turned.turnRight(radians);  // from 0, right turns reach every heading of 0..360
            for (int i = 0; i < 64 && turned.getHeading() != reached[next]; ++i)
                turned.turnLeft(radians);  // and left turns those of -360..0
            ASSERT_EQ(turned.getHeading(), reached[next]);
            (turned.*turn)(radians);
            const double exact = turned.getHeading() * (static_cast<double>(3.1415927f) / 180.0);
            EXPECT_EQ(radians, static_cast<float>(exact)) << "heading " << turned.getHeading();
            if (std::find(reached.begin(), reached.end(), turned.getHeading()) == reached.end())
                reached.push_back(turned.getHeading());
        }
    }
    EXPECT_EQ(reached.size(), 65u) << "0 and the multiples of 11.25 up to 360 either way";

    turnRight(5);
    EXPECT_EQ(car.getHeading(), 56.25f);
    EXPECT_EQ(game.headingRadians, 0.981747746f);
}

TEST_F(VehicleTest, MotionStepMovesCentreAndBoxAlongTheHeading)
{
    car.setSpeed(1.0f, 1.0f);
    car.advance(game.headingRadians);  // heading 0: straight up the map
    EXPECT_EQ(car.getY_centre(), 1.0f);
    EXPECT_EQ(car.getX_centre(), 0.0f);
    EXPECT_EQ(car.getBoxTop(), 6.0f);
    EXPECT_EQ(car.getBoxBottom(), -4.0f);

    resetToStart(car, game.headingRadians);
    turnRight(8);  // heading 90: to the right
    car.setSpeed(1.0f, 1.0f);
    car.advance(game.headingRadians);
    EXPECT_EQ(car.getX_centre(), 1.0f);
    EXPECT_EQ(car.getBoxLeft(), 6.0f);
    EXPECT_EQ(car.getBoxRight(), 16.0f);
    // The cosine of the single-precision quarter turn is not quite 0: the car drifts down a hair.
    EXPECT_LT(car.getY_centre(), 0.0f);
    EXPECT_GT(car.getY_centre(), -1e-7f);
    EXPECT_EQ(car.getBoxTop(), 5.0f);  // too small a drift to move an edge at 5
}

// The exhaust a frame shows: its puffs and their point size, picked from the game's random
// numbers. Its drawing is checked in the window (VehiclePictureTest).

TEST_F(VehicleTest, ExhaustTakesAlphaBlueGreenRedThenYThenXFromTheGamesRandomNumbers)
{
    for (int i = 0; i < 7; ++i)
        random15(game.random);  // anywhere in the sequence
    Random byHand = game.random;
    ExhaustPicture exhaust;
    pickExhaust(1.0f, 1.0, game.random, exhaust);
    ASSERT_EQ(exhaust.puffs.size(), 10u);
    for (size_t i = 0; i < exhaust.puffs.size(); ++i) {
        SCOPED_TRACE("puff " + std::to_string(i));
        float n[6];
        for (float& number : n)
            number = random01(byHand);
        const ExhaustPuff& puff = exhaust.puffs[i];
        EXPECT_EQ(puff.alpha, static_cast<float>(n[0] * 0.5 + 0.1));
        EXPECT_EQ(puff.blue, static_cast<float>(n[1] * 0.2 + 0.8));
        EXPECT_EQ(puff.green, static_cast<float>(n[2] * 0.2 + 0.8));
        EXPECT_EQ(puff.red, static_cast<float>(n[3] * 0.2 + 0.8));
        EXPECT_EQ(puff.y, static_cast<float>(n[4] * -5.0));
        EXPECT_EQ(puff.x, static_cast<float>(n[5] * 1.0 + 9.5));
    }
    EXPECT_EQ(game.random.state, byHand.state) << "six numbers a puff, and no more";
    EXPECT_EQ(exhaust.pointSize, 7.0);
}

TEST_F(VehicleTest, FromTenThirdsOnTheExhaustKeepsThePointSizeInForce)
{
    // Just below 10/3 the size is tiny but still positive when worked out in double precision.
    const float justBelow = 10.0f / 3.0f;
    ExhaustPicture exhaust;
    pickExhaust(justBelow, 6.5, game.random, exhaust);
    EXPECT_EQ(static_cast<float>(exhaust.pointSize), static_cast<float>(10.0 - 3.0 * justBelow));
    EXPECT_GT(exhaust.pointSize, 0.0);
    for (float speed : {std::nextafter(justBelow, 4.0f), 4.0f}) {
        pickExhaust(speed, 6.5, game.random, exhaust);
        EXPECT_EQ(exhaust.puffs.size(), static_cast<size_t>(std::ceil(10.0 * speed)));
        EXPECT_EQ(exhaust.pointSize, 6.5) << "speed " << speed;
    }

    // In the game the size in force is what the last frame's drawing left set: its own exhaust's,
    // or the last layer of the burst it showed.
    car.setSpeed(1.0f, 1.0f);
    testgame::frame(game);
    EXPECT_EQ(game.frame.exhaust.pointSize, 7.0);
    EXPECT_EQ(game.frame.pointSize, 7.0);
    car.setSpeed(4.0f, 4.0f);
    testgame::placeCar(car, 0.0f, 52.0f);  // over the river: a splash is shown after the exhaust
    testgame::frame(game);
    EXPECT_EQ(game.frame.exhaust.pointSize, 7.0) << "the last frame's exhaust";
    ASSERT_TRUE(game.bursts.shown.shown);
    const double splashSize = lastPointSize(game.bursts.shown);
    ASSERT_NE(splashSize, 7.0);
    EXPECT_EQ(game.frame.pointSize, splashSize);
    ASSERT_GT(car.getY_speed(), justBelow) << "slowed by the water, but not below 10/3";
    testgame::frame(game);
    EXPECT_EQ(game.frame.exhaust.pointSize, splashSize) << "the splash's last layer";
}

}  // namespace
