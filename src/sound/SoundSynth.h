// The game's own sounds, synthesised at start: 16-bit mono samples at kSoundRate.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kSoundRate = 22050;            // samples a second
constexpr double kEngineFundamental = 50.0;  // Hz of the engine at idle (pitch 1)

using Samples = std::vector<int16_t>;

Samples synthEngine();     // a loop of whole periods: eleven harmonics of 50 Hz
Samples synthCrash();      // 0.6 s: a thump and rattling noise, dying away
Samples synthSplash();     // 0.8 s: hissing, bubbling noise that swells and fades
Samples synthExplosion();  // 2.5 s: a deep rumble that dies away slowly
Samples synthChime();      // a loop: E6 and A6, a quarter of a second each
