// The display mode as each screen of the real program sets it, seen by another program
// as a user's desktop has it. Under Wine's virtual desktop modes are emulated, but none
// has 24 bits: a mode asked for at 24 bits is set at the desktop's depth. The editor
// runs (losing the front does not end it), another window takes the front and gives it
// back, and the run is closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

HWND SaverWindow() {
    return FindWindowA("Novadrift", nullptr);
}

// A window of another program, which the user switches to.
class OtherWindow {
public:
    OtherWindow()
        : window(CreateWindowExA(0, "STATIC", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 300, 200, nullptr, nullptr, nullptr, nullptr)) {}
    ~OtherWindow() { DestroyWindow(window); }
    void TakeFront() { SetForegroundWindow(window); }

private:
    HWND window;
};

// The saver brought back as the task bar does: restored when minimised, then in front.
void BringBack() {
    HWND window = SaverWindow();
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

bool DisplayIs(const std::string& name) {
    return ModeName(CurrentDisplayMode()) == name;
}

void ExpectTheModeSetGivenBackAndTakenAgain(int screenKind, const std::string& screenName) {
    const std::string desktop = ModeName(CurrentDisplayMode());
    ASSERT_EQ(desktop, "1024x768x32");
    DEVMODEA asked = {};
    asked.dmSize = sizeof asked;
    asked.dmPelsWidth = 800;
    asked.dmPelsHeight = 600;
    asked.dmBitsPerPel = 24;
    asked.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    ASSERT_NE(ChangeDisplaySettingsA(&asked, CDS_TEST), DISP_CHANGE_SUCCESSFUL)
        << "the display has 24-bit modes: the depth's retry goes untested";
    SettingsValues settings;
    settings.width = 800;
    settings.height = 600;
    settings.bits = 24;
    settings.screenKind = screenKind;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", settings);

    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    EXPECT_TRUE(DisplayIs("800x600x32")) << ModeName(CurrentDisplayMode());
    RECT rect = {};
    GetWindowRect(SaverWindow(), &rect);
    EXPECT_EQ(rect.right - rect.left, 800);
    EXPECT_EQ(rect.bottom - rect.top, 600);

    // Another program in front has the desktop's mode, the saver minimised.
    OtherWindow other;
    other.TakeFront();
    EXPECT_TRUE(
        session.WaitUntil([&] { return DisplayIs(desktop) && IsIconic(SaverWindow()); }, 10000))
        << ModeName(CurrentDisplayMode());
    // The saver in front again: its mode again, and its scene drawn again, textures and
    // all, and moving on (Space hides the editor's panel).
    BringBack();
    EXPECT_TRUE(session.WaitUntil([] { return DisplayIs("800x600x32"); }, 10000))
        << ModeName(CurrentDisplayMode());
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_SPACE);
    const RECT screen = {0, 0, 800, 600};
    Shot first, later;
    EXPECT_TRUE(session.WaitUntil(
        [&] {
            first = CaptureScreen(screen);
            return StarFieldFault(first).empty();
        },
        15000))
        << StarFieldFault(first);
    EXPECT_TRUE(session.WaitUntil(
        [&] {
            later = CaptureScreen(screen);
            return MovedOn(first, later);
        },
        10000))
        << "no frames after coming back";

    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(DisplayIs(desktop)) << ModeName(CurrentDisplayMode());
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(
        log, "SCREEN : Starting video mode : 800x600x24 in fullscreen mode using " + screenName));
    for (const std::string& line : log)
        EXPECT_EQ(line.rfind("WARNING : Unable to change the display", 0), std::string::npos);
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
}

TEST(ScrDisplay, OpenGlSetsTheModeAtTheDesktopsDepthGivesItBackWhileAwayAndAtTheEnd) {
    ExpectTheModeSetGivenBackAndTakenAgain(1, "Standard opengl");
}

TEST(ScrDisplay, Direct3DSetsTheModeAtTheDesktopsDepthGivesItBackWhileAwayAndAtTheEnd) {
    ExpectTheModeSetGivenBackAndTakenAgain(3, "Direct 3d");
}

}  // namespace
