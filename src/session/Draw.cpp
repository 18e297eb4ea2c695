// The picture of the game: the fixed graphics made at start, and each frame drawn from the state.
#include "session/Draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "assets/CarList.h"
#include "assets/MapList.h"
#include "assets/Textures.h"
#include "session/Notice.h"

namespace {

// The panel covers the picture's left fifth with opaque paint, so the map, the car and the
// world's effects are drawn only from its edge rightwards (two columns to spare): the same
// picture for a fifth less work.
void clipToTheMap(const PictureArea& area)
{
    const double panelShare = (kPanelRight + kViewHalfSize) / (2.0 * kViewHalfSize);
    const int left = std::max(0, static_cast<int>(std::floor(panelShare * area.width)) - 2);
    glScissor(left, area.bottom, area.width - left, area.height);
    glEnable(GL_SCISSOR_TEST);
}

constexpr uint32_t kFramesPerSecond = 60;
constexpr uint32_t kSplitFrames =
    150;  // how long a split stays over the map: two and a half seconds
constexpr float kPostHalfSide = 1.0f;   // world units: a gate's post is a 2 x 2 square
constexpr float kLineHalfWidth = 0.3f;  // world units either side of a gate's line

// The gates' colours: the next one bright yellow, the others a faint white.
constexpr float kNextGate[4] = {1.0f, 0.85f, 0.0f, 0.9f};
constexpr float kOtherGate[4] = {1.0f, 1.0f, 1.0f, 0.35f};
constexpr TextColour kAheadText = {0.3f, 1.0f, 0.3f};
constexpr TextColour kBehindText = {1.0f, 0.35f, 0.35f};

// A gate on the map, in world units under the view's shift: its line as a thin quad (no line
// width of GL's, which the dashboard sets for its own lines), and its two posts.
void drawGate(const Gate& gate)
{
    const double dx = static_cast<double>(gate.x2) - gate.x1;
    const double dy = static_cast<double>(gate.y2) - gate.y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    const float acrossX = static_cast<float>(-dy / length * kLineHalfWidth);
    const float acrossY = static_cast<float>(dx / length * kLineHalfWidth);
    glBegin(GL_QUADS);
    glVertex2f(gate.x1 + acrossX, gate.y1 + acrossY);
    glVertex2f(gate.x2 + acrossX, gate.y2 + acrossY);
    glVertex2f(gate.x2 - acrossX, gate.y2 - acrossY);
    glVertex2f(gate.x1 - acrossX, gate.y1 - acrossY);
    const MapSpot posts[2] = {{gate.x1, gate.y1}, {gate.x2, gate.y2}};
    for (const MapSpot& post : posts) {
        glVertex2f(post.x - kPostHalfSide, post.y - kPostHalfSide);
        glVertex2f(post.x + kPostHalfSide, post.y - kPostHalfSide);
        glVertex2f(post.x + kPostHalfSide, post.y + kPostHalfSide);
        glVertex2f(post.x - kPostHalfSide, post.y + kPostHalfSide);
    }
    glEnd();
}

// Plain colours blended over the map: as the map leaves the renderer, so nothing to put back.
void drawCourse(const TimeTrial& trial, float viewX, float viewY)
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(-viewX, -viewY, 0.0f);
    for (int i = 0; i < kGateCount; ++i) {
        glColor4fv(i == trial.nextGate ? kNextGate : kOtherGate);
        drawGate(kCourse[i]);
    }
    glPopMatrix();
}

}  // namespace

void drawGhost(const GameState& ghost, const GameState& player, const PictureArea& area,
               float opacity)
{
    if (!ghost.frame.carShown)
        return;
    clipToTheMap(area);
    glEnable(GL_BLEND);  // the ghost's opacity over the map; the car leaves texturing off
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(ghost.frame.viewX - player.frame.viewX, ghost.frame.viewY - player.frame.viewY,
                 0.0f);
    ghost.playerCar.drawSeeThrough(opacity);
    glPopMatrix();
    glDisable(GL_SCISSOR_TEST);
}

std::string lapTimeText(uint32_t frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu32 ".%02" PRIu32, frames / kFramesPerSecond,
                  frames % kFramesPerSecond * 100 / kFramesPerSecond);
    return text;
}

std::string splitText(int64_t framesBehind)
{
    const uint64_t size = static_cast<uint64_t>(framesBehind < 0 ? -framesBehind : framesBehind);
    return (framesBehind < 0 ? "-" : "+") + lapTimeText(static_cast<uint32_t>(size));
}

void drawSplit(const TimeTrial& trial, const LapTimes* against, const PictureArea& area)
{
    if (!trial.on || trial.lastPassed == kNoGatePassed || trial.sincePassed >= kSplitFrames)
        return;
    const bool finish = trial.lastPassed == kFinishPassed;
    std::string text = finish ? "Lap " + lapTimeText(trial.lastLap.frames) : "";
    TextColour colour = kWhiteText;
    if (against) {
        const int64_t behind = finish ? static_cast<int64_t>(trial.lastLap.frames) - against->frames
                                      : static_cast<int64_t>(trial.lap.atGate[trial.lastPassed]) -
                                            against->atGate[trial.lastPassed];
        text += (finish ? "  " : "") + splitText(behind);
        colour = behind < 0 ? kAheadText : behind > 0 ? kBehindText : kWhiteText;
    }
    if (!text.empty())
        drawNotice(text.c_str(), kSplitBox, area, colour);
}

void initGraphics(const std::string& pictureFolder)
{
    loadTextures(pictureFolder);
    buildShapes();
    // The state every drawing of a frame starts from and leaves behind: texturing off, blending
    // on with source alpha over the picture, the modelview matrix current, no scissor.
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glClearColor(0.164f, 0.344f, 0.133f, 1.0f);  // dark green beyond the map's border
}

void buildShapes()
{
    buildCarArrays();
    toolbarObjects();
    buildMapList();
}

void drawGame(const GameState& state, const PictureArea& area)
{
    const Car& car = state.playerCar;
    clipToTheMap(area);
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(state.frame.viewX, state.frame.viewY);
    if (state.trial.on)
        drawCourse(state.trial, state.frame.viewX, state.frame.viewY);
    if (state.frame.carShown)
        car.draw(state.headlightsOff, state.frame.exhaust);
    drawBurst(state.bursts.shown);
    glDisable(GL_SCISSOR_TEST);
    drawToolBar(car, state.gauges);
    if (car.getDamageStatus() == 0.0f)
        drawNotice("Press New", kPressNewBox, area);  // the game waits for the player
    if (gamePaused(state))
        drawNotice("PAUSED", kPausedBox, area);
    if (state.trial.on)
        drawNotice(lapTimeText(state.trial.lapFrames).c_str(), kLapClockBox, area);
}

void drawScene(float viewX, float viewY)
{
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-viewX, -viewY, 0.0f);
    drawMap();
    glPopMatrix();
}
