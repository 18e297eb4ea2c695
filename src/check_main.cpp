// The browser build's drive checker, run under Node: `node tarvelo-check.js FILE...` plays each
// recorded drive by the game's own rules, compiled for the browser, and says what
// `tarvelo --check` says with no display (the states alone), with the same status.
#include <cstdio>
#include <string>
#include <vector>

#include "base/Program.h"
#include "drives/DriveCheck.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: node tarvelo-check.js FILE...\n", stderr);
        return kExitMistake;
    }
    DrivesToCheck toCheck = readDrivesToCheck(std::vector<std::string>(argv + 1, argv + argc));
    if (toCheck.drives.empty())
        return kExitCannotPlay;
    return checkReplays(toCheck, nullptr);
}
