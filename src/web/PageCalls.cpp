// What the browser build's page may ask the game, from its script: the digest of the game's state
// (as recorded drives keep it, in 16 hexadecimal digits), whether a shown drive still drives,
// and the state a finished drive's file says it ends in. The page's tests compare a drive shown
// in the browser with the desktop's check of it.
#include <emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drives/Replay.h"
#include "drives/ReplayFile.h"
#include "session/GameState.h"
#include "session/PlayedGame.h"

namespace {

const char* hexadecimal(uint64_t digest)
{
    static char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, digest);
    return text;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* tarvelo_state_digest()
{
    return hexadecimal(gameStateDigest(playedGame()));
}

// Empty where the file is no finished drive.
EMSCRIPTEN_KEEPALIVE const char* tarvelo_drive_end_digest(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                           std::istreambuf_iterator<char>()};
    std::string why;
    const std::optional<Replay> drive = parseReplay(bytes.data(), bytes.size(), why);
    if (!drive || !drive->finished || drive->checkpoints.empty())
        return "";
    return hexadecimal(drive->checkpoints.back().state);
}

EMSCRIPTEN_KEEPALIVE int tarvelo_drive_showing()
{
    return replayShowing() ? 1 : 0;
}
}
