// The game's window: its size, the picture's place in it, full screen or a window, and the
// view's coordinates of its pixels. Screen facts, kept apart from the game's state.
#pragma once

#include <optional>
#include <string>

#include "session/Draw.h"

constexpr int kWindowWidth = 1024;  // the window of --window, pixels
constexpr int kWindowHeight = 768;
constexpr int kLargestWindowSide = 16384;  // pixels: what renderers draw into, at the least

// The window asked for with X's -geometry WxH+X+Y: a size, a position, or both.
struct WindowGeometry {
    int width = 0, height = 0;  // pixels; 0 where no size was given
    bool placed = false;        // a position was given
    int x = 0, y = 0;           // pixels from the screen's left and top edges (or right and
    bool fromRight = false;     // bottom edges, for -X and -Y)
    bool fromBottom = false;
};

// The game's picture in the window: the whole window; or, with the proportions kept, the largest
// 4:3 rectangle in its middle, with bars in the colour beyond the map's border beside it.
extern bool aspectKept;     // --aspect=keep: the picture keeps the 4:3 proportions it was drawn in
extern int windowWidth;     // pixels, as last given to reshape
extern int windowHeight;    // pixels, as last given to reshape
extern int viewportWidth;   // the picture's width in pixels: the window's, or its 4:3 middle
extern int viewportHeight;  // the picture's height in pixels
extern int viewportLeft;    // pixels from the window's left edge to the picture's
extern int viewportBottom;  // pixels from the window's bottom edge to the picture's
// Pixels from the window's bottom edge to the picture as it is drawn, before it is moved to its
// place: at the window's top left corner, where a window of the picture's size has its own.
extern int pictureDrawnBottom;
extern bool windowShown;  // the window can be seen: mapped and not wholly covered

PictureArea pictureArea();  // the picture as it is drawn: its size and its bottom row

// A point in the view's coordinates (x right, y up, -50..50 across the whole picture).
struct ViewPoint {
    double x, y;
};
ViewPoint viewPointAtPixel(int x, int y);  // the centre of a window pixel counted from the top left
double viewUnitsPerPixel();                // the view's width of one pixel column

void reshape(int width, int height);  // the fixed -50..50 view over the picture in the window
// A picture filling a window of its own size, as the recording's window drew it: the pictures of
// a recorded drive being checked.
void placeWholePicture(int width, int height);
std::string glText(unsigned name);  // a string of the renderer's: GL_RENDERER, GL_VERSION
bool windowOversized();             // larger than the renderer can draw: nothing is drawn into it
// With the proportions kept, the picture drawn at the window's corner moved to its place, and
// the bars around it cleared.
void showPictureInItsPlace();

// The window of --window or -geometry, also the one F11 goes back to from full screen: its size,
// then its place, for the window about to be created.
void sizeWindow(const std::optional<WindowGeometry>& asked);
void placeWindow(const std::optional<WindowGeometry>& asked);
void askFullScreen(bool fullScreen);  // as the game starts: full screen or the window
// F11 and Alt+Enter: full screen, or the window of --window, from the next frame on; the game
// goes on where it stands.
void switchWindowMode();
void followWindowMode();  // once a frame, before it is drawn: the window as last asked for
