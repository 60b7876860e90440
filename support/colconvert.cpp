// Colour conversion between the pixel formats of bitmaps and surfaces.
//
// Sections: helpers (masks, byte order, channels); formats (FormatFromBitmap, Analyse,
// PrepareDestination); converters, one per source depth; Convert.
#include "colconvert.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "misc.h"

namespace {

int TrailingZeros(uint32_t mask) {
    if (!mask) return 0;
    int count = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++count;
    }
    return count;
}

// 8 minus the width from the lowest to the highest set bit; 8 for an empty mask.
int Loss(uint32_t mask) {
    if (!mask) return 8;
    int low = TrailingZeros(mask);
    int high = 31;
    while (!(mask & (uint32_t(1) << high))) --high;
    return 8 - (high - low + 1);
}

bool EightBitRgb(const PixelFormat& format) {
    return format.redLoss == 0 && format.greenLoss == 0 && format.blueLoss == 0;
}

uint32_t Read24(const uint8_t* p) {
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

void Write24(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value >> 16);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value);
}

uint32_t Read32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

void Write32(uint8_t* p, uint32_t value) {
    std::memcpy(p, &value, 4);
}

void Write16(uint8_t* p, uint16_t value) {
    std::memcpy(p, &value, 2);
}

uint32_t Read16(const uint8_t* p) {
    uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

// A channel of fewer than 8 bits widened to 8, its top bits repeated below it, so the
// largest value becomes 255.
uint32_t Widen(uint32_t pixel, uint32_t mask, int shift, int loss) {
    uint32_t value = (pixel & mask) >> shift;
    int width = 8 - loss;
    if (loss <= 0 || width <= 0) return value & 255;
    uint32_t wide = 0;
    for (int at = loss; at > -width; at -= width) wide |= at >= 0 ? value << at : value >> -at;
    return wide & 255;
}

uint32_t Channel(uint32_t pixel, int shift) {
    return (pixel >> shift) & 255;
}

// Moves the 8-bit red, green and blue (and alpha when withAlpha) channels of a pixel
// from the source shifts to the destination shifts.
uint32_t Move(uint32_t pixel, const PixelFormat& from, const PixelFormat& to, bool withAlpha) {
    uint32_t value = Channel(pixel, from.redShift) << to.redShift |
                     Channel(pixel, from.greenShift) << to.greenShift |
                     Channel(pixel, from.blueShift) << to.blueShift;
    if (withAlpha) value |= Channel(pixel, from.alphaShift) << to.alphaShift;
    return value;
}

bool RedHighBlueLow(const PixelFormat& f) {
    return f.redMask == 0xFF0000 && f.blueMask == 0xFF;
}
bool RedLowBlueHigh(const PixelFormat& f) {
    return f.redMask == 0xFF && f.blueMask == 0xFF0000;
}

}  // namespace

namespace ColConvert {

int FormatFromBitmap(const Bitmap& bitmap, PixelFormat* format) {
    if (bitmap.bitsPerPixel == 8)
        return SetErrorText(
            "Color conversion : Unable to create a 8 bpp pixel format from a bitmap");
    std::memset(format, 0, sizeof *format);
    format->bits = bitmap.bitsPerPixel;
    auto mask = [](int32_t size, int32_t position) -> uint32_t {
        if (size <= 0 || size > 8 || position < 0 || position > 31) return 0;
        return (uint32_t(255) >> (8 - size)) << position;
    };
    format->redMask = mask(bitmap.redSize, bitmap.redPos);
    format->greenMask = mask(bitmap.greenSize, bitmap.greenPos);
    format->blueMask = mask(bitmap.blueSize, bitmap.bluePos);
    format->alphaMask = mask(bitmap.alphaSize, bitmap.alphaPos);
    format->palette = nullptr;
    return 1;
}

int Analyse(PixelFormat* format) {
    if (!format) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    format->redShift = TrailingZeros(format->redMask);
    format->greenShift = TrailingZeros(format->greenMask);
    format->blueShift = TrailingZeros(format->blueMask);
    format->alphaShift = TrailingZeros(format->alphaMask);
    format->redLoss = Loss(format->redMask);
    format->greenLoss = Loss(format->greenMask);
    format->blueLoss = Loss(format->blueMask);
    format->alphaLoss = Loss(format->alphaMask);
    return 1;
}

void ReleaseTable(PixelFormat* converter) {
    if (!converter) return;
    if (converter->bits == 16 && converter->table) xFree(converter->table);
    converter->table = nullptr;
}

int PrepareDestination(PixelFormat* converter, const PixelFormat* destination) {
    if (!converter || !destination) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    ReleaseTable(converter);
    PixelFormat format = *destination;
    format.table = nullptr;
    Analyse(&format);
    if (format.bits == 8) return SetErrorText("8 bpp destination format is unsupported");
    if (format.bits == 16) {
        format.table = static_cast<uint16_t*>(XALLOC(4 * 256 * sizeof(uint16_t)));
        const uint32_t masks[4] = {format.redMask, format.greenMask, format.blueMask,
                                   format.alphaMask};
        const int shifts[4] = {format.redShift, format.greenShift, format.blueShift,
                               format.alphaShift};
        const int losses[4] = {format.redLoss, format.greenLoss, format.blueLoss, format.alphaLoss};
        for (int k = 0; k < 4; ++k)
            for (uint32_t i = 0; i < 256; ++i) {
                // A mask wider than 8 bits (negative loss) widens the value instead.
                uint32_t value = losses[k] >= 0 ? i >> losses[k] : i << -losses[k];
                format.table[k * 256 + i] = uint16_t((value << shifts[k]) & masks[k]);
            }
    }
    *converter = format;
    return 1;
}

namespace {

// A rectangle being converted, and the converter's tables (one per component, 256
// entries each; absent when the destination has no table).
struct Conversion {
    const PixelFormat& from;
    const PixelFormat& to;
    const uint8_t* sourceRow;
    uint8_t* destinationRow;
    int32_t width, height, sourcePitch, destinationPitch;
    const uint16_t *red, *green, *blue, *alpha;

    // One pass over the rectangle; pixel(s, d) converts one pixel.
    template <typename Pixel>
    void EachPixel(int sourceStep, int destinationStep, Pixel pixel) const {
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* s = sourceRow + intptr_t(y) * sourcePitch;
            uint8_t* d = destinationRow + intptr_t(y) * destinationPitch;
            for (int32_t x = 0; x < width; ++x, s += sourceStep, d += destinationStep) pixel(s, d);
        }
    }
};

// What a source depth's converter returns for a destination it does not take.
const int kNotConverted = -1;

int From8(const Conversion& c) {
    if (c.to.bits != 16 || !c.red) return kNotConverted;
    if (!c.from.palette) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    const PaletteEntry* palette = c.from.palette;
    const uint16_t opaque = c.alpha[255];
    c.EachPixel(1, 2, [&](const uint8_t* s, uint8_t* d) {
        const PaletteEntry& e = palette[*s];
        Write16(d, uint16_t(c.red[e.red] | c.green[e.green] | c.blue[e.blue] | opaque));
    });
    return 1;
}

int From16(const Conversion& c) {
    const PixelFormat &from = c.from, &to = c.to;
    if (to.bits != 24) return kNotConverted;
    if (!EightBitRgb(to))
        return SetErrorText("Color conversion : 16 to 24 conversions must have 8 bits per element");
    c.EachPixel(2, 3, [&](const uint8_t* s, uint8_t* d) {
        uint32_t p = Read16(s);
        Write24(d, Widen(p, from.redMask, from.redShift, from.redLoss) << to.redShift |
                       Widen(p, from.greenMask, from.greenShift, from.greenLoss) << to.greenShift |
                       Widen(p, from.blueMask, from.blueShift, from.blueLoss) << to.blueShift);
    });
    return 1;
}

int From24To24(const Conversion& c) {
    const PixelFormat &from = c.from, &to = c.to;
    const bool swapped = from.greenMask == 0xFF00 && to.greenMask == 0xFF00 &&
                         ((RedHighBlueLow(from) && RedLowBlueHigh(to)) ||
                          (RedLowBlueHigh(from) && RedHighBlueLow(to)));
    if (swapped) {
        c.EachPixel(3, 3, [&](const uint8_t* s, uint8_t* d) {
            uint8_t first = s[0], second = s[1], third = s[2];
            d[0] = third;
            d[1] = second;
            d[2] = first;
        });
        return 1;
    }
    LogMessage(LOG_WARNING, "Using slow 24 to 24 conversion\n");
    if (!EightBitRgb(from) || !EightBitRgb(to))
        return SetErrorText("Color conversion : 24 to 24 conversions must have 8 bits per element");
    c.EachPixel(
        3, 3, [&](const uint8_t* s, uint8_t* d) { Write24(d, Move(Read24(s), from, to, false)); });
    return 1;
}

int From24(const Conversion& c) {
    const PixelFormat &from = c.from, &to = c.to;
    if (to.bits == 16 && c.red) {
        const uint16_t opaque = c.alpha[255];
        c.EachPixel(3, 2, [&](const uint8_t* s, uint8_t* d) {
            uint32_t p = Read24(s);
            uint16_t value =
                uint16_t(c.red[Channel(p, from.redShift)] | c.green[Channel(p, from.greenShift)] |
                         c.blue[Channel(p, from.blueShift)]);
            // Black stays 0: no alpha bit for it.
            if (value) value = uint16_t(value | opaque);
            Write16(d, value);
        });
        return 1;
    }
    if (to.bits == 24) return From24To24(c);
    if (to.bits != 32) return kNotConverted;
    if (!EightBitRgb(from) || !EightBitRgb(to))
        return SetErrorText("Color conversion : 32 to 32 conversions must have 8 bits per element");
    // The source bytes are blue, green, red whatever its masks say.
    c.EachPixel(3, 4, [&](const uint8_t* s, uint8_t* d) {
        uint32_t value = uint32_t(s[2]) << to.redShift | uint32_t(s[1]) << to.greenShift |
                         uint32_t(s[0]) << to.blueShift;
        if (value) value |= to.alphaMask;
        Write32(d, value);
    });
    return 1;
}

int From32To32(const Conversion& c) {
    const PixelFormat &from = c.from, &to = c.to;
    if (from.redMask == to.redMask && from.greenMask == to.greenMask &&
        from.blueMask == to.blueMask && from.alphaMask == to.alphaMask) {
        for (int32_t y = 0; y < c.height; ++y)
            std::memmove(c.destinationRow + intptr_t(y) * c.destinationPitch,
                         c.sourceRow + intptr_t(y) * c.sourcePitch, size_t(c.width) * 4);
        return 1;
    }
    if (!EightBitRgb(from) || !EightBitRgb(to) || from.alphaLoss != 0 || to.alphaLoss != 0)
        return SetErrorText("Color conversion : 32 to 32 conversions must have 8 bits per element");
    c.EachPixel(4, 4,
                [&](const uint8_t* s, uint8_t* d) { Write32(d, Move(Read32(s), from, to, true)); });
    return 1;
}

int From32(const Conversion& c) {
    const PixelFormat &from = c.from, &to = c.to;
    if (to.bits == 16 && c.red) {
        // A source without alpha counts as opaque.
        const bool hasAlpha = from.alphaMask != 0;
        c.EachPixel(4, 2, [&](const uint8_t* s, uint8_t* d) {
            uint32_t p = Read32(s);
            uint32_t a = hasAlpha ? Channel(p, from.alphaShift) : 255;
            Write16(d, uint16_t(c.red[Channel(p, from.redShift)] |
                                c.green[Channel(p, from.greenShift)] |
                                c.blue[Channel(p, from.blueShift)] | c.alpha[a]));
        });
        return 1;
    }
    if (to.bits == 24) {
        if (!EightBitRgb(from) || !EightBitRgb(to))
            return SetErrorText(
                "Color conversion : 32 to 24 conversions must have 8 bits per element");
        c.EachPixel(4, 3, [&](const uint8_t* s, uint8_t* d) {
            Write24(d, Move(Read32(s), from, to, false));
        });
        return 1;
    }
    if (to.bits == 32) return From32To32(c);
    return kNotConverted;
}

}  // namespace

int Convert(PixelFormat* converter, const void* sourcePixels, void* destinationPixels,
            int32_t width, int32_t height, int32_t sourcePitch, int32_t destinationPitch,
            PixelFormat* sourceFormat, int32_t) {
    if (!converter || !sourceFormat || !Analyse(sourceFormat)) return 0;
    const PixelFormat& to = *converter;
    const PixelFormat& from = *sourceFormat;
    // 16-bit sources are the back buffers of 16-bit display modes, read for screenshots.
    if (from.bits != 8 && from.bits != 24 && from.bits != 32 && !(from.bits == 16 && to.bits == 24))
        return SetErrorText("Unsupported source pixel depth (%ld)", long(from.bits));
    if (to.bits == 16) destinationPitch &= ~1;
    if (to.bits == 32) destinationPitch &= ~3;
    if (from.bits == 32) sourcePitch &= ~3;
    const uint16_t* table = to.table;
    const Conversion conversion = {from,
                                   to,
                                   static_cast<const uint8_t*>(sourcePixels),
                                   static_cast<uint8_t*>(destinationPixels),
                                   width,
                                   height,
                                   sourcePitch,
                                   destinationPitch,
                                   table,
                                   table ? table + 256 : nullptr,
                                   table ? table + 512 : nullptr,
                                   table ? table + 768 : nullptr};
    int result = kNotConverted;
    if (from.bits == 8) result = From8(conversion);
    if (from.bits == 16) result = From16(conversion);
    if (from.bits == 24) result = From24(conversion);
    if (from.bits == 32) result = From32(conversion);
    if (result != kNotConverted) return result;
    LogMessage(LOG_WARNING, "%ld to %ld bpp unsupported (%08lx %08lx %08lx %08lx)\n",
               long(from.bits), long(to.bits), (unsigned long)to.redMask,
               (unsigned long)to.greenMask, (unsigned long)to.blueMask,
               (unsigned long)to.alphaMask);
    return 1;
}

}  // namespace ColConvert
