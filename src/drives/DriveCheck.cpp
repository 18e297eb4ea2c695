// Checking recorded drives: each played back unpaced, frame for frame, as the game played it.
#include "drives/DriveCheck.h"

#include <algorithm>
#include <cstdio>

#include "base/Program.h"
#include "session/Step.h"

bool commandsOfNextFrame(const Replay& replay, size_t& next, size_t& checkpoints,
                         std::vector<Command>& input)
{
    while (next < replay.records.size()) {
        const uint8_t code = replay.records[next++];
        if (code == kFrameRecord)
            return true;
        if (code == kStepRecord) {
            input.push_back(kMotionStep);
        } else if (code == kCheckpointRecord || code == kFinalStateRecord) {
            ++checkpoints;
        } else if (const std::optional<Action> action = actionOfCode(code)) {
            input.push_back(act(*action));
        }
    }
    return false;
}

const Checkpoint* checkpointAfter(const Replay& replay, size_t passed, uint32_t frame)
{
    if (passed >= replay.checkpoints.size())
        return nullptr;
    const Checkpoint& c = replay.checkpoints[passed];
    return c.frame == frame && c.width != 0 ? &c : nullptr;
}

namespace {

// What checking one drive found.
struct DriveCheck {
    std::string difference;  // "" when every checkpoint agrees, else what differs
    uint32_t frames = 0;     // the frames played, up to the one that differs
    bool window = false;     // checked where pictures can be drawn
    bool samePictures = false, sameRenderer = false;  // as the recording's
    size_t picturesCompared = 0;
    size_t pictured = 0;  // the checkpoints that have a picture
};

// One drive played back into `state` (a new game's), its checkpoints' pictures compared where
// `pictures` draws them (null: the states alone).
void checkDrive(const Replay& replay, CheckpointPictures* pictures, DriveCheck& check,
                GameState& state)
{
    std::vector<Command> input;
    size_t next = 0, passed = 0;
    for (;;) {
        input.clear();
        if (!commandsOfNextFrame(replay, next, passed, input)) {
            applyCommands(state, input);  // heard after the last frame, before the game ended
            break;
        }
        ++check.frames;
        if (!step(state, input)) {
            check.difference = "a frame of a paused game";
            return;
        }
        const Checkpoint* checkpoint = checkpointAfter(replay, passed, check.frames);
        if (!checkpoint)
            continue;
        const Checkpoint& c = *checkpoint;
        if (gameStateDigest(state) != c.state) {
            check.difference = "state";
            return;
        }
        if (!pictures)
            continue;
        if (const std::optional<uint64_t> picture = pictures->picture(state, c)) {
            if (*picture != c.picture) {
                check.difference = "picture";
                return;
            }
            ++check.picturesCompared;
        }
    }
    // A finished drive ends with the state it was left in.
    if (replay.finished && gameStateDigest(state) != replay.checkpoints.back().state)
        check.difference = "state";
}

// The drive's line on the standard output, after its file's name.
std::string verdict(const DriveCheck& check)
{
    const std::string frames = std::to_string(check.frames);
    if (!check.difference.empty())
        return "differs at frame " + frames + " (" + check.difference + ")";
    if (!check.window)
        return "ok, " + frames + " frames (state only)";
    if (!check.samePictures)
        return "ok, " + frames + " frames (state only: the pictures differ from the recording's)";
    if (!check.sameRenderer)
        return "ok, " + frames + " frames (state only: another renderer than the recording's)";
    if (check.picturesCompared < check.pictured)
        return "ok, " + frames + " frames (pictures at " + std::to_string(check.picturesCompared) +
               " of " + std::to_string(check.pictured) + " checkpoints)";
    return "ok, " + frames + " frames";
}

}  // namespace

std::string refusedDrive(const std::string& path, const std::string& reason)
{
    return "replay " + path + ": " + reason;
}

DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths)
{
    DrivesToCheck toCheck;
    for (const std::string& path : paths) {
        std::string error;
        std::optional<Replay> replay = readReplayFile(path, error);
        if (!replay) {
            say(refusedDrive(path, error));
            toCheck.allRead = false;
            continue;
        }
        for (const Checkpoint& c : replay->checkpoints) {
            toCheck.width = std::max(toCheck.width, static_cast<int>(c.width));
            toCheck.height = std::max(toCheck.height, static_cast<int>(c.height));
        }
        toCheck.drives.emplace_back(path, std::move(*replay));
    }
    return toCheck;
}

bool commandsOfNextFrame(const Replay& replay, size_t& next, std::vector<Command>& input)
{
    size_t checkpoints = 0;
    return commandsOfNextFrame(replay, next, checkpoints, input);
}

std::string checkDriveStates(const Replay& replay, GameState& state, uint32_t& frames)
{
    DriveCheck check;
    checkDrive(replay, nullptr, check, state);
    frames = check.frames;
    return check.difference.empty() ? "" : verdict(check);
}

int checkReplays(DrivesToCheck& toCheck, CheckpointPictures* pictures)
{
    int status = toCheck.allRead ? kExitPlayed : kExitCannotPlay;
    for (auto& [path, drive] : toCheck.drives) {
        DriveCheck check;
        check.window = pictures != nullptr;
        check.samePictures = pictures && pictures->samePictures(drive.header);
        check.sameRenderer = pictures && pictures->sameRenderer(drive.header);
        for (const Checkpoint& c : drive.checkpoints)
            check.pictured += c.width != 0 ? 1 : 0;
        GameState state;
        checkDrive(drive, check.samePictures && check.sameRenderer ? pictures : nullptr, check,
                   state);
        if (!check.difference.empty())
            status = kExitCannotPlay;
        std::printf("%s: %s\n", path.c_str(), verdict(check).c_str());
        std::fflush(stdout);
    }
    return status;
}
