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
    return "Error: replay " + path + ": " + reason;
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

// One drive played back in a state of its own: "" when every checkpoint agrees, else what
// differs, with the frame in `frames`; `picturesCompared` counts the checkpoints whose pictures
// were compared.
std::string checkDrive(const Replay& replay, bool withPictures, uint32_t& frames,
                       size_t& picturesCompared)
{
    GameState state;
    std::vector<Command> input;
    size_t next = 0, passed = 0;
    frames = 0;
    picturesCompared = 0;
    for (;;) {
        input.clear();
        if (!commandsToNextFrame(replay, next, passed, input)) {
            applyCommands(state, input);  // heard after the last frame, before the game ended
            break;
        }
        ++frames;
        if (!step(state, input))
            return "a frame of a paused game";
        // The checkpoint recorded after this frame, if there is one.
        if (passed >= replay.checkpoints.size())
            continue;
        const Checkpoint& c = replay.checkpoints[passed];
        if (c.frame != frames || c.width == 0)
            continue;
        if (gameStateDigest(state) != c.state)
            return "state";
        if (withPictures && windowOfSize(c.width, c.height)) {
            if (checkpointPicture(state, c) != c.picture)
                return "picture";
            ++picturesCompared;
        }
    }
    // A finished drive ends with the state it was left in.
    if (replay.finished && gameStateDigest(state) != replay.checkpoints.back().state)
        return "state";
    return "";
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
            std::fprintf(stderr, "%s\n", describeReason(path, error).c_str());
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

int checkReplays(DrivesToCheck& toCheck, PictureCheck pictures)
{
    const bool window = pictures == PictureCheck::InThisWindow;
    int status = toCheck.allRead ? kExitPlayed : kExitCannotPlay;
    for (auto& [path, drive] : toCheck.drives) {
        const ReplayHeader& header = drive.header;
        // Pictures are the same only with the same pictures, drawn by the same renderer.
        const bool samePictures = window && header.picturesDigest == picturesDigest;
        const bool sameRenderer = window && header.renderer == glText(GL_RENDERER) &&
                                  header.rendererVersion == glText(GL_VERSION);
        uint32_t frames = 0;
        size_t picturesCompared = 0;
        const std::string difference =
            checkDrive(drive, samePictures && sameRenderer, frames, picturesCompared);
        size_t pictured = 0;  // the checkpoints that have a picture
        for (const Checkpoint& c : drive.checkpoints)
            pictured += c.width != 0 ? 1 : 0;
        if (!difference.empty()) {
            std::printf("%s: differs at frame %u (%s)\n", path.c_str(), frames, difference.c_str());
            status = kExitCannotPlay;
        } else if (!window) {
            std::printf("%s: ok, %u frames (state only)\n", path.c_str(), frames);
        } else if (!samePictures) {
            std::printf(
                "%s: ok, %u frames (state only: the pictures differ from the recording's)\n",
                path.c_str(), frames);
        } else if (!sameRenderer) {
            std::printf("%s: ok, %u frames (state only: another renderer than the recording's)\n",
                        path.c_str(), frames);
        } else if (picturesCompared < pictured) {
            std::printf("%s: ok, %u frames (pictures at %zu of %zu checkpoints)\n", path.c_str(),
                        frames, picturesCompared, pictured);
        } else {
            std::printf("%s: ok, %u frames\n", path.c_str(), frames);
        }
        std::fflush(stdout);
    }
    return status;
}
