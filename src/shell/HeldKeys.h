// Keys held down: each arrow repeats its own control step at the game's pace, whatever the
// desktop's key repeat; every other key acts once per press.
#pragma once

constexpr int kFramesBeforeRepeat = 15;  // a quarter of a second held before the steps repeat
constexpr int kFramesPerRepeat = 2;      // then one step every second frame

void takeOverKeyRepeat();  // ask X to send a held key's repeats as presses, which are then ignored
void arrowPressed(int key, int x, int y);   // special-key callback: one step now, then held
void arrowReleased(int key, int x, int y);  // special-key-up callback: its steps stop at once
void characterPressed(unsigned char key, int x, int y);   // keyboard callback, once per press
void characterReleased(unsigned char key, int x, int y);  // keyboard-up callback
void repeatHeldArrows();           // once per frame: a step for each arrow due one
void releaseAllKeys();             // forget every held key (the keyboard went to another window)
void releaseKeysIfKeyboardGone();  // once per turn of the main loop: the window lost the keys?
