// Where the player's actions go: the program's own at once, the game's into the commands of its
// next frame; and the game's own pace for actions held down, whatever device holds them.
#include "input/Actions.h"

#include "base/Program.h"
#include "drives/Replay.h"
#include "input/Overlays.h"
#include "platform/Glut.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/PlayedGame.h"
#include "sound/Sound.h"

namespace {

// One action while it is held down.
struct Hold {
    unsigned devices = 0;  // a bit for each Device holding it
    int framesHeld = 0;    // motion steps since it was first pressed
};
Hold holds[kActionCount];

bool soundOff = false;  // as the player last asked, also where there is no sound to switch

unsigned bit(Device device)
{
    return 1u << static_cast<unsigned>(device);
}

Hold& holdOf(Action action)
{
    return holds[static_cast<int>(action)];
}

// While a recorded drive is shown, it drives: pause, mute, the window and Quit are the
// watcher's.
bool heardWhileShowingADrive(Action action)
{
    return action == Action::Pause || action == Action::Mute || action == Action::FullScreen ||
           action == Action::Controls || action == Action::Quit;
}

}  // namespace

void applyAction(Action action)
{
    switch (action) {
        case Action::Mute:
            switchSound(!soundOff);
            break;
        case Action::Controls:
            toggleControls();
            if (gamePaused(playedGame()) || shownDriveHeld())
                glutPostRedisplay();  // the game draws no frames of its own then
            break;
        case Action::FullScreen:
            switchWindowMode();
            break;
        case Action::Quit:
            leaveGame(kExitPlayed);  // leaving on purpose is a success
            break;
        case Action::Pause:
            if (replayShowing()) {
                holdShownDrive();  // the watcher's pause holds the drive, whose own are its own
                glutPostRedisplay();
                break;
            }
            [[fallthrough]];
        default:
            queueCommand(act(action));
            glutPostRedisplay();  // a paused game draws no frames of its own
            break;
    }
}

void switchSound(bool off)
{
    soundOff = off;
    setSoundMuted(off);
    soundSwitched(off);
}

void pressAction(Action action, Device device)
{
    if (gamePaused(playedGame()) && !heardWhilePaused(action))
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
