#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "misc.h"
#include "saverstate.h"
#include "test_support.h"
#include "winmessages.h"

namespace {

int Mode(const char* commandLine, WindowHandle* parent = nullptr) {
    WindowHandle window = 0;
    int mode = ParseSaverSwitch(commandLine, &window);
    if (parent) *parent = window;
    return mode;
}

WindowHandle FakeForeground() { return 4242; }

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

    Platform().foregroundWindow = FakeForeground;
    EXPECT_EQ(Mode("Novadrift.scr /c", &parent), SAVER_NORMAL);
    Platform().foregroundWindow = NativePlatform().foregroundWindow;
    EXPECT_EQ(parent, 4242u);
}

std::vector<std::string> posted;
int passwordChecks;
int passwordAnswer;

void RecordPost(WindowHandle window, uint32_t message) {
    posted.push_back(std::to_string(window) + ":" + std::to_string(message));
}
int FakePassword(WindowHandle) {
    ++passwordChecks;
    return passwordAnswer;
}

// A screensaver-proper state with its window created at a known tick.
class SaverCloseTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform().postMessage = RecordPost;
        Platform().verifyScreenSaverPassword = FakePassword;
        posted.clear();
        passwordChecks = 0;
        passwordAnswer = 1;
        state.mode = SAVER_RUN;
        state.passwordGrace = SAVER_PASSWORD_GRACE_SECONDS;
        state.movementThreshold = SAVER_MOVEMENT_THRESHOLD;
        state.HandleMessage(7, WM_CREATE, 0, 0);
    }
    void TearDown() override {
        Platform().postMessage = NativePlatform().postMessage;
        Platform().verifyScreenSaverPassword = NativePlatform().verifyScreenSaverPassword;
    }
    void RequestAndCloseAfter(uint32_t milliseconds) {
        FakeClock::Advance(milliseconds);
        state.HandleMessage(7, WM_LBUTTONDOWN, 0, 0);
        state.HandleMessage(7, WM_CLOSE, 0, 0);
    }

    FakeClock clock;
    SaverState state;
};

TEST_F(SaverCloseTest, KeysExceptF12AndButtonsRequestClose) {
    state.HandleMessage(7, WM_KEYDOWN, VK_SCREENSHOT_KEY, 0);
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(state.closeRequested, 0);
    state.HandleMessage(7, WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], "7:" + std::to_string(WM_CLOSE));
    state.HandleMessage(7, WM_RBUTTONDOWN, 0, 0);
    state.HandleMessage(7, WM_ACTIVATEAPP, 0, 0);
    state.HandleMessage(7, WM_ACTIVATE, 1, 0);  // gaining activation is no reason
    EXPECT_EQ(posted.size(), 3u);
}

TEST_F(SaverCloseTest, WithinGraceClosesWithoutPassword) {
    RequestAndCloseAfter(10000);
    EXPECT_TRUE(state.CloseConfirmed());
    EXPECT_EQ(passwordChecks, 0);
}

TEST_F(SaverCloseTest, AfterGraceAsksForThePassword) {
    passwordAnswer = 0;
    RequestAndCloseAfter(20000);
    EXPECT_EQ(passwordChecks, 1);
    EXPECT_FALSE(state.CloseConfirmed());
    EXPECT_EQ(state.closeRequested, 1);
    passwordAnswer = 1;
    RequestAndCloseAfter(10);
    EXPECT_EQ(passwordChecks, 2);
    EXPECT_TRUE(state.CloseConfirmed());
}

TEST_F(SaverCloseTest, UnrequestedCloseIsIgnored) {
    FakeClock::Advance(1000);
    EXPECT_EQ(state.HandleMessage(7, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(state.CloseConfirmed());
}

TEST_F(SaverCloseTest, SystemCommandsAreRefusedInTheSaverRun) {
    EXPECT_EQ(state.HandleMessage(7, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(state.HandleMessage(7, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(state.HandleMessage(7, WM_SYSCOMMAND, 0xF020, 0), 1);
    state.mode = SAVER_NORMAL;
    EXPECT_EQ(state.HandleMessage(7, WM_SYSCOMMAND, SC_CLOSE, 0), 1);
    // Outside the saver run nothing closes on input.
    state.HandleMessage(7, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(posted.empty());
}

}  // namespace
