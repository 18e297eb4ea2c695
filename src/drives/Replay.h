// Recorded drives. The game is deterministic: one motion step per frame, a random sequence that
// is never seeded, exact single-precision arithmetic. So a drive is the commands each frame's
// step applied: the player's actions in their places among the motion steps and frames;
// recorded, it can be watched again, or checked against the game, frame for frame. The file
// format is in docs/replay-format.md.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drives/DriveCheck.h"
#include "drives/ReplayFile.h"
#include "session/Commands.h"
#include "session/GameState.h"

// Showing: the whole file is read and checked before the window opens; it then plays at the
// game's own pace, exactly as it is checked (its own pauses too), and the player takes over the
// car where it stands at its end.
std::optional<std::string> openReplay(const std::string& path);  // why it cannot be, if so
bool replayShowing();  // a recording is being shown: the player's driving is not heard
// The shown drive's commands up to its next frame, after `input`; none while it is held. `game`
// is the game it is shown in, as the drive's frames so far have left it.
void feedShownDrive(const GameState& game, std::vector<Command>& input);
// The shown drive is checked as `tarvelo --check` checks it: the game after each of its frames
// against the state recorded there, and the state it ends in. The checkpoints found alike so
// far, or -1 once one differs.
int shownDriveAgreement();
void holdShownDrive();  // the watcher's pause: the drive held still, or on again
bool shownDriveHeld();

// Checking (drives/DriveCheck.h): the checkpoints' pictures drawn in the current GL window, which
// takes each checkpoint's size.
CheckpointPictures& windowPictures();
