// The bitmap font and the info line through a capturing screen: where each glyph's quad
// lies and which texels it reads, the 200-vertex batches, loading failures, the
// caption's countdown and fade, and the slider numbers' formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ansi/bitmap.h"
#include "gui/bitmapfont.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"

namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override {
        font.Release();
        ClearError();
    }
    // A blank 24-bit picture of that size as textures/font8x8.bmp.
    void WriteFontPicture(int width, int height) {
        Bitmap picture;
        ASSERT_EQ(picture.CreateWithMasks(width, height, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("textures/font8x8.bmp", picture, 0, 0, 0), 1)
            << PendingError();
    }
    void LoadFont() {
        WriteFontPicture(128, 64);
        ASSERT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 1) << PendingError();
        screen.Forget();
    }
    // All quads drawn, in order, whatever their batches.
    std::vector<Vertex> Quads() const {
        std::vector<Vertex> all;
        for (const std::vector<Vertex>& batch : screen.drawn)
            all.insert(all.end(), batch.begin(), batch.end());
        return all;
    }

    ScratchDirectory scratch;
    PictureRegistry registry;
    CurrentTestScreen current;
    MemoryTextureList& textures = current.textures;
    CapturingScreen& screen = current.screen;
    BitmapFont font;
};

void ExpectCorner(const Vertex& v, float x, float y, float u, float t, const char* what) {
    EXPECT_FLOAT_EQ(v.x, x) << what;
    EXPECT_FLOAT_EQ(v.y, y) << what;
    EXPECT_FLOAT_EQ(v.u, u) << what;
    EXPECT_FLOAT_EQ(v.v, t) << what;
}

}  // namespace

// ---------------------------------------------------------------- BitmapFont

TEST_F(FontTest, GlyphsLieInTheirCellsAndReadTheirGridRectangles) {
    LoadFont();
    EXPECT_EQ(font.glyphsPerRow, 16);
    EXPECT_EQ(font.lineHeight, 10);
    ASSERT_NE(font.surface.texture, nullptr);
    EXPECT_EQ(font.surface.texture->width, 128);

    ASSERT_EQ(font.DrawText("AB\nC", 10, 10), 1);
    // Additive, with the font's own 2-D camera set before its surface.
    EXPECT_EQ(screen.Calls(), "SetView camera; SetSurface 0; Draw 6 12 0");
    ASSERT_EQ(screen.applied.size(), 1u);
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_ADDITIVE);
    EXPECT_EQ(screen.applied[0].textureMode, SURFACE_TEXTURED);
    ASSERT_EQ(screen.views.size(), 1u);
    EXPECT_EQ(screen.views[0]->flags, CAMERA_2D);
    EXPECT_EQ(screen.views[0]->viewWidth, 640.0f);

    std::vector<Vertex> q = Quads();
    ASSERT_EQ(q.size(), 12u);
    // 'A' is glyph 33: column 1, row 2. Rows start one texel down and are 9 texels apart;
    // the quad reads 7 of the glyph's 8 texel columns.
    const float texU = 1 / 128.0f, texV = 1 / 64.0f;
    const float aLeft = 8 * texU, aTop = texV + 2 * 9 * texV;
    ExpectCorner(q[0], 10, 10, aLeft, aTop, "A top-left");
    ExpectCorner(q[1], 18, 10, aLeft + 7 * texU, aTop, "A top-right");
    ExpectCorner(q[2], 18, 18, aLeft + 7 * texU, aTop + 8 * texV, "A bottom-right");
    ExpectCorner(q[3], 10, 18, aLeft, aTop + 8 * texV, "A bottom-left");
    // 'B' one pixel after A; 'C' (glyph 35) back at x on the next line, 10 down.
    ExpectCorner(q[4], 19, 10, 16 * texU, aTop, "B top-left");
    ExpectCorner(q[10], 18, 28, 31 * texU, aTop + 8 * texV, "C bottom-right");
    ExpectCorner(q[8], 10, 20, 24 * texU, aTop, "C top-left");
    // White, alpha 0, until another colour is set.
    EXPECT_EQ(q[0].r + q[0].g + q[0].b, 3 * 255);
    EXPECT_EQ(q[0].a, 0);
    font.SetColour(10, 20, 30);
    screen.Forget();
    font.DrawText("~", 0, 0);
    q = Quads();
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[3].r, 10);
    EXPECT_EQ(q[3].g, 20);
    EXPECT_EQ(q[3].b, 30);
    // '~' is glyph 94: column 14 of row 5.
    ExpectCorner(q[0], 0, 0, 14 * 8 * texU, texV + 5 * 9 * texV, "~");
}

TEST_F(FontTest, LongTextsGoInBatchesOfFiftyQuads) {
    LoadFont();
    std::string sixty(60, 'x');
    font.DrawText(sixty.c_str(), 0, 0);
    EXPECT_EQ(screen.Calls(), "SetView camera; SetSurface 0; Draw 6 200 0; Draw 6 40 0");
    EXPECT_EQ(screen.quads, 60);
    // The 51st glyph starts the second batch, 50 cells on.
    ASSERT_EQ(screen.drawn.size(), 2u);
    EXPECT_FLOAT_EQ(screen.drawn[1][0].x, 50 * 9.0f);
    // Exactly fifty: one full batch and nothing after it.
    screen.Forget();
    font.DrawText(std::string(50, 'x').c_str(), 0, 0);
    EXPECT_EQ(screen.Calls(), "SetView camera; SetSurface 0; Draw 6 200 0");
}

TEST_F(FontTest, CharactersWithoutGlyphsDrawNothingAndStayInBounds) {
    LoadFont();
    // Control characters take no room; characters past the grid's seven rows
    // (code 144 on) keep their cell empty; 127..143 are the picture's spare cells.
    font.DrawText(
        "a\t\rb\x90"
        "c\xff",
        0, 0);
    std::vector<Vertex> q = Quads();
    ASSERT_EQ(q.size(), 12u);
    EXPECT_FLOAT_EQ(q[4].x, 9);
    EXPECT_FLOAT_EQ(q[8].x, 27);
    font.DrawText("\x7f", 0, 0);
    q = Quads();
    ASSERT_EQ(q.size(), 16u);
    EXPECT_LE(q[15].v, 1.0f);

    // Nothing at all while not loaded, and no text is no call.
    screen.Forget();
    EXPECT_EQ(font.DrawText("", 0, 0), 1);
    EXPECT_EQ(font.DrawText(nullptr, 0, 0), 1);
    font.Release();
    EXPECT_EQ(font.DrawText("abc", 0, 0), 1);
    EXPECT_EQ(screen.drawn.size(), 0u);
    EXPECT_EQ(textures.Count(), 0);
}

TEST_F(FontTest, AMissingOrUnfitPictureLeavesTheFontUnloaded) {
    EXPECT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 0);
    EXPECT_NE(PendingError(), "");
    EXPECT_EQ(font.loaded, 0);
    ClearError();
    // A picture too small for one glyph and its gap row.
    WriteFontPicture(8, 8);
    EXPECT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 0);
    EXPECT_EQ(PendingError(), "Font picture ./textures/font8x8. holds no 8x8 glyph");
    EXPECT_EQ(textures.Count(), 0);
    // A broken file.
    WriteWholeFile("textures/font8x8.bmp", "BM not a picture");
    ClearError();
    EXPECT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 0);
    EXPECT_NE(PendingError(), "");
    screen.Forget();
    font.DrawText("abc", 0, 0);
    EXPECT_EQ(screen.Calls(), "");
}

// ---------------------------------------------------------------- InfoLine

TEST_F(FontTest, ACaptionFadesOverItsLastTwentyFramesAndGoesAtThirty) {
    LoadFont();
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    EXPECT_EQ(line.right, 480);
    EXPECT_EQ(line.bottom, 479);
    line.SetText("Speed %d", 7);
    EXPECT_STREQ(line.text, "Speed 7");
    line.ShowSliderInfo(1, 0, 2);
    for (int frame = 1; frame <= 9; ++frame) line.Tick();
    EXPECT_EQ(line.red, 255);
    line.Tick();
    EXPECT_EQ(line.red, 245);
    for (int frame = 11; frame <= 29; ++frame) line.Tick();
    EXPECT_STREQ(line.text, "Speed 7");
    EXPECT_EQ(line.green, 255 - 20 * 10);
    EXPECT_EQ(line.sliderInfoActive, 1);
    line.Tick();
    EXPECT_STREQ(line.text, "");
    EXPECT_EQ(line.sliderInfoActive, 0);
    // A new caption is white again.
    line.SetText("%s", "Next");
    EXPECT_EQ(line.blue, 255);

    // A caption longer than the buffer is cut, not overrun.
    std::string longText(3000, 'w');
    line.SetText("%s", longText.c_str());
    EXPECT_EQ(std::strlen(line.text), size_t(INFO_TEXT_SIZE - 1));
}

TEST_F(FontTest, SliderNumbersAboveTenThousandLoseTheirDecimals) {
    InfoLine line;
    char shown[160];
    line.ShowSliderInfo(12345.6f, -2.5f, 20000.0f);
    line.FormatSliderInfo(shown, sizeof shown);
    EXPECT_STREQ(shown, "20000\n12346\n-2.500\n");
    line.ShowSliderInfo(9999.0f, 0.0f, 1.25f);
    line.FormatSliderInfo(shown, sizeof shown);
    EXPECT_STREQ(shown, "1.250\n9999.000\n0.000\n");
}

TEST_F(FontTest, TheInfoLineDrawsItsBoxesThenTextInItsColourAndPutsTheFontBack) {
    LoadFont();
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    font.SetColour(1, 2, 3);
    line.SetText("Hi");
    for (int frame = 0; frame < 14; ++frame) line.Tick();  // five fade steps in
    line.ShowSliderInfo(0.5f, 0, 1);
    screen.Forget();
    line.Draw(0, 1);
    EXPECT_EQ(screen.Calls(),
              "SetView camera; SetSurface 0; Draw 6 4 0; Draw 2 5 0; SetView camera; "
              "SetSurface 1; Draw 6 8 0");
    ASSERT_EQ(screen.drawn.size(), 3u);
    // The box over the line's rectangle in (70, 80, 90), untextured.
    EXPECT_EQ(screen.applied[0].textureMode, SURFACE_UNTEXTURED);
    EXPECT_FLOAT_EQ(screen.drawn[0][0].y, 466);
    EXPECT_FLOAT_EQ(screen.drawn[0][2].x, 480);
    EXPECT_FLOAT_EQ(screen.drawn[0][2].y, 479);
    EXPECT_EQ(screen.drawn[0][0].g, 80);
    // The caption two pixels in, in its faded colour.
    EXPECT_FLOAT_EQ(screen.drawn[2][0].x, 2);
    EXPECT_FLOAT_EQ(screen.drawn[2][0].y, 468);
    EXPECT_EQ(screen.drawn[2][0].r, 205);
    EXPECT_EQ(font.red, 1);
    EXPECT_EQ(font.vertices[0].b, 3);

    // The corner box only with its switch on; numbers only while a slider was shown.
    screen.Forget();
    line.Draw(1, 0);
    EXPECT_EQ(screen.Calls(), "SetView camera");
    line.SetSliderInfoDisplay(1);
    screen.Forget();
    line.Draw(1, 0);
    ASSERT_EQ(screen.drawn.size(), 3u);
    EXPECT_FLOAT_EQ(screen.drawn[0][0].x, 402);
    EXPECT_FLOAT_EQ(screen.drawn[0][2].y, 33);
    EXPECT_FLOAT_EQ(screen.drawn[2][0].x, 405);
    EXPECT_FLOAT_EQ(screen.drawn[2][0].y, 2);
    EXPECT_EQ(screen.drawn[2].size(), 4u * std::strlen("1.000"
                                                       "0.500"
                                                       "0.000"));
    for (int frame = 0; frame < 16; ++frame) line.Tick();
    screen.Forget();
    line.Draw(1, 0);
    EXPECT_EQ(screen.drawn.size(), 2u);
}
