// The program's own words over the game's picture, drawn after the frame is recorded, so that no
// recorded drive's picture holds them: the sound switched off and on, the car handed to the
// player at the end of a shown drive, the player's own key for a new car over a wreck, the
// controls, and at the start the key that shows them. Timed words count the frames drawn.
#pragma once

#include <string>
#include <vector>

#include "input/Settings.h"
#include "session/GameState.h"
#include "session/View.h"

constexpr int kNoticeFrames = 120;  // two seconds of the game's pace

// Words shown until a number of frames more have been drawn, or, `untilPlayed`, until the
// player's first command.
struct TimedWords {
    std::string text;
    int framesLeft = 0;  // above 0 while shown
    bool untilPlayed = false;
};

// What the program shows over the picture.
struct Overlays {
    TimedWords sound;            // "SOUND OFF", "SOUND ON": the top right, under REPLAY's place
    TimedWords yourCar;          // "YOUR CAR": in REPLAY's place, as a shown drive ends
    TimedWords hint;             // "F1: controls" from the start until the player plays
    bool controlsShown = false;  // the table of the controls over the map
};

void showWords(TimedWords& words, const std::string& text, int frames);
void showUntilPlayed(TimedWords& words, const std::string& text);  // until `playerPlayed`
void playerPlayed(Overlays& overlays);         // a command of the player's: the hint goes
bool wordsCounting(const Overlays& overlays);  // timed words are up: frames are wanted
void countFrame(Overlays& overlays);           // one frame drawn: the timed words' count

// Over a wreck: "Press New or n", with the first key bound to New, and the first pad input
// while a pad plays ("Press New, n or Back").
std::string newCarWords(const Settings& settings, bool padPlays);
// "F1: controls", with the first key bound to the controls.
std::string controlsHint(const Settings& settings);
// The table of the controls, from --print-settings' lines: a heading, then one line per action:
// its name and its keys, and its pad inputs while a pad plays.
std::vector<std::string> controlsTable(const Settings& settings, bool padPlays);

// The running program's overlays.
void useOverlaySettings(const Settings& settings);  // the keys and buttons the words name
Overlays& overlays();
void soundSwitched(bool muted);  // "SOUND OFF" or "SOUND ON" for two seconds
void toggleControls();           // the controls shown, or hidden
// A frame counted, then the frame's overlays over the picture of `game`; `showingADrive` while a
// recorded drive drives (no key of the player's brings a new car then), `padPlays` while a pad
// is open (its buttons are named too).
void drawOverlays(const GameState& game, const PictureArea& area, bool showingADrive,
                  bool padPlays);
