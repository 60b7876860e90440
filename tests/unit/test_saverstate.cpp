#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/keyboard.h"
#include "misc.h"
#include "saverstate.h"
#include "test_support.h"

namespace {

int Mode(const char* commandLine, WindowHandle* parent = nullptr) {
    WindowHandle window = 0;
    int mode = ParseSaverSwitch(commandLine, &window);
    if (parent) *parent = window;
    return mode;
}

TEST(SaverSwitch, EveryFormOfTheSwitches) {
    EXPECT_EQ(Mode("Novadrift.scr"), SAVER_NORMAL);
    EXPECT_EQ(Mode("Novadrift.scr   "), SAVER_NORMAL);
    EXPECT_EQ(Mode("\"C:\\My Saver\\Novadrift.scr\" /s"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr /s"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr -s"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr s"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr /S"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr save"), SAVER_RUN);
    EXPECT_EQ(Mode("Novadrift.scr /r"), SAVER_SETTINGS);
    EXPECT_EQ(Mode("Novadrift.scr x"), SAVER_NONE);
    EXPECT_EQ(Mode("Novadrift.scr /"), SAVER_NONE);

    WindowHandle parent = 0;
    EXPECT_EQ(Mode("Novadrift.scr /c:1234", &parent), SAVER_NORMAL);
    EXPECT_EQ(parent, 1234u);
    EXPECT_EQ(Mode("Novadrift.scr c 1234", &parent), SAVER_NORMAL);
    EXPECT_EQ(parent, 1234u);
    EXPECT_EQ(Mode("Novadrift.scr p 5678", &parent), SAVER_PREVIEW);
    EXPECT_EQ(parent, 5678u);
    EXPECT_EQ(Mode("Novadrift.scr /l:99", &parent), SAVER_PREVIEW);
    EXPECT_EQ(parent, 99u);
    EXPECT_EQ(Mode("Novadrift.scr /a 77", &parent), SAVER_PASSWORD);
    EXPECT_EQ(parent, 77u);

    FakeSaverHost host;
    FakeSaverHost::foreground = 4242;
    EXPECT_EQ(Mode("Novadrift.scr /c", &parent), SAVER_NORMAL);
    EXPECT_EQ(parent, 4242u);
}

// A screensaver-proper state with its window created at a known tick.
class SaverCloseTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.mode = SAVER_RUN;
        state.passwordGrace = SAVER_PASSWORD_GRACE_SECONDS;
        state.movementThreshold = SAVER_MOVEMENT_THRESHOLD;
        Send(SE_CREATE);
    }
    // An event to window 7, taken; the answer the window procedure would give.
    int32_t Send(int32_t type, int32_t value = 0, int32_t value2 = 0, int32_t flags = 0) {
        int32_t answer = -1;
        EXPECT_TRUE(state.HandleEvent({type, value, value2, flags, 0, 0, 0, 0, 7}, &answer));
        return answer;
    }
    void RequestAndCloseAfter(uint32_t milliseconds) {
        FakeClock::Advance(milliseconds);
        Send(SE_POINTER, POINTER_LEFT_DOWN);
        Send(SE_CLOSE);
    }

    FakeClock clock;
    FakeSaverHost host;
    SaverState state;
};

TEST_F(SaverCloseTest, KeysExceptF12AndButtonsRequestClose) {
    Send(SE_WINDOW_KEY, KEY_F12, 0, KEYFLAG_DOWN);
    EXPECT_TRUE(FakeSaverHost::closes.empty());
    EXPECT_EQ(state.closeRequested, 0);
    Send(SE_WINDOW_KEY, 'A', 0, KEYFLAG_DOWN);
    ASSERT_EQ(FakeSaverHost::closes.size(), 1u);
    EXPECT_EQ(FakeSaverHost::closes[0], "7:close");
    // A key without a code is a key like any other.
    Send(SE_WINDOW_KEY, 0, 0, KEYFLAG_DOWN);
    Send(SE_POINTER, POINTER_RIGHT_DOWN);
    Send(SE_POINTER, POINTER_MIDDLE_DOWN);
    Send(SE_ACTIVATE, 0, ACTIVATE_APPLICATION);
    Send(SE_ACTIVATE, 0, ACTIVATE_FRAME);
    Send(SE_ACTIVATE, 1, ACTIVATE_WINDOW);  // gaining activation is no reason
    Send(SE_POINTER, POINTER_MOVE);         // nor is a move (the mouse's movement is)
    EXPECT_EQ(FakeSaverHost::closes.size(), 6u);
    // Key and button releases are not the saver's.
    int32_t answer;
    for (SysEvent up : {SysEvent{SE_WINDOW_KEY, 'A', 0, 0, 0, 0, 0, 0, 7},
                        SysEvent{SE_POINTER, POINTER_LEFT_UP, 0, 0, 0, 0, 0, 0, 7}})
        EXPECT_FALSE(state.HandleEvent(up, &answer));
    EXPECT_EQ(FakeSaverHost::closes.size(), 6u);
}

TEST_F(SaverCloseTest, WithinGraceClosesWithoutPassword) {
    RequestAndCloseAfter(10000);
    EXPECT_TRUE(state.CloseConfirmed());
    EXPECT_EQ(FakeSaverHost::passwordChecks, 0);
}

TEST_F(SaverCloseTest, AfterGraceAsksForThePassword) {
    FakeSaverHost::passwordAnswer = 0;
    RequestAndCloseAfter(20000);
    EXPECT_EQ(FakeSaverHost::passwordChecks, 1);
    EXPECT_FALSE(state.CloseConfirmed());
    EXPECT_EQ(state.closeRequested, 1);
    FakeSaverHost::passwordAnswer = 1;
    RequestAndCloseAfter(10);
    EXPECT_EQ(FakeSaverHost::passwordChecks, 2);
    EXPECT_TRUE(state.CloseConfirmed());
}

TEST_F(SaverCloseTest, UnrequestedCloseIsIgnored) {
    FakeClock::Advance(1000);
    EXPECT_EQ(Send(SE_CLOSE), 0);
    EXPECT_FALSE(state.CloseConfirmed());
}

TEST_F(SaverCloseTest, SystemCommandsAreRefusedInTheSaverRun) {
    EXPECT_EQ(Send(SE_SYSTEM_COMMAND, 1), 0);
    EXPECT_EQ(Send(SE_SYSTEM_COMMAND, 0), 1);
    state.mode = SAVER_NORMAL;
    EXPECT_EQ(Send(SE_SYSTEM_COMMAND, 1), 1);
    // Outside the saver run nothing closes on input.
    Send(SE_WINDOW_KEY, 'A', 0, KEYFLAG_DOWN);
    Send(SE_ACTIVATE, 0, ACTIVATE_APPLICATION);
    EXPECT_TRUE(FakeSaverHost::closes.empty());
}

}  // namespace
