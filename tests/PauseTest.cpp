// The pause key in real frames: a game paused for 100 frames plays on exactly as one never
// paused, and while paused the picture stands still with "PAUSED" over the map.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "input/Input.h"
#include "session/Notice.h"
#include "vehicle/Car.h"

namespace {

using Picture = std::vector<unsigned char>;

using harness::windowPicture;

// The player's keys after a frame of the drive: fourth gear, Up held a while, a few turns, so
// that the car crosses the map, hits things and throws bursts of random particles.
void keysAfter(int frame)
{
    if (frame == 1)
        keyboard('4', 0, 0);
    if (frame <= 160 && frame % 2 == 1)
        specialKey(GLUT_KEY_UP, 0, 0);
    if (frame == 41 || frame == 42 || frame == 201)
        specialKey(GLUT_KEY_RIGHT, 0, 0);
    if (frame == 121)
        keyboard('l', 0, 0);
}

struct Ending {
    Car car = carAtStart();
    int nextRandom = 0;
    Picture picture;
    Picture atPause;  // the window at the frame the pause keeps
    float speedAtPause = 0.0f;
};

// The drive from the start for `frames` frames of play; with `pausedFrames` above 0, p is pressed
// after frame `pauseAfter`, the next frame is still played and kept, `pausedFrames` frames follow,
// each compared with the one kept, then p again.
Ending drive(int frames, int pauseAfter, int pausedFrames)
{
    harness::resetGame();
    Ending ending;
    Car held = ending.car;  // neither the main loop nor the driving keys move it while paused
    harness::Script script;
    int shown = 0;  // frames shown so far, the paused ones too
    for (int frame = 1; frame <= frames; ++frame) {
        ++shown;
        if (frame == pauseAfter + 1) {
            script.cues.emplace(shown, [&] {
                ending.atPause = windowPicture();
                ending.speedAtPause = harness::game().playerCar.getX_speed();
                held = harness::game().playerCar;
            });
            for (int paused = 1; paused <= pausedFrames; ++paused)
                script.cues.emplace(++shown, [&, paused] {
                    EXPECT_TRUE(windowPicture() == ending.atPause) << "paused frame " << paused;
                    specialKey(GLUT_KEY_UP, 0, 0);
                    keyboard('1', 0, 0);
                    EXPECT_EQ(std::memcmp(&held, &harness::game().playerCar, sizeof(Car)), 0)
                        << "paused frame " << paused;
                });
            if (pausedFrames > 0)
                script.cues.emplace(shown, [] { keyboard('p', 0, 0); });
        }
        script.cues.emplace(shown, [frame] { keysAfter(frame); });
        if (frame == pauseAfter && pausedFrames > 0)  // the next frame is still played, and kept
            script.cues.emplace(shown, [] { keyboard('p', 0, 0); });
    }
    harness::runFrames(shown, script);
    ending.car = harness::game().playerCar;
    ending.picture = windowPicture();
    ending.nextRandom = random15(harness::game().random);
    return ending;
}

// Window pixel bounds of the "PAUSED" box, a pixel wider on each side.
bool inPausedBox(int x, int y)
{
    const double left = harness::viewToPixels(kPausedBox.left, harness::kWindowWidth) - 1;
    const double right = harness::viewToPixels(kPausedBox.right, harness::kWindowWidth) + 1;
    const double bottom = harness::viewToPixels(kPausedBox.bottom, harness::kWindowHeight) - 1;
    const double top = harness::viewToPixels(kPausedBox.top, harness::kWindowHeight) + 1;
    return x >= left && x <= right && y >= bottom && y <= top;
}

}  // namespace

TEST(PauseTest, PausedHundredFramesThenResumedPlaysOnAsNeverPaused)
{
    const Ending never = drive(261, 131, 0);
    const Ending paused = drive(261, 131, 100);

    // The kept frame is the frame never paused, with the word over the map.
    long outsideDiffering = 0, insideDiffering = 0;
    for (int y = 0; y < harness::kWindowHeight; ++y) {
        for (int x = 0; x < harness::kWindowWidth; ++x) {
            const size_t at = (static_cast<size_t>(y) * harness::kWindowWidth + x) * 3;
            const bool same = std::memcmp(&never.atPause[at], &paused.atPause[at], 3) == 0;
            (inPausedBox(x, y) ? insideDiffering : outsideDiffering) += same ? 0 : 1;
        }
    }
    EXPECT_EQ(outsideDiffering, 0) << "the paused picture differs outside the PAUSED box";
    EXPECT_GT(insideDiffering, 1000) << "no PAUSED box over the map";

    EXPECT_EQ(std::memcmp(&never.car, &paused.car, sizeof(Car)), 0)
        << "x " << never.car.getX_centre() << " / " << paused.car.getX_centre() << ", y "
        << never.car.getY_centre() << " / " << paused.car.getY_centre();
    EXPECT_EQ(never.nextRandom, paused.nextRandom) << "random numbers were drawn while paused";
    EXPECT_TRUE(never.picture == paused.picture) << "the last pictures differ";
    // The drive really went somewhere and hit things, or the comparison says little; and the car
    // was moving when paused.
    EXPECT_NE(never.speedAtPause, 0.0f);
    EXPECT_NE(never.car.getY_centre(), 0.0f);
    EXPECT_LT(never.car.getDamageStatus(), 14.0f);
}
