// The bitmap font and the info line through a capturing screen: which texels each
// glyph's quad reads, the 200-vertex batches, the caption's countdown and the slider
// numbers' formats. Where the ink lands is checked on the real screen (tests/wingl).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ansi/bitmap.h"
#include "gui/bitmapfont.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"

namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        Bitmap picture;
        ASSERT_EQ(picture.CreateWithMasks(128, 64, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("textures/font8x8.bmp", picture, 0, 0, 0), 1);
        ASSERT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 1) << PendingError();
        screen.Forget();
    }
    void TearDown() override { font.Release(); }

    ScratchDirectory scratch;
    PictureRegistry registry;
    CurrentTestScreen current;
    CapturingScreen& screen = current.screen;
    BitmapFont font;
};

}  // namespace

TEST_F(FontTest, GlyphsReadTheirGridRectanglesAndLongTextsGoInBatchesOfFifty) {
    ASSERT_EQ(font.DrawText("AB\nC", 10, 10), 1);
    EXPECT_EQ(screen.Calls(), "SetView camera; SetSurface 0; Draw 6 12 0");
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_ADDITIVE);
    ASSERT_EQ(screen.drawn.size(), 1u);
    const std::vector<Vertex>& q = screen.drawn[0];
    // 'A' is glyph 33: column 1, row 2. Rows start one texel down and are 9 apart; the
    // quad reads 7 of the glyph's 8 texel columns. 'B' is one pixel after it, 'C'
    // (glyph 35) back at x, 10 down.
    const float u = 1 / 128.0f, v = 1 / 64.0f, top = v + 2 * 9 * v;
    const float expected[][4] = {{10, 10, 8 * u, top},          {18, 10, 15 * u, top},
                                 {18, 18, 15 * u, top + 8 * v}, {10, 18, 8 * u, top + 8 * v},
                                 {19, 10, 16 * u, top},         {27, 10, 23 * u, top}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(q[size_t(i)].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(q[size_t(i)].y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(q[size_t(i)].u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(q[size_t(i)].v, expected[i][3]) << i;
    }
    EXPECT_FLOAT_EQ(q[8].x, 10);
    EXPECT_FLOAT_EQ(q[8].y, 20);
    EXPECT_FLOAT_EQ(q[8].u, 24 * u);

    screen.Forget();
    font.DrawText(std::string(60, 'x').c_str(), 0, 0);
    EXPECT_EQ(screen.Calls(), "SetView camera; SetSurface 0; Draw 6 200 0; Draw 6 40 0");
    EXPECT_FLOAT_EQ(screen.drawn[1][0].x, 50 * 9.0f);
    // Control characters take no room; a code past the picture's grid keeps its cell
    // empty and reads nothing outside the picture.
    screen.Forget();
    font.DrawText(
        "a\tb\xff"
        "c",
        0, 0);
    ASSERT_EQ(screen.drawn.size(), 1u);
    ASSERT_EQ(screen.drawn[0].size(), 12u);
    EXPECT_FLOAT_EQ(screen.drawn[0][4].x, 9);
    EXPECT_FLOAT_EQ(screen.drawn[0][8].x, 27);
}

TEST_F(FontTest, ACaptionGoesThirtyFramesLaterAndBigSliderNumbersLoseTheirDecimals) {
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    line.SetText("Speed %d", 7);
    line.ShowSliderInfo(12345.6f, -2.5f, 20000.0f);
    char shown[160];
    line.FormatSliderInfo(shown, sizeof shown);
    EXPECT_STREQ(shown, "20000\n12346\n-2.500\n");
    for (int frame = 1; frame <= 29; ++frame) line.Tick();
    EXPECT_STREQ(line.text, "Speed 7");
    EXPECT_EQ(line.green, 255 - 20 * 10);  // faded in the last 20 frames
    line.Tick();
    EXPECT_STREQ(line.text, "");
    EXPECT_EQ(line.sliderInfoActive, 0);
    line.ShowSliderInfo(9999.0f, 0.0f, 1.25f);
    line.FormatSliderInfo(shown, sizeof shown);
    EXPECT_STREQ(shown, "1.250\n9999.000\n0.000\n");
}

// The failure reason the editor shows when its background cannot be written, 87
// characters: wrapped at spaces into lines of the box, which grows upward over the
// scene, every glyph drawn inside it and none lost.
TEST_F(FontTest, ALongReportWrapsIntoATallerBoxThatHoldsEveryGlyph) {
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    ASSERT_EQ(line.Columns(), 53);
    const std::string reason =
        "Unable to save the background : Unable to open file \"BGround.qvb.tmp\" with write "
        "access";
    line.Report("%s", reason.c_str());
    char wrapped[INFO_TEXT_SIZE + INFO_MAX_LINES];
    ASSERT_EQ(line.WrapText(wrapped, sizeof wrapped), 2);
    EXPECT_STREQ(wrapped,
                 "Unable to save the background : Unable to open file\n"
                 "\"BGround.qvb.tmp\" with write access");
    line.Draw(0, 1);
    // The box, its outline, then the glyphs in batches of 50.
    ASSERT_GE(screen.drawn.size(), 3u);
    const float top = screen.drawn[0][0].y;
    EXPECT_FLOAT_EQ(top, 466 - 10);
    std::vector<Vertex> glyphs;
    for (size_t i = 2; i < screen.drawn.size(); ++i)
        glyphs.insert(glyphs.end(), screen.drawn[i].begin(), screen.drawn[i].end());
    // Every character but the space the line breaks at (a space is a blank glyph).
    EXPECT_EQ(glyphs.size(), 4 * (reason.size() - 1));
    for (const Vertex& corner : glyphs) {
        EXPECT_GE(corner.x, 0);
        EXPECT_LE(corner.x, 480);
        EXPECT_GE(corner.y, top);
        EXPECT_LE(corner.y, 479);
    }
    // A report stays past a caption's time, and captions wait, until the next action.
    for (int frame = 0; frame < 100; ++frame) line.Tick();
    line.SetText("Next page");
    EXPECT_EQ(std::string(line.text), reason);
    line.ReleaseReport();
    line.SetText("Next page");
    EXPECT_STREQ(line.text, "Next page");
    // A word longer than a line is cut where the line ends.
    line.SetText("%s", std::string(60, 'x').c_str());
    ASSERT_EQ(line.WrapText(wrapped, sizeof wrapped), 2);
    EXPECT_EQ(std::string(wrapped), std::string(53, 'x') + "\n" + std::string(7, 'x'));
}

// F5's box names its three numbers, and is not drawn while there are none to show.
TEST_F(FontTest, TheSliderBoxNamesItsNumbersAndIsOnlyThereWithThem) {
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    line.SetSliderInfoDisplay(1);
    line.Draw(1, 0);
    EXPECT_TRUE(screen.drawn.empty());
    line.ShowSliderInfo(593.0f, 350.0f, 650.0f);
    line.Draw(1, 0);
    // Box, outline, the names ("high", "value", "low"), the numbers.
    ASSERT_EQ(screen.drawn.size(), 4u);
    EXPECT_EQ(screen.drawn[2].size(), 4u * 12);
    EXPECT_EQ(screen.drawn[3].size(), 4u * 21);
    // The numbers right of the names; the box reaches to the scene's right edge.
    EXPECT_GT(screen.drawn[3][0].x, screen.drawn[2][4 * 4].x);
    EXPECT_FLOAT_EQ(screen.drawn[0][1].x, 480);
    EXPECT_LE(screen.drawn[3].back().x, 480);
}
