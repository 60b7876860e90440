// Contents: Keyboard construction; the ring and the state table; the work for one key
// event.
#include "gui/keyboard.h"

#include <cstring>

#include "misc.h"

namespace {

// A generic modifier and its two sides.
struct ModifierPair {
    int generic;
    int32_t leftFlag;
    int left;
    int32_t rightFlag;
    int right;
};

const ModifierPair kModifierPairs[] = {
    {KEY_ALT, KEYFLAG_LEFT_ALT, KEY_LEFT_ALT, KEYFLAG_RIGHT_ALT, KEY_RIGHT_ALT},
    {KEY_CTRL, KEYFLAG_LEFT_CTRL, KEY_LEFT_CTRL, KEYFLAG_RIGHT_CTRL, KEY_RIGHT_CTRL},
    {KEY_SHIFT, KEYFLAG_LEFT_SHIFT, KEY_LEFT_SHIFT, KEYFLAG_RIGHT_SHIFT, KEY_RIGHT_SHIFT},
};

const int32_t kModifierSideFlags = KEYFLAG_LEFT_CTRL | KEYFLAG_RIGHT_CTRL | KEYFLAG_LEFT_ALT |
                                   KEYFLAG_RIGHT_ALT | KEYFLAG_LEFT_SHIFT | KEYFLAG_RIGHT_SHIFT;

const ModifierPair* FindModifierPair(int generic) {
    for (const ModifierPair& pair : kModifierPairs)
        if (pair.generic == generic) return &pair;
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction

Keyboard::Keyboard()
    : modifierSides(0), keysHeld(0), keyState(), head(0), tail(0), events(), textMode(0) {
    Reset(RESET_EVENTS | RESET_STATES);
}

// ---------------------------------------------------------------------------------------
// Ring and state table

void Keyboard::Reset(int what) {
    if (what & RESET_EVENTS) head = tail = 0;
    if (what & RESET_STATES) {
        std::memset(keyState, 0, sizeof keyState);
        keysHeld = 0;
    }
}

int Keyboard::HasEvent() {
    return head != tail;
}

int Keyboard::GetEvent(KeyEvent* event) {
    if (head == tail) return 0;
    *event = events[head % RING_SIZE];
    ++head;
    return 1;
}

int Keyboard::WasPressed(int code) {
    if (code < 0 || code >= KEY_CODE_COUNT) return 0;
    int bits = keyState[code] & (KEYSTATE_HELD | KEYSTATE_PRESSED);
    keyState[code] &= uint8_t(~KEYSTATE_PRESSED);
    return bits;
}

int Keyboard::KeysDown() {
    return keysHeld;
}

int Keyboard::AddEvent(int code, int down, int withModifiers) {
    if (code == 0) return 0;
    if (uint16_t(tail - head) >= RING_SIZE) return 0;
    int flags = down ? KEYFLAG_DOWN : 0;
    if (withModifiers) flags |= modifierSides;
    KeyEvent& event = events[tail % RING_SIZE];
    event.code = code;
    event.flags = flags;
    ++tail;
    return 1;
}

void Keyboard::SetKeyState(int code, int down) {
    if (code <= 0 || code >= KEY_CODE_COUNT) return;
    uint8_t& state = keyState[code];
    if (down) {
        if (!(state & KEYSTATE_HELD)) {
            ++keysHeld;
            state |= KEYSTATE_HELD | KEYSTATE_PRESSED;
        }
    } else if (state & KEYSTATE_HELD) {
        --keysHeld;
        state &= uint8_t(~KEYSTATE_HELD);
    }
}

// ---------------------------------------------------------------------------------------
// The work for one key event

// The generic code follows its sides: held while either side is, released with the
// last one. Asking with WasPressed forgets the sides' and the generic's presses.
void Keyboard::UpdateModifierPair(int generic, int left, int right) {
    int sideHeld = WasPressed(left) | WasPressed(right);
    int genericHeld = WasPressed(generic);
    if (sideHeld && !genericHeld) {
        AddEvent(generic, 1, 1);
        SetKeyState(generic, 1);
    } else if (!sideHeld && genericHeld) {
        AddEvent(generic, 0, 1);
        SetKeyState(generic, 0);
    }
}

bool Keyboard::HandleEvent(const SysEvent& event) {
    if (event.type == SE_KEY) HandleKeyEvent(event);
    return event.type == SE_KEY || event.type == SE_WINDOW_KEY;
}

void Keyboard::HandleKeyEvent(const SysEvent& event) {
    modifierSides = event.flags & kModifierSideFlags;
    int down = (event.flags & KEYFLAG_DOWN) != 0;
    int character = event.value2;
    if (character) AddEvent(character, down, 1);

    int code = event.value;
    if (!code) return;
    if (const ModifierPair* pair = FindModifierPair(code)) {
        int leftHeld = (modifierSides & pair->leftFlag) != 0;
        int rightHeld = (modifierSides & pair->rightFlag) != 0;
        if (down) {
            if (leftHeld)
                code = pair->left;
            else if (rightHeld)
                code = pair->right;
        } else if (leftHeld && !rightHeld) {
            code = pair->right;
        } else if (rightHeld && !leftHeld) {
            code = pair->left;
        } else {
            // Neither or both held after a release: the state cannot tell which side
            // went up, so both are released.
            AddEvent(pair->left, 0, 1);
            SetKeyState(pair->left, 0);
            AddEvent(pair->right, 0, 1);
            SetKeyState(pair->right, 0);
            code = 0;
        }
        SetKeyState(code, down);
        UpdateModifierPair(pair->generic, pair->left, pair->right);
    }
    if (!character) AddEvent(code, down, 1);
    SetKeyState(code, down);
}
