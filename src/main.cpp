// TARVELO! entry point: everything happens in the game shell.
#include "shell/Game.h"

int main(int argc, char** argv)
{
    return runGame(argc, argv);
}
