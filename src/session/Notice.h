// Short notices over the map, white (or coloured) on a black box: "PAUSED", "Press New",
// "REPLAY", the time trial's clock and splits.
#pragma once

#include <string>
#include <vector>

#include "session/View.h"

// A notice's box, in view coordinates: over the map, clear of the panel.
struct NoticeBox {
    float left, bottom, right, top;
};
constexpr NoticeBox kPausedBox = {-2.0f, 17.0f, 22.0f, 25.0f};      // above the car
constexpr NoticeBox kPressNewBox = {-2.0f, -25.0f, 22.0f, -17.0f};  // below the wreck
constexpr NoticeBox kReplayBox = {26.0f, 40.0f, 46.0f, 48.0f};      // the top right corner
constexpr NoticeBox kLapClockBox = {-26.0f, 40.0f, -6.0f, 48.0f};   // the top left of the map
constexpr NoticeBox kSplitBox = {-26.0f, 31.0f, 2.0f, 39.0f};       // below the lap's clock

// The colour of a notice's words.
struct TextColour {
    float red, green, blue;
};
constexpr TextColour kWhiteText = {1.0f, 1.0f, 1.0f};

// The box, the text centred in it, in a picture of this area.
void drawNotice(const char* text, const NoticeBox& box, const PictureArea& area,
                const TextColour& colour = kWhiteText);
// The lines from the box's top left corner down, in a smaller font, on as much of the box as
// they need: a table to read.
void drawNoticeLines(const std::vector<std::string>& lines, const NoticeBox& box,
                     const PictureArea& area);
