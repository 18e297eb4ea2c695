// The game's real main loop on the virtual X server: a steady sixty frames a second, each frame
// finished before its slot and shown at the slot's start, and one motion step for each frame
// drawn, even while other programs' windows come and go over it. Leaving the main loop shuts the
// window down, so this test has a program of its own.
#include <dlfcn.h>
#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would clash with its names.
#include <GL/glx.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "GlHarness.h"
#include "platform/FramePacer.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

namespace {

using Clock = std::chrono::steady_clock;

// The moments around each swap of the run, noted as the real GL calls pass.
struct Swap {
    Clock::time_point finished;   // the last glFinish before it returned
    Clock::time_point slotStart;  // the game's pacer's slot at the moment of the swap
    Clock::time_point swapped;    // the swap was called
};
std::vector<Swap> swaps;
Clock::time_point lastFinished;

}  // namespace

// This program's own glFinish and glXSwapBuffers come first and hand over to the real ones; the
// game's calls and freeglut's swap go through them.
extern "C" void glFinish()
{
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glFinish"));
    real();
    lastFinished = Clock::now();
}

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static const auto real =
        reinterpret_cast<void (*)(Display*, GLXDrawable)>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    swaps.push_back({lastFinished, framePacer.slotStart(), Clock::now()});
    real(display, drawable);
}

namespace {

// Two seconds of driving through the real main loop with the game's own callbacks: no more than
// sixty frames a second, whatever the machine, each frame drawn to the end before the wait for
// its slot and swapped after it, and the car moves once per frame drawn.
TEST(FrameRateTest, GameLoopShowsEachFinishedFrameAtItsSlotSixtyASecondWithOneStepPerFrame)
{
    harness::resetGame();
    constexpr float kSpeed = 0.3f;  // straight up: 36 units in two seconds, short of the river
    harness::game().playerCar.setSpeed(kSpeed, kSpeed);

    const auto start = Clock::now();
    swaps.clear();
    // As many frames as two seconds hold: the time is the measurement.
    const int framesDrawn =
        harness::runMainLoopFrames(std::numeric_limits<int>::max(), {}, true, 2000);
    const bool everUnseen = harness::sight.lost;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    const double steps = harness::game().playerCar.getY_centre() / kSpeed;
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
    // Each frame finished after the previous swap, its slot waited for only then, and swapped
    // only once its slot had started; the first frame out of that order is reported.
    ASSERT_EQ(swaps.size(), static_cast<size_t>(framesDrawn));
    for (size_t i = 0; i < swaps.size(); ++i) {
        const Swap& swap = swaps[i];
        const Clock::time_point began = i == 0 ? start : swaps[i - 1].swapped;
        if (swap.finished > began && swap.finished <= swap.slotStart &&
            swap.slotStart <= swap.swapped)
            continue;
        const auto since = [began](Clock::time_point t) {
            return std::chrono::duration<double, std::milli>(t - began).count();
        };
        ADD_FAILURE() << "frame " << i << " of " << swaps.size()
                      << ", in ms after the frame began: last finished at " << since(swap.finished)
                      << ", its slot started at " << since(swap.slotStart) << ", swapped at "
                      << since(swap.swapped);
        break;
    }
}

}  // namespace
