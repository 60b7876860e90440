// The screensaver modes end to end: input reaches the real program through the
// system's input queue (SendInput), the way a user's key or mouse would. Its grace time
// is timed by the program's own log stamps, from the window's creation, when it starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

// Settings that choose the OpenGL screen for the screensaver and the preview (under
// Wine the Direct3D screen would come first); the Direct3D screen has its own tests.
void ChooseOpenGl(SettingsValues values = SettingsValues()) {
    values.screenKind = 1;
    values.previewKind = 1;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", values);
}

// The screensaver proper, its window in front.
bool StartSaver(ScrSession& session) {
    return session.Start(" /s") && session.WaitUntil(SaverWindowActive, 30000);
}

// Seconds of the run at which a line of its log was written.
double StampOf(const std::string& body) {
    return LineStamp(ReadFileText(TestProgramDirectory() + "Novadrift.log"), body);
}

const char kWindowCreated[] = "SCREEN : Create window";
const char kClosed[] = "EXIT : Screensaver - WM_CLOSE";

TEST(ScrSaver, F12SavesTheFrameAndLeavesItRunningAnyOtherKeyEndsIt) {
    ChooseOpenGl();
    RemoveScreenshots();
    const std::vector<std::string> shotsBefore = Screenshots();
    ScrSession session;
    ASSERT_TRUE(StartSaver(session));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    // A second F12 saves a second frame only when the first one left the run going.
    for (size_t taken = 1; taken <= 2; ++taken) {
        ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
        PressKey(VK_F12);
        ASSERT_TRUE(session.WaitUntil(
            [&] { return Screenshots().size() == shotsBefore.size() + taken; }, 15000))
            << "after F12 number " << taken;
    }
    // Space too: in the screensaver it ends the run like any other key.
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_SPACE);
    ScrRun run = session.Finish(15000);
    EXPECT_FALSE(run.timedOut);
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, kClosed));
    EXPECT_TRUE(HasLine(log, "EXIT : xHandler return FALSE. Quiting."));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));

    // Each F12 saved the frame under a new dated name, as a 640 x 480 24-bit BMP.
    std::vector<std::string> shots = Screenshots();
    ASSERT_EQ(shots.size(), shotsBefore.size() + 2);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char stem[32];
    std::snprintf(stem, sizeof stem, "qv%04d-%02d-%02d_", today.wYear, today.wMonth, today.wDay);
    for (const std::string& name : shots) {
        if (std::find(shotsBefore.begin(), shotsBefore.end(), name) != shotsBefore.end()) continue;
        EXPECT_EQ(name.rfind(stem, 0), 0u) << name;
        const std::string path = TestProgramDirectory() + "ScrShots\\" + name;
        EXPECT_EQ(ReadFileText(path).size(), 54u + 640u * 3u * 480u) << name;
        Shot frame = ReadBmp24(path);
        ASSERT_EQ(frame.width, 640) << name;
        ASSERT_EQ(frame.height, 480) << name;
        EXPECT_GE(CountStars(frame).places, 8) << name;
        EXPECT_GT(CloudShare(frame), 0.15) << name;
    }
}

// Mouse movement from the start on, one axis at a time each way: nothing before the
// grace time is over, then the run ends at once.
TEST(ScrSaver, MovementAlongEitherAxisEitherWayEndsItOnlyAfterTheGrace) {
    ChooseOpenGl();
    const POINT steps[] = {{40, 0}, {0, 40}, {-40, 0}, {0, -40}};
    for (const POINT& step : steps) {
        const std::string name = std::to_string(step.x) + ", " + std::to_string(step.y);
        ScrSession session;
        ASSERT_TRUE(StartSaver(session)) << name;
        // A move every tenth of a second, until the run ends or the ceiling is reached.
        // (Under Wine a move sent before the program has put the cursor back reaches it
        // again from the X server; moves this far apart seldom overlap.)
        DWORD movedAt = GetTickCount() - 100;
        session.WaitUntil(
            [&] {
                if (GetTickCount() - movedAt >= 100 && SaverWindowActive()) {
                    MoveMouse(step.x, step.y);
                    movedAt = GetTickCount();
                }
                return false;
            },
            20000);
        ScrRun run = session.Finish(0);
        EXPECT_FALSE(run.timedOut) << name << ": the movement did not end it";
        const double created = StampOf(kWindowCreated);
        const double closed = StampOf(kClosed);
        ASSERT_GE(created, 0) << name;
        ASSERT_GE(closed, 0) << name;
        // Frames ran, reading the movement, well inside the grace time.
        EXPECT_LT(StampOf("INIT :  ----- Entering main loop -----") - created, 2.0) << name;
        EXPECT_GE(closed - created, 3.0) << name << ": ended inside the grace time";
        EXPECT_LT(closed - created, 6.0) << name << ": kept running after the grace time";
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

// The priority from the settings; a click as soon as the window is in front ends the
// run inside the grace time that holds movement back.
TEST(ScrSaver, RunsAtTheChosenPriorityAndAButtonEndsItAtOnce) {
    struct Case {
        int32_t setting;
        DWORD priorityClass;
    } cases[] = {{0, IDLE_PRIORITY_CLASS}, {200, HIGH_PRIORITY_CLASS}};
    for (const Case& c : cases) {
        SettingsValues values;
        values.priority = c.setting;
        ChooseOpenGl(values);
        ScrSession session;
        ASSERT_TRUE(StartSaver(session)) << c.setting;
        EXPECT_EQ(SaverPriorityClass(), c.priorityClass) << c.setting;
        ClickLeft();
        ScrRun run = session.Finish(15000);
        EXPECT_FALSE(run.timedOut) << c.setting << ": the click did not end it";
        const double created = StampOf(kWindowCreated);
        const double closed = StampOf(kClosed);
        ASSERT_GE(created, 0) << c.setting;
        ASSERT_GE(closed, 0) << c.setting;
        EXPECT_LT(closed - created, 3.0) << c.setting;
    }
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
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

// What keeps a preview's frame from showing the scene over all of it, empty when
// nothing does: the cloud in each quarter, stars in a few places.
std::string PreviewFault(const Shot& frame) {
    if (frame.width != 152 || frame.height != 112)
        return "a frame of " + std::to_string(frame.width) + "x" + std::to_string(frame.height);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int left = (quarter % 2) * 76, top = (quarter / 2) * 56;
        const double cloud = CloudShare(PartOf(frame, left, top, left + 76, top + 56));
        if (cloud <= 0.1 || cloud >= 0.995)
            return "cloud over " + std::to_string(cloud) + " of the quarter at " +
                   std::to_string(left) + ", " + std::to_string(top);
    }
    const int places = CountStars(frame).places;
    return places >= 3 ? "" : "stars in " + std::to_string(places) + " places";
}

// The preview on the named screen: a child window covering the host that draws the
// scene, ended by the host's end. Under Wine the drawing of a child of another
// process's window does not reach the desktop, so its frames are read from the
// preview's own F12 screenshots (the stars come on over its first seconds): the child
// has the keyboard focus of the host's thread, with which it shares its input as a
// child window does.
void ExpectPreviewInsideTheHost(const std::string& screenName) {
    HWND host = MakeHostWindow();
    ASSERT_NE(host, nullptr);
    RemoveScreenshots();
    ScrSession session;
    ASSERT_TRUE(session.Start(" /p " + std::to_string(reinterpret_cast<uintptr_t>(host))));
    HWND child = nullptr;
    ASSERT_TRUE(session.WaitUntil(
        [&] {
            child = GetWindow(host, GW_CHILD);
            return child && IsWindowVisible(child);
        },
        30000));
    RECT childRect = {};
    GetWindowRect(child, &childRect);
    EXPECT_EQ(childRect.left, 100);
    EXPECT_EQ(childRect.top, 100);
    EXPECT_EQ(childRect.right - childRect.left, 152);
    EXPECT_EQ(childRect.bottom - childRect.top, 112);
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    SetForegroundWindow(host);
    SetFocus(child);
    ASSERT_EQ(GetFocus(), child);
    Shot frame;
    const DWORD start = GetTickCount();
    do {
        const std::vector<std::string> before = Screenshots();
        PressKey(VK_F12);
        // Read once the file is whole.
        ASSERT_TRUE(session.WaitUntil(
            [&] {
                const std::string name = NewScreenshot(before);
                frame =
                    name.empty() ? Shot() : ReadBmp24(TestProgramDirectory() + "ScrShots\\" + name);
                return !frame.pixels.empty();
            },
            15000));
    } while (!PreviewFault(frame).empty() && GetTickCount() - start < 20000);
    EXPECT_EQ(PreviewFault(frame), "");
    DestroyWindow(host);
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut) << "the preview outlived its host";

    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "INIT : Trying to setup preview window from config file"));
    EXPECT_TRUE(HasLine(
        log, "SCREEN : Starting video mode : 152x112x0 in window mode using " + screenName));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    UnregisterClassA("NovadriftPreviewHost", GetModuleHandleA(nullptr));
}

TEST(ScrSaver, PreviewDrawsTheSceneInsideTheHostAndEndsWithIt) {
    ChooseOpenGl();
    ExpectPreviewInsideTheHost("Standard opengl");
}

TEST(ScrSaver, PreviewOnDirect3DDrawsTheSceneInsideTheHostAndEndsWithIt) {
    // Without settings the first screen that draws in a window: Direct3D under Wine.
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
    ExpectPreviewInsideTheHost("Direct 3d");
}

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
        std::vector<std::string> log = RunLog();
        EXPECT_TRUE(HasLine(log, "INIT : Register class")) << arguments;
        EXPECT_FALSE(HasLine(log, "INIT : Entering startup")) << arguments;
        EXPECT_FALSE(HasLine(log, "INIT :  ----- Entering main loop -----")) << arguments;
        EXPECT_TRUE(HasLine(log, "EXIT : xExit - done")) << arguments;
        // The settings file is still written at the end of such a run.
        EXPECT_EQ(ReadFileText(settingsPath).size(), 386u) << arguments;
    }
}

// About ten seconds of the screensaver: 50 animation steps a second whatever the frames,
// told after the main loop and before the shutdown, with the pace chosen at the start.
TEST(ScrSaver, FiftyAnimationStepsASecond) {
    ChooseOpenGl();
    ScrSession session;
    ASSERT_TRUE(StartSaver(session));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    const unsigned loaded = session.Elapsed();
    session.WaitUntil([&] { return session.Elapsed() - loaded >= 10000; }, 20000);
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_SPACE);
    EXPECT_FALSE(session.Finish(15000).timedOut);
    const std::vector<std::string> log = RunLog();
    long hz = 0, frames = 0, steps = 0;
    double seconds = 0.0;
    char pacing[14] = "";
    std::string order;  // pacing, loop end, figures, shutdown
    for (const std::string& line : log) {
        if (std::sscanf(line.c_str(), "INIT : Frame pacing : %ld Hz, %13[a-z ]", &hz, pacing) == 2)
            order = order.empty() ? "p" : order;  // the pace kept is logged again
        if (line.rfind("EXIT : ------ Exiting main loop", 0) == 0) order += 'l';
        if (std::sscanf(line.c_str(),
                        "EXIT : Frames drawn : %ld, animation steps : %ld, seconds : %lf", &frames,
                        &steps, &seconds) == 3)
            order += 'f';
        if (line == "EXIT : Entering shutdown") order += 's';
    }
    EXPECT_EQ(order, "plfs");
    EXPECT_TRUE(hz > 0 &&
                (pacing == std::string("vertical sync") || pacing == std::string("timer")));
    EXPECT_GE(seconds, 9.5);
    EXPECT_GT(frames, 0);
    EXPECT_NEAR(steps / seconds, 50.0, 1.0) << steps << " steps in " << seconds << " s";
}

}  // namespace
