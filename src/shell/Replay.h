// Recorded drives. The game is deterministic: one motion step per frame, a random sequence that
// is never seeded, exact single-precision arithmetic. So a drive is the player's actions in
// their places among the motion steps and frames; recorded, it can be watched again, or checked
// against the game, frame for frame. The file format is in docs/replay-format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/Actions.h"

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

// Checking: each file played back unpaced, every checkpoint compared; one line per file on
// stdout. Needs the game's window and graphics; returns the exit status (0 when all are ok).
int checkReplays(const std::vector<std::string>& paths);
// The largest window the files' checkpoints were drawn in (to open the checking window at).
void checkWindowSize(const std::vector<std::string>& paths, int& width, int& height);

// Digests, as checkpoints keep them.
uint64_t gameStateDigest();  // the car, the heading, the random generator, the bursts, ...
uint64_t pictureDigest();    // the drawn view's pixels

// What a reader makes of a file: the header and its records, or why it cannot be read.
struct ReplayHeader {
    std::string gameVersion;
    uint64_t picturesDigest = 0;
    std::string renderer, rendererVersion;
};
struct Checkpoint {
    uint32_t frame;           // frames drawn from the start of the drive
    uint16_t width, height;   // the view's size in pixels when it was drawn; 0 for the last state,
    uint64_t state, picture;  // which has no picture
};
// The records of a drive, in order: an action's code (as the format gives it), a motion step,
// a frame, or a checkpoint (whose values are the next in `checkpoints`).
constexpr uint8_t kStepRecord = 0x20, kFrameRecord = 0x21, kCheckpointRecord = 0x30,
                  kFinalStateRecord = 0x31, kEndRecord = 0x3F;
struct Replay {
    ReplayHeader header;
    std::vector<uint8_t> records;
    std::vector<Checkpoint> checkpoints;
    bool finished = false;  // the game ended and said so; else the drive was cut off
};
std::optional<Action> actionOfCode(uint8_t code);  // a recorded action; nothing for another code
// Reads a whole replay from its bytes; the error is the reason, as in "replay FILE: reason".
std::optional<Replay> parseReplay(const unsigned char* bytes, size_t count, std::string& error);
std::optional<Replay> readReplayFile(const std::string& path, std::string& error);
