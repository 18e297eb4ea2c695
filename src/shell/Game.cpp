// The game shell: banner, window, callbacks, start-up order and the work of one frame.
#include "shell/Game.h"

#include <GL/glut.h>

#include <cstdlib>
#include <iostream>

#include "assets/CarList.h"
#include "assets/MapList.h"
#include "assets/Textures.h"
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "shell/FramePacer.h"
#include "shell/Input.h"
#include "shell/LeakCheck.h"
#include "vehicle/Car.h"
#include "world/World.h"

int viewportWidth = 640;
int viewportHeight = 480;

namespace {

constexpr double kFramesPerSecond = 60.0;
constexpr float kViewHalfSize = 50.0f;  // the view spans -50..50 world units on both axes

FramePacer pacer(kFramesPerSecond);

void printLine(const char* text)
{
    std::cout << std::endl << text << std::endl;
}

}  // namespace

int runGame(int argc, char** argv)
{
    printLine(" TARVELO! a top-down driving game, made by the TARVELO! team in 2026");
    printLine(" Please wait...");
    printLine(" Initialising OpenGL...");

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(640, 480);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("TARVELO! b0.3 - by the TARVELO! team");
    std::atexit(checkLeaksWhileTheDriverIsLoaded);  // runs before the GL driver is unloaded at exit

    glutMouseFunc(mouse);
    glutPassiveMotionFunc(passiveMotion);
    glutSpecialFunc(specialKey);
    glutKeyboardFunc(keyboard);
    glutIdleFunc(idle);

    initGraphics(".");

    glutDisplayFunc(pacedDisplay);
    glutReshapeFunc(reshape);

    glutFullScreen();
    glutMainLoop();
    return 0;
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

void display()
{
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(playerCar);
    if (playerCar.getDamageStatus() != 0.0f)
        playerCar.draw(headlightsOff);
    updateWorld(playerCar, explosionBurst, contactBurst, repairBurst);
    drawToolBar(playerCar);
    playerCar.setDamage(0.0f);  // this frame's damage has been applied exactly once
    glutSwapBuffers();
}

void pacedDisplay()
{
    display();
    pacer.waitForNextFrame();
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

void idle()
{
    playerCar.advance();
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
