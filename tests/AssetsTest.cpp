// The map and the car as their vertex arrays draw them, read back from real frames.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <string>

#include "GlHarness.h"
#include "SolidTexture.h"
#include "assets/CarList.h"
#include "assets/MapList.h"
#include "assets/Textures.h"
#include "session/GameState.h"
#include "vehicle/Car.h"

namespace {

using harness::Colour;

// The textures the map and the car show are painted these plain colours for the tests.
constexpr Colour kDirt = {170, 130, 80};
constexpr Colour kWater = {30, 70, 220};
constexpr Colour kRoof = {230, 40, 190};
constexpr Colour kCarPaint = {250, 120, 10};

constexpr Colour kRoad = {51, 51, 51};  // grey 0.2
constexpr Colour kBlack = {0, 0, 0};
constexpr Colour kBackground = {42, 88, 34};         // the clear colour 0.164, 0.344, 0.133
constexpr Colour kBorder = {21, 44, 17};             // black at half opacity over the background
constexpr Colour kGreenOverRoad = {41, 92, 41};      // green at 0.2 over the grey road
constexpr Colour kRailingOverWater = {21, 49, 154};  // black at 0.3 over the water

class MapPictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        harness::resetGame();
        harness::game().headlightsOff = 1;  // the beams would tint the map ahead of the car
    }

    // Puts the world point (x, y) at the centre of the view; the car's box stays where it is.
    static void centreViewOn(float x, float y)
    {
        harness::game().playerCar.setX_centre(x);
        harness::game().playerCar.setY_centre(y);
    }

    // The colour of the world point (x, y) in the last frame, wherever its view was.
    static void expectWorldColour(float x, float y, Colour expected)
    {
        SCOPED_TRACE("world point (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        const FrameShown& frame = harness::game().frame;
        harness::expectColourAt(x - frame.viewX, y - frame.viewY, expected);
    }

    SolidTexture dirt_{textureName(kDirtTexture), kDirt.red, kDirt.green, kDirt.blue};
    SolidTexture water_{textureName(kWaterTexture), kWater.red, kWater.green, kWater.blue};
    SolidTexture roof_{textureName(kRoofTexture), kRoof.red, kRoof.green, kRoof.blue};
};

TEST_F(MapPictureTest, StartViewShowsRiverRoadsAndBlockFourAtTheirExactEdges)
{
    harness::runFrame();
    expectWorldColour(20.0f, 30.0f, kDirt);
    // The lower edge of the river, y 45, up to the top of the view.
    expectWorldColour(0.0f, 44.7f, kDirt);
    expectWorldColour(0.0f, 45.3f, kWater);
    expectWorldColour(0.0f, 49.6f, kWater);
    // Road 24, y -25 to -10, and road 29 leaving it southwards, x -40 to -25.
    expectWorldColour(0.0f, -9.7f, kDirt);
    expectWorldColour(0.0f, -10.3f, kRoad);
    expectWorldColour(0.0f, -24.7f, kRoad);
    expectWorldColour(0.0f, -25.3f, kDirt);
    expectWorldColour(-25.3f, -35.0f, kRoad);
    expectWorldColour(-24.7f, -35.0f, kDirt);
    // Block 4's top edge at y -40 and left edge at x -10.
    expectWorldColour(15.0f, -39.7f, kDirt);
    expectWorldColour(15.0f, -40.3f, kRoof);
    expectWorldColour(-10.3f, -45.0f, kDirt);
    expectWorldColour(-9.7f, -45.0f, kRoof);
}

TEST_F(MapPictureTest, GreenPatchShowsTheGreyRoadThroughIt)
{
    harness::runFrame();
    expectWorldColour(29.7f, -17.0f, kRoad);
    expectWorldColour(30.3f, -17.0f, kGreenOverRoad);
    expectWorldColour(39.7f, -24.7f, kGreenOverRoad);
    expectWorldColour(40.3f, -17.0f, kRoad);
}

TEST_F(MapPictureTest, BeyondTheMapsCornerTheBorderIsHalfDarkOverTheBackground)
{
    centreViewOn(130.0f, -130.0f);
    harness::runFrame();
    expectWorldColour(139.7f, -100.0f, kDirt);
    expectWorldColour(140.3f, -100.0f, kBorder);
    expectWorldColour(141.7f, -100.0f, kBorder);
    expectWorldColour(142.3f, -100.0f, kBackground);
    expectWorldColour(150.0f, -100.0f, kBackground);
    expectWorldColour(115.0f, -139.7f, kDirt);
    expectWorldColour(115.0f, -140.3f, kBorder);
    expectWorldColour(115.0f, -142.3f, kBackground);
    expectWorldColour(141.0f, -141.0f, kBorder);  // the corner itself is darkened only once
}

TEST_F(MapPictureTest, BridgesCarryTheRoadOverTheRiverBetweenRailings)
{
    centreViewOn(-78.0f, 40.0f);  // the west bridge, road 34
    harness::runFrame();
    expectWorldColour(-92.5f, 52.0f, kRoad);
    expectWorldColour(-83.5f, 52.0f, kRailingOverWater);
    expectWorldColour(-101.5f, 52.0f, kRailingOverWater);
    expectWorldColour(-83.5f, 65.0f, kBlack);
    expectWorldColour(-83.5f, 35.0f, kBlack);
    expectWorldColour(-80.0f, 52.0f, kWater);
    expectWorldColour(-81.7f, 35.0f, kDirt);
    // The west side's tip narrows from x -103 at y 75 to x -100 at y 85.
    expectWorldColour(-100.3f, 83.0f, kBlack);
    expectWorldColour(-102.5f, 83.0f, kDirt);

    centreViewOn(100.0f, 40.0f);  // the east bridge, road 16
    harness::runFrame();
    expectWorldColour(127.5f, 52.0f, kRoad);
    expectWorldColour(136.5f, 52.0f, kRailingOverWater);
    expectWorldColour(118.5f, 52.0f, kRailingOverWater);
    expectWorldColour(136.5f, 70.0f, kBlack);
    expectWorldColour(104.0f, 52.0f, kWater);
    // The outer tip narrows from x 138 at y 75 to x 135 at y 85.
    expectWorldColour(135.5f, 83.0f, kBlack);
    expectWorldColour(137.5f, 83.0f, kDirt);
}

TEST_F(MapPictureTest, BendsFillTheirSquareButRoundOffItsFarCorner)
{
    struct BendCase {
        float centreX, centreY;
        float signX, signY;  // the quadrant the bend fills
    };
    constexpr BendCase kBends[] = {
        {-105.0f, 110.0f, -1.0f, -1.0f},  // road 2, lower left
        {-60.0f, 110.0f, 1.0f, -1.0f},    // road 4, lower right
        {-45.0f, 110.0f, -1.0f, 1.0f},    // road 5, upper left
        {0.0f, 110.0f, 1.0f, 1.0f},       // road 7, upper right
    };
    for (const BendCase& bend : kBends) {
        SCOPED_TRACE("bend about (" + std::to_string(bend.centreX) + ", " +
                     std::to_string(bend.centreY) + ")");
        // Keep the bend's square clear of the car and the dashboard.
        centreViewOn(bend.centreX + 10.0f, bend.centreY - 25.0f);
        harness::runFrame();
        auto at = [&](float along, float across) {
            return std::pair{bend.centreX + bend.signX * along, bend.centreY + bend.signY * across};
        };
        for (auto [along, across] :
             {std::pair{1.0f, 1.0f}, {9.0f, 9.0f}, {14.7f, 0.3f}, {0.3f, 14.7f}}) {
            const auto [x, y] = at(along, across);
            expectWorldColour(x, y, kRoad);
        }
        for (auto [along, across] : {std::pair{14.0f, 14.0f}, {12.0f, 12.0f}}) {
            const auto [x, y] = at(along, across);
            expectWorldColour(x, y, kDirt);
        }
    }
}

TEST_F(MapPictureTest, LoadersAnnounceThemselvesOnTheConsole)
{
    testing::internal::CaptureStdout();
    buildCarArrays();
    buildMapList();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n Loading Car objects...\n\n Loading Map objects...\n");
    harness::runFrame();  // the rebuilt arrays draw the same map
    expectWorldColour(0.0f, -17.0f, kRoad);
}

class CarListTest : public testing::Test {
protected:
    void SetUp() override
    {
        harness::resetGame();
        harness::game().headlightsOff = 1;
    }

    static void expectViewColour(float x, float y, Colour expected)
    {
        harness::expectColourAt(x, y, expected);
    }

    SolidTexture dirt_{textureName(kDirtTexture), kDirt.red, kDirt.green, kDirt.blue};
    SolidTexture paint_{textureName(kCarTexture), kCarPaint.red, kCarPaint.green, kCarPaint.blue};
};

TEST_F(CarListTest, BodyIsCentredOnThePivotInItsOwnUnshadedPicture)
{
    harness::runFrame();
    expectViewColour(10.0f, 0.0f, kCarPaint);
    expectViewColour(7.7f, 0.0f, kCarPaint);
    expectViewColour(7.3f, 0.0f, kDirt);
    expectViewColour(12.3f, 0.0f, kCarPaint);
    expectViewColour(12.7f, 0.0f, kDirt);
    expectViewColour(10.0f, 4.7f, kCarPaint);
    expectViewColour(10.0f, 5.3f, kDirt);
    expectViewColour(10.0f, -4.7f, kCarPaint);
    expectViewColour(10.0f, -5.3f, kDirt);
}

TEST_F(CarListTest, FourBlackWheelsStandOutBesideTheBody)
{
    harness::runFrame();
    struct WheelCase {
        float left, bottom;  // each wheel is 2.5 wide and 3 long
    };
    constexpr WheelCase kWheels[] = {{5.0f, 1.0f}, {5.0f, -4.0f}, {12.5f, 1.0f}, {12.5f, -4.0f}};
    for (const WheelCase& wheel : kWheels) {
        SCOPED_TRACE("wheel at x " + std::to_string(wheel.left) + ", y " +
                     std::to_string(wheel.bottom));
        expectViewColour(wheel.left + 1.25f, wheel.bottom + 1.5f, kBlack);
        expectViewColour(wheel.left + 0.3f, wheel.bottom + 0.3f, kBlack);
        expectViewColour(wheel.left + 2.2f, wheel.bottom + 2.7f, kBlack);
        expectViewColour(wheel.left + 1.25f, wheel.bottom - 0.3f, kDirt);
        expectViewColour(wheel.left + 1.25f, wheel.bottom + 3.3f, kDirt);
    }
    expectViewColour(4.7f, 2.5f, kDirt);
    expectViewColour(15.3f, -2.5f, kDirt);
}

TEST_F(CarListTest, ListLeavesTheModelviewAsItFoundIt)
{
    harness::expectModelviewKeptBy([] { drawCar(); });
}

}  // namespace
