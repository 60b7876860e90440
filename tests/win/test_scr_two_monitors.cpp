// The saver on a display of two monitors: 1024 x 768 (4:3, primary) at 0, 0 and
// 1280 x 720 (16:9) at 1024, 0, as Wine reports an X display of two Xinerama screens
// without RandR. CTest runs these through scripts/two-monitors.sh, which makes that
// display for them. Pixels come from the X root window, both monitors at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

struct Monitor {
    int left, top, width, height;
};
const Monitor kPrimary = {0, 0, 1024, 768};
const Monitor kSecond = {1024, 0, 1280, 720};

std::string SettingsPath() {
    return TestProgramDirectory() + "novadrift.cfg";
}

// Settings that choose a screen (1 OpenGL, 3 Direct3D) in the desktop mode.
void ChooseDesktopOn(int32_t screenKind) {
    SettingsValues values;
    values.screenKind = screenKind;
    values.displayMode = 3;
    WriteSettingsFile(SettingsPath(), values);
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// ---------------------------------------------------------------- star shapes

// Near-white pixels joined side by side, as the star field's stars show.
struct Blob {
    int left, top, right, bottom;  // inclusive
    int pixels;
};

bool Bright(const Pixel& p) {
    return std::min({p.r, p.g, p.b}) >= 170;
}

// The rows the intro's logo and lines of text may cover (those of the virtual screen
// between 190 and 320 and from 430 down): no star is measured there.
bool IntroRow(int y, int height) {
    const int virtualY = y * 480 / height;
    return (virtualY >= 190 && virtualY < 320) || virtualY >= 430;
}

std::vector<Blob> StarBlobs(const Shot& shot) {
    std::vector<Blob> blobs;
    std::vector<char> seen(shot.pixels.size(), 0);
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const size_t at = size_t(y) * size_t(shot.width) + size_t(x);
            if (seen[at] || !Bright(shot.At(x, y))) continue;
            Blob blob = {x, y, x, y, 0};
            bool clear = true;
            stack.assign(1, {x, y});
            seen[at] = 1;
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                ++blob.pixels;
                blob.left = std::min(blob.left, px);
                blob.right = std::max(blob.right, px);
                blob.top = std::min(blob.top, py);
                blob.bottom = std::max(blob.bottom, py);
                clear = clear && !IntroRow(py, shot.height) && px > 0 && py > 0 &&
                        px < shot.width - 1 && py < shot.height - 1;
                const int next[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
                for (const auto& step : next) {
                    const int nx = px + step[0], ny = py + step[1];
                    if (nx < 0 || ny < 0 || nx >= shot.width || ny >= shot.height) continue;
                    const size_t n = size_t(ny) * size_t(shot.width) + size_t(nx);
                    if (seen[n] || !Bright(shot.At(nx, ny))) continue;
                    seen[n] = 1;
                    stack.push_back({nx, ny});
                }
            }
            const int width = blob.right - blob.left + 1, height = blob.bottom - blob.top + 1;
            // Stars large enough to have a shape, whole, and not two run together.
            if (clear && width >= 3 && height >= 3 && width <= 60 && height <= 60)
                blobs.push_back(blob);
        }
    return blobs;
}

// The width over height of every star whole enough to measure.
std::vector<double> Aspects(const Shot& shot) {
    std::vector<double> aspects;
    for (const Blob& blob : StarBlobs(shot))
        aspects.push_back(double(blob.right - blob.left + 1) / double(blob.bottom - blob.top + 1));
    return aspects;
}

// The mean of the middle half of the values; 0 without values. The aspects of small
// stars are ratios of small whole numbers: their median jumps between a few of them,
// while the middle half's mean moves little for a blob more or less.
double MiddleMean(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t first = values.size() / 4, last = values.size() - values.size() / 4;
    double sum = 0.0;
    for (size_t i = first; i < last; ++i) sum += values[i];
    return sum / double(last - first);
}

Shot MonitorPart(const Shot& root, const Monitor& monitor) {
    return PartOf(root, monitor.left, monitor.top, monitor.left + monitor.width,
                  monitor.top + monitor.height);
}

// What keeps the scene from covering the monitor, empty when nothing does: stars and
// the cloud in every quarter of it.
std::string SceneFault(const Shot& root, const Monitor& monitor) {
    if (root.width < monitor.left + monitor.width || root.height < monitor.top + monitor.height)
        return "a shot of " + std::to_string(root.width) + "x" + std::to_string(root.height);
    return QuartersFault(root, monitor.left, monitor.top, monitor.width, monitor.height);
}

std::string BothMonitorsFault(const Shot& root) {
    const std::string primary = SceneFault(root, kPrimary);
    if (!primary.empty()) return "4:3 monitor, " + primary;
    const std::string second = SceneFault(root, kSecond);
    return second.empty() ? "" : "16:9 monitor, " + second;
}

// ---------------------------------------------------------------- the screensaver

struct SaverRun {
    ScrRun run;
    Shot root;
    std::vector<std::string> log;
    // The stars' shapes on each monitor, over as many frames as it took to see enough.
    std::vector<double> squareAspects, wideAspects;
    bool moved = false;
    // From the window's making to the close the movement asked for, and to the first
    // move (which waits for the stars' shapes, slow on a busy machine).
    double graceSeconds = 0, firstMoveSeconds = 0;
};

// The screensaver proper: the X screen taken once the scene covers both monitors (or
// at the ceiling), then the pointer moved over the second monitor, back and forth a
// tenth of a second apart, until the run ends.
SaverRun RunSaverAndMoveOverTheSecondMonitor() {
    SaverRun result;
    ScrSession session;
    if (session.Start(" /s") && session.WaitForLogLine("INIT : Exiting vx_init")) {
        session.WaitUntil(
            [&] {
                result.root = CaptureXRoot();
                return BothMonitorsFault(result.root).empty();
            },
            30000);
        // A small star is a few pixels across, its width over height a ratio of small
        // numbers: its shape is told over many of them.
        session.WaitUntil(
            [&] {
                const Shot root = CaptureXRoot();
                if (!BothMonitorsFault(root).empty()) return false;
                for (double aspect : Aspects(MonitorPart(root, kPrimary)))
                    result.squareAspects.push_back(aspect);
                for (double aspect : Aspects(MonitorPart(root, kSecond)))
                    result.wideAspects.push_back(aspect);
                return result.squareAspects.size() >= 120 && result.wideAspects.size() >= 120;
            },
            30000);
        DWORD movedAt = GetTickCount() - 100;
        int moves = 0;
        result.firstMoveSeconds = session.Elapsed() / 1000.0;
        session.WaitUntil(
            [&] {
                if (GetTickCount() - movedAt >= 100 && SaverWindowActive()) {
                    result.moved =
                        PlacePointer(kSecond.left + 600 + (moves++ % 2) * 40, kSecond.top + 400) ||
                        result.moved;
                    movedAt = GetTickCount();
                }
                return false;
            },
            20000);
    }
    result.run = session.Finish(0);
    result.log = RunLog();
    const std::string log = ReadFileText(TestProgramDirectory() + "Novadrift.log");
    const double created = LineStamp(log, "SCREEN : Create window");
    result.graceSeconds = LineStamp(log, "EXIT : Screensaver - WM_CLOSE") - created;
    result.firstMoveSeconds -= created;
    return result;
}

// Both monitors show the scene in the desktop mode on the named screen, stars are as
// round on one as on the other, and moving the pointer over the second one ends the run.
void ExpectBothMonitorsCovered(const SaverRun& result, const std::string& screenName) {
    ASSERT_TRUE(result.run.started);
    EXPECT_FALSE(result.run.timedOut) << "the pointer's move did not end the run";
    EXPECT_TRUE(result.moved);
    EXPECT_GE(result.graceSeconds, 3.0) << "ended inside the grace time";
    EXPECT_LT(result.graceSeconds, std::max(6.0, result.firstMoveSeconds + 1.0))
        << "kept running after the grace time";
    EXPECT_TRUE(result.run.boxes.empty())
        << result.run.boxes[0].caption << ": " << result.run.boxes[0].text;
    EXPECT_TRUE(HasLine(result.log, "SCREEN : Starting video mode : 2304x768x" +
                                        DesktopModeName().substr(9) + " in window mode using " +
                                        screenName));
    EXPECT_TRUE(HasLine(result.log, "SCREEN : Drawing on monitor 1 : 1024x768 at 0, 0 (primary)"));
    EXPECT_TRUE(HasLine(result.log, "SCREEN : Drawing on monitor 2 : 1280x720 at 1024, 0"));
    EXPECT_TRUE(HasLine(result.log, "EXIT : Screensaver - WM_CLOSE"));
    EXPECT_TRUE(HasLine(result.log, "EXIT : xExit - done"));
    EXPECT_FALSE(HasLineStarting(result.log, "WARNING : Unable to change the display"));
    EXPECT_FALSE(HasLine(result.log, "EXIT : Restoring screen resolution"));
    EXPECT_FALSE(HasLine(result.log, "SCREEN : Setting display mode"));

    ASSERT_EQ(result.root.width, 2304);
    ASSERT_EQ(result.root.height, 768);
    EXPECT_EQ(BothMonitorsFault(result.root), "");
    EXPECT_GE(result.squareAspects.size(), 120u);
    EXPECT_GE(result.wideAspects.size(), 120u);
    const double square = MiddleMean(result.squareAspects);
    const double wide = MiddleMean(result.wideAspects);
    ASSERT_GT(square, 0.0);
    EXPECT_NEAR(square, 1.0, 0.2) << "stars are not round on the 4:3 monitor";
    EXPECT_NEAR(wide / square, 1.0, 0.12) << "stars " << wide << " wide for their height on the "
                                          << "16:9 monitor, " << square << " on the 4:3 one";
}

TEST(TwoMonitors, WithoutSettingsTheSaverCoversBothMonitorsOnTheFirstScreen) {
    DeleteFileA(SettingsPath().c_str());
    SaverRun result = RunSaverAndMoveOverTheSecondMonitor();
    ExpectBothMonitorsCovered(result, "Direct 3d");
    // For the README: what a user with these two monitors sees; below the 16:9 monitor
    // the X screen lies on no monitor.
    Shot seen = result.root;
    for (int y = kSecond.height; y < seen.height; ++y)
        for (int x = kSecond.left; x < seen.width; ++x)
            seen.pixels[size_t(y) * size_t(seen.width) + size_t(x)] = Pixel{0, 0, 0};
    std::string directory = TestProgramDirectory() + "docs";
    CreateDirectoryA(directory.c_str(), nullptr);
    EXPECT_TRUE(SavePng(seen, directory + "\\two-monitors.png"));
    DeleteFileA(SettingsPath().c_str());
}

TEST(TwoMonitors, TheDesktopModeOnOpenGlCoversBothMonitors) {
    ChooseDesktopOn(1);
    ExpectBothMonitorsCovered(RunSaverAndMoveOverTheSecondMonitor(), "Standard opengl");
    DeleteFileA(SettingsPath().c_str());
}

TEST(TwoMonitors, TheDesktopModeOnDirect3DCoversBothMonitors) {
    ChooseDesktopOn(3);
    ExpectBothMonitorsCovered(RunSaverAndMoveOverTheSecondMonitor(), "Direct 3d");
    DeleteFileA(SettingsPath().c_str());
}

// A full-screen mode the display cannot set leaves the display as it is and still
// draws on both monitors, on either screen.
TEST(TwoMonitors, AFullScreenModeThatCannotBeSetStillShowsOnBothMonitors) {
    for (int32_t kind : {1, 3}) {
        SettingsValues values;
        values.screenKind = kind;
        values.width = 800;
        values.height = 600;
        values.bits = 32;
        WriteSettingsFile(SettingsPath(), values);
        SaverRun result = RunSaverAndMoveOverTheSecondMonitor();
        EXPECT_FALSE(result.run.timedOut) << kind;
        EXPECT_TRUE(result.run.boxes.empty()) << kind;
        EXPECT_TRUE(HasLine(result.log,
                            "WARNING : Unable to change the display to 800x600x32, "
                            "drawing over the desktop at 2304x768"))
            << kind;
        ASSERT_EQ(result.root.width, 2304) << kind;
        EXPECT_EQ(BothMonitorsFault(result.root), "") << kind;
    }
    DeleteFileA(SettingsPath().c_str());
}

// ---------------------------------------------------------------- the editor

// The editor's panel colour, and the gap between its groups at x 558..563 of the
// design: on the primary monitor the design is 1.6 times larger, at its right edge.
const Pixel kPanelColour = {24, 30, 40};

double PanelShare(const Shot& root) {
    int hits = 0, all = 0;
    for (int y = int(30 * 1.6); y < int(410 * 1.6); ++y)
        for (int x = int(558 * 1.6) + 1; x < int(563 * 1.6); ++x, ++all) {
            const Pixel& p = root.At(x, y);
            hits += std::abs(p.r - kPanelColour.r) <= 3 && std::abs(p.g - kPanelColour.g) <= 3 &&
                    std::abs(p.b - kPanelColour.b) <= 3;
        }
    return all ? double(hits) / all : 0.0;
}

TEST(TwoMonitors, TheEditorsPanelIsOnThePrimaryMonitorAndTheSceneOnBoth) {
    ChooseDesktopOn(1);
    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init")) << "not loaded";
    Shot root;
    // The panel is drawn, the scene beside it and over the second monitor (once the
    // intro's logo no longer covers the primary's stars).
    auto sceneFault = [&] {
        if (root.width != 2304 || PanelShare(root) <= 0.8)
            return std::string("no panel at the primary monitor's right edge");
        const int places = CountStars(PartOf(root, 0, 0, 768, 745)).places;
        if (places < 6) return "the primary's scene beside the panel: " + std::to_string(places);
        return SceneFault(root, kSecond);
    };
    ASSERT_TRUE(session.WaitUntil(
        [&] {
            root = CaptureXRoot();
            return sceneFault().empty();
        },
        30000))
        << sceneFault();
    ASSERT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;

    // No panel on the second monitor: its right edge shows the scene.
    Shot edge = PartOf(root, kSecond.left + kSecond.width - 240, 0, kSecond.left + kSecond.width,
                       kSecond.height);
    EXPECT_GT(CloudShare(edge), 0.15);
    DeleteFileA(SettingsPath().c_str());
}

}  // namespace
