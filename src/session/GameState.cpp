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
    return digestOf(needles, sizeof needles, d);
}
