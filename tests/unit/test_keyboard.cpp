// The keyboard fed the way the platform feeds it: key messages through the hook the
// keyboard installed, against a fake key state and character translation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ansi/memory.h"
#include "gui/keyboard.h"
#include "test_support.h"
#include "winmessages.h"

namespace {

const uintptr_t kFakeHook = 0x4B;

// The platform's side of the keyboard: which keys are held, what they type, and the
// hook the keyboard set.
struct FakeKeys {
    static bool held[256];
    static KeyHookCallback callback;
    static void* owner;
    static int removals;
    // When set, toAscii gives these two characters (a dead key that did not combine).
    static uint8_t pair[2];

    static uintptr_t Install(KeyHookCallback hookCallback, void* hookOwner) {
        if (callback) return 0;
        callback = hookCallback;
        owner = hookOwner;
        return kFakeHook;
    }
    static void Remove(uintptr_t hook) {
        if (hook != kFakeHook) return;
        callback = nullptr;
        owner = nullptr;
        ++removals;
    }
    static int IsKeyDown(uint32_t virtualKey) { return virtualKey < 256 && held[virtualKey]; }
    static int ToAscii(uint32_t virtualKey, uint32_t, uint8_t characters[2]) {
        if (pair[0]) {
            characters[0] = pair[0];
            characters[1] = pair[1];
            return 2;
        }
        bool shift = held[VK_SHIFT];
        if (virtualKey >= 'A' && virtualKey <= 'Z') {
            characters[0] = uint8_t(shift ? virtualKey : virtualKey + 32);
            return 1;
        }
        if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE ||
            virtualKey == VK_RETURN || virtualKey == VK_ESCAPE || virtualKey == VK_BACK) {
            characters[0] = uint8_t(virtualKey);
            return 1;
        }
        return 0;
    }
};

bool FakeKeys::held[256];
KeyHookCallback FakeKeys::callback;
void* FakeKeys::owner;
int FakeKeys::removals;
uint8_t FakeKeys::pair[2];

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(FakeKeys::held, 0, sizeof FakeKeys::held);
        FakeKeys::callback = nullptr;
        FakeKeys::owner = nullptr;
        FakeKeys::removals = 0;
        FakeKeys::pair[0] = FakeKeys::pair[1] = 0;
        PlatformServices& platform = Platform();
        platform.installKeyboardHook = FakeKeys::Install;
        platform.removeKeyboardHook = FakeKeys::Remove;
        platform.isKeyDown = FakeKeys::IsKeyDown;
        platform.toAscii = FakeKeys::ToAscii;
    }

    // A key message through the hook: scan code 0x1E, repeat count 1; a release also
    // has the previous-state and transition bits.
    static void Send(uint32_t virtualKey, bool down, int32_t hookCode = HC_ACTION) {
        ASSERT_NE(FakeKeys::callback, nullptr) << "no hook installed";
        uint32_t flags = 0x001E0001u | (down ? 0 : 0xC0000000u);
        FakeKeys::callback(FakeKeys::owner, hookCode, virtualKey, flags);
    }
    static void Press(uint32_t virtualKey) {
        FakeKeys::held[virtualKey] = true;
        Send(virtualKey, true);
    }
    static void Release(uint32_t virtualKey) {
        FakeKeys::held[virtualKey] = false;
        Send(virtualKey, false);
    }
    // A modifier side: the platform holds the side and the generic key, and the
    // message names the generic key.
    static void PressSide(uint32_t generic, uint32_t side) {
        FakeKeys::held[side] = true;
        FakeKeys::held[generic] = true;
        Send(generic, true);
    }
    static void ReleaseSide(uint32_t generic, uint32_t side, uint32_t otherSide) {
        FakeKeys::held[side] = false;
        FakeKeys::held[generic] = FakeKeys::held[otherSide];
        Send(generic, false);
    }

    static std::vector<KeyEvent> TakeEvents(Keyboard& keyboard) {
        std::vector<KeyEvent> taken;
        KeyEvent event;
        while (keyboard.GetEvent(&event)) taken.push_back(event);
        return taken;
    }

    TestSystem system;
};

TEST_F(KeyboardTest, HookAndKeyMessageHandlersLiveAsLongAsTheKeyboard) {
    int32_t result = 1;
    EXPECT_FALSE(DispatchToHandlers(0, WM_KEYDOWN, VK_F12, 0, &result));
    Keyboard* keyboard = XNEW(Keyboard);
    EXPECT_TRUE(keyboard->HasHook());
    EXPECT_EQ(FakeKeys::owner, static_cast<void*>(keyboard));
    // Taken as handled, with nothing done and result 0.
    EXPECT_TRUE(DispatchToHandlers(0, WM_KEYDOWN, VK_F12, 0, &result));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(DispatchToHandlers(0, WM_KEYUP, VK_F12, 0, &result));
    EXPECT_FALSE(keyboard->HasEvent());
    XDELETE(keyboard);
    EXPECT_EQ(FakeKeys::removals, 1);
    EXPECT_EQ(FakeKeys::callback, nullptr);
    EXPECT_FALSE(DispatchToHandlers(0, WM_KEYDOWN, VK_F12, 0, &result));
    EXPECT_FALSE(DispatchToHandlers(0, WM_KEYUP, VK_F12, 0, &result));
}

TEST_F(KeyboardTest, WasPressedTellsANewPressOnlyOnce) {
    Keyboard keyboard;
    // Asked while held: 3, then 1 while still held, 0 after the release.
    Press(VK_F12);
    EXPECT_EQ(keyboard.KeysDown(), 1);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 3);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 1);
    Press(VK_F12);  // auto-repeat is no new press
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 1);
    EXPECT_EQ(keyboard.KeysDown(), 1);
    Release(VK_F12);
    EXPECT_EQ(keyboard.KeysDown(), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 0);

    // Nobody asked while it was held: the press is still told after the release, once.
    Press(VK_F12);
    Release(VK_F12);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 2);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 0);

    // A key without a character comes as its key code.
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].code, KEY_F12);
    EXPECT_EQ(events[0].flags, KEYFLAG_DOWN);
    EXPECT_EQ(events[2].code, KEY_F12);
    EXPECT_EQ(events[2].flags, 0);
}

TEST_F(KeyboardTest, LettersTypeInTheirCaseAndHoldTheirUpperCaseCode) {
    Keyboard keyboard;
    Press('A');
    EXPECT_EQ(keyboard.WasPressed('A'), 3);
    EXPECT_EQ(keyboard.WasPressed('a'), 0);
    Release('A');
    EXPECT_EQ(keyboard.WasPressed('A'), 0);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    // The character stands in for the key-code event.
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, 'a');
    EXPECT_EQ(events[0].flags, KEYFLAG_DOWN);
    EXPECT_EQ(events[1].code, 'a');
    EXPECT_EQ(events[1].flags, 0);

    // With left Shift held the character is upper case and carries the Shift bit.
    PressSide(VK_SHIFT, VK_LSHIFT);
    TakeEvents(keyboard);
    Press('A');
    events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 'A');
    EXPECT_EQ(events[0].flags, KEYFLAG_DOWN | KEYFLAG_LEFT_SHIFT);
    EXPECT_EQ(keyboard.WasPressed('A'), 3);
}

TEST_F(KeyboardTest, EventsCarryTheHeldModifierSides) {
    Keyboard keyboard;
    FakeKeys::held[VK_RCONTROL] = true;
    FakeKeys::held[VK_LMENU] = true;
    FakeKeys::held[VK_RSHIFT] = true;
    Press(VK_LEFT);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, KEY_LEFT);
    EXPECT_EQ(events[0].flags,
              KEYFLAG_DOWN | KEYFLAG_RIGHT_CTRL | KEYFLAG_LEFT_ALT | KEYFLAG_RIGHT_SHIFT);
    // Added by hand without modifiers, only the down bit.
    keyboard.AddEvent(KEY_UP, 1, 0);
    ASSERT_EQ(TakeEvents(keyboard).at(0).flags, KEYFLAG_DOWN);
}

TEST_F(KeyboardTest, ModifierSidesDriveTheGenericCode) {
    Keyboard keyboard;
    PressSide(VK_SHIFT, VK_LSHIFT);
    EXPECT_NE(keyboard.WasPressed(KEY_SHIFT), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_LEFT_SHIFT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_SHIFT), 0);
    EXPECT_EQ(keyboard.KeysDown(), 2);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, KEY_SHIFT);
    EXPECT_EQ(events[1].code, KEY_LEFT_SHIFT);
    EXPECT_EQ(events[1].flags, KEYFLAG_DOWN | KEYFLAG_LEFT_SHIFT);

    ReleaseSide(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    EXPECT_EQ(keyboard.WasPressed(KEY_SHIFT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_SHIFT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_SHIFT), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);
    // Neither side is held after the release: both sides and the generic go up.
    events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].code, KEY_LEFT_SHIFT);
    EXPECT_EQ(events[1].code, KEY_RIGHT_SHIFT);
    EXPECT_EQ(events[2].code, KEY_SHIFT);
    for (const KeyEvent& event : events) EXPECT_EQ(event.flags & KEYFLAG_DOWN, 0);

    // Right Ctrl alone.
    PressSide(VK_CONTROL, VK_RCONTROL);
    EXPECT_NE(keyboard.WasPressed(KEY_CTRL), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_RIGHT_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_CTRL), 0);
    ReleaseSide(VK_CONTROL, VK_RCONTROL, VK_LCONTROL);
    EXPECT_EQ(keyboard.WasPressed(KEY_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_CTRL), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);
}

TEST_F(KeyboardTest, OverlappingModifierSidesLeaveNoKeyStuck) {
    Keyboard keyboard;
    PressSide(VK_MENU, VK_LMENU);
    PressSide(VK_MENU, VK_RMENU);
    // Right Alt goes up while left Alt is still held: Alt stays held.
    ReleaseSide(VK_MENU, VK_RMENU, VK_LMENU);
    EXPECT_NE(keyboard.WasPressed(KEY_ALT), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_LEFT_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_ALT), 0);
    ReleaseSide(VK_MENU, VK_LMENU, VK_RMENU);
    EXPECT_EQ(keyboard.WasPressed(KEY_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_ALT), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);

    // A release while the platform still shows both sides held cannot tell which went
    // up: everything is released rather than left stuck.
    PressSide(VK_CONTROL, VK_LCONTROL);
    PressSide(VK_CONTROL, VK_RCONTROL);
    TakeEvents(keyboard);
    Send(VK_CONTROL, false);
    EXPECT_EQ(keyboard.WasPressed(KEY_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_CTRL), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].code, KEY_LEFT_CTRL);
    EXPECT_EQ(events[1].code, KEY_RIGHT_CTRL);
    EXPECT_EQ(events[2].code, KEY_CTRL);
}

TEST_F(KeyboardTest, RingKeepsTheFirst128Events) {
    Keyboard keyboard;
    for (int code = 1; code <= 128; ++code) EXPECT_EQ(keyboard.AddEvent(code, 1, 0), 1) << code;
    EXPECT_EQ(keyboard.AddEvent(129, 1, 0), 0);
    // Through the hook as well.
    Press(VK_F1);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(events[i].code, i + 1);
    EXPECT_FALSE(keyboard.HasEvent());

    // Code 0 is never queued.
    EXPECT_EQ(keyboard.AddEvent(0, 1, 0), 0);
    EXPECT_FALSE(keyboard.HasEvent());

    // Past the wrap of the 16-bit counters the order stays.
    for (int i = 0; i < 70000; ++i) {
        keyboard.AddEvent(1 + i % 300, 1, 0);
        KeyEvent event = {};
        ASSERT_EQ(keyboard.GetEvent(&event), 1);
        ASSERT_EQ(event.code, 1 + i % 300);
    }
    KeyEvent event = {7, 7};
    EXPECT_EQ(keyboard.GetEvent(&event), 0);
}

TEST_F(KeyboardTest, ResetEmptiesTheRingAndTheStatesSeparately) {
    Keyboard keyboard;
    Press(VK_F1 + 1);
    Press(VK_F1 + 2);
    keyboard.Reset(RESET_EVENTS);
    EXPECT_FALSE(keyboard.HasEvent());
    EXPECT_EQ(keyboard.KeysDown(), 2);
    EXPECT_EQ(keyboard.WasPressed(KEY_F1 + 1), 3);
    keyboard.AddEvent(KEY_F1, 1, 0);
    keyboard.Reset(RESET_STATES);
    EXPECT_TRUE(keyboard.HasEvent());
    EXPECT_EQ(keyboard.KeysDown(), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_F1 + 2), 0);
}

TEST_F(KeyboardTest, TranslationTableCoversTheKeysWithCodes) {
    const struct {
        uint32_t virtualKey;
        int code;
    } rows[] = {
        {VK_BACK, 8},
        {VK_TAB, 9},
        {VK_RETURN, 13},
        {VK_ESCAPE, 27},
        {VK_SPACE, 32},
        {'0', 48},
        {'9', 57},
        {'A', 65},
        {'Z', 90},
        {VK_INSERT, 256},
        {VK_DELETE, 257},
        {VK_HOME, 258},
        {VK_END, 259},
        {VK_PRIOR, 260},
        {VK_NEXT, 261},
        {VK_LEFT, 262},
        {VK_UP, 263},
        {VK_RIGHT, 264},
        {VK_DOWN, 265},
        {VK_SHIFT, 266},
        {VK_CONTROL, 269},
        {VK_MENU, 272},
        {VK_NUMLOCK, 278},
        {VK_DIVIDE, 279},
        {VK_MULTIPLY, 280},
        {VK_SUBTRACT, 281},
        {VK_ADD, 282},
        {VK_DECIMAL, 284},
        {VK_NUMPAD0, 285},
        {VK_NUMPAD9, 294},
        {VK_SNAPSHOT, 295},
        {VK_SCROLL, 296},
        {VK_PAUSE, 297},
        {VK_CAPITAL, 298},
        {VK_F1, 299},
        {VK_F12, 310},
        {VK_F24, 322},
        // No code: the keypad separator, unlisted keys, and everything from 152 up
        // (the side-specific modifier keys among them).
        {VK_SEPARATOR, 0},
        {0x00, 0},
        {0x2F, 0},
        {0x5B, 0},
        {0x97, 0},
        {VK_LSHIFT, 0},
        {VK_RMENU, 0},
        {0xFF, 0},
        {0x10000, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Keyboard::TranslateVirtualKey(row.virtualKey), row.code) << row.virtualKey;

    // A key without a code makes neither an event nor a state.
    Keyboard keyboard;
    Press(0x5B);
    EXPECT_FALSE(keyboard.HasEvent());
    EXPECT_EQ(keyboard.KeysDown(), 0);
}

TEST_F(KeyboardTest, TwoCharactersGiveTheSecond) {
    Keyboard keyboard;
    FakeKeys::pair[0] = '^';
    FakeKeys::pair[1] = 0xE9;  // beyond ASCII: still a positive code
    Press('E');
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 0xE9);
    EXPECT_EQ(keyboard.WasPressed('E'), 3);
}

TEST_F(KeyboardTest, MessagesNotTakenFromTheQueueAreLeftAlone) {
    Keyboard keyboard;
    FakeKeys::held[VK_F1 + 4] = true;
    Send(VK_F1 + 4, true, HC_NOREMOVE);
    Send(VK_F1 + 4, true, -1);
    EXPECT_FALSE(keyboard.HasEvent());
    EXPECT_EQ(keyboard.WasPressed(KEY_F1 + 4), 0);
    Send(VK_F1 + 4, true, HC_ACTION);
    EXPECT_EQ(keyboard.WasPressed(KEY_F1 + 4), 3);
}

TEST_F(KeyboardTest, CodesOutsideTheStateTableAreRefused) {
    Keyboard keyboard;
    keyboard.SetKeyState(KEY_CODE_COUNT, 1);
    keyboard.SetKeyState(-5, 1);
    keyboard.SetKeyState(0, 1);
    EXPECT_EQ(keyboard.KeysDown(), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_CODE_COUNT), 0);
    EXPECT_EQ(keyboard.WasPressed(-1), 0);
    EXPECT_EQ(keyboard.WasPressed(100000), 0);
    // The last code of the table works.
    keyboard.SetKeyState(KEY_F24, 1);
    EXPECT_EQ(keyboard.WasPressed(KEY_F24), 3);
    // Releasing a key that is not held changes no count.
    keyboard.SetKeyState(KEY_F1, 0);
    EXPECT_EQ(keyboard.KeysDown(), 1);
}

}  // namespace
