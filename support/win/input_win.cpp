// Win32 half of keyboard and mouse input. The keyboard hook is a WH_KEYBOARD hook on
// the program's own thread: it sees each key message as the message pump takes it,
// before TranslateMessage, and forwards it to the portable keyboard.
#include "win/input_win.h"

#include <windows.h>

namespace {

// One hook at a time: the program has one keyboard.
HHOOK keyboardHook;
KeyHookCallback hookCallback;
void* hookOwner;

// The thread's key state takes a key message only after the hooks have seen it, so
// while the callback runs the modifier side of that message is reported as the message
// says; the keyboard needs the state with this key pressed or released.
uint32_t messageSideKey;
int messageSideDown;

const uint32_t kExtendedKey = 0x01000000u;
const uint32_t kKeyReleased = 0x80000000u;

uint32_t ModifierSideOf(uint32_t virtualKey, uint32_t keyFlags) {
    switch (virtualKey) {
        case VK_SHIFT:
            return MapVirtualKeyA((keyFlags >> 16) & 0xFF, MAPVK_VSC_TO_VK_EX) == VK_RSHIFT
                       ? VK_RSHIFT
                       : VK_LSHIFT;
        case VK_CONTROL:
            return keyFlags & kExtendedKey ? VK_RCONTROL : VK_LCONTROL;
        case VK_MENU:
            return keyFlags & kExtendedKey ? VK_RMENU : VK_LMENU;
        default:
            return 0;
    }
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Kept before the call: the callback is free to remove the hook.
    HHOOK hook = keyboardHook;
    if (code >= 0 && hookCallback) {
        uint32_t keyFlags = uint32_t(lParam);
        messageSideKey = ModifierSideOf(uint32_t(wParam), keyFlags);
        messageSideDown = (keyFlags & kKeyReleased) == 0;
        hookCallback(hookOwner, code, uint32_t(wParam), keyFlags);
        messageSideKey = 0;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

uintptr_t WinInstallKeyboardHook(KeyHookCallback callback, void* owner) {
    if (keyboardHook || !callback) return 0;
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, nullptr, GetCurrentThreadId());
    if (!hook) return 0;
    keyboardHook = hook;
    hookCallback = callback;
    hookOwner = owner;
    return reinterpret_cast<uintptr_t>(hook);
}

void WinRemoveKeyboardHook(uintptr_t hook) {
    if (!hook || reinterpret_cast<HHOOK>(hook) != keyboardHook) return;
    UnhookWindowsHookEx(keyboardHook);
    keyboardHook = nullptr;
    hookCallback = nullptr;
    hookOwner = nullptr;
}

int WinToAscii(uint32_t virtualKey, uint32_t scanCode, uint8_t characters[2]) {
    BYTE state[256];
    if (!GetKeyboardState(state)) return 0;
    WORD translated = 0;
    int count = ToAscii(virtualKey, scanCode, state, &translated, 0);
    // Negative: a dead key, kept for the next key; nothing to take now.
    if (count <= 0) return 0;
    characters[0] = uint8_t(translated & 0xFF);
    characters[1] = uint8_t(translated >> 8);
    return count > 2 ? 2 : count;
}

int WinIsKeyDown(uint32_t virtualKey) {
    if (messageSideKey && virtualKey == messageSideKey) return messageSideDown;
    return (GetKeyState(int(virtualKey)) & 0x8000) != 0;
}

void WinSetCursorPosition(int32_t x, int32_t y) {
    SetCursorPos(x, y);
}

void WinUnclipCursor() {
    ClipCursor(nullptr);
}

void WinShowCursor(int show) {
    ShowCursor(show ? TRUE : FALSE);
}

int WinClientOrigin(WindowHandle window, int32_t* x, int32_t* y) {
    POINT origin = {0, 0};
    if (!ClientToScreen(reinterpret_cast<HWND>(window), &origin)) return 0;
    *x = origin.x;
    *y = origin.y;
    return 1;
}
