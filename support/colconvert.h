// Colour conversion: copies rectangles of pixels from one pixel format to
// another, formats described by channel masks. 16-bit destinations go through
// per-channel lookup tables made once per destination format; identical 32-bit formats
// copy whole rows; the RGB/BGR 24-bit case is a byte swap.
//
// Mask conventions: a 32-bit pixel is the native 32-bit word, a 24-bit pixel its three
// bytes read in memory order as one big-endian number, a 16-bit pixel the native
// 16-bit word.
#pragma once

#include <cstdint>

class Bitmap;
struct PaletteEntry;

// One record, also the converter's state (the destination format and its table).
struct PixelFormat {
    int32_t bits;
    uint32_t redMask, greenMask, blueMask, alphaMask;
    const PaletteEntry* palette;  // 256 entries, for 8-bit sources; else null
    int32_t redShift, greenShift, blueShift, alphaShift;  // trailing zero bits (0 for 0)
    int32_t redLoss, greenLoss, blueLoss, alphaLoss;      // 8 - mask width (8 for 0)
    uint16_t* table;  // owned: 16-bit destinations, 4 rows of 256 (red, green, blue, alpha)
};

namespace ColConvert {

// Masks (255 >> (8 - size)) << position from the bitmap's channels; refuses 8 bits.
int FormatFromBitmap(const Bitmap& bitmap, PixelFormat* format);
// Fills shifts and losses from the masks; code 2 for a null format.
int Analyse(PixelFormat* format);
// Makes converter the destination format (with a new table for 16 bits); refuses 8 bits.
int PrepareDestination(PixelFormat* converter, const PixelFormat* destination);
// Converts width x height pixels from source (sourceFormat) to destination (the
// converter's format). Sources of 8, 24 and 32 bits, and 16 bits into 24 (screenshots of
// 16-bit display modes). Unsupported pairs are logged and return 1 unconverted.
int Convert(PixelFormat* converter, const void* source, void* destination, int32_t width,
            int32_t height, int32_t sourcePitch, int32_t destinationPitch,
            PixelFormat* sourceFormat, int32_t reserved);
void ReleaseTable(PixelFormat* converter);

}  // namespace ColConvert
