// The program's messages: one line each, after its name.
#include "base/Program.h"

void say(const std::string& line, std::FILE* stream)
{
    std::fprintf(stream, "%s%s\n", kMessagePrefix, line.c_str());
}
