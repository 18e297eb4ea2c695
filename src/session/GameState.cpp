// The game's state as it starts, and its digest.
#include "session/GameState.h"

#include "base/Digest.h"

GameState::GameState()
{
    armStartBursts(bursts, random);
}

bool gamePaused(const GameState& state)
{
    return state.pause == PauseState::Paused;
}

void newGame(GameState& state)
{
    resetToStart(state.playerCar, state.headingRadians);
    armBurst(state.bursts.explosionBurst, state.random, kExplosionAfterNew);
    state.pause = PauseState::Playing;
    state.wrecked = false;
    state.carNumber += 1;
    if (state.trial.on) {  // the clock waits for the first gate again, the car's jump unseen
        endLap(state.trial);
        state.trial.pivot = pivotOnMap(state.playerCar);
    }
}

void switchTimeTrial(GameState& state)
{
    if (state.trial.on) {
        state.trial = TimeTrial();
        return;
    }
    const unsigned cars = state.carNumber;
    state = GameState();
    state.carNumber = cars + 1;
    state.trial.on = true;
    state.trial.pivot = pivotOnMap(state.playerCar);
}

void endLap(TimeTrial& trial)
{
    trial.lapRunning = false;
    trial.nextGate = 0;
    trial.lapFrames = 0;
    trial.lap = LapTimes();
    trial.lastPassed = kNoGatePassed;
}

FrameFacts frameFactsOf(const GameState& state)
{
    FrameFacts facts;
    facts.contactKind = state.playerCar.getContactKind();
    facts.damage = state.frame.damage;
    facts.damageStatus = state.playerCar.getDamageStatus();
    facts.revNeedle = state.gauges.angle1;
    return facts;
}

namespace {

// The time trial's fields, each as the number it is: no padding between them is read.
uint64_t trialDigest(const TimeTrial& trial, uint64_t d)
{
    const auto lapDigest = [](const LapTimes& lap, uint64_t into) {
        into = digestOf(&lap.frames, sizeof lap.frames, into);
        return digestOf(lap.atGate, sizeof lap.atGate, into);
    };
    const int32_t numbers[3] = {trial.lapRunning ? 1 : 0, trial.nextGate, trial.lastPassed};
    d = digestOf(numbers, sizeof numbers, d);
    const uint32_t counts[3] = {trial.lapFrames, trial.sincePassed, trial.lapsDone};
    d = digestOf(counts, sizeof counts, d);
    d = lapDigest(trial.lap, d);
    const float pivot[2] = {trial.pivot.x, trial.pivot.y};
    d = digestOf(pivot, sizeof pivot, d);
    return lapDigest(trial.lastLap, d);
}

}  // namespace

uint64_t gameStateDigest(const GameState& state)
{
    uint64_t d = digestOf(&state.playerCar, sizeof state.playerCar);
    d = digestOf(&state.headingRadians, sizeof state.headingRadians, d);
    const uint32_t random = static_cast<uint32_t>(state.random.state);
    d = digestOf(&random, sizeof random, d);
    const Bursts& b = state.bursts;
    for (const ParticleBurst* burst : {&b.explosionBurst, &b.contactBurst, &b.repairBurst})
        d = digestOf(burst, sizeof *burst, d);
    const unsigned char paused = gamePaused(state) ? 1 : 0;
    d = digestOf(&paused, 1, d);
    d = digestOf(&state.headlightsOff, sizeof state.headlightsOff, d);
    d = digestOf(&state.world.frameCounter, sizeof state.world.frameCounter, d);
    d = digestOf(&state.world.sampleX, sizeof state.world.sampleX, d);
    d = digestOf(&state.world.sampleY, sizeof state.world.sampleY, d);
    d = digestOf(state.gauges.damageBar, sizeof state.gauges.damageBar, d);
    const float needles[3] = {state.gauges.angle1, state.gauges.red, state.gauges.angle2};
    d = digestOf(needles, sizeof needles, d);
    return state.trial.on ? trialDigest(state.trial, d) : d;
}
