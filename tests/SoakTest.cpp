// A long drive with random keys and button presses through the game's real main loop: no GL error,
// no NaN or infinity in the car, and a car that never leaves the map.
// Leaving the main loop shuts the window down, so this test has a program of its own.
// TARVELO_SOAK_FRAMES and TARVELO_SOAK_SEED ask for a longer or a different drive; by default it
// is 300 frames, since RulesSoakTest drives the rules alone, without a window, for 50,000.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <string>

#include "GlHarness.h"
#include "input/Input.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

// AddressSanitizer, as g++ and clang++ each tell of it.
#if defined(__SANITIZE_ADDRESS__)
#define TARVELO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVELO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(TARVELO_ADDRESS_SANITIZER)
#include <sanitizer/allocator_interface.h>
#endif

namespace {

// The dashboard's Quit button under a window pixel.
bool pointerOnQuitButton(int x, int y)
{
    return buttonAtPixel(x, y) == PanelButtonKind::Quit;
}

long fromEnvironment(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text ? std::strtol(text, nullptr, 10) : fallback;
}

struct Soak {
    long framesWanted = 0;
    long frames = 0;
    std::mt19937 random;
    std::string firstProblem;  // where the drive first went wrong, if it did
    long explosions = 0;
    bool intact = true;     // the car as the last frame showed it
    float farthest = 0.0f;  // largest distance of the view centre from the map's centre, per axis
};
Soak soak;

void note(const std::string& problem)
{
    if (soak.firstProblem.empty())
        soak.firstProblem = "frame " + std::to_string(soak.frames) + ": " + problem;
}

void checkCar()
{
    const Car& car = harness::game().playerCar;
    const float fields[] = {car.getX_speed(),   car.getY_speed(),      car.get_MaxSpeed(),
                            car.getGearMax(),   car.getX_centre(),     car.getY_centre(),
                            car.getX_pivot(),   car.getY_pivot(),      car.getHeading(),
                            car.getDamage(),    car.getDamageStatus(), car.getBoxTop(),
                            car.getBoxBottom(), car.getBoxLeft(),      car.getBoxRight()};
    for (float field : fields) {
        if (!std::isfinite(field))
            note("a car field is not a finite number");
    }
    const float reach = std::max(std::fabs(car.getX_centre()), std::fabs(car.getY_centre()));
    soak.farthest = std::max(soak.farthest, reach);
    if (!(reach <= 200.0f))
        note("the car left the map, view centre " + std::to_string(car.getX_centre()) + ", " +
             std::to_string(car.getY_centre()));
}

constexpr int kNewButtonX = 82;  // pixel centre of the drawn New button on a 1024 x 768 window
constexpr int kNewButtonY = 180;

void pressNew()
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, kNewButtonX, kNewButtonY);
}

// One player's action, drawn from the test's own seeded generator: mostly driving, now and then a
// gear, the lights or a press on the dashboard (never on Quit, which would end the drive).
void playerActs()
{
    std::uniform_int_distribution<int> pick(0, 99);
    const int roll = pick(soak.random);
    if (roll < 40) {
        specialKey(GLUT_KEY_UP, 0, 0);
    } else if (roll < 50) {
        specialKey(GLUT_KEY_DOWN, 0, 0);
    } else if (roll < 60) {
        specialKey(GLUT_KEY_LEFT, 0, 0);
    } else if (roll < 70) {
        specialKey(GLUT_KEY_RIGHT, 0, 0);
    } else if (roll < 76) {
        // Fourth gear half the time, so that hits are hard enough to wreck the car now and then.
        const int gear = pick(soak.random) < 50 ? 4 : 1 + pick(soak.random) % 5;
        keyboard(static_cast<unsigned char>('0' + gear), 0, 0);
    } else if (roll < 78) {
        keyboard('l', 0, 0);
    } else if (roll < 80) {
        // Somewhere on the window, pressed or released with any button.
        std::uniform_int_distribution<int> x(0, harness::kWindowWidth - 1);
        std::uniform_int_distribution<int> y(0, harness::kWindowHeight - 1);
        const int px = x(soak.random);
        const int py = y(soak.random);
        passiveMotion(px, py);
        if (!pointerOnQuitButton(px, py))
            mouse(pick(soak.random) % 3, pick(soak.random) % 2, px, py);
    } else if (roll < 82) {
        pressNew();  // an intact car ignores it
    }
    // Otherwise the player does nothing this frame.
}

// What each frame shows: the car, and whether it exploded since the last frame.
void noteFrame()
{
    checkCar();
    if (soak.intact && harness::game().playerCar.getDamageStatus() == 0.0f)
        ++soak.explosions;
    soak.intact = harness::game().playerCar.getDamageStatus() != 0.0f;
    ++soak.frames;
}

// After each frame but the last: the player acts, or presses New a while after an explosion.
void playerTurn()
{
    if (harness::game().playerCar.getDamageStatus() != 0.0f)
        playerActs();
    else if (soak.frames % 60 == 0)
        pressNew();  // after the explosion has played a while
}

TEST(SoakTest, LongRandomDriveKeepsTheCarFiniteAndOnTheMap)
{
    harness::resetGame();
    soak.framesWanted = fromEnvironment("TARVELO_SOAK_FRAMES", TARVELO_SOAK_DEFAULT_FRAMES);
    soak.random.seed(static_cast<unsigned>(fromEnvironment("TARVELO_SOAK_SEED", 2026)));
    harness::Script script{{}, noteFrame};
    for (long frame = 1; frame < soak.framesWanted; ++frame)
        script.cues.emplace(static_cast<int>(frame), playerTurn);
    // The real display, unpaced, each frame checked for GL errors; however long the frames take.
    harness::runMainLoopFrames(static_cast<int>(soak.framesWanted), script, false,
                               std::numeric_limits<unsigned>::max());
    const unsigned newCars = harness::game().carNumber - GameState{}.carNumber;

    std::printf("%ld frames, %ld explosions, %u new cars, farthest %.1f from the centre\n",
                soak.frames, soak.explosions, newCars, soak.farthest);
    EXPECT_EQ(soak.frames, soak.framesWanted);
    EXPECT_EQ(soak.firstProblem, "");
}

// The memory the game holds: the process's resident size, from /proc. Under AddressSanitizer
// the heap in use instead: there freed memory waits in a quarantine of up to 256 MB before it is
// handed out again, and the resident size grows by what waits.
long heldMegabytes()
{
#if defined(TARVELO_ADDRESS_SANITIZER)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / (1024 * 1024));
#else
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
#endif
}

// A player who pauses and plays on every few frames while driving: a paused game is drawn from
// its state and keeps no picture of its own, so the game's size stays where it was. (A picture
// kept anew at each pause would be 3 MB each, 300 MB over the pauses.)
TEST(SoakTest, HundredPausesWhileDrivingCostNoMemory)
{
    harness::resetGame();
    keyboard('4', 0, 0);
    // Three frames a pause: Up and p after the first, so that the next is kept and the one after
    // it paused, then p again. The first twenty pauses make what every later one uses.
    constexpr int kPauses = 20 + 100;
    long before = 0;
    harness::Script script;
    for (int pause = 0; pause < kPauses; ++pause) {
        const int frame = 3 * pause + 1;
        if (pause == 20)
            script.cues.emplace(frame, [&before] { before = heldMegabytes(); });
        script.cues.emplace(frame, [] {
            specialKey(GLUT_KEY_UP, 0, 0);
            keyboard('p', 0, 0);
        });
        script.cues.emplace(frame + 2, [] { keyboard('p', 0, 0); });
    }
    harness::runFrames(3 * kPauses + 1, script);
    EXPECT_LE(heldMegabytes() - before, 20) << "from " << before << " MB";
}

}  // namespace
