// Bitmap: the support library's image in memory, a block of pixels with its
// geometry and channel layout, optionally with a 256-entry palette; and Palette.
//
// Channel positions follow the colour converter's convention: a 24-bit pixel
// is its three bytes read in memory order as one big-endian number (bytes red, green,
// blue give positions 16, 8, 0; bytes blue, green, red give 0, 8, 16); a 16- or 32-bit
// pixel is the native little-endian word (bytes blue, green, red, alpha of a 32-bit
// pixel give positions 0, 8, 16, 24).
#pragma once

#include <cstdint>

class PictureFormat;

#define PALETTE_SIZE 256
#define PALETTE_EXTENSION_SIZE 8

// The limit every bitmap obeys, so a size read from a file can be checked before
// anything is allocated: at most 256 MiB of pixels, in whatever shape (a thin picture
// may be very wide).
#define BITMAP_MAX_BYTES (int32_t(1) << 28)

struct PaletteEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t fourth;
};

class Palette {
public:
    // The grey ramp: entry i = (i, i, i, 0); indices 0 and 255; extension ".pal".
    Palette();
    Palette(const Palette& other);
    Palette& operator=(const Palette& other);

    PaletteEntry entries[PALETTE_SIZE];
    uint8_t firstIndex;
    uint8_t lastIndex;
    char extension[PALETTE_EXTENSION_SIZE];
};

// The pitch and byte count of a width x height image of bytesPerPixel bytes a pixel,
// rows padded to a multiple of rowAlignment bytes (1 or 4). 0 when a size is negative
// or a row or the total is over BITMAP_MAX_BYTES; all products are checked before they
// are made, so hostile sizes cannot overflow.
int BitmapGeometry(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t rowAlignment,
                   int32_t* pitch, int32_t* totalBytes);

class Bitmap {
public:
    Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Virtual operations in the design's slot order; the destructor comes last.

    // Palette-indexed (direct colour 0) zeroed pixels, rows padded to 4 bytes; a given
    // palette is copied. bits 1..32.
    virtual int Create(int32_t width, int32_t height, int32_t bits, const Palette* palette);
    virtual int CreateRgb(int32_t width, int32_t height, int32_t bits, int32_t redSize,
                          int32_t greenSize, int32_t blueSize, int32_t redPos, int32_t greenPos,
                          int32_t bluePos, int32_t reserved);
    // Direct colour; only 8, 16, 24 or 32 bits (else 0, nothing changed).
    virtual int CreateWithMasks(int32_t width, int32_t height, int32_t bits, int32_t redSize,
                                int32_t greenSize, int32_t blueSize, int32_t alphaSize,
                                int32_t redPos, int32_t greenPos, int32_t bluePos,
                                int32_t alphaPos);
    // Through the registry's codec for the path; code 23 when there is none.
    virtual int Load(const char* path);
    // flags bit 0: save under the first free dated name "<stem>YYYY-MM-DD_NN.<ext>";
    // the other bits go to the codec.
    virtual int Save(const char* path, PictureFormat* format, int32_t options, int32_t reserved,
                     int32_t flags) const;
    // Frees pixels and palette. Returns 1.
    virtual int Release();
    virtual ~Bitmap();

    void ResetClip();
    // Takes a block of pitch x height bytes from XALLOC as the pixels (after Release)
    // and records the geometry; what codecs use after checking sizes with
    // BitmapGeometry. The block is not cleared.
    void AdoptPixels(uint8_t* block, int32_t width, int32_t height, int32_t bits, int32_t pitch);

    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t pitch;
    int32_t bytesPerPixel;
    int32_t redSize, greenSize, blueSize, alphaSize;
    int32_t redPos, greenPos, bluePos, alphaPos;
    uint8_t* pixels;
    int32_t directColour;
    Palette* palette;
    int32_t clipLeft, clipTop, clipRight, clipBottom;

private:
    int Allocate(int32_t width, int32_t height, int32_t bits);
};
