#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "bground.h"
#include "misc.h"
#include "slidertable.h"

namespace {

// ---------------------------------------------------------------- control table

TEST(SliderTable, RowsInTableOrder) {
    struct Expected {
        int32_t id;
        const char* keyword;
        int32_t kind;
    };
    const Expected controls[16] = {
        {9, "TTIME", 1},         {10, "DELAY", 1},        {6, "BGROUND", 2},
        {1, "RESET", 2},         {2, "ABOUT", 2},         {3, "QUIT", 2},
        {4, "SAVE", 2},          {5, "LOAD", 2},          {8, "PPAGE", 2},
        {7, "NPAGE", 2},         {11, "SLIDERP", 2},      {12, "BGSTARFIELD", 2},
        {13, "BGSTARFIELD1", 2}, {14, "BGSTARFIELD2", 2}, {15, "BGPREV", 2},
        {16, "BGNEXT", 2},
    };
    const char* const parameters[26] = {
        "BGSBCR",   "BGSBCG",   "BGSBCB",   "BGSSCR",   "BGSSCG",    "BGSSCB",    "BGSECR",
        "BGSECG",   "BGSECB",   "BGSSX",    "BGSSY",    "BGSSZ",     "BGSCRX",    "BGSCRY",
        "BGSCRZ",   "BGSNUMS",  "BGSMBLUR", "BGSSIZE",  "BGSWSIZEX", "BGSWSIZEY", "BGSWSIZEZ",
        "BGSCAMPX", "BGSCAMPY", "BGSCAMPZ", "BGSBCOLA", "BGSBCS",
    };
    ASSERT_EQ(SLIDER_TABLE_ROWS, 43);
    for (int row = 0; row < 16; ++row) {
        EXPECT_EQ(SliderTable[row].id, controls[row].id) << row;
        EXPECT_STREQ(SliderTable[row].keyword, controls[row].keyword) << row;
        EXPECT_EQ(SliderTable[row].kind, controls[row].kind) << row;
        EXPECT_EQ(SliderTable[row].storage, 0) << row;
    }
    for (int row = 16; row < 42; ++row) {
        EXPECT_EQ(SliderTable[row].id, row + 1) << row;
        EXPECT_STREQ(SliderTable[row].keyword, parameters[row - 16]) << row;
        EXPECT_EQ(SliderTable[row].kind, 1) << row;
        EXPECT_EQ(SliderTable[row].storage, 2) << row;
    }
    EXPECT_EQ(SliderTable[42].id, 0);
    for (int row = 0; row < SLIDER_TABLE_ROWS; ++row) EXPECT_EQ(SliderTable[row].reserved, 0);

    // Every identifier 1..42 once.
    int seen[CONTROL_COUNT] = {};
    for (int row = 0; row < 42; ++row) ++seen[SliderTable[row].id];
    for (int id = 1; id < CONTROL_COUNT; ++id) EXPECT_EQ(seen[id], 1) << id;
}

TEST(SliderTable, KeywordLookupIgnoresCase) {
    const SliderTableRow* row = FindSliderRow("bgsNums");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->id, 32);
    EXPECT_EQ(FindSliderRow("BGSNUM"), nullptr);
    EXPECT_EQ(FindSliderRow("BGSNUMSX"), nullptr);
    EXPECT_EQ(FindSliderRow(""), nullptr);
    EXPECT_EQ(FindSliderRow(nullptr), nullptr);
    ASSERT_NE(FindSliderRowById(9), nullptr);
    EXPECT_STREQ(FindSliderRowById(9)->keyword, "TTIME");
    EXPECT_EQ(FindSliderRowById(0), nullptr);
    EXPECT_EQ(FindSliderRowById(43), nullptr);
}

// ---------------------------------------------------------------- star field parameters

float Read(StarField& field, int32_t id) {
    ParameterReading reading;
    EXPECT_TRUE(field.GetParameter(id, &reading)) << id;
    return reading.value;
}

TEST(StarFieldParameters, DefaultsBeforeAnyValue) {
    StarField field;
    EXPECT_EQ(field.Id(), 0);
    for (int id = 17; id <= 22; ++id) EXPECT_EQ(Read(field, id), 0.0f) << id;
    for (int id = 23; id <= 25; ++id) EXPECT_EQ(Read(field, id), 255.0f) << id;
    for (int id = 26; id <= 31; ++id) EXPECT_EQ(Read(field, id), 0.0f) << id;
    EXPECT_EQ(Read(field, 33), 0.0f);
    EXPECT_EQ(Read(field, 34), 1.0f);
    EXPECT_EQ(Read(field, 35), 30.0f);
    EXPECT_EQ(Read(field, 36), 30.0f);
    EXPECT_EQ(Read(field, 37), 50.0f);
    for (int id = 38; id <= 40; ++id) EXPECT_EQ(Read(field, id), 0.0f) << id;
    EXPECT_EQ(Read(field, 41), 255.0f);
    EXPECT_EQ(field.cloudSpeed, 0.5f);
    EXPECT_EQ(Read(field, 42), 50.0f);
    EXPECT_EQ(field.startColour[3], 255);
    EXPECT_EQ(field.endColour[3], 0);
    EXPECT_EQ(field.backgroundColour[3], 0);
}

TEST(StarFieldParameters, BytesAreTruncatedLowBits) {
    EXPECT_EQ(ParameterByte(256.0f), 0);
    EXPECT_EQ(ParameterByte(255.9f), 255);
    EXPECT_EQ(ParameterByte(0.99f), 0);
    EXPECT_EQ(ParameterByte(-0.5f), 0);
    EXPECT_EQ(ParameterByte(-1.0f), 255);
    EXPECT_EQ(ParameterByte(300.5f), 44);
    EXPECT_EQ(ParameterByte(65543.0f), 7);
    EXPECT_EQ(ParameterByte(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(ParameterByte(std::numeric_limits<float>::infinity()), 0);

    StarField field;
    const int byteIds[10] = {17, 18, 19, 20, 21, 22, 23, 24, 25, 41};
    for (int id : byteIds) {
        EXPECT_TRUE(field.SetParameter(id, 256.0f)) << id;
        EXPECT_EQ(Read(field, id), 0.0f) << id;
        EXPECT_TRUE(field.SetParameter(id, 255.9f)) << id;
        EXPECT_EQ(Read(field, id), 255.0f) << id;
    }
    EXPECT_EQ(field.backgroundColour[0], 255);
    EXPECT_EQ(field.startColour[1], 255);
    EXPECT_EQ(field.endColour[2], 255);
    EXPECT_EQ(field.backdropOpacity, 255);
    field.SetParameter(19, 12.7f);
    EXPECT_EQ(field.backgroundColour[2], 12);
    EXPECT_EQ(field.backgroundColour[3], 0);
}

TEST(StarFieldParameters, ColourSlidersShowTheirPureChannel) {
    StarField field;
    field.SetParameter(17, 40.0f);
    field.SetParameter(21, 50.0f);
    field.SetParameter(25, 60.0f);
    ParameterReading reading;
    ASSERT_TRUE(field.GetParameter(17, &reading));
    EXPECT_EQ(reading.coloured, 1);
    EXPECT_EQ(reading.value, 40.0f);
    EXPECT_EQ(reading.red, 40);
    EXPECT_EQ(reading.green, 0);
    EXPECT_EQ(reading.blue, 0);
    ASSERT_TRUE(field.GetParameter(21, &reading));
    EXPECT_EQ(reading.red, 0);
    EXPECT_EQ(reading.green, 50);
    EXPECT_EQ(reading.blue, 0);
    ASSERT_TRUE(field.GetParameter(25, &reading));
    EXPECT_EQ(reading.red, 0);
    EXPECT_EQ(reading.green, 0);
    EXPECT_EQ(reading.blue, 60);
    // The opacity is a byte but not a colour.
    ASSERT_TRUE(field.GetParameter(41, &reading));
    EXPECT_EQ(reading.coloured, 0);
    ASSERT_TRUE(field.GetParameter(26, &reading));
    EXPECT_EQ(reading.coloured, 0);
}

TEST(StarFieldParameters, FloatsRoundTripThroughTheirConversions) {
    StarField field;
    EXPECT_TRUE(field.SetParameter(26, 3.0f));
    EXPECT_TRUE(field.SetParameter(27, -4.5f));
    EXPECT_TRUE(field.SetParameter(28, 2.0f));
    EXPECT_EQ(field.speedX, -3.0f);
    EXPECT_EQ(field.speedY, 4.5f);
    EXPECT_EQ(field.speedZ, -2.0f);
    EXPECT_EQ(Read(field, 26), 3.0f);
    EXPECT_EQ(Read(field, 27), -4.5f);
    EXPECT_EQ(Read(field, 28), 2.0f);

    EXPECT_TRUE(field.SetParameter(42, 50.0f));
    EXPECT_FLOAT_EQ(field.cloudSpeed, 0.5f);
    EXPECT_FLOAT_EQ(Read(field, 42), 50.0f);
    EXPECT_TRUE(field.SetParameter(42, 7.0f));
    EXPECT_FLOAT_EQ(field.cloudSpeed, 0.07f);
    EXPECT_FLOAT_EQ(Read(field, 42), 7.0f);

    // Stored unchanged.
    const int plain[10] = {29, 30, 31, 33, 34, 35, 36, 38, 39, 40};
    for (int id : plain) {
        float value = 1.25f + float(id);
        EXPECT_TRUE(field.SetParameter(id, value)) << id;
        EXPECT_EQ(Read(field, id), value) << id;
    }
    EXPECT_EQ(field.motionBlur, 34.25f);
    EXPECT_EQ(field.starSize, 35.25f);
    EXPECT_EQ(field.cameraPositionZ, 41.25f);
}

TEST(StarFieldParameters, OnlyIdentifiers17To42AreTaken) {
    StarField field;
    for (int id : {-1, 0, 1, 9, 10, 16, 43, 1000}) {
        EXPECT_FALSE(field.SetParameter(id, 5.0f)) << id;
        ParameterReading reading;
        EXPECT_FALSE(field.GetParameter(id, &reading)) << id;
    }
    for (int id = 17; id <= 42; ++id) EXPECT_TRUE(field.SetParameter(id, 5.0f)) << id;
}

TEST(StarFieldParameters, RotationFlagOnlyOnChange) {
    StarField field;
    EXPECT_EQ(field.rotationChanged, 0);
    field.SetParameter(29, 0.0f);  // the value it already has
    EXPECT_EQ(field.rotationChanged, 0);
    field.SetParameter(30, 15.0f);
    EXPECT_EQ(field.rotationChanged, 1);
    EXPECT_EQ(field.rotationY, 15.0f);
    field.rotationChanged = 0;
    field.SetParameter(30, 15.0f);
    EXPECT_EQ(field.rotationChanged, 0);
    field.SetParameter(31, -90.0f);
    EXPECT_EQ(field.rotationChanged, 1);
    EXPECT_EQ(field.rotationZ, -90.0f);
}

void ExpectInsideWorld(const StarField& field, int32_t from, int32_t to) {
    for (int32_t i = from; i < to; ++i) {
        const Star& star = field.stars[i];
        EXPECT_LE(std::fabs(star.x), field.worldSizeX) << i;
        EXPECT_LE(std::fabs(star.y), field.worldSizeY) << i;
        EXPECT_GE(star.z, 0.0f) << i;
        EXPECT_LE(star.z, field.worldSizeZ) << i;
    }
}

TEST(StarFieldParameters, StarCountGrowsTheArrayOnlyWhenExceeded) {
    std::srand(7);
    StarField field;
    ASSERT_TRUE(field.SetParameter(32, 100.0f));
    EXPECT_EQ(field.starCount, 100);
    EXPECT_EQ(field.starCapacity, 200);
    ASSERT_NE(field.stars, nullptr);
    ExpectInsideWorld(field, 0, 200);

    // Below the capacity only the count moves.
    Star* array = field.stars;
    Star first = array[0];
    ASSERT_TRUE(field.SetParameter(32, 150.9f));
    EXPECT_EQ(field.starCount, 150);
    EXPECT_EQ(field.starCapacity, 200);
    EXPECT_EQ(field.stars, array);
    EXPECT_EQ(Read(field, 32), 150.0f);

    // Growing past it: room for 100 more, the counted stars kept, the rest placed anew
    // with the end colour of the moment.
    Star kept[150];
    std::memcpy(kept, field.stars, sizeof kept);
    field.SetParameter(23, 10.0f);
    ASSERT_TRUE(field.SetParameter(32, 250.0f));
    EXPECT_EQ(field.starCount, 250);
    EXPECT_EQ(field.starCapacity, 350);
    EXPECT_EQ(std::memcmp(field.stars, kept, sizeof kept), 0);
    EXPECT_EQ(field.stars[0].x, first.x);
    for (int i = 0; i < 150; ++i) EXPECT_EQ(field.stars[i].red, 255) << i;
    for (int i = 150; i < 350; ++i) EXPECT_EQ(field.stars[i].red, 10) << i;
    ExpectInsideWorld(field, 0, 350);

    // Down and up again within the capacity does not reallocate.
    array = field.stars;
    field.SetParameter(32, 10.0f);
    field.SetParameter(32, 340.0f);
    EXPECT_EQ(field.stars, array);
    EXPECT_EQ(field.starCapacity, 350);
}

TEST(StarFieldParameters, UnrepresentableStarCountsAreRefused) {
    StarField field;
    ASSERT_TRUE(field.SetParameter(32, 20.0f));
    Star* array = field.stars;
    for (float value : {std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(), 1e30f, -1e30f}) {
        EXPECT_FALSE(field.SetParameter(32, value));
        EXPECT_EQ(field.starCount, 20);
        EXPECT_EQ(field.starCapacity, 120);
        EXPECT_EQ(field.stars, array);
    }
    ClearError();
}

TEST(StarFieldParameters, NewWorldDepthReplacesEveryAllocatedStar) {
    std::srand(11);
    StarField field;
    ASSERT_TRUE(field.SetParameter(32, 10.0f));
    ASSERT_EQ(field.starCapacity, 110);
    Star before[110];
    std::memcpy(before, field.stars, sizeof before);
    // The same depth changes nothing.
    field.SetParameter(37, 50.0f);
    EXPECT_EQ(std::memcmp(field.stars, before, sizeof before), 0);
    // A new one places all 110, not only the 10 drawn.
    field.SetParameter(37, 5.0f);
    EXPECT_EQ(field.worldSizeZ, 5.0f);
    int moved = 0;
    for (int i = 0; i < 110; ++i) {
        EXPECT_LE(field.stars[i].z, 5.0f) << i;
        if (std::memcmp(&field.stars[i], &before[i], sizeof(Star)) != 0) ++moved;
    }
    EXPECT_GT(moved, 100);
    ExpectInsideWorld(field, 0, 110);
}

TEST(StarFieldParameters, PlacingAStarAtAGivenDepth) {
    std::srand(3);
    StarField field;
    ASSERT_TRUE(field.SetParameter(32, 1.0f));
    field.endColour[0] = 1;
    field.endColour[1] = 2;
    field.endColour[2] = 3;
    field.endColour[3] = 4;
    field.PlaceStar(0, 42.0f);
    EXPECT_EQ(field.stars[0].z, 42.0f);
    EXPECT_EQ(field.stars[0].red, 1);
    EXPECT_EQ(field.stars[0].green, 2);
    EXPECT_EQ(field.stars[0].blue, 3);
    EXPECT_EQ(field.stars[0].alpha, 4);
    ExpectInsideWorld(field, 1, field.starCapacity);
    // Outside the array: nothing.
    field.PlaceStar(field.starCapacity, 1.0f);
    field.PlaceStar(-1, 1.0f);
}

}  // namespace
