#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "ansi/file.h"
#include "misc.h"
#include "test_support.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
};

TEST_F(FileTest, ByteOrderOfTypedWrites) {
    {
        File file;
        ASSERT_EQ(file.Open("big.bin", FILE_WRITE | FILE_BIG_ENDIAN), 1);
        EXPECT_TRUE(file.WriteLong(1) && file.WriteWord(0x0102) && file.WriteFloat(1.0f) &&
                    file.WriteDouble(-2.0) && file.WriteByte(0xAB));
    }
    EXPECT_EQ(ReadWholeFile("big.bin"),
              std::string("\x00\x00\x00\x01\x01\x02\x3f\x80\x00\x00\xc0\x00\x00\x00\x00\x00\x00\x00"
                          "\xab",
                          19));
    {
        File file;
        ASSERT_EQ(file.Open("plain.bin", FILE_WRITE), 1);
        file.WriteLong(1);
        File little;
        ASSERT_EQ(little.Open("little.bin", FILE_WRITE | FILE_LITTLE_ENDIAN), 1);
        little.WriteLong(1);
    }
    EXPECT_EQ(ReadWholeFile("plain.bin"), std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(ReadWholeFile("little.bin"), std::string("\x01\x00\x00\x00", 4));

    File file;
    ASSERT_EQ(file.Open("big.bin", FILE_READ | FILE_BIG_ENDIAN), 1);
    int32_t value;
    int16_t word;
    float single;
    double twice;
    ASSERT_TRUE(file.ReadLong(&value) && file.ReadWord(&word) && file.ReadFloat(&single) &&
                file.ReadDouble(&twice));
    EXPECT_EQ(value, 1);
    EXPECT_EQ(word, 0x0102);
    EXPECT_EQ(single, 1.0f);
    EXPECT_EQ(twice, -2.0);
}

TEST_F(FileTest, ReadsPastTheEnd) {
    WriteWholeFile("two.bin", "ab");
    File file;
    ASSERT_EQ(file.Open("two.bin", FILE_READ), 1);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(file.Read(buffer, 4), 0);
    EXPECT_EQ(GetErrorCode(), ERR_END_OF_FILE);
    EXPECT_EQ(std::string(buffer, 8), "ab######");  // nothing beyond the two bytes
    ClearError();
    uint8_t byte = 0x5a;
    EXPECT_EQ(file.ReadByte(&byte), 0);  // the end: silent
    EXPECT_EQ(GetErrorCode(), 0);
    EXPECT_EQ(byte, 0x5a);
    int32_t value = 7;
    EXPECT_EQ(file.ReadLong(&value), 0);
    EXPECT_EQ(GetErrorCode(), ERR_END_OF_FILE);
    EXPECT_EQ(file.Read(buffer, -1), 0);
}

TEST_F(FileTest, WindowsAndSeeks) {
    WriteWholeFile("window.bin", std::string(200, 'x'));
    File file;
    ASSERT_EQ(file.Open("window.bin", FILE_READ), 1);
    ASSERT_EQ(file.Seek(150, SEEK_FROM_WINDOW), 1);
    file.SetWindow(100, 0);
    int32_t position;
    ASSERT_EQ(file.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 50);
    ASSERT_EQ(file.Tell(&position, SEEK_ABSOLUTE), 1);
    EXPECT_EQ(position, 150);

    file.SetWindow(10, 20);
    ASSERT_EQ(file.Seek(0, SEEK_FROM_END), 1);
    file.Tell(&position, SEEK_ABSOLUTE);
    EXPECT_EQ(position, 30);
    ASSERT_EQ(file.Seek(0, SEEK_FROM_END | SEEK_ABSOLUTE), 1);
    file.Tell(&position, SEEK_ABSOLUTE);
    EXPECT_EQ(position, 200);
    ASSERT_EQ(file.Seek(5, SEEK_FROM_WINDOW), 1);
    file.Tell(&position, SEEK_ABSOLUTE);
    EXPECT_EQ(position, 15);
    ASSERT_EQ(file.Seek(-3, SEEK_FROM_CURRENT), 1);
    file.Tell(&position, SEEK_FROM_WINDOW);
    EXPECT_EQ(position, 2);
    int32_t length;
    ASSERT_EQ(file.Length(&length), 1);
    EXPECT_EQ(length, 20);
    file.Tell(&position, SEEK_FROM_WINDOW);
    EXPECT_EQ(position, 2);  // Length leaves the position where it was

    EXPECT_EQ(file.Seek(-50, SEEK_FROM_WINDOW), 0);  // before the start of the file
    EXPECT_EQ(GetErrorCode(), ERR_SEEK);
    EXPECT_EQ(file.Seek(0, 0), 0);
}

TEST_F(FileTest, OpenFailuresAndModes) {
    File file;
    EXPECT_EQ(file.Open("missing.bin", FILE_READ), 0);
    char message[ERROR_MESSAGE_SIZE];
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message, "Unable to open file \"missing.bin\" with read access");
    ClearError();
    EXPECT_EQ(file.Open("missing.bin", FILE_READ | FILE_QUIET), 0);
    EXPECT_EQ(GetErrorCode(), 0);
    EXPECT_EQ(file.Open("no/dir/here.bin", FILE_WRITE), 0);
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message, "Unable to open file \"no/dir/here.bin\" with write access");
    ClearError();
    EXPECT_EQ(file.Open("new/dir/here.bin", FILE_WRITE | FILE_CREATE_DIRS), 1);
    EXPECT_TRUE(file.WriteByte(1));
    file.Close();
    EXPECT_EQ(FileExists("new/dir/here.bin"), 1);
    EXPECT_EQ(FileExists(""), 0);
    EXPECT_EQ(FileExists(nullptr), 0);

    // Writing to a file opened for reading fails with the write error.
    ASSERT_EQ(file.Open("new/dir/here.bin", FILE_READ), 1);
    EXPECT_EQ(file.WriteByte(2), 0);
    EXPECT_EQ(file.WriteLong(2), 0);
    EXPECT_EQ(GetErrorCode(), ERR_WRITE);
    file.Close();
    EXPECT_EQ(file.WriteLong(2), 0);  // closed: still no crash

    // Append keeps what was there.
    ASSERT_EQ(file.Open("new/dir/here.bin", FILE_APPEND), 1);
    file.WriteByte(3);
    file.Close();
    EXPECT_EQ(ReadWholeFile("new/dir/here.bin"), std::string("\x01\x03", 2));
}

TEST_F(FileTest, DatedNames) {
    char expected[64];
    time_t now = std::time(nullptr);
    const tm* date = std::localtime(&now);
    std::snprintf(expected, sizeof expected, "Shots/a%04d-%02d-%02d_01.bmp", date->tm_year + 1900,
                  date->tm_mon + 1, date->tm_mday);
    File file;
    ASSERT_EQ(file.Open("Shots/a.bmp", FILE_WRITE | FILE_DATED_NAME | FILE_CREATE_DIRS), 1);
    EXPECT_STREQ(file.Name(), expected);
    file.Close();
    ASSERT_EQ(file.Open("Shots/a.bmp", FILE_WRITE | FILE_DATED_NAME), 1);
    expected[std::strlen(expected) - 5] = '2';
    EXPECT_STREQ(file.Name(), expected);
}

TEST_F(FileTest, LinesAndFormattedText) {
    WriteWholeFile("lines.txt", std::string("one\ntwo\r\0three", 14));
    File file;
    ASSERT_EQ(file.Open("lines.txt", FILE_READ), 1);
    char line[16];
    EXPECT_EQ(file.ReadLine(line, sizeof line), 5);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 5);
    EXPECT_STREQ(line, "two\r");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 1);  // the zero byte ends a line, unstored
    EXPECT_STREQ(line, "");
    EXPECT_EQ(file.ReadLine(line, 4), 4);  // a long line is cut at the buffer
    EXPECT_STREQ(line, "thr");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 3);
    EXPECT_STREQ(line, "ee");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 0);
    file.Close();

    ASSERT_EQ(file.Open("text.txt", FILE_WRITE), 1);
    EXPECT_EQ(file.Printf("%d-%s", 42, "x"), 1);
    std::string long10000(10000, 'y');
    EXPECT_EQ(file.Printf("%s", long10000.c_str()), 1);
    EXPECT_EQ(file.Printf("%s!", long10000.c_str()), 1);
    file.Close();
    EXPECT_EQ(ReadWholeFile("text.txt"), "42-x" + long10000 + "**** STRING TO LONG ****\n");
}

TEST_F(FileTest, DeleteAndRename) {
    WriteWholeFile("old.txt", "o");
    EXPECT_EQ(FileRename("new.txt", "old.txt"), 1);
    EXPECT_EQ(ReadWholeFile("new.txt"), "o");
    EXPECT_EQ(FileRename("other.txt", "old.txt"), 0);
    EXPECT_EQ(GetErrorCode(), ERR_FILE_NOT_FOUND);
    EXPECT_EQ(FileDelete("new.txt"), 1);
    EXPECT_EQ(FileExists("new.txt"), 0);
    EXPECT_EQ(FileDelete("new.txt"), 0);
    EXPECT_EQ(GetErrorCode(), ERR_DELETE);
}

}  // namespace
