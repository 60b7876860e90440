// Full screen on a display that cannot change its mode: plain Xvfb with one 1024 x 768
// mode, without Wine's virtual desktop (which emulates every mode). CTest runs these
// through scripts/plain-desktop.sh, which switches the Wine prefix to the plain desktop
// for them and back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

struct DesktopRun {
    ScrRun run;
    Shot root;  // the X screen while the saver ran
    std::vector<std::string> log;
};

// What keeps the scene from covering the whole screen, empty when nothing does: stars
// and the cloud in each quarter of it.
std::string WholeScreenFault(const Shot& root) {
    if (root.width != 1024 || root.height != 768)
        return "a shot of " + std::to_string(root.width) + "x" + std::to_string(root.height);
    return QuartersFault(root, 0, 0, 1024, 768);
}

// The screensaver proper, the X screen taken once the scene covers it (or at the
// ceiling), then a key.
DesktopRun RunSaverOnThePlainDesktop() {
    DesktopRun result;
    ScrSession session;
    EXPECT_TRUE(session.Start(" /s"));
    EXPECT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    session.WaitUntil(
        [&] {
            result.root = CaptureXRoot();
            return WholeScreenFault(result.root).empty();
        },
        30000);
    EXPECT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey('A');
    result.run = session.Finish(30000);
    result.log = RunLog();
    return result;
}

void ExpectEndedByTheKeyWithoutABox(const DesktopRun& result) {
    ASSERT_TRUE(result.run.started);
    EXPECT_FALSE(result.run.timedOut);
    EXPECT_TRUE(result.run.boxes.empty())
        << result.run.boxes[0].caption << ": " << result.run.boxes[0].text;
    EXPECT_TRUE(HasLine(result.log, "EXIT : Screensaver - WM_CLOSE"));
    EXPECT_TRUE(HasLine(result.log, "EXIT : xExit - done"));
    // No display mode was changed, so none is restored.
    EXPECT_FALSE(HasLine(result.log, "EXIT : Restoring screen resolution"));
}

// The saver on the named screen in the mode the display lacks: over the whole screen.
void ExpectDrawnOverTheDesktop(const std::string& screenName, const std::string& modeName) {
    DesktopRun result = RunSaverOnThePlainDesktop();
    ExpectEndedByTheKeyWithoutABox(result);
    EXPECT_TRUE(HasLine(result.log, "SCREEN : Starting video mode : " + modeName +
                                        " in fullscreen mode using " + screenName));
    EXPECT_TRUE(HasLine(result.log, "WARNING : Unable to change the display to " + modeName +
                                        ", drawing over the desktop at 1024x768"));
    EXPECT_EQ(WholeScreenFault(result.root), "");
}

// The default settings: the desktop mode on the Direct3D screen, first under Wine; no
// mode is asked for, so none is missed.
TEST(PlainXvfb, DefaultSettingsDrawOverTheWholeScreen) {
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
    DesktopRun result = RunSaverOnThePlainDesktop();
    ExpectEndedByTheKeyWithoutABox(result);
    EXPECT_TRUE(HasLine(result.log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                        " in window mode using Direct 3d"));
    EXPECT_FALSE(std::any_of(result.log.begin(), result.log.end(), [](const std::string& line) {
        return line.rfind("WARNING : Unable to change the display", 0) == 0;
    }));
    EXPECT_EQ(WholeScreenFault(result.root), "");
}

TEST(PlainXvfb, AFullScreenModeTheDisplayLacksDrawsOverTheWholeScreenWithDirect3D) {
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", SettingsValues());
    ExpectDrawnOverTheDesktop("Direct 3d", "640x480x16");
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
}

TEST(PlainXvfb, AModeTheDisplayLacksDrawsOverTheWholeScreenWithOpenGl) {
    SettingsValues settings;
    settings.width = 800;
    settings.height = 600;
    settings.bits = 32;
    settings.screenKind = 1;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", settings);
    ExpectDrawnOverTheDesktop("Standard opengl", "800x600x32");
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
}

}  // namespace
