// Win32 half of keyboard and mouse input. The keyboard hook is a WH_KEYBOARD hook on
// the program's own thread: it sees each key message as the message pump takes it,
// before TranslateMessage, and hands it on as an SE_KEY event in the program's key codes.
#include "win/input_win.h"

#include <windows.h>

#include "gui/keyboard.h"
#include "misc.h"
#include "sysevent.h"

namespace {

// Virtual keys from here up have no key code (the side-specific modifier keys among
// them; the modifier sides go with each event instead).
const uint32_t kTranslatedKeys = 152;

struct KeyTable {
    uint16_t codes[kTranslatedKeys];

    KeyTable() : codes() {
        codes[VK_BACK] = KEY_BACKSPACE;
        codes[VK_TAB] = KEY_TAB;
        codes[VK_RETURN] = KEY_ENTER;
        codes[VK_ESCAPE] = KEY_ESCAPE;
        codes[VK_SPACE] = KEY_SPACE;
        for (int digit = '0'; digit <= '9'; ++digit) codes[digit] = uint16_t(digit);
        for (int letter = 'A'; letter <= 'Z'; ++letter) codes[letter] = uint16_t(letter);
        codes[VK_INSERT] = KEY_INSERT;
        codes[VK_DELETE] = KEY_DELETE;
        codes[VK_HOME] = KEY_HOME;
        codes[VK_END] = KEY_END;
        codes[VK_PRIOR] = KEY_PAGE_UP;
        codes[VK_NEXT] = KEY_PAGE_DOWN;
        codes[VK_LEFT] = KEY_LEFT;
        codes[VK_UP] = KEY_UP;
        codes[VK_RIGHT] = KEY_RIGHT;
        codes[VK_DOWN] = KEY_DOWN;
        codes[VK_SHIFT] = KEY_SHIFT;
        codes[VK_CONTROL] = KEY_CTRL;
        codes[VK_MENU] = KEY_ALT;
        codes[VK_NUMLOCK] = KEY_NUM_LOCK;
        codes[VK_DIVIDE] = KEY_PAD_DIVIDE;
        codes[VK_MULTIPLY] = KEY_PAD_MULTIPLY;
        codes[VK_SUBTRACT] = KEY_PAD_SUBTRACT;
        codes[VK_ADD] = KEY_PAD_ADD;
        codes[VK_DECIMAL] = KEY_PAD_DECIMAL;
        for (int pad = 0; pad <= 9; ++pad) codes[VK_NUMPAD0 + pad] = uint16_t(KEY_PAD_0 + pad);
        codes[VK_SNAPSHOT] = KEY_PRINT_SCREEN;
        codes[VK_SCROLL] = KEY_SCROLL_LOCK;
        codes[VK_PAUSE] = KEY_PAUSE;
        codes[VK_CAPITAL] = KEY_CAPS_LOCK;
        for (int f = 0; f < 24; ++f) codes[VK_F1 + f] = uint16_t(KEY_F1 + f);
    }
};

const KeyTable keyTable;

// The modifier sides an event carries, by the virtual key of each side.
const struct {
    uint32_t virtualKey;
    int32_t flag;
} kModifierSides[] = {
    {VK_LSHIFT, KEYFLAG_LEFT_SHIFT},  {VK_RSHIFT, KEYFLAG_RIGHT_SHIFT},
    {VK_LCONTROL, KEYFLAG_LEFT_CTRL}, {VK_RCONTROL, KEYFLAG_RIGHT_CTRL},
    {VK_LMENU, KEYFLAG_LEFT_ALT},     {VK_RMENU, KEYFLAG_RIGHT_ALT},
};

HHOOK keyboardHook;

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

// The thread's key state takes a key message only after the hooks have seen it, so the
// modifier side of the message itself is taken as the message says.
int32_t HeldModifierSides(uint32_t messageSide, bool down) {
    int32_t sides = 0;
    for (const auto& side : kModifierSides) {
        bool held = side.virtualKey == messageSide
                        ? down
                        : (GetKeyState(int(side.virtualKey)) & 0x8000) != 0;
        if (held) sides |= side.flag;
    }
    return sides;
}

// The character the key gives with the thread's current keyboard state; 0 for none.
int CharacterOf(uint32_t virtualKey, uint32_t scanCode) {
    BYTE state[256];
    if (!GetKeyboardState(state)) return 0;
    WORD translated = 0;
    int count = ToAscii(virtualKey, scanCode, state, &translated, 0);
    // Negative: a dead key, kept for the next key; nothing to take now. Two characters:
    // a dead key that did not combine, then the key's own.
    if (count == 1) return translated & 0xFF;
    if (count >= 2) return translated >> 8;
    return 0;
}

SysEvent KeyEventOf(uint32_t virtualKey, uint32_t keyFlags) {
    bool down = (keyFlags & kKeyReleased) == 0;
    SysEvent event = {};
    event.type = SE_KEY;
    event.value2 = CharacterOf(virtualKey, keyFlags >> 16);
    event.value = TranslateVirtualKey(virtualKey);
    event.flags =
        (down ? KEYFLAG_DOWN : 0) | HeldModifierSides(ModifierSideOf(virtualKey, keyFlags), down);
    return event;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Kept before the event goes: its taker is free to remove the hook.
    HHOOK hook = keyboardHook;
    // Peeked messages (HC_NOREMOVE) come again when they are taken.
    if (code >= 0 && code != HC_NOREMOVE)
        DispatchSysEvent(KeyEventOf(uint32_t(wParam), uint32_t(lParam)));
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

int TranslateVirtualKey(uint32_t virtualKey) {
    return virtualKey < kTranslatedKeys ? keyTable.codes[virtualKey] : 0;
}

void InstallKeyboardHook() {
    if (keyboardHook) return;
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, nullptr, GetCurrentThreadId());
    // Without the hook no key reaches the program; the run goes on without keys.
    if (!keyboardHook) LogMessage(LOG_WARNING, "Unable to install the keyboard hook\n");
}

void RemoveKeyboardHook() {
    if (!keyboardHook) return;
    UnhookWindowsHookEx(keyboardHook);
    keyboardHook = nullptr;
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
