// A long drive of random commands through the game's rules alone, no window: the car's every
// field stays a finite number and the car stays on the map, through wrecks, New and pauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "TestGame.h"

namespace {

constexpr long kFrames = 50000;      // about 14 minutes of play
constexpr float kFarthest = 200.0f;  // the map is 280 units across, its border 2 more

// What a player asks for in one frame, drawn from the test's own seeded generator: mostly
// driving, now and then a gear (fourth half the time, so that hits wreck the car now and then),
// the lights, a pause, or New.
void playerActs(std::mt19937& random, std::vector<Command>& input)
{
    std::uniform_int_distribution<int> pick(0, 99);
    const int roll = pick(random);
    if (roll < 40)
        input.push_back(act(Action::Accelerate));
    else if (roll < 50)
        input.push_back(act(Action::Brake));
    else if (roll < 60)
        input.push_back(act(Action::TurnLeft));
    else if (roll < 70)
        input.push_back(act(Action::TurnRight));
    else if (roll < 76)
        input.push_back(
            act(pick(random) < 50
                    ? Action::Gear4
                    : static_cast<Action>(static_cast<int>(Action::Gear1) + pick(random) % 5)));
    else if (roll < 78)
        input.push_back(act(Action::Lights));
    else if (roll < 79)
        input.push_back(act(Action::Pause));
    else if (roll < 82)
        input.push_back(act(Action::NewCar));  // an intact car ignores it
}

std::string problemWith(const Car& car)
{
    const float fields[] = {car.getX_speed(),   car.getY_speed(),      car.get_MaxSpeed(),
                            car.getGearMax(),   car.getX_centre(),     car.getY_centre(),
                            car.getX_pivot(),   car.getY_pivot(),      car.getHeading(),
                            car.getDamage(),    car.getDamageStatus(), car.getBoxTop(),
                            car.getBoxBottom(), car.getBoxLeft(),      car.getBoxRight()};
    for (const float field : fields) {
        if (!std::isfinite(field))
            return "a field of the car is not a finite number";
    }
    if (!(std::max(std::fabs(car.getX_centre()), std::fabs(car.getY_centre())) <= kFarthest))
        return "the car left the map";
    return "";
}

TEST(RulesSoakTest, LongRandomDriveKeepsTheCarFiniteAndOnTheMapThroughWrecksAndNew)
{
    GameState game;
    std::mt19937 random(2026);
    std::vector<Command> input;
    long wrecks = 0, newCars = 0, pausedFrames = 0;
    for (long frame = 0; frame < kFrames; ++frame) {
        input.clear();
        playerActs(random, input);
        if (motionStepDue(game, input))
            input.push_back(kMotionStep);
        const bool intact = game.playerCar.getDamageStatus() != 0.0f;
        const unsigned car = game.carNumber;
        pausedFrames += testgame::frame(game, input) ? 0 : 1;
        wrecks += intact && game.playerCar.getDamageStatus() == 0.0f ? 1 : 0;
        newCars += game.carNumber - car;
        const std::string problem = problemWith(game.playerCar);
        ASSERT_EQ(problem, "") << "frame " << frame;
    }
    // The drive went through what it is meant to go through, or it says little.
    EXPECT_GT(wrecks, 2);
    EXPECT_GT(newCars, 2);
    EXPECT_GT(pausedFrames, 100);
}

}  // namespace
