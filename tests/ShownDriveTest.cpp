// A recorded drive shown in the game is checked as it is shown, as `tarvelo --check` checks it:
// every drive of tests/replays, fed frame by frame into a game as the frame loop feeds it,
// reaches each state recorded in it; a game a step ahead departs at the first checkpoint.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drives/Replay.h"
#include "session/Step.h"

namespace {

// Shows the drive in `game` to its end, a step for each frame as the frame loop takes it.
void showDrive(const std::string& path, GameState& game)
{
    ASSERT_EQ(openReplay(path), std::nullopt);
    std::vector<Command> input;
    for (;;) {
        input.clear();
        feedShownDrive(game, input);
        if (!replayShowing())
            break;
        ASSERT_TRUE(step(game, input)) << path;
    }
}

TEST(ShownDriveTest, AShownDriveReachesEveryStateRecordedInIt)
{
    int drives = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARVELO_REPLAY_DIR)) {
        if (entry.path().extension() != ".rec")
            continue;
        std::string why;
        const std::optional<Replay> drive = readReplayFile(entry.path().string(), why);
        ASSERT_TRUE(drive) << why;
        int recorded = drive->finished ? 1 : 0;
        for (const Checkpoint& c : drive->checkpoints)
            recorded += c.width != 0 ? 1 : 0;
        GameState game;
        showDrive(entry.path().string(), game);
        EXPECT_EQ(shownDriveAgreement(), recorded) << entry.path();
        ++drives;
    }
    EXPECT_GE(drives, 9);

    GameState ahead;
    step(ahead, {kMotionStep});
    showDrive(TARVELO_REPLAY_DIR "/river.rec", ahead);
    EXPECT_EQ(shownDriveAgreement(), -1);
}

}  // namespace
