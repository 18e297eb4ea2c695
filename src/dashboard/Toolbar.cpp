// The dashboard (placeholder until the panel is built).
#include "dashboard/Toolbar.h"
void toolbarObjects() {}
void drawToolBar(Car&) {}
