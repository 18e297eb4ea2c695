// The game's display lists: the dashboard's needle and text labels, compiled at start-up (and
// again when the pixel scale changes) and called by every frame. The map, the car and the panel
// are vertex arrays instead (ShapeArrays). The names are fixed, given here and nowhere else, never
// asked of glGenLists: the game has always used these, with gaps where lists were dropped.
#pragma once

enum DisplayList : unsigned {
    kSpeedNeedleList = 5,    // the speedometer needle, pointing left from its hub
    kRevLabelList = 6,       // "rev / min"
    kSpeedLabelList = 7,     // "km / h"
    kDamageLabelList = 9,    // "DAMAGE"
    kGearboxLabelList = 12,  // "GEARBOX"
};
