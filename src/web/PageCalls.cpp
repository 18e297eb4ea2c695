// What the browser build's page may ask the game, from its script: the digest of the game's state
// (as recorded drives keep it, in 16 hexadecimal digits) and whether a shown drive still drives.
// The page's tests compare a drive shown in the browser with the desktop's check of it.
#include <emscripten.h>

#include <cinttypes>
#include <cstdio>

#include "drives/Replay.h"
#include "session/GameState.h"
#include "session/PlayedGame.h"

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* tarvelo_state_digest()
{
    static char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, gameStateDigest(playedGame()));
    return text;
}

EMSCRIPTEN_KEEPALIVE int tarvelo_drive_showing()
{
    return replayShowing() ? 1 : 0;
}
}
