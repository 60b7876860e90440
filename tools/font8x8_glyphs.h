// The glyphs of the program's 8 x 8 font, drawn here as pictures: the font tool lays
// them into the font texture and the intro tool sets its text lines with them.
#pragma once

#define FONT_FIRST_CHARACTER 32
#define FONT_LAST_CHARACTER 126
#define FONT_GLYPH_SIZE 8

// 1 when the pixel (x, y), 0..7 each, of the character's glyph is set; 0 for
// characters outside 32..126. Only columns 1..5 are ever set: column 7 must stay
// empty, as the text quads stop one texel short of the glyph's right edge and linear
// filtering would otherwise pull it into the next glyph.
int FontGlyphPixel(int character, int x, int y);
