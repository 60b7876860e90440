// Contents: the virtual-key table; Keyboard construction; the ring and the state
// table; the hook's work for one key message.
#include "gui/keyboard.h"

#include <cstring>

#include "misc.h"
#include "winmessages.h"

namespace {

// Virtual keys from here up have no key code (the side-specific modifier keys among
// them; the modifier pairs below reach those).
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

// A generic modifier and its two sides.
struct ModifierPair {
    int generic;
    uint32_t leftKey;
    int left;
    uint32_t rightKey;
    int right;
};

const ModifierPair kModifierPairs[] = {
    {KEY_ALT, VK_LMENU, KEY_LEFT_ALT, VK_RMENU, KEY_RIGHT_ALT},
    {KEY_CTRL, VK_LCONTROL, KEY_LEFT_CTRL, VK_RCONTROL, KEY_RIGHT_CTRL},
    {KEY_SHIFT, VK_LSHIFT, KEY_LEFT_SHIFT, VK_RSHIFT, KEY_RIGHT_SHIFT},
};

const ModifierPair* FindModifierPair(int generic) {
    for (const ModifierPair& pair : kModifierPairs)
        if (pair.generic == generic) return &pair;
    return nullptr;
}

const uint32_t kKeyReleased = 0x80000000u;

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction

Keyboard::Keyboard() : hook(0), keysHeld(0), keyState(), head(0), tail(0), events(), textMode(0) {
    hook = Platform().installKeyboardHook(HookCallback, this);
    // Without the hook no key reaches the program; the run goes on without keys.
    if (!hook) LogMessage(LOG_WARNING, "Unable to install the keyboard hook\n");
    RegisterMessageHandler(this, WM_KEYDOWN);
    RegisterMessageHandler(this, WM_KEYUP);
    Reset(RESET_EVENTS | RESET_STATES);
}

Keyboard::~Keyboard() {
    if (hook) Platform().removeKeyboardHook(hook);
    hook = 0;
    UnregisterAllMessageHandlers(this);
}

void Keyboard::HookCallback(void* owner, int32_t hookCode, uint32_t virtualKey, uint32_t keyFlags) {
    KeyHookMessage message = {hookCode, virtualKey, keyFlags};
    static_cast<Keyboard*>(owner)->HandleKeyMessage(message);
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
    if (withModifiers) {
        const PlatformServices& platform = Platform();
        if (platform.isKeyDown(VK_LSHIFT)) flags |= KEYFLAG_LEFT_SHIFT;
        if (platform.isKeyDown(VK_RSHIFT)) flags |= KEYFLAG_RIGHT_SHIFT;
        if (platform.isKeyDown(VK_LCONTROL)) flags |= KEYFLAG_LEFT_CTRL;
        if (platform.isKeyDown(VK_RCONTROL)) flags |= KEYFLAG_RIGHT_CTRL;
        if (platform.isKeyDown(VK_LMENU)) flags |= KEYFLAG_LEFT_ALT;
        if (platform.isKeyDown(VK_RMENU)) flags |= KEYFLAG_RIGHT_ALT;
    }
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
// The hook's work

int Keyboard::TranslateVirtualKey(uint32_t virtualKey) {
    return virtualKey < kTranslatedKeys ? keyTable.codes[virtualKey] : 0;
}

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

void Keyboard::HandleKeyMessage(const KeyHookMessage& message) {
    // Peeked messages come again when they are taken.
    if (message.hookCode < 0 || message.hookCode == HC_NOREMOVE) return;
    int down = (message.keyFlags & kKeyReleased) == 0;

    uint8_t characters[2] = {0, 0};
    int count = Platform().toAscii(message.virtualKey, message.keyFlags >> 16, characters);
    // Two characters: a dead key that did not combine, then the key's own.
    int character = count == 1 ? characters[0] : count == 2 ? characters[1] : 0;
    if (character) AddEvent(character, down, 1);

    int code = TranslateVirtualKey(message.virtualKey);
    if (!code) return;
    if (const ModifierPair* pair = FindModifierPair(code)) {
        const PlatformServices& platform = Platform();
        int leftHeld = platform.isKeyDown(pair->leftKey);
        int rightHeld = platform.isKeyDown(pair->rightKey);
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
