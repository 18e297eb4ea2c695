// Short notices over the map, white on a black box: "PAUSED", "Press New", "REPLAY".
#pragma once

#include "session/View.h"

// A notice's box, in view coordinates: over the map, clear of the panel.
struct NoticeBox {
    float left, bottom, right, top;
};
constexpr NoticeBox kPausedBox = {-2.0f, 17.0f, 22.0f, 25.0f};      // above the car
constexpr NoticeBox kPressNewBox = {-2.0f, -25.0f, 22.0f, -17.0f};  // below the wreck
constexpr NoticeBox kReplayBox = {26.0f, 40.0f, 46.0f, 48.0f};      // the top right corner

// The box, the text centred in it, in a picture of this area.
void drawNotice(const char* text, const NoticeBox& box, const PictureArea& area);
