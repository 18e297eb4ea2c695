// The game shell: the fixed view, the paced frame loop and the order of work in a frame.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "GlHarness.h"
#include "platform/FramePacer.h"
#include "platform/Window.h"
#include "vehicle/Car.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kPeriod = 1.0 / 60.0;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class ShellTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
    void TearDown() override { reshape(harness::kWindowWidth, harness::kWindowHeight); }
};

TEST_F(ShellTest, ViewSpansFiftyUnitsEachWayWhateverTheWindowSize)
{
    for (auto [width, height] :
         {std::pair{1024, 768}, std::pair{1920, 1080}, std::pair{333, 999}}) {
        reshape(width, height);
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        EXPECT_FLOAT_EQ(projection[0], 2.0f / 100.0f);
        EXPECT_FLOAT_EQ(projection[5], 2.0f / 100.0f);
        EXPECT_FLOAT_EQ(projection[12], 0.0f);
        EXPECT_FLOAT_EQ(projection[13], 0.0f);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], height);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        EXPECT_EQ(viewportWidth, width);
        EXPECT_EQ(viewportHeight, height);
    }
}

TEST_F(ShellTest, FrameLeavesTheModelviewAsItFoundIt)
{
    Car& car = harness::game().playerCar;
    car.setX_centre(37.0f);
    car.setY_centre(-12.5f);
    harness::runFrame();
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(modelview[i], (i % 5 == 0) ? 1.0f : 0.0f) << "element " << i;
}

TEST_F(ShellTest, DamageOfAFrameIsClearedWhenTheFrameEnds)
{
    harness::game().playerCar.setDamage(0.5f);
    harness::runFrame();
    EXPECT_EQ(harness::game().playerCar.getDamage(), 0.0f);
    EXPECT_EQ(harness::game().frame.damage, 0.5f) << "kept for the sounds of the frame";
}

TEST_F(ShellTest, PacerNeverRunsFasterThanSixtyFramesASecond)
{
    FramePacer pacer(60.0);
    const auto start = Clock::now();
    constexpr int kFrames = 30;
    for (int i = 0; i < kFrames; ++i)
        pacer.waitForSlot();
    EXPECT_GE(secondsSince(start), (kFrames - 1) * kPeriod);
}

TEST_F(ShellTest, PacerSlowsDownAfterALateFrameInsteadOfCatchingUp)
{
    FramePacer pacer(60.0);
    pacer.waitForSlot();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // twelve frames' worth, lost
    const auto start = Clock::now();
    pacer.waitForSlot();  // late: returns at once and starts a fresh slot
    pacer.waitForSlot();
    pacer.waitForSlot();
    // Catching up would run these three back to back; at the steady rate they take two periods.
    EXPECT_GE(secondsSince(start), 2 * kPeriod);
}

}  // namespace
