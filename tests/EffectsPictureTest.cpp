// Particle bursts on the screen: what GL receives from a burst's picture, and the repair sparkles
// in a real frame of the played game.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "effects/Random.h"
#include "vehicle/Car.h"

namespace {

constexpr int kPoints = 2 * kBurstParticles;  // a wander and a drift point per particle
constexpr BurstLook kLooks[] = {BurstLook::Explosion, BurstLook::Crash, BurstLook::Splash,
                                BurstLook::Repair};

class EffectsPictureTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
};

// What GL receives from one draw call, caught in feedback mode: every point in window pixels
// with its colour. Points outside the view would be clipped away and missing here.
struct FedPoint {
    float x, y;                     // window pixels from the bottom left
    float red, green, blue, alpha;  // 0..1
};

std::vector<FedPoint> feedbackOf(const BurstPicture& picture)
{
    constexpr int kValuesPerPoint = 8;  // token, x, y, z, r, g, b, a
    const std::vector<float> buffer =
        harness::feedbackOf([&] { drawBurst(picture); }, kPoints * kValuesPerPoint + 64);
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

// Every look draws all the points of a fresh burst on the car's pivot, wander points first, each
// in the colour the frame picked for it; the drift points' size is left set.
TEST_F(EffectsPictureTest, FreshBurstShowsAllItsPointsOnTheCarsPivotInItsOwnColours)
{
    // The car's pivot (10, 0) in window pixels.
    const double pivotX = harness::viewToPixels(10.0, harness::kWindowWidth);
    const double pivotY = harness::viewToPixels(0.0, harness::kWindowHeight);
    for (BurstLook look : kLooks) {
        SCOPED_TRACE("look " + std::to_string(static_cast<int>(look)));
        Random random;
        ParticleBurst burst{};
        armBurst(burst, random, kContactStart);
        BurstPicture picture;
        showBurst(burst, look, random, picture);
        const std::vector<FedPoint> points = feedbackOf(picture);
        ASSERT_EQ(points.size(), static_cast<size_t>(kPoints));
        for (int i = 0; i < kPoints; ++i) {
            const FedPoint& p = points[i];
            EXPECT_FLOAT_EQ(p.x, pivotX);
            EXPECT_FLOAT_EQ(p.y, pivotY);
            const float* colour = i < kBurstParticles
                                      ? &picture.wanderColours[4 * i]
                                      : &picture.driftColours[4 * (i - kBurstParticles)];
            const float channels[4] = {p.red, p.green, p.blue, p.alpha};
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(channels[k], colour[k], 1e-6f) << "point " << i << " channel " << k;
        }
        GLfloat size = 0.0f;
        glGetFloatv(GL_POINT_SIZE, &size);
        EXPECT_EQ(size, lastPointSize(picture));
    }
}

TEST_F(EffectsPictureTest, LaterFramesDrawWanderPointsThenDriftPointsWhereTheyHaveMoved)
{
    Random random;
    ParticleBurst burst{};
    armBurst(burst, random, kRepairStart);
    stepBurst(burst, random);
    stepBurst(burst, random);
    const ParticleBurst moved = burst;
    BurstPicture picture;
    showBurst(burst, BurstLook::Crash, random, picture);
    const std::vector<FedPoint> points = feedbackOf(picture);
    ASSERT_EQ(points.size(), static_cast<size_t>(kPoints));
    for (int i = 0; i < kPoints; ++i) {
        const float* view = i < kBurstParticles ? &moved.wanderPoints[2 * i]
                                                : &moved.driftPoints[2 * (i - kBurstParticles)];
        EXPECT_NEAR(points[i].x, harness::viewToPixels(view[0], harness::kWindowWidth), 1e-3);
        EXPECT_NEAR(points[i].y, harness::viewToPixels(view[1], harness::kWindowHeight), 1e-3);
    }
}

TEST_F(EffectsPictureTest, SpentBurstDrawsNothing)
{
    Random random;
    ParticleBurst burst{};
    armBurst(burst, random, 2.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.7f, 1.7f, 0.0f, 360.0f);
    BurstPicture picture;
    showBurst(burst, BurstLook::Splash, random, picture);
    EXPECT_EQ(feedbackOf(picture).size(), static_cast<size_t>(kPoints));
    ASSERT_EQ(lifeLeft(burst), 0.0f);

    glPointSize(3.0f);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    for (BurstLook look : kLooks) {
        showBurst(burst, look, random, picture);
        EXPECT_TRUE(feedbackOf(picture).empty());
    }
    // Not even the point size or the colour was touched.
    GLfloat size = 0.0f, colour[4] = {};
    glGetFloatv(GL_POINT_SIZE, &size);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(size, 3.0f);
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[2], 0.75f);
}

TEST_F(EffectsPictureTest, RepairSparklesCoverTheCarsPivotInARealFrame)
{
    harness::runFrame();
    const harness::Colour pivotBefore = harness::colourAt(10.0f, 0.0f);
    const harness::Colour asideBefore = harness::colourAt(13.0f, 0.0f);

    // Left the repair patch part-way: the sparkles play on.
    harness::game().playerCar.setContactKind(kRepairContact);
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
    EXPECT_EQ(lifeLeft(harness::game().bursts.repairBurst), 158.0f);
}

}  // namespace
