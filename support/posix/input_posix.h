// Input entries of the POSIX platform interface. There is no window system: no key
// messages reach the hook, no key is held and the cursor is a remembered point.
#pragma once

#include <cstdint>

#include "platform.h"

uintptr_t PosixInstallKeyboardHook(KeyHookCallback callback, void* owner);
void PosixRemoveKeyboardHook(uintptr_t hook);
int PosixToAscii(uint32_t virtualKey, uint32_t scanCode, uint8_t characters[2]);
int PosixIsKeyDown(uint32_t virtualKey);
void PosixSetCursorPosition(int32_t x, int32_t y);
void PosixUnclipCursor();
void PosixShowCursor(int show);
int PosixClientOrigin(WindowHandle window, int32_t* x, int32_t* y);
