// BMP codec.
//
// Reads: the 14-byte file header with the 40-byte BITMAPINFOHEADER; 8-bit indexed
// (colour table of up to 256 entries), 16-, 24- and 32-bit uncompressed, and RLE8.
// Bottom-up files, and top-down ones (negative height) when uncompressed.
// Refuses: core (OS/2) and V4/V5 headers, fewer than 8 bits a pixel, bit fields and
// any compression but RLE8 of 8-bit pictures, sizes over the bitmap limits, and
// uncompressed files too short for the rows their header claims (checked before the
// pixel block is allocated, so a lying header costs nothing).
// Allocates: one block of width x bytes per pixel x height (rows unpadded, top-down)
// and, for 8 bits, a palette; RLE8 data is read through a 4 KiB buffer.
// Writes: uncompressed files of the bitmap's depth, rows padded to 4 bytes, bottom-up.
//
// Sections: reading (headers, palette, rows, RLE8); writing.
#include "ansi/bmp.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/bytereader.h"
#include "ansi/file.h"
#include "ansi/memory.h"
#include "misc.h"

namespace {

const int kFileHeaderSize = 14;
const int kInfoHeaderSize = 40;
const int kCoreHeaderSize = 12;
const uint16_t kBitmapType = 0x4D42;  // "BM"

const char kNoError[] = "BMP - No error";
const char kOpenFailed[] = "BMP - Unable to open \"%s\"";
const char kReadHeader[] = "BMP - Failed to read file header";
const char kNotBitmap[] = "BMP - Not a (windows) bitmap file";
const char kCoreHeader[] = "BMP - Unsupported bitmap file format. (BITMAPCOREHEADER)";
const char kUnsupported[] = "BMP - Unsupported bitmap file format.";
const char kTooFewColours[] = "BMP - Unsupported number of colors (<256)";
const char kCompressed[] = "BMP - There is no support for compressed bitmaps which aren't 8bit";
const char kReadColourTable[] = "BMP - Failed to read colortable";
const char kOutOfMemory[] = "Out of memory";
const char kReadError[] = "Error reading file";
const char kWriteError[] = "Error writing file";
const char kSaveOpenFailed[] = "BMP - Unable to open file";
const char kWriteHeader[] = "BMP - Failed to write the file header";
const char kNotImplemented[] = "BMP - Feature isnt implemented yet";

uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}
void Put32(uint8_t* p, uint32_t value) {
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

struct BmpHeader {
    uint16_t type;
    uint32_t dataOffset;
    uint32_t infoSize;
    int32_t width;
    int32_t height;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t coloursUsed;
};

BmpHeader ParseHeader(const uint8_t* bytes) {
    BmpHeader header;
    header.type = Get16(bytes);
    header.dataOffset = Get32(bytes + 10);
    const uint8_t* info = bytes + kFileHeaderSize;
    header.infoSize = Get32(info);
    header.width = int32_t(Get32(info + 4));
    header.height = int32_t(Get32(info + 8));
    header.bitCount = Get16(info + 14);
    header.compression = Get32(info + 16);
    header.coloursUsed = Get32(info + 32);
    return header;
}

// RLE8 into a top-down block of width x height bytes. Runs and literals that leave the
// block are dropped (their bytes still consumed). 0 when the data ends before the
// end-of-bitmap code.
int DecodeRle8(ByteReader& reader, uint8_t* pixels, int32_t width, int32_t height) {
    int32_t x = 0;
    int32_t row = 0;  // in the file's order: 0 is the bottom row of the picture
    auto put = [&](uint8_t value) {
        if (x < width && row < height) pixels[intptr_t(height - 1 - row) * width + x] = value;
        // x stops growing past the row's end: later pixels of the row are dropped.
        if (x <= width) ++x;
    };
    for (;;) {
        uint8_t count, value;
        if (!reader.Next(&count) || !reader.Next(&value)) return 0;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(value);
        } else if (value == 0) {
            x = 0;
            if (row < height) ++row;
        } else if (value == 1) {
            return 1;
        } else if (value == 2) {
            uint8_t dx, dy;
            if (!reader.Next(&dx) || !reader.Next(&dy)) return 0;
            x = x + dx > width ? width + 1 : x + dx;
            row = row + dy > height ? height : row + dy;
        } else {
            for (int i = 0; i < value; ++i) {
                uint8_t literal;
                if (!reader.Next(&literal)) return 0;
                put(literal);
            }
            uint8_t padding;
            if ((value & 1) && !reader.Next(&padding)) return 0;
        }
    }
}

// The channel layout of a loaded picture, in the bitmap's conventions.
void SetChannels(Bitmap& bitmap, int32_t bits) {
    bitmap.alphaSize = 0;
    bitmap.alphaPos = 0;
    if (bits == 16) {
        // The native word X1R5G5B5 of an uncompressed 16-bit file.
        bitmap.redSize = bitmap.greenSize = bitmap.blueSize = 5;
        bitmap.redPos = 10;
        bitmap.greenPos = 5;
        bitmap.bluePos = 0;
    } else if (bits == 32) {
        // Bytes blue, green, red, unused: the native word 0xXXRRGGBB.
        bitmap.redSize = bitmap.greenSize = bitmap.blueSize = 8;
        bitmap.redPos = 16;
        bitmap.greenPos = 8;
        bitmap.bluePos = 0;
    } else {
        // Bytes blue, green, red read as one big-endian number (also set for 8 bits).
        bitmap.redSize = bitmap.greenSize = bitmap.blueSize = 8;
        bitmap.redPos = 0;
        bitmap.greenPos = 8;
        bitmap.bluePos = 16;
    }
}

}  // namespace

int BmpCodec::RefuseWithPalette(Palette* palette, const char* text) {
    XDELETE(palette);
    return SetFormatError(text, 0);
}

BmpCodec::BmpCodec() : PictureFormat("bmp", "Windows Bitmap", kNoError, kOpenFailed, FILE_READ) {}

int BmpCodec::LoadFromFile(File& file, Bitmap& bitmap, int, int) {
    uint8_t headerBytes[kFileHeaderSize + kInfoHeaderSize];
    int32_t start;
    // Offsets in the file count from where the picture starts (normally 0).
    if (!file.Tell(&start, SEEK_ABSOLUTE) || !file.Read(headerBytes, sizeof headerBytes))
        return SetFormatError(kReadHeader, 0);
    BmpHeader header = ParseHeader(headerBytes);
    if (header.type != kBitmapType) return SetFormatError(kNotBitmap, 0);
    if (header.infoSize == kCoreHeaderSize) return SetFormatError(kCoreHeader, 0);
    if (header.infoSize != kInfoHeaderSize) return SetFormatError(kUnsupported, 0);
    if (header.bitCount < 8) return SetFormatError(kTooFewColours, 0);
    if (header.compression != 0 && !(header.compression == 1 && header.bitCount == 8))
        return SetFormatError(kCompressed, 0);
    if (header.bitCount != 8 && header.bitCount != 16 && header.bitCount != 24 &&
        header.bitCount != 32)
        return SetFormatError(kUnsupported, 0);
    // A negative height stores the rows top-down; the standard allows it uncompressed.
    bool topDown = header.height < 0;
    if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN ||
        (topDown && header.compression != 0))
        return SetFormatError(kUnsupported, 0);
    int32_t width = header.width;
    int32_t height = topDown ? -header.height : header.height;
    int32_t bits = header.bitCount;
    int32_t bytesPerPixel = bits / 8;

    int32_t rowLength, totalBytes, paddedRow, unused;
    if (!BitmapGeometry(width, height, bytesPerPixel, 1, &rowLength, &totalBytes) ||
        !BitmapGeometry(width, 1, bytesPerPixel, 4, &paddedRow, &unused))
        return SetFormatError(kOutOfMemory, 0);

    Palette* palette = nullptr;
    if (bits == 8) {
        uint32_t colours = header.coloursUsed == 0 ? 256 : header.coloursUsed;
        // Entries past 256 have no index that could name them.
        if (colours > 256) colours = 256;
        uint8_t table[256 * 4];
        if (!file.Read(table, int32_t(colours * 4))) return SetFormatError(kReadColourTable, 0);
        palette = XNEW(Palette);
        for (uint32_t i = 0; i < colours; ++i) {
            palette->entries[i].red = table[i * 4 + 2];
            palette->entries[i].green = table[i * 4 + 1];
            palette->entries[i].blue = table[i * 4];
            palette->entries[i].fourth = 255;
        }
    }
    int32_t fileLength;  // absolute: codecs read files opened without a window
    if (!file.Length(&fileLength)) return RefuseWithPalette(palette, kReadError);
    if (header.dataOffset > uint32_t(INT32_MAX) ||
        int64_t(header.dataOffset) + start > int64_t(fileLength))
        return RefuseWithPalette(palette, kReadError);
    int32_t dataOffset = int32_t(header.dataOffset) + start;
    if (header.compression == 0) {
        // Every row but the last must be there with its padding, the last without.
        int64_t needed = int64_t(paddedRow) * (height - 1) + rowLength;
        if (needed > int64_t(fileLength) - dataOffset)
            return RefuseWithPalette(palette, kReadError);
    }

    if (!file.Seek(dataOffset, SEEK_FROM_WINDOW | SEEK_ABSOLUTE))
        return RefuseWithPalette(palette, kReadError);

    uint8_t* pixels = static_cast<uint8_t*>(XALLOC(size_t(totalBytes)));
    // Uncompressed data fills every byte; RLE8 may skip pixels, which stay 0.
    if (header.compression != 0) std::memset(pixels, 0, size_t(totalBytes));
    int ok = 1;
    if (header.compression == 0) {
        int32_t padding = paddedRow - rowLength;
        for (int32_t i = 0; i < height && ok; ++i) {
            int32_t row = topDown ? i : height - 1 - i;
            ok = file.Read(pixels + intptr_t(row) * rowLength, rowLength);
            if (ok && padding && i + 1 < height) ok = file.Seek(padding, SEEK_FROM_CURRENT);
        }
    } else {
        ByteReader reader(file, fileLength - dataOffset);
        ok = DecodeRle8(reader, pixels, width, height);
    }
    if (!ok) {
        xFree(pixels);
        XDELETE(palette);
        return SetFormatError(kReadError, 0);
    }

    bitmap.Release();
    bitmap.AdoptPixels(pixels, width, height, bits, rowLength);
    bitmap.directColour = bits == 8 ? 0 : 1;
    bitmap.palette = palette;
    SetChannels(bitmap, bits);
    return 1;
}

int BmpCodec::Save(const char* path, const Bitmap& bitmap, int options, int reserved, int flags) {
    File file;
    if (!path || !file.Open(path, FILE_WRITE | FILE_CREATE_DIRS))
        return SetFormatError(kSaveOpenFailed, 0);
    int result = SaveToFile(file, bitmap, options, reserved, flags);
    file.Close();
    return result;
}

int BmpCodec::SaveToFile(File& file, const Bitmap& bitmap, int, int reserved, int flags) {
    if (reserved != 0) return SetFormatError(kNotImplemented, 0);
    int32_t width = bitmap.width;
    int32_t height = bitmap.height;
    int32_t bytesPerPixel = bitmap.bytesPerPixel;
    int32_t rowLength, fileRow, unused;
    if (!bitmap.pixels || bytesPerPixel < 1 || bytesPerPixel > 4 ||
        !BitmapGeometry(width, height, bytesPerPixel, 1, &rowLength, &unused) ||
        !BitmapGeometry(width, 1, bytesPerPixel, 4, &fileRow, &unused) || bitmap.pitch < rowLength)
        return SetFormatError(kUnsupported, 0);

    int32_t start;
    uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    Put16(header, kBitmapType);
    uint8_t* info = header + kFileHeaderSize;
    Put32(info, kInfoHeaderSize);
    Put32(info + 4, uint32_t(width));
    Put32(info + 8, uint32_t(height));
    Put16(info + 12, 1);
    Put16(info + 14, uint32_t(bitmap.bitsPerPixel));
    if (!file.Tell(&start, SEEK_FROM_WINDOW | SEEK_ABSOLUTE) || !file.Write(header, sizeof header))
        return SetFormatError(kWriteHeader, 0);

    if (bitmap.bitsPerPixel == 8) {
        if (!bitmap.palette) return 0;
        uint8_t table[PALETTE_SIZE * 4];
        for (int i = 0; i < PALETTE_SIZE; ++i) {
            table[i * 4] = bitmap.palette->entries[i].blue;
            table[i * 4 + 1] = bitmap.palette->entries[i].green;
            table[i * 4 + 2] = bitmap.palette->entries[i].red;
            table[i * 4 + 3] = 0;
        }
        if (!file.Write(table, sizeof table)) return SetFormatError(kWriteHeader, 0);
    }
    int32_t dataOffset;
    if (!file.Tell(&dataOffset, SEEK_FROM_WINDOW | SEEK_ABSOLUTE))
        return SetFormatError(kWriteHeader, 0);

    // Red, green, blue bytes in memory are written blue, green, red.
    bool reverse = bitmap.bitsPerPixel == 24 && bitmap.redPos == 16 && bitmap.greenPos == 8 &&
                   bitmap.bluePos == 0;
    bool memoryOrder = reverse && (flags & 2);
    uint8_t* row = static_cast<uint8_t*>(XALLOC(size_t(fileRow)));
    std::memset(row, 0, size_t(fileRow));
    int ok = 1;
    for (int32_t i = 0; i < height && ok; ++i) {
        int32_t y = memoryOrder ? i : height - 1 - i;
        const uint8_t* source = bitmap.pixels + intptr_t(y) * bitmap.pitch;
        if (reverse) {
            for (int32_t x = 0; x < width; ++x) {
                row[x * 3] = source[x * 3 + 2];
                row[x * 3 + 1] = source[x * 3 + 1];
                row[x * 3 + 2] = source[x * 3];
            }
        } else {
            std::memcpy(row, source, size_t(rowLength));
        }
        ok = file.Write(row, fileRow);
    }
    xFree(row);
    if (!ok) return SetFormatError(kWriteError, 0);

    int32_t end;
    if (!file.Tell(&end, SEEK_FROM_WINDOW | SEEK_ABSOLUTE)) return SetFormatError(kWriteHeader, 0);
    Put32(header + 2, uint32_t(end - start));
    Put32(header + 10, uint32_t(dataOffset - start));
    if (!file.Seek(start, SEEK_FROM_WINDOW | SEEK_ABSOLUTE) || !file.Write(header, kFileHeaderSize))
        return SetFormatError(kWriteHeader, 0);
    return 1;
}
