// The game window's title, for GLUT to make the window with; its class and icon, set through Xlib
// on the window GLUT has just made current: GLUT itself gives the window neither.
#include "platform/WindowIdentity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <iterator>
#include <vector>

#include "platform/WindowIconPixels.h"

std::string windowTitle(WindowPurpose purpose)
{
    return std::string("TARVELO! b" TARVELO_VERSION " - ") + (purpose == WindowPurpose::Playing
                                                                  ? "by the TARVELO! team"
                                                                  : "checking recorded drives");
}

void identifyWindow()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || window == None)
        return;

    char name[] = "tarvelo";  // the program's name, and the desktop file's StartupWMClass
    char className[] = "Tarvelo";
    XClassHint hint{name, className};
    XSetClassHint(display, window, &hint);

    // Xlib takes the 32-bit values of a property as longs.
    const std::vector<unsigned long> icon(std::begin(kWindowIconPixels),
                                          std::end(kWindowIconPixels));
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                    static_cast<int>(icon.size()));
    XFlush(display);
}
