// The star field as the user sees it on the OpenGL screen: Novadrift.scr runs full
// screen with the editor hidden, and its window's pixels are read back from the desktop
// with GDI, twice, a second apart.
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
    Shot first, second;
    unsigned firstAt = 0;
    bool closed = false;
    unsigned windowSeen = 0;
    RemoveRunLog();
    ScrRun run = RunScr("", 90000, "", [&](unsigned elapsed) {
        // Once loaded, Space hides the editor: the star field has the whole screen.
        if (!windowSeen && SaverWindowActive() && HasLine(RunLog(), "INIT : Exiting vx_init")) {
            PressKey(VK_SPACE);
            windowSeen = elapsed;
        }
        // A few seconds in, so the first frames (and any mode change) are over.
        if (windowSeen && first.pixels.empty() && elapsed >= windowSeen + 4000) {
            first = CaptureScrWindow();
            firstAt = elapsed;
        } else if (!first.pixels.empty() && second.pixels.empty() && elapsed >= firstAt + 1000) {
            second = CaptureScrWindow();
        } else if (!second.pixels.empty() && !closed) {
            closed = CloseScrWindow();
        }
    });
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    ExpectMovingStarField(first, second);

    std::vector<std::string> log =
        LogBodies(ReadFileText(TestProgramDirectory() + "Novadrift.log"));
    EXPECT_TRUE(HasLine(log, "INIT : Creating animator"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting background"));
    EXPECT_TRUE(HasLine(log, "EXIT : Freeing VxAnimator"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    // The cloud texture is made anew every frame without a word in the log.
    EXPECT_FALSE(HasLine(log, "WARNING : Using slow 24 to 24 conversion"));
}

}  // namespace
