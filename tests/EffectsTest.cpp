// Particle bursts and the game's random numbers: arming, stepping, what a frame keeps of a burst to
// show it, and the bursts a game plays. No window: the bursts and their pictures are plain state.
#include <gtest/gtest.h>

#include <cmath>

#include "TestGame.h"
#include "effects/Particles.h"
#include "effects/Random.h"
#include "session/GameState.h"

namespace {

constexpr int kPoints = 2 * kBurstParticles;  // a wander and a drift point per particle

// The generator after `count` more numbers.
Random after(Random random, int count)
{
    for (int i = 0; i < count; ++i)
        random15(random);
    return random;
}

TEST(RandomTest, RandomNumbersReachExactlyOneAndNeverLeaveZeroToOne)
{
    Random random;
    bool reachedOne = false, reachedZero = false;
    for (long i = 0; i < 10'000'000 && !(reachedOne && reachedZero); ++i) {
        const float r = random01(random);
        ASSERT_GE(r, 0.0f);
        ASSERT_LE(r, 1.0f);
        reachedOne = reachedOne || r == 1.0f;
        reachedZero = reachedZero || r == 0.0f;
    }
    EXPECT_TRUE(reachedOne) << "the generator's 32767 must give exactly 1";
    EXPECT_TRUE(reachedZero);
}

// Never seeded: every game draws the same numbers in the same order, which the recorded drives
// rely on; a number between 0 and 1 is the 15-bit number at the same place, over 32767.
TEST(RandomTest, EveryGameDrawsTheSameNumbersInTheSameOrder)
{
    Random fifteen, unit;
    for (int i = 0; i < 5000; ++i) {
        const int n = random15(fifteen);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 32767);
        ASSERT_EQ(random01(unit), static_cast<float>(n) / 32767.0f) << "number " << i;
    }
}

TEST(BurstTest, EqualBoundsPutEveryPointExactlyOnTheArmingPoint)
{
    Random random;
    ParticleBurst burst{};
    armBurst(burst, random, 20.0f, 10.0f, 10.0f, -7.25f, -7.25f, -1.7f, 1.7f, 0.0f, 360.0f);
    EXPECT_EQ(lifeLeft(burst), 20.0f);
    for (int i = 0; i < kBurstParticles; ++i) {
        EXPECT_EQ(burst.wanderPoints[2 * i], 10.0f);
        EXPECT_EQ(burst.wanderPoints[2 * i + 1], -7.25f);
        EXPECT_EQ(burst.driftPoints[2 * i], 10.0f);
        EXPECT_EQ(burst.driftPoints[2 * i + 1], -7.25f);
        EXPECT_GE(burst.wanderAngles[i], 0.0f);
        EXPECT_LE(burst.wanderAngles[i], 6.2831855f);  // 360 degrees in radians
        EXPECT_GE(burst.driftAngles[i], 0.0f);
        EXPECT_LE(burst.driftAngles[i], 6.2831855f);
    }
}

TEST(BurstTest, EveryArmedSpeedIsLiftedByOneHundredth)
{
    Random random;
    ParticleBurst burst{};
    armBurst(burst, random, 20.0f, 10.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 360.0f);
    for (float speed : burst.speeds)
        EXPECT_EQ(speed, 0.01f);

    armBurst(burst, random, kContactStart);
    float slowest = 10.0f, fastest = -10.0f;
    for (float speed : burst.speeds) {
        EXPECT_GE(speed, -1.69f);
        EXPECT_LE(speed, 1.71f);
        slowest = std::fmin(slowest, speed);
        fastest = std::fmax(fastest, speed);
    }
    // The whole range is used, backwards (against the direction) as well as forwards.
    EXPECT_LT(slowest, -1.5f);
    EXPECT_GT(fastest, 1.5f);
}

TEST(BurstTest, AStepMovesWanderPointsByTheSpeedAndDriftPointsStraightOnAtSixTenths)
{
    Random random;
    ParticleBurst burst{};
    // Direction 90 degrees points towards -x.
    armBurst(burst, random, 5.0f, 10.0f, 10.0f, 0.0f, 0.0f, 1.0f, 1.0f, 90.0f, 90.0f);
    stepBurst(burst, random);
    EXPECT_EQ(lifeLeft(burst), 4.0f);
    for (int i = 0; i < kBurstParticles; ++i) {
        EXPECT_FLOAT_EQ(burst.wanderPoints[2 * i], 10.0f - 1.01f);
        EXPECT_NEAR(burst.wanderPoints[2 * i + 1], 0.0f, 1e-6f);
        EXPECT_FLOAT_EQ(burst.driftPoints[2 * i], 10.0f - 0.606f);
        EXPECT_NEAR(burst.driftPoints[2 * i + 1], 0.0f, 1e-6f);
    }
    const float firstWanderX = burst.wanderPoints[0], firstWanderY = burst.wanderPoints[1];
    stepBurst(burst, random);
    int turned = 0;
    for (int i = 0; i < kBurstParticles; ++i) {
        EXPECT_FLOAT_EQ(burst.driftPoints[2 * i], 10.0f - 2 * 0.606f);
        // The wander point took one more step of the full speed, in a new direction.
        const double dx = burst.wanderPoints[2 * i] - firstWanderX;
        const double dy = burst.wanderPoints[2 * i + 1] - firstWanderY;
        EXPECT_NEAR(std::hypot(dx, dy), 1.01, 1e-5);
        turned += std::fabs(dx + 1.01) > 0.01 ? 1 : 0;
    }
    EXPECT_GT(turned, kBurstParticles / 2) << "wander points keep taking new directions";
}

// Each look's colour ranges, red, green, blue and alpha, of its wander points and of its drift
// points, and the point size its drawing leaves set (the drift points').
struct LookRow {
    BurstLook look;
    float wanderMin[4], wanderMax[4], driftMin[4], driftMax[4];
    float driftSize;
};
constexpr LookRow kLookRows[] = {
    {BurstLook::Explosion,
     {1.0f, 0.3f, 0.3f, 0.2f},
     {1.0f, 1.0f, 0.3f, 0.4f},
     {0.8f, 0.8f, 0.8f, 0.1f},
     {1.0f, 1.0f, 1.0f, 0.4f},
     15.0f},
    {BurstLook::Crash,
     {1.0f, 0.8f, 0.8f, 0.01f},
     {1.0f, 1.0f, 1.0f, 0.2f},
     {0.2f, 0.2f, 0.2f, 0.1f},
     {0.5f, 0.4f, 0.4f, 0.8f},
     5.0f},
    {BurstLook::Splash,
     {0.8f, 0.8f, 1.0f, 0.01f},
     {1.0f, 1.0f, 1.0f, 0.2f},
     {0.2f, 0.2f, 0.2f, 0.1f},
     {0.4f, 0.4f, 0.6f, 0.8f},
     5.0f},
    {BurstLook::Repair,
     {0.0f, 0.1f, 0.0f, 0.01f},
     {0.1f, 1.0f, 0.1f, 0.2f},
     {0.2f, 0.5f, 0.2f, 0.1f},
     {0.2f, 0.6f, 0.2f, 0.8f},
     5.0f},
};

// A fresh burst shown: its points kept on the car's pivot where they stood, then moved on; each
// point's colour drawn from the game's numbers channel by channel (red, green, blue, alpha), the
// wander points' first, every channel taking its number even where its range is a single value;
// then the step's numbers, one a particle.
TEST(ShownBurstTest, ShownBurstKeepsItsPointsAndPicksEachPointsColoursInTurn)
{
    for (const LookRow& row : kLookRows) {
        SCOPED_TRACE("look " + std::to_string(static_cast<int>(row.look)));
        Random random;
        ParticleBurst burst{};
        armBurst(burst, random, kContactStart);
        Random numbers = random;  // the numbers the showing is to take, in their order
        BurstPicture picture;
        showBurst(burst, row.look, random, picture);

        EXPECT_TRUE(picture.shown);
        EXPECT_EQ(picture.look, row.look);
        EXPECT_EQ(lastPointSize(picture), row.driftSize);
        for (int i = 0; i < kBurstParticles; ++i) {
            EXPECT_EQ(picture.wanderPoints[2 * i], 10.0f);
            EXPECT_EQ(picture.wanderPoints[2 * i + 1], 0.0f);
            EXPECT_EQ(picture.driftPoints[2 * i], 10.0f);
            EXPECT_EQ(picture.driftPoints[2 * i + 1], 0.0f);
        }
        for (const bool drift : {false, true}) {
            const float* colours = drift ? picture.driftColours : picture.wanderColours;
            const float* min = drift ? row.driftMin : row.wanderMin;
            const float* max = drift ? row.driftMax : row.wanderMax;
            for (int i = 0; i < 4 * kBurstParticles; ++i) {
                const int k = i % 4;
                const double expected =
                    min[k] + static_cast<double>(random01(numbers)) * (max[k] - min[k]);
                ASSERT_NEAR(colours[i], expected, 1e-6)
                    << (drift ? "drift" : "wander") << " point " << i / 4 << " channel " << k;
                EXPECT_GE(colours[i], min[k] - 1e-6f);
                EXPECT_LE(colours[i], max[k] + 1e-6f);
            }
        }
        EXPECT_EQ(random.state, after(numbers, kBurstParticles).state)
            << "after the colours, one number for each particle's step, and no more";
        // Shown once and moved once: two lives gone, and the points have left the pivot.
        EXPECT_EQ(lifeLeft(burst), 18.0f);
        EXPECT_NE(burst.driftPoints[0], 10.0f);
    }
}

TEST(ShownBurstTest, SpentBurstShowsNothingMovesNothingTakesNoNumberAndStaysSpent)
{
    Random random;
    ParticleBurst burst{};
    armBurst(burst, random, 2.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.7f, 1.7f, 0.0f, 360.0f);
    BurstPicture picture;
    showBurst(burst, BurstLook::Splash, random, picture);
    EXPECT_TRUE(picture.shown);
    ASSERT_EQ(lifeLeft(burst), 0.0f);

    const ParticleBurst before = burst;
    const Random numbersBefore = random;
    for (const LookRow& row : kLookRows) {
        showBurst(burst, row.look, random, picture);
        EXPECT_FALSE(picture.shown);
    }
    stepBurst(burst, random);
    EXPECT_EQ(lifeLeft(burst), 0.0f);
    for (int i = 0; i < kPoints; ++i) {
        EXPECT_EQ(burst.wanderPoints[i], before.wanderPoints[i]);
        EXPECT_EQ(burst.driftPoints[i], before.driftPoints[i]);
    }
    EXPECT_EQ(random.state, numbersBefore.state);
}

TEST(GameBurstsTest, GameStartsWithItsThreeBurstsArmedOnThePivot)
{
    const GameState game;
    const Bursts& bursts = game.bursts;
    EXPECT_EQ(lifeLeft(bursts.explosionBurst), 100.0f);
    EXPECT_EQ(lifeLeft(bursts.contactBurst), 20.0f);
    EXPECT_EQ(lifeLeft(bursts.repairBurst), 160.0f);
    for (const ParticleBurst* burst :
         {&bursts.explosionBurst, &bursts.contactBurst, &bursts.repairBurst}) {
        EXPECT_EQ(burst->wanderPoints[0], 10.0f);
        EXPECT_EQ(burst->driftPoints[2 * kBurstParticles - 1], 0.0f);
    }
    // The explosion is gentler than the others: its speeds stay within -0.99..1.01.
    for (float speed : bursts.explosionBurst.speeds) {
        EXPECT_GE(speed, -0.99f);
        EXPECT_LE(speed, 1.01f);
    }
    // Seven numbers a particle (two points, two angles, a speed), and nothing else before play.
    EXPECT_EQ(game.random.state, after(Random{}, 3 * 7 * kBurstParticles).state);
    EXPECT_FALSE(bursts.shown.shown);
}

TEST(GameBurstsTest, CrashBurstLosesTwoLivesAFramePlaysTenFramesThenIsArmedAgain)
{
    GameState game;
    game.playerCar.setContactKind(kHitContact);
    for (int frame = 1; frame <= 9; ++frame) {
        testgame::frame(game);
        EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 20.0f - 2.0f * frame);
        EXPECT_EQ(game.playerCar.getContactKind(), kHitContact);
        EXPECT_TRUE(game.bursts.shown.shown);
        EXPECT_EQ(game.bursts.shown.look, BurstLook::Crash);
    }
    testgame::frame(game);  // the tenth frame spends it, and it is armed again at once
    EXPECT_EQ(lifeLeft(game.bursts.contactBurst), 20.0f);
    EXPECT_EQ(game.bursts.contactBurst.wanderPoints[0], 10.0f);
    EXPECT_EQ(game.playerCar.getContactKind(), kNoContact);
    EXPECT_EQ(lifeLeft(game.bursts.repairBurst), 160.0f) << "the repair burst was not shown";
}

}  // namespace
