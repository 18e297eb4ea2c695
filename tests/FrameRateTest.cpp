// The game's real main loop on the virtual X server: a steady sixty frames a second, and one
// motion step for each frame drawn, even while other programs' windows come and go over it.
// Leaving the main loop shuts the window down, so this test has a program of its own.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "GlHarness.h"
#include "shell/Game.h"
#include "shell/Input.h"
#include "shell/LeakCheck.h"
#include "vehicle/Car.h"

namespace {

using Clock = std::chrono::steady_clock;

int framesDrawn = 0;

void countedFrame()
{
    pacedDisplay();
    ++framesDrawn;
}

// Two seconds of driving through the real main loop with the game's own callbacks: no more than
// sixty frames a second, whatever the machine, and the car moves once per frame drawn.
TEST(FrameRateTest, GameLoopRunsAtSixtyFramesASecondWithOneStepPerFrame)
{
    harness::resetGame();
    constexpr float kSpeed = 0.3f;  // straight up: 36 units in two seconds, short of the river
    playerCar.setSpeed(kSpeed, kSpeed);

    glutDisplayFunc(countedFrame);
    harness::watchSight();
    glutIdleFunc(idle);
    const auto start = Clock::now();
    harness::runMainLoopFor(2000);
    const bool everUnseen = harness::sight.lost;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    const double steps = playerCar.getY_centre() / kSpeed;
    RecordProperty("frames_per_second", std::to_string(framesDrawn / seconds));
    std::printf("measured %.1f frames a second over %.2f s (%d frames, %.1f steps)%s\n",
                framesDrawn / seconds, seconds, framesDrawn, steps,
                everUnseen ? "; the window was out of sight for a while" : "");
    EXPECT_LE(framesDrawn, seconds * 60.0 + 2.0);
    // The first step may come before the first frame is up; every other one follows a frame.
    EXPECT_NEAR(steps, framesDrawn, 1.0 + 1e-3);
    if (!everUnseen) {
        EXPECT_GT(framesDrawn, 0) << "the window was in sight and yet no frame was drawn";
    }
}

}  // namespace
