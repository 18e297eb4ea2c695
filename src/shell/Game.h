// The game shell: start-up, the window's callbacks and the order of work in each frame.
#pragma once

#include <string>

class Car;
class FramePacer;

extern int viewportWidth;         // the picture's width in pixels: the window's, or its 4:3 middle
extern int viewportHeight;        // the picture's height in pixels
extern bool windowShown;          // the window can be seen: mapped and not wholly covered
extern bool frameDrawnSinceStep;  // a frame was drawn since the car's last motion step
extern FramePacer framePacer;     // the 1/60 s slots of the game's paced frames

// The game's picture in the window: the whole window; or, with the proportions kept, the largest
// 4:3 rectangle in its middle, with bars in the colour beyond the map's border beside it.
extern bool aspectKept;     // --aspect=keep: the picture keeps the 4:3 proportions it was drawn in
extern int windowWidth;     // pixels, as last given to reshape
extern int windowHeight;    // pixels, as last given to reshape
extern int viewportLeft;    // pixels from the window's left edge to the picture's
extern int viewportBottom;  // pixels from the window's bottom edge to the picture's
// Pixels from the window's bottom edge to the picture as it is drawn, before it is moved to its
// place: at the window's top left corner, where a window of the picture's size has its own.
extern int pictureDrawnBottom;

constexpr float kViewHalfSize = 50.0f;  // the view spans -50..50 world units on both axes

// A point in the view's coordinates (x right, y up, -50..50 across the whole picture).
struct ViewPoint {
    double x, y;
};
ViewPoint viewPointAtPixel(int x, int y);  // the centre of a window pixel counted from the top left
double viewUnitsPerPixel();                // the view's width of one pixel column

// Banner, window, callbacks, graphics, then the main loop for good.
int runGame(int argc, char** argv);
// Every part of the game back to its start, as New after a wreck brings it: the car at its start
// values, the explosion armed afresh, playing (not paused), nothing held, the motion step on, the
// sound of the wreck let go.
void newGame();
// Textures from `pictureFolder`, display lists, the fixed GL state.
void initGraphics(const std::string& pictureFolder);
void buildDisplayLists();  // car list, dashboard lists, map list, in that order
void display();            // one frame: map, car, world rules, dashboard, swap
void drawFrame();     // a frame's work and drawing, not yet shown: map, car, world rules, dashboard
void pacedDisplay();  // display's frame, finished, shown at its 1/60 s slot
void reshape(int width, int height);  // the fixed -50..50 view over the picture in the window
void idle();                          // one motion step of the car per frame drawn; else waits
void motionStep();        // the held actions' due steps, then the car's move along its heading
void drawScene(Car car);  // the map shifted under the car's view centre
// F11 and Alt+Enter: full screen, or the window of --window, from the next frame on; the game
// goes on where it stands.
void switchWindowMode();
