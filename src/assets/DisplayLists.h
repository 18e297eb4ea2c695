// The game's display lists: the map and the dashboard's speedometer needle, compiled at start-up
// (the needle again when the pixel scale changes) and called by every frame.
// The car and the dashboard's panel are vertex arrays instead (ShapeArrays). The names are fixed,
// given here and nowhere else, never asked of glGenLists: the game has always used these, with gaps
// where lists were dropped.
#pragma once

enum DisplayList : unsigned {
    kMapList = 2,          // the map: border, ground, blocks, river, roads, bridges, patches
    kSpeedNeedleList = 5,  // the speedometer needle, pointing left from its hub
};
