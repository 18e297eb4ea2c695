// The game's display lists: the name each is compiled into at start-up and called by every frame.
// The names are fixed, given here and nowhere else, never asked of glGenLists: the game has always
// used these, with gaps where lists were dropped.
#pragma once

enum DisplayList : unsigned {
    kCarList = 1,            // the car: textured body and four black wheels, in car coordinates
    kMapList = 2,            // the map: border, ground, blocks, river, roads, bridges, patches
    kPanelList = 3,          // the dashboard's static panel: frame, logo, buttons, gear gate
    kSpeedNeedleList = 5,    // the speedometer needle, pointing left from its hub
    kRevLabelList = 6,       // "rev / min"
    kSpeedLabelList = 7,     // "km / h"
    kDamageLabelList = 9,    // "DAMAGE"
    kGearboxLabelList = 12,  // "GEARBOX"
};
