#include "posix/input_posix.h"

// The handle of a hook that never fires; non-zero so the keyboard counts it as set.
uintptr_t PosixInstallKeyboardHook(KeyHookCallback callback, void*) {
    return callback ? 1 : 0;
}

void PosixRemoveKeyboardHook(uintptr_t) {}

int PosixToAscii(uint32_t, uint32_t, uint8_t*) {
    return 0;
}

int PosixIsKeyDown(uint32_t) {
    return 0;
}

void PosixSetCursorPosition(int32_t, int32_t) {}

void PosixUnclipCursor() {}

void PosixShowCursor(int) {}

int PosixClientOrigin(WindowHandle, int32_t* x, int32_t* y) {
    *x = 0;
    *y = 0;
    return 1;
}
