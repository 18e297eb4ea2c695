// Keeps the game at a steady frame rate: each frame is shown at the start of its own slot, a late
// one at once, and the pacer never catches up.
#pragma once

#include <chrono>

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit FramePacer(double framesPerSecond);

    void waitForSlot();  // sleep until this frame's slot starts, one period after the last one's;
                         // a frame too late for it starts its slot now
    // Whether a frame's slot has come, without waiting: one period after the last one's, or a
    // quarter of a period sooner (frames offered at the screen's rate come near their slots, a
    // little early or late); a frame too late for it starts its slot now.
    bool slotCome();
    Clock::time_point slotStart() const { return deadline; }  // of the last frame waited for

private:
    Clock::duration period;
    Clock::time_point deadline;
    bool started = false;
};
