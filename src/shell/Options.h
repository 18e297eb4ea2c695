// The command line: the game's own options, GLUT's options passed on, and where the pictures are.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Program.h"
#include "platform/Window.h"

struct Options {
    std::string dataFolder;  // --data DIR; empty when not given
    bool window = false;     // --window, or -geometry: a window instead of full screen
    std::optional<WindowGeometry> geometry;  // -geometry, checked before any window opens
    bool mute = false;         // --mute: the game starts silent (m switches the sound on)
    bool keepAspect = false;   // --aspect=keep: the 4:3 picture in the middle, bars beside it;
                               // --aspect=stretch (the default): the picture over the window
    std::string settingsFile;  // --settings FILE; empty for the player's usual file
    std::string display;       // -display NAME; empty for the DISPLAY variable
    std::string record;        // --record FILE: the drive is recorded into FILE
    std::string replay;        // --replay FILE: the drive recorded in FILE is shown
    std::vector<std::string> check;  // --check FILE...: the drives are checked against the game
    bool timeTrial = false;          // --time-trial: the game starts in the time trial
    bool noGhost = false;            // --no-ghost: the best lap is not driven beside the player
    // The program's name and GLUT's own options (-display NAME, -iconic, ...), in their order,
    // for glutInit.
    std::vector<std::string> glutArguments;
};

// Reads the command line. Prints the help or the version on stdout, or one line on stderr for a
// mistake, and then returns the status the game ends with (0, or 2 for a mistake); returns
// nothing when the game is to be played. Needs no X server.
std::optional<int> parseOptions(int argc, char** argv, Options& options);

// The folder the ten pictures are read from: --data; else $TARVELO_DATA; else the current folder,
// if it holds Car.bmp; else the installed folder beside the program (so that a moved install
// works); else the folder the game was built to be installed in, if it holds Car.bmp; else, for
// the program in the folder it was built in, the pictures of the source tree it was built from;
// else the folder it was built to be installed in, which a missing picture's error line names.
std::string findDataFolder(const Options& options);
// "tarvelo: the pictures folder FOLDER is missing" where --data names no folder; else nothing.
std::optional<std::string> missingDataFolder(const Options& options);
