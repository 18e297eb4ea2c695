// Checking recorded drives against the game: each drive played back unpaced into a game state of
// its own, its state compared at every checkpoint, and its pictures too where a window draws
// them. Nothing here draws, so the same checking runs in `tarvelo --check` and in the browser
// build's checker under Node.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drives/ReplayFile.h"
#include "session/Commands.h"
#include "session/GameState.h"

// The files are read before anything else (a file that cannot be read is one line on stderr),
// then each is played back, one line per file on stdout.
struct DrivesToCheck {
    std::vector<std::pair<std::string, Replay>> drives;  // each file with its drive
    int width = 1, height = 1;  // the largest view the checkpoints were drawn in
    bool allRead = true;        // no file was refused
};
DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths);
// Why a file is no drive to show or check, as the game says it: "replay FILE: REASON".
std::string refusedDrive(const std::string& path, const std::string& reason);

// The checkpoints' pictures, drawn by a window that can (drives/Replay.h has the game's).
class CheckpointPictures {
public:
    virtual ~CheckpointPictures() = default;
    // A drive's pictures are the same as its recording's only when drawn from the same pictures
    // by the same renderer.
    virtual bool samePictures(const ReplayHeader& header) const = 0;
    virtual bool sameRenderer(const ReplayHeader& header) const = 0;
    // The digest of the checkpoint's picture, drawn from the state; none where the window cannot
    // take the checkpoint's size (that picture is not compared).
    virtual std::optional<uint64_t> picture(const GameState& state,
                                            const Checkpoint& checkpoint) = 0;
};

// Plays each drive, its pictures compared where `pictures` draws them, its states alone when it
// is null. The exit status: 0 when all were read and ok.
int checkReplays(DrivesToCheck& toCheck, CheckpointPictures* pictures);
// The commands of a drive's records from `next` up to its next frame record, after `input`;
// false at the drive's end. The second counts the checkpoint records passed into `checkpoints`.
bool commandsOfNextFrame(const Replay& replay, size_t& next, std::vector<Command>& input);
bool commandsOfNextFrame(const Replay& replay, size_t& next, size_t& checkpoints,
                         std::vector<Command>& input);
// The checkpoint recorded after frame `frame` (counted from 1), `passed` checkpoint records
// having been read up to that frame's record; none if there is none there. The final state, which
// follows the last frame, is compared on its own.
const Checkpoint* checkpointAfter(const Replay& replay, size_t passed, uint32_t frame);
// One drive played into `state` (a new game's), its states compared at every checkpoint: "" when
// they all agree, else "differs at frame F (state)"; `frames` the frames played.
std::string checkDriveStates(const Replay& replay, GameState& state, uint32_t& frames);
