// The game window's title, for GLUT to make the window with.
#include "platform/WindowIdentity.h"

std::string windowTitle(WindowPurpose purpose)
{
    return std::string("TARVELO! b" TARVELO_VERSION " - ") + (purpose == WindowPurpose::Playing
                                                                  ? "by the TARVELO! team"
                                                                  : "checking recorded drives");
}
