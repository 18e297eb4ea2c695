// Particle bursts: arming, stepping, what a drawn burst puts on the screen, and the random numbers.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "vehicle/Car.h"

namespace {

constexpr int kPoints = 2 * kBurstParticles;  // a wander and a drift point per particle

class EffectsTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
};

// What GL receives from one draw call, caught in feedback mode: every point in window pixels
// with its colour. Points outside the view would be clipped away and missing here.
struct FedPoint {
    float x, y;                     // window pixels from the bottom left
    float red, green, blue, alpha;  // 0..1
};

std::vector<FedPoint> feedbackOf(void (*draw)(ParticleBurst&), ParticleBurst& burst)
{
    constexpr int kValuesPerPoint = 8;  // token, x, y, z, r, g, b, a
    const std::vector<float> buffer =
        harness::feedbackOf([&] { draw(burst); }, kPoints * kValuesPerPoint + 64);
    const GLint used = static_cast<GLint>(buffer.size());
    std::vector<FedPoint> points;
    for (GLint i = 0; i + kValuesPerPoint <= used; i += kValuesPerPoint) {
        EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POINT_TOKEN));
        points.push_back({buffer[i + 1], buffer[i + 2], buffer[i + 4], buffer[i + 5], buffer[i + 6],
                          buffer[i + 7]});
    }
    EXPECT_EQ(used % kValuesPerPoint, 0) << "only points are drawn";
    return points;
}

TEST_F(EffectsTest, EqualBoundsPutEveryPointExactlyOnTheArmingPoint)
{
    ParticleBurst burst{};
    armBurst(burst, 20.0f, 10.0f, 10.0f, -7.25f, -7.25f, -1.7f, 1.7f, 0.0f, 360.0f);
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

TEST_F(EffectsTest, EveryArmedSpeedIsLiftedByOneHundredth)
{
    ParticleBurst burst{};
    armBurst(burst, 20.0f, 10.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 360.0f);
    for (float speed : burst.speeds)
        EXPECT_EQ(speed, 0.01f);

    armBurst(burst, kContactStart);
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

TEST_F(EffectsTest, AStepMovesWanderPointsByTheSpeedAndDriftPointsStraightOnAtSixTenths)
{
    ParticleBurst burst{};
    // Direction 90 degrees points towards -x.
    armBurst(burst, 5.0f, 10.0f, 10.0f, 0.0f, 0.0f, 1.0f, 1.0f, 90.0f, 90.0f);
    stepBurst(burst);
    EXPECT_EQ(lifeLeft(burst), 4.0f);
    for (int i = 0; i < kBurstParticles; ++i) {
        EXPECT_FLOAT_EQ(burst.wanderPoints[2 * i], 10.0f - 1.01f);
        EXPECT_NEAR(burst.wanderPoints[2 * i + 1], 0.0f, 1e-6f);
        EXPECT_FLOAT_EQ(burst.driftPoints[2 * i], 10.0f - 0.606f);
        EXPECT_NEAR(burst.driftPoints[2 * i + 1], 0.0f, 1e-6f);
    }
    const float firstWanderX = burst.wanderPoints[0], firstWanderY = burst.wanderPoints[1];
    stepBurst(burst);
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

TEST_F(EffectsTest, FreshBurstShowsAllItsPointsOnTheCarsPivotInItsOwnColours)
{
    struct Case {
        void (*draw)(ParticleBurst&);
        float wanderMin[4], wanderMax[4], driftMin[4], driftMax[4];  // red, green, blue, alpha
        float driftSize;
    };
    const Case cases[] = {
        {drawExplosion,
         {1.0f, 0.3f, 0.3f, 0.2f},
         {1.0f, 1.0f, 0.3f, 0.4f},
         {0.8f, 0.8f, 0.8f, 0.1f},
         {1.0f, 1.0f, 1.0f, 0.4f},
         15.0f},
        {drawCrashBurst,
         {1.0f, 0.8f, 0.8f, 0.01f},
         {1.0f, 1.0f, 1.0f, 0.2f},
         {0.2f, 0.2f, 0.2f, 0.1f},
         {0.5f, 0.4f, 0.4f, 0.8f},
         5.0f},
        {drawSplashBurst,
         {0.8f, 0.8f, 1.0f, 0.01f},
         {1.0f, 1.0f, 1.0f, 0.2f},
         {0.2f, 0.2f, 0.2f, 0.1f},
         {0.4f, 0.4f, 0.6f, 0.8f},
         5.0f},
        {drawRepairBurst,
         {0.0f, 0.1f, 0.0f, 0.01f},
         {0.1f, 1.0f, 0.1f, 0.2f},
         {0.2f, 0.5f, 0.2f, 0.1f},
         {0.2f, 0.6f, 0.2f, 0.8f},
         5.0f},
    };
    // The car's pivot (10, 0) in window pixels.
    const float pivotX = 60.0f / 100.0f * harness::kWindowWidth;
    const float pivotY = 50.0f / 100.0f * harness::kWindowHeight;
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("burst row " + std::to_string(row++));
        ParticleBurst burst{};
        armBurst(burst, kContactStart);
        const std::vector<FedPoint> points = feedbackOf(c.draw, burst);
        ASSERT_EQ(points.size(), static_cast<size_t>(kPoints));
        for (int i = 0; i < kPoints; ++i) {
            const FedPoint& p = points[i];
            EXPECT_FLOAT_EQ(p.x, pivotX);
            EXPECT_FLOAT_EQ(p.y, pivotY);
            const float* min = i < kBurstParticles ? c.wanderMin : c.driftMin;
            const float* max = i < kBurstParticles ? c.wanderMax : c.driftMax;
            const float channels[4] = {p.red, p.green, p.blue, p.alpha};
            for (int k = 0; k < 4; ++k) {
                EXPECT_GE(channels[k], min[k] - 1e-6f) << "point " << i << " channel " << k;
                EXPECT_LE(channels[k], max[k] + 1e-6f) << "point " << i << " channel " << k;
            }
        }
        GLfloat size = 0.0f;
        glGetFloatv(GL_POINT_SIZE, &size);
        EXPECT_EQ(size, c.driftSize);
        // Drawn once and moved once: two lives gone, and the points have left the pivot.
        EXPECT_EQ(lifeLeft(burst), 18.0f);
        EXPECT_NE(burst.driftPoints[0], 10.0f);
    }
}

TEST_F(EffectsTest, LaterFramesDrawWanderPointsThenDriftPointsWhereTheyHaveMoved)
{
    ParticleBurst burst{};
    armBurst(burst, kRepairStart);
    stepBurst(burst);
    stepBurst(burst);
    const ParticleBurst moved = burst;
    const std::vector<FedPoint> points = feedbackOf(drawCrashBurst, burst);
    ASSERT_EQ(points.size(), static_cast<size_t>(kPoints));
    for (int i = 0; i < kPoints; ++i) {
        const float* view = i < kBurstParticles ? &moved.wanderPoints[2 * i]
                                                : &moved.driftPoints[2 * (i - kBurstParticles)];
        EXPECT_NEAR(points[i].x, (view[0] + 50.0f) / 100.0f * harness::kWindowWidth, 1e-3f);
        EXPECT_NEAR(points[i].y, (view[1] + 50.0f) / 100.0f * harness::kWindowHeight, 1e-3f);
    }
}

TEST_F(EffectsTest, SpentBurstDrawsNothingMovesNothingAndStaysSpent)
{
    ParticleBurst burst{};
    armBurst(burst, 2.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.7f, 1.7f, 0.0f, 360.0f);
    EXPECT_EQ(feedbackOf(drawSplashBurst, burst).size(), static_cast<size_t>(kPoints));
    ASSERT_EQ(lifeLeft(burst), 0.0f);

    const ParticleBurst before = burst;
    glPointSize(3.0f);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    for (auto draw : {drawExplosion, drawCrashBurst, drawSplashBurst, drawRepairBurst})
        EXPECT_TRUE(feedbackOf(draw, burst).empty());
    stepBurst(burst);
    EXPECT_EQ(lifeLeft(burst), 0.0f);
    for (int i = 0; i < kPoints; ++i) {
        EXPECT_EQ(burst.wanderPoints[i], before.wanderPoints[i]);
        EXPECT_EQ(burst.driftPoints[i], before.driftPoints[i]);
    }
    // Not even the point size or the colour was touched.
    GLfloat size = 0.0f, colour[4] = {};
    glGetFloatv(GL_POINT_SIZE, &size);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(size, 3.0f);
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[2], 0.75f);
}

TEST_F(EffectsTest, RandomNumbersReachExactlyOneAndNeverLeaveZeroToOne)
{
    bool reachedOne = false, reachedZero = false;
    for (long i = 0; i < 10'000'000 && !(reachedOne && reachedZero); ++i) {
        const float r = random01();
        ASSERT_GE(r, 0.0f);
        ASSERT_LE(r, 1.0f);
        reachedOne = reachedOne || r == 1.0f;
        reachedZero = reachedZero || r == 0.0f;
    }
    EXPECT_TRUE(reachedOne) << "the generator's 32767 must give exactly 1";
    EXPECT_TRUE(reachedZero);
}

TEST_F(EffectsTest, GameStartsWithItsThreeBurstsArmedOnThePivot)
{
    EXPECT_EQ(lifeLeft(explosionBurst), 100.0f);
    EXPECT_EQ(lifeLeft(contactBurst), 20.0f);
    EXPECT_EQ(lifeLeft(repairBurst), 160.0f);
    for (const ParticleBurst* burst : {&explosionBurst, &contactBurst, &repairBurst}) {
        EXPECT_EQ(burst->wanderPoints[0], 10.0f);
        EXPECT_EQ(burst->driftPoints[2 * kBurstParticles - 1], 0.0f);
    }
    // The explosion is gentler than the others: its speeds stay within -0.99..1.01.
    for (float speed : explosionBurst.speeds) {
        EXPECT_GE(speed, -0.99f);
        EXPECT_LE(speed, 1.01f);
    }
}

TEST_F(EffectsTest, RepairSparklesCoverTheCarsPivotInARealFrame)
{
    harness::runFrame();
    const harness::Colour pivotBefore = harness::colourAt(10.0f, 0.0f);
    const harness::Colour asideBefore = harness::colourAt(13.0f, 0.0f);

    playerCar.setContactKind(3);  // left the repair patch part-way: the sparkles play on
    harness::runFrame();
    const harness::Colour pivot = harness::colourAt(10.0f, 0.0f);
    // 200 green specks of red 0.2, green 0.5..0.6, blue 0.2 piled up over everything below.
    EXPECT_TRUE(harness::near(pivot, 51, 140, 51, 14)) << harness::describe(pivot);
    EXPECT_FALSE(harness::near(pivot, pivotBefore.red, pivotBefore.green, pivotBefore.blue, 14))
        << harness::describe(pivotBefore);
    // 3 units to the side is well beyond the 20-pixel points: the picture there is unchanged.
    const harness::Colour aside = harness::colourAt(13.0f, 0.0f);
    EXPECT_TRUE(harness::near(aside, asideBefore.red, asideBefore.green, asideBefore.blue))
        << harness::describe(aside) << " was " << harness::describe(asideBefore);
    EXPECT_EQ(lifeLeft(repairBurst), 158.0f);
}

TEST_F(EffectsTest, CrashBurstLosesTwoLivesAFramePlaysTenFramesThenIsArmedAgain)
{
    playerCar.setContactKind(1);
    for (int frame = 1; frame <= 9; ++frame) {
        harness::runFrame();
        EXPECT_EQ(lifeLeft(contactBurst), 20.0f - 2.0f * frame);
        EXPECT_EQ(playerCar.getContactKind(), 1);
    }
    harness::runFrame();  // the tenth frame spends it, and it is armed again at once
    EXPECT_EQ(lifeLeft(contactBurst), 20.0f);
    EXPECT_EQ(contactBurst.wanderPoints[0], 10.0f);
    EXPECT_EQ(playerCar.getContactKind(), 0);
    EXPECT_EQ(lifeLeft(repairBurst), 160.0f) << "the repair burst was not drawn";
}

}  // namespace
