// Colour conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ansi/bitmap.h"
#include "colconvert.h"
#include "misc.h"
#include "test_support.h"

namespace {

PixelFormat Format(int32_t bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha = 0) {
    PixelFormat format;
    std::memset(&format, 0, sizeof format);
    format.bits = bits;
    format.redMask = red;
    format.greenMask = green;
    format.blueMask = blue;
    format.alphaMask = alpha;
    return format;
}

class ColConvertTest : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&converter, 0, sizeof converter); }
    void TearDown() override {
        ColConvert::ReleaseTable(&converter);
        ClearError();
    }
    std::string Log() { return scratchLog.Text(); }
    std::string PendingError() {
        char message[ERROR_MESSAGE_SIZE];
        return GetErrorMessage(message, sizeof message) ? message : "";
    }
    // Prepares the converter for the destination and converts one row of pixels.
    int ConvertRow(const PixelFormat& destination, PixelFormat source, const void* in, void* out,
                   int32_t width) {
        if (!ColConvert::PrepareDestination(&converter, &destination)) return -1;
        return ColConvert::Convert(&converter, in, out, width, 1, 0, 0, &source, 0);
    }

    ScratchDirectory scratch;
    ScratchLog scratchLog{scratch.Path()};
    PixelFormat converter;
};

const PixelFormat kRgb565 = Format(16, 0xF800, 0x07E0, 0x001F);
const PixelFormat kArgb1555 = Format(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const PixelFormat kRgb24 = Format(24, 0xFF0000, 0x00FF00, 0x0000FF);  // bytes R, G, B
const PixelFormat kBgr24 = Format(24, 0x0000FF, 0x00FF00, 0xFF0000);  // bytes B, G, R
const PixelFormat kArgb32 = Format(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
const PixelFormat kAbgr32 = Format(32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);

TEST_F(ColConvertTest, AnalyseGivesShiftsAndLosses) {
    PixelFormat format = kRgb565;
    ASSERT_EQ(ColConvert::Analyse(&format), 1);
    EXPECT_EQ(format.redShift, 11);
    EXPECT_EQ(format.greenShift, 5);
    EXPECT_EQ(format.blueShift, 0);
    EXPECT_EQ(format.redLoss, 3);
    EXPECT_EQ(format.greenLoss, 2);
    EXPECT_EQ(format.blueLoss, 3);
    EXPECT_EQ(format.alphaLoss, 8);
    EXPECT_EQ(format.alphaShift, 0);
    EXPECT_EQ(ColConvert::Analyse(nullptr), 0);
    EXPECT_EQ(GetErrorCode(), ERR_BAD_ARGUMENTS);
}

TEST_F(ColConvertTest, FormatFromBitmap) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.CreateWithMasks(1, 1, 32, 8, 8, 8, 8, 16, 8, 0, 24), 1);
    PixelFormat format;
    ASSERT_EQ(ColConvert::FormatFromBitmap(bitmap, &format), 1);
    EXPECT_EQ(format.bits, 32);
    EXPECT_EQ(format.redMask, 0x00FF0000u);
    EXPECT_EQ(format.greenMask, 0x0000FF00u);
    EXPECT_EQ(format.blueMask, 0x000000FFu);
    EXPECT_EQ(format.alphaMask, 0xFF000000u);
    EXPECT_EQ(format.palette, nullptr);
    ASSERT_EQ(bitmap.CreateRgb(1, 1, 16, 5, 6, 5, 11, 5, 0, 0), 1);
    ASSERT_EQ(ColConvert::FormatFromBitmap(bitmap, &format), 1);
    EXPECT_EQ(format.redMask, 0xF800u);
    EXPECT_EQ(format.greenMask, 0x07E0u);
    EXPECT_EQ(format.alphaMask, 0u);
    ASSERT_EQ(bitmap.Create(1, 1, 8, nullptr), 1);
    EXPECT_EQ(ColConvert::FormatFromBitmap(bitmap, &format), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : Unable to create a 8 bpp pixel format from a bitmap");
}

TEST_F(ColConvertTest, To565WhiteIsAllOnes) {
    const uint8_t white[3] = {255, 255, 255};
    uint16_t out = 0;
    ASSERT_EQ(ConvertRow(kRgb565, kRgb24, white, &out, 1), 1);
    EXPECT_EQ(out, 0xFFFF);
    const uint8_t colour[3] = {0xF8, 0x04, 0x08};  // red 31, green 1, blue 1 after loss
    ASSERT_EQ(ConvertRow(kRgb565, kRgb24, colour, &out, 1), 1);
    EXPECT_EQ(out, 0xF821);
    ASSERT_NE(converter.table, nullptr);
    EXPECT_EQ(converter.table[255], 0xF800);        // red row
    EXPECT_EQ(converter.table[256 + 255], 0x07E0);  // green row
    EXPECT_EQ(converter.table[512 + 8], 0x0001);    // blue row
}

TEST_F(ColConvertTest, BlackStaysBlackWithoutTheAlphaBit) {
    const uint8_t pixels[6] = {0, 0, 0, 0, 0, 8};
    uint16_t out[2] = {0xAAAA, 0xAAAA};
    ASSERT_EQ(ConvertRow(kArgb1555, kRgb24, pixels, out, 2), 1);
    EXPECT_EQ(out[0], 0x0000);
    EXPECT_EQ(out[1], 0x8001);
}

TEST_F(ColConvertTest, PaletteTo16Bits) {
    PaletteEntry palette[256] = {};
    palette[1] = PaletteEntry{255, 0, 0, 0};
    palette[2] = PaletteEntry{0, 0, 255, 0};
    PixelFormat source = Format(8, 0, 0, 0);
    source.palette = palette;
    const uint8_t indices[3] = {1, 2, 0};
    uint16_t out[3] = {};
    ASSERT_EQ(ConvertRow(kArgb1555, source, indices, out, 3), 1);
    EXPECT_EQ(out[0], 0xFC00);
    EXPECT_EQ(out[1], 0x801F);
    EXPECT_EQ(out[2], 0x8000);  // the palette path always sets the alpha row's 255
}

TEST_F(ColConvertTest, TwentyFourBitRgbToBgrSwapsBytes) {
    const uint8_t in[6] = {1, 2, 3, 4, 5, 6};
    uint8_t out[6] = {};
    ASSERT_EQ(ConvertRow(kBgr24, kRgb24, in, out, 2), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(Log().find("slow"), std::string::npos);
}

TEST_F(ColConvertTest, TwentyFourBitSameFormatTakesTheSlowPath) {
    const uint8_t in[3] = {1, 2, 3};
    uint8_t out[3] = {};
    ASSERT_EQ(ConvertRow(kRgb24, kRgb24, in, out, 1), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_NE(Log().find(" : WARNING : Using slow 24 to 24 conversion\n"), std::string::npos)
        << Log();
    // A layout the swap does not cover: green and blue exchanged.
    const PixelFormat rbg = Format(24, 0xFF0000, 0x0000FF, 0x00FF00);
    ASSERT_EQ(ConvertRow(rbg, kRgb24, in, out, 1), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{1, 3, 2}));
    EXPECT_EQ(ConvertRow(Format(24, 0xF80000, 0x00FF00, 0x0000FF), kRgb24, in, out, 1), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : 24 to 24 conversions must have 8 bits per element");
}

TEST_F(ColConvertTest, TwentyFourTo32ReadsBlueGreenRed) {
    const uint8_t in[6] = {10, 20, 30, 0, 0, 0};  // blue, green, red; then black
    uint32_t out[2] = {0xDEADBEEF, 0xDEADBEEF};
    ASSERT_EQ(ConvertRow(kArgb32, kRgb24, in, out, 2), 1);
    EXPECT_EQ(out[0], 0xFF1E140Au);
    EXPECT_EQ(out[1], 0u);
    ASSERT_EQ(ConvertRow(kAbgr32, kBgr24, in, out, 1), 1);
    EXPECT_EQ(out[0], 0xFF0A141Eu);
    EXPECT_EQ(ConvertRow(kArgb32, Format(24, 0xF80000, 0xFF00, 0xFF), in, out, 1), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : 32 to 32 conversions must have 8 bits per element");
}

TEST_F(ColConvertTest, ThirtyTwoTo16UsesTheAlphaChannel) {
    const uint32_t in[2] = {0x80FF0000u, 0x00000010u};
    uint16_t out[2] = {};
    ASSERT_EQ(ConvertRow(kArgb1555, kArgb32, in, out, 2), 1);
    EXPECT_EQ(out[0], 0xFC00);
    EXPECT_EQ(out[1], 0x0002);
}

TEST_F(ColConvertTest, ThirtyTwoTo24) {
    const uint32_t in[1] = {0x00112233u};
    uint8_t out[3] = {};
    ASSERT_EQ(ConvertRow(kRgb24, kArgb32, in, out, 1), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    ASSERT_EQ(ConvertRow(kBgr24, kArgb32, in, out, 1), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0x33, 0x22, 0x11}));
    EXPECT_EQ(ConvertRow(Format(24, 0xF80000, 0xFF00, 0xFF), kArgb32, in, out, 1), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : 32 to 24 conversions must have 8 bits per element");
}

TEST_F(ColConvertTest, ThirtyTwoTo32CopiesOrMovesChannels) {
    const uint32_t in[2] = {0x80112233u, 0xFF445566u};
    uint32_t out[2] = {};
    ASSERT_EQ(ConvertRow(kArgb32, kArgb32, in, out, 2), 1);
    EXPECT_EQ(out[1], 0xFF445566u);
    ASSERT_EQ(ConvertRow(kAbgr32, kArgb32, in, out, 2), 1);
    EXPECT_EQ(out[0], 0x80332211u);
    EXPECT_EQ(out[1], 0xFF665544u);
    EXPECT_EQ(ConvertRow(kAbgr32, Format(32, 0xFF0000, 0xFF00, 0xFF), in, out, 1), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : 32 to 32 conversions must have 8 bits per element");
}

TEST_F(ColConvertTest, RowsFollowThePitches) {
    // 2 x 2 pixels, source pitch 8 (6 bytes used), destination pitch 10 rounded to 8.
    const uint8_t in[16] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    uint32_t out[4] = {};
    ASSERT_EQ(ColConvert::PrepareDestination(&converter, &kArgb32), 1);
    PixelFormat source = kBgr24;
    ASSERT_EQ(ColConvert::Convert(&converter, in, out, 2, 2, 8, 10, &source, 0), 1);
    EXPECT_EQ(out[0], 0xFF030201u);
    EXPECT_EQ(out[1], 0xFF060504u);
    EXPECT_EQ(out[2], 0xFF090807u);
    EXPECT_EQ(out[3], 0xFF0C0B0Au);
}

TEST_F(ColConvertTest, InPlaceConversionOfABitmap) {
    // What the texture list does to a loaded 24-bit picture: blue, green, red
    // bytes to red, green, blue, in place.
    Bitmap bitmap;
    ASSERT_EQ(bitmap.CreateRgb(2, 1, 24, 8, 8, 8, 0, 8, 16, 0), 1);
    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(bitmap.pixels, bytes, 6);
    PixelFormat source;
    ASSERT_EQ(ColConvert::FormatFromBitmap(bitmap, &source), 1);
    ASSERT_EQ(ColConvert::PrepareDestination(&converter, &kRgb24), 1);
    ASSERT_EQ(ColConvert::Convert(&converter, bitmap.pixels, bitmap.pixels, 2, 1, bitmap.pitch,
                                  bitmap.pitch, &source, 0),
              1);
    EXPECT_EQ(std::vector<uint8_t>(bitmap.pixels, bitmap.pixels + 6),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST_F(ColConvertTest, EightBitDestinationsAreRefused) {
    PixelFormat destination = Format(8, 0xE0, 0x1C, 0x03);
    EXPECT_EQ(ColConvert::PrepareDestination(&converter, &destination), 0);
    EXPECT_EQ(PendingError(), "8 bpp destination format is unsupported");
}

TEST_F(ColConvertTest, UnsupportedSourceDepth) {
    const uint16_t in[1] = {0x1234};
    uint32_t out[1] = {7};
    EXPECT_EQ(ConvertRow(kArgb32, kRgb565, in, out, 1), 0);
    EXPECT_EQ(PendingError(), "Unsupported source pixel depth (16)");
    EXPECT_EQ(out[0], 7u);
}

TEST_F(ColConvertTest, SixteenBitScreenshotsWidenEachChannelTo8Bits) {
    // White, pure red, mid green (32 of 63) and black of a 5-6-5 back buffer.
    const uint16_t in[4] = {0xFFFF, 0xF800, 0x0400, 0x0000};
    uint8_t out[12] = {};
    ASSERT_EQ(ConvertRow(kRgb24, kRgb565, in, out, 4), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 12),
              (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 130, 0, 0, 0, 0}));
    // A 1-5-5-5 source into blue-first bytes: 5-bit 16 widens to 132.
    const uint16_t other[1] = {uint16_t(16 << 10 | 0x8000)};
    ASSERT_EQ(ConvertRow(kBgr24, kArgb1555, other, out, 1), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0, 0, 132}));
    EXPECT_EQ(ConvertRow(Format(24, 0xF80000, 0xFF00, 0xFF), kRgb565, in, out, 1), 0);
    EXPECT_EQ(PendingError(),
              "Color conversion : 16 to 24 conversions must have 8 bits per element");
}

TEST_F(ColConvertTest, UnsupportedPairsAreLoggedAndLeftAlone) {
    PaletteEntry palette[256] = {};
    PixelFormat source = Format(8, 0, 0, 0);
    source.palette = palette;
    const uint8_t in[1] = {1};
    uint8_t out[3] = {7, 7, 7};
    EXPECT_EQ(ConvertRow(kRgb24, source, in, out, 1), 1);
    EXPECT_EQ(out[0], 7);
    EXPECT_NE(
        Log().find(" : WARNING : 8 to 24 bpp unsupported (00ff0000 0000ff00 000000ff 00000000)\n"),
        std::string::npos)
        << Log();
}

TEST_F(ColConvertTest, PrepareReplacesTheOldTable) {
    ASSERT_EQ(ColConvert::PrepareDestination(&converter, &kRgb565), 1);
    ASSERT_EQ(ColConvert::PrepareDestination(&converter, &kArgb1555), 1);
    EXPECT_EQ(converter.table[768 + 255], 0x8000);
    ASSERT_EQ(ColConvert::PrepareDestination(&converter, &kArgb32), 1);
    EXPECT_EQ(converter.table, nullptr);
}

}  // namespace
