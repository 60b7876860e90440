// Text through the real OpenGL screen with the shipped font, read back from the frame:
// where each glyph's ink lands and that it has the glyph's shape, a long text's two
// batches, and the info line's caption over its box until it goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ogl_fixture.h"
#include "win/scr_ogl.h"
// <windows.h>, which the fixture brings in, makes DrawText a macro for its own text
// function; in this file the name is the font's.
#undef DrawText
#include "gui/bitmapfont.h"

namespace {

const Rgba kBlack = {0, 0, 0, 255};

class OglTextTest : public OglScreenTest {
protected:
    void SetUp() override {
        OglScreenTest::SetUp();
        if (HasFatalFailure()) return;
        // The shipped font, from the textures folder beside the test program.
        ASSERT_EQ(font.Load(FONT_FILE_NAME, 8, 8), 1) << PendingError();
    }
    void TearDown() override {
        font.Release();
        OglScreenTest::TearDown();
    }
    // Lit at all: ink, filtering's fringe included, on black.
    bool IsInk(int x, int y) const { return AtVirtual(float(x), float(y)).r > 60; }
    // Pixels of the cell at (x, y) whose stroke (lit more than half) agrees with the
    // glyph in the font picture where the quad samples it (7 texels over 8 pixels).
    int Agreement(char character, int x, int y) const {
        int glyph = character - 32, perRow = font.picture.width / 8;
        int left = (glyph % perRow) * 8, top = 1 + (glyph / perRow) * 9, agree = 0;
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i) {
                bool lit = BitmapPixel(font.picture, left + (2 * i + 1) * 7 / 16, top + j).r > 127;
                agree += lit == (AtVirtual(float(x + i), float(y + j)).r > 127);
            }
        return agree;
    }

    BitmapFont font;
};

}  // namespace

TEST_F(OglTextTest, GlyphsLandInTheirCellsWithTheirShapesAndNothingBetween) {
    StartFrame(kBlack);
    ASSERT_EQ(font.DrawText("AB\nC", 10, 10), 1);
    ReadFrame();
    struct Cell {
        char character;
        int x, y;
    };
    const Cell cells[] = {{'A', 10, 10}, {'B', 19, 10}, {'C', 10, 20}};
    for (const Cell& cell : cells) EXPECT_GE(Agreement(cell.character, cell.x, cell.y), 62);
    // Around and between the cells (the gap column at 18, the gap rows 18 and 19) the
    // frame stays black.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inCell = false;
            for (const Cell& cell : cells)
                inCell |= x >= cell.x && x < cell.x + 8 && y >= cell.y && y < cell.y + 8;
            if (!inCell) {
                EXPECT_FALSE(IsInk(x, y)) << x << "," << y;
            }
        }
}

TEST_F(OglTextTest, SixtyCharactersAreSixtyQuadsAndTheLastTenAreDrawnToo) {
    StartFrame(kBlack);
    screen->Present();  // zeroes the draw counters
    StartFrame(kBlack);
    std::string text;
    for (int i = 0; i < 60; ++i) text += char('A' + i % 26);
    ASSERT_EQ(font.DrawText(text.c_str(), 20, 200), 1);
    EXPECT_EQ(screen->Draws().quads, 60);
    ReadFrame();
    for (int i = 0; i < 60; ++i) EXPECT_GE(Agreement(text[size_t(i)], 20 + 9 * i, 200), 62) << i;
}

TEST_F(OglTextTest, TheInfoLinesCaptionShowsOverItsBoxAndIsGoneThirtyFramesLater) {
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    line.SetText("Motion blur");
    const Colour box = {70, 80, 90};
    for (int frame = 0; frame <= 30; ++frame) {
        StartFrame(kBlack);
        line.Draw(0, 1);
        ReadFrame();
        int ink = 0, brightest = 0;
        for (int y = 468; y < 476; ++y)
            for (int x = 2; x < 2 + 9 * 11; ++x) {
                Colour c = AtVirtual(float(x), float(y));
                ink += c.r > box.r + 30 && c.g > box.g + 30 && c.b > box.b + 30;
                brightest = std::max(brightest, c.r);
            }
        // The box is there in every frame; the caption fades over its last 20 frames
        // and is gone at the 30th.
        EXPECT_COLOUR(AtVirtual(300, 473), box, 0) << frame;
        EXPECT_COLOUR(AtVirtual(300, 462), ClearedColour(kBlack), 0) << frame;
        EXPECT_TRUE(frame >= 10 || brightest == 255) << frame;
        EXPECT_TRUE(frame == 30 || ink >= 20) << frame;
        EXPECT_TRUE(frame != 29 || brightest <= box.r + 55 + 3) << brightest;
        EXPECT_TRUE(frame != 30 || ink == 0) << ink;
        screen->Present();
        line.Tick();
    }
}
