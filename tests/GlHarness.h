// Test harness: the real game window on the virtual X server, with frames run by the test.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/GameState.h"
#include "shell/Game.h"

namespace harness {

constexpr int kWindowWidth = 1024;  // the window fills the virtual screen as the game's does
constexpr int kWindowHeight = 768;

struct Colour {
    int red, green, blue;  // 0..255 as read back from the screen
};

// The folder of the game's own pictures in the source tree.
std::string dataFolder();

// Finds the X server for the tests and puts it in DISPLAY; returns why there is none, or "".
std::string findTestDisplay();

// A test program whose window needs a larger screen than the tests' own 1024 x 768 declares one,
// once, at namespace scope: its tests then run on a bare virtual X server of that size that the
// program starts for itself and stops as it ends.
struct OwnScreen {
    OwnScreen(int width, int height);
};

// Resizes the game window and waits until the X server has done it (a bare server does it at
// once), then gives the game the new size as GLUT would. The renderer makes its buffers anew
// after the first frame that follows: that frame shows, but only later ones stay in the back
// buffer to be read.
void resizeWindow(int width, int height);

// Opens the window, runs the game's own graphics start-up and the fixed view. Called once by main,
// where findTestDisplay found a server.
void openGameWindow(int* argc, char** argv);

// The game the window plays, which the callbacks and display() reach.
GameState& game();

// Starts the played game afresh, as the program starts it: nothing queued or held, the idle step
// installed.
void resetGame();

// One frame of the real display callback, then a check that it raised no GL error.
void runFrame();

// What the devices have queued for the next frame applied to the game at once, without a frame,
// as the frame's step would begin.
void applyQueuedCommands();

// Where a view coordinate (-50..50, x to the right or y up) lies on a side of `pixels` pixels:
// in pixels from the left or the bottom edge, and the pixel whose area holds it. (From the top, a
// mouse's rows: the view's y turned over, -y.)
double viewToPixels(double coordinate, int pixels);
int pixelOfView(double coordinate, int pixels);

// The colour drawn by the last frame at view coordinates (x, y in -50..50, y up).
Colour colourAt(float x, float y);

// True when every channel lies within `tolerance` of the expected one.
bool near(Colour c, int red, int green, int blue, int tolerance = 3);

std::string describe(Colour c);  // "(r, g, b)" for failure messages

// Expects the last frame's colour at view coordinates (x, y) within 3 of `expected` per channel.
void expectColourAt(float x, float y, Colour expected);

// Puts the car's view centre at (x, y) and its 10 x 10 box with it: x + 5..15, y - 5..5.
void placeCar(float x, float y);

// Expects every field of the played car, and its heading in radians, at the start values.
void expectCarAtStartValues();

// Expects `draw` to leave the modelview matrix exactly as it found it (under a non-trivial one).
void expectModelviewKeptBy(void (*draw)());

// The window's pixels as the last frame drew them (its back buffer, finished): RGB rows, bottom
// row first, of the area from the bottom left corner.
std::vector<unsigned char> windowPicture(int width = kWindowWidth, int height = kWindowHeight);

// What GL receives from `draw` in feedback mode (GL_3D_COLOR): the tokens and values, in order.
std::vector<float> feedbackOf(const std::function<void()>& draw, int capacity = 1 << 16);

// A drive laid out in frames, the game's own pace, whatever time they take on this machine: the
// cues, each done once the frame with its number (the first is 1) has been shown, in the order
// given; and what is noted after every frame, before its cues: what the frame showed.
using Cues = std::multimap<int, std::function<void()>>;
struct Script {
    Cues cues;
    std::function<void()> noted;
};

// Frames run by hand: each frame (runFrame), the script's note and cues, then the idle step.
void runFrames(int frames, const Script& script);

// The game's main loop with its own callbacks (idle step, devices, the window's sight followed in
// `sight`) and `display`, its frames paced as the game paces them unless `paced` is false, each
// frame checked for GL errors and followed by the script's note and cues, from a first frame
// until the frame `frames` has been shown and its cues done, or for `ms` milliseconds at most (a
// backstop, should frames stop coming). Returns the frames shown.
int runMainLoopFrames(int frames, const Script& script, bool paced = true, unsigned ms = 60000);

// Runs the game's main loop with the callbacks as set, from a first frame, for `ms`
// milliseconds; then leaves it, checking for leaks first (leaving unloads the GL driver).
void runMainLoopFor(unsigned ms);
void leaveMainLoop();  // from a callback: the same leaving, at once

// The window's sight, followed through the game's own window-status callback from here on.
struct Sight {
    bool now = true;    // shown and not wholly covered
    bool lost = false;  // out of sight at some moment since this was last cleared
};
extern Sight sight;
void watchSight();

}  // namespace harness
