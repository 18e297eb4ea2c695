// BMP reader (placeholder).
#include "assets/BmpReader.h"
