// No render devices without a window system yet; the unit tests bring their own screens.
#include "base/screenchoice.h"

Screen* NewPlatformScreen(int32_t) {
    return nullptr;
}
