// What the browser build's page may ask the game from its script: whether a drive dropped on it
// is still being shown (the page's tests wait for its end), and how it agrees with its recording:
// the checkpoints found alike, or -1 once one differs.
#include <emscripten.h>

#include "drives/Replay.h"

extern "C" EMSCRIPTEN_KEEPALIVE int tarvelo_drive_showing()
{
    return replayShowing() ? 1 : 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE int tarvelo_drive_agreement()
{
    return shownDriveAgreement();
}
