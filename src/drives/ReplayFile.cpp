// The file of a recorded drive: the codes of its records, and its reader.
#include "drives/ReplayFile.h"

#include <algorithm>
#include <cstring>

#include "base/PlainFile.h"
#include "platform/Window.h"

namespace {

// The actions a drive records, under their codes in the file. Quitting and the sound are the
// player's business, not the game's state, and are not recorded.
struct ActionCode {
    Action action;
    uint8_t code;
};
constexpr ActionCode kActionCodes[] = {
    {Action::TurnLeft, 0},   {Action::TurnRight, 1}, {Action::Accelerate, 2}, {Action::Brake, 3},
    {Action::Gear1, 4},      {Action::Gear2, 5},     {Action::Gear3, 6},      {Action::Gear4, 7},
    {Action::Reverse, 8},    {Action::Lights, 9},    {Action::Pause, 10},     {Action::NewCar, 12},
    {Action::TimeTrial, 13},
};

struct Reader {
    const unsigned char* bytes;
    size_t count;
    size_t at = 0;

    bool has(size_t n) const { return count - at >= n; }
    template <typename Number>
    bool number(Number& value)
    {
        if (!has(sizeof(Number)))
            return false;
        uint64_t v = 0;
        for (size_t i = 0; i < sizeof(Number); ++i)
            v |= static_cast<uint64_t>(bytes[at + i]) << (8 * i);
        value = static_cast<Number>(v);
        at += sizeof(Number);
        return true;
    }
    bool text(std::string& value, size_t longest)
    {
        uint8_t length = 0;
        if (!number(length) || length > longest || !has(length))
            return false;
        value.assign(reinterpret_cast<const char*>(bytes + at), length);
        at += length;
        return std::all_of(value.begin(), value.end(),
                           [](char c) { return c >= 0x20 && c < 0x7F; });
    }
};

void putBytes(std::vector<unsigned char>& out, const void* bytes, size_t count)
{
    const auto* b = static_cast<const unsigned char*>(bytes);
    out.insert(out.end(), b, b + count);
}

template <typename Number>
void putNumber(std::vector<unsigned char>& out, Number value)
{
    for (size_t i = 0; i < sizeof(Number); ++i)
        out.push_back(static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i)));
}

void putText(std::vector<unsigned char>& out, const std::string& text, size_t longest)
{
    const size_t length = std::min(text.size(), longest);
    out.push_back(static_cast<unsigned char>(length));
    putBytes(out, text.data(), length);
}

}  // namespace

void appendHeader(std::vector<unsigned char>& out, const ReplayHeader& header)
{
    putBytes(out, kReplayMagic, sizeof kReplayMagic);
    putNumber(out, kReplayFormatVersion);
    putText(out, header.gameVersion, kLongestVersionText);
    putNumber(out, header.picturesDigest);
    putText(out, header.renderer, kLongestRendererText);
    putText(out, header.rendererVersion, kLongestRendererText);
}

void appendCommand(std::vector<unsigned char>& out, const Command& command)
{
    if (command.kind == Command::Kind::MotionStep)
        out.push_back(kStepRecord);
    else if (const std::optional<uint8_t> code = codeOfAction(command.action))
        out.push_back(*code);
}

void appendCheckpoint(std::vector<unsigned char>& out, const Checkpoint& checkpoint)
{
    out.push_back(kCheckpointRecord);
    putNumber(out, checkpoint.frame);
    putNumber(out, checkpoint.width);
    putNumber(out, checkpoint.height);
    putNumber(out, checkpoint.state);
    putNumber(out, checkpoint.picture);
}

void appendEnd(std::vector<unsigned char>& out, uint32_t frames, uint64_t state)
{
    out.push_back(kFinalStateRecord);
    putNumber(out, frames);
    putNumber(out, state);
    out.push_back(kEndRecord);
}

std::optional<uint8_t> codeOfAction(Action action)
{
    for (const ActionCode& row : kActionCodes)
        if (row.action == action)
            return row.code;
    return std::nullopt;
}

std::optional<Action> actionOfCode(uint8_t code)
{
    for (const ActionCode& row : kActionCodes)
        if (row.code == code)
            return row.action;
    return std::nullopt;
}

std::optional<Replay> parseReplay(const unsigned char* bytes, size_t count, std::string& error)
{
    Reader in{bytes, count};
    Replay replay;
    if (!in.has(sizeof kReplayMagic) ||
        std::memcmp(bytes, kReplayMagic, sizeof kReplayMagic) != 0) {
        error = count == 0 ? "the file is empty" : "not a recorded drive of this game";
        return std::nullopt;
    }
    in.at = sizeof kReplayMagic;
    uint16_t version = 0;
    if (!in.number(version)) {
        error = "cut off in its header";
        return std::nullopt;
    }
    if (version != kReplayFormatVersion) {
        error = "recorded in format " + std::to_string(version) + ", this game reads format " +
                std::to_string(kReplayFormatVersion);
        return std::nullopt;
    }
    ReplayHeader& header = replay.header;
    if (!in.text(header.gameVersion, kLongestVersionText) || !in.number(header.picturesDigest) ||
        !in.text(header.renderer, kLongestRendererText) ||
        !in.text(header.rendererVersion, kLongestRendererText)) {
        error = "its header is cut off or damaged";
        return std::nullopt;
    }
    uint32_t frames = 0;
    uint32_t checkpointFrames = 0;  // frames at the last checkpoint
    size_t lastWhole = in.at;       // where the last complete second ends
    // The pause, as far as the records tell it: a paused game hears only pause and New, and
    // moves, steps and draws nothing. (New plays on only after a wreck, which the records alone
    // cannot tell: after a New of a paused game they are taken as they come.)
    enum class Pause { Playing, Pausing, Paused, Unknown } pause = Pause::Playing;
    while (in.at < count) {
        const size_t where = in.at;
        uint8_t code = 0;
        in.number(code);
        if (code == kEndRecord) {
            if (replay.records.empty() || replay.records.back() != kFinalStateRecord) {
                error =
                    "an end without the state the drive ended in, at byte " + std::to_string(where);
                return std::nullopt;
            }
            if (in.at != count) {
                error = "bytes after the end of the drive, at byte " + std::to_string(in.at);
                return std::nullopt;
            }
            replay.finished = true;
            lastWhole = count;
            break;
        }
        const std::optional<Action> action = actionOfCode(code);
        if (pause == Pause::Paused &&
            (code == kFrameRecord || code == kStepRecord ||
             (action && *action != Action::Pause && *action != Action::NewCar))) {
            error = "a record of a paused game at byte " + std::to_string(where);
            return std::nullopt;
        }
        if (code == kFrameRecord) {
            ++frames;
            if (frames - checkpointFrames > kFramesPerCheckpoint) {
                error = "a second without its checkpoint at byte " + std::to_string(where);
                return std::nullopt;
            }
            if (pause == Pause::Pausing)
                pause = Pause::Paused;
        } else if (action == Action::Pause) {
            if (pause != Pause::Unknown)
                pause = pause == Pause::Playing ? Pause::Pausing : Pause::Playing;
        } else if (action == Action::NewCar && pause == Pause::Paused) {
            pause = Pause::Unknown;
        } else if (code == kFinalStateRecord) {
            Checkpoint c{};
            if (!in.number(c.frame) || !in.number(c.state) || c.frame != frames || !in.has(1) ||
                bytes[in.at] != kEndRecord) {
                error = "a damaged last state at byte " + std::to_string(where);
                return std::nullopt;
            }
            replay.checkpoints.push_back(c);
        } else if (code == kCheckpointRecord) {
            Checkpoint c{};
            if (!in.number(c.frame) || !in.number(c.width) || !in.number(c.height) ||
                !in.number(c.state) || !in.number(c.picture)) {
                error = "cut off in a checkpoint at byte " + std::to_string(where);
                return std::nullopt;
            }
            // After every 60th frame, as the game writes them, of a view a window can have.
            if (c.frame != frames || frames != checkpointFrames + kFramesPerCheckpoint ||
                c.width == 0 || c.height == 0 || c.width > kLargestWindowSide ||
                c.height > kLargestWindowSide) {
                error = "a damaged checkpoint at byte " + std::to_string(where);
                return std::nullopt;
            }
            replay.checkpoints.push_back(c);
            checkpointFrames = frames;
            lastWhole = in.at;
        } else if (code != kStepRecord && !action) {
            error = "an unknown record at byte " + std::to_string(where);
            return std::nullopt;
        }
        replay.records.push_back(code);
    }
    if (lastWhole != count) {
        error = "cut off at byte " + std::to_string(count) + ", in the middle of a second";
        return std::nullopt;
    }
    return replay;
}

std::optional<Replay> readReplayFile(const std::string& path, std::string& error)
{
    const FileContents file = readPlainFile(path, kLargestDrive);
    switch (file.trouble) {
        case FileTrouble::None:
            break;
        case FileTrouble::CannotOpen:
            error = std::strerror(file.error);
            return std::nullopt;
        case FileTrouble::Folder:
        case FileTrouble::NotPlain:
            error = "not a plain file";
            return std::nullopt;
        case FileTrouble::TooLarge:
            error =
                "larger than any recorded drive (" + std::to_string(kLargestDrive >> 20) + " MiB)";
            return std::nullopt;
        case FileTrouble::CannotRead:
            error = "could not be read to its end";
            return std::nullopt;
    }
    return parseReplay(reinterpret_cast<const unsigned char*>(file.bytes.data()), file.bytes.size(),
                       error);
}
