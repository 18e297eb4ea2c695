// Tests that play a game state: the car placed by hand, its start values, a frame stepped. No
// window: the rules run through step alone.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "session/GameState.h"
#include "session/Step.h"

namespace testgame {

// Puts the car's view centre at (x, y) and its 10 x 10 box with it: x + 5..15, y - 5..5.
inline void placeCar(Car& car, float x, float y)
{
    car.setX_centre(x);
    car.setY_centre(y);
    car.setBoxLeft(x + 5.0f);
    car.setBoxRight(x + 15.0f);
    car.setBoxBottom(y - 5.0f);
    car.setBoxTop(y + 5.0f);
}

// Expects every field of the car, and the heading in radians, at the start values.
inline void expectCarAtStartValues(const GameState& game)
{
    const Car& car = game.playerCar;
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
    EXPECT_EQ(game.headingRadians, 0.0f);
}

// One frame of the game with these commands before it; whether it was played (not paused).
inline bool frame(GameState& game, const std::vector<Command>& input = {})
{
    return step(game, input);
}

}  // namespace testgame
