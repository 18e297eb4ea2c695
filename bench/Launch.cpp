// Launching programs for the benchmarks: a child with its output piped back, and the game or
// the paced floor with SwapCounter loaded, which writes the moment of each swap into a pipe.
#include "Launch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// In the child: its folder, display and standard error as the launch asks, then the program.
[[noreturn]] void become(const Launch& launch)
{
    if (!launch.folder.empty() && chdir(launch.folder.c_str()) != 0)
        _exit(127);
    if (launch.noDisplay)
        unsetenv("DISPLAY");
    else if (!launch.display.empty())
        setenv("DISPLAY", launch.display.c_str(), 1);
    if (launch.quietErrors)
        dup2(open("/dev/null", O_WRONLY), 2);
    std::vector<char*> argv;
    for (const std::string& argument : launch.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Whatever is waiting in a pipe, or all of it up to its end when it blocks.
std::string readAll(int fd)
{
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    return bytes;
}

// The swap moments waiting in SwapCounter's non-blocking pipe, 8 bytes each.
std::vector<std::int64_t> swapMoments(int fd)
{
    const std::string bytes = readAll(fd);
    std::vector<std::int64_t> moments(bytes.size() / sizeof(std::int64_t));
    std::memcpy(moments.data(), bytes.data(), moments.size() * sizeof(std::int64_t));
    return moments;
}

// User and system time of a process, all its threads, in seconds; below 0 when unknown.
double processorSeconds(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {  // fields 14 and 15 of the stat line
        if (i == 14)
            user = std::stoull(field);
        if (i == 15)
            system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

bool outputOf(const Launch& launch, std::string& output)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        dup2(out[1], 1);
        become(launch);
    }
    close(out[1]);
    output = readAll(out[0]);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runPaced(const Launch& launch, double warmUpSeconds, double measuredSeconds, PacedRun& run)
{
    int swaps[2];
    if (pipe(swaps) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        close(swaps[0]);
        dup2(open("/dev/null", O_WRONLY), 1);
        setenv("LD_PRELOAD", TARVELO_SWAP_COUNTER_PATH, 1);
        setenv("TARVELO_SWAP_FD", std::to_string(swaps[1]).c_str(), 1);
        become(launch);
    }
    close(swaps[1]);
    fcntl(swaps[0], F_SETFL, fcntl(swaps[0], F_GETFL) | O_NONBLOCK);
    std::this_thread::sleep_for(Seconds(warmUpSeconds));
    const bool warm = !swapMoments(swaps[0]).empty();
    const auto start = Clock::now();
    const double cpuStart = processorSeconds(child);
    std::this_thread::sleep_for(Seconds(measuredSeconds));
    run.moments = swapMoments(swaps[0]);
    const double cpuEnd = processorSeconds(child);
    run.seconds = Seconds(Clock::now() - start).count();
    run.cpuPercent = (cpuEnd - cpuStart) / run.seconds * 100.0;
    const bool running = waitpid(child, nullptr, WNOHANG) == 0;
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(swaps[0]);
    return warm && running && cpuStart >= 0.0 && cpuEnd >= 0.0;
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
