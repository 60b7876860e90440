// Window messages to events. Positions go with each pointer event as the system has them
// when the message comes, so the portable mouse needs no call back into the platform.
#include "win/events_win.h"

#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "sysevent.h"
#include "win/input_win.h"

namespace {

int32_t HeldButtons(WPARAM keyFlags) {
    int32_t held = 0;
    if (keyFlags & MK_LBUTTON) held |= MOUSE_LEFT;
    if (keyFlags & MK_RBUTTON) held |= MOUSE_RIGHT;
    if (keyFlags & MK_MBUTTON) held |= MOUSE_MIDDLE;
    return held;
}

bool PointerActionOf(UINT message, int32_t* action) {
    switch (message) {
        case WM_MOUSEMOVE:
            *action = POINTER_MOVE;
            return true;
        case WM_LBUTTONDOWN:
            *action = POINTER_LEFT_DOWN;
            return true;
        case WM_LBUTTONUP:
            *action = POINTER_LEFT_UP;
            return true;
        case WM_RBUTTONDOWN:
            *action = POINTER_RIGHT_DOWN;
            return true;
        case WM_RBUTTONUP:
            *action = POINTER_RIGHT_UP;
            return true;
        case WM_MBUTTONDOWN:
            *action = POINTER_MIDDLE_DOWN;
            return true;
        case WM_MBUTTONUP:
            *action = POINTER_MIDDLE_UP;
            return true;
        default:
            return false;
    }
}

void PlacePointer(HWND window, SysEvent* event) {
    POINT cursor;
    if (GetCursorPos(&cursor)) {
        event->flags |= POINTER_ON_SCREEN;
        event->x = cursor.x;
        event->y = cursor.y;
    }
    POINT origin = {0, 0};
    if (ClientToScreen(window, &origin)) {
        event->flags |= POINTER_WINDOW_AT;
        event->windowX = origin.x;
        event->windowY = origin.y;
    }
}

void Activation(SysEvent* event, bool active, int32_t kind) {
    event->type = SE_ACTIVATE;
    event->value = active ? 1 : 0;
    event->value2 = kind;
}

// The event of a message; false for messages the program does not take.
bool EventOf(HWND window, UINT message, WPARAM wParam, SysEvent* event) {
    int32_t action;
    if (PointerActionOf(message, &action)) {
        event->type = SE_POINTER;
        event->value = action;
        event->flags = HeldButtons(wParam);
        PlacePointer(window, event);
        return true;
    }
    switch (message) {
        case WM_CREATE:
            event->type = SE_CREATE;
            return true;
        case WM_DESTROY:
            event->type = SE_DESTROY;
            return true;
        case WM_ACTIVATE:
            Activation(event, (wParam & 0xFFFF) != 0, ACTIVATE_WINDOW);
            return true;
        case WM_ACTIVATEAPP:
            Activation(event, wParam != 0, ACTIVATE_APPLICATION);
            return true;
        case WM_NCACTIVATE:
            Activation(event, (wParam & 0xFFFF) != 0, ACTIVATE_FRAME);
            return true;
        case WM_SETCURSOR:
            event->type = SE_CURSOR;
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
            event->type = SE_WINDOW_KEY;
            event->value = TranslateVirtualKey(uint32_t(wParam));
            event->flags = message == WM_KEYDOWN ? KEYFLAG_DOWN : 0;
            return true;
        case WM_SYSCOMMAND:
            event->type = SE_SYSTEM_COMMAND;
            event->value = (wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_CLOSE;
            return true;
        case WM_CLOSE:
            LogMessage(LOG_EXIT, "Screensaver - WM_CLOSE\n");
            event->type = SE_CLOSE;
            return true;
        case WM_DISPLAYCHANGE:
            event->type = SE_DISPLAY_CHANGE;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool TakeWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT* answer) {
    SysEvent event = {};
    event.window = reinterpret_cast<WindowHandle>(window);
    if (!EventOf(window, message, wParam, &event)) return false;
    int32_t value = 0;
    if (!DispatchSysEvent(event, &value)) return false;
    // A taken cursor request: the window shows the arrow.
    if (message == WM_SETCURSOR) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    *answer = value;
    return true;
}
