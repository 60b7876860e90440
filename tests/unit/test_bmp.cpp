// BMP codec. Test files are built byte by byte from Microsoft's published
// layout: BITMAPFILEHEADER (14 bytes), BITMAPINFOHEADER (40 bytes), colour table of
// blue, green, red, reserved quads, rows padded to 4 bytes, bottom-up unless the height
// is negative.
//
// Sections: reading; RLE8; bad files; writing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"
#include "ansi/file.h"
#include "misc.h"
#include "picture_test_support.h"
#include "test_support.h"

namespace {

struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint32_t bits = 24;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    uint32_t coloursUsed = 0;
    std::string type = "BM";
    std::string colourTable;  // raw quads
    std::string pixels;       // raw pixel data as stored
    int32_t dataOffset = -1;  // -1: right after the colour table
};

std::string BmpFile(const BmpSpec& spec) {
    std::string info;
    Append32(info, spec.infoSize);
    Append32(info, uint32_t(spec.width));
    Append32(info, uint32_t(spec.height));
    Append16(info, 1);
    Append16(info, spec.bits);
    Append32(info, spec.compression);
    Append32(info, uint32_t(spec.pixels.size()));
    Append32(info, 2835);  // 72 dpi
    Append32(info, 2835);
    Append32(info, spec.coloursUsed);
    Append32(info, 0);
    uint32_t offset = spec.dataOffset >= 0 ? uint32_t(spec.dataOffset)
                                           : uint32_t(14 + info.size() + spec.colourTable.size());
    std::string file = spec.type.substr(0, 2);
    Append32(file, uint32_t(14 + info.size() + spec.colourTable.size() + spec.pixels.size()));
    Append32(file, 0);
    Append32(file, offset);
    file += info + spec.colourTable;
    while (file.size() < offset && spec.dataOffset >= 0) file += char(0);
    return file + spec.pixels;
}

std::string Quad(uint8_t blue, uint8_t green, uint8_t red) {
    return std::string{char(blue), char(green), char(red), char(0)};
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes += char(v);
    return bytes;
}

const uint8_t* Row(const Bitmap& bitmap, int y) {
    return bitmap.pixels + y * bitmap.pitch;
}

// The red, green, blue of a direct-colour pixel through the bitmap's channel layout
// (24-bit pixels big-endian, 16 and 32-bit the native word).
struct Rgb {
    uint32_t red, green, blue;
    bool operator==(const Rgb& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << "," << c.green << "," << c.blue << ")";
}
Rgb PixelRgb(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = Row(bitmap, y) + x * bitmap.bytesPerPixel;
    uint32_t value = 0;
    if (bitmap.bytesPerPixel == 3)
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    else
        for (int i = bitmap.bytesPerPixel - 1; i >= 0; --i) value = value << 8 | p[i];
    auto channel = [&](int size, int position) { return (value >> position) & ((1u << size) - 1); };
    return Rgb{channel(bitmap.redSize, bitmap.redPos), channel(bitmap.greenSize, bitmap.greenPos),
               channel(bitmap.blueSize, bitmap.bluePos)};
}

class BmpTest : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    // Loads bytes written to a file through the registry; the error text on failure.
    int LoadBytes(const std::string& bytes) {
        WriteWholeFile("picture.bmp", bytes);
        return bitmap.Load("picture.bmp");
    }
    void ExpectRefused(const std::string& bytes, const char* message) {
        EXPECT_EQ(LoadBytes(bytes), 0) << message;
        EXPECT_EQ(PendingError(), message);
        EXPECT_STREQ(registry.bmp->GetErrorText(), message);
    }
    ScratchDirectory scratch;
    PictureRegistry registry;
    Bitmap bitmap;
};

// ------------------------------------------------------------------------ reading

TEST_F(BmpTest, RegistryEntry) {
    const char* extension = nullptr;
    const char* name = nullptr;
    registry.bmp->GetInfo(&extension, &name);
    EXPECT_STREQ(extension, "bmp");
    EXPECT_STREQ(name, "Windows Bitmap");
    EXPECT_STREQ(registry.bmp->GetErrorText(), "BMP - No error");
    EXPECT_EQ(registry.bmp->MatchesExtension("BMP"), 1);
}

TEST_F(BmpTest, EightBitsWithAShortColourTable) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.bits = 8;
    spec.coloursUsed = 16;
    for (int i = 0; i < 16; ++i)
        spec.colourTable += Quad(uint8_t(i), uint8_t(2 * i), uint8_t(3 * i + 100));
    // Bottom row first, each padded from 3 to 4 bytes.
    spec.pixels = Bytes({4, 5, 15, 0xEE, 1, 2, 3, 0xEE});
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(bitmap.bitsPerPixel, 8);
    EXPECT_EQ(bitmap.bytesPerPixel, 1);
    EXPECT_EQ(bitmap.pitch, 3);
    EXPECT_EQ(bitmap.directColour, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bitmap.pixels), 6),
              Bytes({1, 2, 3, 4, 5, 15}));
    ASSERT_NE(bitmap.palette, nullptr);
    const PaletteEntry& e = bitmap.palette->entries[15];
    EXPECT_EQ(e.red, 145);
    EXPECT_EQ(e.green, 30);
    EXPECT_EQ(e.blue, 15);
    EXPECT_EQ(e.fourth, 255);
    // Entries 16-255 keep the grey ramp.
    EXPECT_EQ(bitmap.palette->entries[16].red, 16);
    EXPECT_EQ(bitmap.palette->entries[200].green, 200);
    EXPECT_EQ(bitmap.palette->entries[255].blue, 255);
    EXPECT_EQ(bitmap.clipRight, 2);
    EXPECT_EQ(bitmap.clipBottom, 1);
}

TEST_F(BmpTest, EightBitsWithAFullColourTableAndGapBeforeThePixels) {
    BmpSpec spec;
    spec.width = 4;
    spec.height = 1;
    spec.bits = 8;
    for (int i = 0; i < 256; ++i) spec.colourTable += Quad(uint8_t(255 - i), 0, uint8_t(i));
    spec.pixels = Bytes({0, 255, 128, 7});
    spec.dataOffset = 14 + 40 + 1024 + 10;
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bitmap.pixels), 4),
              Bytes({0, 255, 128, 7}));
    EXPECT_EQ(bitmap.palette->entries[255].red, 255);
    EXPECT_EQ(bitmap.palette->entries[255].blue, 0);
    EXPECT_EQ(bitmap.palette->entries[0].blue, 255);
}

TEST_F(BmpTest, EightBitsTopDown) {
    BmpSpec spec;
    spec.width = 2;
    spec.height = -2;
    spec.bits = 8;
    spec.coloursUsed = 2;
    spec.colourTable = Quad(0, 0, 0) + Quad(255, 255, 255);
    spec.pixels = Bytes({1, 0, 0, 0, 0, 1, 0, 0});
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(Row(bitmap, 0)[0], 1);
    EXPECT_EQ(Row(bitmap, 1)[1], 1);
}

TEST_F(BmpTest, SixteenBits) {
    BmpSpec spec;
    spec.width = 2;
    spec.height = 2;
    spec.bits = 16;
    // X1R5G5B5 little-endian words: bottom row red, green; top row blue, white.
    spec.pixels = Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F});
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.bitsPerPixel, 16);
    EXPECT_EQ(bitmap.bytesPerPixel, 2);
    EXPECT_EQ(bitmap.pitch, 4);
    EXPECT_EQ(bitmap.directColour, 1);
    EXPECT_EQ(bitmap.palette, nullptr);
    EXPECT_EQ(PixelRgb(bitmap, 0, 1), (Rgb{31, 0, 0}));
    EXPECT_EQ(PixelRgb(bitmap, 1, 1), (Rgb{0, 31, 0}));
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), (Rgb{0, 0, 31}));
    EXPECT_EQ(PixelRgb(bitmap, 1, 0), (Rgb{31, 31, 31}));
}

TEST_F(BmpTest, TwentyFourBitsOfWidthThreeAreUnpaddedInMemory) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    // 9 pixel bytes and 3 padding bytes a row; blue, green, red.
    spec.pixels = Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 9, 9, 9,  // bottom: red green blue
                         1, 2, 3,   4, 5,   6, 7,   8, 9, 9, 9, 9});
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.pitch, 9);
    EXPECT_EQ(bitmap.bytesPerPixel, 3);
    EXPECT_EQ(bitmap.redSize, 8);
    EXPECT_EQ(bitmap.redPos, 0);
    EXPECT_EQ(bitmap.greenPos, 8);
    EXPECT_EQ(bitmap.bluePos, 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Row(bitmap, 0)), 9),
              Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(PixelRgb(bitmap, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelRgb(bitmap, 1, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(PixelRgb(bitmap, 2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), (Rgb{3, 2, 1}));
}

TEST_F(BmpTest, TwentyFourBitsTopDown) {
    BmpSpec spec;
    spec.width = 1;
    spec.height = -3;
    spec.pixels = Bytes({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9});  // the last row's padding left out
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(PixelRgb(bitmap, 0, 2), (Rgb{9, 8, 7}));
}

TEST_F(BmpTest, ThirtyTwoBits) {
    BmpSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.bits = 32;
    spec.pixels = Bytes({10, 20, 30, 0, 200, 100, 50, 0});
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.bitsPerPixel, 32);
    EXPECT_EQ(bitmap.pitch, 8);
    EXPECT_EQ(bitmap.redPos, 16);
    EXPECT_EQ(bitmap.greenPos, 8);
    EXPECT_EQ(bitmap.bluePos, 0);
    EXPECT_EQ(bitmap.alphaSize, 0);
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), (Rgb{30, 20, 10}));
    EXPECT_EQ(PixelRgb(bitmap, 1, 0), (Rgb{50, 100, 200}));
}

TEST_F(BmpTest, ThirtyTwoBitsTopDownAndBottomUpAgree) {
    BmpSpec up, down;
    up.width = down.width = 1;
    up.height = 2;
    down.height = -2;
    up.bits = down.bits = 32;
    up.pixels = Bytes({1, 1, 1, 0, 2, 2, 2, 0});
    down.pixels = Bytes({2, 2, 2, 0, 1, 1, 1, 0});
    ASSERT_EQ(LoadBytes(BmpFile(up)), 1);
    std::string first(reinterpret_cast<const char*>(bitmap.pixels), 8);
    ASSERT_EQ(LoadBytes(BmpFile(down)), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bitmap.pixels), 8), first);
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), (Rgb{2, 2, 2}));
}

TEST_F(BmpTest, OneAndFourBitFilesAreRefused) {
    // The codec reads 8 bits a pixel and more; a 4-bit or 1-bit file gets its message.
    BmpSpec spec;
    spec.width = 8;
    spec.height = 1;
    spec.bits = 4;
    spec.coloursUsed = 16;
    for (int i = 0; i < 16; ++i) spec.colourTable += Quad(0, 0, 0);
    spec.pixels = Bytes({0x01, 0x23, 0x45, 0x67});
    ExpectRefused(BmpFile(spec), "BMP - Unsupported number of colors (<256)");
    spec.bits = 1;
    spec.coloursUsed = 2;
    spec.colourTable = Quad(0, 0, 0) + Quad(255, 255, 255);
    spec.pixels = Bytes({0xA5, 0, 0, 0});
    ExpectRefused(BmpFile(spec), "BMP - Unsupported number of colors (<256)");
}

// ------------------------------------------------------------------------ RLE8

BmpSpec RleSpec(int32_t width, int32_t height, const std::string& data) {
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bits = 8;
    spec.compression = 1;
    spec.coloursUsed = 1;
    spec.colourTable = Quad(0, 0, 0);
    spec.pixels = data;
    return spec;
}

TEST_F(BmpTest, Rle8RunsDeltaLiteralsAndLineEnds) {
    // 03 AA: three AA; 00 02 05 01: 5 right and 1 row up; 02 BB: two BB; 00 00: end of
    // line; 00 03 01 02 03 + pad: three literals; 00 01: end of bitmap.
    std::string data = Bytes({0x03, 0xAA, 0x00, 0x02, 0x05, 0x01, 0x02, 0xBB, 0x00, 0x00, 0x00,
                              0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x01});
    ASSERT_EQ(LoadBytes(BmpFile(RleSpec(10, 3, data))), 1) << PendingError();
    EXPECT_EQ(bitmap.pitch, 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Row(bitmap, 2)), 10),
              Bytes({0xAA, 0xAA, 0xAA, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Row(bitmap, 1)), 10),
              Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0xBB, 0xBB}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Row(bitmap, 0)), 10),
              Bytes({1, 2, 3, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BmpTest, Rle8RunsOutsideThePictureAreDropped) {
    // A run past the row's end, a literal past it, deltas past the top, more lines than
    // the picture has: nothing is written outside the 4 x 2 block.
    std::string data =
        Bytes({0xFF, 0x11, 0x00, 0x00, 0x00, 0x05, 1,    2,    3,    4,    5,    0x00, 0x00, 0x02,
               0xFF, 0xFF, 0x10, 0x22, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x33, 0x00, 0x01});
    ASSERT_EQ(LoadBytes(BmpFile(RleSpec(4, 2, data))), 1) << PendingError();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bitmap.pixels), 8),
              Bytes({1, 2, 3, 4, 0x11, 0x11, 0x11, 0x11}));
}

TEST_F(BmpTest, Rle8DataEndingBeforeTheEndCodeIsAReadError) {
    ExpectRefused(BmpFile(RleSpec(4, 2, Bytes({0x02, 0x01, 0x00}))), "Error reading file");
    ExpectRefused(BmpFile(RleSpec(4, 2, Bytes({0x00, 0x05, 1, 2}))), "Error reading file");
    ExpectRefused(BmpFile(RleSpec(4, 2, Bytes({0x00, 0x02, 0x01}))), "Error reading file");
}

TEST_F(BmpTest, Rle8TopDownIsRefused) {
    ExpectRefused(BmpFile(RleSpec(4, -2, Bytes({0x00, 0x01}))),
                  "BMP - Unsupported bitmap file format.");
}

// ------------------------------------------------------------------------ bad files

BmpSpec SmallGood() {
    BmpSpec spec;
    spec.width = 2;
    spec.height = 2;
    spec.pixels = std::string(16, '\x55');
    return spec;
}

TEST_F(BmpTest, HeaderChecksInOrder) {
    BmpSpec spec = SmallGood();
    spec.type = "MB";
    ExpectRefused(BmpFile(spec), "BMP - Not a (windows) bitmap file");
    spec = SmallGood();
    spec.infoSize = 12;
    ExpectRefused(BmpFile(spec), "BMP - Unsupported bitmap file format. (BITMAPCOREHEADER)");
    spec.infoSize = 108;
    ExpectRefused(BmpFile(spec), "BMP - Unsupported bitmap file format.");
    spec.infoSize = 124;
    ExpectRefused(BmpFile(spec), "BMP - Unsupported bitmap file format.");
    spec = SmallGood();
    spec.compression = 3;  // bit fields
    ExpectRefused(BmpFile(spec),
                  "BMP - There is no support for compressed bitmaps which aren't 8bit");
    spec.compression = 2;  // RLE4
    ExpectRefused(BmpFile(spec),
                  "BMP - There is no support for compressed bitmaps which aren't 8bit");
    spec.compression = 1;  // RLE8 of a 24-bit picture
    ExpectRefused(BmpFile(spec),
                  "BMP - There is no support for compressed bitmaps which aren't 8bit");
    spec = SmallGood();
    spec.bits = 12;
    ExpectRefused(BmpFile(spec), "BMP - Unsupported bitmap file format.");
    // The type is checked before the header size.
    spec = SmallGood();
    spec.type = "XX";
    spec.infoSize = 12;
    ExpectRefused(BmpFile(spec), "BMP - Not a (windows) bitmap file");
}

TEST_F(BmpTest, TruncatedHeadersAndTables) {
    std::string good = BmpFile(SmallGood());
    ExpectRefused("", "BMP - Failed to read file header");
    ExpectRefused(good.substr(0, 10), "BMP - Failed to read file header");
    ExpectRefused(good.substr(0, 53), "BMP - Failed to read file header");
    BmpSpec spec;
    spec.bits = 8;
    spec.coloursUsed = 16;
    spec.colourTable = std::string(16 * 4, '\0');
    spec.pixels = std::string(4, '\0');
    ExpectRefused(BmpFile(spec).substr(0, 54 + 30), "BMP - Failed to read colortable");
}

TEST_F(BmpTest, TruncatedPixelsAreRefusedBeforeAllocating) {
    std::string good = BmpFile(SmallGood());
    ExpectRefused(good.substr(0, good.size() - 5), "Error reading file");
    // A header that claims 20000 x 10000 24-bit pixels (600 MB) over 16 bytes of data.
    BmpSpec liar = SmallGood();
    liar.width = 20000;
    liar.height = 10000;
    ExpectRefused(BmpFile(liar), "Out of memory");
    liar.width = 8000;
    liar.height = 8000;  // 192 MB: within the limits, but not in the file
    ExpectRefused(BmpFile(liar), "Error reading file");
    // A pixel-data offset past the end of the file.
    BmpSpec far = SmallGood();
    far.dataOffset = 1 << 30;
    WriteWholeFile("far.bmp", BmpFile(SmallGood()));
    std::string bytes = BmpFile(SmallGood());
    bytes[10] = 0;
    bytes[11] = 0;
    bytes[12] = 0;
    bytes[13] = 0x40;
    ExpectRefused(bytes, "Error reading file");
    bytes[13] = char(0xFF);  // offset over 2^31
    ExpectRefused(bytes, "Error reading file");
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST_F(BmpTest, AThinPictureOfAnyWidthWithinTheSizeLimitLoads) {
    // 40000 x 2, 24-bit: 240 kB of pixels, wider than any one side limit would allow.
    BmpSpec spec;
    spec.width = 40000;
    spec.height = 2;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 40000; ++x) spec.pixels += Quad(uint8_t(x), uint8_t(y), 7).substr(0, 3);
    ASSERT_EQ(LoadBytes(BmpFile(spec)), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 40000);
    // The file's first row is the bottom one.
    EXPECT_EQ(PixelRgb(bitmap, 39999, 1), (Rgb{7, 0, uint32_t(39999 % 256)}));
    EXPECT_EQ(PixelRgb(bitmap, 300, 0), (Rgb{7, 1, uint32_t(300 % 256)}));
}

TEST_F(BmpTest, HugeAndNonsenseSizesAreRefused) {
    const int32_t sizes[][2] = {{0x7FFFFFFF, 0x7FFFFFFF}, {0x7FFFFFFF, 1},    {1, 0x7FFFFFFF},
                                {65536, 65536},           {1, INT32_MIN + 1}, {100000, 1000}};
    for (const auto& size : sizes) {
        BmpSpec spec = SmallGood();
        spec.width = size[0];
        spec.height = size[1];
        ExpectRefused(BmpFile(spec), "Out of memory");
    }
    const int32_t nonsense[][2] = {{0, 1}, {-5, 1}, {1, 0}, {4, INT32_MIN}};
    for (const auto& size : nonsense) {
        BmpSpec spec = SmallGood();
        spec.width = size[0];
        spec.height = size[1];
        ExpectRefused(BmpFile(spec), "BMP - Unsupported bitmap file format.");
    }
}

TEST_F(BmpTest, MissingFileNamesThePath) {
    EXPECT_EQ(bitmap.Load("missing.bmp"), 0);
    EXPECT_EQ(PendingError(), "BMP - Unable to open \"missing.bmp\"");
    EXPECT_EQ(registry.bmp->Load("missing.", bitmap, 0), 0);
    EXPECT_EQ(PendingError(), "BMP - Unable to open \"missing.bmp\"");
}

TEST_F(BmpTest, PathEndingInADotGetsTheExtension) {
    WriteWholeFile("dot.bmp", BmpFile(SmallGood()));
    EXPECT_EQ(registry.bmp->Load("dot.", bitmap, 0), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 2);
}

// ------------------------------------------------------------------------ writing

// Red, green, blue bytes in memory (positions 16, 8, 0), as the screenshots make them.
void FillScreenshot(Bitmap& shot) {
    ASSERT_EQ(shot.CreateRgb(3, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    const uint8_t top[9] = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    const uint8_t bottom[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::memcpy(shot.pixels, top, 9);
    std::memcpy(shot.pixels + shot.pitch, bottom, 9);
}

TEST_F(BmpTest, SavedScreenshotHasTheStandardHeaderBytes) {
    Bitmap shot;
    FillScreenshot(shot);
    ASSERT_EQ(shot.Save("shot.bmp", nullptr, 0, 0, 0), 1) << PendingError();
    std::string expected =
        Bytes({'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,         // file header
               40,  0,   0,  0, 3, 0, 0, 0, 2, 0, 0,  0, 1, 0, 24, 0,  // size .. bits
               0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0,  // compression ..
               0,   0,   0,  0, 0, 0, 0, 0});                          // .. important
    // Bottom row first, blue, green, red, padded to 12 bytes.
    expected += Bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0});
    expected += Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadWholeFile("shot.bmp"), expected);
}

TEST_F(BmpTest, SavedScreenshotReadsBackAsBlueGreenRed) {
    Bitmap shot;
    FillScreenshot(shot);
    ASSERT_EQ(shot.Save("shot.bmp", nullptr, 0, 0, 0), 1);
    ASSERT_EQ(bitmap.Load("shot.bmp"), 1) << PendingError();
    EXPECT_EQ(bitmap.redPos, 0);
    EXPECT_EQ(bitmap.greenPos, 8);
    EXPECT_EQ(bitmap.bluePos, 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Row(bitmap, 0)), 9),
              Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelRgb(bitmap, x, y), PixelRgb(shot, x, y));
}

TEST_F(BmpTest, RowsAlreadyBottomUpAreWrittenInMemoryOrder) {
    Bitmap shot;
    FillScreenshot(shot);
    ASSERT_EQ(shot.Save("gl.bmp", nullptr, 0, 0, 2), 1);
    std::string file = ReadWholeFile("gl.bmp");
    ASSERT_EQ(file.size(), 78u);
    EXPECT_EQ(file.substr(54, 12), Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}));
}

TEST_F(BmpTest, LoadedFilesSaveToTheSameBytes) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.pixels =
        Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
    spec.infoSize = 40;
    std::string original = BmpFile(spec);
    // The writer leaves the image size and resolution fields 0.
    for (int i = 34; i < 46; ++i) original[size_t(i)] = 0;
    WriteWholeFile("in.bmp", original);
    ASSERT_EQ(bitmap.Load("in.bmp"), 1);
    ASSERT_EQ(bitmap.Save("out.bmp", nullptr, 0, 0, 0), 1) << PendingError();
    EXPECT_EQ(ReadWholeFile("out.bmp"), original);
}

TEST_F(BmpTest, EightBitPicturesKeepTheirPalette) {
    Palette palette;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    Bitmap indexed;
    ASSERT_EQ(indexed.Create(5, 3, 8, &palette), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) indexed.pixels[y * indexed.pitch + x] = uint8_t(y * 50 + x);
    ASSERT_EQ(indexed.Save("eight.bmp", nullptr, 0, 0, 0), 1) << PendingError();
    std::string file = ReadWholeFile("eight.bmp");
    ASSERT_EQ(file.size(), 1078u + 3 * 8);
    EXPECT_EQ(file.substr(10, 4), Bytes({0x36, 0x04, 0, 0}));  // offset 1078
    EXPECT_EQ(file.substr(2, 4), Bytes({0x4E, 0x04, 0, 0}));   // size 1102
    EXPECT_EQ(file.substr(28, 2), Bytes({8, 0}));
    EXPECT_EQ(file.substr(54 + 4 * 200, 4), Bytes({100, 55, 200, 0}));  // blue, green, red, 0
    ASSERT_EQ(bitmap.Load("eight.bmp"), 1) << PendingError();
    EXPECT_EQ(bitmap.directColour, 0);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(
            std::string(reinterpret_cast<const char*>(Row(bitmap, y)), 5),
            std::string(reinterpret_cast<const char*>(indexed.pixels + y * indexed.pitch), 5));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(bitmap.palette->entries[i].red, palette.entries[i].red);
        EXPECT_EQ(bitmap.palette->entries[i].green, palette.entries[i].green);
        EXPECT_EQ(bitmap.palette->entries[i].blue, palette.entries[i].blue);
    }
}

TEST_F(BmpTest, EightBitsWithoutPaletteSaveNothing) {
    Bitmap indexed;
    ASSERT_EQ(indexed.Create(2, 2, 8, nullptr), 1);
    EXPECT_EQ(registry.bmp->Save("none.bmp", indexed, 0, 0, 0), 0);
}

TEST_F(BmpTest, SixteenAndThirtyTwoBitPicturesReadBackIdentically) {
    for (int bits : {16, 32}) {
        Bitmap picture;
        ASSERT_EQ(picture.CreateRgb(3, 3, bits, 8, 8, 8, 16, 8, 0, 0), 1);
        for (int i = 0; i < picture.pitch * 3; ++i) picture.pixels[i] = uint8_t(i * 7 + 1);
        ASSERT_EQ(picture.Save("deep.bmp", nullptr, 0, 0, 0), 1) << PendingError();
        ASSERT_EQ(bitmap.Load("deep.bmp"), 1) << PendingError();
        EXPECT_EQ(bitmap.bitsPerPixel, bits);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(
                std::string(reinterpret_cast<const char*>(Row(bitmap, y)), size_t(3 * bits / 8)),
                std::string(reinterpret_cast<const char*>(Row(picture, y)), size_t(3 * bits / 8)))
                << bits << " bits, row " << y;
    }
}

TEST_F(BmpTest, UnsupportedSaveOptionAndUnwritablePath) {
    Bitmap shot;
    FillScreenshot(shot);
    File file;
    EXPECT_EQ(registry.bmp->SaveToFile(file, shot, 0, 1, 0), 0);
    EXPECT_STREQ(registry.bmp->GetErrorText(), "BMP - Feature isnt implemented yet");
    WriteWholeFile("plain", "x");
    EXPECT_EQ(shot.Save("plain/shot.bmp", nullptr, 0, 0, 0), 0);
    EXPECT_EQ(PendingError(), "BMP - Unable to open file");
}

TEST_F(BmpTest, SaveMakesMissingDirectories) {
    Bitmap shot;
    FillScreenshot(shot);
    ASSERT_EQ(shot.Save("a/b/shot.bmp", nullptr, 0, 0, 0), 1) << PendingError();
    EXPECT_EQ(bitmap.Load("a/b/shot.bmp"), 1);
}

}  // namespace
