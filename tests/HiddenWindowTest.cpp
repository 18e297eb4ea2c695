// The game's real main loop while its window cannot be seen: unmapped (minimised, on another
// desktop) or covered by another window. The car must wait where it stands, the game must sleep
// instead of spinning, and play must go on when the window shows again.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would clash with its names.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "GlHarness.h"
#include "vehicle/Car.h"

namespace {

constexpr float kSpeed = 0.25f;        // straight up the map, well short of the river
constexpr int kFramesBefore = 24;      // driving on screen before the window goes
constexpr int kFramesAfterwards = 24;  // then on screen again, with any drawn as it went
constexpr unsigned kUnseenMs = 1000;   // unseen, with no frames: the CPU used meanwhile is measured
constexpr double kMostCpuUnseen = 0.1;  // seconds of CPU (all threads) in the unseen second

// What one run of the main loop saw as the window went and came back.
struct Run {
    Display* x = nullptr;  // a connection of our own, as another program's would be
    Window game = 0;
    Window cover = 0;
    bool byCovering = false;
    bool back = false;  // the window was given back before the run ended
    float yGone = 0, yBack = 0;
    double cpuGone = 0, cpuBack = 0;
};
Run run;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// A plain window over the whole screen, above everything, that the window manager leaves alone.
Window coverTheScreen(Display* x)
{
    const int screen = DefaultScreen(x);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(x, screen);
    const Window cover = XCreateWindow(
        x, RootWindow(x, screen), 0, 0, DisplayWidth(x, screen), DisplayHeight(x, screen), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(x, cover);
    return cover;
}

void showGame(int)
{
    run.yBack = harness::game().playerCar.getY_centre();
    run.cpuBack = processCpuSeconds();
    run.back = true;
    if (run.byCovering)
        XDestroyWindow(run.x, run.cover);
    else
        XMapWindow(run.x, run.game);
    XFlush(run.x);
}

void hideGame()
{
    run.yGone = harness::game().playerCar.getY_centre();
    run.cpuGone = processCpuSeconds();
    if (run.byCovering)
        run.cover = coverTheScreen(run.x);
    else
        XUnmapWindow(run.x, run.game);
    XFlush(run.x);
    glutTimerFunc(kUnseenMs, showGame, 0);
}

// The main loop: the window gone after frame kFramesBefore, back kUnseenMs later, and more frames.
void loseTheWindowForASecond()
{
    run.x = XOpenDisplay(nullptr);
    run.game = glXGetCurrentDrawable();
    harness::runMainLoopFrames(kFramesBefore + kFramesAfterwards,
                               {{{kFramesBefore, hideGame}}, {}});
}

// For a death-test child: drive, lose the window for a second, get it back, drive on. The child
// prints what it saw and ends with status 0 only if the car stood still while unseen, the game
// slept meanwhile, and the car drove on afterwards.
void driveWhileTheWindowGoesAndComesBack(bool byCovering)
{
    run.byCovering = byCovering;
    harness::resetGame();
    harness::game().playerCar.setSpeed(kSpeed, kSpeed);
    loseTheWindowForASecond();

    const double stepsUnseen = (run.yBack - run.yGone) / kSpeed;
    const double stepsAfterwards = (harness::game().playerCar.getY_centre() - run.yBack) / kSpeed;
    const double cpuUnseen = run.cpuBack - run.cpuGone;
    std::fprintf(stderr, "unseen: %.1f steps, %.3f s of CPU; afterwards: %.1f steps\n", stepsUnseen,
                 cpuUnseen, stepsAfterwards);
    const bool stoodStill = stepsUnseen <= 2.0;
    const bool slept = cpuUnseen <= kMostCpuUnseen;
    const bool droveOn = stepsAfterwards >= 1.0;
    std::exit(run.back && stoodStill && slept && droveOn ? 0 : 1);
}

// For a death-test child: the wreck, which takes no motion step, must sleep as well while unseen.
void wreckWhileTheWindowIsGone()
{
    harness::resetGame();
    harness::game().playerCar.setCarDamageStatus(0.0f);
    loseTheWindowForASecond();
    const double cpuUnseen = run.cpuBack - run.cpuGone;
    std::fprintf(stderr, "wreck unseen: %.3f s of CPU\n", cpuUnseen);
    std::exit(run.back && cpuUnseen <= kMostCpuUnseen ? 0 : 1);
}

class HiddenWindowTest : public testing::Test {
protected:
    void SetUp() override { testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(HiddenWindowTest, UnmappedWindowHoldsTheCarStillAndSleepsUntilItIsMappedAgain)
{
    EXPECT_EXIT(driveWhileTheWindowGoesAndComesBack(false), testing::ExitedWithCode(0), "unseen: ");
}

TEST_F(HiddenWindowTest, CoveredWindowHoldsTheCarStillAndSleepsUntilItIsUncovered)
{
    EXPECT_EXIT(driveWhileTheWindowGoesAndComesBack(true), testing::ExitedWithCode(0), "unseen: ");
}

TEST_F(HiddenWindowTest, UnmappedWreckSleepsToo)
{
    EXPECT_EXIT(wreckWhileTheWindowIsGone(), testing::ExitedWithCode(0), "wreck unseen: ");
}

}  // namespace
