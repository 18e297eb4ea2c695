// Checking recorded drives against the game's own pace, in one run on the X server in DISPLAY:
//  - the paced game: the real game showing a drive (--replay), its frames counted by SwapCounter
//    over a few seconds: the frames a second a player sees;
//  - checking: the real `tarvelo --check`, given the drives once and then many times over; the
//    difference of the two times over the difference of their frames is what checking costs a
//    frame, without the start-up both pay alike. Once on the X server, where the checkpoints'
//    pictures are drawn and compared too, and once with no display at all: the states alone.
// Prints the rates and their ratios, the medians of several runs with their spread.
// Usage: ReplayBench [--repeats N] [DRIVE...]  (default: every drive in tests/replays)
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Launch.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kCopies = 6;            // the drives given this many times over in the long check
constexpr int kStateCopies = 60;      // ... in the long check of the states alone
constexpr double kPacedWarmUp = 1.0;  // seconds before the paced game's frames are counted
constexpr double kPacedMeasured = 3.0;

// Runs `tarvelo --check` on the drives, each given `copies` times; its time and the frames it
// reported as checked, or a time below 0 when a drive did not check ok.
double timeCheck(const std::vector<std::string>& drives, int copies, bool noDisplay, long& frames)
{
    Launch check{{TARVELO_GAME_PATH, "--data", TARVELO_DATA_DIR, "--check"}, "", "", true};
    check.noDisplay = noDisplay;
    for (int i = 0; i < copies; ++i)
        check.arguments.insert(check.arguments.end(), drives.begin(), drives.end());
    std::string said;
    const auto start = Clock::now();
    const bool ok = outputOf(check, said);
    const double elapsed = Seconds(Clock::now() - start).count();
    frames = 0;
    for (size_t at = said.find(": ok, "); at != std::string::npos; at = said.find(": ok, ", at + 1))
        frames += std::atol(said.c_str() + at + 6);
    return ok ? elapsed : -1.0;
}

// The real game showing the first drive at its own pace: its frames a second.
double pacedFramesPerSecond(const std::string& drive)
{
    PacedRun run;
    const Launch game{
        {TARVELO_GAME_PATH, "--mute", "--data", TARVELO_DATA_DIR, "--replay", drive}, "", "", true};
    if (!runPaced(game, kPacedWarmUp, kPacedMeasured, run))
        return -1.0;
    return static_cast<double>(run.moments.size()) / run.seconds;
}

std::vector<std::string> suiteDrives()
{
    std::vector<std::string> drives;
    if (DIR* folder = opendir(TARVELO_REPLAY_DIR)) {
        while (const dirent* entry = readdir(folder)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".rec") == 0)
                drives.push_back(std::string(TARVELO_REPLAY_DIR) + "/" + name);
        }
        closedir(folder);
    }
    std::sort(drives.begin(), drives.end());
    return drives;
}

}  // namespace

int main(int argc, char** argv)
{
    int repeats = 3;
    std::vector<std::string> drives;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else
            drives.push_back(argv[i]);
    }
    if (drives.empty())
        drives = suiteDrives();
    if (drives.empty()) {
        std::fprintf(stderr, "ReplayBench: no recorded drives to check\n");
        return 1;
    }
    std::vector<double> checked, statesChecked, paced;
    for (int run = 0; run < repeats; ++run) {
        double rates[2] = {};
        for (const bool noDisplay : {false, true}) {
            long framesOnce = 0, framesMany = 0;
            const double once = timeCheck(drives, 1, noDisplay, framesOnce);
            const double many =
                timeCheck(drives, noDisplay ? kStateCopies : kCopies, noDisplay, framesMany);
            if (once < 0.0 || many < 0.0 || framesMany <= framesOnce) {
                std::fprintf(stderr, "ReplayBench: a check failed\n");
                return 1;
            }
            rates[noDisplay] = (framesMany - framesOnce) / (many - once);
            std::printf("run %d, %s: %ld frames checked in %.2f s, %ld in %.2f s\n", run + 1,
                        noDisplay ? "states alone" : "with pictures", framesOnce, once, framesMany,
                        many);
        }
        const double pacedRate = pacedFramesPerSecond(drives.front());
        if (pacedRate <= 0.0) {
            std::fprintf(stderr, "ReplayBench: the game did not run\n");
            return 1;
        }
        checked.push_back(rates[0]);
        statesChecked.push_back(rates[1]);
        paced.push_back(pacedRate);
        std::printf("run %d: paced %.1f fps\n", run + 1, pacedRate);
    }
    const double checkRate = median(checked), stateRate = median(statesChecked);
    const double pacedRate = median(paced);
    std::printf("\n%zu drives, %d runs (medians, spread in %%)\n", drives.size(), repeats);
    std::printf("checking, pictures too %9.0f frames a second (%.0f %%)\n", checkRate,
                spread(checked));
    std::printf("checking, states alone %9.0f frames a second (%.0f %%)\n", stateRate,
                spread(statesChecked));
    std::printf("paced game             %9.1f frames a second (%.0f %%)\n", pacedRate,
                spread(paced));
    std::printf(
        "checking runs %.0f times (pictures too) and %.0f times (states alone) faster "
        "than the game is played\n",
        checkRate / pacedRate, stateRate / pacedRate);
    return 0;
}
