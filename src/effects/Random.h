// The game's random numbers: its own 15-bit generator, never seeded, so that every game draws the
// same sequence. The exhaust and the particle bursts take their numbers from it in the order of
// the frame's work, which a recorded drive relies on.
#pragma once

struct Random {
    unsigned long state = 1;  // where the generator stands in its sequence; 1 as the game starts
};

int random15(Random& random);    // next value 0..32767
float random01(Random& random);  // random15() / 32767: 0 to 1, both ends reachable
