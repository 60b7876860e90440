// Contents: construction; the queries; cursor modes; the events.
#include "gui/mouse.h"

#include "base/screenb.h"
#include "xsystem.h"

// ---------------------------------------------------------------------------------------
// Construction

Mouse::Mouse()
    : buttons(0),
      movementX(0),
      movementY(0),
      sensitivity(1.0f),
      mode(0),
      head(0),
      tail(0),
      events(),
      movementCallback(nullptr),
      positionX(MOUSE_CENTRE_X),
      positionY(MOUSE_CENTRE_Y),
      lastButtons(0),
      skipNextMove(0) {}

Mouse::~Mouse() {
    SetCursorHidden(0);
}

// ---------------------------------------------------------------------------------------
// Queries

int Mouse::GetMovement(int32_t* dx, int32_t* dy, int32_t* buttonWord) {
    *dx = movementX;
    *dy = movementY;
    *buttonWord = buttons;
    movementX = movementY = 0;
    return 1;
}

int Mouse::GetPosition(int32_t* x, int32_t* y, int32_t* buttonWord) {
    *x = positionX;
    *y = positionY;
    *buttonWord = buttons;
    return 1;
}

void Mouse::SetPosition(int32_t x, int32_t y) {
    positionX = x;
    positionY = y;
    movementX = movementY = 0;
}

int Mouse::GetButtons(int32_t* buttonWord) {
    *buttonWord = buttons;
    buttons &= ~MOUSE_EDGE_BITS;
    return 1;
}

int Mouse::HasEvent() {
    return head != tail;
}

int Mouse::GetEvent(MouseEvent* event) {
    if (head == tail) {
        event->dx = event->dy = event->buttons = 0;
        return 0;
    }
    *event = events[head % RING_SIZE];
    ++head;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Cursor modes

void Mouse::SetRelativeMode(int on) {
    if (on)
        mode |= MOUSE_MODE_RELATIVE;
    else
        mode &= ~MOUSE_MODE_RELATIVE;
}

void Mouse::SetCursorHidden(int on) {
    int hidden = (mode & MOUSE_MODE_CURSOR_HIDDEN) != 0;
    if (!on == !hidden) return;
    Platform().showCursor(!on);
    if (on)
        mode |= MOUSE_MODE_CURSOR_HIDDEN;
    else
        mode &= ~MOUSE_MODE_CURSOR_HIDDEN;
}

int Mouse::UpdateCursorMode() {
    Screen* screen = CurrentScreen();
    if (screen) {
        const ScreenMode* screenMode = screen->GetMode();
        if (!screenMode || !screen->IsReady()) return 0;
        int windowed =
            screenMode->displayMode == DISPLAY_WINDOW || screenMode->displayMode == DISPLAY_CHILD;
        SetCursorHidden(!windowed);
    }
    buttons = 0;
    movementX = movementY = 0;
    return 1;
}

// Puts the cursor at the centre and ignores the move that causes.
void Mouse::Recentre() {
    skipNextMove = 1;
    Platform().unclipCursor();
    Platform().setCursorPosition(MOUSE_CENTRE_X, MOUSE_CENTRE_Y);
    movementX = movementY = 0;
}

// ---------------------------------------------------------------------------------------
// Events

bool Mouse::HandleEvent(const SysEvent& event) {
    switch (event.type) {
        case SE_DISPLAY_CHANGE:
            Recentre();
            return true;
        case SE_ACTIVATE:
            if (event.value2 != ACTIVATE_APPLICATION) return false;
            if (event.value && (mode & (MOUSE_MODE_RELATIVE | MOUSE_MODE_CURSOR_HIDDEN)))
                Recentre();
            return true;
        case SE_POINTER:
            switch (event.value) {
                case POINTER_MOVE:
                    if (skipNextMove)
                        skipNextMove = 0;
                    else
                        TakeMouseMessage(event);
                    return true;
                case POINTER_LEFT_DOWN:
                case POINTER_LEFT_UP:
                case POINTER_RIGHT_DOWN:
                case POINTER_RIGHT_UP:
                    TakeMouseMessage(event);
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void Mouse::TakeMouseMessage(const SysEvent& pointer) {
    const PlatformServices& platform = Platform();
    int32_t dx = 0, dy = 0;
    if (pointer.flags & POINTER_ON_SCREEN) {
        const int32_t cursorX = pointer.x, cursorY = pointer.y;
        if (mode & MOUSE_MODE_RELATIVE) {
            // At the centre: the move that putting the cursor back caused.
            if (cursorX != MOUSE_CENTRE_X || cursorY != MOUSE_CENTRE_Y) {
                dx = cursorX - MOUSE_CENTRE_X;
                dy = cursorY - MOUSE_CENTRE_Y;
                positionX += dx;
                positionY += dy;
                movementX += dx;
                movementY += dy;
                platform.setCursorPosition(MOUSE_CENTRE_X, MOUSE_CENTRE_Y);
            }
        } else if (pointer.flags & POINTER_WINDOW_AT) {
            positionX = cursorX - pointer.windowX;
            positionY = cursorY - pointer.windowY;
        }
    }

    int32_t held = pointer.flags & MOUSE_HELD_BITS;
    int32_t wentDown = held & ~lastButtons;
    int32_t wentUp = lastButtons & ~held;
    buttons = (buttons & MOUSE_EDGE_BITS) | held | (wentDown << 8) | (wentUp << 16);
    lastButtons = held;

    if (movementCallback) movementCallback(positionX, positionY, buttons & 0xFF);

    if (uint16_t(tail - head) < RING_SIZE) {
        MouseEvent& event = events[tail % RING_SIZE];
        event.dx = dx;
        event.dy = dy;
        event.buttons = buttons;
        ++tail;
        // The event carries the edges; the word keeps them only when it was dropped.
        buttons &= ~MOUSE_EDGE_BITS;
    }
}
