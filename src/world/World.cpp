// World update (placeholder).
#include "world/World.h"
void updateWorld(Car&, ParticleBurst&, ParticleBurst&, ParticleBurst&) {}
