// The file of a recorded drive (docs/replay-format.md): its records, and a reader that trusts
// no size it has not limited. Needs no window: the fuzzer reads files with it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session/Commands.h"

constexpr unsigned char kReplayMagic[8] = {'T', 'A', 'R', 'V', 'E', 'L', 'O', 0x1A};
constexpr uint16_t kReplayFormatVersion = 1;
constexpr size_t kLongestVersionText = 32, kLongestRendererText = 200;
constexpr uint32_t kFramesPerCheckpoint = 60;  // a checkpoint for every second of play
constexpr size_t kLargestDrive = 16u << 20;    // bytes: about a day and a half of driving

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
std::optional<uint8_t> codeOfAction(Action action);  // its code, if the action is recorded

// Writing a drive, each part appended to `out` as the reader reads it.
void appendHeader(std::vector<unsigned char>& out, const ReplayHeader& header);
void appendCommand(std::vector<unsigned char>& out, const Command& command);  // if recorded
void appendCheckpoint(std::vector<unsigned char>& out, const Checkpoint& checkpoint);
void appendEnd(std::vector<unsigned char>& out, uint32_t frames, uint64_t state);  // and the end
