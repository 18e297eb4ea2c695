// Screen benchmark: the game's frame against the floor frame (clear, one full-screen textured and
// blended quad, swap) on screens of 1024 x 768, 1920 x 1080, 2560 x 1440 and 3840 x 2160. For
// each size it starts a virtual X server of that size, then, several times over:
//  - runs itself as a child there, which opens a window covering the screen with the game's own
//    graphics start-up and times batches of floor frames and of the game's unpaced frames (its
//    display callback: map, car, world rules, dashboard, swap) in turn, each ended by glFinish;
//  - launches the real game there, paced at its own 60 frames a second, and counts its frames
//    (through SwapCounter) and the processor time it takes, all threads together.
// Medians over all runs are printed with the spread, as the machine is shared and noisy.
// With --aspect keep the game keeps its 4:3 proportions between bars (the floor frame covers the
// whole screen all the same).
// Usage: ScreenBench [--repeats N] [--sizes WxH,WxH...] [--aspect keep]
#include <GL/freeglut.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FloorFrame.h"
#include "shell/Game.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kRounds = 3;             // floor and game batches per child run
constexpr double kBatchSeconds = 0.6;  // each batch runs at least this long
constexpr int kBatchMinFrames = 6;     // and at least this many frames
constexpr double kGameWarmUp = 1.5;    // seconds before the real game's frames are counted
constexpr double kGameMeasured = 3.0;  // seconds over which they are counted

struct ScreenSize {
    int width, height;
};

void noFrame()
{
}

void gameFrame()
{
    display();
    glFinish();
}

// Milliseconds per frame over one batch.
double timeBatch(void (*frame)())
{
    const auto start = Clock::now();
    int frames = 0;
    while (frames < kBatchMinFrames || Seconds(Clock::now() - start).count() < kBatchSeconds) {
        frame();
        ++frames;
    }
    return Seconds(Clock::now() - start).count() * 1000.0 / frames;
}

// The child: a window covering the screen in DISPLAY; prints "round FLOOR_MS GAME_MS" lines.
int timeFrames(int argc, char** argv)
{
    aspectKept = argc > 2 && std::strcmp(argv[2], "keep") == 0;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    const int width = glutGet(GLUT_SCREEN_WIDTH);
    const int height = glutGet(GLUT_SCREEN_HEIGHT);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! screen benchmark");
    glutDisplayFunc(noFrame);
    glutReshapeFunc(reshape);
    initGraphics(TARVELO_DATA_DIR);
    for (int i = 0; i < 20; ++i) {  // let the window be mapped before the first measured frame
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reshape(width, height);
    makeFloorTexture();
    for (int i = 0; i < 3; ++i) {
        floorFrame();
        gameFrame();
    }
    for (int round = 0; round < kRounds; ++round) {
        const double floorMs = timeBatch(floorFrame);
        const double gameMs = timeBatch(gameFrame);
        std::printf("round %.4f %.4f\n", floorMs, gameMs);
        std::fflush(stdout);
    }
    glutMainLoopEvent();
    if (glGetError() != GL_NO_ERROR) {
        std::printf("GL error\n");
        return 1;
    }
    return 0;
}

// A virtual X server of the given size; returns its pid and puts its display name in `name`.
pid_t startXServer(ScreenSize size, std::string& name)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t server = fork();
    if (server == 0) {
        close(ready[0]);
        if (ready[1] != 3) {
            dup2(ready[1], 3);
            close(ready[1]);
        }
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string screen =
            std::to_string(size.width) + "x" + std::to_string(size.height) + "x24";
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (number.empty()) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        return -1;
    }
    name = ":" + number;
    return server;
}

void stop(pid_t process)
{
    kill(process, SIGTERM);
    waitpid(process, nullptr, 0);
}

// Runs this program as the frame-timing child on `display`; appends its rounds.
bool runFrameChild(const char* self, const std::string& display, const char* aspect,
                   std::vector<double>& floorMs, std::vector<double>& gameMs)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        dup2(out[1], 1);
        setenv("DISPLAY", display.c_str(), 1);
        execl(self, self, "--frames", aspect, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::istringstream lines(text);
    std::string line;
    int rounds = 0;
    while (std::getline(lines, line)) {
        double f = 0.0, g = 0.0;
        if (std::sscanf(line.c_str(), "round %lf %lf", &f, &g) == 2) {
            floorMs.push_back(f);
            gameMs.push_back(g);
            ++rounds;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && rounds == kRounds;
}

// User and system time of a process, all its threads, in seconds.
double processorSeconds(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
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

// Bytes waiting in a non-blocking pipe: one per frame the game swapped.
long drain(int fd)
{
    long frames = 0;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        frames += got;
    return frames;
}

// Launches the real game on `display` from the data folder; appends its paced frames a second
// and its processor use in per cent of one core.
bool runGame(const std::string& display, const char* aspect, std::vector<double>& framesPerSecond,
             std::vector<double>& cpuPercent)
{
    int swaps[2];
    if (pipe(swaps) != 0)
        return false;
    const pid_t game = fork();
    if (game == 0) {
        close(swaps[0]);
        if (chdir(TARVELO_DATA_DIR) != 0)
            _exit(127);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("LD_PRELOAD", TARVELO_SWAP_COUNTER_PATH, 1);
        setenv("TARVELO_SWAP_FD", std::to_string(swaps[1]).c_str(), 1);
        const std::string option = std::string("--aspect=") + aspect;
        execl(TARVELO_GAME_PATH, TARVELO_GAME_PATH, option.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(swaps[1]);
    fcntl(swaps[0], F_SETFL, fcntl(swaps[0], F_GETFL) | O_NONBLOCK);
    std::this_thread::sleep_for(Seconds(kGameWarmUp));
    const long before = drain(swaps[0]);
    const auto start = Clock::now();
    const double cpuStart = processorSeconds(game);
    std::this_thread::sleep_for(Seconds(kGameMeasured));
    const long frames = drain(swaps[0]);
    const double cpuEnd = processorSeconds(game);
    const double elapsed = Seconds(Clock::now() - start).count();
    const bool running = waitpid(game, nullptr, WNOHANG) == 0;
    stop(game);
    close(swaps[0]);
    if (!running || before == 0 || cpuStart < 0.0 || cpuEnd < 0.0)
        return false;
    framesPerSecond.push_back(frames / elapsed);
    cpuPercent.push_back((cpuEnd - cpuStart) / elapsed * 100.0);
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The spread of the runs: (largest - smallest) / median, in per cent.
double spread(const std::vector<double>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return (*high - *low) / median(values) * 100.0;
}

std::vector<ScreenSize> parseSizes(const std::string& text)
{
    std::vector<ScreenSize> sizes;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        ScreenSize size{};
        if (std::sscanf(item.c_str(), "%dx%d", &size.width, &size.height) == 2)
            sizes.push_back(size);
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--frames") == 0)
        return timeFrames(argc, argv);

    int repeats = 3;
    const char* aspect = "stretch";
    std::vector<ScreenSize> sizes = {{1024, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc)
            sizes = parseSizes(argv[++i]);
        else if (std::strcmp(argv[i], "--aspect") == 0 && i + 1 < argc)
            aspect = std::strcmp(argv[++i], "keep") == 0 ? "keep" : "stretch";
        // anything else (the other benchmarks' options) is not for this one
    }

    std::printf("--aspect=%s\n\n", aspect);
    std::printf(
        "| screen | game frame | floor frame | ratio | paced frames/s | CPU of one core |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::string noise;
    int status = 0;
    for (const ScreenSize& size : sizes) {
        std::string display;
        const pid_t server = startXServer(size, display);
        if (server < 0) {
            std::fprintf(stderr, "no virtual X server of %d x %d\n", size.width, size.height);
            return 1;
        }
        std::vector<double> floorMs, gameMs, ratios, framesPerSecond, cpuPercent;
        for (int run = 0; run < repeats; ++run) {
            const std::size_t first = gameMs.size();
            if (!runFrameChild(argv[0], display, aspect, floorMs, gameMs) ||
                !runGame(display, aspect, framesPerSecond, cpuPercent)) {
                std::fprintf(stderr, "run %d at %d x %d failed\n", run, size.width, size.height);
                status = 1;
            }
            for (std::size_t i = first; i < gameMs.size(); ++i)
                ratios.push_back(gameMs[i] / floorMs[i]);  // the same round: the same load
        }
        stop(server);
        if (gameMs.empty() || framesPerSecond.empty())
            continue;
        std::printf("| %d x %d | %.1f ms | %.1f ms | %.2f | %.1f | %.0f %% |\n", size.width,
                    size.height, median(gameMs), median(floorMs), median(ratios),
                    median(framesPerSecond), median(cpuPercent));
        char line[256];
        std::snprintf(line, sizeof line,
                      "%d x %d: spread over %zu rounds: game %.0f %%, floor %.0f %%, ratio "
                      "%.0f %%; over %zu launches: frames/s %.0f %%, CPU %.0f %%\n",
                      size.width, size.height, gameMs.size(), spread(gameMs), spread(floorMs),
                      spread(ratios), framesPerSecond.size(), spread(framesPerSecond),
                      spread(cpuPercent));
        noise += line;
        std::fflush(stdout);
    }
    std::printf("\nmedians of every round and launch; spread = (largest - smallest) / median\n%s",
                noise.c_str());
    return status;
}
