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

// A 24-bit BMP file as a picture (rows stored bottom-up, blue first, padded to 4 bytes).
Shot ReadBmp24(const std::string& bytes) {
    Shot shot;
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 || uint8_t(bytes[28]) != 24)
        return shot;
    shot.width = int(Le32(bytes, 18));
    shot.height = int(Le32(bytes, 22));
    size_t pitch = (size_t(shot.width) * 3 + 3) & ~size_t(3);
    size_t start = Le32(bytes, 10);
    if (bytes.size() < start + pitch * size_t(shot.height)) return Shot();
    for (int y = 0; y < shot.height; ++y) {
        const uint8_t* row =
            reinterpret_cast<const uint8_t*>(bytes.data()) + start + pitch * (shot.height - 1 - y);
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back({row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    return shot;
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

// A saved full-screen mode of 640x480x16 and no screen chosen: the Direct3D screen,
// first under Wine, sets the mode and flips.
TEST(ScrDirect3D, AFullScreenSettingDrawsTheStarFieldFullScreenWithDirect3D) {
    std::string settingsPath = TestProgramDirectory() + "novadrift.cfg";
    WriteSettingsFile(settingsPath, SettingsValues());
    RemoveRunLog();
    std::vector<std::string> shotsBefore = Screenshots();
    Shot first, second, onScreen;
    unsigned loadedAt = 0, firstAt = 0;
    bool f12 = false, ended = false;
    ScrRun run = RunScr(" /s", 90000, "", [&](unsigned elapsed) {
        bool active = GetForegroundWindow() == FindWindowA("Novadrift", nullptr);
        if (!loadedAt && HasLine(RunLog(), "INIT : Exiting vx_init")) loadedAt = elapsed;
        if (!loadedAt) return;
        if (first.pixels.empty() && elapsed >= loadedAt + 3000) {
            first = CaptureScrWindow();
            firstAt = elapsed;
        } else if (!first.pixels.empty() && second.pixels.empty() && elapsed >= firstAt + 1000) {
            second = CaptureScrWindow();
        } else if (!second.pixels.empty() && !f12 && active) {
            PressKey(VK_F12);
            f12 = true;
        } else if (f12 && onScreen.pixels.empty() && Screenshots().size() > shotsBefore.size()) {
            // The screenshot is on disk: the screen now shows the frames just after it.
            onScreen = CaptureScrWindow();
        } else if (!onScreen.pixels.empty() && !ended && active) {
            PressKey('A');
            ended = true;
        }
    });
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;

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
    std::vector<std::string> shots = Screenshots();
    ASSERT_EQ(shots.size(), shotsBefore.size() + 1);
    std::string newest;
    for (const std::string& name : shots)
        if (std::find(shotsBefore.begin(), shotsBefore.end(), name) == shotsBefore.end())
            newest = name;
    Shot saved = ReadBmp24(ReadFileText(TestProgramDirectory() + "ScrShots\\" + newest));
    ASSERT_EQ(saved.width, 640);
    ASSERT_EQ(saved.height, 480);
    ASSERT_EQ(onScreen.width, 640);
    ASSERT_EQ(onScreen.height, 480);
    EXPECT_GT(CountStars(saved).places, 8);
    EXPECT_GT(CloudShare(saved), 0.15);
    // The intro moves between the two (its logo covers about 7 % of the blocks); a
    // flipped or channel-swapped picture differs in more than half of them.
    EXPECT_LT(DifferentBlocks(saved, onScreen, 12), 0.15);

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
    RemoveRunLog();
    unsigned loadedAt = 0;
    bool closed = false;
    ScrRun run = RunScr("", 60000, "", [&](unsigned elapsed) {
        if (!loadedAt && HasLine(RunLog(), "INIT : Exiting vx_init")) loadedAt = elapsed;
        if (loadedAt && !closed && elapsed >= loadedAt + 1000) closed = CloseScrWindow();
    });
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
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
