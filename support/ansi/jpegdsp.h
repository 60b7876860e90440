// The JPEG decoder's sample arithmetic: the inverse DCT of a dequantised block and the
// conversion of a row of samples to pixels (bytes blue, green, red). Each comes as a
// portable reference and as the version the decoder calls, which is SSE2 where the
// compiler targets it and gives the same bytes for every input.
#pragma once

#include <cstdint>

#define JPEG_RANGE_TABLE_SIZE (256 + 256 + 384 + 384 + 128)
#define JPEG_RANGE_IDENTITY 256

// Fills the clamping table: 256 zeros, 0..255, 384 x 255, 384 zeros, 0..127.
void JpegMakeRangeTable(uint8_t table[JPEG_RANGE_TABLE_SIZE]);

// Dequantised coefficients (natural order, each within +-8192) to 8 x 8 samples at
// out, rows stride bytes apart: the accurate integer transform (Loeffler-Ligtenberg-
// Moschytz, 13-bit constants, two extra bits between the passes), level-shifted by 128
// and clamped through the range table.
void JpegIdctReference(const int16_t coefficients[64], uint8_t* out, int32_t stride,
                       const uint8_t* rangeTable);
void JpegIdct(const int16_t coefficients[64], uint8_t* out, int32_t stride,
              const uint8_t* rangeTable);

// The colour tables: red from Cr, blue from Cb, and the two green terms (16-bit fixed
// point, 4 x 256 entries).
void JpegMakeColourTables(int32_t tables[4 * 256]);

// One row of pixels from Y, Cb and Cr samples; with chromaShift 1 the chroma rows hold
// one sample for every two pixels (each sample doubled across).
void JpegColourRowReference(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                            int32_t width, const int32_t* colourTables, const uint8_t* rangeTable,
                            uint8_t* out);
void JpegColourRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                   int32_t width, const int32_t* colourTables, const uint8_t* rangeTable,
                   uint8_t* out);

// Two rows of pixels that share one chroma row (chroma halved vertically): the same
// bytes as two JpegColourRow calls.
void JpegColourRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                       int chromaShift, int32_t width, const int32_t* colourTables,
                       const uint8_t* rangeTable, uint8_t* out0, uint8_t* out1);

// One row of grey pixels: red = green = blue = Y.
void JpegGreyRowReference(const uint8_t* y, int32_t width, uint8_t* out);
void JpegGreyRow(const uint8_t* y, int32_t width, uint8_t* out);
