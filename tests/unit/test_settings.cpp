#include <gtest/gtest.h>

#include <cstring>

#include "ansi/xiff.h"
#include "misc.h"
#include "settings.h"
#include "test_support.h"
#include "xdirs.h"

namespace {

SettingsRecord Defaults() {
    SettingsRecord record;
    std::memset(&record, 0, sizeof record);
    record.width = 640;
    record.height = 480;
    record.bits = 16;
    record.displayMode = DISPLAY_FULLSCREEN;
    record.priority = 100;
    return record;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// A settings file whose "HEADER" holds the given bytes.
void WriteHeaderFile(const char* path, const std::string& header) {
    std::string inner = std::string("HEADER", 7) + std::string(4, '\0') + header;
    std::string outer = std::string("NOVADRIFTCFG", 13) + std::string(4, '\0') + inner;
    std::string file = std::string("XIFF", 5) + std::string(4, '\0') + outer;
    auto putLength = [&](size_t at, uint32_t n) {
        for (int i = 0; i < 4; ++i) file[at + i] = char(n >> (8 * i));
    };
    putLength(5, uint32_t(outer.size()));
    putLength(5 + 4 + 13, uint32_t(inner.size()));
    putLength(5 + 4 + 13 + 4 + 7, uint32_t(header.size()));
    WriteWholeFile(path, file);
}

class SettingsFile : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
};

TEST_F(SettingsFile, DefaultsWriteThe386ByteLayoutAndLoadBack) {
    SettingsRecord saved = Defaults();
    saved.screenSelection.valid = 1;
    saved.screenSelection.kind = SCREEN_OPENGL;
    saved.screenSelection.width = 800;
    saved.previewSelection.devicePart[0] = 1;
    ASSERT_EQ(SaveSettings("novadrift.cfg", &saved), 1);
    std::string bytes = ReadWholeFile("novadrift.cfg");
    ASSERT_EQ(bytes.size(), 386u);
    EXPECT_EQ(bytes.substr(0, 5), std::string("XIFF", 5));
    EXPECT_EQ(Le32(bytes, 5), 377u);
    EXPECT_EQ(bytes.substr(9, 13), std::string("NOVADRIFTCFG", 13));
    EXPECT_EQ(Le32(bytes, 22), 360u);
    EXPECT_EQ(bytes.substr(26, 7), std::string("HEADER", 7));
    EXPECT_EQ(Le32(bytes, 33), 349u);
    const size_t header = 37;
    EXPECT_EQ(uint8_t(bytes[header]), 1);           // version
    EXPECT_EQ(Le32(bytes, header + 69), 640u);      // width
    EXPECT_EQ(Le32(bytes, header + 73), 480u);      // height
    EXPECT_EQ(Le32(bytes, header + 77), 16u);       // bits
    EXPECT_EQ(Le32(bytes, header + 81), 1u);        // display mode
    EXPECT_EQ(Le32(bytes, header + 89), 100u);      // priority
    EXPECT_EQ(uint8_t(bytes[header + 93]), 1);      // screen selection: valid
    EXPECT_EQ(uint8_t(bytes[header + 93 + 8]), 0x20);  // width 800 = 0x0320
    EXPECT_EQ(uint8_t(bytes[header + 221 + 64]), 1);   // preview device part

    SettingsRecord loaded;
    std::memset(&loaded, 0x55, sizeof loaded);
    loaded.screenKind = 3;
    ASSERT_EQ(LoadSettings("novadrift.cfg", &loaded), 1);
    EXPECT_EQ(loaded.version, 1);
    EXPECT_EQ(loaded.screenKind, 3);  // not stored: kept
    EXPECT_EQ(loaded.width, 640);
    EXPECT_EQ(loaded.priority, 100);
    EXPECT_EQ(std::memcmp(&loaded.screenSelection, &saved.screenSelection, 128), 0);
    EXPECT_EQ(std::memcmp(&loaded.previewSelection, &saved.previewSelection, 128), 0);
}

TEST_F(SettingsFile, VersionAboveOneIsRefusedMinusOneAccepted) {
    std::string header(349, '\0');
    header[0] = 2;
    header[69] = char(0x20);  // width 800
    header[70] = 3;
    WriteHeaderFile("v2.cfg", header);
    SettingsRecord record = Defaults();
    EXPECT_EQ(LoadSettings("v2.cfg", &record), 0);
    EXPECT_EQ(record.width, 640);
    EXPECT_EQ(GetErrorCode(), 0);  // failures inside the file record nothing lasting

    header[0] = char(0xFF);
    WriteHeaderFile("vff.cfg", header);
    EXPECT_EQ(LoadSettings("vff.cfg", &record), 1);
    EXPECT_EQ(record.width, 800);
}

TEST_F(SettingsFile, ShortHeaderFailsAndKeepsTheRecord) {
    WriteHeaderFile("short.cfg", std::string(100, '\x07'));
    SettingsRecord record = Defaults();
    SettingsRecord before;
    std::memcpy(&before, &record, sizeof record);
    EXPECT_EQ(LoadSettings("short.cfg", &record), 0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST_F(SettingsFile, ReservedFieldsSurviveLoadAndSave) {
    std::string header(349, '\0');
    header[0] = 1;
    header[1] = char(0xEF);
    header[2] = char(0xBE);
    header[3] = char(0xAD);
    header[4] = char(0xDE);
    for (int i = 0; i < 64; ++i) header[5 + i] = char(i * 3 + 1);
    WriteHeaderFile("reserved.cfg", header);
    SettingsRecord record = Defaults();
    ASSERT_EQ(LoadSettings("reserved.cfg", &record), 1);
    ASSERT_EQ(SaveSettings("again.cfg", &record), 1);
    std::string bytes = ReadWholeFile("again.cfg");
    EXPECT_EQ(bytes.substr(37 + 1, 68), header.substr(1, 68));
}

TEST_F(SettingsFile, NotXiffMissingChunksAndAFailedSave) {
    SettingsRecord record = Defaults();
    WriteWholeFile("text.cfg", "width=800\n");
    EXPECT_EQ(LoadSettings("text.cfg", &record), 0);
    EXPECT_NE(GetErrorCode(), 0);  // not a XIFF file: the reason stays for the user
    ClearError();
    EXPECT_EQ(LoadSettings("missing.cfg", &record), 0);
    ClearError();

    // A save that cannot be written leaves the old file as it was.
    ASSERT_EQ(SaveSettings("kept.cfg", &record), 1);
    std::string good = ReadWholeFile("kept.cfg");
    ASSERT_EQ(xCreateDirsForFile("kept.cfg.tmp/x"), 1);  // the temporary name is taken
    record.width = 1024;
    EXPECT_EQ(SaveSettings("kept.cfg", &record), 0);
    EXPECT_EQ(ReadWholeFile("kept.cfg"), good);
}

}  // namespace
