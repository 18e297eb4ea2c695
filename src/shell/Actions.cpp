// The one place where the player's actions reach the game: the car's controls, the gearbox, the
// lights, pause, sound, New and Quit; and the game's own pace for actions held down, whatever
// device holds them.
#include "shell/Actions.h"

#include <cstdlib>

#include "effects/Sound.h"
#include "shell/Game.h"
#include "shell/Options.h"
#include "shell/Pause.h"
#include "shell/Replay.h"
#include "vehicle/Car.h"

int headlightsOff = 0;

namespace {

// One action while it is held down.
struct Hold {
    unsigned devices = 0;  // a bit for each Device holding it
    int framesHeld = 0;    // motion steps since it was first pressed
};
Hold holds[kActionCount];

unsigned bit(Device device)
{
    return 1u << static_cast<unsigned>(device);
}

Hold& holdOf(Action action)
{
    return holds[static_cast<int>(action)];
}

// While paused the game stands still: only pause, mute, New, full screen and Quit are heard.
bool heardWhilePaused(Action action)
{
    return action == Action::Pause || action == Action::Mute || action == Action::NewCar ||
           action == Action::FullScreen || action == Action::Quit;
}

// While a recorded drive is shown, it drives: pause, mute, the window and Quit are the
// watcher's.
bool heardWhileShowingADrive(Action action)
{
    return action == Action::Pause || action == Action::Mute || action == Action::FullScreen ||
           action == Action::Quit;
}

void chooseGear(const Gear& gear)
{
    if (gear.reverse && playerCar.getX_speed() != 0.0f)
        return;  // reverse only at a dead stop
    playerCar.setGearMax(gear.gearMax);
}

}  // namespace

bool repeatsWhileHeld(Action action)
{
    return action == Action::TurnLeft || action == Action::TurnRight ||
           action == Action::Accelerate || action == Action::Brake;
}

void applyAction(Action action)
{
    if (gamePaused() && !heardWhilePaused(action))
        return;
    noteAction(action);  // a recorded drive keeps it in its place among the steps and frames
    switch (action) {
        case Action::TurnLeft:
            playerCar.turnLeft();
            break;
        case Action::TurnRight:
            playerCar.turnRight();
            break;
        case Action::Accelerate:
            playerCar.accelerate();
            break;
        case Action::Brake:
            playerCar.brake();
            break;
        case Action::Gear1:
        case Action::Gear2:
        case Action::Gear3:
        case Action::Gear4:
        case Action::Reverse:
            chooseGear(kGears[static_cast<int>(action) - static_cast<int>(Action::Gear1)]);
            break;
        case Action::Lights:
            headlightsOff = headlightsOff == 1 ? 0 : 1;
            break;
        case Action::Pause:
            togglePause();
            break;
        case Action::Mute:
            setSoundMuted(!soundMuted());
            break;
        case Action::NewCar:
            if (playerCar.getDamageStatus() == 0.0f)  // only a wreck makes way for a new car
                newGame();
            break;
        case Action::FullScreen:
            switchWindowMode();
            break;
        case Action::Quit:
            std::exit(kExitPlayed);  // leaving on purpose is a success
    }
}

void pressAction(Action action, Device device)
{
    if (gamePaused() && !heardWhilePaused(action))
        return;  // not held either: a paused game ignores the car's controls
    if (replayShowing() && !heardWhileShowingADrive(action))
        return;  // a recorded drive is driving
    Hold& hold = holdOf(action);
    const bool alreadyHeld = hold.devices != 0;
    hold.devices |= bit(device);
    if (alreadyHeld)
        return;  // a repeat the desktop sent, or a second device: the game makes its own
    hold.framesHeld = 0;
    applyAction(action);
}

void releaseAction(Action action, Device device)
{
    holdOf(action).devices &= ~bit(device);
}

void tapAction(Action action, Device device)
{
    pressAction(action, device);
    releaseAction(action, device);
}

void releaseActions(Device device)
{
    for (Hold& hold : holds)
        hold.devices &= ~bit(device);
}

void releaseAllActions()
{
    for (Hold& hold : holds)
        hold.devices = 0;
}

bool holdsAnyAction(Device device)
{
    for (const Hold& hold : holds) {
        if (hold.devices & bit(device))
            return true;
    }
    return false;
}

void repeatHeldActions()
{
    for (int i = 0; i < kActionCount; ++i) {
        const Action action = static_cast<Action>(i);
        Hold& hold = holds[i];
        if (hold.devices == 0 || !repeatsWhileHeld(action))
            continue;
        hold.framesHeld += 1;
        const int sinceFirstRepeat = hold.framesHeld - kFramesBeforeRepeat;
        if (sinceFirstRepeat >= 0 && sinceFirstRepeat % kFramesPerRepeat == 0)
            applyAction(action);
    }
}
