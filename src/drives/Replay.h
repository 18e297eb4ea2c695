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

#include "drives/ReplayFile.h"
#include "session/Commands.h"
#include "session/GameState.h"

// Showing: the whole file is read and checked before the window opens; it then plays at the
// game's own pace, exactly as it is checked (its own pauses too), and the player takes over the
// car where it stands at its end.
std::optional<std::string> openReplay(const std::string& path);  // why it cannot be, if so
bool replayShowing();  // a recording is being shown: the player's driving is not heard
// The shown drive's commands up to its next frame, after `input`; none while it is held.
void feedShownDrive(std::vector<Command>& input);
void holdShownDrive();  // the watcher's pause: the drive held still, or on again
bool shownDriveHeld();

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
// The commands of a drive's records from `next` up to its next frame record, after `input`;
// false at the drive's end.
bool commandsOfNextFrame(const Replay& replay, size_t& next, std::vector<Command>& input);
// One drive played into `state` (a new game's), its states compared at every checkpoint: "" when
// they all agree, else "differs at frame F (state)"; `frames` the frames played.
std::string checkDriveStates(const Replay& replay, GameState& state, uint32_t& frames);
