// Asks a window to close as a window manager's close box does: the WM_DELETE_WINDOW message of
// the window-manager protocols, sent to the window itself.
//   window_close WINDOW_ID        (a number, as xdotool prints it)
// Exit status 2 on bad input or no X server.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_close WINDOW_ID\n");
        return 2;
    }
    char* end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    Display* display = XOpenDisplay(nullptr);
    if (*end != '\0' || window == 0 || !display) {
        std::fprintf(stderr, "window_close: no such window or no X server\n");
        return 2;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
