// No render devices without a window system; the unit tests bring their own screens.
#include "xsystem.h"

void CreateSystemScreens() {}

void FreeSystemScreens() {}
