// The font picture: 16 glyphs of 8 x 8 a row, each row of glyphs preceded by one empty
// pixel row (the text drawer reads glyph g at column g % 16, rows 1 + 9 (g / 16) on),
// so 128 x 64 holds seven rows, characters 32..143; those past 126 stay empty. White on
// black: text is drawn additively, tinted by the vertex colour.
#include "canvas.h"
#include "font8x8_glyphs.h"

void PaintFont(Canvas& canvas) {
    int perRow = canvas.width / FONT_GLYPH_SIZE;
    for (int character = FONT_FIRST_CHARACTER; character <= FONT_LAST_CHARACTER; ++character) {
        int glyph = character - FONT_FIRST_CHARACTER;
        int left = (glyph % perRow) * FONT_GLYPH_SIZE;
        int top = 1 + (glyph / perRow) * (FONT_GLYPH_SIZE + 1);
        for (int y = 0; y < FONT_GLYPH_SIZE; ++y)
            for (int x = 0; x < FONT_GLYPH_SIZE; ++x)
                if (FontGlyphPixel(character, x, y)) canvas.Add(left + x, top + y, 1, 1, 1);
    }
}
