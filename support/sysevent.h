// The program's own input and window events, in the manner of Quake III's sysEvent_t.
//
// The platform layer (support/win, support/posix) turns what its system delivers into
// these records, in the program's own terms (key codes, buttons held, activation gained
// or lost), and hands each to DispatchSysEvent as it comes. The portable code never sees
// a window message or a virtual key. Each event goes at once, in the order the system
// delivered them: whether a window closes is decided while the system asks.
#pragma once

#include <cstdint>

#include "platform.h"

enum SysEventType {
    // A key as the keyboard takes it. value: the key code (KeyCode; letters under their
    // upper-case code, a modifier under its generic code), 0 for a key without one;
    // value2: the character it typed, 0 for none; flags: KEYFLAG_DOWN and the modifier
    // sides held (KeyEventFlag).
    SE_KEY = 1,
    // A key message to the window. value: the key code as for SE_KEY (0 for a key without
    // one); flags: KEYFLAG_DOWN.
    SE_WINDOW_KEY = 2,
    // The pointer moved or a button went down or up. value: PointerAction; flags: the
    // buttons held (MouseButtonBit low bits) and the PointerPlace bits saying which of
    // the positions the platform could give: x, y the cursor on the screen, windowX,
    // windowY the top-left corner of the window's client area on the screen.
    SE_POINTER = 3,
    // Activation gained (value 1) or lost (0); value2: ActivationKind.
    SE_ACTIVATE = 4,
    // The window is asked to close; whether it does is up to the taker.
    SE_CLOSE = 5,
    // The window was made / is being destroyed.
    SE_CREATE = 6,
    SE_DESTROY = 7,
    // The display's mode changed.
    SE_DISPLAY_CHANGE = 8,
    // A command of the system to the window: taken, none of them acts. value: 1 for
    // starting the screensaver or closing from the window menu, 0 for the others.
    SE_SYSTEM_COMMAND = 9,
    // The system asks for the window's cursor: taken, it is the arrow.
    SE_CURSOR = 10,
    // The display went off (value 0) or on (1).
    SE_DISPLAY_POWER = 11,
    // The run's window can no longer (value 0) or again (1) be seen: a hidden preview,
    // an unmapped or wholly covered X window.
    SE_WINDOW_SIGHT = 12,
};

enum PointerAction {
    POINTER_MOVE = 0,
    POINTER_LEFT_DOWN = 1,
    POINTER_LEFT_UP = 2,
    POINTER_RIGHT_DOWN = 3,
    POINTER_RIGHT_UP = 4,
    POINTER_MIDDLE_DOWN = 5,
    POINTER_MIDDLE_UP = 6,
};

enum PointerPlace {
    POINTER_ON_SCREEN = 0x100,  // x, y hold the cursor
    POINTER_WINDOW_AT = 0x200,  // windowX, windowY hold the client area's corner
};

enum ActivationKind {
    ACTIVATE_WINDOW = 0,
    ACTIVATE_APPLICATION = 1,
    ACTIVATE_FRAME = 2,  // the window's frame drawn active or inactive
};

struct SysEvent {
    int32_t type;  // SysEventType
    int32_t value;
    int32_t value2;
    int32_t flags;
    int32_t x, y;
    int32_t windowX, windowY;
    WindowHandle window;
};

// Hands the event to the portable code: the display's power and the window's sight to
// the frames' sight (framesight.h); the others to the screensaver state, the mouse and
// the keyboard of the run (saverState, glb), in that order. true when one of them took it, with the
// answer the window procedure gives (the first non-zero one); false when nobody is there
// for it, and the platform then does with the message what the system would.
bool DispatchSysEvent(const SysEvent& event, int32_t* answer = nullptr);
// An event that says only a state (SE_DISPLAY_POWER, SE_WINDOW_SIGHT), handed on.
void DispatchStateEvent(int32_t type, int32_t value);
