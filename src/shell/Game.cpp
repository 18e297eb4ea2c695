// The game shell: banner, window, callbacks, start-up order and the work of one frame.
#include "shell/Game.h"

#include <GL/glut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include "assets/CarList.h"
#include "assets/MapList.h"
#include "assets/Textures.h"
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "effects/Sound.h"
#include "shell/FramePacer.h"
#include "shell/HeldKeys.h"
#include "shell/Input.h"
#include "shell/LeakCheck.h"
#include "shell/Options.h"
#include "shell/Pause.h"
#include "vehicle/Car.h"
#include "world/World.h"

int viewportWidth = 640;
int viewportHeight = 480;
bool windowShown = false;
bool frameDrawnSinceStep = true;

namespace {

constexpr double kFramesPerSecond = 60.0;
constexpr float kViewHalfSize = 50.0f;  // the view spans -50..50 world units on both axes
constexpr int kWindowWidth = 1024;      // the window of --window
constexpr int kWindowHeight = 768;

// While no frame is drawn the game stands still; this is how long it waits before looking again.
constexpr std::chrono::duration<double> kStandStillWait(1.0 / kFramesPerSecond);

void printLine(const char* text)
{
    std::cout << std::endl << text << std::endl;
}

// The panel covers the window's left fifth with opaque paint, so the map, the car and the world's
// effects are drawn only from its edge rightwards (two columns to spare): the same picture for
// a fifth less work.
void clipToTheMap()
{
    const double panelShare = (kPanelRight + kViewHalfSize) / (2.0 * kViewHalfSize);
    const int left = std::max(0, static_cast<int>(std::floor(panelShare * viewportWidth)) - 2);
    glScissor(left, 0, viewportWidth - left, viewportHeight);
    glEnable(GL_SCISSOR_TEST);
}

}  // namespace

FramePacer framePacer(kFramesPerSecond);

int runGame(int argc, char** argv)
{
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options))
        return *status;

    printLine(" TARVELO! a top-down driving game, made by the TARVELO! team in 2026");
    printLine(" Please wait...");
    printLine(" Initialising OpenGL...");

    std::vector<char*> glutArguments;
    for (std::string& argument : options.glutArguments)
        glutArguments.push_back(argument.data());
    int glutCount = static_cast<int>(glutArguments.size());
    glutArguments.push_back(nullptr);
    glutInit(&glutCount, glutArguments.data());
    glutInitDisplayMode(GLUT_DOUBLE);
    if (!options.window) {
        // The window opens already covering the screen: a desktop without a window manager
        // cannot make it full screen, and would otherwise show it shifted off the top left.
        glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
        glutInitWindowPosition(0, 0);
    } else if (!options.geometry) {
        glutInitWindowSize(kWindowWidth, kWindowHeight);
        glutInitWindowPosition(0, 0);
    }
    glutCreateWindow("TARVELO! b" TARVELO_VERSION " - by the TARVELO! team");
    std::atexit(checkLeaksWhileTheDriverIsLoaded);  // runs before the GL driver is unloaded at exit
    SoundSettings sound;
    sound.muted = options.mute;
    if (startSound(sound))
        std::atexit(stopSound);  // before the leak check, which runs after it

    registerInputCallbacks();
    glutIdleFunc(idle);

    initGraphics(findDataFolder(options));

    glutDisplayFunc(pacedDisplay);
    glutReshapeFunc(reshape);

    if (!options.window)
        glutFullScreen();
    glutMainLoop();
    return 0;
}

void registerInputCallbacks()
{
    glutMouseFunc(mouse);
    glutPassiveMotionFunc(passiveMotion);
    glutSpecialFunc(arrowPressed);
    glutSpecialUpFunc(arrowReleased);
    glutKeyboardFunc(characterPressed);
    glutKeyboardUpFunc(characterReleased);
    takeOverKeyRepeat();
    glutWindowStatusFunc(windowStatus);
}

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

namespace {

// One frame into the back buffer, not yet shown: the kept picture of a paused game, or map, car,
// world rules and dashboard. Returns whether it was a frame of play, which lets the car take its
// next step.
bool drawFrame()
{
    if (gamePaused()) {
        drawPausedFrame();
        return false;
    }
    clipToTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(playerCar);
    if (playerCar.getDamageStatus() != 0.0f)
        playerCar.draw(headlightsOff);
    updateWorld(playerCar, explosionBurst, contactBurst, repairBurst);
    glDisable(GL_SCISSOR_TEST);
    drawToolBar(playerCar);
    soundFrame(playerCar, angle1);  // the sounds of this frame's events start now
    playerCar.setDamage(0.0f);      // this frame's damage has been applied exactly once
    keepFrameWhenPausing();
    return true;
}

}  // namespace

void display()
{
    const bool played = drawFrame();
    glutSwapBuffers();
    if (played)
        frameDrawnSinceStep = true;
}

// The renderer does its drawing when a frame is handed over, taking longer for some frames than
// for others. So the drawing is finished first and the swap waits for the frame's slot: every
// picture appears at the start of its own 1/60 s, however long it took to draw.
void pacedDisplay()
{
    const bool played = drawFrame();
    glFinish();
    framePacer.waitForSlot();
    glutSwapBuffers();
    if (played)
        frameDrawnSinceStep = true;
}

void reshape(int width, int height)
{
    viewportWidth = width;
    viewportHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-kViewHalfSize, kViewHalfSize, -kViewHalfSize, kViewHalfSize);
    glMatrixMode(GL_MODELVIEW);
}

// One motion step for each frame drawn. A window that is minimised, on another desktop or covered
// gets no frames, and then the car waits where it stands instead of driving on unseen; so does a
// paused game.
void idle()
{
    if (!frameDrawnSinceStep || gamePaused()) {
        std::this_thread::sleep_for(kStandStillWait);
        return;
    }
    frameDrawnSinceStep = false;
    repeatHeldArrows();
    playerCar.advance();
}

void windowStatus(int state)
{
    windowShown = state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED;
    if (!windowShown)
        releaseAllKeys();  // its key releases may go to whatever window is now in front
    setSoundPaused(!windowShown || gamePaused());
}

void drawScene(Car car)
{
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-car.getX_centre(), -car.getY_centre(), 0.0f);
    glCallList(kMapList);
    glPopMatrix();
}
