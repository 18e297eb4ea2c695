// The rules of one frame: the player's actions and the car's motion steps in their order, then
// the frame's own work, in the order the game has always done it.
#include "session/Step.h"

namespace {

// The gear a shift comes to from the car's own; none past the ends. Down from first is reverse,
// which the car takes only at a standstill, as from its key.
bool gearAfterShift(const Car& car, Action shift, Action& gear)
{
    const GearNumber from = gearOfTargetSpeed(car.getGearMax());
    for (int i = 0; i < kGearCount; ++i) {
        if (kShiftOrder[i] != from)
            continue;
        const int to = shift == Action::GearUp ? i + 1 : i - 1;
        if (to < 0 || to >= kGearCount)
            return false;
        gear = gearAction(kShiftOrder[to]);
        return true;
    }
    return false;
}

void chooseGear(Car& car, const Gear& gear)
{
    if (gear.reverse && car.getX_speed() != 0.0f)
        return;  // reverse only at a dead stop
    car.setGearMax(gear.gearMax);
}

void togglePause(GameState& state)
{
    state.pause = state.pause == PauseState::Playing ? PauseState::Pausing : PauseState::Playing;
}

// The gate ahead passed: its time kept, or at the first gate the lap finished (if one ran) and
// the next one begun.
void passGate(TimeTrial& trial)
{
    trial.sincePassed = 0;
    if (trial.nextGate != 0) {
        trial.lap.atGate[trial.nextGate] = trial.lapFrames;
        trial.lastPassed = trial.nextGate;
        trial.nextGate = (trial.nextGate + 1) % kGateCount;
        return;
    }
    trial.lastPassed = kNoGatePassed;
    if (trial.lapRunning) {
        trial.lap.frames = trial.lapFrames;
        trial.lastLap = trial.lap;
        trial.lapsDone += 1;
        trial.lastPassed = kFinishPassed;
    }
    trial.lapRunning = true;
    trial.lapFrames = 0;
    trial.lap = LapTimes();
    trial.nextGate = 1;
}

// The time trial's part of a frame, once the world's rules have moved the car: the clock, and
// the gate ahead if the car's pivot crossed it since the last frame. A wreck ends the lap.
void stepTimeTrial(GameState& state)
{
    TimeTrial& trial = state.trial;
    if (!trial.on)
        return;
    const MapSpot now = pivotOnMap(state.playerCar);
    trial.sincePassed += 1;
    if (state.wrecked) {
        endLap(trial);
    } else {
        if (trial.lapRunning)
            trial.lapFrames += 1;
        if (crossesGate(kCourse[trial.nextGate], trial.pivot, now))
            passGate(trial);
    }
    trial.pivot = now;
}

// The frame's own work: what the frame shows of the car (drawn before the world's rules move it),
// the world's rules, the gauges; the frame's damage has then been applied exactly once.
void playFrame(GameState& state)
{
    Car& car = state.playerCar;
    FrameShown& frame = state.frame;
    frame.viewX = car.getX_centre();
    frame.viewY = car.getY_centre();
    frame.carShown = car.getDamageStatus() != 0.0f;
    if (frame.carShown) {
        pickExhaust(car.getY_speed(), frame.pointSize, state.random, frame.exhaust);
        frame.pointSize = frame.exhaust.pointSize;
    }
    state.wrecked = updateWorld(car, state.world, state.bursts, state.random);
    if (state.bursts.shown.shown)
        frame.pointSize = lastPointSize(state.bursts.shown);
    updateGauges(car, state.gauges);
    frame.damage = car.getDamage();
    car.setDamage(0.0f);
    stepTimeTrial(state);
    if (state.pause == PauseState::Pausing)
        state.pause = PauseState::Paused;  // this frame is the one the pause shows
}

}  // namespace

bool isGameAction(Action action)
{
    return action != Action::Mute && action != Action::FullScreen && action != Action::Controls &&
           action != Action::Quit;
}

bool repeatsWhileHeld(Action action)
{
    return action == Action::TurnLeft || action == Action::TurnRight ||
           action == Action::Accelerate || action == Action::Brake;
}

bool heardWhilePaused(Action action)
{
    return action == Action::Pause || action == Action::Mute || action == Action::NewCar ||
           action == Action::FullScreen || action == Action::Controls || action == Action::Quit;
}

bool operator==(const Command& a, const Command& b)
{
    return a.kind == b.kind && (a.kind == Command::Kind::MotionStep || a.action == b.action);
}

bool applyAction(GameState& state, Action action, Action* appliedAs)
{
    if (!isGameAction(action) || (gamePaused(state) && !heardWhilePaused(action)))
        return false;
    if (action == Action::TimeTrial &&
        (state.playerCar.getX_speed() != 0.0f || state.playerCar.getY_speed() != 0.0f))
        return false;  // the mode changes only at a standstill
    if (shiftsGear(action)) {
        if (!gearAfterShift(state.playerCar, action, action))
            return false;
    }
    if (appliedAs)
        *appliedAs = action;
    Car& car = state.playerCar;
    switch (action) {
        case Action::TurnLeft:
            car.turnLeft(state.headingRadians);
            break;
        case Action::TurnRight:
            car.turnRight(state.headingRadians);
            break;
        case Action::Accelerate:
            car.accelerate();
            break;
        case Action::Brake:
            car.brake();
            break;
        case Action::Gear1:
        case Action::Gear2:
        case Action::Gear3:
        case Action::Gear4:
        case Action::Reverse:
            chooseGear(car, kGears[gearOfAction(action)]);
            break;
        case Action::Lights:
            state.headlightsOff = state.headlightsOff == 1 ? 0 : 1;
            break;
        case Action::Pause:
            togglePause(state);
            break;
        case Action::NewCar:
            if (car.getDamageStatus() == 0.0f)  // only a wreck makes way for a new car
                newGame(state);
            break;
        case Action::TimeTrial:
            switchTimeTrial(state);
            break;
        default:
            break;  // shifts are gears by now; the program's actions never get here
    }
    return true;
}

void applyCommands(GameState& state, const std::vector<Command>& input,
                   std::vector<Command>* applied)
{
    for (const Command& command : input) {
        if (command.kind == Command::Kind::MotionStep) {
            state.playerCar.advance(state.headingRadians);
            if (applied)
                applied->push_back(command);
            continue;
        }
        Action appliedAs = command.action;
        if (applyAction(state, command.action, &appliedAs) && applied)
            applied->push_back(act(appliedAs));
    }
}

bool step(GameState& state, const std::vector<Command>& input, std::vector<Command>* applied)
{
    applyCommands(state, input, applied);
    if (gamePaused(state))
        return false;
    playFrame(state);
    return true;
}

namespace {

bool newCarFor(const GameState& state, const Command& command)
{
    return command.kind == Command::Kind::Act && command.action == Action::NewCar &&
           state.playerCar.getDamageStatus() == 0.0f;
}

}  // namespace

bool framePlays(const GameState& state, const std::vector<Command>& input)
{
    if (!gamePaused(state))
        return true;
    // Paused, only pause and New are heard: the first pause plays on, and so does New for a wreck.
    for (const Command& command : input) {
        if ((command.kind == Command::Kind::Act && command.action == Action::Pause) ||
            newCarFor(state, command))
            return true;
    }
    return false;
}

bool motionStepDue(const GameState& state, const std::vector<Command>& input)
{
    if (!framePlays(state, input))
        return false;
    if (!state.wrecked)
        return true;
    for (const Command& command : input) {
        if (newCarFor(state, command))
            return true;
    }
    return false;
}
