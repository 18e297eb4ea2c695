// Screen benchmark: the game's frame against the floor frame (clear, one full-screen textured and
// blended quad, swap) on screens of 1024 x 768, 1920 x 1080, 2560 x 1440 and 3840 x 2160. For
// each size it starts a virtual X server of that size, then, several times over:
//  - runs itself as a child there, which opens a window covering the screen with the game's own
//    graphics start-up and times batches of floor frames and of the game's unpaced frames (its
//    display callback: map, car, world rules, dashboard, swap) in turn, each ended by glFinish;
//  - launches the real game there, paced at its own 60 frames a second, and counts its frames
//    and the processor time it takes, all threads together;
//  - runs itself there as the paced floor: floor frames at 60 a second, each finished before its
//    slot and shown at the slot's start, in a window covering the screen as the game's does.
// The child also times the time trial's frame with the best lap's ghost driving in view against
// the same frame without it, in batches run in turn.
// SwapCounter, loaded into the game and the paced floor, reports the moment of every swap; the
// intervals between them show how evenly the pictures arrive, the paced floor's being the best
// this screen allows under the same load.
// Medians over all runs are printed with the spread, as the machine is shared and noisy;
// intervals are pooled over all launches of a size.
// With --aspect keep the game keeps its 4:3 proportions between bars (the floor frame covers the
// whole screen all the same).
// Usage: ScreenBench [--repeats N] [--sizes WxH,WxH...] [--aspect keep]
#include <GL/freeglut.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FloorFrame.h"
#include "Launch.h"
#include "VirtualServer.h"
#include "drives/Ghost.h"
#include "platform/FramePacer.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/PlayedGame.h"
#include "shell/Game.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kRounds = 3;              // floor and game batches per child run
constexpr int kGhostRounds = 8;         // the ghost's cost is small against the noise: more batches
constexpr double kBatchSeconds = 0.6;   // each batch runs at least this long
constexpr int kBatchMinFrames = 6;      // and at least this many frames
constexpr double kPacedWarmUp = 1.5;    // seconds before a paced program's frames are counted
constexpr double kPacedMeasured = 5.0;  // seconds over which they are counted and timed
constexpr double kFramesPerSecond = 60.0;  // the game's rate, which the paced floor keeps too
constexpr double kLateMs = 20.0;  // an interval longer than this is a visible stutter at 60

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

// The time trial's frame, the ghost gone.
void trialFrame()
{
    stopGhost();
    gameFrame();
}

// The time trial's frame with the ghost driving its lap's first frames, in view of the car
// standing at the start: it starts again whenever it has driven a third of a second.
void ghostFrame()
{
    const GameState* ghost = ghostShown();
    if (!ghost || ghost->trial.lapFrames > 20)
        startGhostLap();
    gameFrame();
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

// The child: a window covering the screen in DISPLAY; prints "round FLOOR_MS GAME_MS" lines, then
// "ghost TRIAL_MS GHOST_MS" lines.
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
    queueCommand(act(Action::TimeTrial));
    gameFrame();
    useGhostLap(readBestLap(TARVELO_REPLAY_DIR "/lap_clean.rec"));
    for (int round = 0; round < kGhostRounds; ++round) {
        const double trialMs = timeBatch(trialFrame);
        const double ghostMs = timeBatch(ghostFrame);
        std::printf("ghost %.4f %.4f\n", trialMs, ghostMs);
        std::fflush(stdout);
    }
    glutMainLoopEvent();
    if (glGetError() != GL_NO_ERROR) {
        std::printf("GL error\n");
        return 1;
    }
    return 0;
}

FramePacer floorPacer(kFramesPerSecond);

// One frame of the paced floor: drawn and finished, then shown at the start of its slot.
void pacedFloorFrame()
{
    drawFloor();
    glFinish();
    floorPacer.waitForSlot();
    glutSwapBuffers();
}

// The paced floor child: floor frames through the main loop, one each time it is idle, in a
// window covering the screen in DISPLAY as the game's does; runs until it is stopped.
int showPacedFloor(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! paced floor");
    makeFloorTexture();
    glutDisplayFunc(pacedFloorFrame);
    glutReshapeFunc(reshape);
    glutIdleFunc(glutPostRedisplay);
    glutFullScreen();
    glutMainLoop();
    return 0;
}

// Runs this program as the frame-timing child on `display`; appends its rounds.
bool runFrameChild(const char* self, const std::string& display, const char* aspect,
                   std::vector<double>& floorMs, std::vector<double>& gameMs,
                   std::vector<double>& trialMs, std::vector<double>& ghostMs)
{
    std::string text;
    const bool ended = outputOf({{self, "--frames", aspect}, display, "", false}, text);
    std::istringstream lines(text);
    std::string line;
    int rounds = 0;
    while (std::getline(lines, line)) {
        double f = 0.0, g = 0.0;
        if (std::sscanf(line.c_str(), "round %lf %lf", &f, &g) == 2) {
            floorMs.push_back(f);
            gameMs.push_back(g);
            ++rounds;
        } else if (std::sscanf(line.c_str(), "ghost %lf %lf", &f, &g) == 2) {
            trialMs.push_back(f);
            ghostMs.push_back(g);
        }
    }
    return ended && rounds == kRounds;
}

// What the launches of one paced program at one screen size measured.
struct PacedFigures {
    std::vector<double> framesPerSecond;
    std::vector<double> cpuPercent;   // of one core
    std::vector<double> intervalsMs;  // between consecutive swaps, all launches together
};

// Launches `program` (with `argument`) on `display` from the data folder with SwapCounter
// loaded; appends its paced frames a second, its processor use and its swap intervals.
bool measurePaced(const char* program, const char* argument, const std::string& display,
                  PacedFigures& figures)
{
    PacedRun run;
    if (!runPaced({{program, argument}, display, TARVELO_DATA_DIR, false}, kPacedWarmUp,
                  kPacedMeasured, run))
        return false;
    figures.framesPerSecond.push_back(static_cast<double>(run.moments.size()) / run.seconds);
    figures.cpuPercent.push_back(run.cpuPercent);
    for (std::size_t i = 1; i < run.moments.size(); ++i)
        figures.intervalsMs.push_back(static_cast<double>(run.moments[i] - run.moments[i - 1]) /
                                      1e6);
    return true;
}

// The p-th percentile by nearest rank: the smallest value with at least p per cent of all at or
// below it.
double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    return values[static_cast<std::size_t>(std::max(rank, 1.0)) - 1];
}

// "p1 / median / p99 ms" of swap intervals.
std::string intervalFigures(const std::vector<double>& intervalsMs)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f / %.1f / %.1f ms", percentile(intervalsMs, 1.0),
                  median(intervalsMs), percentile(intervalsMs, 99.0));
    return text;
}

// "N of M": how many intervals are longer than the stutter mark, of all.
std::string lateFigures(const std::vector<double>& intervalsMs)
{
    const auto late = std::count_if(intervalsMs.begin(), intervalsMs.end(),
                                    [](double ms) { return ms > kLateMs; });
    return std::to_string(late) + " of " + std::to_string(intervalsMs.size());
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
    if (argc > 1 && std::strcmp(argv[1], "--paced-floor") == 0)
        return showPacedFloor(argc, argv);

    // The paced floor is this program again, started from the data folder.
    char* selfPath = realpath(argv[0], nullptr);
    if (selfPath == nullptr)
        return 1;
    const std::string self = selfPath;
    std::free(selfPath);

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
    const std::string gameAspect = std::string("--aspect=") + aspect;
    std::string frameTable =
        "| screen | game frame | floor frame | ratio | paced frames/s | CPU of one core |\n"
        "|---|---|---|---|---|---|\n";
    std::string swapTable =
        "| screen | game: p1 / median / p99 | game: over 20 ms | paced floor: p1 / median / p99 "
        "| paced floor: over 20 ms | paced floor frames/s | game - floor: p1, p99 |\n"
        "|---|---|---|---|---|---|---|\n";
    std::string ghostTable =
        "| screen | time trial's frame | with the ghost | the ghost's cost |\n"
        "|---|---|---|---|\n";
    std::string noise;
    int status = 0;
    for (const ScreenSize& size : sizes) {
        const VirtualServer server = startVirtualServer(size.width, size.height);
        const std::string& display = server.display;
        if (display.empty()) {
            std::fprintf(stderr, "no virtual X server of %d x %d\n", size.width, size.height);
            return 1;
        }
        std::vector<double> floorMs, gameMs, ratios, trialMs, ghostMs, ghostRatios;
        PacedFigures game, floor;
        for (int run = 0; run < repeats; ++run) {
            const std::size_t first = gameMs.size();
            const std::size_t firstGhost = ghostMs.size();
            if (!runFrameChild(argv[0], display, aspect, floorMs, gameMs, trialMs, ghostMs) ||
                !measurePaced(TARVELO_GAME_PATH, gameAspect.c_str(), display, game) ||
                !measurePaced(self.c_str(), "--paced-floor", display, floor)) {
                std::fprintf(stderr, "run %d at %d x %d failed\n", run, size.width, size.height);
                status = 1;
            }
            for (std::size_t i = first; i < gameMs.size(); ++i)
                ratios.push_back(gameMs[i] / floorMs[i]);  // the same round: the same load
            for (std::size_t i = firstGhost; i < ghostMs.size(); ++i)
                ghostRatios.push_back(ghostMs[i] / trialMs[i]);
        }
        stopVirtualServer(server);
        if (gameMs.empty() || game.intervalsMs.empty() || floor.intervalsMs.empty())
            continue;
        char line[512];
        std::snprintf(line, sizeof line,
                      "| %d x %d | %.1f ms | %.1f ms | %.2f | %.1f | %.0f %% |\n", size.width,
                      size.height, median(gameMs), median(floorMs), median(ratios),
                      median(game.framesPerSecond), median(game.cpuPercent));
        frameTable += line;
        if (!ghostMs.empty()) {
            std::snprintf(line, sizeof line, "| %d x %d | %.2f ms | %.2f ms | %+.1f %% |\n",
                          size.width, size.height, median(trialMs), median(ghostMs),
                          (median(ghostRatios) - 1.0) * 100.0);
            ghostTable += line;
        }
        std::snprintf(
            line, sizeof line, "| %d x %d | %s | %s | %s | %s | %.1f | %+.1f, %+.1f ms |\n",
            size.width, size.height, intervalFigures(game.intervalsMs).c_str(),
            lateFigures(game.intervalsMs).c_str(), intervalFigures(floor.intervalsMs).c_str(),
            lateFigures(floor.intervalsMs).c_str(), median(floor.framesPerSecond),
            percentile(game.intervalsMs, 1.0) - percentile(floor.intervalsMs, 1.0),
            percentile(game.intervalsMs, 99.0) - percentile(floor.intervalsMs, 99.0));
        swapTable += line;
        std::snprintf(line, sizeof line,
                      "%d x %d: spread over %zu rounds: game %.0f %%, floor %.0f %%, ratio "
                      "%.0f %%; over %zu launches: frames/s %.0f %%, CPU %.0f %%\n",
                      size.width, size.height, gameMs.size(), spread(gameMs), spread(floorMs),
                      spread(ratios), game.framesPerSecond.size(), spread(game.framesPerSecond),
                      spread(game.cpuPercent));
        noise += line;
        std::fprintf(stderr, "%d x %d done\n", size.width, size.height);
    }
    std::printf(
        "%s\nthe time trial's frame with the best lap's ghost in view, against without it\n"
        "%s\nswap intervals of the paced game and the paced floor, every launch together\n"
        "%s\nmedians of every round and launch; spread = (largest - smallest) / median\n%s",
        frameTable.c_str(), ghostTable.c_str(), swapTable.c_str(), noise.c_str());
    return status;
}
