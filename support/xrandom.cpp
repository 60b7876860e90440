#include "xrandom.h"

#include <cstdlib>

float RandomUnit() {
    return float(std::rand() & 0x7fff) / 32767.0f;
}
