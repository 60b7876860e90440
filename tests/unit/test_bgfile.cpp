#include <gtest/gtest.h>

#include <cstring>

#include "ansi/memory.h"
#include "ansi/xiff.h"
#include "bgfile.h"
#include "bground.h"
#include "misc.h"
#include "test_support.h"
#include "xdirs.h"

namespace {

// Fills every stored field of every saved channel with values unique to it.
void FillChannels(VxAnimator* animator) {
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
        SliderChannel* channel = animator->Channel(id);
        channel->flags = id;
        channel->mode = id % 5;
        channel->value = id + 0.25f;
        channel->low = id - 1.5f;
        channel->high = id + 7.75f;
        channel->transitionRandom = id & 1;
        channel->transitionTime = id * 0.5f;
        channel->transitionLow = id * 0.25f;
        channel->transitionHigh = id * 0.75f;
        channel->delayRandom = (id + 1) & 1;
        channel->delay = id * 0.125f;
        channel->delayLow = id * 0.0625f;
        channel->delayHigh = id * 1.5f;
    }
}

// Every field the background file stores, compared channel by channel.
void ExpectStoredFieldsEqual(VxAnimator& expectedChannels, VxAnimator& loaded) {
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
        const SliderChannel* a = expectedChannels.Channel(id);
        const SliderChannel* b = loaded.Channel(id);
        EXPECT_EQ(b->mode, a->mode) << id;
        EXPECT_EQ(b->value, a->value) << id;
        EXPECT_EQ(b->low, a->low) << id;
        EXPECT_EQ(b->high, a->high) << id;
        EXPECT_EQ(b->transitionRandom, a->transitionRandom) << id;
        EXPECT_EQ(b->transitionTime, a->transitionTime) << id;
        EXPECT_EQ(b->transitionLow, a->transitionLow) << id;
        EXPECT_EQ(b->transitionHigh, a->transitionHigh) << id;
        EXPECT_EQ(b->delayRandom, a->delayRandom) << id;
        EXPECT_EQ(b->delay, a->delay) << id;
        EXPECT_EQ(b->delayLow, a->delayLow) << id;
        EXPECT_EQ(b->delayHigh, a->delayHigh) << id;
        EXPECT_EQ(b->spline.keys[0].values[1], a->low) << id;
        EXPECT_EQ(b->spline.keys[1].values[2], a->high) << id;
    }
}

class BackgroundFile : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
};

TEST_F(BackgroundFile, SaveAndLoadGiveBackEveryStoredField) {
    VxAnimator saved;
    FillChannels(&saved);
    ASSERT_EQ(SaveBackground(&saved, "BGround.qvb"), 1);
    // XIFF 9 + NOVADRIFT 14 + HEADER 16 + SLIDERS 12 + per channel name, zero, length, 52.
    size_t expected = 9 + 14 + 16 + 12;
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row)
        if (row->storage == CONTROL_SAVED) expected += std::strlen(row->keyword) + 1 + 4 + 52;
    EXPECT_EQ(ReadWholeFile("BGround.qvb").size(), expected);

    VxAnimator loaded;
    ASSERT_EQ(LoadBackground(&loaded, "BGround.qvb"), 1);
    EXPECT_EQ(GetErrorCode(), 0);
    ExpectStoredFieldsEqual(saved, loaded);
}

// One background file for both builds: what each writes from the same channels is the
// committed file byte for byte, and what each reads from it is those channels and the
// same scene, so a background saved by the Windows editor shows the same on Linux.
TEST_F(BackgroundFile, BothBuildsWriteTheCommittedFileAndReadTheSameSceneFromIt) {
    const std::string committed = NOVADRIFT_TEST_DATA_DIR "/background/filled.qvb";
    const std::string bytes = ReadWholeFile(committed);
    ASSERT_EQ(bytes.size(), 1707u);
    VxAnimator filled;
    FillChannels(&filled);
    ASSERT_EQ(SaveBackground(&filled, "BGround.qvb"), 1);
    EXPECT_TRUE(ReadWholeFile("BGround.qvb") == bytes);

    VxAnimator loaded;
    ASSERT_EQ(LoadBackground(&loaded, committed.c_str()), 1);
    ExpectStoredFieldsEqual(filled, loaded);
    // The scene's readings: bytes for the colours and the layers' opacity, the speeds
    // negated and back, the count of stars whole, the cloud's speed through its scale.
    StarField* field = XNEW(StarField);
    const float expected[] = {17,    18,    19,    20,    21,    22,    23, 24,    25,
                              26.25, 27.25, 28.25, 29.25, 30.25, 31.25, 32, 33.25, 34.25,
                              35.25, 36.25, 37.25, 38.25, 39.25, 40.25, 41, 42.25};
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
        ASSERT_TRUE(field->SetParameter(id, loaded.Channel(id)->value)) << id;
        ParameterReading reading;
        ASSERT_TRUE(field->GetParameter(id, &reading)) << id;
        EXPECT_EQ(reading.value, expected[id - SCENE_PARAMETER_FIRST]) << id;
    }
    Scenes().DeleteAll();
}

// A background file whose "SLIDERS" holds only the given channel chunks.
void WriteBackground(const char* path, uint8_t version, const char* const* keywords, int count,
                     bool withNovadrift = true) {
    XiffFile file;
    ASSERT_EQ(file.Open(path, FILE_WRITE), 1);
    file.BeginChunk(withNovadrift ? "NOVADRIFT" : "OTHER", 0);
    file.BeginChunk("HEADER", 0);
    file.WriteByte(version);
    file.WriteLong(0);
    file.EndChunk();
    file.BeginChunk("SLIDERS", 0);
    for (int i = 0; i < count; ++i) {
        file.BeginChunk(keywords[i], 0);
        for (int word = 0; word < 13; ++word) {
            if (word == 0 || word == 1 || word == 5 || word == 9)
                file.WriteLong(word == 1 ? ANIM_PING_PONG : 0);
            else
                file.WriteFloat(1000.0f + word);
        }
        file.EndChunk();
    }
    file.Close();
}

TEST_F(BackgroundFile, OneChunkChangesOneChannelAndRefreshesEveryKeyRange) {
    const char* only[] = {"BGSNUMS"};
    WriteBackground("one.qvb", 1, only, 1);
    VxAnimator animator;
    FillChannels(&animator);
    ASSERT_EQ(LoadBackground(&animator, "one.qvb"), 1);
    EXPECT_EQ(GetErrorCode(), 0);
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
        const SliderChannel* channel = animator.Channel(id);
        if (id == CONTROL_BGSNUMS) {
            EXPECT_EQ(channel->mode, ANIM_PING_PONG);
            EXPECT_EQ(channel->low, 1003.0f);
            EXPECT_EQ(channel->high, 1004.0f);
        } else {
            EXPECT_EQ(channel->low, id - 1.5f) << id;
            EXPECT_EQ(channel->high, id + 7.75f) << id;
        }
        EXPECT_EQ(channel->spline.keys[0].values[1], channel->low) << id;
        EXPECT_EQ(channel->spline.keys[1].values[1], channel->low) << id;
        EXPECT_EQ(channel->spline.keys[0].values[2], channel->high) << id;
    }
}

TEST_F(BackgroundFile, VersionsAndMalformedFiles) {
    const char* only[] = {"BGSSIZE"};
    VxAnimator animator;
    FillChannels(&animator);
    WriteBackground("neg.qvb", 0x80, only, 1);
    EXPECT_EQ(LoadBackground(&animator, "neg.qvb"), 1);
    EXPECT_EQ(animator.Channel(CONTROL_BGSSIZE)->low, 1003.0f);

    FillChannels(&animator);
    WriteBackground("v2.qvb", 2, only, 1);
    EXPECT_EQ(LoadBackground(&animator, "v2.qvb"), 0);
    char message[ERROR_MESSAGE_SIZE];
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message,
                 "Background file was saved in a newer version of Quorvellan.\nPlease get the "
                 "newest Quorvellan version avalible and try again");
    EXPECT_EQ(animator.Channel(CONTROL_BGSSIZE)->low, CONTROL_BGSSIZE - 1.5f);

    WriteBackground("other.qvb", 1, only, 1, false);
    EXPECT_EQ(LoadBackground(&animator, "other.qvb"), 0);
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message, "Malformed background file");

    ClearError();
    EXPECT_EQ(LoadBackground(&animator, "missing.qvb"), 0);
    EXPECT_EQ(GetErrorCode(), 0);
    WriteWholeFile("text.qvb", "not a background");
    EXPECT_EQ(LoadBackground(&animator, "text.qvb"), 0);
}

TEST_F(BackgroundFile, AShortChannelChunkLeavesTheChannelAlone) {
    XiffFile file;
    ASSERT_EQ(file.Open("short.qvb", FILE_WRITE), 1);
    file.BeginChunk("NOVADRIFT", 0);
    file.BeginChunk("HEADER", 0);
    file.WriteByte(1);
    file.WriteLong(0);
    file.EndChunk();
    file.BeginChunk("SLIDERS", 0);
    file.BeginChunk("BGSSX", 0);
    file.WriteLong(0);
    file.WriteLong(ANIM_LOOP_UP);
    file.WriteFloat(55.0f);  // the channel stops here
    file.Close();
    VxAnimator animator;
    FillChannels(&animator);
    EXPECT_EQ(LoadBackground(&animator, "short.qvb"), 1);
    EXPECT_EQ(animator.Channel(CONTROL_BGSSX)->value, CONTROL_BGSSX + 0.25f);
    EXPECT_EQ(animator.Channel(CONTROL_BGSSX)->mode, CONTROL_BGSSX % 5);
}

TEST_F(BackgroundFile, AFileCutShortLoadsTheChannelsItHoldsWhole) {
    VxAnimator saved;
    FillChannels(&saved);
    ASSERT_EQ(SaveBackground(&saved, "BGround.qvb"), 1);
    std::string whole = ReadWholeFile("BGround.qvb");
    // Cut 30 bytes into the "BGSMBLUR" chunk's content: the 16 channels before it
    // (ids 17..32) are whole, it and the 9 after it are not there.
    size_t cut = whole.find(std::string("BGSMBLUR\0", 9)) + 9 + 4 + 30;
    WriteWholeFile("BGround.qvb", whole.substr(0, cut));
    VxAnimator loaded;
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id)
        loaded.Channel(id)->value = -1.0f;
    ASSERT_EQ(LoadBackground(&loaded, "BGround.qvb"), 1);
    EXPECT_EQ(GetErrorCode(), 0);
    for (int32_t id = SCENE_PARAMETER_FIRST; id <= SCENE_PARAMETER_LAST; ++id) {
        float expected = id < CONTROL_BGSMBLUR ? saved.Channel(id)->value : -1.0f;
        EXPECT_EQ(loaded.Channel(id)->value, expected) << id;
        // A loaded channel holds its value: the next phase starts there.
        if (id < CONTROL_BGSMBLUR) {
            EXPECT_EQ(loaded.Channel(id)->spline.keys[0].values[0], expected) << id;
        }
    }
}

TEST_F(BackgroundFile, AFailedSaveKeepsTheOldFile) {
    VxAnimator animator;
    FillChannels(&animator);
    ASSERT_EQ(SaveBackground(&animator, "keep.qvb"), 1);
    std::string good = ReadWholeFile("keep.qvb");
    ASSERT_EQ(xCreateDirsForFile("keep.qvb.tmp/x"), 1);
    animator.Channel(CONTROL_BGSNUMS)->value = -1;
    EXPECT_EQ(SaveBackground(&animator, "keep.qvb"), 0);
    EXPECT_EQ(ReadWholeFile("keep.qvb"), good);
}

}  // namespace
