// The pause key: the game stands still, showing its last picture with "PAUSED" over the map,
// and goes on exactly where it stood.
#pragma once

bool gamePaused();
bool pauseComing();           // asked for: the next frame is drawn and kept
void togglePause();           // the p key: pauses after the next frame, or plays on
void resumePlay();            // plays on (also when the player starts a new car)
void keepFrameWhenPausing();  // before a frame is shown: keeps it when a pause was asked for
void drawPausedFrame();       // the kept picture and the word, into the frame being drawn
