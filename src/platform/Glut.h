// GLUT as the game uses it on either side: freeglut on the desktop; in the browser the GLUT of
// emscripten's library, with the numbers of the freeglut keys the game names. What the
// browser's GLUT lacks besides (full screen left, the close box, the window hidden, events read
// now) the game asks of the platform's calls (Platform.h), not of GLUT.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GL/glut.h>

#define GLUT_KEY_NUM_LOCK 0x006D
#define GLUT_KEY_BEGIN 0x006E
#define GLUT_KEY_DELETE 0x006F
#define GLUT_KEY_SHIFT_L 0x0070
#define GLUT_KEY_SHIFT_R 0x0071
#define GLUT_KEY_CTRL_L 0x0072
#define GLUT_KEY_CTRL_R 0x0073
#define GLUT_KEY_ALT_L 0x0074
#define GLUT_KEY_ALT_R 0x0075
#define GLUT_KEY_SUPER_L 0x0076
#define GLUT_KEY_SUPER_R 0x0077
#else
#include <GL/freeglut.h>
#endif
