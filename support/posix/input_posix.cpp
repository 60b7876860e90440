#include "posix/input_posix.h"

void PosixSetCursorPosition(int32_t, int32_t) {}

void PosixUnclipCursor() {}

void PosixShowCursor(int) {}
