// Records the time trial's laps of tests/replays. A game state of this program's own is stepped
// frame by frame through the game's commands, as the keys would give them: the switch into the
// time trial, the gears, the turns, accelerating and braking, each frame's motion step. An
// autopilot reads the car between frames and steers it from point to point round the course.
// Each frame is drawn in a window of 1024 x 768 and recorded as `tarvelo --record` records it.
// A lap that does not go as planned (a block or the river met where none was meant, a gate
// missed, a lap that does not end) ends the tool with status 1 and no file.
//
//   record_laps --list            the laps' names, one a line
//   record_laps [--dry] NAME FILE  drives NAME, recording into FILE (--dry: no window, no file;
//                                  what the car met, frame by frame, on standard output)
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "drives/Recording.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/Step.h"
#include "vehicle/Car.h"

namespace {

// A point the car's pivot is steered to, and the speed it may pass it at (world units a frame).
struct Waypoint {
    float x, y;
    float speed;
};

// Round the course from the start: gate 1 just ahead, then west to the west bridge, along the
// north road, through the green patch by the crate block, over the east bridge, down the road
// south over the red patch, west under the roof block, north between the blocks and back to
// gate 1.
constexpr Waypoint kLap[] = {
    {10.0f, 14.0f, 0.8f},   {-5.0f, 20.0f, 2.0f},   {-80.0f, 20.0f, 1.0f},  {-92.5f, 32.0f, 2.0f},
    {-92.5f, 95.0f, 1.0f},  {-75.0f, 103.0f, 1.5f}, {-48.0f, 116.0f, 1.5f}, {-5.0f, 117.5f, 1.0f},
    {7.5f, 105.0f, 1.5f},   {7.5f, 82.0f, 1.0f},    {20.0f, 72.5f, 2.0f},   {105.0f, 72.5f, 1.2f},
    {127.5f, 58.0f, 1.5f},  {127.5f, 28.0f, 1.0f},  {110.0f, 12.5f, 1.5f},  {72.0f, 12.5f, 1.0f},
    {62.5f, 0.0f, 2.0f},    {62.5f, -62.0f, 1.0f},  {50.0f, -80.0f, 2.0f},  {-18.0f, -80.0f, 1.0f},
    {-32.5f, -65.0f, 1.5f}, {-32.5f, -32.0f, 1.5f}, {10.0f, 16.0f, 2.0f},
};

// What a lap drive does: whole laps of the course, ending as the last one ends (as the best lap's
// file does), or a wreck on the way and a lap begun again after New.
struct LapDrive {
    const char* name;
    int laps;        // laps driven round to gate 1
    int wreckAfter;  // the waypoint after which the car is driven into the roof block; -1 none
    int gatesAfter;  // after a wreck and New: the waypoints driven on, through gate 1 and 2
};
constexpr LapDrive kDrives[] = {
    {"lap_clean", 1, -1, 0},
    {"lap_wreck", 0, 17, 5},
};

struct Autopilot {
    GameState game;  // lives until the recording's last state is written, at exit
    bool dry = false;
    int frames = 0;
    int contactSeen = kNoContact;
    bool failed = false;
    uint32_t lapsToDrive = 0;  // the drive ends as the last of them ends
};
Autopilot pilot;

constexpr float kPi = 3.14159265f;

// The angle from the car's heading to the way to (x, y), degrees, -180..180, clockwise positive.
double turnTowards(const Car& car, float x, float y)
{
    const MapSpot pivot = pivotOnMap(car);
    const double wanted =
        std::atan2(static_cast<double>(x) - pivot.x, static_cast<double>(y) - pivot.y) * 180.0 /
        kPi;
    double turn = wanted - car.getHeading();
    while (turn > 180.0)
        turn -= 360.0;
    while (turn < -180.0)
        turn += 360.0;
    return turn;
}

double distanceTo(const Car& car, float x, float y)
{
    const MapSpot pivot = pivotOnMap(car);
    return std::hypot(static_cast<double>(x) - pivot.x, static_cast<double>(y) - pivot.y);
}

// One frame: the commands, stepped, drawn and recorded as the game does.
void playFrame(std::vector<Command> input)
{
    GameState& game = pilot.game;
    if (!game.wrecked)
        input.push_back(kMotionStep);
    static std::vector<Command> applied;
    applied.clear();
    const bool played = step(game, input, &applied);
    ++pilot.frames;
    const Car& car = game.playerCar;
    if (car.getContactKind() != pilot.contactSeen) {
        pilot.contactSeen = car.getContactKind();
        if (pilot.dry && pilot.contactSeen != kNoContact)
            std::printf("frame %d: contact %d at (%.1f, %.1f)\n", pilot.frames, pilot.contactSeen,
                        car.getX_centre() + 10.0, static_cast<double>(car.getY_centre()));
    }
    if (pilot.dry)
        return;
    drawGame(game, pictureArea());
    recordStep(applied, played, game);
    glutSwapBuffers();
    glutMainLoopEvent();
}

bool fail(const char* what)
{
    std::fprintf(stderr, "record_laps: %s at frame %d\n", what, pilot.frames);
    pilot.failed = true;
    return false;
}

// Steers to the waypoint: a turn a frame while the heading is off by more than half a turn's
// step, the brake while too fast for it, and the accelerator while slower than the gear.
bool driveTo(const Waypoint& to, int budget = 600)
{
    for (int i = 0; i < budget; ++i) {
        if (pilot.lapsToDrive > 0 && pilot.game.trial.lapsDone == pilot.lapsToDrive)
            return true;
        const Car& car = pilot.game.playerCar;
        const double speed = car.getY_speed();
        if (distanceTo(car, to.x, to.y) < std::max(4.0, 2.5 * speed))
            return true;
        std::vector<Command> input;
        const double turn = turnTowards(car, to.x, to.y);
        if (turn > 5.625)
            input.push_back(act(Action::TurnRight));
        else if (turn < -5.625)
            input.push_back(act(Action::TurnLeft));
        const double brakingRoom = 8.0 + 12.0 * speed;
        const bool tooFast = speed > to.speed && distanceTo(car, to.x, to.y) < brakingRoom;
        if (tooFast || (std::fabs(turn) > 60.0 && speed > 0.6))
            input.push_back(act(Action::Brake));
        else if (speed < car.getGearMax())
            input.push_back(act(Action::Accelerate));
        playFrame(input);
        if (pilot.contactSeen == kHitContact || pilot.contactSeen == kWaterContact) {
            return fail("the car met a block or the river");
        }
    }
    return fail("a waypoint out of reach");
}

// Rams the roof block south of the red patch until the car is a wreck: run-ups from a standstill
// north of it, straight down.
bool wreckOnTheRoofBlock()
{
    for (int runs = 0; runs < 20 && !pilot.game.wrecked; ++runs) {
        while (pilot.game.playerCar.getHeading() != 180.0f &&
               pilot.game.playerCar.getHeading() != -180.0f)
            playFrame(
                {act(turnTowards(pilot.game.playerCar, 95.0f, -200.0f) > 0 ? Action::TurnRight
                                                                           : Action::TurnLeft)});
        for (int i = 0; i < 200 && pilot.game.playerCar.getContactKind() != kHitContact; ++i)
            playFrame({act(Action::Accelerate)});
        for (int i = 0; i < 30 && !pilot.game.wrecked; ++i)
            playFrame({});
        pilot.contactSeen = kNoContact;
    }
    if (!pilot.game.wrecked)
        fail("no wreck");
    return pilot.game.wrecked;
}

bool drive(const LapDrive& lap)
{
    GameState& game = pilot.game;
    playFrame({act(Action::TimeTrial), act(Action::Gear4)});
    if (!game.trial.on)
        return fail("no time trial");
    pilot.lapsToDrive = static_cast<uint32_t>(lap.laps);
    for (int round = 0; round < lap.laps; ++round) {
        for (const Waypoint& point : kLap)
            if (!driveTo(point))
                return false;
    }
    if (lap.laps > 0) {  // the drive ends with its lap, as the best lap's file does
        if (game.trial.lapsDone != pilot.lapsToDrive)
            return fail("the laps did not end at gate 1");
        return true;
    }
    if (lap.wreckAfter >= 0) {
        for (int i = 0; i <= lap.wreckAfter; ++i)
            if (!driveTo(kLap[i]))
                return false;
        if (!driveTo({95.0f, -85.0f, 0.5f}) || !wreckOnTheRoofBlock())
            return false;
        if (game.trial.lapRunning)
            return fail("the wreck left the clock running");
        for (int i = 0; i < 60; ++i)
            playFrame({});
        playFrame({act(Action::NewCar), act(Action::Gear4)});
        pilot.contactSeen = kNoContact;
        for (int i = 0; i < lap.gatesAfter; ++i)
            if (!driveTo(kLap[i]))
                return false;
        if (!game.trial.lapRunning || game.trial.nextGate != 2)
            return fail("the lap after New did not begin");
    }
    for (int i = 0; i < 90; ++i)  // a second and a half more: the split over the map
        playFrame({act(Action::Brake)});
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const LapDrive& lap : kDrives)
            std::printf("%s\n", lap.name);
        return 0;
    }
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--dry") == 0) {
        pilot.dry = true;
        ++first;
    }
    if (argc != first + 2) {
        std::fprintf(stderr, "usage: record_laps --list | record_laps [--dry] NAME FILE\n");
        return 2;
    }
    const LapDrive* lap = nullptr;
    for (const LapDrive& row : kDrives)
        if (std::strcmp(row.name, argv[first]) == 0)
            lap = &row;
    if (!lap) {
        std::fprintf(stderr, "record_laps: no lap named %s\n", argv[first]);
        return 2;
    }
    if (!pilot.dry) {
        if (const std::optional<std::string> why = openRecording(argv[first + 1])) {
            std::fprintf(stderr, "record_laps: %s\n", why->c_str());
            return 1;
        }
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_DOUBLE);
        glutInitWindowSize(1024, 768);
        glutInitWindowPosition(0, 0);
        glutCreateWindow("TARVELO! recording laps");
        glutDisplayFunc([] {});
        glutReshapeFunc(reshape);
        initGraphics(TARVELO_DATA_DIR);
        for (int i = 0; i < 20; ++i)
            glutMainLoopEvent();
        reshape(1024, 768);
        beginRecording(pilot.game);
    }
    const bool done = drive(*lap);
    std::printf("%s: %d frames, %u laps, last %u frames, next gate %d\n", lap->name, pilot.frames,
                pilot.game.trial.lapsDone, pilot.game.trial.lastLap.frames,
                pilot.game.trial.nextGate + 1);
    if (!done || pilot.failed) {
        if (!pilot.dry)
            std::remove(argv[first + 1]);
        std::_Exit(1);  // no last state: the file is gone
    }
    return 0;
}
