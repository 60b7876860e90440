#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "scr_driver.h"

namespace {

const char kUnreadable[] = "Unable to read the configuration file.\nUsing default values";

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// A run without a switch whose window is closed once its scene has loaded; it must end
// that way.
ScrRun RunAndClose() {
    ScrSession session;
    EXPECT_TRUE(session.Start(""));
    EXPECT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    return run;
}

// No settings from an earlier run: the screen is found afresh and opens the desktop mode,
// with no change of the display mode. Without DirectX the Direct3D screen, first where
// it is there, stays out of the list. The settings file then keeps the screen really
// used, which the next run opens again.
TEST(ScrOpenGl, OpensTheDesktopShutsDownInOrderAndKeepsTheScreenInTheSettings) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    DeleteFileA(settingsPath.c_str());
    {
        NoDirectDraw withoutDirectX;
        RunAndClose();
    }
    std::vector<std::string> log = RunLog();
    for (const char* start :
         {"INIT : No direct X installed", "INIT : Found one. Using : Standard opengl",
          "SCREEN : Successfully loaded OpenGl driver : opengl32.dll", "SCREEN : Vendor     : ",
          "SCREEN : Renderer   : ", "SCREEN : Video mode setup was successfull",
          "INIT :  ----- Entering main loop -----", "EXIT : xHandler return FALSE. Quiting.",
          "EXIT : ExitMode()", "EXIT : Exiting ogl", "EXIT : xExit - done"})
        EXPECT_TRUE(HasLineStarting(log, start)) << start;
    EXPECT_TRUE(HasLineStarting(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                         " in window mode using Standard opengl"));
    EXPECT_FALSE(HasLineStarting(log, "EXIT : Restoring screen resolution"));
    EXPECT_FALSE(HasLineStarting(log, "RAW:Error"));
    // The background shipped beside the program is the one shown.
    EXPECT_TRUE(HasLineStarting(log, "INIT : Loading background"));
    EXPECT_FALSE(HasLineStarting(log, "INIT : Unable to load background"));

    std::string bytes = ReadFileText(settingsPath);
    ASSERT_EQ(bytes.size(), 386u);
    // The screen selection starts at offset 37 + 93 of the file.
    const unsigned char* selection = reinterpret_cast<const unsigned char*>(bytes.data()) + 37 + 93;
    auto u16 = [&](int at) { return selection[at] | selection[at + 1] << 8; };
    EXPECT_EQ(u16(0), 1);  // valid
    EXPECT_EQ(u16(4), 1);  // the standard OpenGL screen
    EXPECT_EQ(u16(6), 3);  // the desktop mode, the default without a settings file
    EXPECT_EQ(
        std::to_string(u16(8)) + "x" + std::to_string(u16(10)) + "x" + std::to_string(u16(12)),
        DesktopModeName());
    EXPECT_EQ(u16(64), 1);  // the OpenGL screen's device part

    // With DirectX there again, the saved choice still opens the OpenGL screen.
    RunAndClose();
    log = RunLog();
    EXPECT_TRUE(HasLineStarting(log, "INIT : Trying to setup screen from config file"));
    EXPECT_FALSE(HasLineStarting(log, "INIT : Failed. So trying to find a compatible screen"));
    EXPECT_TRUE(HasLineStarting(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                         " in window mode using Standard opengl"));
}

}  // namespace

namespace {

TEST(ScrOpenGl, AnUnreadableSettingsFileGivesTheInfoBoxAndDefaults) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    {
        std::ofstream broken(settingsPath, std::ios::binary);
        broken << "width=800 height=600\n";
    }
    NoDirectDraw withoutDirectX;
    // The scene's loading clears what start-up tolerated: the reason is not shown again
    // when the run ends.
    ExpectedBox info("Info", kUnreadable);
    ScrRun run = RunAndClose();
    EXPECT_EQ(run.boxes.size(), 1u);
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLineStarting(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                         " in window mode using Standard opengl"));
    // The run wrote a good file over the broken one.
    EXPECT_EQ(ReadFileText(settingsPath).size(), 386u);
}

}  // namespace

namespace {

std::string Le32Bytes(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += char((value >> (8 * i)) & 0xff);
    return bytes;
}

TEST(ScrOpenGl, DamagedSettingsAndBackgroundFilesLoseOnlyWhatIsDamaged) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    // A settings file cut short: its header chunk stops 100 bytes early.
    std::string header(349, '\0');
    header[0] = 1;
    std::string settings = std::string("XIFF\0", 5) + Le32Bytes(377) +
                           std::string("NOVADRIFTCFG\0", 13) + Le32Bytes(360) +
                           std::string("HEADER\0", 7) + Le32Bytes(349) + header;
    std::ofstream(settingsPath, std::ios::binary) << settings.substr(0, settings.size() - 100);
    // The background file cut in its last third.
    RestoredFile background(TestProgramDirectory() + "BGround.qvb");
    ASSERT_GT(background.Bytes().size(), 1000u);
    std::ofstream(TestProgramDirectory() + "BGround.qvb", std::ios::binary)
        << background.Bytes().substr(0, background.Bytes().size() * 2 / 3);

    // Without a settings file to choose it, the OpenGL screen is the first one only
    // without DirectX.
    NoDirectDraw withoutDirectX;
    // The "Info" box and nothing else: the file was damaged, not of another kind.
    ExpectedBox info("Info", kUnreadable);
    ScrRun run = RunAndClose();
    EXPECT_EQ(run.boxes.size(), 1u);
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLineStarting(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                         " in window mode using Standard opengl"));
    // The complete channels of the cut background were loaded.
    EXPECT_TRUE(HasLineStarting(log, "INIT : Loading background"));
    EXPECT_FALSE(HasLineStarting(log, "INIT : Unable to load background"));
    EXPECT_EQ(ReadFileText(settingsPath).size(), 386u);
}

}  // namespace
