// The screensaver modes end to end: input reaches the real program through the
// system's input queue (SendInput), the way a user's key or mouse would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <cstdio>
#include <string>
#include <vector>

#include "scr_driver.h"

namespace {

// A screensaver run that gets one action at a chosen time; returns when the program
// has ended, with the time it ended.
struct SaverResult {
    ScrRun run;
    unsigned endedMs;
};

SaverResult RunSaver(unsigned timeoutMs, const std::function<void(unsigned)>& act) {
    SaverResult result;
    DWORD start = GetTickCount();
    result.run = RunScr(" /s", timeoutMs, "", act);
    result.endedMs = GetTickCount() - start;
    return result;
}

// Settings that choose the OpenGL screen for the screensaver and the preview (under
// Wine the Direct3D screen would come first); the Direct3D screen has its own tests.
void ChooseOpenGl(SettingsValues values = SettingsValues()) {
    values.screenKind = 1;
    values.previewKind = 1;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", values);
}

TEST(ScrSaver, SpaceLikeAnyKeyEndsTheScreensaverButF12DoesNot) {
    ChooseOpenGl();
    std::vector<std::string> shotsBefore = Screenshots();
    int presses = 0;
    SaverResult result = RunSaver(30000, [&](unsigned elapsed) {
        if (presses == 0 && elapsed >= 1000 && SaverWindowActive()) {
            PressKey(VK_F12);
            ++presses;
        } else if (presses == 1 && elapsed >= 2500) {
            // Space too: in the screensaver it ends the run like any other key.
            PressKey(VK_SPACE);
            ++presses;
        }
    });
    ASSERT_TRUE(result.run.started);
    EXPECT_FALSE(result.run.timedOut);
    EXPECT_EQ(presses, 2);
    EXPECT_GE(result.endedMs, 2500u) << "F12 must not end the screensaver";
    EXPECT_TRUE(result.run.boxes.empty());
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "EXIT : Screensaver - WM_CLOSE"));
    EXPECT_TRUE(HasLine(log, "EXIT : xHandler return FALSE. Quiting."));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));

    // F12 saved the frame under a new dated name, as a 640 x 480 24-bit BMP.
    std::vector<std::string> shots = Screenshots();
    ASSERT_GT(shots.size(), shotsBefore.size());
    std::string newest;
    for (const std::string& name : shots)
        if (std::find(shotsBefore.begin(), shotsBefore.end(), name) == shotsBefore.end())
            newest = name;
    SYSTEMTIME today;
    GetLocalTime(&today);
    char stem[32];
    std::snprintf(stem, sizeof stem, "qv%04d-%02d-%02d_", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(newest.rfind(stem, 0), 0u) << newest;
    std::string bmp = ReadFileText(TestProgramDirectory() + "ScrShots\\" + newest);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 18), 640u);
    EXPECT_EQ(Le32(bmp, 22), 480u);
    EXPECT_EQ(uint8_t(bmp[28]), 24);
    EXPECT_EQ(bmp.size(), 54u + 640u * 3u * 480u);
}

TEST(ScrSaver, MovementEitherWayEndsItOnlyAfterThreeSeconds) {
    ChooseOpenGl();
    // Down and right, then up and left: the size of the movement counts.
    for (LONG step : {40, -40}) {
        unsigned lastMove = 0;
        SaverResult result = RunSaver(30000, [&](unsigned elapsed) {
            // Small steps often, so every frame sees more than the threshold.
            if (elapsed >= 500 && elapsed - lastMove >= 100 && SaverWindowActive()) {
                MoveMouse(step, step);
                lastMove = elapsed;
            }
        });
        ASSERT_TRUE(result.run.started) << step;
        EXPECT_FALSE(result.run.timedOut) << step;
        EXPECT_GE(result.endedMs, 3000u) << "movement in the first 3 s must not end it";
        EXPECT_LT(result.endedMs, 15000u) << step;
        EXPECT_TRUE(HasLine(RunLog(), "EXIT : Screensaver - WM_CLOSE")) << step;
    }
}

TEST(ScrSaver, AButtonEndsItAtOnce) {
    ChooseOpenGl();
    bool clicked = false;
    unsigned clickedAt = 0;
    SaverResult result = RunSaver(30000, [&](unsigned elapsed) {
        if (!clicked && elapsed >= 1000 && SaverWindowActive()) {
            ClickLeft();
            clicked = true;
            clickedAt = elapsed;
        }
    });
    ASSERT_TRUE(result.run.started);
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(result.run.timedOut);
    EXPECT_LT(result.endedMs, 3000u + clickedAt) << "a click ends it within the grace time";
    EXPECT_TRUE(HasLine(RunLog(), "EXIT : Screensaver - WM_CLOSE"));
}

// The host of a preview: a plain 152 x 112 window, as the system's settings page has.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeHostWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "NovadriftPreviewHost";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "NovadriftPreviewHost", "Preview host", WS_POPUP | WS_VISIBLE, 100,
                           100, 152, 112, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The preview on the named screen: a child window covering the host, ended by the
// host's end.
void ExpectPreviewInsideTheHost(const std::string& screenName) {
    HWND host = MakeHostWindow();
    ASSERT_NE(host, nullptr);
    std::string arguments = " /p " + std::to_string(reinterpret_cast<uintptr_t>(host));
    RemoveRunLog();
    bool childSeen = false, destroyed = false;
    unsigned drawingAt = 0;
    RECT childRect = {};
    ScrRun run = RunScr(arguments, 30000, "", [&](unsigned elapsed) {
        HWND child = GetWindow(host, GW_CHILD);
        if (child && IsWindowVisible(child)) {
            childSeen = true;
            GetWindowRect(child, &childRect);
        }
        if (!drawingAt && HasLine(RunLog(), "INIT :  ----- Entering main loop -----"))
            drawingAt = elapsed;
        if (!destroyed && childSeen && drawingAt && elapsed >= drawingAt + 1000) {
            DestroyWindow(host);
            destroyed = true;
        }
    });
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(childSeen);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty());
    // The preview's window covers the host exactly. Its pixels cannot be read here:
    // Wine does not show OpenGL drawing in a child of another process's window.
    EXPECT_EQ(childRect.left, 100);
    EXPECT_EQ(childRect.top, 100);
    EXPECT_EQ(childRect.right - childRect.left, 152);
    EXPECT_EQ(childRect.bottom - childRect.top, 112);
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "INIT : Trying to setup preview window from config file"));
    EXPECT_TRUE(HasLine(
        log, "SCREEN : Starting video mode : 152x112x0 in window mode using " + screenName));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    UnregisterClassA("NovadriftPreviewHost", GetModuleHandleA(nullptr));
}

TEST(ScrSaver, PreviewDrawsInsideTheHostAndEndsWithIt) {
    ChooseOpenGl();
    ExpectPreviewInsideTheHost("Standard opengl");
}

TEST(ScrSaver, PreviewOnDirect3DDrawsInsideTheHostAndEndsWithIt) {
    // Without settings the first screen that draws in a window: Direct3D under Wine.
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
    ExpectPreviewInsideTheHost("Direct 3d");
}

}  // namespace

namespace {

TEST(ScrSaver, PasswordAndSettingsSwitchesNeverOpenAScreen) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    for (const char* arguments : {" /a 0", " /r"}) {
        DeleteFileA(settingsPath.c_str());
        // The settings dialog is left with Cancel.
        ScrRun run = RunScr(arguments, 30000, "", [](unsigned) {
            if (HWND dialog = FindProgramDialog("Novadrift")) ClickButton(dialog, IDCANCEL);
        });
        ASSERT_TRUE(run.started) << arguments;
        EXPECT_FALSE(run.timedOut) << arguments;
        EXPECT_TRUE(run.boxes.empty()) << arguments;
        std::vector<std::string> log = RunLog();
        EXPECT_TRUE(HasLine(log, "INIT : Register class")) << arguments;
        EXPECT_FALSE(HasLine(log, "INIT : Entering startup")) << arguments;
        EXPECT_FALSE(HasLine(log, "INIT :  ----- Entering main loop -----")) << arguments;
        EXPECT_TRUE(HasLine(log, "EXIT : xExit - done")) << arguments;
        // The settings file is still written at the end of such a run.
        EXPECT_EQ(ReadFileText(settingsPath).size(), 386u) << arguments;
    }
}

DWORD SaverPriorityClass() {
    HWND window = FindWindowA("Novadrift", nullptr);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) return 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return 0;
    DWORD priority = GetPriorityClass(process);
    CloseHandle(process);
    return priority;
}

TEST(ScrSaver, TheScreensaverRunsAtTheChosenPriority) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    struct Case {
        int32_t setting;
        DWORD priorityClass;
    } cases[] = {{0, IDLE_PRIORITY_CLASS}, {200, HIGH_PRIORITY_CLASS}};
    for (const Case& c : cases) {
        SettingsValues values;
        values.priority = c.setting;
        ChooseOpenGl(values);
        DWORD seen = 0;
        bool clicked = false;
        SaverResult result = RunSaver(30000, [&](unsigned elapsed) {
            if (!clicked && elapsed >= 1000 && SaverWindowActive()) {
                seen = SaverPriorityClass();
                ClickLeft();
                clicked = true;
            }
        });
        EXPECT_FALSE(result.run.timedOut) << c.setting;
        EXPECT_EQ(seen, c.priorityClass) << c.setting;
    }
    DeleteFileA(settingsPath.c_str());
}

}  // namespace
