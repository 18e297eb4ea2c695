// The dashboard at the left of the screen: panel, labels, gear gate, damage bar and dials.
#pragma once

#include <optional>

#include "assets/Textures.h"

class Car;

// One corner of a dashboard shape, in view coordinates (-50..50, y up).
struct PanelPoint {
    float x;
    float y;
};

// The panel is opaque from the window's left edge to here, top to bottom: nothing drawn under it
// shows.
constexpr float kPanelRight = -30.0f;

// The damage bar when the car is intact: right end at -33, left end fixed at -47.
constexpr PanelPoint damageBarStart[4] = {
    {-33.0f, -28.0f},
    {-47.0f, -28.0f},
    {-47.0f, -30.0f},
    {-33.0f, -30.0f},
};

// The dashboard's two buttons, each one row read both by the panel's drawing and by the hit
// test of a pointer press; in view coordinates, bounds inclusive.
enum class PanelButtonKind { New, Quit };
struct PanelButton {
    PanelButtonKind kind;
    TextureSlot texture;  // the button's picture, drawn over the whole rectangle
    float left, bottom, right, top;
};
constexpr int kPanelButtons = 2;
extern PanelButton panelButtons[kPanelButtons];  // New, then Quit 15 units below it

// The live gauges, as the frame's rules leave them for the dashboard to show. The gauges keep
// them from game to game: New brings a fresh car, not a fresh dashboard.
struct Gauges {
    // The damage bar; points 0 and 3 carry its moving right end.
    PanelPoint damageBar[4] = {damageBarStart[0], damageBarStart[1], damageBarStart[2],
                               damageBarStart[3]};
    float angle1 = 0.0f;  // rev-meter needle, degrees clockwise from pointing left
    float red = 0.0f;     // rev-meter needle red: 1 while capped at 89.9, else 0
    float angle2 = 0.0f;  // speedometer needle, degrees clockwise from pointing left
};

void toolbarObjects();  // build the panel's arrays, compile the needle's list; prints progress
// The frame's work of the gauges: the damage, then the rev meter, then the speedometer.
void updateGauges(Car& car, Gauges& gauges);
void toolbarDamage(Car& car, Gauges& gauges);  // frame's damage into the car's condition and bar
void toolbarRevMeter(const Car& car, Gauges& gauges);    // mean speed against the gear's target;
                                                         // red when capped
void toolbarSpeedMeter(const Car& car, Gauges& gauges);  // mean speed against full scale
void drawToolBar(const Car& car, const Gauges& gauges);  // panel, labels, gate, bar and dials
void toolbarGearBox(const Car& car);                     // knob at the gear's slot end
void circleVertexLoop(float size, unsigned sides);  // disc vertices around (0, 0), anticlockwise
std::optional<PanelButtonKind> panelButtonAt(double x, double y);  // the button at a view point
