// The picture of the game: the fixed graphics made at start, and each frame drawn from the state.
#include "session/Draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

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

}  // namespace

void initGraphics(const std::string& pictureFolder)
{
    loadTextures(pictureFolder);
    buildDisplayLists();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glClearColor(0.164f, 0.344f, 0.133f, 1.0f);  // dark green beyond the map's border
}

void buildDisplayLists()
{
    buildCarList();
    toolbarObjects();
    buildMapList();
}

void drawGame(const GameState& state, const PictureArea& area)
{
    const Car& car = state.playerCar;
    clipToTheMap(area);
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(state.frame.viewX, state.frame.viewY);
    if (state.frame.carShown)
        car.draw(state.headlightsOff, state.frame.exhaust);
    drawBurst(state.bursts.shown);
    glDisable(GL_SCISSOR_TEST);
    drawToolBar(car, state.gauges);
    if (car.getDamageStatus() == 0.0f)
        drawNotice("Press New", kPressNewBox, area);  // the game waits for the player
    if (gamePaused(state))
        drawNotice("PAUSED", kPausedBox, area);
}

void drawScene(float viewX, float viewY)
{
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-viewX, -viewY, 0.0f);
    glCallList(kMapList);
    glPopMatrix();
}
