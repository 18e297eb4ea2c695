// The game shell: start-up, the window's callbacks and the order of work in each frame.
#pragma once

class FramePacer;

extern bool frameDrawnSinceStep;  // a frame was drawn since the car's last motion step
extern FramePacer framePacer;     // the 1/60 s slots of the game's paced frames
// Each frame finished and shown at the start of its own 1/60 s slot, as the game plays; else
// shown at once (tests and benchmarks that count frames, not time).
extern bool framesPaced;

// Banner, window, callbacks, graphics, then the main loop for good; or the drives of --check.
int runGame(int argc, char** argv);
void display();     // one frame: the commands since the last one stepped, drawn and shown
void idle();        // one motion step of the car per frame drawn; else waits
void motionStep();  // the held actions' due steps, then the car's move, for the next frame
