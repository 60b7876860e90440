// The keyboard fed the way the platform feeds it: SE_KEY events in the program's key
// codes, each with the character it typed and the modifier sides held.
#include <gtest/gtest.h>

#include <vector>

#include "ansi/memory.h"
#include "gui/keyboard.h"
#include "sysevent.h"
#include "test_support.h"

namespace {

SysEvent KeyOf(int32_t code, int32_t character, int32_t flags) {
    return {SE_KEY, code, character, flags, 0, 0, 0, 0, 0};
}

class KeyboardTest : public ::testing::Test {
protected:
    // A key event as the platform hands it: the modifier sides held go with every key.
    void Send(int code, bool down, int character = 0) {
        keyboard.HandleKeyEvent(KeyOf(code, character, (down ? KEYFLAG_DOWN : 0) | sides));
    }
    void Press(int code, int character = 0) { Send(code, true, character); }
    void Release(int code, int character = 0) { Send(code, false, character); }
    // A modifier side: the event names the generic key and carries the sides.
    void PressSide(int generic, int32_t side) { sides |= side, Send(generic, true); }
    void ReleaseSide(int generic, int32_t side) { sides &= ~side, Send(generic, false); }

    static std::vector<KeyEvent> TakeEvents(Keyboard& keyboard) {
        std::vector<KeyEvent> taken;
        KeyEvent event;
        while (keyboard.GetEvent(&event)) taken.push_back(event);
        return taken;
    }

    TestSystem system;
    Keyboard keyboard;
    int32_t sides = 0;
};

TEST_F(KeyboardTest, KeyEventsReachTheRunsKeyboardAlone) {
    SysEvent event = KeyOf(KEY_F12, 0, KEYFLAG_DOWN);
    EXPECT_FALSE(DispatchSysEvent(event));
    glb->keyboard = XNEW(Keyboard);
    EXPECT_TRUE(DispatchSysEvent(event));
    EXPECT_EQ(glb->keyboard->WasPressed(KEY_F12), 3);
    XDELETE(glb->keyboard);
    glb->keyboard = nullptr;
    EXPECT_FALSE(DispatchSysEvent(event));
}

TEST_F(KeyboardTest, WasPressedTellsANewPressOnlyOnce) {
    // Asked while held: 3, then 1 while still held, 0 after the release.
    Press(KEY_F12);
    EXPECT_EQ(keyboard.KeysDown(), 1);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 3);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 1);
    Press(KEY_F12);  // auto-repeat is no new press
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 1);
    EXPECT_EQ(keyboard.KeysDown(), 1);
    Release(KEY_F12);
    EXPECT_EQ(keyboard.KeysDown(), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_F12), 0);

    // Nobody asked while it was held: the press is still told after the release, once.
    Press(KEY_F12);
    Release(KEY_F12);
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
    Press('A', 'a');
    EXPECT_EQ(keyboard.WasPressed('A'), 3);
    EXPECT_EQ(keyboard.WasPressed('a'), 0);
    Release('A', 'a');
    EXPECT_EQ(keyboard.WasPressed('A'), 0);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    // The character stands in for the key-code event.
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, 'a');
    EXPECT_EQ(events[0].flags, KEYFLAG_DOWN);
    EXPECT_EQ(events[1].code, 'a');
    EXPECT_EQ(events[1].flags, 0);

    // With left Shift held the character is upper case and carries the Shift bit.
    PressSide(KEY_SHIFT, KEYFLAG_LEFT_SHIFT);
    TakeEvents(keyboard);
    Press('A', 'A');
    events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 'A');
    EXPECT_EQ(events[0].flags, KEYFLAG_DOWN | KEYFLAG_LEFT_SHIFT);
    EXPECT_EQ(keyboard.WasPressed('A'), 3);
}

TEST_F(KeyboardTest, EventsCarryTheHeldModifierSides) {
    sides = KEYFLAG_RIGHT_CTRL | KEYFLAG_LEFT_ALT | KEYFLAG_RIGHT_SHIFT;
    Press(KEY_LEFT);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, KEY_LEFT);
    EXPECT_EQ(events[0].flags,
              KEYFLAG_DOWN | KEYFLAG_RIGHT_CTRL | KEYFLAG_LEFT_ALT | KEYFLAG_RIGHT_SHIFT);
    // Added by hand without modifiers, only the down bit; with them, the sides of the
    // last key event.
    keyboard.AddEvent(KEY_UP, 1, 0);
    ASSERT_EQ(TakeEvents(keyboard).at(0).flags, KEYFLAG_DOWN);
    keyboard.AddEvent(KEY_UP, 0, 1);
    ASSERT_EQ(TakeEvents(keyboard).at(0).flags,
              KEYFLAG_RIGHT_CTRL | KEYFLAG_LEFT_ALT | KEYFLAG_RIGHT_SHIFT);
}

TEST_F(KeyboardTest, ModifierSidesDriveTheGenericCode) {
    PressSide(KEY_SHIFT, KEYFLAG_LEFT_SHIFT);
    EXPECT_NE(keyboard.WasPressed(KEY_SHIFT), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_LEFT_SHIFT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_SHIFT), 0);
    EXPECT_EQ(keyboard.KeysDown(), 2);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, KEY_SHIFT);
    EXPECT_EQ(events[1].code, KEY_LEFT_SHIFT);
    EXPECT_EQ(events[1].flags, KEYFLAG_DOWN | KEYFLAG_LEFT_SHIFT);

    ReleaseSide(KEY_SHIFT, KEYFLAG_LEFT_SHIFT);
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
    PressSide(KEY_CTRL, KEYFLAG_RIGHT_CTRL);
    EXPECT_NE(keyboard.WasPressed(KEY_CTRL), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_RIGHT_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_CTRL), 0);
    ReleaseSide(KEY_CTRL, KEYFLAG_RIGHT_CTRL);
    EXPECT_EQ(keyboard.WasPressed(KEY_CTRL), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_CTRL), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);
}

TEST_F(KeyboardTest, OverlappingModifierSidesLeaveNoKeyStuck) {
    PressSide(KEY_ALT, KEYFLAG_LEFT_ALT);
    PressSide(KEY_ALT, KEYFLAG_RIGHT_ALT);
    // Right Alt goes up while left Alt is still held: Alt stays held.
    ReleaseSide(KEY_ALT, KEYFLAG_RIGHT_ALT);
    EXPECT_NE(keyboard.WasPressed(KEY_ALT), 0);
    EXPECT_NE(keyboard.WasPressed(KEY_LEFT_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_ALT), 0);
    ReleaseSide(KEY_ALT, KEYFLAG_LEFT_ALT);
    EXPECT_EQ(keyboard.WasPressed(KEY_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_LEFT_ALT), 0);
    EXPECT_EQ(keyboard.WasPressed(KEY_RIGHT_ALT), 0);
    EXPECT_EQ(keyboard.KeysDown(), 0);

    // A release while the platform still shows both sides held cannot tell which went
    // up: everything is released rather than left stuck.
    PressSide(KEY_CTRL, KEYFLAG_LEFT_CTRL);
    PressSide(KEY_CTRL, KEYFLAG_RIGHT_CTRL);
    TakeEvents(keyboard);
    Send(KEY_CTRL, false);
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
    for (int code = 1; code <= 128; ++code) EXPECT_EQ(keyboard.AddEvent(code, 1, 0), 1) << code;
    EXPECT_EQ(keyboard.AddEvent(129, 1, 0), 0);
    // Through a key event as well.
    Press(KEY_F1);
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
    Press(KEY_F1 + 1);
    Press(KEY_F1 + 2);
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

TEST_F(KeyboardTest, AKeyWithoutCodeOrCharacterMakesNoEventNorState) {
    Press(0);
    EXPECT_FALSE(keyboard.HasEvent());
    EXPECT_EQ(keyboard.KeysDown(), 0);
    // A character alone is an event, and no state.
    Press(0, 0xE9);
    std::vector<KeyEvent> events = TakeEvents(keyboard);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 0xE9);
    EXPECT_EQ(keyboard.KeysDown(), 0);
}

TEST_F(KeyboardTest, CodesOutsideTheStateTableAreRefused) {
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
