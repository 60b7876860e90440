// FXT1 reader. Blocks are built bit by bit from the published layout
// (shared/formats/fxt1.md) and their texels worked out by hand in the comments; the
// worked examples of that note (checked against Mesa's decoder) are decoded whole.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/file.h"
#include "ansi/fxt1.h"
#include "misc.h"
#include "picture_test_support.h"
#include "test_support.h"
#include "xdirs.h"

namespace {

// A 128-bit block whose fields are set LSB first at their bit positions.
struct Block {
    uint8_t bytes[16] = {};

    void Set(int position, int count, uint32_t value) {
        for (int i = 0; i < count; ++i) {
            int bit = position + i;
            if ((value >> i) & 1)
                bytes[bit / 8] = uint8_t(bytes[bit / 8] | (1 << (bit % 8)));
            else
                bytes[bit / 8] = uint8_t(bytes[bit / 8] & ~(1 << (bit % 8)));
        }
    }
    // 5-bit red, green, blue at bit p: blue p..p+4, green p+5..p+9, red p+10..p+14.
    void Colour(int p, uint32_t red, uint32_t green, uint32_t blue) {
        Set(p, 5, blue);
        Set(p + 5, 5, green);
        Set(p + 10, 5, red);
    }
    void Index2(int t, uint32_t index) { Set(2 * t, 2, index); }
    void Index3(int t, uint32_t index) { Set(3 * t, 3, index); }
    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(bytes), 16); }
};

struct Texels {
    uint32_t at[4][8];
    explicit Texels(const Block& block) { Fxt1DecodeBlock(block.bytes, at); }
    uint32_t operator()(int x, int y) const { return at[y][x]; }
};

// ----------------------------------------------------------------------------- CC_HI

TEST(Fxt1Block, HighColourLevelsAndTransparentIndex) {
    Block block;                  // bits 127, 126 = 0 0
    block.Colour(96, 31, 0, 0);   // c0 widened (255, 0, 0)
    block.Colour(111, 0, 0, 31);  // c1 widened (0, 0, 255)
    for (int t = 0; t < 32; ++t) block.Index3(t, uint32_t(t % 8));
    Texels texels(block);
    // Level i: ((6 - i) c0 + i c1 + 3) / 6 per channel, alpha 255.
    EXPECT_EQ(texels(0, 0), 0xFFFF0000u);  // i 0: c0
    EXPECT_EQ(texels(1, 0), 0xFFD5002Bu);  // i 1: red 1278/6 = 213, blue 258/6 = 43
    EXPECT_EQ(texels(3, 0), 0xFF800080u);  // i 3: 768/6 = 128 both
    EXPECT_EQ(texels(2, 1), 0xFF0000FFu);  // t 6, i 6: c1
    EXPECT_EQ(texels(2, 2), 0xFFAA0055u);  // t 10 (bits 30-32, across words), i 2:
                                           // red 1023/6 = 170, blue 513/6 = 85
    EXPECT_EQ(texels(5, 1), 0xFF2B00D5u);  // t 21 (bits 63-65), i 5: red 258/6 = 43,
                                           // blue 1278/6 = 213
    EXPECT_EQ(texels(3, 1), 0x00000000u);  // t 7, i 7: transparent black
    EXPECT_EQ(texels(7, 3), 0x00000000u);  // t 31, i 7
    EXPECT_EQ(texels(6, 0), 0xFFAA0055u);  // t 18, i 2
}

TEST(Fxt1Block, HighColourWidensFiveBitsByRounding) {
    Block block;
    block.Colour(96, 3, 7, 24);    // (255 v + 15) / 31: 25, 58, 197 (not 24, 57, 198)
    block.Colour(111, 31, 28, 0);  // red 31 sets bit 125: still CC_HI (mode 001)
    block.Index3(0, 0);
    block.Index3(1, 6);
    Texels texels(block);
    EXPECT_EQ(texels(0, 0), 0xFF193AC5u);
    EXPECT_EQ(texels(1, 0), 0xFFFFE600u);  // c1: 255, 230, 0
}

TEST(Fxt1Block, HighColourAllIndicesSevenIsTransparentBlack) {
    Block block;
    block.Colour(96, 31, 31, 31);
    block.Colour(111, 31, 31, 31);
    for (int t = 0; t < 32; ++t) block.Index3(t, 7);
    Texels texels(block);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(texels(x, y), 0u) << x << "," << y;
}

// ------------------------------------------------------------------------- CC_CHROMA

TEST(Fxt1Block, ChromaPicksFourColoursAsTheyAre) {
    Block block;
    block.Set(125, 3, 2);  // 010
    block.Set(124, 1, 1);  // ignored in this mode
    block.Colour(64, 31, 0, 0);
    block.Colour(79, 0, 31, 0);
    block.Colour(94, 0, 0, 31);  // blue straddles bits 94-98 (words 2 and 3)
    block.Colour(109, 3, 7, 24);
    for (int t = 0; t < 32; ++t) block.Index2(t, uint32_t(t % 4));
    Texels texels(block);
    EXPECT_EQ(texels(0, 0), 0xFFFF0000u);
    EXPECT_EQ(texels(1, 0), 0xFF00FF00u);
    EXPECT_EQ(texels(2, 0), 0xFF0000FFu);
    EXPECT_EQ(texels(3, 0), 0xFF193AC5u);
    EXPECT_EQ(texels(4, 0), 0xFFFF0000u);  // t 16: index 0, the same palette
    EXPECT_EQ(texels(7, 3), 0xFF193AC5u);  // t 31: index 3
}

// -------------------------------------------------------------------------- CC_MIXED

TEST(Fxt1Block, MixedFourColoursPerHalfWithSixBitGreens) {
    Block block;
    block.Set(127, 1, 1);           // CC_MIXED
    block.Set(124, 1, 0);           // no alpha
    block.Set(125, 1, 1);           // left glsb
    block.Set(126, 1, 0);           // right glsb
    block.Colour(64, 31, 10, 0);    // left P
    block.Colour(79, 0, 20, 31);    // left Q
    block.Colour(94, 5, 5, 5);      // right P
    block.Colour(109, 10, 10, 10);  // right Q
    // Left indices (t + 2) % 4: t 0 has index 2, so selb (bit 1) = 1.
    // Right indices (t + 1) % 4: t 16 has index 1, so selb (bit 33) = 0.
    for (int t = 0; t < 16; ++t) block.Index2(t, uint32_t((t + 2) % 4));
    for (int t = 16; t < 32; ++t) block.Index2(t, uint32_t((t + 1) % 4));
    Texels texels(block);
    // Left: P green 6-bit 10*2 + (glsb 1 xor selb 1) = 20 -> (255*20 + 31)/63 = 81;
    // Q green 20*2 + 1 = 41 -> 166. P = (255, 81, 0), Q = (0, 166, 255).
    EXPECT_EQ(texels(2, 0), 0xFFFF5100u);  // t 2: index 0 = P
    EXPECT_EQ(texels(3, 0), 0xFFAA6D55u);  // t 3: index 1 = (2P + Q + 1)/3: 170, 109, 85
    EXPECT_EQ(texels(0, 0), 0xFF558AAAu);  // t 0: index 2 = (P + 2Q + 1)/3: 85, 138, 170
    EXPECT_EQ(texels(1, 0), 0xFF00A6FFu);  // t 1: index 3 = Q
    // Right: P green 5*2 + (0 xor 0) = 10 -> 40; red, blue 5 -> 41. P = (41, 40, 41).
    // Q green 10*2 + 0 = 20 -> 81; red, blue 10 -> 82. Q = (82, 81, 82).
    EXPECT_EQ(texels(7, 0), 0xFF292829u);  // t 19: index 0 = P
    EXPECT_EQ(texels(4, 0), 0xFF373637u);  // t 16: index 1: 165/3 = 55, 162/3 = 54
    EXPECT_EQ(texels(5, 0), 0xFF444344u);  // t 17: index 2: 206/3 = 68, 203/3 = 67
    EXPECT_EQ(texels(6, 0), 0xFF525152u);  // t 18: index 3 = Q
}

TEST(Fxt1Block, MixedWithAlphaFlagHasThreeColoursAndTransparentBlack) {
    Block block;
    block.Set(127, 1, 1);
    block.Set(124, 1, 1);  // alpha flag
    block.Set(125, 1, 1);  // left glsb
    block.Set(126, 1, 1);  // right glsb
    block.Colour(64, 31, 10, 0);
    block.Colour(79, 0, 20, 31);
    block.Colour(94, 5, 5, 5);
    block.Colour(109, 10, 10, 10);
    for (int t = 0; t < 32; ++t) block.Index2(t, uint32_t(t % 4));
    Texels texels(block);
    // Left: P green stays 5-bit: 10 -> 82. Q green 6-bit 41 -> 166.
    EXPECT_EQ(texels(0, 0), 0xFFFF5200u);  // index 0 = P
    EXPECT_EQ(texels(1, 0), 0xFF7F7C7Fu);  // index 1 = (P + Q) / 2: 127, 124, 127
    EXPECT_EQ(texels(2, 0), 0xFF00A6FFu);  // index 2 = Q
    EXPECT_EQ(texels(3, 0), 0x00000000u);  // index 3 = transparent black
    // Right: P = (41, 41, 41); Q green 10*2 + 1 = 21 -> 85: Q = (82, 85, 82).
    EXPECT_EQ(texels(4, 0), 0xFF292929u);
    EXPECT_EQ(texels(5, 0), 0xFF3D3F3Du);  // 123/2 = 61, 126/2 = 63
    EXPECT_EQ(texels(6, 0), 0xFF525552u);
    EXPECT_EQ(texels(7, 0), 0x00000000u);
}

// -------------------------------------------------------------------------- CC_ALPHA

TEST(Fxt1Block, AlphaWithoutLerpHasThreeColoursWithAlpha) {
    Block block;
    block.Set(125, 3, 3);  // 011
    block.Colour(64, 31, 0, 0);
    block.Colour(79, 0, 31, 0);
    block.Colour(94, 0, 0, 31);
    block.Set(109, 5, 31);  // alpha 0 -> 255
    block.Set(114, 5, 16);  // alpha 1 -> (255*16 + 15)/31 = 132
    block.Set(119, 5, 3);   // alpha 2 -> 25
    for (int t = 0; t < 32; ++t) block.Index2(t, uint32_t(t % 4));
    Texels texels(block);
    EXPECT_EQ(texels(0, 0), 0xFFFF0000u);
    EXPECT_EQ(texels(1, 0), 0x8400FF00u);
    EXPECT_EQ(texels(2, 0), 0x190000FFu);
    EXPECT_EQ(texels(3, 0), 0x00000000u);
    EXPECT_EQ(texels(5, 3), 0x8400FF00u);  // right half: the same palette
}

TEST(Fxt1Block, AlphaWithLerpRunsFromEachHalfsColourToColourOne) {
    Block block;
    block.Set(125, 3, 3);
    block.Set(124, 1, 1);  // lerp
    block.Colour(64, 31, 0, 0);
    block.Colour(79, 0, 31, 0);
    block.Colour(94, 0, 0, 31);
    block.Set(109, 5, 31);
    block.Set(114, 5, 0);
    block.Set(119, 5, 31);
    for (int t = 0; t < 32; ++t) block.Index2(t, uint32_t(t % 4));
    Texels texels(block);
    // Left: c0 (255, 0, 0, a 255) to c1 (0, 255, 0, a 0): ((3 - i) E + i c1 + 1) / 3.
    EXPECT_EQ(texels(0, 0), 0xFFFF0000u);
    EXPECT_EQ(texels(1, 0), 0xAAAA5500u);  // 511/3 = 170, 256/3 = 85, 1/3 = 0, 170
    EXPECT_EQ(texels(2, 0), 0x5555AA00u);
    EXPECT_EQ(texels(3, 0), 0x0000FF00u);  // c1 itself: alpha 0 but not black
    // Right: c2 (0, 0, 255, a 255) to c1.
    EXPECT_EQ(texels(4, 0), 0xFF0000FFu);
    EXPECT_EQ(texels(5, 0), 0xAA0055AAu);
    EXPECT_EQ(texels(6, 0), 0x5500AA55u);
    EXPECT_EQ(texels(7, 0), 0x0000FF00u);
}

// ------------------------------------------------- worked examples of the formats note

std::vector<uint8_t> HexBytes(const std::string& text) {
    std::istringstream in(text);
    std::vector<uint8_t> bytes;
    unsigned value;
    while (in >> std::hex >> value) bytes.push_back(uint8_t(value));
    return bytes;
}

// Texels given as RRGGBBAA, one row of 8 per line.
void ExpectExample(const std::string& blockHex, const std::string& texelHex) {
    std::vector<uint8_t> block = HexBytes(blockHex);
    ASSERT_EQ(block.size(), 16u);
    uint32_t texels[4][8];
    Fxt1DecodeBlock(block.data(), texels);
    std::istringstream in(texelHex);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            uint32_t rgba = 0;
            in >> std::hex >> rgba;
            uint32_t expected = (rgba & 0xFF) << 24 | rgba >> 8;
            EXPECT_EQ(texels[y][x], expected) << "texel " << x << "," << y;
        }
}

TEST(Fxt1Block, NoteExampleHigh) {
    ExpectExample("88 16 8d 1a 3b d6 ac 5f 1f 3e 72 44 82 fc 4f 05",
                  "ff2110ff d73738ff af4d60ff 886388ff 6079afff 388fd7ff 10a5ffff 00000000 "
                  "d73738ff af4d60ff 886388ff 6079afff 388fd7ff 10a5ffff 00000000 ff2110ff "
                  "af4d60ff 886388ff 6079afff 388fd7ff 10a5ffff 00000000 ff2110ff d73738ff "
                  "886388ff 6079afff 388fd7ff 10a5ffff 00000000 ff2110ff d73738ff af4d60ff");
}

TEST(Fxt1Block, NoteExampleChroma) {
    ExpectExample("50 a5 fa 0f fa 0f 50 a5 fd 0c e6 23 f8 9f 16 45",
                  "193aefff 193aefff 8cf763ff 8cf763ff ffff00ff ffff00ff 5229a5ff 5229a5ff "
                  "8cf763ff 8cf763ff ffff00ff ffff00ff 5229a5ff 5229a5ff 193aefff 193aefff "
                  "ffff00ff ffff00ff 5229a5ff 5229a5ff 193aefff 193aefff 8cf763ff 8cf763ff "
                  "5229a5ff 5229a5ff 193aefff 193aefff 8cf763ff 8cf763ff ffff00ff ffff00ff");
}

TEST(Fxt1Block, NoteExampleMixed) {
    ExpectExample("4e 1b e4 b1 39 c6 93 6c 45 51 9e 0b 1b dc 4b a1",
                  "52a4a7ff 29cee6ff a55129ff 7c7b68ff 9f4194ff 5769c6ff 1092f7ff e61863ff "
                  "29cee6ff 52a4a7ff 7c7b68ff a55129ff 5769c6ff 9f4194ff e61863ff 1092f7ff "
                  "a55129ff 7c7b68ff 52a4a7ff 29cee6ff 1092f7ff e61863ff 9f4194ff 5769c6ff "
                  "7c7b68ff a55129ff 29cee6ff 52a4a7ff e61863ff 1092f7ff 5769c6ff 9f4194ff");
}

TEST(Fxt1Block, NoteExampleMixedAlpha) {
    ExpectExample("e4 39 4e 93 e4 39 4e 93 83 f9 58 cd 4e 09 f1 fc",
                  "f76319ff 948852ff 31ae8cff 00000000 4a4adeff 8c9890ff cee742ff 00000000 "
                  "948852ff 31ae8cff 00000000 f76319ff 8c9890ff cee742ff 00000000 4a4adeff "
                  "31ae8cff 00000000 f76319ff 948852ff cee742ff 00000000 4a4adeff 8c9890ff "
                  "00000000 f76319ff 948852ff 31ae8cff 00000000 4a4adeff 8c9890ff cee742ff");
}

TEST(Fxt1Block, NoteExampleAlpha) {
    ExpectExample("e4 93 4e 39 e4 93 4e 39 00 fe 0f 81 c9 ec 3f 62",
                  "ff8400ff 0084ff7b 63ce3121 00000000 ff8400ff 0084ff7b 63ce3121 00000000 "
                  "00000000 ff8400ff 0084ff7b 63ce3121 00000000 ff8400ff 0084ff7b 63ce3121 "
                  "63ce3121 00000000 ff8400ff 0084ff7b 63ce3121 00000000 ff8400ff 0084ff7b "
                  "0084ff7b 63ce3121 00000000 ff8400ff 0084ff7b 63ce3121 00000000 ff8400ff");
}

TEST(Fxt1Block, NoteExampleAlphaLerp) {
    ExpectExample("e4 39 4e 93 e4 39 4e 93 68 f4 6d 49 f0 f2 0b 75",
                  "ef1942ff aa4d76af 6681aa60 21b5de10 94f70852 6ee14f3c 47cb9726 21b5de10 "
                  "aa4d76af 6681aa60 21b5de10 ef1942ff 6ee14f3c 47cb9726 21b5de10 94f70852 "
                  "6681aa60 21b5de10 ef1942ff aa4d76af 47cb9726 21b5de10 94f70852 6ee14f3c "
                  "21b5de10 ef1942ff aa4d76af 6681aa60 21b5de10 94f70852 6ee14f3c 47cb9726");
}

// ------------------------------------------------------------------------ the reader

// A one-colour CC_CHROMA block: every index 0, colour 0 = (red, green, blue) 5-bit.
Block SolidBlock(uint32_t red, uint32_t green, uint32_t blue) {
    Block block;
    block.Set(125, 3, 2);
    block.Colour(64, red, green, blue);
    return block;
}

std::string FxtFile(uint32_t width, uint32_t height, const std::vector<Block>& blocks,
                    const char* magic = "CXET") {
    std::string bytes(magic, 4);
    Append32(bytes, 0);
    Append32(bytes, width);
    Append32(bytes, height);
    for (const Block& block : blocks) bytes += block.Bytes();
    return bytes;
}

uint32_t PixelAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.pixels + y * bitmap.pitch + x * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class Fxt1ReaderTest : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
    PictureRegistry registry;
    Bitmap bitmap;
};

TEST_F(Fxt1ReaderTest, RegistryEntryAndNoErrorText) {
    const char* extension = nullptr;
    const char* name = nullptr;
    registry.fxt1->GetInfo(&extension, &name);
    EXPECT_STREQ(extension, "fxt");
    EXPECT_STREQ(name, "FXT1");
    EXPECT_STREQ(registry.fxt1->GetErrorText(), "FXT - No error");
    EXPECT_EQ(registry.fxt1->MatchesExtension("FxT"), 1);
    EXPECT_EQ(registry.fxt1->MatchesExtension("fx"), 0);
    EXPECT_EQ(registry.fxt1->MatchesExtension(nullptr), 0);
}

TEST_F(Fxt1ReaderTest, BlocksFillTheImageInRowsFromTheTop) {
    // 16 x 8: four blocks, in the order (0,0), (8,0), (0,4), (8,4).
    WriteWholeFile("four.fxt", FxtFile(16, 8,
                                       {SolidBlock(31, 0, 0), SolidBlock(0, 31, 0),
                                        SolidBlock(0, 0, 31), SolidBlock(31, 31, 31)}));
    ASSERT_EQ(bitmap.Load("four.fxt"), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 16);
    EXPECT_EQ(bitmap.height, 8);
    EXPECT_EQ(bitmap.bitsPerPixel, 32);
    EXPECT_EQ(bitmap.bytesPerPixel, 4);
    EXPECT_EQ(bitmap.pitch, 64);
    EXPECT_EQ(bitmap.directColour, 1);
    EXPECT_EQ(bitmap.redSize, 8);
    EXPECT_EQ(bitmap.alphaSize, 8);
    EXPECT_EQ(bitmap.redPos, 16);
    EXPECT_EQ(bitmap.greenPos, 8);
    EXPECT_EQ(bitmap.bluePos, 0);
    EXPECT_EQ(bitmap.alphaPos, 24);
    EXPECT_EQ(bitmap.clipRight, 15);
    EXPECT_EQ(bitmap.clipBottom, 7);
    EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(bitmap, 7, 3), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(bitmap, 8, 0), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(bitmap, 0, 4), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(bitmap, 15, 7), 0xFFFFFFFFu);
    // Bytes in memory: blue, green, red, alpha.
    const uint8_t* p = bitmap.pixels + 8 * 4;
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 255);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 255);
}

TEST_F(Fxt1ReaderTest, SizeNotAMultipleOfTheBlockWithWholeBlocksOnly) {
    // 10 x 6 with only the one whole block (the original layout): the rest stays
    // transparent black.
    WriteWholeFile("edge.fxt", FxtFile(10, 6, {SolidBlock(31, 0, 0)}));
    ASSERT_EQ(bitmap.Load("edge.fxt"), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 10);
    EXPECT_EQ(bitmap.height, 6);
    EXPECT_EQ(bitmap.pitch, 40);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PixelAt(bitmap, x, y), x < 8 && y < 4 ? 0xFFFF0000u : 0u) << x << "," << y;
}

TEST_F(Fxt1ReaderTest, BytesAfterTheBlocksNeverMoveThem) {
    // 10 x 6 has one whole block; 12 x 8 one a row. Whatever follows the blocks (up to
    // and past what ceil(w/8) x ceil(h/4) blocks would take) is not read.
    for (size_t extra : {1u, 15u, 16u, 47u, 48u, 64u, 100u}) {
        std::vector<Block> blocks = {SolidBlock(31, 0, 0)};
        for (size_t i = 0; i < (extra + 15) / 16; ++i) blocks.push_back(SolidBlock(0, 31, 0));
        std::string file = FxtFile(10, 6, blocks);
        WriteWholeFile("edge.fxt", file.substr(0, 16 + 16 + extra));
        ASSERT_EQ(bitmap.Load("edge.fxt"), 1) << extra;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(PixelAt(bitmap, x, y), x < 8 && y < 4 ? 0xFFFF0000u : 0u)
                    << extra << ": " << x << "," << y;

        blocks = {SolidBlock(31, 0, 0), SolidBlock(0, 0, 31)};
        for (size_t i = 0; i < (extra + 15) / 16; ++i) blocks.push_back(SolidBlock(0, 31, 0));
        WriteWholeFile("wide.fxt", FxtFile(12, 8, blocks).substr(0, 16 + 32 + extra));
        ASSERT_EQ(bitmap.Load("wide.fxt"), 1) << extra;
        EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFFFF0000u) << extra;
        EXPECT_EQ(PixelAt(bitmap, 7, 7), 0xFF0000FFu) << extra;
        EXPECT_EQ(PixelAt(bitmap, 11, 0), 0u) << extra;
        EXPECT_EQ(PixelAt(bitmap, 11, 7), 0u) << extra;
    }
}

TEST_F(Fxt1ReaderTest, WideRowsOfWholeBlocksStayInStep) {
    // 12 x 8, whole blocks only: one block a row, read one after the other.
    WriteWholeFile("whole.fxt", FxtFile(12, 8, {SolidBlock(31, 0, 0), SolidBlock(0, 31, 0)}));
    ASSERT_EQ(bitmap.Load("whole.fxt"), 1) << PendingError();
    EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(bitmap, 0, 4), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(bitmap, 11, 7), 0u);
}

TEST_F(Fxt1ReaderTest, SmallerThanABlockHasNoPixelsToDecode) {
    WriteWholeFile("tiny.fxt", FxtFile(3, 2, {}));
    ASSERT_EQ(bitmap.Load("tiny.fxt"), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_EQ(PixelAt(bitmap, 2, 1), 0u);
}

TEST_F(Fxt1ReaderTest, WrongMagicIsNotAnFxtFile) {
    WriteWholeFile("fxt1.fxt", FxtFile(8, 4, {SolidBlock(1, 2, 3)}, "FXT1"));
    EXPECT_EQ(bitmap.Load("fxt1.fxt"), 0);
    EXPECT_EQ(PendingError(), "FXT - Not a fxt file");
    EXPECT_STREQ(registry.fxt1->GetErrorText(), "FXT - Not a fxt file");
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST_F(Fxt1ReaderTest, ShortHeaderIsNotAnFxtFile) {
    WriteWholeFile("short.fxt", std::string("CXET\0\0\0\0\x08\0", 10));
    EXPECT_EQ(bitmap.Load("short.fxt"), 0);
    EXPECT_EQ(PendingError(), "FXT - Not a fxt file");
    WriteWholeFile("empty.fxt", "");
    EXPECT_EQ(bitmap.Load("empty.fxt"), 0);
    EXPECT_EQ(PendingError(), "FXT - Not a fxt file");
}

TEST_F(Fxt1ReaderTest, TruncatedBlocksAreRefusedBeforeAllocating) {
    WriteWholeFile("cut.fxt",
                   FxtFile(16, 8, {SolidBlock(1, 2, 3), SolidBlock(1, 2, 3), SolidBlock(1, 2, 3)}));
    EXPECT_EQ(bitmap.Load("cut.fxt"), 0);
    EXPECT_EQ(PendingError(), "Error reading file");
    // A header that claims 32768 x 32768 (4 GiB of pixels) over one block.
    WriteWholeFile("liar.fxt", FxtFile(32768, 32768, {SolidBlock(1, 2, 3)}));
    EXPECT_EQ(bitmap.Load("liar.fxt"), 0);
    EXPECT_EQ(PendingError(), "Out of memory");
    // 8192 x 8192 fits the limits (256 MiB) but the file holds one block of 2 million.
    WriteWholeFile("liar2.fxt", FxtFile(8192, 8192, {SolidBlock(1, 2, 3)}));
    EXPECT_EQ(bitmap.Load("liar2.fxt"), 0);
    EXPECT_EQ(PendingError(), "Error reading file");
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST_F(Fxt1ReaderTest, AThinPictureOfAnyWidthWithinTheSizeLimitLoads) {
    // 33000 x 4: 4125 blocks, half a megabyte of pixels.
    std::vector<Block> blocks;
    for (int i = 0; i < 4125; ++i)
        blocks.push_back(i % 2 ? SolidBlock(0, 0, 31) : SolidBlock(31, 0, 0));
    WriteWholeFile("thin.fxt", FxtFile(33000, 4, blocks));
    ASSERT_EQ(bitmap.Load("thin.fxt"), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 33000);
    EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(bitmap, 32999, 3), 0xFFFF0000u);  // block 4124
    EXPECT_EQ(PixelAt(bitmap, 32991, 3), 0xFF0000FFu);  // block 4123
}

TEST_F(Fxt1ReaderTest, HugeSizesAreRefusedWithoutOverflow) {
    const uint32_t sizes[][2] = {
        {0xFFFFFFFFu, 0xFFFFFFFFu}, {0x80000000u, 4}, {8, 0x80000000u}, {0x10000, 0x10000}};
    for (const auto& size : sizes) {
        WriteWholeFile("huge.fxt", FxtFile(size[0], size[1], {SolidBlock(1, 2, 3)}));
        EXPECT_EQ(bitmap.Load("huge.fxt"), 0) << size[0] << " x " << size[1];
        EXPECT_EQ(PendingError(), "Out of memory");
    }
}

TEST_F(Fxt1ReaderTest, FailedLoadKeepsNothingOfTheOldPicture) {
    WriteWholeFile("good.fxt", FxtFile(8, 4, {SolidBlock(31, 0, 0)}));
    ASSERT_EQ(bitmap.Load("good.fxt"), 1);
    WriteWholeFile("bad.fxt", FxtFile(8, 8, {SolidBlock(31, 0, 0)}));
    EXPECT_EQ(bitmap.Load("bad.fxt"), 0);
    // The failed load did not touch the bitmap: the old picture is still whole.
    EXPECT_EQ(bitmap.width, 8);
    EXPECT_EQ(bitmap.height, 4);
    EXPECT_EQ(PixelAt(bitmap, 7, 3), 0xFFFF0000u);
}

TEST_F(Fxt1ReaderTest, PathEndingInADotGetsTheExtension) {
    ASSERT_EQ(xCreateDirsForFile("textures/nd.fxt"), 1);
    WriteWholeFile("textures/nd.fxt", FxtFile(8, 4, {SolidBlock(0, 31, 0)}));
    EXPECT_EQ(registry.fxt1->Load("./textures/nd.", bitmap, 0), 1) << PendingError();
    EXPECT_EQ(PixelAt(bitmap, 3, 3), 0xFF00FF00u);
    // The registry finds it through the dot too.
    Bitmap other;
    EXPECT_EQ(other.Load("./textures/nd."), 1) << PendingError();
}

TEST_F(Fxt1ReaderTest, MissingFileNamesThePath) {
    EXPECT_EQ(registry.fxt1->Load("nothere.", bitmap, 0), 0);
    EXPECT_EQ(PendingError(), "FXT - Unable to open \"nothere.fxt\"");
    EXPECT_STREQ(registry.fxt1->GetErrorText(), "FXT - Unable to open \"nothere.fxt\"");
}

TEST_F(Fxt1ReaderTest, SavingIsNotImplemented) {
    ASSERT_EQ(bitmap.CreateRgb(8, 4, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    EXPECT_EQ(bitmap.Save("out.fxt", nullptr, 0, 0, 0), 0);
    EXPECT_EQ(PendingError(), "FXT - Save function isnt implemented yet");
    File file;
    EXPECT_EQ(registry.fxt1->SaveToFile(file, bitmap, 0, 0, 0), 0);
    EXPECT_STREQ(registry.fxt1->GetErrorText(), "FXT - Save function isnt implemented yet");
    EXPECT_FALSE(FileExists("out.fxt"));
}

}  // namespace
