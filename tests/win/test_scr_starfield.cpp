// The star field as the user sees it on the OpenGL screen: Novadrift.scr runs full
// screen with the editor hidden, and its window's pixels are read back from the desktop
// with GDI: a frame that shows it, and a later one that has moved on.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

TEST(ScrStarField, TheMovingStarFieldIsDrawnOverTheCloudAndTiledLayers) {
    SettingsValues openGl;
    openGl.screenKind = 1;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", openGl);
    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    // Once loaded, Space hides the editor: the star field has the whole screen.
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_SPACE);
    Shot first, second;
    ASSERT_TRUE(session.WaitUntil(
        [&] {
            first = CaptureScrWindow();
            return StarFieldFault(first).empty();
        },
        30000))
        << StarFieldFault(first);
    ASSERT_TRUE(session.WaitUntil(
        [&] {
            second = CaptureScrWindow();
            return MovedOn(first, second) && StarFieldFault(second).empty();
        },
        15000));
    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    ExpectMovingStarField(first, second);

    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "INIT : Creating animator"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting background"));
    EXPECT_TRUE(HasLine(log, "EXIT : Freeing VxAnimator"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    // The cloud texture is made anew every frame without a word in the log.
    EXPECT_FALSE(HasLine(log, "WARNING : Using slow 24 to 24 conversion"));
}

}  // namespace
