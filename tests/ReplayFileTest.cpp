// The reader of recorded drives against drives no game records: each is refused with its reason
// and the byte where it goes wrong, and what the game does record is read.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "drives/ReplayFile.h"

namespace {

struct Drive {
    std::vector<unsigned char> bytes;
    size_t marked = 0;  // where the record after a "!" begins
    uint32_t frames = 0;
};

void put(Drive& drive, uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        drive.bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void putText(Drive& drive, const std::string& text)
{
    drive.bytes.push_back(static_cast<unsigned char>(text.size()));
    drive.bytes.insert(drive.bytes.end(), text.begin(), text.end());
}

void putCheckpoint(Drive& drive, uint16_t width)
{
    drive.bytes.push_back(kCheckpointRecord);
    put(drive, drive.frames, 4);
    put(drive, width, 2);
    put(drive, 768, 2);
    put(drive, 0x1234, 8);  // the digests are the check's business, not the reader's
    put(drive, 0x5678, 8);
}

// A drive from a header and its records, written as words: "60F" is sixty times a motion step
// and a frame; s a step, f a frame, u Up, p pause, n New, c a checkpoint of the frames so far, w
// one of a view wider than any window, e the last state and the end. "!" marks a record.
Drive driveOf(const std::string& records)
{
    Drive drive;
    drive.bytes.assign(kReplayMagic, kReplayMagic + sizeof kReplayMagic);
    put(drive, kReplayFormatVersion, 2);
    putText(drive, "0.3");
    put(drive, 0, 8);
    putText(drive, "llvmpipe");
    putText(drive, "1.4 Mesa");
    std::istringstream words(records);
    for (std::string word; words >> word;) {
        if (word[0] == '!') {
            drive.marked = drive.bytes.size();
            word.erase(0, 1);
        }
        const int times = word.size() > 1 ? std::stoi(word) : 1;
        for (int i = 0; i < times; ++i) {
            switch (word.back()) {
                case 'F':
                    drive.bytes.push_back(kStepRecord);
                    [[fallthrough]];
                case 'f':
                    drive.bytes.push_back(kFrameRecord);
                    ++drive.frames;
                    break;
                case 's':
                    drive.bytes.push_back(kStepRecord);
                    break;
                case 'u':
                    drive.bytes.push_back(*codeOfAction(Action::Accelerate));
                    break;
                case 'p':
                    drive.bytes.push_back(*codeOfAction(Action::Pause));
                    break;
                case 'n':
                    drive.bytes.push_back(*codeOfAction(Action::NewCar));
                    break;
                case 'c':
                    putCheckpoint(drive, 1024);
                    break;
                case 'w':
                    putCheckpoint(drive, 16385);
                    break;
                case 'e':
                    drive.bytes.push_back(kFinalStateRecord);
                    put(drive, drive.frames, 4);
                    put(drive, 0x1234, 8);
                    drive.bytes.push_back(kEndRecord);
                    break;
                default:
                    ADD_FAILURE() << "no record is written " << word;
            }
        }
    }
    return drive;
}

TEST(ReplayFileTest, RefusesWhatNoRecordingHoldsAndReadsWhatOneDoes)
{
    // The reason, with {at} for the marked record's byte and {end} for the file's size; empty
    // for a drive that is read.
    const struct {
        const char* records;
        const char* reason;
    } drives[] = {
        {"60F c 60F c e", ""},
        {"60F c 10F", "cut off at byte {end}, in the middle of a second"},
        // Paused, a game hears pause and New only, and draws no frame and takes no step.
        {"60F c u p p 60F c e", ""},  // paused and on again before a frame
        {"60F c p f !u p 59F c e", "a record of a paused game at byte {at}"},
        {"60F c p f !s p 59F c e", "a record of a paused game at byte {at}"},
        {"60F c p f !f p 58F c e", "a record of a paused game at byte {at}"},
        {"60F c p f p 59F c e", ""},
        {"60F c p f n u 59F c e", ""},  // New for a wreck plays on: the records cannot tell
        // A checkpoint after every 60th frame and there only, of a view a window can have.
        {"60F s !f 59F c e", "a second without its checkpoint at byte {at}"},
        {"!c 60F c e", "a damaged checkpoint at byte {at}"},
        {"60F c !c e", "a damaged checkpoint at byte {at}"},
        {"30F !c 30F c e", "a damaged checkpoint at byte {at}"},
        {"60F !w e", "a damaged checkpoint at byte {at}"},
    };
    for (const auto& row : drives) {
        const Drive drive = driveOf(row.records);
        std::string reason = row.reason;
        if (const size_t at = reason.find("{at}"); at != std::string::npos)
            reason.replace(at, 4, std::to_string(drive.marked));
        if (const size_t end = reason.find("{end}"); end != std::string::npos)
            reason.replace(end, 5, std::to_string(drive.bytes.size()));
        std::string error;
        const std::optional<Replay> replay =
            parseReplay(drive.bytes.data(), drive.bytes.size(), error);
        EXPECT_EQ(replay ? "" : error, reason) << row.records;
        if (replay) {
            EXPECT_TRUE(replay->finished) << row.records;
        }
    }
}

}  // namespace
