// Checking recorded drives against the game's own pace, in one run on the X server in DISPLAY:
//  - the paced game: the real game showing a drive (--replay), its frames counted by SwapCounter
//    over a few seconds: the frames a second a player sees;
//  - checking: the real `tarvelo --check`, given the drives once and then several times over;
//    the difference of the two times over the difference of their frames is what checking
//    costs a frame, without the start-up both pay alike.
// Prints both rates and their ratio, the medians of several runs with their spread.
// Usage: ReplayBench [--repeats N] [DRIVE...]  (default: every drive in tests/replays)
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kCopies = 6;            // the drives given this many times over in the long check
constexpr double kPacedWarmUp = 1.0;  // seconds before the paced game's frames are counted
constexpr double kPacedMeasured = 3.0;

// Runs `tarvelo --check` on the drives, each given `copies` times; its time and the frames it
// reported as checked, or a time below 0 when a drive did not check ok.
double timeCheck(const std::vector<std::string>& drives, int copies, long& frames)
{
    std::vector<std::string> arguments = {TARVELO_GAME_PATH, "--data", TARVELO_DATA_DIR, "--check"};
    for (int i = 0; i < copies; ++i)
        arguments.insert(arguments.end(), drives.begin(), drives.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return -1.0;
    const auto start = Clock::now();
    const pid_t check = fork();
    if (check == 0) {
        dup2(out[1], 1);
        close(out[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string said;
    char buffer[4096];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    int status = 0;
    waitpid(check, &status, 0);
    const double elapsed = Seconds(Clock::now() - start).count();
    frames = 0;
    for (size_t at = said.find(": ok, "); at != std::string::npos; at = said.find(": ok, ", at + 1))
        frames += std::atol(said.c_str() + at + 6);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1.0;
}

// The real game showing the first drive at its own pace: its frames a second.
double pacedFramesPerSecond(const std::string& drive)
{
    int swaps[2];
    if (pipe(swaps) != 0)
        return -1.0;
    const pid_t game = fork();
    if (game == 0) {
        close(swaps[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        setenv("LD_PRELOAD", TARVELO_SWAP_COUNTER_PATH, 1);
        setenv("TARVELO_SWAP_FD", std::to_string(swaps[1]).c_str(), 1);
        execl(TARVELO_GAME_PATH, TARVELO_GAME_PATH, "--mute", "--data", TARVELO_DATA_DIR,
              "--replay", drive.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(swaps[1]);
    fcntl(swaps[0], F_SETFL, fcntl(swaps[0], F_GETFL) | O_NONBLOCK);
    auto drain = [&] {  // SwapCounter writes each swap's moment, 8 bytes
        long bytes = 0;
        char buffer[4096];
        ssize_t got;
        while ((got = read(swaps[0], buffer, sizeof buffer)) > 0)
            bytes += got;
        return bytes / static_cast<long>(sizeof(int64_t));
    };
    std::this_thread::sleep_for(Seconds(kPacedWarmUp));
    drain();
    const auto start = Clock::now();
    std::this_thread::sleep_for(Seconds(kPacedMeasured));
    const long frames = drain();
    const double elapsed = Seconds(Clock::now() - start).count();
    kill(game, SIGKILL);
    waitpid(game, nullptr, 0);
    close(swaps[0]);
    return frames / elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double spread(const std::vector<double>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return (*high - *low) / median(values) * 100.0;
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
    std::vector<double> checked, paced;
    for (int run = 0; run < repeats; ++run) {
        long framesOnce = 0, framesMany = 0;
        const double once = timeCheck(drives, 1, framesOnce);
        const double many = timeCheck(drives, kCopies, framesMany);
        const double pacedRate = pacedFramesPerSecond(drives.front());
        if (once < 0.0 || many < 0.0 || pacedRate <= 0.0 || framesMany <= framesOnce) {
            std::fprintf(stderr, "ReplayBench: a check failed or the game did not run\n");
            return 1;
        }
        checked.push_back((framesMany - framesOnce) / (many - once));
        paced.push_back(pacedRate);
        std::printf("run %d: %ld frames checked in %.2f s, %ld in %.2f s; paced %.1f fps\n",
                    run + 1, framesOnce, once, framesMany, many, pacedRate);
    }
    const double checkRate = median(checked), pacedRate = median(paced);
    std::printf("\n%zu drives, %d runs (medians, spread in %%)\n", drives.size(), repeats);
    std::printf("checking   %8.0f frames a second (%.0f %%)\n", checkRate, spread(checked));
    std::printf("paced game %8.1f frames a second (%.0f %%)\n", pacedRate, spread(paced));
    std::printf("checking runs %.1f times faster than the game is played\n", checkRate / pacedRate);
    return 0;
}
