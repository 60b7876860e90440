// Text through the real OpenGL screen with the shipped font, read back from the frame:
// where each glyph's ink lands and that it is the glyph's shape, the two batches of a
// long text, and the info line's caption over its box until it goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ogl_fixture.h"
#include "win/scr_ogl.h"
// After <windows.h>, which the screen brings in.
#include "gui/bitmapfont.h"

namespace {

const Rgba kBlack = {0, 0, 0, 255};
// Ink: a pixel the additive white text lit, filtering's fringe included. The
// background is black.
const int kInk = 60;
// A stroke: lit more than half, as a pixel mostly over a glyph's texel is.
const int kStroke = 127;

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
    bool IsInk(int x, int y) const {
        Colour c = AtVirtual(float(x), float(y));
        return c.r > kInk || c.g > kInk || c.b > kInk;
    }
    // Pixels of the cell (x, y)..(x + 8, y + 8) whose stroke agrees with the character's
    // glyph in the font picture, sampled where the quad reads it (7 texels over 8
    // pixels), out of 64; and the ink found.
    int Agreement(char character, int x, int y, int* ink) const {
        int glyph = character - 32, perRow = font.picture.width / 8;
        int left = (glyph % perRow) * 8, top = 1 + (glyph / perRow) * 9;
        int agree = 0;
        *ink = 0;
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i) {
                int texel = (2 * i + 1) * 7 / 16;
                bool lit = BitmapPixel(font.picture, left + texel, top + j).r > 127;
                bool stroke = AtVirtual(float(x + i), float(y + j)).r > kStroke;
                *ink += IsInk(x + i, y + j);
                agree += lit == stroke;
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
    for (const Cell& cell : cells) {
        int ink = 0;
        int agree = Agreement(cell.character, cell.x, cell.y, &ink);
        EXPECT_GE(ink, 10) << cell.character;
        EXPECT_GE(agree, 63) << cell.character;
        // The strokes are full white where a texel is sampled whole.
        int brightest = 0;
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i) {
                Colour c = AtVirtual(float(cell.x + i), float(cell.y + j));
                brightest = std::max(brightest, std::min(c.r, std::min(c.g, c.b)));
            }
        EXPECT_GE(brightest, 240) << cell.character;
    }
    // Around and between the cells the frame stays black.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inCell = false;
            for (const Cell& cell : cells)
                inCell |= x >= cell.x && x < cell.x + 8 && y >= cell.y && y < cell.y + 8;
            if (!inCell) {
                EXPECT_FALSE(IsInk(x, y)) << x << "," << y;
            }
        }
    // The gap column between A and B, and the gap rows under the first line.
    for (int y = 10; y < 18; ++y) EXPECT_COLOUR(AtVirtual(18, float(y)), ClearedColour(kBlack), 0);
    for (int x = 10; x < 27; ++x) EXPECT_COLOUR(AtVirtual(float(x), 19), ClearedColour(kBlack), 0);
}

TEST_F(OglTextTest, SixtyCharactersAreSixtyQuadsAndTheLastTenAreDrawnToo) {
    StartFrame(kBlack);
    screen->Present();  // zeroes the draw counters
    StartFrame(kBlack);
    std::string text;
    for (int i = 0; i < 60; ++i) text += char('A' + i % 26);
    ASSERT_EQ(font.DrawText(text.c_str(), 20, 200), 1);
    EXPECT_EQ(screen->quads, 60);
    ReadFrame();
    // Every cell has its glyph, the ten of the second batch as well.
    for (int i = 0; i < 60; ++i) {
        int ink = 0;
        EXPECT_GE(Agreement(text[size_t(i)], 20 + 9 * i, 200, &ink), 63) << i;
        EXPECT_GE(ink, 8) << i;
    }
    EXPECT_FALSE(IsInk(20 + 9 * 60 + 2, 204));
}

TEST_F(OglTextTest, TheInfoLinesCaptionShowsOverItsBoxAndIsGoneThirtyFramesLater) {
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    line.SetText("Motion blur");
    const Colour box = {70, 80, 90};
    // Ink of the caption: brighter than the box in every channel; and its brightest.
    auto captionInk = [&](int* brightest) {
        int ink = 0;
        *brightest = 0;
        for (int y = 468; y < 476; ++y)
            for (int x = 2; x < 2 + 9 * 11; ++x) {
                Colour c = AtVirtual(float(x), float(y));
                ink += c.r > box.r + 30 && c.g > box.g + 30 && c.b > box.b + 30;
                *brightest = std::max(*brightest, c.r);
            }
        return ink;
    };
    for (int frame = 0; frame <= 30; ++frame) {
        StartFrame(kBlack);
        line.Draw(0, 1);
        if (frame == 0 || frame == 29 || frame == 30) {
            ReadFrame();
            SCOPED_TRACE(frame);
            // The box over the line's rectangle, its lighter outline along its top edge,
            // black above.
            EXPECT_COLOUR(AtVirtual(300, 473), box, 0);
            EXPECT_COLOUR(AtVirtual(300, 462), ClearedColour(kBlack), 0);
            EXPECT_GT(std::max(AtVirtual(300, 465).b, AtVirtual(300, 466).b), box.b + 40);
            int brightest = 0;
            int ink = captionInk(&brightest);
            if (frame == 0) {
                EXPECT_GE(ink, 60);
                EXPECT_EQ(brightest, 255);
            } else if (frame == 29) {
                // Faded to 55 over the box in its last frame, but still there.
                EXPECT_GE(ink, 20);
                EXPECT_LE(brightest, box.r + 55 + 3);
            } else {
                EXPECT_EQ(ink, 0);
                EXPECT_LE(brightest, box.r + 1);
            }
        }
        screen->Present();
        line.Tick();
    }
}
