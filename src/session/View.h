// The view the game is drawn in: -50..50 world units across, whatever the window's size, and
// where its picture lies in the window.
#pragma once

constexpr float kViewHalfSize = 50.0f;  // the view spans -50..50 world units on both axes

// Where the game's picture is drawn in the window, in pixels: its size, and its bottom row.
struct PictureArea {
    int width = 1;
    int height = 1;
    int bottom = 0;
};
