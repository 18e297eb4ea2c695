// A frame of the game, second half: the picture of a state, which drawing only reads. Drawing a
// state twice gives the same picture, and not drawing it changes nothing of the game.
#pragma once

#include <string>

#include "session/GameState.h"
#include "session/View.h"

void initGraphics(const std::string& pictureFolder);  // textures, display lists, fixed GL state
void buildDisplayLists();  // car list, dashboard lists, map list, in that order
// The frame as the state's last frame left it: the map, the car, the burst, the dashboard, and
// "Press New" over a wreck and "PAUSED" over a paused game.
void drawGame(const GameState& state, const PictureArea& area);
void drawScene(float viewX, float viewY);  // the map shifted by minus the view centre
