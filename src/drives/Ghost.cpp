// The ghost's own game, played from the best lap's drive.
#include "drives/Ghost.h"

#include <vector>

#include "drives/DriveCheck.h"
#include "session/Step.h"

namespace {

struct Ghost {
    std::optional<BestLap> lap;
    GameState game;              // the ghost's own, from the drive's start
    size_t next = 0;             // the drive's next record
    bool driving = false;        // between the player's lap's start and the ghost's finish
    std::vector<Command> input;  // kept: a frame of the ghost costs no allocation
};
Ghost ghost;

// The ghost's next frame from its drive; false at the drive's end.
bool playGhostFrame()
{
    ghost.input.clear();
    if (!commandsOfNextFrame(ghost.lap->drive, ghost.next, ghost.input))
        return false;
    step(ghost.game, ghost.input);
    return true;
}

}  // namespace

void useGhostLap(std::optional<BestLap> lap)
{
    ghost.lap = std::move(lap);
    ghost.driving = false;
}

void startGhostLap()
{
    ghost.driving = false;
    if (!ghost.lap)
        return;
    ghost.game = GameState();
    ghost.next = 0;
    for (uint32_t frame = 0; frame < ghost.lap->lapStart; ++frame) {
        if (!playGhostFrame())
            return;
    }
    ghost.driving = true;
}

void stepGhost()
{
    if (ghost.driving && !playGhostFrame())
        ghost.driving = false;  // its lap is done: the ghost has crossed the line
}

void stopGhost()
{
    ghost.driving = false;
}

const GameState* ghostShown()
{
    return ghost.driving ? &ghost.game : nullptr;
}
