// The one game this program plays, as the program starts it.
#include "session/PlayedGame.h"

namespace {

GameState game;
std::vector<Command> queued;

}  // namespace

GameState& playedGame()
{
    return game;
}

void queueCommand(Command command)
{
    queued.push_back(command);
}

std::vector<Command>& queuedCommands()
{
    return queued;
}
