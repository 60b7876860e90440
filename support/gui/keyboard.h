// Keyboard input: the program's own key codes, a table of which keys are held and a
// ring of key events, fed with the platform layer's key events.
//
// Characters keep their ASCII codes; keys without one get codes from 256 up. The platform
// layer hands each key to HandleKeyEvent as an SE_KEY event in these codes (sysevent.h),
// which turns it into character events (in the case typed) and key-code events and
// states (letters under their upper-case code). Tests feed HandleKeyEvent the same
// records.
#pragma once

#include <cstdint>

#include "sysevent.h"

enum KeyCode {
    KEY_BACKSPACE = 8,
    KEY_TAB = 9,
    KEY_ENTER = 13,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
    KEY_INSERT = 256,
    KEY_DELETE = 257,
    KEY_HOME = 258,
    KEY_END = 259,
    KEY_PAGE_UP = 260,
    KEY_PAGE_DOWN = 261,
    KEY_LEFT = 262,
    KEY_UP = 263,
    KEY_RIGHT = 264,
    KEY_DOWN = 265,
    KEY_SHIFT = 266,
    KEY_LEFT_SHIFT = 267,
    KEY_RIGHT_SHIFT = 268,
    KEY_CTRL = 269,
    KEY_LEFT_CTRL = 270,
    KEY_RIGHT_CTRL = 271,
    KEY_ALT = 272,
    KEY_LEFT_ALT = 273,
    KEY_RIGHT_ALT = 274,
    KEY_NUM_LOCK = 278,
    KEY_PAD_DIVIDE = 279,
    KEY_PAD_MULTIPLY = 280,
    KEY_PAD_SUBTRACT = 281,
    KEY_PAD_ADD = 282,
    KEY_PAD_DECIMAL = 284,
    KEY_PAD_0 = 285,  // keypad 0-9: 285-294
    KEY_PRINT_SCREEN = 295,
    KEY_SCROLL_LOCK = 296,
    KEY_PAUSE = 297,
    KEY_CAPS_LOCK = 298,
    KEY_F1 = 299,   // F1-F24: 299-322
    KEY_F12 = 310,  // the main loop's screenshot key
    KEY_F24 = 322,
    KEY_CODE_COUNT = 323,  // entries of the key state table
};

// Flags of a key event. The modifier bits are set on events added with modifiers.
enum KeyEventFlag {
    KEYFLAG_DOWN = 0x01,
    KEYFLAG_LEFT_CTRL = 0x02,
    KEYFLAG_RIGHT_CTRL = 0x04,
    KEYFLAG_LEFT_ALT = 0x08,
    KEYFLAG_RIGHT_ALT = 0x10,
    KEYFLAG_LEFT_SHIFT = 0x20,
    KEYFLAG_RIGHT_SHIFT = 0x40,
};

// Bits of a key's state, as WasPressed reports them.
enum KeyStateBit {
    KEYSTATE_HELD = 0x01,
    KEYSTATE_PRESSED = 0x02,  // pressed since last asked
};

// Reset's flags.
enum KeyboardReset { RESET_EVENTS = 1, RESET_STATES = 2 };

struct KeyEvent {
    int32_t code;
    int32_t flags;  // KeyEventFlag
};
static_assert(sizeof(KeyEvent) == 8, "KeyEvent is 8 bytes");

class InputDevice {
public:
    // Virtual operations, in slot order.
    virtual void Reset(int what) = 0;
    virtual int HasEvent() = 0;
    virtual int GetEvent(KeyEvent* event) = 0;
    virtual int WasPressed(int code) = 0;
    virtual int KeysDown() = 0;
    virtual int AddEvent(int code, int down, int withModifiers) = 0;
    virtual void SetKeyState(int code, int down) = 0;
    virtual ~InputDevice() {}
};

// It takes the window's own key messages too (SE_WINDOW_KEY) and does nothing with them:
// they go no further.
class Keyboard : public InputDevice {
public:
    enum { RING_SIZE = 128 };

    // Reset(3).
    Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Bit 0 (RESET_EVENTS) empties the ring; bit 1 (RESET_STATES) clears every state.
    void Reset(int what) override;
    int HasEvent() override;
    // The oldest event; 0 when there is none.
    int GetEvent(KeyEvent* event) override;
    // The code's state bits (KeyStateBit), then forgets the press. 0 for codes the
    // table does not hold.
    int WasPressed(int code) override;
    int KeysDown() override;
    // Appends an event; 1 when appended. Code 0 is ignored and a full ring drops the
    // new event. withModifiers adds the modifier sides held at the last key event.
    int AddEvent(int code, int down, int withModifiers) override;
    // Code 0 and codes outside the table are ignored.
    void SetKeyState(int code, int down) override;

    // While on, the editor's page shortcuts rest and the editing button takes the
    // characters.
    void SetTextMode(int on) { textMode = on ? 1 : 0; }
    int IsTextMode() const { return textMode; }

    // Takes SE_KEY and SE_WINDOW_KEY events; false for the others.
    bool HandleEvent(const SysEvent& event);
    // The work for one SE_KEY event.
    void HandleKeyEvent(const SysEvent& event);

private:
    void UpdateModifierPair(int generic, int left, int right);

    int32_t modifierSides;  // KeyEventFlag modifier bits of the last key event
    int32_t keysHeld;
    uint8_t keyState[KEY_CODE_COUNT];  // KeyStateBit per code
    // Free-running counters; the slot is the counter modulo RING_SIZE, so every slot
    // is usable and the ring is full when they are RING_SIZE apart.
    uint16_t head;
    uint16_t tail;
    KeyEvent events[RING_SIZE];
    int32_t textMode;
};
