// FXT1 encoder for the program's own textures: the counterpart of the reader in
// support/ansi/fxt1, used by the texture tools to write the "CXET" container.
//
// Texels are 32-bit words alpha << 24 | red << 16 | green << 8 | blue, the reader's
// output layout. Alpha is kept as a mask: a texel below 128 is transparent (it may
// decode to transparent black), any other texel must stay opaque.
#pragma once

#include <cstdint>

#include "ansi/fxt1.h"

enum Fxt1EncodeMode {
    FXT1_ENCODE_BEST = 0,    // every mode below, the one with the least error
    FXT1_ENCODE_HI,          // one line of 7 levels for the whole block
    FXT1_ENCODE_CHROMA,      // four free colours for the whole block
    FXT1_ENCODE_MIXED,       // a line of 4 levels per 4 x 4 half
    FXT1_ENCODE_MIXED_ALPHA  // a line of 3 levels per half plus transparent black
};

// Sum over the 32 texels of the squared red, green, blue and alpha differences between
// source and decoded texels; a transparent source texel only counts when it decodes
// opaque (65025 * 4 then).
uint32_t Fxt1BlockError(const uint32_t source[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH],
                        const uint32_t decoded[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH]);

// Encodes texels[y][x] into one 16-byte block in the given mode and returns the block's
// error as the reader decodes it.
uint32_t Fxt1EncodeBlock(const uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH],
                         Fxt1EncodeMode mode, uint8_t block[FXT1_BLOCK_BYTES]);

// The block layout of a width x height image: its whole 8 x 4 blocks, rows of blocks
// from the top.
int32_t Fxt1EncodedBytes(int32_t width, int32_t height);
void Fxt1EncodeImage(const uint32_t* texels, int32_t width, int32_t height, Fxt1EncodeMode mode,
                     uint8_t* blocks);

// Writes the container: "CXET", 4 zero bytes, width, height (little-endian), blocks.
// Returns 1, or 0 when the file cannot be written or the size is not made of whole
// blocks.
int Fxt1WriteFile(const char* path, const uint32_t* texels, int32_t width, int32_t height);
