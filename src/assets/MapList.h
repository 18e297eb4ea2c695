// The map's display list: border, ground, blocks, river, roads, bridges and road patches; and
// each of its parts painted at once, as the list must show them.
#pragma once

#include "assets/DisplayLists.h"

void buildMapList();  // compile kMapList (prints its progress line); textures loaded
void drawMap();       // the map from its list; leaves blending on, texturing off
void drawBorder();    // the dark ring, 2 units wide, around the ground; texturing off
void drawGround();    // the 280-unit square of dirt; texturing on
void drawBlocks();    // the buildings and walls, each its picture once; texturing on
void drawPlainRect(float x1, float y1, float x2, float y2);  // one quad in the current colour
void drawWaterStrip();                                       // the river across the whole map
void drawRoadNetwork();                                      // the 34 grey road pieces
void drawBridgesAndZones();  // railings with their tips, then the six road patches
