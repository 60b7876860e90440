// FXT1 reader.
//
// Decodes the four block modes of the published FXT1 definition (CC_HI, CC_CHROMA,
// CC_MIXED with and without its alpha flag, CC_ALPHA with and without its lerp flag)
// with the arithmetic of the reference decoder (shared/formats/fxt1.md): 5-bit
// channels widened by rounding (255 v + 15) / 31, CC_MIXED greens of 6 bits, CC_HI
// levels rounded with + 3. Where that note and the simplified formulas of the reader's description
// differ, the note wins: it was checked bit for bit against Mesa's decoder.
//
// Block layout in the file: whole 8 x 4 blocks only, in rows from the top, left to
// right; the right columns and bottom rows outside whole blocks are transparent black.
// The layout never depends on the file's length, so bytes after the blocks are ignored.
// Refuses: a wrong magic, sizes over the bitmap limit, and files shorter than the
// blocks their header claims (checked before the pixels are allocated).
// Allocates: the 32-bit pixel block and one row of compressed blocks.
#include "ansi/fxt1.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/file.h"
#include "ansi/memory.h"
#include "misc.h"

namespace {

const char kNoError[] = "FXT - No error";
const char kOpenFailed[] = "FXT - Unable to open \"%s\"";
const char kNotFxt[] = "FXT - Not a fxt file";
const char kOutOfMemory[] = "Out of memory";
const char kReadError[] = "Error reading file";
const char kSaveNotImplemented[] = "FXT - Save function isnt implemented yet";

const uint8_t kMagic[4] = {'C', 'X', 'E', 'T'};

// The 128 bits of a block as two 64-bit halves, fields read LSB first.
struct BlockBits {
    uint64_t low;
    uint64_t high;

    explicit BlockBits(const uint8_t* block) : low(0), high(0) {
        for (int i = 7; i >= 0; --i) {
            low = low << 8 | block[i];
            high = high << 8 | block[i + 8];
        }
    }
    // n <= 32 bits starting at bit position.
    uint32_t Field(int position, int n) const {
        uint64_t value;
        if (position >= 64)
            value = high >> (position - 64);
        else if (position + n <= 64)
            value = low >> position;
        else
            value = low >> position | high << (64 - position);
        return uint32_t(value & ((uint64_t(1) << n) - 1));
    }
    bool Bit(int position) const { return Field(position, 1) != 0; }
};

uint32_t Widen5(uint32_t v) {
    return (255 * v + 15) / 31;
}
uint32_t Widen6(uint32_t v) {
    return (255 * v + 31) / 63;
}

struct Colour {
    uint32_t red, green, blue, alpha;
};

uint32_t Pack(const Colour& c) {
    return c.alpha << 24 | c.red << 16 | c.green << 8 | c.blue;
}

// The 15-bit colour at bit p: blue p..p+4, green p+5..p+9, red p+10..p+14, widened.
Colour ColourAt(const BlockBits& bits, int p) {
    return Colour{Widen5(bits.Field(p + 10, 5)), Widen5(bits.Field(p + 5, 5)),
                  Widen5(bits.Field(p, 5)), 255};
}

// ((n - i) a + i b + bias) / n per channel, alpha included.
Colour Mix(const Colour& a, const Colour& b, uint32_t i, uint32_t n, uint32_t bias) {
    return Colour{
        ((n - i) * a.red + i * b.red + bias) / n, ((n - i) * a.green + i * b.green + bias) / n,
        ((n - i) * a.blue + i * b.blue + bias) / n, ((n - i) * a.alpha + i * b.alpha + bias) / n};
}

// Texel number t of the texel at (x, y): left half 4y + x, right half 16 + 4y + x - 4.
int TexelNumber(int x, int y) {
    return x < 4 ? 4 * y + x : 16 + 4 * y + (x - 4);
}

// Writes the 8 x 4 texels from a palette per half and the 2-bit indices of bits 0-63.
void FromTwoBitIndices(const BlockBits& bits, const uint32_t left[4], const uint32_t right[4],
                       uint32_t texels[4][8]) {
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int t = TexelNumber(x, y);
            texels[y][x] = (t < 16 ? left : right)[bits.Field(2 * t, 2)];
        }
}

void DecodeHi(const BlockBits& bits, uint32_t texels[4][8]) {
    Colour c0 = ColourAt(bits, 96);
    Colour c1 = ColourAt(bits, 111);
    uint32_t palette[8];
    for (uint32_t i = 0; i < 7; ++i) palette[i] = Pack(Mix(c0, c1, i, 6, 3));
    palette[7] = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) texels[y][x] = palette[bits.Field(3 * TexelNumber(x, y), 3)];
}

void DecodeChroma(const BlockBits& bits, uint32_t texels[4][8]) {
    uint32_t palette[4];
    for (int i = 0; i < 4; ++i) palette[i] = Pack(ColourAt(bits, 64 + 15 * i));
    FromTwoBitIndices(bits, palette, palette, texels);
}

// One half of a CC_MIXED block: colours P at bit p and Q at p + 15, green LSB glsb,
// selector bit selb (the high bit of the half's first index).
void MixedPalette(const BlockBits& bits, int p, bool glsb, bool selb, bool alphaFlag,
                  uint32_t palette[4]) {
    Colour first = ColourAt(bits, p);
    Colour second = ColourAt(bits, p + 15);
    second.green = Widen6(bits.Field(p + 20, 5) * 2 + glsb);
    if (!alphaFlag) {
        first.green = Widen6(bits.Field(p + 5, 5) * 2 + (glsb != selb));
        for (uint32_t i = 0; i < 4; ++i) palette[i] = Pack(Mix(first, second, i, 3, 1));
    } else {
        palette[0] = Pack(first);
        palette[1] = Pack(Mix(first, second, 1, 2, 0));
        palette[2] = Pack(second);
        palette[3] = 0;
    }
}

void DecodeMixed(const BlockBits& bits, uint32_t texels[4][8]) {
    bool alphaFlag = bits.Bit(124);
    uint32_t left[4], right[4];
    MixedPalette(bits, 64, bits.Bit(125), bits.Bit(1), alphaFlag, left);
    MixedPalette(bits, 94, bits.Bit(126), bits.Bit(33), alphaFlag, right);
    FromTwoBitIndices(bits, left, right, texels);
}

void DecodeAlpha(const BlockBits& bits, uint32_t texels[4][8]) {
    Colour colours[3];
    for (int k = 0; k < 3; ++k) {
        colours[k] = ColourAt(bits, 64 + 15 * k);
        colours[k].alpha = Widen5(bits.Field(109 + 5 * k, 5));
    }
    uint32_t left[4], right[4];
    if (!bits.Bit(124)) {
        for (int i = 0; i < 3; ++i) left[i] = Pack(colours[i]);
        left[3] = 0;
        FromTwoBitIndices(bits, left, left, texels);
        return;
    }
    for (uint32_t i = 0; i < 4; ++i) {
        left[i] = Pack(Mix(colours[0], colours[1], i, 3, 1));
        right[i] = Pack(Mix(colours[2], colours[1], i, 3, 1));
    }
    FromTwoBitIndices(bits, left, right, texels);
}

// Stores count texels as little-endian words (bytes blue, green, red, alpha).
void StoreTexels(uint8_t* out, const uint32_t* texels, int32_t count) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(out, texels, size_t(count) * 4);
#else
    for (int32_t x = 0; x < count; ++x, out += 4) {
        out[0] = uint8_t(texels[x]);
        out[1] = uint8_t(texels[x] >> 8);
        out[2] = uint8_t(texels[x] >> 16);
        out[3] = uint8_t(texels[x] >> 24);
    }
#endif
}

}  // namespace

void Fxt1DecodeBlock(const uint8_t* block, uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH]) {
    BlockBits bits(block);
    uint32_t mode = bits.Field(125, 3);
    if (mode >= 4)
        DecodeMixed(bits, texels);
    else if (mode <= 1)
        DecodeHi(bits, texels);
    else if (mode == 2)
        DecodeChroma(bits, texels);
    else
        DecodeAlpha(bits, texels);
}

Fxt1Reader::Fxt1Reader() : PictureFormat("fxt", "FXT1", kNoError, kOpenFailed, FILE_READ) {}

int Fxt1Reader::LoadFromFile(File& file, Bitmap& bitmap, int, int) {
    uint8_t header[FXT1_HEADER_BYTES];
    int32_t start;
    if (!file.Tell(&start, SEEK_ABSOLUTE) || !file.Read(header, sizeof header) ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return SetFormatError(kNotFxt, 0);
    uint32_t fileWidth = uint32_t(header[8]) | uint32_t(header[9]) << 8 |
                         uint32_t(header[10]) << 16 | uint32_t(header[11]) << 24;
    uint32_t fileHeight = uint32_t(header[12]) | uint32_t(header[13]) << 8 |
                          uint32_t(header[14]) << 16 | uint32_t(header[15]) << 24;
    int32_t pitch, totalBytes;
    if (fileWidth > uint32_t(INT32_MAX) || fileHeight > uint32_t(INT32_MAX) ||
        !BitmapGeometry(int32_t(fileWidth), int32_t(fileHeight), 4, 1, &pitch, &totalBytes))
        return SetFormatError(kOutOfMemory, 0);
    int32_t width = int32_t(fileWidth);
    int32_t height = int32_t(fileHeight);

    int32_t across = width / FXT1_BLOCK_WIDTH, down = height / FXT1_BLOCK_HEIGHT;
    if (across == 0 || down == 0) across = down = 0;
    int64_t available;
    {
        int32_t length;
        if (!file.Length(&length)) return SetFormatError(kReadError, 0);
        available = int64_t(length) - start - FXT1_HEADER_BYTES;
    }
    if (available < int64_t(across) * down * FXT1_BLOCK_BYTES) return SetFormatError(kReadError, 0);

    uint8_t* pixels = static_cast<uint8_t*>(XALLOC(size_t(totalBytes)));
    std::memset(pixels, 0, size_t(totalBytes));
    uint8_t* blockRow = static_cast<uint8_t*>(XALLOC(size_t(across + 1) * FXT1_BLOCK_BYTES));
    int ok = 1;
    for (int32_t by = 0; by < down && ok; ++by) {
        ok = file.Read(blockRow, across * FXT1_BLOCK_BYTES);
        for (int32_t bx = 0; bx < across && ok; ++bx) {
            uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];
            Fxt1DecodeBlock(blockRow + intptr_t(bx) * FXT1_BLOCK_BYTES, texels);
            int32_t x0 = bx * FXT1_BLOCK_WIDTH, y0 = by * FXT1_BLOCK_HEIGHT;
            for (int32_t y = 0; y < FXT1_BLOCK_HEIGHT; ++y) {
                StoreTexels(pixels + intptr_t(y0 + y) * pitch + intptr_t(x0) * 4, texels[y],
                            FXT1_BLOCK_WIDTH);
            }
        }
    }
    xFree(blockRow);
    if (!ok) {
        xFree(pixels);
        return SetFormatError(kReadError, 0);
    }

    bitmap.Release();
    bitmap.AdoptPixels(pixels, width, height, 32, pitch);
    bitmap.directColour = 1;
    bitmap.redSize = bitmap.greenSize = bitmap.blueSize = bitmap.alphaSize = 8;
    bitmap.redPos = 16;
    bitmap.greenPos = 8;
    bitmap.bluePos = 0;
    bitmap.alphaPos = 24;
    return 1;
}

int Fxt1Reader::SaveToFile(File&, const Bitmap&, int, int, int) {
    return SetFormatError(kSaveNotImplemented, 0);
}

int Fxt1Reader::Save(const char*, const Bitmap&, int, int, int) {
    return SetFormatError(kSaveNotImplemented, 0);
}
