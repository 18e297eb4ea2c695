// The time trial's ghost in the game window: the best lap's car drawn where its own game has it,
// half its paint and half the map under it, and nothing else of it in the picture; and a lap
// the game plays kept on disk as the best, and driven by the ghost from the next lap on.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "GlHarness.h"
#include "drives/Ghost.h"
#include "drives/Replay.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/PlayedGame.h"

namespace {

constexpr int kWidth = harness::kWindowWidth, kHeight = harness::kWindowHeight;

TEST(GhostPictureTest, TheGhostsCarIsHalfItsPaintAndHalfTheMapAndNothingElseOfItShows)
{
    harness::resetGame();
    queueCommand(act(Action::TimeTrial));
    harness::runFrame();
    ASSERT_TRUE(harness::game().trial.on);
    useGhostLap(readBestLap(TARVELO_REPLAY_DIR "/lap_clean.rec"));
    startGhostLap();                  // the ghost at gate 1
    harness::placeCar(0.0f, -20.0f);  // the player 30 units behind it, standing
    harness::runFrame();
    const GameState* ghost = ghostShown();
    ASSERT_NE(ghost, nullptr);

    // The frame without the ghost, with it, and with its car in full paint; each drawn on a
    // finished one, as the game draws each frame on the one it showed.
    const GameState& game = harness::game();
    const auto picture = [&game, ghost](float opacity) {
        glFinish();
        drawGame(game, pictureArea());
        if (opacity > 0.0f)
            drawGhost(*ghost, game, pictureArea(), opacity);
        return harness::windowPicture();
    };
    const std::vector<unsigned char> without = picture(0.0f);
    const std::vector<unsigned char> with = picture(kGhostOpacity);
    const std::vector<unsigned char> painted = picture(1.0f);

    // The ghost's pivot, the middle of its body (5 x 10, and its wheels out to 5 x 4 from it), in
    // view coordinates.
    const double pivotX = ghost->frame.viewX - game.frame.viewX + 10.0;
    const double pivotY = ghost->frame.viewY - game.frame.viewY;
    int inside = 0, halfway = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const size_t at = (static_cast<size_t>(y) * kWidth + x) * 3;
            const double distance = std::hypot((x + 0.5) / kWidth * 100.0 - 50.0 - pivotX,
                                               (y + 0.5) / kHeight * 100.0 - 50.0 - pivotY);
            bool between = true, same = true;
            for (size_t c = at; c < at + 3; ++c) {
                between = between && std::abs(2 * with[c] - painted[c] - without[c]) <= 4;
                // The software renderer may shade a pixel under the same paint a step apart
                // when more is drawn over the same part of the picture.
                same = same && std::abs(with[c] - without[c]) <= 3;
            }
            if (distance < 2.2) {  // inside the body, however the car is turned
                ++inside;
                halfway += between && !same;
            } else if (distance > 7.0) {  // clear of the car
                outside += !same;
            }
        }
    }
    ASSERT_GT(inside, 800);
    EXPECT_GT(halfway, inside * 95 / 100) << "the map shows through the ghost's paint";
    EXPECT_EQ(outside, 0) << "no beams, smoke or bursts of the ghost";
}

// The clean lap of tests/replays played by the game, its commands queued frame by frame as the
// devices would queue them: at its finish the game keeps it in the data folder as the best lap,
// a drive that checks with the same times, and the ghost starts on it with the next lap.
TEST(GhostPictureTest, ALapThePlayerFinishesIsKeptAsTheBestAndDrivenByTheGhost)
{
    char folder[] = "/tmp/tarvelo-ghost-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_DATA_HOME", folder, 1);
    useGhostLap(std::nullopt);
    harness::resetGame();
    std::string why;
    std::optional<Replay> lap = readReplayFile(TARVELO_REPLAY_DIR "/lap_clean.rec", why);
    ASSERT_TRUE(lap) << why;
    size_t next = 0;
    std::vector<Command> input;
    while (commandsOfNextFrame(*lap, next, input)) {
        for (const Command& command : input)
            queueCommand(command);
        input.clear();
        harness::runFrame();
    }
    ASSERT_EQ(harness::game().trial.lapsDone, 1u);

    const std::string kept = std::string(folder) + "/tarvelo/best-lap.rec";
    const std::optional<BestLap> best = readBestLap(kept);
    ASSERT_TRUE(best) << kept;
    EXPECT_EQ(best->times.frames, harness::game().trial.lastLap.frames);
    EXPECT_EQ(best->lapStart, 22u);
    ASSERT_NE(ghostShown(), nullptr) << "the next lap begins with the ghost at gate 1";
    EXPECT_EQ(ghostShown()->trial.lapFrames, 0u);

    useGhostLap(std::nullopt);
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(folder);
}

}  // namespace
