// Recorded drives: showing one at the game's pace, and checking one unpaced against the game.
#include "drives/Replay.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "assets/Textures.h"
#include "base/Program.h"
#include "drives/Recording.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/Step.h"

namespace {

// The drive being shown, and how far it has come.
struct Playback {
    Replay replay;
    size_t next = 0;       // the next record
    bool showing = false;  // shown in the game's window, at its pace
    bool held = false;     // the watcher holds it still
};
Playback playback;

// The commands of a drive's records from `next` up to its next frame record, after `input`;
// false at the end of the drive. Checkpoints are counted.
bool commandsToNextFrame(const Replay& replay, size_t& next, size_t& checkpoints,
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

std::string describeReason(const std::string& path, const std::string& reason)
{
    return "replay " + path + ": " + reason;
}

// The check's window at a checkpoint's size, asked for and waited on: the software renderer's
// pixels depend on where in the window they lie, so a picture is drawn as its recording drew it
// only in a window of its own size. False where the window does not take that size (a window
// manager that holds it, a smaller screen): that picture is not compared. Once refused, the
// window is not asked again.
bool windowOfSize(int width, int height)
{
    static bool refused = false;
    const auto fits = [width, height] {
        return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
    };
    if (fits())
        return true;
    if (refused)
        return false;
    glutReshapeWindow(width, height);
    for (int turn = 0; turn < 200 && !fits(); ++turn) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    refused = !fits();
    glutSwapBuffers();  // the renderer takes the window's new size at a swap
    return !refused;
}

// The checkpoint's picture, drawn from the state in a window of its size. The frame is drawn
// twice: the first sets the renderer up as the frames before it leave it for every frame (the
// dashboard's line width), and the game shows each frame before it draws the next, so the one
// read back starts on a renderer with nothing left to do (Mesa's software renderer clears the
// ground beyond the map's border a shade apart when the clear follows unfinished drawing).
uint64_t checkpointPicture(const GameState& state, const Checkpoint& checkpoint)
{
    placeWholePicture(checkpoint.width, checkpoint.height);
    drawGame(state, pictureArea());
    glFinish();
    drawGame(state, pictureArea());
    return pictureDigest();
}

// What checking one drive found.
struct DriveCheck {
    std::string difference;  // "" when every checkpoint agrees, else what differs
    uint32_t frames = 0;     // the frames played, up to the one that differs
    bool window = false;     // checked on a display, where pictures can be compared
    bool samePictures = false, sameRenderer = false;  // as the recording's
    size_t picturesCompared = 0;
    size_t pictured = 0;  // the checkpoints that have a picture
};

// One drive played back into `state` (a new game's), its checkpoints' pictures compared
// `withPictures`.
void checkDrive(const Replay& replay, bool withPictures, DriveCheck& check, GameState& state)
{
    std::vector<Command> input;
    size_t next = 0, passed = 0;
    for (;;) {
        input.clear();
        if (!commandsToNextFrame(replay, next, passed, input)) {
            applyCommands(state, input);  // heard after the last frame, before the game ended
            break;
        }
        ++check.frames;
        if (!step(state, input)) {
            check.difference = "a frame of a paused game";
            return;
        }
        // The checkpoint recorded after this frame, if there is one.
        if (passed >= replay.checkpoints.size())
            continue;
        const Checkpoint& c = replay.checkpoints[passed];
        if (c.frame != check.frames || c.width == 0)
            continue;
        if (gameStateDigest(state) != c.state) {
            check.difference = "state";
            return;
        }
        if (withPictures && windowOfSize(c.width, c.height)) {
            if (checkpointPicture(state, c) != c.picture) {
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

bool replayShowing()
{
    return playback.showing;
}

void feedShownDrive(std::vector<Command>& input)
{
    size_t checkpoints = 0;
    if (playback.showing && !playback.held &&
        !commandsToNextFrame(playback.replay, playback.next, checkpoints, input))
        playback.showing = playback.held = false;  // its end: the player takes over the car here
}

void holdShownDrive()
{
    playback.held = playback.showing && !playback.held;
}

bool shownDriveHeld()
{
    return playback.held;
}

std::optional<std::string> openReplay(const std::string& path)
{
    std::string error;
    std::optional<Replay> replay = readReplayFile(path, error);
    if (!replay)
        return describeReason(path, error);
    playback.replay = std::move(*replay);
    playback.showing = true;
    return std::nullopt;
}

DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths)
{
    DrivesToCheck toCheck;
    for (const std::string& path : paths) {
        std::string error;
        std::optional<Replay> replay = readReplayFile(path, error);
        if (!replay) {
            say(describeReason(path, error));
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
    return commandsToNextFrame(replay, next, checkpoints, input);
}

std::string checkDriveStates(const Replay& replay, GameState& state, uint32_t& frames)
{
    DriveCheck check;
    checkDrive(replay, false, check, state);
    frames = check.frames;
    return check.difference.empty() ? "" : verdict(check);
}

int checkReplays(DrivesToCheck& toCheck, PictureCheck pictures)
{
    int status = toCheck.allRead ? kExitPlayed : kExitCannotPlay;
    for (auto& [path, drive] : toCheck.drives) {
        const ReplayHeader& header = drive.header;
        DriveCheck check;
        check.window = pictures == PictureCheck::InThisWindow;
        // Pictures are the same only with the same pictures, drawn by the same renderer.
        check.samePictures = check.window && header.picturesDigest == picturesDigest;
        check.sameRenderer = check.window && header.renderer == glText(GL_RENDERER) &&
                             header.rendererVersion == glText(GL_VERSION);
        for (const Checkpoint& c : drive.checkpoints)
            check.pictured += c.width != 0 ? 1 : 0;
        GameState state;
        checkDrive(drive, check.samePictures && check.sameRenderer, check, state);
        if (!check.difference.empty())
            status = kExitCannotPlay;
        std::printf("%s: %s\n", path.c_str(), verdict(check).c_str());
        std::fflush(stdout);
    }
    return status;
}
