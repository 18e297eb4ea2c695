// Records the drives of tests/replays. The real game runs in this process with its own window,
// recording as `tarvelo --record` does, and an autopilot drives it frame by frame through the
// game's own action layer: before each frame it reads the car and presses, lets go of or taps
// the game's actions as the keyboard does (and clicks New as the mouse does); then the frame is
// the game's own display, followed by its idle turn's motion step. No clock decides anything, so
// a drive is made the same way every time: the same route gives the same file.
//
// Each drive is a route of steps in the table below: drive to a point, ram a block from one
// side, swim, wreck the car and bring a new one, reverse, pause, hide the window. A log beside
// each recording says what the car met and at which frame, counted as the recording counts
// them; a step that goes wrong (a hit that was not planned, a step that does not finish) ends the
// tool with status 1.
//
//   record_drives --list             the drives' names, one a line
//   record_drives NAME FILE LOG      drives NAME, recording into FILE, logging into LOG
#include <GL/freeglut.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dashboard/Toolbar.h"
#include "drives/Recording.h"
#include "input/Actions.h"
#include "input/Input.h"
#include "platform/LeakCheck.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/PlayedGame.h"
#include "session/Step.h"
#include "shell/Game.h"
#include "vehicle/Car.h"
#include "world/Regions.h"

namespace {

// ---- the routes --------------------------------------------------------------------------------

// The side of a block (or of the map) the car comes from.
enum Side { kNorth, kSouth, kEast, kWest };
constexpr const char* kSideNames[] = {"north", "south", "east", "west"};

// What the car can be driven into: rows 1 to 7 are the world's blocks (obstacleRegions), 8 to 11
// its railings (railingRegions); kEdgeRow + a Side is that edge of the map.
constexpr int kEdgeRow = 100;

enum class Do {
    Go,           // drive to a point
    Ram,          // drive into a row from one side, straight, until it throws the car back
    Wreck,        // ram a row in fourth gear, backing off in reverse, until the car explodes
    Repair,       // stop on a point of the repair patch until the car is whole again
    Steer,        // accelerate and a turn held together for a number of frames
    Pause,        // pause, a while, pause again
    Hide,         // the window hidden until the game sees it so, then shown again
    Lights,       // the lights action
    NewByKey,     // New tapped, on a wreck
    NewByButton,  // a click on the dashboard's New button, on a wreck
};

struct Step {
    Do what;
    float x = 0, y = 0;   // Go, Repair: the point, in the car box's centre
    int row = 0;          // Ram, Wreck: the row driven into
    Side side = kNorth;   // Ram, Wreck: coming from that side of it
    float along = 0;      // Ram, Wreck: where along that side (x for north and south, else y)
    float approach = 10;  // Ram: the straight run to the side; Wreck: each run-up
    int gear = 1;         // Go, Ram, Steer: the gear driven in, 1 to 4
    int turns = 0;        // Steer, Pause: how many turns of the loop (frames while playing)
    Action turn = Action::TurnLeft;  // Steer: the turn held
};

Step go(float x, float y, int gear = 1)
{
    return {Do::Go, x, y, 0, kNorth, 0, 10, gear};
}
Step ram(int row, Side from, float along, int gear = 1, float approach = 10)
{
    return {Do::Ram, 0, 0, row, from, along, approach, gear};
}
// The side a car comes from to reach one of the map's edges: the edge's opposite.
Side towards(Side edge)
{
    constexpr Side kComingFrom[] = {kSouth, kNorth, kWest, kEast};
    return kComingFrom[edge];
}
Step ramEdge(Side edge, float along)
{
    return {Do::Ram, 0, 0, kEdgeRow + edge, towards(edge), along, 10, 1};
}
Step wreck(int row, Side from, float along, float runUp)
{
    return {Do::Wreck, 0, 0, row, from, along, runUp, 4};
}
Step repair(float x, float y)
{
    return {Do::Repair, x, y};
}
Step steer(Action turn, int frames, int gear)
{
    return {Do::Steer, 0, 0, 0, kNorth, 0, 10, gear, frames, turn};
}
Step pauseFor(int turns)
{
    return {Do::Pause, 0, 0, 0, kNorth, 0, 10, 1, turns};
}
Step act(Do what)
{
    return {what};
}

struct Drive {
    const char* name;
    const char* about;        // what it drives through, for its log
    std::vector<Step> route;  // the game is left with Quit after the last step
};

// Points are the car box's centre: the car starts at (10, 0) facing north in first gear. The
// blocks, railings, river and patches are those of world/Regions.cpp. Sides that cannot be
// reached are left out: block 1's north, 2's east, 3's and 5's south and 7's west lie less than
// a car's width from the map's edge, and 6's west is against block 7.
const std::vector<Drive> kDrives = {
    {"crates_north",
     "Across the river northwards and over green patch 14 into block 1, round it, lights off and "
     "on, and back south over the east bridge.",
     {go(45, 30), ram(1, kSouth, 45), act(Do::Lights), go(0, 72), ram(1, kWest, 110),
      act(Do::Lights), go(5, 72), go(85, 72, 2), ram(1, kEast, 110), go(127, 100), go(127, 20, 3)}},
    {"east_blocks",
     "Block 2 from three sides and block 3 from three, over red patch 16, and the map's south "
     "edge.",
     {go(110, -5, 3), ram(2, kNorth, 110), go(75, -8), ram(2, kWest, -40), go(62, -40), go(62, -88),
      ram(2, kSouth, 110, 1, 13), ram(3, kNorth, 95), go(125, -95), ram(3, kEast, -125),
      go(125, -95), go(65, -95), ram(3, kWest, -125), go(60, -115), ramEdge(kSouth, 60)}},
    {"middle_blocks",
     "Block 4 from all four sides and block 6 from three, over green patch 17 and red patch 18.",
     {ram(4, kNorth, 35), go(55, -28), ram(4, kEast, -40), go(55, -85), ram(4, kSouth, 15),
      go(-25, -80), ram(4, kWest, -55), ram(6, kEast, -50), go(-35, -25), go(-70, -25),
      ram(6, kNorth, -70), go(-40, -30), go(-40, -75), ram(6, kSouth, -70)}},
    {"south_west",
     "Block 5 from three sides and block 7 from the south and east, then the repair patch.",
     {go(48, -2), go(48, -110), ram(5, kEast, -110), go(5, -81), go(-50, -81),
      ram(5, kNorth, -50, 1, 4), ram(7, kSouth, -110), go(-110, -75), go(-40, -75), go(-40, -20),
      ram(7, kEast, -20), go(-40, -20), go(-40, -75), go(-105, -75), ram(5, kWest, -110),
      repair(-107, -125)}},
    {"river",
     "Into the river and along it into the east bridge's inner railing; over land to the west "
     "bridge, swimming into its east railing, north over it, and swimming into its west railing.",
     {go(90, 35), ram(9, kWest, 52), go(90, 30), go(-60, 30), ram(10, kEast, 52), go(-70, 30),
      go(-92.5f, 30), go(-92.5f, 80), go(-118, 75), ram(11, kWest, 52)}},
    {"wreck_new_key",
     "Rammed on block 7 from the north until it explodes, a new car with New; north over green "
     "patch 15, accelerate held while steering with a held turn, a pause while it drives.",
     {go(10, 20), go(-110, 20), wreck(7, kNorth, -110, 40), act(Do::NewByKey), go(-25, 30),
      go(-25, 100), go(-25, 120), go(-60, 120), go(-60, 95), steer(Action::TurnRight, 42, 2),
      steer(Action::TurnLeft, 30, 2), go(-60, 100), pauseFor(90), go(-100, 100)}},
    {"wreck_new_button",
     "The window hidden while the car drives; rammed on block 3 from the west until it explodes, "
     "a new car with the New button, and off again in second gear.",
     {go(48, -2), go(48, -40), act(Do::Hide), go(48, -95), wreck(3, kWest, -125, 40),
      act(Do::NewByButton), go(10, 30, 2)}},
};

// ---- the log -----------------------------------------------------------------------------------

FILE* logFile = nullptr;
unsigned framesDrawn = 0;           // as the recording counts them: frames of play drawn
std::vector<std::string> coverage;  // what the drive met, each once, in the order met

__attribute__((format(printf, 1, 2))) void note(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::fprintf(logFile, "frame %u: ", framesDrawn);
    std::vfprintf(logFile, format, arguments);
    std::fputc('\n', logFile);
    std::fflush(logFile);
    va_end(arguments);
}

void covered(const std::string& item)
{
    for (const std::string& seen : coverage) {
        if (seen == item)
            return;
    }
    coverage.push_back(item);
}

[[noreturn]] void fail(const std::string& why)
{
    note("FAILED: %s", why.c_str());
    std::fprintf(stderr, "record_drives: %s\n", why.c_str());
    std::exit(1);
}

// ---- what the car meets ------------------------------------------------------------------------

constexpr int kRows = 11;  // the blocks, then the railings
const char* const kRowNames[kRows + 1] = {
    "",
    "crate block 1",
    "crate block 2",
    "roof block 3",
    "roof block 4",
    "brick block 5",
    "brick block 6",
    "crate block 7",
    "the east bridge's outer railing",
    "the east bridge's inner railing",
    "the west bridge's east railing",
    "the west bridge's west railing",
};
constexpr int kBlocks = std::size(obstacleRegions);
constexpr int kWaters = std::size(waterRegions);
constexpr int kPatches = std::size(speedPatchRegions);
static_assert(kBlocks + std::size(railingRegions) == kRows, "a name for each block and railing");
constexpr int kFirstWaterRow = kRows + 1;  // the rows as the world's comments count them
constexpr int kFirstPatchRow = kFirstWaterRow + kWaters;

std::string rowName(int row)
{
    return row >= kEdgeRow ? "the map's " + std::string(kSideNames[row - kEdgeRow]) + " edge"
                           : kRowNames[row];
}

const WorldRegion& regionOf(int row)
{
    return row <= kBlocks ? obstacleRegions[row - 1].region : railingRegions[row - kBlocks - 1];
}

float centreX(const Car& car)
{
    return (car.getBoxLeft() + car.getBoxRight()) / 2.0f;
}
float centreY(const Car& car)
{
    return (car.getBoxTop() + car.getBoxBottom()) / 2.0f;
}

// Half the car box's side: how far its centre stays from anything it does not overlap.
const float kHalfBox = (carAtStart().getBoxRight() - carAtStart().getBoxLeft()) / 2.0f;

// The car's turn step, as one turn of a car at its start shows it.
float turnStepOfTheCar()
{
    Car car = carAtStart();
    float radians = 0.0f;
    car.turnRight(radians);
    return car.getHeading() - carAtStart().getHeading();
}
const float kTurnStep = turnStepOfTheCar();

// The sides of a region the box lies beyond (it is outside the region when there is one).
unsigned sidesOutside(const Car& car, const WorldRegion& region)
{
    unsigned sides = 0;
    if (car.getBoxTop() >= region.top)
        sides |= 1u << kNorth;
    if (car.getBoxBottom() <= region.bottom)
        sides |= 1u << kSouth;
    if (car.getBoxRight() >= region.right)
        sides |= 1u << kEast;
    if (car.getBoxLeft() <= region.left)
        sides |= 1u << kWest;
    return sides;
}

std::string describeSides(unsigned sides)
{
    std::string text;
    for (int side = kNorth; side <= kWest; ++side) {
        if (sides & (1u << side))
            text += (text.empty() ? "" : " and ") + std::string(kSideNames[side]);
    }
    return text.empty() ? "inside" : text;
}

// The edge the box lies beyond, if any, as the world's rules test them.
std::optional<Side> edgeBeyond(const Car& car)
{
    if (car.getBoxTop() > mapTop)
        return kNorth;
    if (car.getBoxBottom() < mapBottom)
        return kSouth;
    if (car.getBoxRight() > mapRight)
        return kEast;
    if (car.getBoxLeft() < mapLeft)
        return kWest;
    return std::nullopt;
}

// The row of the drag rows the box is inside, counted from `firstRow`; 0 for none.
int dragRow(const Car& car, const DragRow* rows, int count, int firstRow)
{
    for (int i = 0; i < count; ++i) {
        if (boxInsideRegion(car, rows[i].region))
            return firstRow + i;
    }
    return 0;
}

// The gear the car is in, 1 to 4, or 5 for reverse, as the routes and the logs count them.
int gearOf(const Car& car)
{
    return gearOfTargetSpeed(car.getGearMax()) + 1;
}
constexpr int kReverse = kReverseGear + 1;

int rowHit = 0;  // the row or edge that threw the car back in the last frame, if any

struct Watch {
    Car last = carAtStart();            // the car as the last frame left it
    unsigned enteredFrom[kRows + 1]{};  // per row: the sides the box came from when it entered
    int water = 0, patch = 0;
    bool onRepair = false;
    int riverSide = 0;  // the bank the car was last on: -1 south of the river, 1 north of it
    bool swam = false;  // in the water since it left that bank
    bool backwards = false;
} watch;

bool hitExpected(int row, unsigned sides);  // by the step being driven

void noteHit(const Car& before, const Car& after, int row, unsigned sides)
{
    rowHit = row;
    const std::string what = rowName(row) + " from the " + describeSides(sides);
    note("%s hit at (%.1f, %.1f), speed %.3f: condition %.2f", what.c_str(), centreX(before),
         centreY(before), before.getY_speed(), after.getDamageStatus());
    covered(what);
    if (!hitExpected(row, sides))
        fail("a hit that was not planned: " + what);
}

// The rules the car met in the frame just drawn, told from the car as they met it (the frame's
// commands applied) and as they left it.
void watchFrame(const Car& before, const Car& after)
{
    Car& last = watch.last;
    rowHit = 0;
    const bool pushed =
        before.getX_centre() != after.getX_centre() || before.getY_centre() != after.getY_centre();
    const bool thrownBack = pushed && before.getY_speed() != 0.0f && after.getY_speed() == 0.0f;
    if (const std::optional<Side> edge = edgeBeyond(before); edge && thrownBack)
        noteHit(before, after, kEdgeRow + *edge, 1u << towards(*edge));
    for (int row = 1; row <= kRows; ++row) {
        const WorldRegion& region = regionOf(row);
        if (!boxInsideRegion(before, region))
            continue;
        if (!boxInsideRegion(last, region))
            watch.enteredFrom[row] = sidesOutside(last, region);
        if (thrownBack)
            noteHit(before, after, row, watch.enteredFrom[row]);
    }

    const float x = centreX(after), y = centreY(after);
    const int water = dragRow(after, waterRegions, kWaters, kFirstWaterRow);
    if (water != watch.water) {
        if (water)
            note("into the river (row %d) at (%.1f, %.1f), speed %.3f", water, x, y,
                 after.getY_speed());
        else
            note("out of the river at (%.1f, %.1f), speed %.3f", x, y, after.getY_speed());
        watch.water = water;
    }
    // Across the river: from one bank to the other, swimming or over a bridge. The banks are
    // where the box's centre is off the river's rectangle, which is the river grown by the box.
    const WorldRegion& river = waterRegions[0].region;
    const int side = y <= river.bottom + kHalfBox ? -1 : y >= river.top - kHalfBox ? 1 : 0;
    if (side == 0) {
        watch.swam = watch.swam || water;
    } else {
        if (watch.riverSide != 0 && side != watch.riverSide) {
            const char* way = side > 0 ? "northwards" : "southwards";
            const std::string what = watch.swam ? std::string("swam across the river ") + way
                                                : std::string("crossed the ") +
                                                      (x < 0 ? "west" : "east") + " bridge " + way;
            note("%s at x %.1f", what.c_str(), x);
            covered(what);
        }
        watch.riverSide = side;
        watch.swam = false;
    }
    const int patch = dragRow(after, speedPatchRegions, kPatches, kFirstPatchRow);
    if (patch != watch.patch) {
        if (watch.patch)
            note("off patch %d at speed %.3f", watch.patch, after.getY_speed());
        if (patch) {
            const float divisor = speedPatchRegions[patch - kFirstPatchRow].speedDivisor;
            const std::string what =
                std::string(divisor < 1.0f ? "green" : "red") + " patch " + std::to_string(patch);
            note("onto %s (speed divided by %.2f a frame) at speed %.3f", what.c_str(), divisor,
                 after.getY_speed());
            covered(what);
        }
        watch.patch = patch;
    }
    const bool onRepair = boxInsideRegion(after, repairRegion);
    if (onRepair != watch.onRepair) {
        note("%s the repair patch, condition %.2f", onRepair ? "onto" : "off",
             before.getDamageStatus());
        watch.onRepair = onRepair;
    }
    if (onRepair && before.getDamageStatus() < kIntactCondition &&
        after.getDamageStatus() >= kIntactCondition) {
        note("repaired: condition %.2f", after.getDamageStatus());
        covered("repaired on the repair patch");
    }
    if (before.getDamageStatus() != 0.0f && after.getDamageStatus() == 0.0f) {
        note("condition 0: the car explodes");
        covered("an explosion");
    }
    if (last.getGearMax() != before.getGearMax()) {
        if (gearOf(before) == kReverse)
            note("reverse gear");
        else
            note("gear %d", gearOf(before));
    }
    const bool backwards = after.getY_speed() < 0.0f;
    if (backwards != watch.backwards) {
        note("%s", backwards ? "rolling backwards in reverse" : "no longer rolling backwards");
        if (backwards)
            covered("reversing");
        watch.backwards = backwards;
    }
    last = after;
}

// ---- the game's actions, as a device gives them ------------------------------------------------

const Car& car()
{
    return playedGame().playerCar;
}

unsigned heldActions = 0;  // a bit for each action the autopilot holds down
unsigned carHeldFor = 1;   // the car they are held for: a new car lets go of everything

unsigned bit(Action action)
{
    return 1u << static_cast<unsigned>(action);
}

void hold(Action action, bool down)
{
    if (playedGame().carNumber != carHeldFor) {
        heldActions = 0;
        carHeldFor = playedGame().carNumber;
    }
    if (((heldActions & bit(action)) != 0) == down)
        return;
    heldActions ^= bit(action);
    if (down)
        pressAction(action, Device::Script);
    else
        releaseAction(action, Device::Script);
}

void letGoOfEverything()
{
    releaseActions(Device::Script);
    heldActions = 0;
}

void tap(Action action)
{
    tapAction(action, Device::Script);
}

// A click on the dashboard's New button, at its middle, as the mouse gives it to the game.
void clickNew()
{
    const PanelButton& button = panelButtons[static_cast<int>(PanelButtonKind::New)];
    const int rowsAbove = windowHeight - viewportBottom - viewportHeight;
    const int px =
        viewportLeft + static_cast<int>((0.5 * (button.left + button.right) + kViewHalfSize) /
                                        (2.0 * kViewHalfSize) * viewportWidth);
    const int py =
        rowsAbove + static_cast<int>((kViewHalfSize - 0.5 * (button.top + button.bottom)) /
                                     (2.0 * kViewHalfSize) * viewportHeight);
    if (buttonAtPixel(px, py) != PanelButtonKind::New)
        fail("the New button is not where it is drawn");
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, px, py);
}

// ---- the autopilot -----------------------------------------------------------------------------

// The difference from heading `from` to `to`, in degrees from -180 to 180; positive clockwise.
float headingDifference(float to, float from)
{
    float d = std::fmod(to - from, 360.0f);
    if (d > 180.0f)
        d -= 360.0f;
    if (d <= -180.0f)
        d += 360.0f;
    return d;
}

bool inGear(int gear)
{
    if (gearOf(car()) == gear)
        return true;
    tap(gearAction(static_cast<GearNumber>(gear - 1)));
    return false;
}

void turnBy(float difference)
{
    tap(difference > 0 ? Action::TurnRight : Action::TurnLeft);
}

void brake()
{
    hold(Action::Accelerate, false);
    tap(Action::Brake);
}

// Towards a point, in a forward gear: sharp turns from a standstill, gentle ones on the move.
bool driveTo(float tx, float ty, int gear, float within)
{
    const float dx = tx - centreX(car()), dy = ty - centreY(car());
    const float distance = std::hypot(dx, dy);
    if (distance < within)
        return true;
    const float bearing = std::atan2(dx, dy) * 180.0f / 3.14159265f;
    const float course = std::round(bearing / kTurnStep) * kTurnStep;
    const float difference = headingDifference(course, car().getHeading());
    if (distance < 6.0f && std::fabs(difference) > 90.0f)
        return true;  // went past it, close by
    if (std::fabs(difference) > 67.5f) {
        if (car().getY_speed() != 0.0f)
            brake();
        else
            turnBy(difference);
        return false;
    }
    if (!inGear(gear))
        return false;
    if (car().getY_speed() > kGears[gear - 1].gearMax + 0.25f) {
        brake();  // a green patch sped it up: back to the gear's pace
        return false;
    }
    hold(Action::Accelerate, true);
    if (std::fabs(difference) > kTurnStep / 2)
        turnBy(difference);
    return false;
}

// The straight run into a row's side (or a map edge): where it starts, and the heading.
struct Run {
    float startX, startY;
    float heading;
    bool alongX;  // the side is a line of constant x
    float face;   // that x or y, for the car box's centre
};

Run runInto(const Step& step)
{
    // The rectangle the box's centre must not enter: the row's shrunk by half the box, or for
    // an edge the band beyond the last position inside the map.
    WorldRegion zone{1e6f, -1e6f, 1e6f, -1e6f};
    if (step.row >= kEdgeRow) {
        const Side edge = static_cast<Side>(step.row - kEdgeRow);
        if (edge == kNorth)
            zone.bottom = mapTop - kHalfBox;
        if (edge == kSouth)
            zone.top = mapBottom + kHalfBox;
        if (edge == kEast)
            zone.left = mapRight - kHalfBox;
        if (edge == kWest)
            zone.right = mapLeft + kHalfBox;
    } else {
        const WorldRegion& r = regionOf(step.row);
        zone = {r.top - kHalfBox, r.bottom + kHalfBox, r.right - kHalfBox, r.left + kHalfBox};
    }
    switch (step.side) {
        case kSouth:
            return {step.along, zone.bottom - step.approach, 0.0f, false, zone.bottom};
        case kNorth:
            return {step.along, zone.top + step.approach, 180.0f, false, zone.top};
        case kWest:
            return {zone.left - step.approach, step.along, 90.0f, true, zone.left};
        case kEast:
            return {zone.right + step.approach, step.along, 270.0f, true, zone.right};
    }
    return {};
}

float distanceFromFace(const Run& run)
{
    return std::fabs((run.alongX ? centreX(car()) : centreY(car())) - run.face);
}

const std::vector<Step>* route = nullptr;
size_t stepIndex = 0;
int phase = 0;            // where the step being driven has got to
unsigned turn = 0;        // turns of the recorder's loop: a frame each while the game plays
unsigned phaseStart = 0;  // the turn the phase began at
unsigned stepStart = 0;   // the turn the step began at

constexpr unsigned kLongestStep = 1800;  // turns: half a minute of play
constexpr unsigned kMostFrames = 3300;   // a drive is well under a minute of play
constexpr unsigned kWreckShown = 60;     // frames the explosion is watched for, a second

bool hitExpected(int row, unsigned sides)
{
    if (!route || stepIndex >= route->size())
        return false;
    const Step& step = (*route)[stepIndex];
    return (step.what == Do::Ram || step.what == Do::Wreck) && phase == 2 && row == step.row &&
           sides == (1u << step.side);
}

void nextPhase(int next)
{
    phase = next;
    phaseStart = turn;
}

// Lined up at the run's start, standing, facing the side.
bool linedUp(const Run& run)
{
    const float difference = headingDifference(run.heading, car().getHeading());
    if (difference == 0.0f)
        return true;
    if (car().getY_speed() != 0.0f)
        brake();
    else
        turnBy(difference);
    return false;
}

// To the run's start, lined up: phases 0 and 1 of a ram or a wreck.
void toTheRun(const Step& step, const Run& run)
{
    if (phase == 0 && driveTo(run.startX, run.startY, step.what == Do::Ram ? step.gear : 1, 1.5f))
        nextPhase(1);
    else if (phase == 1 && linedUp(run))
        nextPhase(2);
}

bool driveRam(const Step& step)
{
    const Run run = runInto(step);
    if (phase < 2) {
        toTheRun(step, run);
        return false;
    }
    if (rowHit == step.row) {
        hold(Action::Accelerate, false);
        return true;
    }
    if (inGear(step.gear))
        hold(Action::Accelerate, true);
    return false;
}

// Rams in fourth gear; after each hit backs off in reverse to the run-up's length, stops, and
// rams again, until the car explodes. Then watches the explosion for a second.
bool driveWreck(const Step& step)
{
    const Run run = runInto(step);
    switch (phase) {
        case 0:
        case 1:
            toTheRun(step, run);
            return false;
        case 2:  // ram
            if (rowHit == step.row) {
                hold(Action::Accelerate, false);
                nextPhase(car().getDamageStatus() == 0.0f ? 5 : 3);
            } else if (inGear(4)) {
                hold(Action::Accelerate, true);
            }
            return false;
        case 3:  // back off
            if (car().getY_speed() > 0.0f) {
                brake();  // the last step of accelerating before it was let go
                return false;
            }
            if (!inGear(kReverse))
                return false;
            hold(Action::Accelerate, distanceFromFace(run) < step.approach);
            if (distanceFromFace(run) >= step.approach)
                nextPhase(4);
            return false;
        case 4:  // stop, then ram again
            if (car().getY_speed() != 0.0f) {
                tap(Action::Brake);
            } else {
                nextPhase(2);
            }
            return false;
        default:
            return turn - phaseStart >= kWreckShown;
    }
}

// Turns of the event loop, no frames, until the window's events from the X server have brought
// what is asked for: this waits for them, not for a time (but for a backstop, should they not
// come).
template <typename Asked>
void waitForTheWindow(Asked asked, const char* why)
{
    for (int i = 0; !asked(); ++i) {
        if (i == 5000)
            fail(why);
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool driveStep(const Step& step)
{
    switch (step.what) {
        case Do::Go:
            return driveTo(step.x, step.y, step.gear, 2.0f);
        case Do::Ram:
            return driveRam(step);
        case Do::Wreck:
            return driveWreck(step);
        case Do::Repair:
            if (phase == 0 && driveTo(step.x, step.y, 1, 1.5f))
                nextPhase(1);
            if (phase == 1) {
                if (car().getY_speed() != 0.0f)
                    brake();
                else
                    return car().getDamageStatus() >= kIntactCondition;
            }
            return false;
        case Do::Steer: {
            const char* turnName = step.turn == Action::TurnLeft ? "left" : "right";
            if (phase == 0) {
                if (!inGear(step.gear))
                    return false;
                hold(Action::Accelerate, true);
                hold(step.turn, true);
                note("accelerate and turn %s held", turnName);
                covered("accelerate held while steering with a held turn");
                nextPhase(1);
            } else if (turn - phaseStart >= static_cast<unsigned>(step.turns)) {
                hold(step.turn, false);
                note("turn %s let go, heading %.2f", turnName, car().getHeading());
                return true;
            }
            return false;
        }
        case Do::Pause:
            if (phase == 0) {
                tap(Action::Pause);
                nextPhase(1);
            } else if (phase == 1 && gamePaused(playedGame())) {
                note("paused at (%.1f, %.1f), speed %.3f", centreX(car()), centreY(car()),
                     car().getY_speed());
                nextPhase(2);
            } else if (phase == 2 && turn - phaseStart >= static_cast<unsigned>(step.turns)) {
                tap(Action::Pause);
                nextPhase(3);
            } else if (phase == 3 && !gamePaused(playedGame())) {
                note("playing again");
                covered("a pause");
                return true;
            }
            return false;
        case Do::Hide:
            // A hidden window gets no frames: the car waits where it stands, and nothing of the
            // wait is recorded.
            letGoOfEverything();
            glutHideWindow();
            waitForTheWindow([] { return !windowShown; },
                             "the window was hidden and the game still thinks it is shown");
            note("window hidden at (%.1f, %.1f), speed %.3f", centreX(car()), centreY(car()),
                 car().getY_speed());
            glutShowWindow();
            waitForTheWindow([] { return windowShown; },
                             "the window was shown again and the game does not see it");
            note("window shown again");
            covered("the window hidden and shown again");
            return true;
        case Do::Lights:
            if (phase == 0) {
                tap(Action::Lights);
                nextPhase(1);
                return false;
            }
            note("headlights %s", playedGame().headlightsOff ? "off" : "on");
            covered(playedGame().headlightsOff ? "headlights off" : "headlights on");
            return true;
        case Do::NewByKey:
        case Do::NewByButton:
            if (car().getDamageStatus() != 0.0f) {
                const char* how = step.what == Do::NewByKey ? "New" : "the New button";
                note("a new car with %s", how);
                covered(std::string("a new car with ") + how);
                return true;
            }
            letGoOfEverything();
            if (step.what == Do::NewByKey)
                tap(Action::NewCar);
            else
                clickNew();
            return false;
    }
    return false;
}

// The route's steps done: the game is left as Quit leaves it, which finishes the recording.
[[noreturn]] void quit()
{
    letGoOfEverything();
    std::string summary;
    for (const std::string& item : coverage)
        summary += (summary.empty() ? "" : "; ") + item;
    note("covered: %s", summary.c_str());
    note("Quit");
    tap(Action::Quit);
    fail("Quit did not end the game");
}

// The autopilot's work before a frame: the step being driven, or the next.
void autopilot()
{
    if (framesDrawn > kMostFrames)
        fail("the drive takes too long");
    if (stepIndex == route->size())
        quit();
    if (turn - stepStart > kLongestStep)
        fail("step " + std::to_string(stepIndex + 1) + " does not finish (phase " +
             std::to_string(phase) + ")");
    if (driveStep((*route)[stepIndex])) {
        ++stepIndex;
        stepStart = turn;
        nextPhase(0);
    }
}

// The game as runGame starts it, full screen on the X server's screen, recording; silent, as a
// checked drive is. Then turns of its loop until the route's end: the window's events, the
// autopilot, the frame, and idle's motion step for the next frame.
int recordDrive(const Drive& drive, const char* file, int argc, char** argv)
{
    if (const std::optional<std::string> why = openRecording(file)) {
        std::fprintf(stderr, "%s\n", why->c_str());
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    const int screenWidth = glutGet(GLUT_SCREEN_WIDTH), screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    glutInitWindowSize(screenWidth, screenHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! recording a drive");
    std::atexit(checkLeaksWhileTheDriverIsLoaded);  // as the game: before the driver is unloaded
    glutDisplayFunc([] {});                         // the frames are the loop's own, below
    glutReshapeFunc(reshape);
    glutWindowStatusFunc(windowStatus);
    initGraphics(TARVELO_DATA_DIR);
    beginRecording(playedGame());
    glutFullScreen();
    // Every picture is drawn at the screen's size: the first frame waits for the window to be
    // shown at it.
    waitForTheWindow(
        [=] { return windowShown && windowWidth == screenWidth && windowHeight == screenHeight; },
        "the window is not shown over the whole screen");
    note("start at (%.1f, %.1f), heading %.2f, gear %d, condition %.2f", centreX(car()),
         centreY(car()), car().getHeading(), gearOf(car()), car().getDamageStatus());

    route = &drive.route;
    for (;; ++turn) {
        glutMainLoopEvent();
        autopilot();
        // The car as the frame's rules meet it: its commands applied, the motion step among them.
        GameState meeting = playedGame();
        applyCommands(meeting, queuedCommands());
        const Car before = meeting.playerCar;
        const bool played = framePlays(playedGame(), queuedCommands());
        display();
        if (played) {
            ++framesDrawn;
            watchFrame(before, car());
        }
        idle();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const Drive& drive : kDrives)
            std::printf("%s\n", drive.name);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: record_drives --list | NAME FILE LOG\n");
        return 2;
    }
    for (const Drive& drive : kDrives) {
        if (drive.name != std::string(argv[1]))
            continue;
        logFile = std::fopen(argv[3], "w");
        if (!logFile) {
            std::fprintf(stderr, "record_drives: cannot write %s\n", argv[3]);
            return 1;
        }
        std::fprintf(logFile,
                     "# %s: %s\n# Made by tools/record_drives.sh: what the car met, at the frames "
                     "the recording counts (checkpoints every 60).\n",
                     drive.name, drive.about);
        int glutCount = 1;
        return recordDrive(drive, argv[2], glutCount, argv);
    }
    std::fprintf(stderr, "record_drives: no drive named %s\n", argv[1]);
    return 2;
}
