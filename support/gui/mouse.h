// Mouse input, fed with the platform layer's pointer events (sysevent.h): a button word
// with edge bits, movement summed between reads, a position and a ring of mouse events.
//
// In relative mode the cursor is put back at the centre of the virtual screen after
// every move, so movement never stops at the display's edge; in absolute mode the
// position follows the cursor over the window. Tests send the mouse the same events.
#pragma once

#include <cstdint>

#include "sysevent.h"

// The button word.
enum MouseButtonBit {
    MOUSE_LEFT = 0x1,
    MOUSE_RIGHT = 0x2,
    MOUSE_MIDDLE = 0x4,
    MOUSE_HELD_BITS = 0x7,
    MOUSE_LEFT_WENT_DOWN = 0x100,
    MOUSE_RIGHT_WENT_DOWN = 0x200,
    MOUSE_MIDDLE_WENT_DOWN = 0x400,
    MOUSE_WENT_DOWN_BITS = 0x700,
    MOUSE_LEFT_WENT_UP = 0x10000,
    MOUSE_RIGHT_WENT_UP = 0x20000,
    MOUSE_MIDDLE_WENT_UP = 0x40000,
    MOUSE_WENT_UP_BITS = 0x70000,
    MOUSE_EDGE_BITS = MOUSE_WENT_DOWN_BITS | MOUSE_WENT_UP_BITS,
};

// The mode word.
enum MouseModeBit {
    MOUSE_MODE_RELATIVE = 0x1,
    MOUSE_MODE_CURSOR_HIDDEN = 0x2,
};

// Where relative mode keeps the cursor, and where the position starts.
#define MOUSE_CENTRE_X 320
#define MOUSE_CENTRE_Y 240

struct MouseEvent {
    int32_t dx;
    int32_t dy;
    int32_t buttons;  // MouseButtonBit
};
static_assert(sizeof(MouseEvent) == 12, "MouseEvent is 12 bytes");

// Called after each mouse message with the position and the button word's low byte.
typedef void (*MouseMovementCallback)(int32_t x, int32_t y, int32_t buttons);

class Mouse {
public:
    enum { RING_SIZE = 64 };

    // Position (320, 240), sensitivity 1.0, absolute mode, cursor shown.
    Mouse();
    // Shows the cursor again if it hid it.
    ~Mouse();
    Mouse(const Mouse&) = delete;
    Mouse& operator=(const Mouse&) = delete;

    // Takes the pointer's moves and its left and right buttons, the application's
    // activation and the display's changes; false for the other events.
    bool HandleEvent(const SysEvent& event);

    // Movement summed since the last call, and the button word; then the sums are 0.
    int GetMovement(int32_t* dx, int32_t* dy, int32_t* buttons);
    int GetPosition(int32_t* x, int32_t* y, int32_t* buttons);
    // Also forgets the summed movement.
    void SetPosition(int32_t x, int32_t y);
    // The button word; then its edge bits are cleared.
    int GetButtons(int32_t* buttons);
    int HasEvent();
    // The oldest event; when there is none the event is zeroed and the result is 0.
    int GetEvent(MouseEvent* event);
    void SetSensitivity(float value) { sensitivity = value; }
    float GetSensitivity() const { return sensitivity; }
    void SetMovementCallback(MouseMovementCallback callback) { movementCallback = callback; }
    void SetRelativeMode(int on);
    // Hides or shows the platform cursor when the state changes, so the platform's
    // show count stays balanced.
    void SetCursorHidden(int on);
    int GetMode() const { return mode; }
    // Cursor shown for a window or child-window screen, hidden otherwise; the button
    // word and the summed movement start again. 0 when the current screen has no mode
    // open or cannot draw; with no current screen yet the cursor is left as it is.
    int UpdateCursorMode();

private:
    void Recentre();
    void TakeMouseMessage(const SysEvent& pointer);

    int32_t buttons;
    int32_t movementX;
    int32_t movementY;
    float sensitivity;
    int32_t mode;  // MouseModeBit
    // Free-running counters; the slot is the counter modulo RING_SIZE, so every slot
    // is usable and the ring is full when they are RING_SIZE apart.
    uint16_t head;
    uint16_t tail;
    MouseEvent events[RING_SIZE];
    MouseMovementCallback movementCallback;
    int32_t positionX;
    int32_t positionY;
    int32_t lastButtons;   // held bits of the previous message, for the edges
    int32_t skipNextMove;  // the move caused by putting the cursor back
};
