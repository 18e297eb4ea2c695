// The time trial's course: when a car's pivot passes a gate, and a lap stepped through the
// gates of a game state of the test's own. No window.
#include <gtest/gtest.h>

#include "TestGame.h"
#include "world/Course.h"
#include "world/Regions.h"

namespace {

TEST(CourseTest, APivotPassesAGateOnlyAcrossItsLineBetweenThePosts)
{
    const Gate gate = {0.0f, 10.0f, 20.0f, 10.0f};  // across the way north, x 0..20 at y 10
    struct Path {
        const char* what;
        MapSpot from, to;
        bool passes;
    };
    const Path paths[] = {
        {"north through the middle", {10.0f, 9.0f}, {10.0f, 11.0f}, true},
        {"south through the middle", {10.0f, 11.0f}, {10.0f, 9.0f}, true},
        {"aslant, through the line", {-5.0f, 5.0f}, {5.0f, 15.0f}, true},
        {"ending on the line", {10.0f, 8.0f}, {10.0f, 10.0f}, true},
        {"starting on the line", {10.0f, 10.0f}, {10.0f, 12.0f}, false},
        {"through a post itself", {20.0f, 9.0f}, {20.0f, 11.0f}, true},
        {"a hair beside a post", {20.001f, 9.0f}, {20.001f, 11.0f}, false},
        {"beside the gate", {-1.0f, 9.0f}, {-1.0f, 11.0f}, false},
        {"short of the line", {10.0f, 8.0f}, {10.0f, 9.999f}, false},
        {"along the line", {2.0f, 10.0f}, {18.0f, 10.0f}, false},
        {"standing still before it", {10.0f, 9.0f}, {10.0f, 9.0f}, false},
        {"a long step over it", {10.0f, -30.0f}, {10.0f, 50.0f}, true},
    };
    for (const Path& path : paths)
        EXPECT_EQ(crossesGate(gate, path.from, path.to), path.passes) << path.what;
}

TEST(CourseTest, EveryGatesMiddleIsDryGroundNoBlockReaches)
{
    for (int i = 0; i < kGateCount; ++i) {
        const Gate& gate = kCourse[i];
        GameState game;
        // The car's box around the gate's middle: its pivot is 10 right of its view centre.
        testgame::placeCar(game.playerCar, (gate.x1 + gate.x2) / 2.0f - 10.0f,
                           (gate.y1 + gate.y2) / 2.0f);
        for (const ObstacleRow& block : obstacleRegions)
            EXPECT_FALSE(boxInsideRegion(game.playerCar, block.region)) << "gate " << i + 1;
        for (const DragRow& water : waterRegions)
            EXPECT_FALSE(boxInsideRegion(game.playerCar, water.region)) << "gate " << i + 1;
    }
}

// The car's pivot put on each gate in turn, from just before it: the clock starts at the first,
// each gate's time is kept, the first again finishes the lap; a gate out of turn is not passed;
// a wreck stops the clock.
TEST(CourseTest, ALapIsTheGatesInTurnAndAWreckEndsIt)
{
    GameState game;
    switchTimeTrial(game);
    const auto putPivot = [&game](float x, float y) {
        testgame::placeCar(game.playerCar, x - 10.0f, y);
        game.trial.pivot = {x, y};
    };
    const auto onGate = [&game](int i) {
        const Gate& gate = kCourse[i];
        testgame::placeCar(game.playerCar, (gate.x1 + gate.x2) / 2.0f - 10.0f,
                           (gate.y1 + gate.y2) / 2.0f);
    };
    const auto beforeGate = [&](int i) {
        const Gate& gate = kCourse[i];
        const float alongX = gate.x1 == gate.x2 ? 1.0f : 0.0f;  // across the gate's line
        putPivot((gate.x1 + gate.x2) / 2.0f - alongX, (gate.y1 + gate.y2) / 2.0f - (1 - alongX));
    };

    beforeGate(2);  // out of turn: the clock waits for the first gate
    onGate(2);
    testgame::frame(game);
    EXPECT_FALSE(game.trial.lapRunning);
    EXPECT_EQ(game.trial.nextGate, 0);

    for (int lap = 1; lap <= 2; ++lap) {
        for (int i = 0; i < kGateCount; ++i) {
            beforeGate(i);
            testgame::frame(game);  // a frame standing before the gate
            onGate(i);
            testgame::frame(game);
            EXPECT_EQ(game.trial.nextGate, (i + 1) % kGateCount) << "lap " << lap << " gate " << i;
        }
        EXPECT_TRUE(game.trial.lapRunning);
    }
    // The second lap's gates were passed two frames apart, from the clock's start at the first.
    EXPECT_EQ(game.trial.lapsDone, 1u);
    EXPECT_EQ(game.trial.lastLap.frames, 2u * kGateCount);
    for (int i = 1; i < kGateCount; ++i)
        EXPECT_EQ(game.trial.lastLap.atGate[i], 2u * i);
    EXPECT_EQ(game.trial.lastPassed, kGateCount - 1);

    const uint64_t running = gameStateDigest(game);
    game.playerCar.setCarDamageStatus(0.0f);  // a wreck
    testgame::frame(game);
    EXPECT_FALSE(game.trial.lapRunning);
    EXPECT_EQ(game.trial.nextGate, 0);
    EXPECT_EQ(game.trial.lapsDone, 1u);  // the finished lap stays finished
    EXPECT_NE(gameStateDigest(game), running);
}

}  // namespace
