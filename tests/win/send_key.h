// One key event through the system's input queue, as a keyboard sends it: with the key's
// scan code, from which the character is made. Shared by the Win32 test programs.
#pragma once

#include <windows.h>

inline void SendKey(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = WORD(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}
