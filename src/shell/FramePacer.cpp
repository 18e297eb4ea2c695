// Frame pacing: one frame per slot of 1/60 s, so the car moves at the same speed on every machine.
#include "shell/FramePacer.h"

#include <thread>

FramePacer::FramePacer(double framesPerSecond)
    : period(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / framesPerSecond)))
{
}

void FramePacer::waitForNextFrame()
{
    const Clock::time_point now = Clock::now();
    if (!started) {
        started = true;
        deadline = now;
    }
    deadline += period;
    if (deadline <= now) {
        // Too slow for the rate: start afresh from now instead of rushing to catch up.
        deadline = now;
        return;
    }
    std::this_thread::sleep_until(deadline);
}
