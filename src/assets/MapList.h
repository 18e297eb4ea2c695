// The map's display list: border, ground, blocks, river, roads, bridges and road patches.
#pragma once

#include "assets/DisplayLists.h"

enum class Quadrant { LowerLeft, LowerRight, UpperLeft, UpperRight };

void buildMapList();  // compile kMapList on the desktop (prints its progress line)
void drawMap();       // the map from its list (the browser: its calls each frame)
void drawBorder();    // the dark ring, 2 units wide, around the ground; texturing off
void drawGround();    // the 280-unit square of dirt; texturing on
void drawBlocks();    // the buildings and walls, each its picture once; texturing on
void drawTexturedRect(float x1, float y1, float x2,
                      float y2);  // one textured quad, texture stretched once
void drawPlainRect(float x1, float y1, float x2, float y2);  // one quad in the current colour
void drawRoundedCorner(float centreX, float centreY, Quadrant quadrant);  // quarter disc, radius 15
void drawWaterStrip();       // the river across the whole map
void drawRoadNetwork();      // the 34 grey road pieces
void drawBridgesAndZones();  // railings with their tips, then the six road patches
