// JPEG loader. Two kinds of input:
// - Files in unit/data/jpeg made with ImageMagick and libjpeg-turbo's cjpeg (baseline,
//   greyscale and colour, 4:4:4, 4:2:2, 4:2:0, 3:1 chroma, odd sizes, restart
//   intervals, one progressive), each with the pixels ImageMagick decodes it to
//   (<name>.rgb, bytes red, green, blue, made with the integer transform and without
//   interpolating upsampling, the arithmetic of this loader).
// - Small files built here marker by marker from T.81, whose pixels follow by hand:
//   blocks that hold only a DC coefficient decode to 128 + DC / 8 everywhere.
//
// Sections: building small files; ImageMagick's files; hand-made pictures; bad input;
// format interface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"
#include "ansi/file.h"
#include "ansi/fxt1.h"
#include "ansi/jpeg.h"
#include "llist.h"
#include "misc.h"
#include "picture_test_support.h"
#include "test_support.h"
#include "xsystem.h"

namespace {

// The largest difference allowed between a channel here and in ImageMagick's decode.
// Both use the same integer transform, clamping and colour tables and repeat chroma
// samples the same way, so every channel of every file agrees exactly: any rounding
// or upsampling slip shows.
const int kTolerance = 0;

std::string TestDataPath(const std::string& relative) {
    std::string root = NOVADRIFT_TEST_DATA_DIR;
#ifdef _WIN32
    // Wine reaches the Unix root as drive Z:.
    if (!root.empty() && root[0] == '/') root = "Z:" + root;
#endif
    return root + "/jpeg/" + relative;
}

// A registry of its own in the program's order (JPEG, Windows bitmap, FXT1), with a
// glb for the test when none exists (the loader takes the zig-zag order from it).
class JpegRegistry {
public:
    JpegRegistry() : savedGlb(glb), ownGlb(nullptr) {
        if (!glb) glb = ownGlb = new AppGlobals;
        savedFormats = glb->pictureFormats;
        glb->pictureFormats = &formats;
        jpeg = new JpegLoader;
        bmp = new BmpCodec;
        fxt1 = new Fxt1Reader;
    }
    ~JpegRegistry() {
        delete fxt1;
        delete bmp;
        delete jpeg;
        glb->pictureFormats = savedFormats;
        delete ownGlb;
        glb = savedGlb;
        ClearError();
    }
    JpegLoader* jpeg;
    BmpCodec* bmp;
    Fxt1Reader* fxt1;

private:
    AppGlobals* savedGlb;
    LList* savedFormats;
    AppGlobals* ownGlb;
    LList formats;
};

struct Rgb {
    int red, green, blue;
};

// Through the bitmap's channel positions (a 24-bit pixel read big-endian).
Rgb PixelAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.pixels + intptr_t(y) * bitmap.pitch + intptr_t(x) * 3;
    uint32_t value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return Rgb{int(value >> bitmap.redPos & 0xFF), int(value >> bitmap.greenPos & 0xFF),
               int(value >> bitmap.bluePos & 0xFF)};
}

// Decodes bytes through a file in the working directory, opened as Load opens it.
int DecodeHere(JpegLoader& loader, const std::string& bytes, Bitmap& bitmap) {
    WriteWholeFile("picture.jpg", bytes);
    File file;
    if (!file.Open("picture.jpg", FILE_READ | FILE_BIG_ENDIAN)) return -1;
    int result = loader.LoadFromFile(file, bitmap, 0, 0);
    file.Close();
    return result;
}

// The same in a scratch directory of its own.
int DecodeBytes(JpegLoader& loader, const std::string& bytes, Bitmap& bitmap) {
    ScratchDirectory scratch;
    return DecodeHere(loader, bytes, bitmap);
}

// ------------------------------------------------------------ building small files

std::string Word(int value) {
    return std::string{char((value >> 8) & 0xFF), char(value & 0xFF)};
}

std::string Segment(int marker, const std::string& body) {
    return std::string{char(0xFF), char(marker)} + Word(int(body.size()) + 2) + body;
}

std::string Soi() {
    return std::string{char(0xFF), char(0xD8)};
}

std::string Eoi() {
    return std::string{char(0xFF), char(0xD9)};
}

std::string Jfif(int major = 1) {
    return Segment(0xE0, std::string("JFIF", 5) + char(major) + char(1) + char(0) + Word(1) +
                             Word(1) + char(0) + char(0));
}

// Table `number` with every entry `value` (8-bit entries, or 16-bit ones).
std::string Dqt(int number, int value, bool sixteenBits = false) {
    std::string body(1, char((sixteenBits ? 0x10 : 0) | number));
    for (int i = 0; i < 64; ++i) body += sixteenBits ? Word(value) : std::string(1, char(value));
    return Segment(0xDB, body);
}

// One table: class 0 DC / 1 AC, counts of lengths 1..16, symbols.
std::string HuffmanBody(int tableClass, int number, const std::vector<int>& counts,
                        const std::string& symbols) {
    std::string body(1, char(tableClass << 4 | number));
    for (int i = 0; i < 16; ++i) body += char(i < int(counts.size()) ? counts[i] : 0);
    return body + symbols;
}

// The tables the hand-made scans use: DC code "0" for a 4-bit difference, AC code "0"
// for end of block. A block "0 dddd 0" is a DC-only block with difference dddd.
std::string SimpleTables() {
    return Segment(0xC4, HuffmanBody(0, 0, {1}, std::string(1, char(4))) +
                             HuffmanBody(1, 0, {1}, std::string(1, char(0))));
}

struct FrameComponent {
    int id, factors, table;
};

std::string Sof(int marker, int width, int height, const std::vector<FrameComponent>& components,
                int precision = 8) {
    std::string body = std::string(1, char(precision)) + Word(height) + Word(width) +
                       char(components.size());
    for (const FrameComponent& c : components)
        body += std::string{char(c.id), char(c.factors), char(c.table)};
    return Segment(marker, body);
}

std::string Sos(const std::vector<std::pair<int, int>>& components) {
    std::string body(1, char(components.size()));
    for (const auto& c : components) body += std::string{char(c.first), char(c.second)};
    return Segment(0xDA, body + char(0) + char(63) + char(0));
}

// A greyscale picture of DC-only blocks: quantiser 8, so a difference of 8 moves the
// samples by 8. `data` is the entropy-coded segment (and anything after it).
std::string GreyFile(int width, int height, const std::string& data,
                     const std::string& extra = "") {
    return Soi() + Jfif() + Dqt(0, 8) + SimpleTables() + extra +
           Sof(0xC0, width, height, {{1, 0x11, 0}}) + Sos({{1, 0x00}}) + data + Eoi();
}

// ------------------------------------------------------------- ImageMagick's files

struct ReferenceFile {
    const char* name;
    int width, height;
    bool grey;
};

class JpegReferenceTest : public ::testing::TestWithParam<ReferenceFile> {};

TEST_P(JpegReferenceTest, DecodesToTheReferencePixels) {
    const ReferenceFile& reference = GetParam();
    JpegRegistry registry;
    Bitmap bitmap;
    std::string path = TestDataPath(std::string(reference.name) + ".jpg");
    ASSERT_EQ(bitmap.Load(path.c_str()), 1) << path << ": " << PendingError();
    std::string expected = ReadWholeFile(TestDataPath(std::string(reference.name) + ".rgb"));
    ASSERT_EQ(expected.size(), size_t(reference.width) * reference.height * 3);
    ASSERT_EQ(bitmap.width, reference.width);
    ASSERT_EQ(bitmap.height, reference.height);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    EXPECT_EQ(bitmap.bytesPerPixel, 3);
    EXPECT_EQ(bitmap.pitch, (reference.width * 3 + 3) / 4 * 4);
    EXPECT_EQ(bitmap.directColour, 1);
    EXPECT_EQ(bitmap.redSize, 8);
    EXPECT_EQ(bitmap.greenSize, 8);
    EXPECT_EQ(bitmap.blueSize, 8);
    EXPECT_EQ(bitmap.alphaSize, 0);
    EXPECT_EQ(bitmap.redPos, 0);
    EXPECT_EQ(bitmap.greenPos, 8);
    EXPECT_EQ(bitmap.bluePos, 16);
    int worst = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            Rgb got = PixelAt(bitmap, x, y);
            // Bytes in memory: blue, green, red.
            const uint8_t* raw = bitmap.pixels + y * bitmap.pitch + x * 3;
            ASSERT_EQ(raw[0], got.blue);
            ASSERT_EQ(raw[2], got.red);
            const unsigned char* want =
                reinterpret_cast<const unsigned char*>(expected.data()) +
                (size_t(y) * reference.width + x) * 3;
            int differences[3] = {std::abs(got.red - want[0]), std::abs(got.green - want[1]),
                                  std::abs(got.blue - want[2])};
            for (int d : differences) worst = d > worst ? d : worst;
            if (reference.grey) {
                ASSERT_EQ(got.red, got.green) << x << "," << y;
                ASSERT_EQ(got.red, got.blue) << x << "," << y;
            }
        }
    EXPECT_LE(worst, kTolerance) << reference.name;
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegReferenceTest,
    ::testing::Values(ReferenceFile{"colour444", 16, 16, false},
                      ReferenceFile{"colour422", 16, 16, false},
                      ReferenceFile{"colour420", 16, 16, false},
                      ReferenceFile{"colour311", 24, 16, false},
                      ReferenceFile{"odd420_13x7", 13, 7, false},
                      ReferenceFile{"grey", 16, 16, true},
                      ReferenceFile{"grey_13x7", 13, 7, true},
                      ReferenceFile{"restart420", 64, 48, false},
                      ReferenceFile{"grey_restart", 64, 48, true},
                      ReferenceFile{"photo420", 100, 75, false},
                      ReferenceFile{"photo444", 100, 75, false},
                      ReferenceFile{"photogrey", 100, 75, true}),
    [](const ::testing::TestParamInfo<ReferenceFile>& info) { return std::string(info.param.name); });

TEST(JpegFiles, ProgressiveIsRefusedWithItsMessage) {
    JpegRegistry registry;
    Bitmap bitmap;
    std::string path = TestDataPath("progressive.jpg");
    EXPECT_EQ(bitmap.Load(path.c_str()), 0);
    EXPECT_EQ(std::string(registry.jpeg->GetErrorText()),
              "Unhandle jpeg format. We only support baseline jpegs!");
    EXPECT_EQ(PendingError(), "Unhandle jpeg format. We only support baseline jpegs!");
    EXPECT_EQ(bitmap.pixels, nullptr);
}

TEST(JpegFiles, EveryTruncationBeforeTheEndMarkerIsRefused) {
    JpegRegistry registry;
    std::string whole = ReadWholeFile(TestDataPath("colour420.jpg"));
    ASSERT_GT(whole.size(), 100u);
    Bitmap full;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, whole, full), 1);
    // The end-of-image marker is never read: without it the picture is the same.
    Bitmap withoutEnd;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, whole.substr(0, whole.size() - 2), withoutEnd), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(withoutEnd.pixels), 16 * 48),
              std::string(reinterpret_cast<char*>(full.pixels), 16 * 48));
    // Cutting into the coded data, or anywhere before it, loses information.
    ScratchDirectory scratch;
    for (size_t length = 0; length + 2 < whole.size(); ++length) {
        JpegLoader fresh;
        Bitmap bitmap;
        ASSERT_EQ(DecodeHere(fresh, whole.substr(0, length), bitmap), 0) << length;
        ASSERT_EQ(bitmap.pixels, nullptr);
    }
}

TEST(JpegFiles, EveryTruncationOfARestartFileIsRefused) {
    JpegRegistry registry;
    std::string whole = ReadWholeFile(TestDataPath("restart420.jpg"));
    ASSERT_GT(whole.size(), 1000u);
    ScratchDirectory scratch;
    for (size_t length = 0; length + 2 < whole.size(); length += 7) {
        JpegLoader fresh;
        Bitmap bitmap;
        ASSERT_EQ(DecodeHere(fresh, whole.substr(0, length), bitmap), 0) << length;
    }
}

// ------------------------------------------------------------ hand-made pictures

TEST(JpegDecode, DcOnlyBlocksAccumulateTheirDifferences) {
    JpegRegistry registry;
    Bitmap bitmap;
    // Blocks "0 1000 0" (+8) and "0 0111 0" (-8), then "0 1000 0" again; padded with 1s:
    // 010000 001110 010000 111111 = 0x40 0xE4 0x3F.
    std::string data{char(0x40), char(0xE4), char(0x3F)};
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(24, 8, data), bitmap), 1);
    ASSERT_EQ(bitmap.width, 24);
    ASSERT_EQ(bitmap.height, 8);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(PixelAt(bitmap, 3, y).red, 136);    // predictor 8: 128 + 64 / 8
        EXPECT_EQ(PixelAt(bitmap, 12, y).green, 128);  // back to 0
        EXPECT_EQ(PixelAt(bitmap, 20, y).blue, 136);
    }
}

TEST(JpegDecode, RestartIntervalResetsThePredictors) {
    JpegRegistry registry;
    Bitmap bitmap;
    // Two +8 blocks, each in its own interval: 010000 11, RST0, 010000 11.
    std::string data{char(0x43), char(0xFF), char(0xD0), char(0x43)};
    std::string interval = Segment(0xDD, Word(1));
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(16, 8, data, interval), bitmap), 1);
    EXPECT_EQ(PixelAt(bitmap, 0, 0).red, 136);
    EXPECT_EQ(PixelAt(bitmap, 15, 7).red, 136);  // 144 without the reset
    // Without the interval the second block continues from the first.
    Bitmap plain;
    std::string together{char(0x41), char(0x0F)};  // 010000 010000 1111
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(16, 8, together), plain), 1);
    EXPECT_EQ(PixelAt(plain, 15, 7).red, 144);
}

TEST(JpegDecode, RestartMarkersCountZeroToSevenAndWrap) {
    JpegRegistry registry;
    // Ten one-block intervals: RST0 .. RST7, RST0 between them.
    std::string data(1, char(0x43));
    for (int i = 0; i < 9; ++i) data += std::string{char(0xFF), char(0xD0 + i % 8), char(0x43)};
    Bitmap bitmap;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(80, 8, data, Segment(0xDD, Word(1))), bitmap),
              1);
    for (int x = 4; x < 80; x += 8) EXPECT_EQ(PixelAt(bitmap, x, 4).red, 136) << x;
    // A marker out of turn is not consumed, and the data behind it is not reached.
    std::string wrong{char(0x43), char(0xFF), char(0xD3), char(0x43)};
    Bitmap refused;
    EXPECT_EQ(DecodeBytes(*registry.jpeg, GreyFile(16, 8, wrong, Segment(0xDD, Word(1))), refused),
              0);
    EXPECT_EQ(refused.pixels, nullptr);
}

TEST(JpegDecode, AThinPictureOfAnyWidthWithinTheSizeLimitDecodes) {
    JpegRegistry registry;
    // 40000 x 8: 5000 blocks of DC differences +8, -8, +8, ... ("0 1000 0", "0 0111 0").
    std::string bits;
    for (int i = 0; i < 5000; ++i) bits += i % 2 ? "001110" : "010000";
    while (bits.size() % 8) bits += '1';
    std::string data;
    for (size_t i = 0; i < bits.size(); i += 8)
        data += char(std::stoi(bits.substr(i, 8), nullptr, 2));
    Bitmap bitmap;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(40000, 8, data), bitmap), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 40000);
    EXPECT_EQ(PixelAt(bitmap, 0, 0).red, 136);
    EXPECT_EQ(PixelAt(bitmap, 8, 7).red, 128);
    EXPECT_EQ(PixelAt(bitmap, 39991, 3).red, 136);  // block 4998
    EXPECT_EQ(PixelAt(bitmap, 39999, 7).red, 128);
    // Past the bitmap's size limit, the refusal says why.
    // 65500 x 1400 is 275 MB of pixels, with data enough for its 1.4 million blocks.
    Bitmap huge;
    std::string many(400000, char(0x43));
    EXPECT_EQ(DecodeBytes(*registry.jpeg, GreyFile(65500, 1400, many), huge), 0);
    EXPECT_STREQ(registry.jpeg->GetErrorText(), "Out of memory");
}

TEST(JpegDecode, SixteenBitQuantisersActLikeEightBitOnes) {
    JpegRegistry registry;
    std::string data{char(0x43)};
    std::string file = Soi() + Jfif() + Dqt(0, 8, true) + SimpleTables() +
                       Sof(0xC0, 8, 8, {{1, 0x11, 0}}) + Sos({{1, 0x00}}) + data + Eoi();
    Bitmap bitmap;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, file, bitmap), 1);
    EXPECT_EQ(PixelAt(bitmap, 7, 7).red, 136);
}

TEST(JpegDecode, ColourOfDcOnlyBlocksFollowsTheConversionTables) {
    JpegRegistry registry;
    // Y +8 (136), Cb +8 (136), Cr -8 (120), 4:4:4 interleaved:
    // 010000 010000 001110 111111.
    std::string data{char(0x41), char(0x03), char(0xBF)};
    std::string file = Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                       Sof(0xC0, 8, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}}) +
                       Sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}) + data + Eoi();
    Bitmap bitmap;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, file, bitmap), 1);
    // Cb' = 8, Cr' = -8: red 136 + round(1.402 * -8) = 125, green 136 - (0.34414 * 8 -
    // 0.71414 * 8) = 139, blue 136 + round(1.772 * 8) = 150.
    Rgb pixel = PixelAt(bitmap, 5, 5);
    EXPECT_EQ(pixel.red, 125);
    EXPECT_EQ(pixel.green, 139);
    EXPECT_EQ(pixel.blue, 150);
}

TEST(JpegDecode, TablesStayForLaterFiles) {
    JpegRegistry registry;
    std::string data{char(0x43)};
    std::string abbreviated =
        Soi() + Jfif() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) + Sos({{1, 0x00}}) + data + Eoi();
    Bitmap first;
    EXPECT_EQ(DecodeBytes(*registry.jpeg, abbreviated, first), 0);  // no tables yet
    Bitmap full;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, GreyFile(8, 8, data), full), 1);
    Bitmap later;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, abbreviated, later), 1);
    EXPECT_EQ(PixelAt(later, 0, 0).red, 136);
}

TEST(JpegDecode, HeightFromNumberOfLinesSegmentWhenTheFrameHasNone) {
    JpegRegistry registry;
    std::string data{char(0x43)};
    std::string file = Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                       Segment(0xDC, Word(5)) + Sof(0xC0, 8, 0, {{1, 0x11, 0}}) +
                       Sos({{1, 0x00}}) + data + Eoi();
    Bitmap bitmap;
    ASSERT_EQ(DecodeBytes(*registry.jpeg, file, bitmap), 1);
    EXPECT_EQ(bitmap.height, 5);
}

// ------------------------------------------------------------------- bad input

class JpegRefusal : public ::testing::Test {
protected:
    // Refused without a message of the loader's own: its text stays as it was.
    void ExpectRefused(const std::string& bytes) {
        Bitmap bitmap;
        EXPECT_EQ(DecodeBytes(*registry.jpeg, bytes, bitmap), 0);
        EXPECT_EQ(bitmap.pixels, nullptr);
        // Refused with a reason, never the format's "No error".
        EXPECT_EQ(std::string(registry.jpeg->GetErrorText()),
                  "JPG - Damaged or unsupported jpeg file");
    }
    JpegRegistry registry;
    std::string block{char(0x43)};
};

TEST_F(JpegRefusal, ValidBaseForTheseCases) {
    Bitmap bitmap;
    EXPECT_EQ(DecodeBytes(*registry.jpeg, GreyFile(8, 8, block), bitmap), 1);
}

TEST_F(JpegRefusal, NotStartOfImage) {
    std::string file = GreyFile(8, 8, block);
    file[1] = char(0xD9);
    ExpectRefused(file);
    ExpectRefused("");
    ExpectRefused(std::string(1, char(0xFF)));
}

TEST_F(JpegRefusal, ExifInsteadOfJfif) {
    std::string exif = Segment(0xE1, std::string("Exif\0\0", 6) + std::string(10, '\0'));
    ExpectRefused(Soi() + exif + Dqt(0, 8) + SimpleTables() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + block + Eoi());
}

TEST_F(JpegRefusal, JfifMajorVersionTwoOrWrongIdentifier) {
    ExpectRefused(Soi() + Jfif(2) + Dqt(0, 8) + SimpleTables() +
                  Sof(0xC0, 8, 8, {{1, 0x11, 0}}) + Sos({{1, 0x00}}) + block + Eoi());
    std::string file = GreyFile(8, 8, block);
    file[8] = 'X';  // "JFXF"
    ExpectRefused(file);
}

TEST_F(JpegRefusal, OtherProcessesGiveTheBaselineMessage) {
    for (int marker : {0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE}) {
        JpegLoader loader;
        Bitmap bitmap;
        ClearError();
        std::string file = Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                           Sof(marker, 8, 8, {{1, 0x11, 0}}) + Sos({{1, 0x00}}) + block + Eoi();
        EXPECT_EQ(DecodeBytes(loader, file, bitmap), 0) << marker;
        EXPECT_EQ(std::string(loader.GetErrorText()),
                  "Unhandle jpeg format. We only support baseline jpegs!")
            << marker;
        EXPECT_EQ(PendingError(), "Unhandle jpeg format. We only support baseline jpegs!");
    }
}

TEST_F(JpegRefusal, ScanBeforeFrameAndFrameWithoutScan) {
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() + Sos({{1, 0x00}}) +
                  Sof(0xC0, 8, 8, {{1, 0x11, 0}}) + block + Eoi());
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Eoi());
}

TEST_F(JpegRefusal, FrameFields) {
    auto file = [&](int width, int height, const std::vector<FrameComponent>& components,
                    int precision = 8) {
        return Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
               Sof(0xC0, width, height, components, precision) + Sos({{1, 0x00}}) + block +
               Eoi();
    };
    ExpectRefused(file(8, 8, {{1, 0x11, 0}}, 12));  // precision
    ExpectRefused(file(0, 8, {{1, 0x11, 0}}));      // no width
    ExpectRefused(file(8, 0, {{1, 0x11, 0}}));      // no height anywhere
    ExpectRefused(file(65501, 8, {{1, 0x11, 0}}));
    ExpectRefused(file(8, 65535, {{1, 0x11, 0}}));
    ExpectRefused(file(8, 8, {{1, 0x01, 0}}));  // factor 0
    ExpectRefused(file(8, 8, {{1, 0x51, 0}}));  // factor 5
    ExpectRefused(file(8, 8, {{1, 0x11, 4}}));  // quantisation table 4
    ExpectRefused(file(8, 8, {{1, 0x11, 1}}));  // table 1 never defined
    std::vector<FrameComponent> eleven(11, FrameComponent{1, 0x11, 0});
    ExpectRefused(file(8, 8, eleven));
}

TEST_F(JpegRefusal, HugeSizesWithLittleDataAreRefused) {
    // Within every size limit, but 4000 x 4000 needs 250000 blocks, at least 62500 bytes.
    ExpectRefused(GreyFile(4000, 4000, block));
    ExpectRefused(GreyFile(65500, 65500, block));
}

TEST_F(JpegRefusal, SamplingRatiosThatAreNotWholeMultiples) {
    // Y 3x1 with Cb 2x1: 3 is no multiple of 2.
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                  Sof(0xC0, 24, 8, {{1, 0x31, 0}, {2, 0x21, 0}, {3, 0x11, 0}}) +
                  Sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}) + std::string(8, char(0x43)) + Eoi());
    // 4x4 luma and two 1x1 chroma: 18 blocks in an MCU, over the 10 allowed.
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                  Sof(0xC0, 32, 32, {{1, 0x44, 0}, {2, 0x11, 0}, {3, 0x11, 0}}) +
                  Sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}) + std::string(8, char(0x43)) + Eoi());
}

TEST_F(JpegRefusal, ScanFields) {
    auto file = [&](const std::string& scan) {
        return Soi() + Jfif() + Dqt(0, 8) + SimpleTables() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
               scan + block + Eoi();
    };
    ExpectRefused(file(Sos({{2, 0x00}})));  // names no frame component
    ExpectRefused(file(Sos({{1, 0x40}})));  // DC table 4
    ExpectRefused(file(Sos({{1, 0x01}})));  // AC table 1 never defined
    ExpectRefused(file(Sos({})));           // no component
    // Length that does not match the count.
    ExpectRefused(file(Segment(0xDA, std::string{char(1), char(1), char(0), char(0), char(63)})));
    // Colour frame whose scan carries only the luma (a later scan would have the rest).
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                  Sof(0xC0, 8, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + block + Eoi());
    // Two components: no colour model for them.
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + SimpleTables() +
                  Sof(0xC0, 8, 8, {{1, 0x11, 0}, {2, 0x11, 0}}) + Sos({{1, 0x00}, {2, 0x00}}) +
                  block + Eoi());
}

TEST_F(JpegRefusal, BadTables) {
    auto with = [&](const std::string& tables) {
        return Soi() + Jfif() + Dqt(0, 8) + tables + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
               Sos({{1, 0x00}}) + block + Eoi();
    };
    std::string ac = HuffmanBody(1, 0, {1}, std::string(1, char(0)));
    // Three codes of length 1 cannot exist.
    ExpectRefused(with(Segment(0xC4, HuffmanBody(0, 0, {3}, std::string(3, char(4))) + ac)));
    // Table number 4, class 2.
    ExpectRefused(with(Segment(0xC4, HuffmanBody(0, 4, {1}, std::string(1, char(4))) + ac)));
    ExpectRefused(with(Segment(0xC4, HuffmanBody(2, 0, {1}, std::string(1, char(4))) + ac)));
    // 257 codes; and more symbols counted than the segment holds.
    std::vector<int> many(16, 0);
    many[15] = 255;
    many[14] = 2;
    ExpectRefused(with(Segment(0xC4, HuffmanBody(0, 0, many, std::string(257, char(1))) + ac)));
    ExpectRefused(with(Segment(0xC4, HuffmanBody(0, 0, {0, 4}, std::string(2, char(4))))));
    // Quantisation table 4, and precision 2.
    std::string bad = Dqt(0, 8);
    bad[4] = char(4);
    ExpectRefused(Soi() + Jfif() + bad + SimpleTables() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + block + Eoi());
    bad[4] = char(0x20);
    ExpectRefused(Soi() + Jfif() + bad + SimpleTables() + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + block + Eoi());
    // Restart segment of the wrong length.
    ExpectRefused(GreyFile(8, 8, block, Segment(0xDD, Word(1) + Word(0))));
}

TEST_F(JpegRefusal, BitsThatAreNoCode) {
    // 1111 1111 (stuffed 0xFF 0x00): the DC table's only code is "0".
    ExpectRefused(GreyFile(8, 8, std::string{char(0xFF), char(0x00)}));
    // A DC difference of 12 bits is beyond baseline: table with symbol 12.
    std::string tables = Segment(0xC4, HuffmanBody(0, 0, {1}, std::string(1, char(12))) +
                                           HuffmanBody(1, 0, {1}, std::string(1, char(0))));
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + tables + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + std::string(4, char(0x00)) + Eoi());
    // AC runs past the block: run 15 size 1 four times (code "0" for symbol 0xF1).
    tables = Segment(0xC4, HuffmanBody(0, 0, {1}, std::string(1, char(0))) +
                               HuffmanBody(1, 0, {1}, std::string(1, char(0xF1))));
    ExpectRefused(Soi() + Jfif() + Dqt(0, 8) + tables + Sof(0xC0, 8, 8, {{1, 0x11, 0}}) +
                  Sos({{1, 0x00}}) + std::string(4, char(0x00)) + Eoi());
    // The data ends (at the end marker) before the second block.
    ExpectRefused(GreyFile(16, 8, block));
}

// -------------------------------------------------------------- format interface

TEST(JpegFormat, NameExtensionAndSave) {
    JpegRegistry registry;
    const char* extension = nullptr;
    const char* name = nullptr;
    registry.jpeg->GetInfo(&extension, &name);
    EXPECT_STREQ(extension, "jpg");
    EXPECT_STREQ(name, "JPEG");
    EXPECT_EQ(registry.jpeg->MatchesExtension("JpG"), 1);
    EXPECT_EQ(registry.jpeg->MatchesExtension("jpeg"), 0);
    EXPECT_EQ(FindPictureFormat("x/a.JPG"), registry.jpeg);
    Bitmap bitmap;
    ASSERT_EQ(bitmap.CreateRgb(2, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    EXPECT_EQ(registry.jpeg->Save("out.jpg", bitmap, 0, 0, 0), 0);
    EXPECT_STREQ(registry.jpeg->GetErrorText(), "JPG - Save function not yet implemented");
    registry.jpeg->SetFormatError("other", 0);
    EXPECT_EQ(bitmap.Save("out.jpg", nullptr, 0, 0, 0), 0);
    EXPECT_STREQ(registry.jpeg->GetErrorText(), "JPG - Save function not yet implemented");
}

TEST(JpegFormat, OpenFailureAndPathEndingInADot) {
    JpegRegistry registry;
    ScratchDirectory scratch;
    Bitmap bitmap;
    EXPECT_EQ(registry.jpeg->Load("missing.", bitmap, 0), 0);
    EXPECT_EQ(PendingError(), "JPG - Unable to open \"missing.jpg\"");
    WriteWholeFile("pic.jpg", GreyFile(8, 8, std::string(1, char(0x43))));
    WriteWholeFile("pic.bmp", "not read");
    // Through the registry: "pic." finds the JPEG format first, which adds "jpg".
    ASSERT_EQ(bitmap.Load("pic."), 1) << PendingError();
    EXPECT_EQ(bitmap.width, 8);
    EXPECT_EQ(PixelAt(bitmap, 0, 0).red, 136);
    EXPECT_EQ(bitmap.clipRight, 7);
}

TEST(JpegFormat, DecodesFromTheFilesCurrentPosition) {
    JpegRegistry registry;
    ScratchDirectory scratch;
    WriteWholeFile("embedded", "HEAD" + GreyFile(8, 8, std::string(1, char(0x43))));
    File file;
    ASSERT_EQ(file.Open("embedded", FILE_READ | FILE_BIG_ENDIAN), 1);
    ASSERT_EQ(file.Seek(4, SEEK_FROM_CURRENT), 1);
    Bitmap bitmap;
    EXPECT_EQ(registry.jpeg->LoadFromFile(file, bitmap, 0, 0), 1);
    file.Close();
    EXPECT_EQ(PixelAt(bitmap, 4, 4).red, 136);
}

}  // namespace
