// A frame of the game, second half: the picture of a state, which drawing only reads. Drawing a
// state twice gives the same picture, and not drawing it changes nothing of the game.
#pragma once

#include <string>

#include "session/GameState.h"
#include "session/View.h"

void initGraphics(const std::string& pictureFolder);  // textures, shapes, fixed GL state
void buildShapes();  // car arrays, dashboard panel arrays and lists, map list, in that order
// The frame as the state's last frame left it: the map (in the time trial with its gates, the next
// one highlighted), the car, the burst, the dashboard, and "Press New" over a wreck, "PAUSED" over
// a paused game and the time trial's clock.
void drawGame(const GameState& state, const PictureArea& area);
void drawScene(float viewX, float viewY);  // the map shifted by minus the view centre

// The ghost's car where its game has it, seen from the player's view: its paint at `opacity`
// (translucent, as a ghost is), over the map's part of the picture. Drawn over a frame, not in it.
constexpr float kGhostOpacity = 0.5f;
void drawGhost(const GameState& ghost, const GameState& player, const PictureArea& area,
               float opacity = kGhostOpacity);

// The time trial's words: a time in frames as seconds and hundredths ("23.45"), and a split, the
// frames behind (+) or ahead (-) of another lap, likewise ("+0.52", "-0.31").
std::string lapTimeText(uint32_t frames);
std::string splitText(int64_t framesBehind);
// For a while after the time trial passed a gate, its split against `against` (a lap to compare
// with, or none), green when ahead and red when behind; after the finish, the lap's time with
// its split. Drawn over a frame, not in it: the lap compared with is not the game's state.
void drawSplit(const TimeTrial& trial, const LapTimes* against, const PictureArea& area);
