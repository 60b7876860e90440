// Win32 half of keyboard and mouse input: the thread's keyboard hook, key state and
// characters, and the cursor. Entries of the platform interface (platform.h).
#pragma once

#include <cstdint>

#include "platform.h"

uintptr_t WinInstallKeyboardHook(KeyHookCallback callback, void* owner);
void WinRemoveKeyboardHook(uintptr_t hook);
int WinToAscii(uint32_t virtualKey, uint32_t scanCode, uint8_t characters[2]);
int WinIsKeyDown(uint32_t virtualKey);
void WinSetCursorPosition(int32_t x, int32_t y);
void WinUnclipCursor();
void WinShowCursor(int show);
int WinClientOrigin(WindowHandle window, int32_t* x, int32_t* y);
