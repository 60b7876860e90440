// Bitmap object, palettes and the picture-saving entry of the screenshots,
// and the picture-format registry search.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ansi/bitmap.h"
#include "ansi/file.h"
#include "misc.h"
#include "picformat.h"
#include "picture_test_support.h"
#include "test_support.h"

namespace {

std::string Today() {
    time_t now = std::time(nullptr);
    const tm* date = std::localtime(&now);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->tm_year + 1900, date->tm_mon + 1,
                  date->tm_mday);
    return text;
}

TEST(Palette, NewPaletteIsTheGreyRamp) {
    Palette palette;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(palette.entries[i].red, i);
        EXPECT_EQ(palette.entries[i].green, i);
        EXPECT_EQ(palette.entries[i].blue, i);
    }
    EXPECT_EQ(palette.firstIndex, 0);
    EXPECT_EQ(palette.lastIndex, 255);
    EXPECT_STREQ(palette.extension, ".pal");
}

TEST(Palette, CopyTakesIndicesEntriesAndExtension) {
    Palette source;
    source.firstIndex = 3;
    source.lastIndex = 200;
    source.entries[7] = PaletteEntry{1, 2, 3, 4};
    std::snprintf(source.extension, sizeof source.extension, "%s", ".act");
    Palette copy(source);
    EXPECT_EQ(copy.firstIndex, 3);
    EXPECT_EQ(copy.lastIndex, 200);
    EXPECT_EQ(copy.entries[7].fourth, 4);
    EXPECT_STREQ(copy.extension, ".act");
    Palette assigned;
    assigned = source;
    EXPECT_EQ(std::memcmp(assigned.entries, source.entries, sizeof source.entries), 0);
}

TEST(BitmapGeometry, ChecksEveryProductBeforeMakingIt) {
    int32_t pitch = -1, total = -1;
    EXPECT_EQ(BitmapGeometry(3, 2, 3, 4, &pitch, &total), 1);
    EXPECT_EQ(pitch, 12);
    EXPECT_EQ(total, 24);
    EXPECT_EQ(BitmapGeometry(3, 2, 3, 1, &pitch, &total), 1);
    EXPECT_EQ(pitch, 9);
    EXPECT_EQ(BitmapGeometry(0, 0, 4, 4, &pitch, &total), 1);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(BitmapGeometry(8192, 8192, 4, 4, &pitch, &total), 1);  // 256 MiB: the limit
    EXPECT_EQ(total, 1 << 28);
    EXPECT_EQ(BitmapGeometry(8193, 8192, 4, 4, &pitch, &total), 0);
    // Only the total counts: a thin picture may be far wider than it is high.
    EXPECT_EQ(BitmapGeometry(40000, 2, 3, 4, &pitch, &total), 1);
    EXPECT_EQ(total, 240000);
    EXPECT_EQ(BitmapGeometry(1, 65500, 4, 1, &pitch, &total), 1);
    EXPECT_EQ(BitmapGeometry(1 << 26, 1, 4, 1, &pitch, &total), 1);
    EXPECT_EQ(BitmapGeometry((1 << 26) + 1, 1, 4, 1, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(0x7FFFFFFF, 1, 4, 4, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(1, 0x7FFFFFFF, 4, 4, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(0x7FFFFFFF, 0x7FFFFFFF, 4, 4, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(-1, 4, 4, 4, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(4, -1, 4, 4, &pitch, &total), 0);
    EXPECT_EQ(BitmapGeometry(4, 4, 5, 4, &pitch, &total), 0);
}

TEST(Bitmap, CreatePadsRowsToFourBytesAndClears) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(3, 2, 24, nullptr), 1);
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    EXPECT_EQ(bitmap.bytesPerPixel, 3);
    EXPECT_EQ(bitmap.pitch, 12);
    EXPECT_EQ(bitmap.directColour, 0);
    EXPECT_EQ(bitmap.palette, nullptr);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(bitmap.pixels[i], 0) << i;
    EXPECT_EQ(bitmap.clipLeft, 0);
    EXPECT_EQ(bitmap.clipTop, 0);
    EXPECT_EQ(bitmap.clipRight, 2);
    EXPECT_EQ(bitmap.clipBottom, 1);
}

TEST(Bitmap, CreateKeepsACopyOfTheGivenPalette) {
    Palette palette;
    palette.entries[9] = PaletteEntry{90, 91, 92, 0};
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(5, 1, 8, &palette), 1);
    EXPECT_EQ(bitmap.pitch, 8);
    ASSERT_NE(bitmap.palette, nullptr);
    EXPECT_NE(bitmap.palette, &palette);
    EXPECT_EQ(bitmap.palette->entries[9].green, 91);
    // Its own palette again: copied before the old one is dropped.
    ASSERT_EQ(bitmap.Create(2, 2, 8, bitmap.palette), 1);
    EXPECT_EQ(bitmap.palette->entries[9].blue, 92);
    ASSERT_EQ(bitmap.Create(2, 2, 8, nullptr), 1);
    EXPECT_EQ(bitmap.palette, nullptr);
}

TEST(Bitmap, CreateWithMasksStoresTheChannels) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.CreateWithMasks(2, 2, 32, 8, 8, 8, 8, 16, 8, 0, 24), 1);
    EXPECT_EQ(bitmap.directColour, 1);
    EXPECT_EQ(bitmap.pitch, 8);
    EXPECT_EQ(bitmap.redSize, 8);
    EXPECT_EQ(bitmap.alphaSize, 8);
    EXPECT_EQ(bitmap.redPos, 16);
    EXPECT_EQ(bitmap.bluePos, 0);
    EXPECT_EQ(bitmap.alphaPos, 24);
    ASSERT_EQ(bitmap.CreateRgb(4, 1, 16, 5, 6, 5, 11, 5, 0, 0), 1);
    EXPECT_EQ(bitmap.greenSize, 6);
    EXPECT_EQ(bitmap.alphaSize, 0);
    EXPECT_EQ(bitmap.alphaPos, 0);
    EXPECT_EQ(bitmap.redPos, 11);
    EXPECT_EQ(bitmap.pitch, 8);
}

TEST(Bitmap, CreateWithMasksKeepsThePalette) {
    Palette palette;
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(2, 2, 8, &palette), 1);
    ASSERT_EQ(bitmap.CreateWithMasks(2, 2, 8, 3, 3, 2, 0, 5, 2, 0, 0), 1);
    EXPECT_NE(bitmap.palette, nullptr);
}

TEST(Bitmap, FifteenBitsAreRefusedAndChangeNothing) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.CreateRgb(3, 3, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    uint8_t* pixels = bitmap.pixels;
    EXPECT_EQ(bitmap.CreateWithMasks(4, 4, 15, 5, 5, 5, 0, 10, 5, 0, 0), 0);
    EXPECT_EQ(bitmap.CreateWithMasks(4, 4, 12, 4, 4, 4, 0, 8, 4, 0, 0), 0);
    EXPECT_EQ(bitmap.pixels, pixels);
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    EXPECT_EQ(bitmap.redSize, 8);
}

TEST(Bitmap, HugeSizesAreRefusedWithoutAllocating) {
    Bitmap bitmap;
    EXPECT_EQ(bitmap.Create(0x7FFFFFFF, 0x7FFFFFFF, 32, nullptr), 0);
    EXPECT_EQ(bitmap.Create(-1, 5, 8, nullptr), 0);
    EXPECT_EQ(bitmap.CreateRgb(100000, 100000, 24, 8, 8, 8, 16, 8, 0, 0), 0);
    EXPECT_EQ(bitmap.pixels, nullptr);
    ClearError();
}

TEST(Bitmap, ReleaseFreesPixelsAndPalette) {
    Palette palette;
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(2, 2, 8, &palette), 1);
    EXPECT_EQ(bitmap.Release(), 1);
    EXPECT_EQ(bitmap.pixels, nullptr);
    EXPECT_EQ(bitmap.palette, nullptr);
    EXPECT_EQ(bitmap.Release(), 1);
}

// ------------------------------------------------------------------ load and save

class BitmapFiles : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
    PictureRegistry registry;
};

TEST_F(BitmapFiles, UnknownExtensionIsCode23) {
    Bitmap bitmap;
    WriteWholeFile("picture.png", "\x89PNG");
    EXPECT_EQ(bitmap.Load("picture.png"), 0);
    EXPECT_EQ(GetErrorCode(), ERR_PICTURE_FORMAT);
    EXPECT_NE(PendingError().find("Unknown/unsupported picture format"), std::string::npos);
    EXPECT_EQ(bitmap.Load("noextension"), 0);
    EXPECT_EQ(GetErrorCode(), ERR_PICTURE_FORMAT);
}

TEST_F(BitmapFiles, LoadRecordsTheCodecsText) {
    Bitmap bitmap;
    WriteWholeFile("fake.bmp", std::string(60, 'x'));
    EXPECT_EQ(bitmap.Load("fake.bmp"), 0);
    EXPECT_EQ(PendingError(), "BMP - Not a (windows) bitmap file");
}

TEST_F(BitmapFiles, DatedSaveTakesTheFirstFreeNumber) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateRgb(2, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    ASSERT_EQ(shot.Save("shot.bmp", nullptr, 0, 0, 1), 1) << PendingError();
    ASSERT_EQ(shot.Save("shot.bmp", nullptr, 0, 0, 1), 1) << PendingError();
    EXPECT_TRUE(FileExists(("shot" + Today() + "_01.bmp").c_str()));
    EXPECT_TRUE(FileExists(("shot" + Today() + "_02.bmp").c_str()));
    EXPECT_FALSE(FileExists("shot.bmp"));
}

TEST_F(BitmapFiles, DatedSaveOfAPathWithoutADotBeginsWithTheDate) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateRgb(2, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    ASSERT_EQ(shot.Save("shot", registry.bmp, 0, 0, 1), 1) << PendingError();
    EXPECT_TRUE(FileExists((Today() + "_01.bmp").c_str()));
}

TEST_F(BitmapFiles, ScreenshotGoesIntoANewDirectory) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateRgb(4, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    ASSERT_EQ(shot.Save("ScrShots/qv.bmp", nullptr, 0, 0, 1 | 2), 1) << PendingError();
    std::string name = "ScrShots/qv" + Today() + "_01.bmp";
    Bitmap back;
    ASSERT_EQ(back.Load(name.c_str()), 1) << PendingError();
    EXPECT_EQ(back.width, 4);
}

TEST_F(BitmapFiles, PastTheDays101stDatedNameTheNumbersGoOn) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateRgb(1, 1, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    for (int n = 1; n <= 101; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "full%s_%02d.bmp", Today().c_str(), n);
        WriteWholeFile(name, "");
    }
    ASSERT_EQ(shot.Save("full.bmp", nullptr, 0, 0, 1), 1) << PendingError();
    EXPECT_TRUE(FileExists(("full" + Today() + "_102.bmp").c_str()));
}

TEST_F(BitmapFiles, SaveWithoutAFormatForThePathFails) {
    Bitmap shot;
    ASSERT_EQ(shot.CreateRgb(1, 1, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    EXPECT_EQ(shot.Save("shot.png", nullptr, 0, 0, 0), 0);
    EXPECT_FALSE(FileExists("shot.png"));
}

TEST_F(BitmapFiles, FindPictureFormatByExtension) {
    EXPECT_EQ(FindPictureFormat("a.BMP"), registry.bmp);
    EXPECT_EQ(FindPictureFormat("textures/nd.fxt"), registry.fxt1);
    EXPECT_EQ(FindPictureFormat("a.png"), nullptr);
    EXPECT_EQ(FindPictureFormat("noext"), nullptr);
    EXPECT_EQ(FindPictureFormat("./textures/noext"), nullptr);
    EXPECT_EQ(FindPictureFormat(nullptr), nullptr);
}

TEST_F(BitmapFiles, FindPictureFormatForANameEndingInADot) {
    EXPECT_EQ(FindPictureFormat("a."), nullptr);
    WriteWholeFile("a.fxt", "");
    EXPECT_EQ(FindPictureFormat("a."), registry.fxt1);
    WriteWholeFile("a.bmp", "");
    // Registry order: the bitmap format comes before FXT1.
    EXPECT_EQ(FindPictureFormat("a."), registry.bmp);
}

TEST_F(BitmapFiles, CodecsLeaveTheRegistryWhenDestroyed) {
    EXPECT_EQ(glb->pictureFormats->Count(), 2);
    {
        BmpCodec another;
        EXPECT_EQ(glb->pictureFormats->Count(), 3);
    }
    EXPECT_EQ(glb->pictureFormats->Count(), 2);
    EXPECT_EQ(FindPictureFormat("x.bmp"), registry.bmp);
}

}  // namespace
