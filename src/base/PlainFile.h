// A small file read whole, as the game reads the player's settings and recorded drives: a plain
// file only (a pipe without a writer would hold the game, a device might never end), and never
// more than the reader allows.
#pragma once

#include <cstddef>
#include <string>

enum class FileTrouble { None, CannotOpen, Folder, NotPlain, TooLarge, CannotRead };

struct FileContents {
    std::string bytes;  // the whole file, when there is no trouble
    FileTrouble trouble = FileTrouble::None;
    int error = 0;  // errno, for CannotOpen and CannotRead
};

FileContents readPlainFile(const std::string& path, size_t largest);

// A file of the game's in the player's folders: $VARIABLE/tarvelo/NAME where the variable names an
// absolute folder (a relative one is to be ignored), else ~/UNDER_HOME/tarvelo/NAME; "" where
// the player has no home folder.
std::string playerFile(const char* variable, const char* underHome, const char* name);
