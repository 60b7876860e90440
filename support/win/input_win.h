// Win32 half of keyboard and mouse input: the thread's keyboard hook, which turns key
// messages into the program's key events, and the cursor (entries of the platform
// interface, platform.h).
#pragma once

#include <cstdint>

#include "platform.h"

// The key code of a virtual key; 0 when it has none.
int TranslateVirtualKey(uint32_t virtualKey);
// The keyboard hook of the program's thread: each key message the pump takes goes on as
// an SE_KEY event. One hook for the window layer's life; a warning when it cannot be set.
void InstallKeyboardHook();
void RemoveKeyboardHook();
void WinSetCursorPosition(int32_t x, int32_t y);
void WinUnclipCursor();
void WinShowCursor(int show);
