// Car list (placeholder).
#include "assets/CarList.h"
void buildCarList() {}
