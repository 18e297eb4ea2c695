// The ghost: the best lap driven again beside the player, by a game state of its own fed from the
// lap's drive, frame for frame from the lap's start. It meets nothing of the player's game: no
// collision, no sound, no particles drawn; only its car is drawn, translucent.
#pragma once

#include <optional>

#include "drives/BestLap.h"
#include "session/GameState.h"

void useGhostLap(
    std::optional<BestLap> lap);  // the lap the ghost drives from now on; none: no ghost
void startGhostLap();  // the player's lap began: the ghost stands where its own lap began
void stepGhost();      // a frame of the player's: the ghost's next frame, until its lap is done
void stopGhost();      // the player's lap ended without a finish: the ghost is gone
const GameState* ghostShown();  // the ghost's game while it drives its lap, else null
