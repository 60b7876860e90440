// The JPEG picture format: JFIF files of the baseline sequential process (Huffman
// coding, 8-bit samples), read into 24-bit bitmaps. Extension "jpg", name "JPEG".
// Reads only.
#pragma once

#include <cstdint>

#include "picformat.h"

#define JPEG_TABLES 4
#define JPEG_BLOCK_SIZE 64

class JpegLoader : public PictureFormat {
public:
    JpegLoader();
    ~JpegLoader() override;

    // Opened big-endian by Load; decodes the file from its current position.
    int LoadFromFile(File& file, Bitmap& bitmap, int options, int reserved) override;
    // Both store "JPG - Save function not yet implemented" and return 0.
    int SaveToFile(File& file, const Bitmap& bitmap, int options, int reserved, int flags) override;
    int Save(const char* path, const Bitmap& bitmap, int options, int reserved, int flags) override;

    // The tables a file defines stay for later files (the standard's abbreviated
    // streams rely on that).
    struct HuffmanTable {
        uint8_t counts[16];  // codes of lengths 1..16
        uint8_t symbols[256];
        int defined;
    };

private:
    // Natural order; allocated when a file first defines the table.
    uint16_t* quantTables[JPEG_TABLES];
    HuffmanTable huffman[2][JPEG_TABLES];  // [0] DC, [1] AC
};
