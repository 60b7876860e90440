#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scr_driver.h"

namespace {

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST(ScrOpenGl, OpensFullScreenRunsAndShutsDownInOrderWhenClosed) {
    bool closed = false;
    ScrRun run = RunScr("", 60000, "", [&](unsigned elapsed) {
        if (!closed && elapsed >= 3000) closed = CloseScrWindow();
    });
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    std::vector<std::string> log =
        LogBodies(ReadFileText(TestProgramDirectory() + "Novadrift.log"));
    for (const char* start :
         {"INIT : Found one. Using : Standard opengl",
          "SCREEN : Starting video mode : 640x480x16 in fullscreen mode using Standard opengl",
          "SCREEN : Successfully loaded OpenGl driver : opengl32.dll", "SCREEN : Vendor     : ",
          "SCREEN : Renderer   : ", "SCREEN : Video mode setup was successfull",
          "INIT :  ----- Entering main loop -----", "EXIT : xHandler return FALSE. Quiting.",
          "EXIT : ExitMode()", "EXIT : Restoring screen resolution", "EXIT : Exiting ogl",
          "EXIT : xExit - done"})
        EXPECT_TRUE(HasLineStarting(log, start)) << start;
    EXPECT_FALSE(HasLineStarting(log, "RAW:Error"));
}

}  // namespace
