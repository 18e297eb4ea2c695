// Keeps the game at a steady frame rate: waits out the rest of each frame, never catches up.
#pragma once

#include <chrono>

class FramePacer {
public:
    explicit FramePacer(double framesPerSecond);

    void waitForNextFrame();  // sleep until this frame's slot ends; a late frame just starts the
                              // next slot

private:
    using Clock = std::chrono::steady_clock;
    Clock::duration period;
    Clock::time_point deadline;
    bool started = false;
};
