// The FXT1 picture format: the program's "CXET" container of FXT1-compressed
// blocks, expanded to 32-bit bitmaps. Extension "fxt", name "FXT1". Reads only.
#pragma once

#include <cstdint>

#include "picformat.h"

#define FXT1_BLOCK_BYTES 16
#define FXT1_BLOCK_WIDTH 8
#define FXT1_BLOCK_HEIGHT 4
#define FXT1_HEADER_BYTES 16

// Decodes one 16-byte block into its 8 x 4 texels, texels[y][x], each the 32-bit value
// alpha << 24 | red << 16 | green << 8 | blue.
void Fxt1DecodeBlock(const uint8_t* block, uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH]);

class Fxt1Reader : public PictureFormat {
public:
    Fxt1Reader();

    int LoadFromFile(File& file, Bitmap& bitmap, int options, int reserved) override;
    // Both store "FXT - Save function isnt implemented yet" and return 0.
    int SaveToFile(File& file, const Bitmap& bitmap, int options, int reserved, int flags) override;
    int Save(const char* path, const Bitmap& bitmap, int options, int reserved, int flags) override;
};
