// Input entries of the POSIX platform interface: the pointer is the XScreenSaver
// daemon's, so the cursor is a remembered point.
#pragma once

#include <cstdint>

#include "platform.h"

void PosixSetCursorPosition(int32_t x, int32_t y);
void PosixUnclipCursor();
void PosixShowCursor(int show);
