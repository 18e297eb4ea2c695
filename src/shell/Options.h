// The command line: the game's own options, GLUT's options passed on, and where the pictures are.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct Options {
    std::string dataFolder;  // --data DIR; empty when not given
    bool window = false;     // --window, or GLUT's -geometry: a window instead of full screen
    bool geometry = false;   // -geometry given: GLUT sizes and places the window
    bool mute = false;       // --mute: the game starts silent (m switches the sound on)
    // The program's name and GLUT's own options (-display NAME, -geometry WxH+X+Y, -iconic, ...),
    // in their order, for glutInit.
    std::vector<std::string> glutArguments;
};

// Reads the command line. Prints the help or the version on stdout, or one line on stderr for a
// mistake, and then returns the status the game ends with (0, or 2 for a mistake); returns
// nothing when the game is to be played. Needs no X server.
std::optional<int> parseOptions(int argc, char** argv, Options& options);

// The folder the ten pictures are read from: --data; else $TARVELO_DATA; else the current folder,
// if it holds Car.bmp; else the installed folder beside the program (so that a moved install
// works); else the folder the game was built to be installed in.
std::string findDataFolder(const Options& options);
