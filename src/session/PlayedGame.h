// The one game this program plays, and what has come for it since its last frame: the devices'
// actions and the car's motion steps, which the next frame's step applies in their order.
#pragma once

#include <vector>

#include "session/Commands.h"
#include "session/GameState.h"

GameState& playedGame();
void queueCommand(Command command);      // after those queued before it
std::vector<Command>& queuedCommands();  // for the next frame's step, which empties it
