// The game shell: start-up, the window's callbacks and the order of work in each frame.
#pragma once

#include <string>

class Car;
class FramePacer;

extern int viewportWidth;         // window width in pixels, as last given to reshape
extern int viewportHeight;        // window height in pixels, as last given to reshape
extern bool windowShown;          // the window can be seen: mapped and not wholly covered
extern bool frameDrawnSinceStep;  // a frame was drawn since the car's last motion step
extern FramePacer framePacer;     // the 1/60 s slots of the game's paced frames

// Banner, window, callbacks, graphics, then the main loop for good.
int runGame(int argc, char** argv);
// Mouse, keys (arrows held down repeat at the game's pace) and the window's visibility.
void registerInputCallbacks();
// Textures from `pictureFolder`, display lists, the fixed GL state.
void initGraphics(const std::string& pictureFolder);
void buildDisplayLists();             // car list, dashboard lists, map list, in that order
void display();                       // one frame: map, car, world rules, dashboard, swap
void pacedDisplay();                  // display's frame, finished, shown at its 1/60 s slot
void reshape(int width, int height);  // the fixed -50..50 view over the whole window
void idle();                          // one motion step of the car per frame drawn; else waits
void windowStatus(int state);         // the window shown, hidden or covered
void drawScene(Car car);              // the map shifted under the car's view centre
