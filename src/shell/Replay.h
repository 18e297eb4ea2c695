// Recorded drives. The game is deterministic: one motion step per frame, a random sequence that
// is never seeded, exact single-precision arithmetic. So a drive is the player's actions in
// their places among the motion steps and frames; recorded, it can be watched again, or checked
// against the game, frame for frame. The file format is in docs/replay-format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/Actions.h"
#include "shell/ReplayFile.h"

// Recording: the file is checked and opened before the window, written as the drive goes on (a
// chunk a second, so that a killed game leaves every complete second), and finished when the
// game ends.
std::optional<std::string> openRecording(const std::string& path);  // why it cannot be, if so
void beginRecording();  // the header: once the pictures are read and the renderer is known

// The game's hooks, each a no-op unless a drive is recorded or shown.
void noteAction(Action action);  // an action that has just reached the game
void noteStep();                 // a motion step, about to move the car
void playReplayToNextFrame();    // before a frame: a shown drive's actions and steps up to it
void noteFrameDrawn();           // after a frame's drawing, before it is shown
bool replayShowing();            // a recording is being shown: the player's driving is not heard
void drawReplayNotice();         // "REPLAY" over the map while one is shown

// Showing: the whole file is read and checked before the window opens; it then plays at the
// game's own pace, and the player takes over the car where it stands at its end.
std::optional<std::string> openReplay(const std::string& path);  // why it cannot be, if so

// Checking: the files are read before any window opens (a file that cannot be read is one
// line on stderr), then each is played back unpaced, every checkpoint compared; one line per
// file on stdout.
struct DrivesToCheck {
    std::vector<std::pair<std::string, Replay>> drives;  // each file with its drive
    int width = 1, height = 1;  // the largest view the checkpoints were drawn in
    bool allRead = true;        // no file was refused
};
DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths);
// Plays them in the game's window and graphics; the exit status: 0 when all were read and ok.
int checkReplays(DrivesToCheck& toCheck);

// Digests, as checkpoints keep them.
uint64_t gameStateDigest();  // the car, the heading, the random generator, the bursts, ...
uint64_t pictureDigest();    // the drawn view's pixels
