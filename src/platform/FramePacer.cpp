// Frame pacing: one frame per slot of 1/60 s, so the car moves at the same speed on every machine
// and, as it moves one step per frame, moves evenly.
#include "platform/FramePacer.h"

#include "platform/Platform.h"

FramePacer::FramePacer(double framesPerSecond)
    : period(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / framesPerSecond)))
{
}

void FramePacer::waitForSlot()
{
    const Clock::time_point now = Clock::now();
    if (!started) {  // the first frame is shown at once: its slot starts now
        started = true;
        deadline = now;
        return;
    }
    deadline += period;
    if (deadline <= now) {
        // Too slow for the rate: shown at once, and the slots start afresh from now instead of
        // rushing to catch up.
        deadline = now;
        return;
    }
    sleepUntil(deadline);
}

bool FramePacer::slotCome()
{
    const Clock::time_point now = Clock::now();
    if (!started) {
        started = true;
        deadline = now;
        return true;
    }
    if (now < deadline + period - period / 4)
        return false;
    deadline += period;
    if (deadline + period <= now)
        deadline = now;  // too late: the slots start afresh from now
    return true;
}
