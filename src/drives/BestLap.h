// The time trial's best lap, kept on disk as a recorded drive (docs/replay-format.md): the drive
// from the switch into the time trial to the frame its lap ended in. A new best is written to a
// file of its own beside the old one and renamed into its place, so that a game killed at any
// moment leaves the old best or the new one, never neither.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drives/ReplayFile.h"
#include "session/GameState.h"

// $XDG_DATA_HOME/tarvelo/best-lap.rec, else ~/.local/share/tarvelo/best-lap.rec; "" without a
// home folder.
std::string bestLapFile();

struct BestLap {
    Replay drive;           // as read, checked against the game
    LapTimes times;         // its lap: the whole lap's frames and each gate's
    uint32_t lapStart = 0;  // the frames of the drive before its lap's first frame
};
// The lap a drive ends with, once the drive checks against the game; else why not.
std::optional<BestLap> lapOfDrive(Replay drive, std::string& why);
// The best lap kept in `path`: nothing for no file; one warning for a file that cannot be used
// (damaged, of something else, or not checking against the game), which is then left alone.
std::optional<BestLap> readBestLap(const std::string& path);
// `bytes` as the new best lap in `path`, its folder made if missing; one warning, and the old
// best as it was, where it cannot be written.
bool writeBestLap(const std::string& path, const std::vector<unsigned char>& bytes);

// The time trial's drive, kept as it goes from its switch on, after each frame is drawn (its
// checkpoints keep the frame's picture) and before anything is drawn over it.
void keepLapDrive(const std::vector<Command>& applied, bool framePlayed, const GameState& game);
// The drive kept so far as a whole file that ends with the game's state now; empty if none.
std::vector<unsigned char> keptLapDrive(const GameState& game);
