// The map's display list: border, ground, blocks, river, roads, bridge railings and road patches.
#include "assets/MapList.h"

#include <GL/gl.h>

#include <iostream>

#include "assets/Textures.h"

namespace {

// World units, x to the right and y up; the map is 280 units square around (0, 0).
struct MapPoint {
    float x, y;
};

struct TexturedCorner {
    float s, t;
    float x, y;
};

// The dark border: a strip 2 units wide around the ground, drawn only where the ground leaves it
// showing (its four sides meet the ground's edges exactly, so every pixel is the ring's or the
// ground's, as if one square were drawn under the ground).
struct BorderStrip {
    float x1, y1, x2, y2;
};

constexpr BorderStrip kBorderRing[4] = {
    {-142.0f, 140.0f, 142.0f, 142.0f},    // north, with the corners
    {-142.0f, -142.0f, 142.0f, -140.0f},  // south, with the corners
    {-142.0f, -140.0f, -140.0f, 140.0f},  // west
    {140.0f, -140.0f, 142.0f, 140.0f},    // east
};

// The dirt repeats ten times along each side of the map.
constexpr TexturedCorner kGround[4] = {
    {0.0f, 0.0f, -140.0f, 140.0f},
    {10.0f, 0.0f, 140.0f, 140.0f},
    {10.0f, 10.0f, 140.0f, -140.0f},
    {0.0f, 10.0f, -140.0f, -140.0f},
};

// A block shows its picture once, the picture's first row along the block's top edge.
struct Block {
    TextureSlot texture;
    MapPoint corners[4];  // top-left, top-right, bottom-right, bottom-left
};

constexpr MapPoint kBlockTexCoords[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};

constexpr Block kBlocks[7] = {
    {kBox1Texture, {{20.0f, 130.0f}, {70.0f, 130.0f}, {70.0f, 90.0f}, {20.0f, 90.0f}}},
    {kBox1Texture, {{90.0f, -20.0f}, {130.0f, -20.0f}, {130.0f, -60.0f}, {90.0f, -60.0f}}},
    {kRoofTexture, {{80.0f, -110.0f}, {110.0f, -110.0f}, {110.0f, -140.0f}, {80.0f, -140.0f}}},
    {kRoofTexture, {{-10.0f, -40.0f}, {40.0f, -40.0f}, {40.0f, -70.0f}, {-10.0f, -70.0f}}},
    {kBricksTexture, {{-90.0f, -90.0f}, {-10.0f, -90.0f}, {-10.0f, -130.0f}, {-90.0f, -130.0f}}},
    {kBricksTexture, {{-90.0f, -40.0f}, {-50.0f, -40.0f}, {-50.0f, -60.0f}, {-90.0f, -60.0f}}},
    {kBox1Texture, {{-130.0f, -10.0f}, {-90.0f, -10.0f}, {-90.0f, -60.0f}, {-130.0f, -60.0f}}},
};

// The river crosses the whole map, y 45 to 60.
constexpr float kRiverLeft = -140.0f;
constexpr float kRiverTop = 60.0f;
constexpr float kRiverRight = 140.0f;
constexpr float kRiverBottom = 45.0f;

constexpr float kRoadGrey = 0.2f;

// A road piece is a rectangle between two opposite corners, or a bend: a quarter disc of
// radius 15 about a centre, filling the 15 x 15 square of one quadrant but its far corner.
struct RoadPiece {
    bool bend;
    Quadrant quadrant;  // bends only
    float x1, y1;       // first corner, or the bend's centre
    float x2, y2;       // opposite corner (rectangles only)
};

constexpr RoadPiece rect(float x1, float y1, float x2, float y2)
{
    return {false, Quadrant::LowerLeft, x1, y1, x2, y2};
}

constexpr RoadPiece bend(float centreX, float centreY, Quadrant quadrant)
{
    return {true, quadrant, centreX, centreY, 0.0f, 0.0f};
}

// The road network, 15 units wide, in drawing order.
constexpr RoadPiece kRoadPieces[34] = {
    rect(-120.0f, 140.0f, -105.0f, 110.0f),      // 1: the main road enters at the north edge
    bend(-105.0f, 110.0f, Quadrant::LowerLeft),  // 2
    rect(-105.0f, 110.0f, -60.0f, 95.0f),        // 3: east
    bend(-60.0f, 110.0f, Quadrant::LowerRight),  // 4: a step 15 units north
    bend(-45.0f, 110.0f, Quadrant::UpperLeft),   // 5
    rect(-45.0f, 125.0f, 0.0f, 110.0f),          // 6: east
    bend(0.0f, 110.0f, Quadrant::UpperRight),    // 7
    rect(0.0f, 110.0f, 15.0f, 80.0f),            // 8: a dip south to y 65
    bend(15.0f, 80.0f, Quadrant::LowerLeft),     // 9
    rect(15.0f, 65.0f, 80.0f, 80.0f),            // 10
    bend(80.0f, 80.0f, Quadrant::LowerRight),    // 11
    rect(80.0f, 80.0f, 95.0f, 110.0f),           // 12
    bend(95.0f, 110.0f, Quadrant::UpperLeft),    // 13
    rect(95.0f, 110.0f, 120.0f, 125.0f),         // 14
    bend(120.0f, 110.0f, Quadrant::UpperRight),  // 15
    rect(120.0f, 110.0f, 135.0f, 20.0f),         // 16: south along the east side, over the river
    bend(120.0f, 20.0f, Quadrant::LowerRight),   // 17
    rect(120.0f, 20.0f, 70.0f, 5.0f),            // 18: back west
    bend(70.0f, 5.0f, Quadrant::UpperLeft),      // 19
    rect(70.0f, 5.0f, 55.0f, -140.0f),           // 20: south to the south edge
    rect(70.0f, -80.0f, 120.0f, -95.0f),         // 21: the east branch
    bend(120.0f, -95.0f, Quadrant::UpperRight),  // 22
    rect(120.0f, -95.0f, 135.0f, -140.0f),       // 23
    rect(55.0f, -25.0f, -60.0f, -10.0f),         // 24: the west branch, out to the west edge
    bend(-60.0f, -10.0f, Quadrant::LowerLeft),   // 25
    rect(-60.0f, -10.0f, -75.0f, 10.0f),         // 26
    bend(-75.0f, 10.0f, Quadrant::UpperRight),   // 27
    rect(-75.0f, 10.0f, -140.0f, 25.0f),         // 28
    rect(-25.0f, -25.0f, -40.0f, -70.0f),        // 29: the south-west branch
    bend(-40.0f, -70.0f, Quadrant::LowerRight),  // 30
    rect(-40.0f, -70.0f, -100.0f, -85.0f),       // 31
    bend(-100.0f, -85.0f, Quadrant::UpperLeft),  // 32
    rect(-100.0f, -85.0f, -115.0f, -140.0f),     // 33
    rect(-100.0f, 95.0f, -85.0f, 25.0f),  // 34: west branch to the north road, over the river
};

// Rim of a bend, from the centre, in drawing order; the quadrant gives the signs.
struct RimOffset {
    double dx, dy;
};

constexpr RimOffset kBendRim[10] = {
    {0.0, 15.0},  {2.0, 14.9}, {4.0, 14.4}, {6.0, 13.8}, {8.0, 12.5},
    {10.0, 11.2}, {12.0, 9.0}, {14.0, 5.5}, {14.5, 3.8}, {15.0, 0.0},
};

struct QuadrantSigns {
    double x, y;
};

// Indexed by Quadrant: lower-left, lower-right, upper-left, upper-right.
constexpr QuadrantSigns kQuadrantSigns[4] = {
    {-1.0, -1.0},
    {1.0, -1.0},
    {-1.0, 1.0},
    {1.0, 1.0},
};
static_assert(static_cast<int>(Quadrant::LowerLeft) == 0 &&
                  static_cast<int>(Quadrant::UpperRight) == 3,
              "the signs are indexed by quadrant");

// Bridge railings, 3 units wide beside roads 16 (east bridge) and 34 (west bridge): solid on
// land, see-through over the water, with pointed tips where they start and end.
enum class Bridge { East, West };

constexpr float kOverWaterAlpha = 0.3f;

struct RailingRect {
    Bridge bridge;
    bool overWater;
    float x1, y1, x2, y2;
};

constexpr RailingRect kRailings[12] = {
    {Bridge::East, false, 135.0f, 60.0f, 138.0f, 75.0f},
    {Bridge::East, false, 135.0f, 30.0f, 138.0f, 45.0f},
    {Bridge::East, false, 117.0f, 60.0f, 120.0f, 75.0f},
    {Bridge::East, false, 117.0f, 30.0f, 120.0f, 45.0f},
    {Bridge::East, true, 135.0f, 45.0f, 138.0f, 60.0f},
    {Bridge::East, true, 117.0f, 45.0f, 120.0f, 60.0f},
    {Bridge::West, false, -85.0f, 25.0f, -82.0f, 45.0f},
    {Bridge::West, false, -85.0f, 60.0f, -82.0f, 75.0f},
    {Bridge::West, false, -103.0f, 25.0f, -100.0f, 45.0f},
    {Bridge::West, false, -103.0f, 60.0f, -100.0f, 75.0f},
    {Bridge::West, true, -85.0f, 45.0f, -82.0f, 60.0f},
    {Bridge::West, true, -103.0f, 45.0f, -100.0f, 60.0f},
};

struct RailingTip {
    Bridge bridge;
    MapPoint corners[3];
};

constexpr RailingTip kRailingTips[6] = {
    {Bridge::East, {{135.0f, 85.0f}, {135.0f, 75.0f}, {138.0f, 75.0f}}},     // outer, north
    {Bridge::East, {{135.0f, 20.0f}, {135.0f, 30.0f}, {138.0f, 30.0f}}},     // outer, south
    {Bridge::East, {{120.0f, 85.0f}, {120.0f, 75.0f}, {117.0f, 75.0f}}},     // inner, north
    {Bridge::East, {{120.0f, 20.0f}, {120.0f, 30.0f}, {117.0f, 30.0f}}},     // inner, south
    {Bridge::West, {{-82.0f, 75.0f}, {-85.0f, 75.0f}, {-85.0f, 85.0f}}},     // east side, north
    {Bridge::West, {{-100.0f, 75.0f}, {-103.0f, 75.0f}, {-100.0f, 85.0f}}},  // west side, north
};

// Translucent patches on the roads: green speeds the car up, red slows it, cyan repairs it.
constexpr float kPatchAlpha = 0.2f;

struct RoadPatch {
    float red, green, blue;
    float x1, y1, x2, y2;
};

constexpr RoadPatch kPatches[6] = {
    {0.0f, 1.0f, 0.0f, 40.0f, 65.0f, 50.0f, 80.0f},          // on road 10
    {0.0f, 1.0f, 0.0f, 30.0f, -25.0f, 40.0f, -10.0f},        // on road 24
    {0.0f, 1.0f, 0.0f, -30.0f, 110.0f, -20.0f, 125.0f},      // on road 6
    {1.0f, 0.0f, 0.0f, 55.0f, -60.0f, 70.0f, -50.0f},        // on road 20
    {1.0f, 0.0f, 0.0f, -60.0f, -25.0f, -50.0f, -10.0f},      // on road 24
    {0.0f, 1.0f, 1.0f, -115.0f, -140.0f, -100.0f, -120.0f},  // on road 33, the repair area
};

void drawTexturedQuad(const TexturedCorner (&corners)[4])
{
    glBegin(GL_POLYGON);
    for (const TexturedCorner& corner : corners) {
        glTexCoord2f(corner.s, corner.t);
        glVertex2f(corner.x, corner.y);
    }
    glEnd();
}

void drawBlock(const Block& block)
{
    glBindTexture(GL_TEXTURE_2D, textureName(block.texture));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_POLYGON);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(kBlockTexCoords[i].x, kBlockTexCoords[i].y);
        glVertex2f(block.corners[i].x, block.corners[i].y);
    }
    glEnd();
}

// Solid parts black, over-water parts black at 0.3, then the tips in black.
void drawRailings(Bridge bridge)
{
    bool colourSet = false;
    bool colourOverWater = false;
    for (const RailingRect& railing : kRailings) {
        if (railing.bridge != bridge)
            continue;
        if (!colourSet || railing.overWater != colourOverWater) {
            if (railing.overWater)
                glColor4f(0.0f, 0.0f, 0.0f, kOverWaterAlpha);
            else
                glColor3f(0.0f, 0.0f, 0.0f);
            colourSet = true;
            colourOverWater = railing.overWater;
        }
        drawPlainRect(railing.x1, railing.y1, railing.x2, railing.y2);
    }
    glColor3f(0.0f, 0.0f, 0.0f);
    for (const RailingTip& tip : kRailingTips) {
        if (tip.bridge != bridge)
            continue;
        glBegin(GL_TRIANGLES);
        for (const MapPoint& corner : tip.corners)
            glVertex2f(corner.x, corner.y);
        glEnd();
    }
}

// The map's drawing calls, in the order the frame's blending needs.
void drawMapParts()
{
    drawBorder();
    // Ground, blocks, river and roads are opaque paint (alpha 1 and pictures without alpha):
    // blending them would give the same pixels for a read of every pixel under them.
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    drawGround();
    drawBlocks();
    drawWaterStrip();
    glDisable(GL_TEXTURE_2D);
    drawRoadNetwork();
    glEnable(GL_BLEND);

    drawBridgesAndZones();
}

}  // namespace

// The desktop compiles the map's calls once; the browser's GL keeps no lists, so its frames make
// them each time. (The desktop's software renderer blends the time trial's gates over the road a
// shade apart on one tile when the map comes otherwise than from its list: drawn each frame, or
// from vertex arrays. So the desktop keeps its list.)
void buildMapList()
{
    std::cout << std::endl << " Loading Map objects..." << std::endl;
#ifndef __EMSCRIPTEN__
    glNewList(kMapList, GL_COMPILE);
    drawMapParts();
    glEndList();
#endif
}

void drawMap()
{
#ifdef __EMSCRIPTEN__
    drawMapParts();
#else
    glCallList(kMapList);
#endif
}

void drawBorder()
{
    glColor4f(0.0f, 0.0f, 0.0f, 0.5f);
    for (const BorderStrip& strip : kBorderRing)
        drawPlainRect(strip.x1, strip.y1, strip.x2, strip.y2);
}

void drawGround()
{
    glBindTexture(GL_TEXTURE_2D, textureName(kDirtTexture));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawTexturedQuad(kGround);
}

void drawBlocks()
{
    for (const Block& block : kBlocks)
        drawBlock(block);
}

void drawTexturedRect(float x1, float y1, float x2, float y2)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1, y2);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x2, y2);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x2, y1);
    glEnd();
}

void drawPlainRect(float x1, float y1, float x2, float y2)
{
    glBegin(GL_QUADS);
    glVertex2f(x1, y1);
    glVertex2f(x1, y2);
    glVertex2f(x2, y2);
    glVertex2f(x2, y1);
    glEnd();
}

void drawRoundedCorner(float centreX, float centreY, Quadrant quadrant)
{
    const QuadrantSigns& signs = kQuadrantSigns[static_cast<int>(quadrant)];
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(centreX, centreY);
    for (const RimOffset& rim : kBendRim)
        glVertex2f(static_cast<float>(centreX + signs.x * rim.dx),
                   static_cast<float>(centreY + signs.y * rim.dy));
    glEnd();
}

void drawWaterStrip()
{
    glBindTexture(GL_TEXTURE_2D, textureName(kWaterTexture));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawTexturedRect(kRiverLeft, kRiverTop, kRiverRight, kRiverBottom);
}

void drawRoadNetwork()
{
    glColor3f(kRoadGrey, kRoadGrey, kRoadGrey);
    for (const RoadPiece& piece : kRoadPieces) {
        if (piece.bend)
            drawRoundedCorner(piece.x1, piece.y1, piece.quadrant);
        else
            drawPlainRect(piece.x1, piece.y1, piece.x2, piece.y2);
    }
}

void drawBridgesAndZones()
{
    drawRailings(Bridge::East);
    drawRailings(Bridge::West);
    for (const RoadPatch& patch : kPatches) {
        glColor4f(patch.red, patch.green, patch.blue, kPatchAlpha);
        drawPlainRect(patch.x1, patch.y1, patch.x2, patch.y2);
    }
}
