// Records the drives of tests/replays. The real game runs in this process with its own window,
// callbacks and main loop, recording as `tarvelo --record` does, and an autopilot drives it
// through real X input (the XTEST extension): it reads the car between frames and presses and
// lets go of keys, or clicks New, as a player would. Each drive is a route of steps in the table
// below: drive to a point, ram a block from one side, swim, wreck the car and bring a new one,
// reverse, pause, hide the window. A log beside each recording says what the car met and at
// which frame, counted as the recording counts them; a step that goes wrong (a block hit that
// was not planned, a step that does not finish) ends the tool with status 1.
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
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dashboard/Toolbar.h"
#include "drives/Recording.h"
#include "drives/Replay.h"
#include "input/Actions.h"
#include "input/Input.h"
#include "platform/Window.h"
#include "platform/WindowIdentity.h"
#include "session/Draw.h"
#include "session/PlayedGame.h"
#include "session/Step.h"
#include "shell/Game.h"
#include "vehicle/Car.h"
#include "world/Regions.h"

// After the game's headers: Xlib's macros would clash with names in them.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// ---- the routes --------------------------------------------------------------------------------

// The side of a block (or of the map) the car comes from.
enum Side { kNorth, kSouth, kEast, kWest };
constexpr const char* kSideNames[] = {"north", "south", "east", "west"};

// What the car can be driven into: the world's rows 1 to 11 (blocks 1-7, railings 8-11) and the
// map's four edges.
constexpr int kEdgeRow = 100;  // + the edge's Side

enum class Do {
    Go,           // drive to a point
    Ram,          // drive into a row from one side, straight, until it throws the car back
    Wreck,        // ram a row in fourth gear, backing off in reverse, until the car explodes
    Repair,       // stop on a point of the repair patch until the car is whole again
    Steer,        // Up and a turn key held together for a while
    Pause,        // p, a while, p again
    Hide,         // the window unmapped for a while, then mapped again
    Lights,       // l
    NewByKey,     // n, on a wreck
    NewByButton,  // a click on New, on a wreck
};

struct Step {
    Do what;
    float x = 0, y = 0;    // Go, Repair: the point, in the car box's centre
    int row = 0;           // Ram, Wreck: the row driven into
    Side side = kNorth;    // Ram, Wreck: coming from that side of it
    float along = 0;       // Ram, Wreck: where along that side (x for north and south, else y)
    float approach = 10;   // Ram: the straight run to the side; Wreck: each run-up
    int gear = 1;          // Go, Ram: the gear driven in
    int ms = 0;            // Steer, Pause, Hide: how long
    KeySym key = XK_Left;  // Steer: the turn key held with Up
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
Step steer(KeySym key, int ms, int gear)
{
    Step step{Do::Steer};
    step.key = key;
    step.ms = ms;
    step.gear = gear;
    return step;
}
Step pauseFor(int ms)
{
    Step step{Do::Pause};
    step.ms = ms;
    return step;
}
Step hideFor(int ms)
{
    Step step{Do::Hide};
    step.ms = ms;
    return step;
}
Step act(Do what)
{
    return {what};
}

struct Drive {
    const char* name;
    const char* about;        // what it drives through, for its log
    std::vector<Step> route;  // the game is left with Escape after the last step
};

// Points are the car box's centre, (x_centre + 10, y_centre): the car starts at (10, 0) facing
// north in first gear. Blocks are rows 1 to 7: 1 crates x 20..70, y 90..130; 2 crates x 90..130,
// y -60..-20; 3 roofs x 80..110, y -140..-110; 4 roofs x -10..40, y -70..-40; 5 bricks
// x -90..-10, y -130..-90; 6 bricks x -90..-50, y -60..-40; 7 crates x -130..-90, y -60..-10.
// The river is y 45..60, with the west bridge at x -100..-85 and the east one at x 120..135.
// Sides that cannot be reached are left out: block 1's north, 2's east, 3's and 5's south and
// 7's west lie less than a car's width from the map's edge, and 6's west is against block 7.
const std::vector<Drive> kDrives = {
    {"crates_north",
     "Across the river northwards and over green patch 14 into block 1, round it, lights off and "
     "on, and back south over the east bridge.",
     {
         go(45, 30),
         ram(1, kSouth, 45),
         act(Do::Lights),
         go(0, 72),
         ram(1, kWest, 110),
         act(Do::Lights),
         go(5, 72),
         go(85, 72, 2),
         ram(1, kEast, 110),
         go(127, 100),
         go(127, 20, 3),
     }},
    {"east_blocks",
     "Block 2 from three sides and block 3 from three, over red patch 16, and the map's south "
     "edge.",
     {
         go(110, -5, 3),
         ram(2, kNorth, 110),
         go(75, -8),
         ram(2, kWest, -40),
         go(62, -40),
         go(62, -88),
         ram(2, kSouth, 110, 1, 13),
         ram(3, kNorth, 95),
         go(125, -95),
         ram(3, kEast, -125),
         go(125, -95),
         go(65, -95),
         ram(3, kWest, -125),
         go(60, -115),
         ramEdge(kSouth, 60),
     }},
    {"middle_blocks",
     "Block 4 from all four sides and block 6 from three, over green patch 17 and red patch 18.",
     {
         ram(4, kNorth, 35),
         go(55, -28),
         ram(4, kEast, -40),
         go(55, -85),
         ram(4, kSouth, 15),
         go(-25, -80),
         ram(4, kWest, -55),
         ram(6, kEast, -50),
         go(-35, -25),
         go(-70, -25),
         ram(6, kNorth, -70),
         go(-40, -30),
         go(-40, -75),
         ram(6, kSouth, -70),
     }},
    {"south_west",
     "Block 5 from three sides and block 7 from the south and east, then the repair patch.",
     {
         go(48, -2),
         go(48, -110),
         ram(5, kEast, -110),
         go(5, -81),
         go(-50, -81),
         ram(5, kNorth, -50, 1, 4),
         ram(7, kSouth, -110),
         go(-110, -75),
         go(-40, -75),
         go(-40, -20),
         ram(7, kEast, -20),
         go(-40, -20),
         go(-40, -75),
         go(-105, -75),
         ram(5, kWest, -110),
         repair(-107, -125),
     }},
    {"river",
     "Into the river and along it into the east bridge's inner railing; over land to the west "
     "bridge, swimming into its east railing, north over it, and swimming into its west railing.",
     {
         go(90, 35),
         ram(9, kWest, 52),
         go(90, 30),
         go(-60, 30),
         ram(10, kEast, 52),
         go(-70, 30),
         go(-92.5f, 30),
         go(-92.5f, 80),
         go(-118, 75),
         ram(11, kWest, 52),
     }},
    {"wreck_new_key",
     "Rammed on block 7 from the north until it explodes, a new car with n; north over green patch "
     "15, Up held while steering with held arrows, a pause while it drives.",
     {
         go(10, 20),
         go(-110, 20),
         wreck(7, kNorth, -110, 40),
         act(Do::NewByKey),
         go(-25, 30),
         go(-25, 100),
         go(-25, 120),
         go(-60, 120),
         go(-60, 95),
         steer(XK_Right, 700, 2),
         steer(XK_Left, 500, 2),
         go(-60, 100),
         pauseFor(1500),
         go(-100, 100),
     }},
    {"wreck_new_button",
     "The window hidden for a second while the car drives; rammed on block 3 from the west until "
     "it explodes, a new car with the New button, and off again in second gear.",
     {
         go(48, -2),
         go(48, -40),
         hideFor(1000),
         go(48, -95),
         wreck(3, kWest, -125, 40),
         act(Do::NewByButton),
         go(10, 30, 2),
     }},
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

const char* const kRowNames[] = {
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
constexpr const char* kEdgeNames[] = {"the map's north edge", "the map's south edge",
                                      "the map's east edge", "the map's west edge"};

std::string rowName(int row)
{
    return row >= kEdgeRow ? kEdgeNames[row - kEdgeRow] : kRowNames[row];
}

const WorldRegion& regionOf(int row)
{
    return row <= 7 ? obstacleRegions[row - 1].region : railingRegions[row - 8];
}

float centreX(const Car& car)
{
    return (car.getBoxLeft() + car.getBoxRight()) / 2.0f;
}
float centreY(const Car& car)
{
    return (car.getBoxTop() + car.getBoxBottom()) / 2.0f;
}

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

// The edge the box lies beyond, if any, as checkMapEdges tests them.
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

int waterRow(const Car& car)
{
    for (int i = 0; i < 2; ++i) {
        if (boxInsideRegion(car, waterRegions[i].region))
            return 12 + i;
    }
    return 0;
}

int patchRow(const Car& car)
{
    for (int i = 0; i < 5; ++i) {
        if (boxInsideRegion(car, speedPatchRegions[i].region))
            return 14 + i;
    }
    return 0;
}

int gearOf(const Car& car)
{
    for (int i = 0; i < 5; ++i) {
        if (kGears[i].gearMax == car.getGearMax())
            return i + 1;
    }
    return 0;
}

// A throw-back the car took: from which row or edge, coming from which sides.
struct Hit {
    int row;
    unsigned sides;
};
std::vector<Hit> hits;

struct Watch {
    Car last = carAtStart();     // the car as the last frame left it
    unsigned enteredFrom[12]{};  // per row: the sides the box came from when it entered
    int water = 0, patch = 0;
    bool onRepair = false;
    int riverSide = 0;  // the bank the car was last on: -1 south of the river, 1 north of it
    bool swam = false;  // in the water since it left that bank
    bool backwards = false;
} watch;

bool hitExpected(const Hit& hit);  // by the step being driven

void noteHit(const Car& before, const Car& after, int row, unsigned sides)
{
    const Hit hit{row, sides};
    hits.push_back(hit);
    const std::string what = rowName(row) + " from the " + describeSides(sides);
    note("%s hit at (%.1f, %.1f), speed %.3f: condition %.2f", what.c_str(), centreX(before),
         centreY(before), before.getY_speed(), after.getDamageStatus());
    covered(what);
    if (!hitExpected(hit))
        fail("a hit that was not planned: " + what);
}

// The rules the car met in the frame just drawn, told from the car before and after it.
void watchFrame(const Car& before, const Car& after)
{
    Car& last = watch.last;
    const bool pushed =
        before.getX_centre() != after.getX_centre() || before.getY_centre() != after.getY_centre();
    const bool thrownBack = pushed && before.getY_speed() != 0.0f && after.getY_speed() == 0.0f;
    if (const std::optional<Side> edge = edgeBeyond(before); edge && thrownBack)
        noteHit(before, after, kEdgeRow + *edge, 1u << towards(*edge));
    for (int row = 1; row <= 11; ++row) {
        const WorldRegion& region = regionOf(row);
        if (!boxInsideRegion(before, region))
            continue;
        if (!boxInsideRegion(last, region))
            watch.enteredFrom[row] = sidesOutside(last, region);
        if (thrownBack)
            noteHit(before, after, row, watch.enteredFrom[row]);
    }

    const float x = centreX(after), y = centreY(after);
    const int water = waterRow(after);
    if (water != watch.water) {
        if (water)
            note("into the river (row %d) at (%.1f, %.1f), speed %.3f", water, x, y,
                 after.getY_speed());
        else
            note("out of the river at (%.1f, %.1f), speed %.3f", x, y, after.getY_speed());
        watch.water = water;
    }
    // Across the river: from one bank to the other, swimming or over a bridge.
    const int side = y <= 45.0f ? -1 : y >= 60.0f ? 1 : 0;
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
    const int patch = patchRow(after);
    if (patch != watch.patch) {
        if (watch.patch)
            note("off patch %d at speed %.3f", watch.patch, after.getY_speed());
        if (patch) {
            const float divisor = speedPatchRegions[patch - 14].speedDivisor;
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
        if (gearOf(before) == 5)
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

// ---- X input -----------------------------------------------------------------------------------

Display* x = nullptr;  // a connection of our own, as another program's would be
Window gameWindow = 0;
std::set<KeySym> held;  // keys the autopilot holds down

void sendKey(KeySym key, bool down)
{
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, key), down ? True : False, CurrentTime);
    XFlush(x);
}

void hold(KeySym key, bool down)
{
    if (held.count(key) == (down ? 1u : 0u))
        return;
    sendKey(key, down);
    if (down)
        held.insert(key);
    else
        held.erase(key);
}

void letGoOfEverything()
{
    while (!held.empty())
        hold(*held.begin(), false);
}

// A tap waits for what it asked to show in the game (or a while, if nothing does) before the
// autopilot goes on: a quarter of a second is many frames.
constexpr double kTapWaitMs = 250;
struct Pending {
    KeySym key = 0;
    float before = 0;
    double until = 0;
} pending;

float seenBy(KeySym key)
{
    switch (key) {
        case XK_Left:
        case XK_Right:
            return playedGame().playerCar.getHeading();
        case XK_Down:
            return playedGame().playerCar.getY_speed();
        case XK_p:
            return gamePaused(playedGame()) ? 1.0f : 0.0f;
        case XK_l:
            return static_cast<float>(playedGame().headlightsOff);
        case XK_n:
            return playedGame().playerCar.getDamageStatus();
        default:
            return playedGame().playerCar.getGearMax();  // the digits
    }
}

double msNow()
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration<double, std::milli>(steady_clock::now() - start).count();
}

void tap(KeySym key)
{
    pending = {key, seenBy(key), msNow() + kTapWaitMs};
    sendKey(key, true);
    sendKey(key, false);
}

bool waitingForATap()
{
    if (pending.key == 0)
        return false;
    if (seenBy(pending.key) != pending.before || msNow() > pending.until)
        pending.key = 0;
    return pending.key != 0;
}

void clickNew()
{
    const PanelButton& button = panelButtons[0];
    const int px = static_cast<int>((0.5 * (button.left + button.right) + kViewHalfSize) /
                                    (2.0 * kViewHalfSize) * viewportWidth);
    const int py = static_cast<int>((kViewHalfSize - 0.5 * (button.top + button.bottom)) /
                                    (2.0 * kViewHalfSize) * viewportHeight);
    pending = {XK_n, seenBy(XK_n), msNow() + kTapWaitMs};
    XTestFakeMotionEvent(x, DefaultScreen(x), px, py, CurrentTime);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    XFlush(x);
}

// ---- the autopilot -----------------------------------------------------------------------------

constexpr float kTurnStep = 11.25f;

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

bool headingIs(float heading)
{
    return headingDifference(heading, playedGame().playerCar.getHeading()) == 0.0f;
}

bool inGear(int gear)
{
    if (gearOf(playedGame().playerCar) == gear)
        return true;
    tap(XK_0 + gear);
    return false;
}

void turnBy(float difference)
{
    tap(difference > 0 ? XK_Right : XK_Left);
}

void brake()
{
    hold(XK_Up, false);
    tap(XK_Down);
}

// Towards a point, in a forward gear: sharp turns from a standstill, gentle ones on the move.
bool driveTo(float tx, float ty, int gear, float within)
{
    const float dx = tx - centreX(playedGame().playerCar),
                dy = ty - centreY(playedGame().playerCar);
    const float distance = std::hypot(dx, dy);
    if (distance < within)
        return true;
    const float bearing = std::atan2(dx, dy) * 180.0f / 3.14159265f;
    const float course = std::round(bearing / kTurnStep) * kTurnStep;
    const float difference = headingDifference(course, playedGame().playerCar.getHeading());
    if (distance < 6.0f && std::fabs(difference) > 90.0f)
        return true;  // went past it, close by
    if (std::fabs(difference) > 67.5f) {
        if (playedGame().playerCar.getY_speed() != 0.0f)
            brake();
        else
            turnBy(difference);
        return false;
    }
    if (!inGear(gear))
        return false;
    if (playedGame().playerCar.getY_speed() > kGears[gear - 1].gearMax + 0.25f) {
        brake();  // a green patch sped it up: back to the gear's pace
        return false;
    }
    hold(XK_Up, true);
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
    // The rectangles the box's centre must not enter: the row's shrunk by half the box, or for
    // an edge the band beyond the last position inside the map.
    WorldRegion zone{1e6f, -1e6f, 1e6f, -1e6f};
    if (step.row >= kEdgeRow) {
        const Side edge = static_cast<Side>(step.row - kEdgeRow);
        if (edge == kNorth)
            zone.bottom = mapTop - 5.0f;
        if (edge == kSouth)
            zone.top = mapBottom + 5.0f;
        if (edge == kEast)
            zone.left = mapRight - 5.0f;
        if (edge == kWest)
            zone.right = mapLeft + 5.0f;
    } else {
        const WorldRegion& r = regionOf(step.row);
        zone = {r.top - 5.0f, r.bottom + 5.0f, r.right - 5.0f, r.left + 5.0f};
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
    return std::fabs(
        (run.alongX ? centreX(playedGame().playerCar) : centreY(playedGame().playerCar)) -
        run.face);
}

const std::vector<Step>* route = nullptr;
size_t stepIndex = 0;
int phase = 0;          // where the step being driven has got to
double phaseStart = 0;  // ms
size_t hitsBefore = 0;  // hits seen when the step's run began
bool started = false;

constexpr double kLongestStepMs = 30000;
constexpr unsigned kMostFrames = 3300;  // a drive is well under a minute of play

bool hitExpected(const Hit& hit)
{
    if (!route || stepIndex >= route->size())
        return false;
    const Step& step = (*route)[stepIndex];
    return (step.what == Do::Ram || step.what == Do::Wreck) && phase == 2 && hit.row == step.row &&
           hit.sides == (1u << step.side);
}

void nextPhase(int next)
{
    phase = next;
    phaseStart = msNow();
}

bool sinceMs(double ms)
{
    return msNow() - phaseStart >= ms;
}

// Lined up at the run's start, standing, facing the side.
bool linedUp(const Run& run)
{
    if (headingIs(run.heading))
        return true;
    if (playedGame().playerCar.getY_speed() != 0.0f)
        brake();
    else
        turnBy(headingDifference(run.heading, playedGame().playerCar.getHeading()));
    return false;
}

bool newHit(const Step& step)
{
    for (size_t i = hitsBefore; i < hits.size(); ++i) {
        if (hits[i].row == step.row)
            return true;
    }
    return false;
}

bool driveRam(const Step& step)
{
    const Run run = runInto(step);
    switch (phase) {
        case 0:
            if (driveTo(run.startX, run.startY, step.gear, 1.5f))
                nextPhase(1);
            return false;
        case 1:
            if (linedUp(run)) {
                hitsBefore = hits.size();
                nextPhase(2);
            }
            return false;
        default:
            if (newHit(step)) {
                hold(XK_Up, false);
                return true;
            }
            if (inGear(step.gear))
                hold(XK_Up, true);
            return false;
    }
}

// Rams in fourth gear; after each hit backs off in reverse to the run-up's length, stops, and
// rams again, until the car explodes. Then waits a second for the explosion to be seen.
bool driveWreck(const Step& step)
{
    const Run run = runInto(step);
    switch (phase) {
        case 0:
            if (driveTo(run.startX, run.startY, 1, 1.5f))
                nextPhase(1);
            return false;
        case 1:
            if (linedUp(run)) {
                hitsBefore = hits.size();
                nextPhase(2);
            }
            return false;
        case 2:  // ram
            if (newHit(step)) {
                hold(XK_Up, false);
                nextPhase(playedGame().playerCar.getDamageStatus() == 0.0f ? 5 : 3);
            } else if (inGear(4)) {
                hold(XK_Up, true);
            }
            return false;
        case 3:  // back off
            if (playedGame().playerCar.getY_speed() > 0.0f) {
                brake();  // the last step of Up before it was let go
                return false;
            }
            if (!inGear(5))
                return false;
            hold(XK_Up, distanceFromFace(run) < step.approach);
            if (distanceFromFace(run) >= step.approach)
                nextPhase(4);
            return false;
        case 4:  // stop, then ram again
            if (playedGame().playerCar.getY_speed() != 0.0f) {
                tap(XK_Down);
            } else {
                hitsBefore = hits.size();
                nextPhase(2);
            }
            return false;
        default:
            return sinceMs(1000);
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
                if (playedGame().playerCar.getY_speed() != 0.0f)
                    brake();
                else
                    return playedGame().playerCar.getDamageStatus() >= kIntactCondition;
            }
            return false;
        case Do::Steer:
            if (phase == 0) {
                if (!inGear(step.gear))
                    return false;
                hold(XK_Up, true);
                hold(step.key, true);
                note("Up and %s held", step.key == XK_Left ? "Left" : "Right");
                covered("Up held while steering with a held arrow");
                nextPhase(1);
            }
            if (phase == 1 && sinceMs(step.ms)) {
                hold(step.key, false);
                note("%s let go, heading %.2f", step.key == XK_Left ? "Left" : "Right",
                     playedGame().playerCar.getHeading());
                return true;
            }
            return false;
        case Do::Pause:
            if (phase == 0) {
                tap(XK_p);
                nextPhase(1);
            } else if (phase == 1 && gamePaused(playedGame())) {
                note("paused at (%.1f, %.1f), speed %.3f", centreX(playedGame().playerCar),
                     centreY(playedGame().playerCar), playedGame().playerCar.getY_speed());
                nextPhase(2);
            } else if (phase == 2 && sinceMs(step.ms)) {
                tap(XK_p);
                nextPhase(3);
            } else if (phase == 3 && !gamePaused(playedGame())) {
                note("playing again after %d ms", step.ms);
                covered("a pause");
                return true;
            }
            return false;
        case Do::Hide:
            if (phase == 0) {
                letGoOfEverything();
                XUnmapWindow(x, gameWindow);
                XFlush(x);
                nextPhase(1);
            } else if (phase == 1 && sinceMs(step.ms)) {
                if (windowShown)
                    fail("the window was unmapped and the game still thinks it is shown");
                note("window hidden for %d ms at (%.1f, %.1f), speed %.3f", step.ms,
                     centreX(playedGame().playerCar), centreY(playedGame().playerCar),
                     playedGame().playerCar.getY_speed());
                XMapWindow(x, gameWindow);
                XFlush(x);
                nextPhase(2);
            } else if (phase == 2 && windowShown) {
                XSetInputFocus(x, gameWindow, RevertToParent, CurrentTime);
                XSync(x, False);
                note("window shown again");
                covered("the window hidden and shown again");
                return true;
            }
            return false;
        case Do::Lights:
            if (phase == 0) {
                tap(XK_l);
                nextPhase(1);
                return false;
            }
            note("headlights %s", playedGame().headlightsOff ? "off" : "on");
            covered(playedGame().headlightsOff ? "headlights off" : "headlights on");
            return true;
        case Do::NewByKey:
        case Do::NewByButton:
            if (playedGame().playerCar.getDamageStatus() != 0.0f) {
                const char* how = step.what == Do::NewByKey ? "n" : "the New button";
                note("a new car with %s", how);
                covered(std::string("New with ") + how);
                return true;
            }
            letGoOfEverything();
            if (step.what == Do::NewByKey)
                tap(XK_n);
            else
                clickNew();
            return false;
    }
    return false;
}

void quit()
{
    letGoOfEverything();
    std::string summary;
    for (const std::string& item : coverage)
        summary += (summary.empty() ? "" : "; ") + item;
    note("covered: %s", summary.c_str());
    note("Escape");
    tap(XK_Escape);  // the game ends, finishing the recording
}

void autopilot(int)
{
    glutTimerFunc(2, autopilot, 0);
    if (!started) {
        // Driven once the window is shown and has the keyboard.
        if (framesDrawn < 30 || !windowShown)
            return;
        XSetInputFocus(x, gameWindow, RevertToParent, CurrentTime);
        XSync(x, False);
        started = true;
        nextPhase(0);
        note("start at (%.1f, %.1f), heading %.2f, gear %d, condition %.2f",
             centreX(playedGame().playerCar), centreY(playedGame().playerCar),
             playedGame().playerCar.getHeading(), gearOf(playedGame().playerCar),
             playedGame().playerCar.getDamageStatus());
        return;
    }
    if (framesDrawn > kMostFrames)
        fail("the drive takes too long");
    if (stepIndex >= route->size()) {
        if (pending.key != XK_Escape)
            quit();
        else if (msNow() > pending.until + 2000)
            fail("Escape did not end the game");
        return;
    }
    if (waitingForATap())
        return;
    if (msNow() - phaseStart > kLongestStepMs)
        fail("step " + std::to_string(stepIndex + 1) + " does not finish (phase " +
             std::to_string(phase) + ")");
    if (driveStep((*route)[stepIndex])) {
        ++stepIndex;
        nextPhase(0);
    }
}

// The game's own frame, watched.
void watchedDisplay()
{
    const Car before = playedGame().playerCar;
    const bool played = framePlays(playedGame(), queuedCommands());
    framesPaced = true;  // at the game's own pace
    display();
    if (played) {
        ++framesDrawn;
        watchFrame(before, playedGame().playerCar);
    }
}

// The game as runGame starts it, full screen on the X server's screen, recording; silent,
// since a checked drive has no sound either.
int recordDrive(const Drive& drive, const char* file, int argc, char** argv)
{
    if (const std::optional<std::string> why = openRecording(file)) {
        std::fprintf(stderr, "%s\n", why->c_str());
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! recording a drive");
    identifyWindow();
    gameWindow = glXGetCurrentDrawable();
    x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "record_drives: cannot open the display\n");
        return 1;
    }

    registerInputCallbacks();
    glutIdleFunc(idle);
    initGraphics(TARVELO_DATA_DIR);
    beginRecording(playedGame());
    glutDisplayFunc(watchedDisplay);
    glutReshapeFunc(reshape);
    glutFullScreen();

    route = &drive.route;
    glutTimerFunc(2, autopilot, 0);
    glutMainLoop();
    return 1;  // the game ends with Escape, inside the main loop
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
