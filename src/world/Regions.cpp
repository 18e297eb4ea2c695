// Collision tables (placeholder).
#include "world/Regions.h"
