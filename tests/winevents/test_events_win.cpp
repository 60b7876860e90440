// The Win32 layer's events from real input and window messages, to a window of its own
// class, the run's keyboard and mouse and a recording saver state (the support library alone).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ansi/memory.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "startup.h"
#include "sysevent.h"
#include "xsystem.h"
#include "../win/send_key.h"

namespace {

class RecordingSaver : public SaverStateBase {
public:
    bool HandleEvent(const SysEvent& event, int32_t* answer) override {
        // The keyboard's keys, moves and cursor requests come with any input: not recorded.
        if (event.type == SE_KEY || event.type == SE_CURSOR ||
            (event.type == SE_POINTER && event.value == POINTER_MOVE))
            return false;
        taken.push_back(std::to_string(event.type) + ":" + std::to_string(event.value) + ":" +
                        std::to_string(event.value2) + ":" + std::to_string(event.flags & 0xFF));
        *answer = 1;
        return true;
    }
    void CheckMouseMovement(double) override {}
    bool CloseConfirmed() const override { return false; }
    std::vector<std::string> taken;
};

class WinEvents : public ::testing::Test {
protected:
    void SetUp() override {
        StartupCode(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), "");
        glb->keyboard = XNEW(Keyboard);
        glb->mouse = XNEW(Mouse);
        saverState = saver = new RecordingSaver;
        // xExit lets go of the class by the run's name.
        glb->SetName("NovadriftEvents");
        ASSERT_TRUE(Platform().registerWindowClass(glb->name));
        window = CreateWindowExA(0, "NovadriftEvents", "", WS_POPUP | WS_VISIBLE, 100, 80, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
        saver->taken.clear();
    }
    void TearDown() override {
        DestroyWindow(window);
        Platform().pumpMessages();
        saverState = nullptr;
        delete saver;
        xExit();
        ExitCode();
    }
    // Pumps the layer's messages until done() holds; false after 5 s without.
    template <typename Done>
    static bool PumpUntil(Done done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 5000) return false;
            Platform().pumpMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return true;
    }
    std::vector<KeyEvent> TakeKeys(size_t count) {
        std::vector<KeyEvent> keys;
        PumpUntil([&] {
            KeyEvent key;
            while (glb->keyboard->GetEvent(&key)) keys.push_back(key);
            return keys.size() >= count;
        });
        return keys;
    }

    HWND window = nullptr;
    RecordingSaver* saver = nullptr;
};

TEST_F(WinEvents, KeysArriveInTheProgramsCodesWithTheirSides) {
    const int kDown = KEYFLAG_DOWN, kLeft = KEYFLAG_LEFT_SHIFT, kRight = KEYFLAG_RIGHT_CTRL;
    const DWORD kUp = KEYEVENTF_KEYUP, kExtended = KEYEVENTF_EXTENDEDKEY;
    const struct {
        std::vector<std::pair<WORD, DWORD>> input;
        std::vector<int> keys;  // code and flags of each
    } rows[] = {
        // Shift and a letter: the generic code follows the side; the letter types in its
        // case; the release lets go of both sides, then of the generic code.
        {{{VK_LSHIFT, 0}, {'A', 0}, {'A', kUp}, {VK_LSHIFT, kUp}},
         {KEY_SHIFT, kDown | kLeft, KEY_LEFT_SHIFT, kDown | kLeft, 'A', kDown | kLeft, 'A', kLeft,
          KEY_LEFT_SHIFT, 0, KEY_RIGHT_SHIFT, 0, KEY_SHIFT, 0}},
        // The right Ctrl is told by the extended bit.
        {{{VK_RCONTROL, kExtended}, {VK_RCONTROL, kExtended | kUp}},
         {KEY_CTRL, kDown | kRight, KEY_RIGHT_CTRL, kDown | kRight, KEY_LEFT_CTRL, 0,
          KEY_RIGHT_CTRL, 0, KEY_CTRL, 0}},
        {{{VK_F12, 0}, {VK_F12, kUp}, {VK_LEFT, 0}}, {KEY_F12, kDown, KEY_F12, 0, KEY_LEFT, kDown}},
        {{{'7', 0}, {VK_BACK, 0}}, {'7', kDown, KEY_BACKSPACE, kDown}},
    };
    for (const auto& row : rows) {
        for (const auto& key : row.input) SendKey(key.first, key.second);
        std::vector<int> keys;
        for (const KeyEvent& key : TakeKeys(row.keys.size() / 2))
            keys.insert(keys.end(), {key.code, key.flags});
        EXPECT_EQ(keys, row.keys);
    }
    // The window's key-downs reach the saver state in the same codes; a key without a code
    // as 0.
    SendKey(VK_BROWSER_BACK, 0);
    ASSERT_TRUE(
        PumpUntil([&] { return !saver->taken.empty() && saver->taken.back() == "2:0:0:1"; }));
    EXPECT_NE(std::find(saver->taken.begin(), saver->taken.end(), "2:310:0:1"), saver->taken.end());
    EXPECT_FALSE(glb->keyboard->HasEvent());
    // A key only peeked at is not the keyboard's; taken, it comes once.
    SendKey(VK_F5, 0);
    MSG message;
    const DWORD start = GetTickCount();
    while (!PeekMessageA(&message, window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE))
        ASSERT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(glb->keyboard->HasEvent());
    const std::vector<KeyEvent> keys = TakeKeys(1);
    EXPECT_TRUE(keys.size() == 1 && keys[0].code == KEY_F1 + 4) << keys.size();
}

TEST_F(WinEvents, PointerAndButtonsAsTheMouseAndTheSaverTakeThem) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = LONG((origin.x + 30) * 65536 / GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = LONG((origin.y + 40) * 65536 / GetSystemMetrics(SM_CYSCREEN));
    MouseEvent event = {};
    auto send = [&](DWORD flags) {
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof(INPUT));
        return PumpUntil([&] { return glb->mouse->GetEvent(&event); });
    };
    ASSERT_TRUE(send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE));
    POINT cursor;
    GetCursorPos(&cursor);
    int32_t x, y, buttons;
    glb->mouse->GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, cursor.x - origin.x);
    EXPECT_EQ(y, cursor.y - origin.y);
    ASSERT_TRUE(send(MOUSEEVENTF_LEFTDOWN));
    EXPECT_EQ(event.buttons, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    EXPECT_EQ(saver->taken, std::vector<std::string>{"3:1:0:1"});
    ASSERT_TRUE(send(MOUSEEVENTF_LEFTUP));
    EXPECT_EQ(event.buttons, MOUSE_LEFT_WENT_UP);
}

TEST_F(WinEvents, WindowMessagesBecomeEventsAndStayTaken) {
    const struct {
        UINT message;
        WPARAM wParam;
        const char* taken;
    } rows[] = {{WM_ACTIVATEAPP, FALSE, "4:0:1:0"},
                {WM_ACTIVATE, WA_INACTIVE, "4:0:0:0"},
                {WM_NCACTIVATE, FALSE, "4:0:2:0"},
                {WM_SYSCOMMAND, SC_SCREENSAVE, "9:1:0:0"},
                {WM_SYSCOMMAND, SC_MINIMIZE, "9:0:0:0"},
                {WM_SYSCOMMAND, SC_CLOSE, "9:1:0:0"},
                {WM_CLOSE, 0, "5:0:0:0"}};
    for (const auto& row : rows) {
        saver->taken.clear();
        EXPECT_EQ(SendMessageA(window, row.message, row.wParam, 0), 1) << row.taken;
        EXPECT_EQ(saver->taken, std::vector<std::string>{row.taken});
    }
    // Taken, none of them acted on the window.
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsIconic(window));
    // A display change puts the cursor back at the centre (Wine's cursor follows later).
    const auto cursorAt = [](LONG x, LONG y) {
        POINT cursor;
        return GetCursorPos(&cursor) && cursor.x == x && cursor.y == y;
    };
    ASSERT_TRUE(PumpUntil([&] {
        SetCursorPos(10, 10);
        return cursorAt(10, 10);
    }));
    SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(PumpUntil([&] { return cursorAt(MOUSE_CENTRE_X, MOUSE_CENTRE_Y); }));
    // Destroyed (after the activation it loses on the way), the window says so last.
    DestroyWindow(window);
    EXPECT_EQ(saver->taken.back(), "7:0:0:0");
}

}  // namespace
