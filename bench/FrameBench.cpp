// Frame benchmark: the game's real frame against a bare textured full-screen frame, and the time
// from launching the game to its first frame on screen, all in one run on the X server in DISPLAY
// (1024 x 768) from the folder with the game's textures. Aims: the game's frame within 2.5 times
// the bare frame, the first frame within 150 ms of launch.
#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "FloorFrame.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "shell/Game.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1024;  // the virtual screen, which the game's window fills
constexpr int kHeight = 768;

// A pixel of the dashboard panel, between the Quit button and the gear gate; the panel is light
// grey. It lies on the panel also in the game's first 640 x 480 window at (50, 50).
constexpr int kPanelX = 100;
constexpr int kPanelY = 360;

void noFrame()
{
}

// One window of the screen's size with the game's own graphics start-up in it, opened by the
// first frame benchmark (the start-up benchmark runs first, on a screen without it).
void openGameWindow()
{
    static bool open = false;
    if (open)
        return;
    open = true;
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(kWidth, kHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! frame benchmark");
    glutDisplayFunc(noFrame);
    glutReshapeFunc(reshape);
    initGraphics(".");
    for (int i = 0; i < 20; ++i) {  // let the window be mapped before the first measured frame
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reshape(kWidth, kHeight);
}

bool panelGreyAt(Display* display, Window root)
{
    XImage* image = XGetImage(display, root, kPanelX, kPanelY, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    const auto channel = [&](unsigned long mask) {
        unsigned long value = pixel & mask;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            value >>= 1;
        }
        return static_cast<long>(value);
    };
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    const long r = channel(visual->red_mask), g = channel(visual->green_mask),
               b = channel(visual->blue_mask);
    return std::labs(r - 192) <= 4 && std::labs(g - 192) <= 4 && std::labs(b - 192) <= 4;
}

// From fork and exec of the real game (from the current folder, where its textures are) until
// its dashboard shows on the screen; the game is then stopped and the next launch waits until
// the screen no longer shows it.
void StartUpToFirstFrame(benchmark::State& state)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        state.SkipWithError("no X server");
        return;
    }
    const Window root = DefaultRootWindow(display);
    for (auto _ : state) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (panelGreyAt(display, root) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (panelGreyAt(display, root)) {
            state.SkipWithError("the screen shows the panel's grey before the game starts");
            break;
        }

        const auto start = Clock::now();
        const pid_t game = fork();
        if (game == 0) {
            if (std::freopen("/dev/null", "w", stdout) == nullptr)
                _exit(127);
            execl(TARVELO_GAME_PATH, TARVELO_GAME_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        bool shown = false;
        while (!(shown = panelGreyAt(display, root)) &&
               Clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        kill(game, SIGTERM);
        waitpid(game, nullptr, 0);
        if (!shown) {
            state.SkipWithError("the game's first frame did not show within 10 s");
            break;
        }
        state.SetIterationTime(seconds);
    }
    XCloseDisplay(display);
}
BENCHMARK(StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

// The game's frame as its display callback draws it (map, car, world rules, dashboard, swap),
// without the pacing to 60 frames a second; glFinish makes each frame's drawing count.
void GameFrame(benchmark::State& state)
{
    openGameWindow();
    for (auto _ : state) {
        display();
        glFinish();
    }
    glutMainLoopEvent();
    if (glGetError() != GL_NO_ERROR)
        state.SkipWithError("GL error in the game's frame");
}
BENCHMARK(GameFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The reference: clear, one full-screen textured and blended quad, swap.
void BareTexturedFrame(benchmark::State& state)
{
    openGameWindow();
    makeFloorTexture();
    for (auto _ : state)
        floorFrame();
    glutMainLoopEvent();
    if (glGetError() != GL_NO_ERROR)
        state.SkipWithError("GL error in the bare frame");
}
BENCHMARK(BareTexturedFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Prints the console table and, once all are done, the figures against their aims.
class AimReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.error_occurred == false && run.run_type == Run::RT_Iteration)
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto game = milliseconds.find("GameFrame");
        const auto bare = milliseconds.find("BareTexturedFrame");
        const auto start = milliseconds.find("StartUpToFirstFrame");
        if (game != milliseconds.end() && bare != milliseconds.end())
            std::printf(
                "game frame %.3f ms / bare textured frame %.3f ms = %.2f (aim: at most 2.5)\n",
                game->second, bare->second, game->second / bare->second);
        if (start != milliseconds.end())
            std::printf("launch to first frame: %.1f ms (aim: under 150 ms)\n", start->second);
    }

private:
    std::map<std::string, double> milliseconds;  // mean time per iteration, by benchmark
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    glutInit(&argc, argv);
    AimReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
