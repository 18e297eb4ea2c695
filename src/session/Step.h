// A frame of the game, first half: the rules. step changes the state and nothing else; drawing
// (session/Draw.h) then only shows it. So the rules run without a window: in tests, when a
// recorded drive is checked, and behind a hidden window.
#pragma once

#include <vector>

#include "session/Commands.h"
#include "session/GameState.h"

// Applies the commands in their order, then plays a frame unless the game is paused: the car
// and its exhaust as the frame shows them, the world's rules with their bursts, the gauges, and
// every random number of the frame, in that order. An action the game does not hear now (the
// car's controls while paused, the program's own actions) is left out; `applied` receives the
// commands that took effect, a pad's gear shift as the gear it came to. Returns whether a frame
// was played.
bool step(GameState& state, const std::vector<Command>& input,
          std::vector<Command>* applied = nullptr);
// The commands alone, as step applies them before its frame: what a game that ends between two
// frames has heard since the last one.
void applyCommands(GameState& state, const std::vector<Command>& input,
                   std::vector<Command>* applied = nullptr);
// The action now, as step applies it; false when the game does not hear it now. A gear shift is
// `applied` (if given) as the gear it came to; no gear past either end.
bool applyAction(GameState& state, Action action, Action* appliedAs = nullptr);
// Whether step plays a frame after these commands: the game is not paused, or they play on.
bool framePlays(const GameState& state, const std::vector<Command>& input);
// Whether the car takes a motion step before the next frame, after these commands: the frame is
// played, and the car is no wreck waiting for New.
bool motionStepDue(const GameState& state, const std::vector<Command>& input);
