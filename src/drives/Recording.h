// Recording a drive as the game goes (docs/replay-format.md). The file is written a whole second
// at a time, and a drive is never lost: a game killed, a signal, a full disk or a second game
// leave the file ending at its last whole second, or as it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drives/ReplayFile.h"
#include "session/Commands.h"
#include "session/GameState.h"

// Checked before the window opens: why the file cannot be recorded into, if so. Only the file
// named is ever written: not what a link points at, not a folder or a pipe, not a file of
// something else, and not a file another game is recording into.
std::optional<std::string> openRecording(const std::string& path);
// The header, once the pictures are read and the renderer is known; the game is the one whose
// last state the recording ends with.
void beginRecording(const GameState& game);
// What a step applied and whether it played a frame, after that frame is drawn (a checkpoint
// keeps its picture) and before anything else is drawn over it.
void recordStep(const std::vector<Command>& applied, bool framePlayed, const GameState& game);
uint64_t pictureDigest();        // the drawn view's pixels, as checkpoints keep them
ReplayHeader thisGamesHeader();  // this game's version, its pictures and its renderer
// The checkpoint after this many frames: the view's size, the state's and the picture's digests.
Checkpoint checkpointOf(uint32_t frames, const GameState& game);
