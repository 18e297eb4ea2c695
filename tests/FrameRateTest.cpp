// The game's real main loop on the virtual X server: a steady sixty frames a second.
// Leaving the main loop shuts the window down, so this test has a program of its own.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "GlHarness.h"
#include "shell/Game.h"
#include "shell/LeakCheck.h"
#include "vehicle/Car.h"

namespace {

using Clock = std::chrono::steady_clock;

// The real main loop with the game's own callbacks: two seconds of driving move the map by
// no more than 120 steps' worth, whatever the machine.
void leaveMainLoop(int)
{
    checkLeaksWhileTheDriverIsLoaded();  // leaving the loop unloads the GL driver
    glutLeaveMainLoop();
}

TEST(FrameRateTest, GameLoopRunsAtSixtyFramesASecond)
{
    harness::resetGame();
    constexpr float kSpeed = 0.3f;  // straight up: 36 units in two seconds, short of the river
    playerCar.setSpeed(kSpeed, kSpeed);

    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutDisplayFunc(pacedDisplay);
    glutIdleFunc(idle);
    glutPostRedisplay();
    const auto start = Clock::now();
    glutTimerFunc(2000, leaveMainLoop, 0);
    glutMainLoop();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    const double steps = playerCar.getY_centre() / kSpeed;
    RecordProperty("frames_per_second", std::to_string(steps / seconds));
    std::printf("measured %.1f frames a second over %.2f s\n", steps / seconds, seconds);
    EXPECT_GT(steps, 0.0);
    EXPECT_LE(steps, seconds * 60.0 + 2.0);
}

}  // namespace
