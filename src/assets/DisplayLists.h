// The game's display list: the map, compiled at start-up and called by every frame.
// The car and the dashboard's panel are vertex arrays instead (ShapeArrays), the needles are drawn
// each frame. The name is fixed, given here and nowhere else, never asked of glGenLists: the game
// has always used it.
#pragma once

enum DisplayList : unsigned {
    kMapList = 2,  // the map: border, ground, blocks, river, roads, bridges, patches
};
