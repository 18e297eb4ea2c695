// Recorded drives. The game is deterministic: one motion step per frame, a random sequence that
// is never seeded, exact single-precision arithmetic. So a drive is the commands each frame's
// step applied: the player's actions in their places among the motion steps and frames;
// recorded, it can be watched again, or checked against the game, frame for frame. The file
// format is in docs/replay-format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "session/Commands.h"
#include "session/GameState.h"
#include "shell/ReplayFile.h"

// Recording: the file is checked and opened before the window, written as the drive goes on (a
// chunk a second, so that a killed game leaves every complete second), and finished when the
// game ends.
std::optional<std::string> openRecording(const std::string& path);  // why it cannot be, if so
// The header, once the pictures are read and the renderer is known; the game is the one whose
// last state the recording ends with.
void beginRecording(const GameState& game);
// What a step applied and whether it played a frame, after that frame is drawn (a checkpoint
// keeps its picture) and before anything else is drawn over it.
void recordStep(const std::vector<Command>& applied, bool framePlayed, const GameState& game);

// Showing: the whole file is read and checked before the window opens; it then plays at the
// game's own pace, and the player takes over the car where it stands at its end.
std::optional<std::string> openReplay(const std::string& path);  // why it cannot be, if so
bool replayShowing();  // a recording is being shown: the player's driving is not heard
// The shown drive's commands up to its next frame, after `input`; its pauses are the watcher's.
void feedShownDrive(std::vector<Command>& input);

// Checking: the files are read before anything else (a file that cannot be read is one line on
// stderr), then each is played back unpaced in a state of its own, every checkpoint compared;
// one line per file on stdout.
struct DrivesToCheck {
    std::vector<std::pair<std::string, Replay>> drives;  // each file with its drive
    int width = 1, height = 1;  // the largest view the checkpoints were drawn in
    bool allRead = true;        // no file was refused
};
DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths);
// How the pictures are checked: not at all (no display), or drawn in the current GL window when
// the recording's pictures and renderer are these.
enum class PictureCheck { StateOnly, InThisWindow };
// Plays each drive; the exit status: 0 when all were read and ok.
int checkReplays(DrivesToCheck& toCheck, PictureCheck pictures);

uint64_t pictureDigest();  // the drawn view's pixels, as checkpoints keep them
