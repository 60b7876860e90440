// The Direct3D screen in the program under Wine (wined3d over Mesa), where it is the
// first screen and so what the default settings give: the enumeration in the log, full
// screen at 640x480x16, the star field, an F12 screenshot of what is on screen, the
// release at the end and the choice kept in the settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// Share of the 16 x 16 blocks whose mean colour differs by more than `tolerance` in a
// channel. The screenshot holds a frame a moment older than the screen (stars move a
// few pixels a frame, so blocks compare where single pixels would not).
double DifferentBlocks(const Shot& a, const Shot& b, int tolerance) {
    int blocks = 0, different = 0;
    for (int top = 0; top + 16 <= a.height; top += 16)
        for (int left = 0; left + 16 <= a.width; left += 16) {
            long sum[2][3] = {};
            for (int y = top; y < top + 16; ++y)
                for (int x = left; x < left + 16; ++x)
                    for (int k = 0; k < 2; ++k) {
                        const Pixel& p = (k ? b : a).At(x, y);
                        sum[k][0] += p.r;
                        sum[k][1] += p.g;
                        sum[k][2] += p.b;
                    }
            ++blocks;
            for (int c = 0; c < 3; ++c)
                if (std::abs(sum[0][c] - sum[1][c]) > 256 * tolerance) {
                    ++different;
                    break;
                }
        }
    return blocks ? double(different) / blocks : 1.0;
}

// The picture upside down, or with red and blue swapped: what a wrong screenshot would
// hold.
Shot Flipped(const Shot& shot) {
    Shot flipped = shot;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            flipped.pixels[size_t(y) * size_t(shot.width) + size_t(x)] =
                shot.At(x, shot.height - 1 - y);
    return flipped;
}

Shot Swapped(const Shot& shot) {
    Shot swapped = shot;
    for (Pixel& pixel : swapped.pixels) std::swap(pixel.r, pixel.b);
    return swapped;
}

// A saved full-screen mode of 640x480x16 and no screen chosen: the Direct3D screen,
// first under Wine, sets the mode and flips.
TEST(ScrDirect3D, AFullScreenSettingDrawsTheStarFieldFullScreenWithDirect3D) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    WriteSettingsFile(settingsPath, SettingsValues());
    RemoveScreenshots();
    const std::vector<std::string> shotsBefore = Screenshots();
    ScrSession session;
    ASSERT_TRUE(session.Start(" /s"));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    // The display has the mode's size (the virtual desktop tells every depth as its own).
    const DisplayMode display = CurrentDisplayMode();
    EXPECT_EQ(display.width, 640);
    EXPECT_EQ(display.height, 480);
    Shot first, second, onScreen;
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
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_F12);
    // The screenshot is on disk: the screen now shows the frames just after it.
    ASSERT_TRUE(session.WaitUntil([&] { return !NewScreenshot(shotsBefore).empty(); }, 15000));
    onScreen = CaptureScrWindow();
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey('A');
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);

    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "SCREEN : Direct 3d devices found:"));
    auto selected = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("SCREEN : Default device selected : ", 0) == 0;
    });
    ASSERT_NE(selected, log.end());
    std::string device =
        selected->substr(std::string("SCREEN : Default device selected : ").size());
    EXPECT_FALSE(device.empty());
    EXPECT_TRUE(HasLine(log, "SCREEN :    " + device)) << "the default is a listed device";
    for (const char* line :
         {"INIT : Found one. Using : Direct 3d",
          "SCREEN : Starting video mode : 640x480x16 in fullscreen mode using Direct 3d",
          "SCREEN : Setting display mode", "SCREEN : Create z buffer",
          "EXIT : Screensaver - WM_CLOSE", "EXIT : ExitMode()", "EXIT : Freeing active mode",
          "EXIT : Cleaning up screen", "EXIT : xExit - done"})
        EXPECT_TRUE(HasLine(log, line)) << line;
    // The display mode was set (the virtual desktop has it), and every object released.
    EXPECT_FALSE(HasLineStarting(log, "WARNING : Unable to change the display"));
    EXPECT_FALSE(HasLineStarting(log, "WARNING : D3DDevice object is still referenced"));
    EXPECT_FALSE(HasLineStarting(log, "WARNING : DDraw object is still referenced"));

    ExpectMovingStarField(first, second);
    EXPECT_EQ(first.width, 640);
    EXPECT_EQ(first.height, 480);

    // F12 saved a 24-bit picture of the whole frame that matches the screen.
    ASSERT_EQ(Screenshots().size(), shotsBefore.size() + 1);
    Shot saved = ReadBmp24(TestProgramDirectory() + "ScrShots\\" + NewScreenshot(shotsBefore));
    ASSERT_EQ(saved.width, 640);
    ASSERT_EQ(saved.height, 480);
    ASSERT_EQ(onScreen.width, 640);
    ASSERT_EQ(onScreen.height, 480);
    EXPECT_EQ(StarFieldFault(saved), "");
    // The intro moves between the two (its logo covers about 7 % of the blocks); the
    // same picture flipped or with its channels swapped would differ in far more.
    const double same = DifferentBlocks(saved, onScreen, 12);
    const double flipped = DifferentBlocks(Flipped(saved), onScreen, 12);
    const double swapped = DifferentBlocks(Swapped(saved), onScreen, 12);
    EXPECT_LT(same, 0.15);
    EXPECT_GT(flipped, 0.3) << same;
    EXPECT_GT(swapped, 0.3) << same;

    // The settings file keeps the Direct3D screen and its device.
    std::string bytes = ReadFileText(settingsPath);
    ASSERT_EQ(bytes.size(), 386u);
    const std::string selection = bytes.substr(37 + 93, 128);
    EXPECT_EQ(uint8_t(selection[4]), 3);
    EXPECT_EQ(uint8_t(selection[64]), 1);
    EXPECT_NE(selection.substr(68, 16), std::string(16, '\0')) << "the device's GUID";
}

}  // namespace

namespace {

TEST(ScrDirect3D, ClosingTheWindowShutsDownInOrder) {
    // The editor's close destroys the window before the screen is closed: DirectDraw
    // lets go of it first.
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    std::vector<std::string> log = RunLog();
    auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line); };
    EXPECT_NE(at("INIT : Found one. Using : Direct 3d"), log.end());
    ASSERT_NE(at("EXIT : xExit - done"), log.end());
    EXPECT_LT(at("EXIT : ExitMode()"), at("EXIT : Freeing active mode"));
    EXPECT_LT(at("EXIT : Freeing active mode"), at("EXIT : Cleaning up screen"));
    EXPECT_LT(at("EXIT : Cleaning up screen"), at("EXIT : xExit - done"));
    EXPECT_FALSE(HasLineStarting(log, "WARNING : D3DDevice object is still referenced"));
    EXPECT_FALSE(HasLineStarting(log, "WARNING : DDraw object is still referenced"));
}

}  // namespace
