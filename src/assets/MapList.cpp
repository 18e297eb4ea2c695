// Map list (placeholder).
#include "assets/MapList.h"
void buildMapList() {}
