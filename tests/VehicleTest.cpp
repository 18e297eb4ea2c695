// The car: its start values, the arrow-key controls and the motion step.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "GlHarness.h"
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

void expectStartValues(const Car& car)
{
    EXPECT_EQ(car.getX_speed(), 0.0f);
    EXPECT_EQ(car.getY_speed(), 0.0f);
    EXPECT_EQ(car.get_MaxSpeed(), 2.0f);
    EXPECT_EQ(car.getGearMax(), 0.5f);
    EXPECT_EQ(car.getX_centre(), 0.0f);
    EXPECT_EQ(car.getY_centre(), 0.0f);
    EXPECT_EQ(car.getX_pivot(), 10.0f);
    EXPECT_EQ(car.getY_pivot(), 0.0f);
    EXPECT_EQ(car.getHeading(), 0.0f);
    EXPECT_EQ(car.getDamage(), 0.0f);
    EXPECT_EQ(car.getDamageStatus(), 14.0f);
    EXPECT_EQ(car.getBoxTop(), 5.0f);
    EXPECT_EQ(car.getBoxBottom(), -5.0f);
    EXPECT_EQ(car.getBoxLeft(), 5.0f);
    EXPECT_EQ(car.getBoxRight(), 15.0f);
    EXPECT_EQ(car.getContactKind(), 0);
    EXPECT_EQ(headingRadians, 0.0f);
}

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
    expectStartValues(playerCar);
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
    EXPECT_EQ(headingRadians, static_cast<float>(-11.25f * (3.1415927f / 180.0f)));
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

TEST_F(VehicleTest, IdleStepMovesTheCarOncePerCall)
{
    playerCar.setSpeed(0.5f, 0.5f);
    idle();
    idle();
    EXPECT_EQ(playerCar.getY_centre(), 1.0f);
}

}  // namespace
