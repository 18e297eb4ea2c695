// What the browser build's page may ask the game from its script: whether a drive dropped on it
// is still being shown (the page's tests wait for its end).
#include <emscripten.h>

#include "drives/Replay.h"

extern "C" EMSCRIPTEN_KEEPALIVE int tarvelo_drive_showing()
{
    return replayShowing() ? 1 : 0;
}
