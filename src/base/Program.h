// How the program speaks to the player and how it ends: one line on the error stream for each
// message, always after the program's name, and the exit statuses the help and the manual page
// list.
#pragma once

#include <cstdio>
#include <string>

constexpr int kExitPlayed = 0;      // the game was left, or the help or version was shown
constexpr int kExitCannotPlay = 1;  // a picture or the display cannot be used
constexpr int kExitMistake = 2;     // a mistake on the command line

constexpr const char* kMessagePrefix = "tarvelo: ";

// "tarvelo: " and the line, on `stream` (the error stream unless a caller keeps its own).
void say(const std::string& line, std::FILE* stream = stderr);
