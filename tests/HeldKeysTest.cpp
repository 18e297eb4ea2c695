// Keys held down through real X input (the XTEST extension, as xdotool uses it), in the game's
// real main loop: every arrow repeats its own steps at the game's pace, whatever the X server's
// repeat rate, and letters act once per press.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "GlHarness.h"
#include "vehicle/Car.h"

// After GoogleTest: Xlib's macros (None, Bool, ...) would clash with its names.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// The car as one frame left it.
struct FrameRecord {
    float speed;
    float heading;
    int headlightsOff;
};

Display* x = nullptr;  // a connection of our own, as xdotool's would be
std::vector<FrameRecord> frames;

void key(KeySym symbol, bool down)
{
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, symbol), down ? True : False, CurrentTime);
    XFlush(x);
}

// Sets the X server's key repeat (delay before the first repeat, repeats a second).
void setServerRepeat(int delayMs, int perSecond)
{
    const std::string command =
        "xset r rate " + std::to_string(delayMs) + " " + std::to_string(perSecond);
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not set the repeat: %s\n", command.c_str());
}

void recordFrame()
{
    const Car& car = harness::game().playerCar;
    frames.push_back({car.getY_speed(), car.getHeading(), harness::game().headlightsOff});
}

// The game's main loop with the game's own callbacks, the window focused, until the frame
// `endFrame` has been shown, each frame recorded and the cues done after theirs.
void runMainLoop(int endFrame, harness::Cues cues)
{
    x = XOpenDisplay(nullptr);
    XSetInputFocus(x, glXGetCurrentDrawable(), RevertToParent, CurrentTime);
    XSync(x, False);
    harness::runMainLoopFrames(endFrame, {std::move(cues), recordFrame});
}

// The speed that n presses of up give a standing car in first gear.
float speedAfterPresses(int n)
{
    Car car = carAtStart();
    for (int i = 0; i < n; ++i)
        car.accelerate();
    return car.getY_speed();
}

// The first frame that shows the car moving.
size_t firstMovingFrame()
{
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].speed != 0.0f)
            return i;
    }
    return frames.size();
}

// A death-test child's verdict: each problem on stderr, then status 0 only if there was none.
std::vector<std::string> problems;

void expect(bool holds, const std::string& problem)
{
    if (!holds)
        problems.push_back(problem);
}

[[noreturn]] void endChild()
{
    setServerRepeat(660, 25);  // the X server's own defaults, for whatever runs next
    for (const std::string& problem : problems)
        std::fprintf(stderr, "%s\n", problem.c_str());
    std::fprintf(stderr, "%zu frames, %zu problems\n", frames.size(), problems.size());
    std::exit(problems.empty() ? 0 : 1);
}

std::string speeds(size_t from, size_t to)
{
    std::string text;
    for (size_t i = from; i < to && i < frames.size(); ++i)
        text += std::to_string(frames[i].speed) + " ";
    return text;
}

// Up held from frame 12 to frame 84: one step at the press, nothing more for a quarter of a
// second, then a step every second frame up to first gear's top speed, and none after the release.
[[noreturn]] void holdUpForASecondAndMore(int serverDelayMs, int serverRepeatsPerSecond)
{
    harness::resetGame();
    setServerRepeat(serverDelayMs, serverRepeatsPerSecond);
    runMainLoop(102, {{12, [] { key(XK_Up, true); }}, {84, [] { key(XK_Up, false); }}});

    const size_t first = firstMovingFrame();
    if (first + 60 >= frames.size()) {
        expect(false, "too few frames after the press: " + std::to_string(frames.size()));
        endChild();
    }
    for (size_t i = first; i < first + 14; ++i)
        expect(frames[i].speed == speedAfterPresses(1),
               "one step only in the first quarter second: " + speeds(first, first + 15));
    expect(frames[first + 20].speed > speedAfterPresses(2),
           "repeats after a quarter second: " + speeds(first, first + 21));
    expect(frames[first + 60].speed == speedAfterPresses(9),
           "first gear's top speed a second in: " + speeds(first + 50, first + 61));
    expect(harness::game().playerCar.getY_speed() == speedAfterPresses(9), "top speed at the end");
    endChild();
}

// Up held in fourth gear from frame 12, Left tapped at frame 30: one turn, and the speed keeps
// rising a step every second frame past the tap.
[[noreturn]] void holdUpAndTapLeft()
{
    harness::resetGame();
    harness::game().playerCar.setGearMax(
        2.0f);  // a second of up is far from fourth gear's top speed
    runMainLoop(90, {{12, [] { key(XK_Up, true); }},
                     {30, [] { key(XK_Left, true); }},
                     {33, [] { key(XK_Left, false); }},
                     {84, [] { key(XK_Up, false); }}});

    expect(
        harness::game().playerCar.getHeading() == -11.25f,
        "one tap is one turn: heading " + std::to_string(harness::game().playerCar.getHeading()));
    const size_t first = firstMovingFrame();
    if (first + 50 >= frames.size()) {
        expect(false, "too few frames after the press: " + std::to_string(frames.size()));
        endChild();
    }
    // The tap comes about 18 frames in; ten more steps from frame 30 to frame 50.
    const double rise = static_cast<double>(frames[first + 50].speed) - frames[first + 30].speed;
    expect(rise > 0.499 && rise < 0.501, "ten steps from frame 30 to 50: " + std::to_string(rise));
    endChild();
}

// Nine quick taps of up, 8 ms apart, as a fast player or xdotool gives them, from another program
// while the game draws: all nine count, although a release may reach the game only after the
// next press has happened.
[[noreturn]] void tapUpNineTimesQuickly()
{
    harness::resetGame();
    std::thread tapper;
    runMainLoop(42, {{12, [&tapper] {
                          tapper = std::thread([] {
                              Display* own = XOpenDisplay(nullptr);
                              const KeyCode up = XKeysymToKeycode(own, XK_Up);
                              for (int i = 0; i < 9; ++i) {
                                  XTestFakeKeyEvent(own, up, True, CurrentTime);
                                  XFlush(own);
                                  usleep(4000);
                                  XTestFakeKeyEvent(own, up, False, CurrentTime);
                                  XFlush(own);
                                  usleep(4000);
                              }
                              XCloseDisplay(own);
                          });
                      }}});
    tapper.join();
    expect(harness::game().playerCar.getY_speed() == speedAfterPresses(9),
           "nine taps give nine steps: speed " +
               std::to_string(harness::game().playerCar.getY_speed()));
    endChild();
}

// l held for a second and a half under a fast server repeat: the lights switch once.
[[noreturn]] void holdTheLightSwitch()
{
    harness::resetGame();
    setServerRepeat(100, 50);
    runMainLoop(114, {{12, [] { key(XK_l, true); }}, {102, [] { key(XK_l, false); }}});
    int toggles = 0;
    for (size_t i = 1; i < frames.size(); ++i)
        toggles += frames[i].headlightsOff != frames[i - 1].headlightsOff;
    expect(toggles == 1, "the lights switched " + std::to_string(toggles) + " times");
    expect(harness::game().headlightsOff == 1, "the lights end off");
    endChild();
}

// A window of another program, in front of the game's top left corner; the window manager keeps
// its hands off it, as off a menu.
Window otherWindow()
{
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    const Window other =
        XCreateWindow(x, DefaultRootWindow(x), 0, 0, 200, 200, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect, &attributes);
    XMapRaised(x, other);
    XSync(x, False);
    return other;
}

void pointerTo(int px, int py)
{
    XTestFakeMotionEvent(x, DefaultScreen(x), px, py, CurrentTime);
    XSync(x, False);
}

// How the keyboard leaves the game while a key is down: the desktop gives the focus to another
// window, or, on a bare X server where the keys follow the pointer, the pointer moves onto one.
enum class Away { FocusMoves, PointerMoves };

// A turn key held for half a second, then the keyboard goes away and the key is released there:
// the car turns no further; back in the game, the next press is one turn.
[[noreturn]] void turnKeyReleasedElsewhere(KeySym turnKey, Away away)
{
    harness::resetGame();
    float headingAfterRelease = 0.0f, headingBeforeReturn = 0.0f;
    const harness::Cues cues = {
        {6,
         [away] {
             if (away == Away::PointerMoves) {
                 XSetInputFocus(x, PointerRoot, RevertToPointerRoot, CurrentTime);
                 pointerTo(600, 400);
             }
         }},
        {12, [turnKey] { key(turnKey, true); }},
        {42,
         [away] {
             const Window other = otherWindow();
             if (away == Away::FocusMoves)
                 XSetInputFocus(x, other, RevertToParent, CurrentTime);
             else
                 pointerTo(100, 100);
             XSync(x, False);
         }},
        {45, [turnKey] { key(turnKey, false); }},
        {51, [&] { headingAfterRelease = harness::game().playerCar.getHeading(); }},
        {75,
         [&] {
             headingBeforeReturn = harness::game().playerCar.getHeading();
             if (away == Away::FocusMoves)
                 XSetInputFocus(x, glXGetCurrentDrawable(), RevertToParent, CurrentTime);
             else
                 pointerTo(600, 400);
             XSync(x, False);
         }},
        {81, [turnKey] { key(turnKey, true); }},
        {84, [turnKey] { key(turnKey, false); }},
    };
    runMainLoop(90, cues);

    const float turn = turnKey == XK_Left ? -11.25f : 11.25f;
    expect(headingAfterRelease != 0.0f && std::fmod(headingAfterRelease, turn) == 0.0f,
           "turned while the key was held: " + std::to_string(headingAfterRelease));
    expect(headingBeforeReturn == headingAfterRelease,
           "kept turning after the key went up elsewhere: " + std::to_string(headingAfterRelease) +
               " then " + std::to_string(headingBeforeReturn));
    expect(harness::game().playerCar.getHeading() == headingBeforeReturn + turn,
           "a press after coming back is one turn: " + std::to_string(headingBeforeReturn) +
               " then " + std::to_string(harness::game().playerCar.getHeading()));
    endChild();
}

class HeldKeysTest : public testing::Test {
protected:
    // Each case runs the game's main loop, which ends with its window: one child process each.
    void SetUp() override { testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(HeldKeysTest, UpHeldReachesTopSpeedAtTheGamesPaceWithASlowServerRepeat)
{
    EXPECT_EXIT(holdUpForASecondAndMore(500, 2), testing::ExitedWithCode(0), "frames");
}

TEST_F(HeldKeysTest, UpHeldReachesTopSpeedAtTheGamesPaceWithAFastServerRepeat)
{
    EXPECT_EXIT(holdUpForASecondAndMore(30, 100), testing::ExitedWithCode(0), "frames");
}

TEST_F(HeldKeysTest, UpHeldKeepsAcceleratingWhileLeftIsTapped)
{
    EXPECT_EXIT(holdUpAndTapLeft(), testing::ExitedWithCode(0), "frames");
}

TEST_F(HeldKeysTest, QuickTapsOfUpEachCount)
{
    EXPECT_EXIT(tapUpNineTimesQuickly(), testing::ExitedWithCode(0), "frames");
}

TEST_F(HeldKeysTest, KeyReleasedWhileTheKeyboardIsElsewhereLetsGoOfTheCar)
{
    for (auto [turnKey, away] :
         {std::pair{XK_Left, Away::FocusMoves}, std::pair{XK_Right, Away::PointerMoves}}) {
        EXPECT_EXIT(turnKeyReleasedElsewhere(turnKey, away), testing::ExitedWithCode(0), "frames")
            << (away == Away::FocusMoves ? "the focus moved" : "the pointer moved");
    }
}

TEST_F(HeldKeysTest, LightsSwitchOnceWhileTheirKeyIsHeld)
{
    EXPECT_EXIT(holdTheLightSwitch(), testing::ExitedWithCode(0), "frames");
}

}  // namespace
