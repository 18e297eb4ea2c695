// The game's random numbers: a linear congruential generator of 15-bit values.
#include "effects/Random.h"

int random15(Random& random)
{
    random.state = (random.state * 1103515245UL + 12345UL) & 0xFFFFFFFFUL;
    return static_cast<int>((random.state / 65536UL) % 32768UL);
}

float random01(Random& random)
{
    return static_cast<float>(random15(random)) / 32767.0f;
}
