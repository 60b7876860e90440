// The intro and the frame's overlays as the user sees them: Novadrift.scr runs full
// screen without a switch, its editor hidden, gets its keys through the system's input
// queue, and its window is read back from the desktop. And a run whose intro atlas is
// missing, and the intro's text lines on plain 16:9 and 4:3 displays under /s.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "scr_driver.h"

namespace {

// A rectangle of the virtual 640 x 480 screen.
struct Area {
    float left, top, right, bottom;
};

// The logo (90 x 35 units at depth 350, 60 degrees over 480) and the glyph rows of
// sprites 1 ("V1.0"), 5 ("SCREENSAVER"), 3 and 4 ("RELAX AND" "DRIFT AWAY").
const Area kLogo = {216, 201, 424, 279};
const Area kTextLines[] = {
    {306, 304, 334, 309}, {268, 451, 372, 459}, {229, 467, 314, 474}, {326, 467, 421, 474}};
const Area kFrameRate = {0, 0, 40, 10};
const Area kStatistics = {10, 10, 210, 90};
const Area kHelpTitle = {160, 35, 340, 43};
// The help box below its divider, clear of its outline.
const Area kHelpBody = {12, 52, 468, 272};
// Inside the help box between two of its lines of text, across the logo's letters.
const Area kHelpOverLogo = {216, 222, 424, 226};

// Text and the logo's letters are white or near it; the backdrop never is in every
// channel, and the test's stars are red.
bool IsWhite(const Pixel& p) {
    return std::min({p.r, p.g, p.b}) >= 160;
}

bool IsHelpFill(const Pixel& p) {
    return std::abs(p.r - 30) <= 4 && std::abs(p.g - 40) <= 4 && std::abs(p.b - 50) <= 4;
}

// Over the design as the shot's monitor shows it: scaled uniformly and centred.
template <typename Test>
int Count(const Shot& shot, const Area& area, Test test) {
    if (shot.pixels.empty()) return 0;
    const float scale = std::min(shot.width / 640.0f, shot.height / 480.0f);
    const float x0 = (shot.width - 640 * scale) / 2, y0 = (shot.height - 480 * scale) / 2;
    int left = int(x0 + area.left * scale), right = int(x0 + area.right * scale);
    int top = int(y0 + area.top * scale), bottom = int(y0 + area.bottom * scale);
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += test(shot.At(x, y));
    return n;
}

int Whites(const Shot& shot, const Area& area) {
    return Count(shot, area, IsWhite);
}

// Past a tenth of a line's pixels in the faintest script's white, the sum is positive.
int TenthLit(const Pixel& p) {
    return std::min({p.r, p.g, p.b}) >= 110 ? 9 : -1;
}

// The text lines lit now, a bit each.
int LinesLit(const Shot& shot) {
    int lit = 0;
    for (int i = 0; i < 4; ++i) lit |= (Count(shot, kTextLines[i], TenthLit) > 0) << i;
    return lit;
}

// The background beside the program with red stars, put back afterwards: whatever is
// white in a shot is the intro's or an overlay's.
struct RedStars {
    RestoredFile background{TestProgramDirectory() + "BGround.qvb"};
    RedStars() {
        std::string red = background.Bytes();
        for (const char* channel : {"BGSECG", "BGSECB"})
            red = BackgroundWithStillChannel(red, channel, 0.0f);
        EXPECT_NE(red, background.Bytes());
        std::ofstream(TestProgramDirectory() + "BGround.qvb", std::ios::binary) << red;
    }
};

// The three overlays each key toggles, told apart by their own regions.
bool FrameRateShown(const Shot& shot) {
    return Whites(shot, kFrameRate) >= 8;
}
bool StatisticsShown(const Shot& shot) {
    return Whites(shot, kStatistics) >= 300;
}
bool HelpShown(const Shot& shot) {
    return Count(shot, kHelpBody, IsHelpFill) >
               Count(shot, kHelpBody, [](const Pixel&) { return 1; }) / 2 &&
           Whites(shot, kHelpTitle) >= 40;
}

// A key to press and the overlay it shows.
struct Step {
    const char* name;
    unsigned short key;
    bool (*shown)(const Shot&);
};

}  // namespace

TEST(ScrIntro, TheIntroPlaysOverTheStarFieldAndKeysShowTheOverlays) {
    const Step steps[] = {{"frame rate", 'F', FrameRateShown},
                          {"statistics", 'U', StatisticsShown},
                          {"help", VK_F1, HelpShown}};
    RedStars redStars;
    // The OpenGL screen: its 32-bit pixel format keeps the overlay's colours exact, where
    // the Direct3D screen's 16-bit display mode rounds them.
    SettingsValues openGl;
    openGl.screenKind = 1;
    WriteSettingsFile(TestProgramDirectory() + "novadrift.cfg", openGl);
    ScrSession session;
    ASSERT_TRUE(session.Start(""));
    // Loaded and in front: Space hides the editor, the scene has the whole screen.
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_SPACE);
    // Within the intro's first seconds the logo comes in, and then its four text lines
    // show under it at once (every script holds them together for seconds).
    Shot intro;
    ASSERT_TRUE(session.WaitUntil(
        [&] {
            intro = CaptureScrWindow();
            return Whites(intro, kLogo) >= 1500;
        },
        15000))
        << "no logo: " << Whites(intro, kLogo);
    int lines = 0;
    EXPECT_TRUE(
        session.WaitUntil([&] { return (lines = LinesLit(CaptureScrWindow())) == 15; }, 15000))
        << "text lines shown: " << lines;
    // Each key shows its overlay a frame or two later.
    const Shot beforeKeys = CaptureScrWindow();
    Shot withAll;
    for (const Step& step : steps) {
        ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
        PressKey(step.key);
        EXPECT_TRUE(session.WaitUntil(
            [&] {
                withAll = CaptureScrWindow();
                return step.shown(withAll);
            },
            10000))
            << "the frame did not show the " << step.name;
    }
    // F1 again takes away the help box, which would hide the logo's place. The longest
    // script ends 19 s after its start; then the logo is gone.
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey(VK_F1);
    Shot ended;
    EXPECT_TRUE(session.WaitUntil(
        [&] {
            ended = CaptureScrWindow();
            return !HelpShown(ended) && Whites(ended, kLogo) < 300 && LinesLit(ended) == 0;
        },
        40000))
        << "the logo stays: " << Whites(ended, kLogo);
    EXPECT_TRUE(CloseScrWindow());
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);

    // The logo's rectangle is lit white by the intro, far more than the star field
    // lights an area of its size above or below it; after the end it is not.
    const Area above = {kLogo.left, kLogo.top - 90, kLogo.right, kLogo.bottom - 90};
    const Area below = {kLogo.left, kLogo.top + 90, kLogo.right, kLogo.bottom + 90};
    int logo = Whites(intro, kLogo);
    EXPECT_GE(logo, 1500);
    EXPECT_GT(logo, 5 * std::max(Whites(intro, above), Whites(intro, below)));
    EXPECT_LT(Whites(ended, kLogo), 300);
    EXPECT_EQ(LinesLit(ended), 0);
    // Over the star field: the cloud lights a good part of the frame around it.
    int cloud = 0;
    for (const Pixel& p : intro.pixels) cloud += p.b >= 30 && p.b > p.r;
    EXPECT_GT(cloud, int(intro.pixels.size() / 8));
    // Each overlay against the shot without it; the opaque help box hides the logo.
    EXPECT_FALSE(FrameRateShown(beforeKeys));
    EXPECT_FALSE(StatisticsShown(beforeKeys));
    EXPECT_FALSE(HelpShown(beforeKeys));
    EXPECT_TRUE(FrameRateShown(withAll) && StatisticsShown(withAll) && HelpShown(withAll));
    EXPECT_GT(Whites(intro, kHelpOverLogo), 50);
    EXPECT_LT(Whites(withAll, kHelpOverLogo), 20);

    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "INIT : Initializing intro"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    for (const std::string& line : log)
        EXPECT_EQ(line.find("WARNING : Unable to load font"), std::string::npos) << line;
}

// On a plain display of one mode (1920x1080 has none of the full-screen sizes), /s
// without settings draws with Direct3D and the intro's text lines show under its logo.
void ExpectDirect3DWithTheIntrosLines(int width, int height) {
    DeleteFileA((TestProgramDirectory() + "novadrift.cfg").c_str());
    RedStars redStars;
    ScrSession session;
    ASSERT_TRUE(session.Start(" /s"));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    Shot root;
    int lines = 0;
    EXPECT_TRUE(
        session.WaitUntil([&] { return (lines = LinesLit(root = CaptureXRoot())) == 15; }, 30000))
        << "text lines shown: " << lines;
    EXPECT_EQ(root.width, width);
    EXPECT_EQ(root.height, height);
    ASSERT_TRUE(session.WaitUntil(SaverWindowActive, 10000));
    PressKey('A');
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    const std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                 " in window mode using Direct 3d"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
}

TEST(FullHdXvfb, WithoutSettingsDirect3DDrawsAndTheIntrosLinesShow) {
    ExpectDirect3DWithTheIntrosLines(1920, 1080);
}

TEST(PlainXvfb, WithoutSettingsTheIntrosLinesShowUnderTheLogoAt1024x768) {
    ExpectDirect3DWithTheIntrosLines(1024, 768);
}

// A copy of the program and its shipped textures without the atlas, in a folder of its
// own (the program reads its data beside itself).
class WithoutAtlas : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "novadrift_no_atlas\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "textures").c_str(), nullptr);
        for (const std::string& name : kCopied)
            ASSERT_TRUE(
                CopyFileA((TestProgramDirectory() + name).c_str(), (folder + name).c_str(), FALSE))
                << name;
    }
    void TearDown() override {
        for (const std::string& name : kCopied) DeleteFileA((folder + name).c_str());
        for (const char* name : {"Novadrift.log", "novadrift.cfg"})
            DeleteFileA((folder + "local\\Novadrift\\" + name).c_str());
        for (const char* level : {"local\\Novadrift", "local", "textures", ""})
            RemoveDirectoryA((folder + level).c_str());
    }
    const std::vector<std::string> kCopied = {"Novadrift.scr", "textures\\star.bmp",
                                              "textures\\stars.bmp", "textures\\font8x8.bmp"};
    std::string folder;
};

TEST_F(WithoutAtlas, TheRunEndsWithTheErrorBoxNamingTheFile) {
    // As the screensaver: the editor's layout is not part of the copy, which keeps the
    // log in the user's own folder.
    OtherUserFolder user(folder + "local");
    ExpectedBox error("Error", "FXT - Unable to open \"./textures/nd.fxt\"");
    ScrRun run = RunScrAt(folder + "Novadrift.scr", " /s", 30000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.boxes.size(), 1u);
    std::vector<std::string> log =
        LogBodies(ReadFileText(folder + "local\\Novadrift\\Novadrift.log"));
    EXPECT_TRUE(HasLine(log, "INIT : Initializing intro"));
    // Nothing after the failed start: no background, no frames; an orderly teardown.
    EXPECT_FALSE(HasLine(log, "INIT : Loading background"));
    EXPECT_TRUE(HasLine(log, "EXIT : Freeing VxAnimator"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
}
