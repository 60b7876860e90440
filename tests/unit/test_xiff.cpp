#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ansi/xiff.h"
#include "misc.h"
#include "test_support.h"

namespace {

std::string Le32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xff);
    return s;
}

std::string Be32(uint32_t v) {
    std::string s;
    for (int i = 3; i >= 0; --i) s += char((v >> (8 * i)) & 0xff);
    return s;
}

// A chunk as it lies in a file: name, zero byte, content length, content.
std::string Chunk(const std::string& name, const std::string& content, bool bigEndian = false) {
    uint32_t length = uint32_t(content.size());
    return name + std::string(1, '\0') + (bigEndian ? Be32(length) : Le32(length)) + content;
}

std::string ErrorMessage() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "";
    return message;
}

class XiffTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }
    ScratchDirectory scratch;
};

// ---------------------------------------------------------------- writing

TEST_F(XiffTest, EmptyFileAndEmptyChunkByteForByte) {
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("empty.xif", FILE_WRITE), 1);
        EXPECT_EQ(xiff.Depth(), 1);
        EXPECT_EQ(xiff.OpenWrites(), 1);
        EXPECT_EQ(xiff.Close(), 1);
        EXPECT_EQ(xiff.Depth(), 0);
    }
    EXPECT_EQ(ReadWholeFile("empty.xif"), std::string("\x58\x49\x46\x46\x00\x00\x00\x00\x00", 9));

    XiffFile xiff;
    ASSERT_EQ(xiff.Open("a.xif", FILE_WRITE), 1);
    ASSERT_EQ(xiff.BeginChunk("A", 0), 1);
    EXPECT_EQ(xiff.Depth(), 2);
    ASSERT_EQ(xiff.EndChunk(), 1);
    EXPECT_EQ(xiff.Depth(), 1);
    EXPECT_EQ(xiff.OpenWrites(), 1);
    xiff.Close();
    EXPECT_EQ(ReadWholeFile("a.xif"), std::string("XIFF\0\x06\0\0\0A\0\0\0\0\0", 15));
}

TEST_F(XiffTest, NestedChunksArePatchedWhenEndedOrClosed) {
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("nested.xif", FILE_WRITE), 1);
        ASSERT_EQ(xiff.BeginChunk("NOVADRIFT", 0), 1);
        ASSERT_EQ(xiff.BeginChunk("HEADER", 0), 1);
        ASSERT_EQ(xiff.WriteByte(1), 1);
        ASSERT_EQ(xiff.WriteLong(0), 1);
        ASSERT_EQ(xiff.EndChunk(), 1);
        // Back in NOVADRIFT's window, just after the 16 bytes of HEADER.
        int32_t position = -1;
        ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
        EXPECT_EQ(position, 16);
        ASSERT_EQ(xiff.BeginChunk("SLIDERS", 0), 1);
        ASSERT_EQ(xiff.BeginChunk("BGSNUMS", 0), 1);
        ASSERT_EQ(xiff.WriteFloat(200.0f), 1);
        ASSERT_EQ(xiff.WriteWord(-2), 1);
        ASSERT_EQ(xiff.WriteDouble(0.5), 1);
        EXPECT_EQ(xiff.Depth(), 4);
        EXPECT_EQ(xiff.OpenWrites(), 4);
        // BGSNUMS, SLIDERS, NOVADRIFT and XIFF stay open: the destructor ends them.
    }
    std::string numbers = std::string("\x00\x00\x48\x43", 4) + std::string("\xfe\xff", 2) +
                          std::string("\x00\x00\x00\x00\x00\x00\xe0\x3f", 8);
    std::string header = Chunk("HEADER", std::string("\x01\0\0\0\0", 5));
    std::string expected =
        Chunk("XIFF", Chunk("NOVADRIFT", header + Chunk("SLIDERS", Chunk("BGSNUMS", numbers))));
    EXPECT_EQ(ReadWholeFile("nested.xif"), expected);
    EXPECT_EQ(expected.size(), 9u + 14u + 16u + 12u + 8u + 4u + 14u);
}

TEST_F(XiffTest, BigEndianSwapsLengthsAndValues) {
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("big.xif", FILE_WRITE | FILE_BIG_ENDIAN), 1);
        ASSERT_EQ(xiff.BeginChunk("V", 0), 1);
        ASSERT_EQ(xiff.WriteLong(1), 1);
        ASSERT_EQ(xiff.WriteWord(0x0102), 1);
        ASSERT_EQ(xiff.WriteFloat(1.0f), 1);
        xiff.Close();
    }
    std::string content = std::string("\0\0\0\x01", 4) + std::string("\x01\x02", 2) +
                          std::string("\x3f\x80\x00\x00", 4);
    EXPECT_EQ(ReadWholeFile("big.xif"), Chunk("XIFF", Chunk("V", content, true), true));

    XiffFile xiff;
    ASSERT_EQ(xiff.Open("big.xif", FILE_READ | FILE_BIG_ENDIAN), 1);
    int32_t length = 0;
    ASSERT_EQ(xiff.FindChunk("V", &length, 0), 1);
    EXPECT_EQ(length, 10);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    int32_t l = 0;
    int16_t w = 0;
    float f = 0.0f;
    EXPECT_EQ(xiff.ReadLong(&l), 1);
    EXPECT_EQ(xiff.ReadWord(&w), 1);
    EXPECT_EQ(xiff.ReadFloat(&f), 1);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(w, 0x0102);
    EXPECT_EQ(f, 1.0f);
    xiff.Close();

    // Read in the machine's order, the lengths claim far more than the file has: the
    // chunks read as cut short, and the values come back swapped.
    ASSERT_EQ(xiff.Open("big.xif", FILE_READ), 1);
    ASSERT_EQ(xiff.FindChunk("V", &length, 0), 1);
    EXPECT_EQ(length, 10);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    EXPECT_EQ(xiff.ReadLong(&l), 1);
    EXPECT_EQ(l, 0x01000000);
}

TEST_F(XiffTest, AppendWritesOnlyIntoAnEmptyFile) {
    std::string existing = Chunk("XIFF", Chunk("A", "xy"));
    WriteWholeFile("full.xif", existing);
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("full.xif", FILE_APPEND), 1);
        EXPECT_EQ(xiff.Depth(), 0);
        EXPECT_EQ(xiff.OpenWrites(), 0);
        EXPECT_EQ(xiff.LeaveChunk(), 0);
    }
    EXPECT_EQ(ReadWholeFile("full.xif"), existing);

    WriteWholeFile("new.xif", "");
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("new.xif", FILE_APPEND), 1);
        EXPECT_EQ(xiff.Depth(), 1);
        ASSERT_EQ(xiff.BeginChunk("A", 0), 1);
        ASSERT_EQ(xiff.WriteByte('x'), 1);
    }
    // The lengths are patched in place, not added at the end.
    EXPECT_EQ(ReadWholeFile("new.xif"), Chunk("XIFF", Chunk("A", "x")));
}

TEST_F(XiffTest, BeginChunkStopsAtFifteenOpenChunks) {
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("deep.xif", FILE_WRITE), 1);
        for (int level = 2; level <= XIFF_MAX_DEPTH; ++level)
            ASSERT_EQ(xiff.BeginChunk("L", 0), 1) << level;
        EXPECT_EQ(xiff.Depth(), 15);
        EXPECT_EQ(xiff.BeginChunk("TOO", 0), 0);
        EXPECT_EQ(ErrorMessage(), "You are at the max depth for this XIFF file");
        EXPECT_EQ(xiff.Depth(), 15);
        EXPECT_EQ(xiff.OpenWrites(), 15);
        ASSERT_EQ(xiff.WriteByte(9), 1);
    }
    std::string expected(1, '\x09');
    for (int level = 2; level <= XIFF_MAX_DEPTH; ++level) expected = Chunk("L", expected);
    EXPECT_EQ(ReadWholeFile("deep.xif"), Chunk("XIFF", expected));
}

// ---------------------------------------------------------------- reading

std::string SampleFile() {
    std::string header = Chunk("HEADER", Le32(0x01020304) + std::string("\x00\x00\xc0\x3f", 4));
    std::string head = Chunk("HEAD", "\x07");
    std::string sub = Chunk("SUB", Chunk("X", std::string("\x05\x00", 2)));
    return Chunk("XIFF", header + head + sub);
}

TEST_F(XiffTest, FindEnterAndLeave) {
    WriteWholeFile("sample.xif", SampleFile());
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("sample.xif", FILE_READ), 1);
    EXPECT_EQ(xiff.Depth(), 1);

    // Names match whole: "HEAD" passes over "HEADER".
    int32_t length = -1;
    ASSERT_EQ(xiff.FindChunk("HEAD", &length, 0), 1);
    EXPECT_EQ(length, 1);
    int32_t position = -1;
    ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 19);  // at the name, after the 19 bytes of HEADER
    ASSERT_EQ(xiff.EnterChunk(), 1);
    EXPECT_EQ(xiff.Depth(), 2);
    uint8_t byte = 0;
    ASSERT_EQ(xiff.ReadByte(&byte), 1);
    EXPECT_EQ(byte, 7);
    ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 1);
    ASSERT_EQ(xiff.LeaveChunk(), 1);
    EXPECT_EQ(xiff.Depth(), 1);
    ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 0);  // leaving goes back to the parent's first child

    // "HEADER" does not stop at "HEAD"; it is found from here, the parent's start.
    ASSERT_EQ(xiff.FindChunk("HEADER", &length, 1), 1);
    EXPECT_EQ(length, 8);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    int32_t value = 0;
    float number = 0.0f;
    ASSERT_EQ(xiff.ReadLong(&value), 1);
    ASSERT_EQ(xiff.ReadFloat(&number), 1);
    EXPECT_EQ(value, 0x01020304);
    EXPECT_EQ(number, 1.5f);
    // From the end of HEADER's content the search runs on into what follows.
    EXPECT_EQ(xiff.FindChunk("SUB", nullptr, 1), 1);
    ASSERT_EQ(xiff.LeaveChunk(), 1);

    // A grandchild is not found from its grandparent: SUB is skipped whole.
    EXPECT_EQ(xiff.FindChunk("X", nullptr, 0), 0);
    EXPECT_EQ(GetErrorCode(), 0);

    ASSERT_EQ(xiff.FindChunk("SUB", nullptr, 0), 1);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    ASSERT_EQ(xiff.FindChunk("X", &length, 0), 1);
    EXPECT_EQ(length, 2);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    EXPECT_EQ(xiff.Depth(), 3);
    int16_t word = 0;
    ASSERT_EQ(xiff.ReadWord(&word), 1);
    EXPECT_EQ(word, 5);
    ASSERT_EQ(xiff.LeaveChunk(), 1);
    ASSERT_EQ(xiff.LeaveChunk(), 1);
    ASSERT_EQ(xiff.LeaveChunk(), 1);
    EXPECT_EQ(xiff.Depth(), 0);
    EXPECT_EQ(xiff.LeaveChunk(), 0);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(XiffTest, SkipRewindAndSearchingForward) {
    WriteWholeFile("sample.xif", SampleFile());
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("sample.xif", FILE_READ), 1);
    ASSERT_EQ(xiff.SkipChunk(), 1);
    ASSERT_EQ(xiff.SkipChunk(), 1);
    int32_t position = -1;
    ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 19 + 10);
    // Searching from here does not look back.
    EXPECT_EQ(xiff.FindChunk("HEADER", nullptr, 1), 0);
    EXPECT_EQ(GetErrorCode(), 0);
    ASSERT_EQ(xiff.RewindChunk(), 1);
    ASSERT_EQ(xiff.Tell(&position, SEEK_FROM_WINDOW), 1);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(xiff.FindChunk("HEADER", nullptr, 1), 1);
    // The last chunk can be skipped to the clean end; nothing further is found.
    ASSERT_EQ(xiff.FindChunk("SUB", nullptr, 0), 1);
    ASSERT_EQ(xiff.SkipChunk(), 1);
    EXPECT_EQ(xiff.SkipChunk(), 0);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(XiffTest, WrittenFileReadsBack) {
    {
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("round.xif", FILE_WRITE), 1);
        ASSERT_EQ(xiff.BeginChunk("GuiConfig", 0), 1);
        ASSERT_EQ(xiff.WriteDouble(-2.25), 1);
        ASSERT_EQ(xiff.BeginChunk("Inner", 0), 1);
        ASSERT_EQ(xiff.WriteLong(-7), 1);
    }
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("round.xif", FILE_READ), 1);
    ASSERT_EQ(xiff.FindChunk("GuiConfig", nullptr, 0), 1);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    double d = 0.0;
    ASSERT_EQ(xiff.ReadDouble(&d), 1);
    EXPECT_EQ(d, -2.25);
    // Values first, chunks after: searching on from the values finds the child.
    ASSERT_EQ(xiff.FindChunk("Inner", nullptr, 1), 1);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    int32_t l = 0;
    ASSERT_EQ(xiff.ReadLong(&l), 1);
    EXPECT_EQ(l, -7);
}

TEST_F(XiffTest, NotAXiffFile) {
    WriteWholeFile("text.xif", "plain text, not a chunk file\n");
    XiffFile xiff;
    EXPECT_EQ(xiff.Open("text.xif", FILE_READ), 0);
    EXPECT_EQ(ErrorMessage(), "\"text.xif\" isnt a XIFF file");
    ClearError();
    WriteWholeFile("empty.xif", "");
    EXPECT_EQ(xiff.Open("empty.xif", FILE_READ), 0);
    EXPECT_EQ(ErrorMessage(), "\"empty.xif\" isnt a XIFF file");
    ClearError();
    // Another top-level chunk first: the scan passes over it to "XIFF".
    WriteWholeFile("second.xif", Chunk("JUNK", "abc") + Chunk("XIFF", Chunk("A", "")));
    ASSERT_EQ(xiff.Open("second.xif", FILE_READ), 1);
    EXPECT_EQ(xiff.FindChunk("A", nullptr, 0), 1);
}

// ---------------------------------------------------------------- bad input

TEST_F(XiffTest, ChunkLongerThanItsParentIsRefused) {
    // "A" claims 20 bytes; its parent holds 3 of them, though the file has more after.
    std::string inner = std::string("A\0", 2) + Le32(20) + "abc";
    std::string file = Chunk("XIFF", inner) + std::string(40, 'z');
    WriteWholeFile("long.xif", file);
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("long.xif", FILE_READ), 1);

    EXPECT_EQ(xiff.FindChunk("B", nullptr, 0), 0);
    EXPECT_EQ(ErrorMessage(),
              "Chunk runs past the end of its parent in the XIFF file \"long.xif\"");
    ClearError();
    EXPECT_EQ(xiff.FindChunk("A", nullptr, 0), 0);
    EXPECT_NE(GetErrorCode(), 0);
    ClearError();
    ASSERT_EQ(xiff.RewindChunk(), 1);
    EXPECT_EQ(xiff.EnterChunk(), 0);
    EXPECT_NE(GetErrorCode(), 0);
    EXPECT_EQ(xiff.Depth(), 1);
    ClearError();
    ASSERT_EQ(xiff.RewindChunk(), 1);
    EXPECT_EQ(xiff.SkipChunk(), 0);
    EXPECT_NE(GetErrorCode(), 0);
}

TEST_F(XiffTest, ChunkLongerThanTheFileIsRefused) {
    // As a signed number 0xfffffff7 would send a skip back onto the same name.
    for (uint32_t length : {0xfffffff7u, 0x7fffffffu, 0x80000000u, 100u}) {
        WriteWholeFile("past.xif", Chunk("XIFF", std::string("A\0", 2) + Le32(length) + "ab"));
        XiffFile xiff;
        // The "XIFF" chunk itself is sound; its child is not.
        ASSERT_EQ(xiff.Open("past.xif", FILE_READ), 1) << length;
        EXPECT_EQ(xiff.FindChunk("B", nullptr, 0), 0) << length;
        EXPECT_NE(GetErrorCode(), 0) << length;
        ClearError();
    }
}

TEST_F(XiffTest, AFileCutShortKeepsItsCompleteChunks) {
    const std::string whole =
        Chunk("XIFF", Chunk("P", Chunk("A", "abcd") + Chunk("B", "efgh") + Chunk("C", "ijkl")));
    // Cut inside "C"'s content, inside its length field, inside its name, and right
    // after "B": the chunks before the cut read, the cut one is missing or short.
    for (size_t cut : {whole.size() - 2, whole.size() - 6, whole.size() - 9, whole.size() - 10}) {
        WriteWholeFile("cut.xif", whole.substr(0, cut));
        XiffFile xiff;
        ASSERT_EQ(xiff.Open("cut.xif", FILE_READ), 1) << cut;
        ASSERT_EQ(xiff.FindChunk("P", nullptr, 0), 1) << cut;
        ASSERT_EQ(xiff.EnterChunk(), 1) << cut;
        int32_t length = 0;
        ASSERT_EQ(xiff.FindChunk("B", &length, 0), 1) << cut;
        EXPECT_EQ(length, 4);
        ASSERT_EQ(xiff.EnterChunk(), 1);
        char text[5] = {};
        ASSERT_EQ(xiff.Read(text, 4), 1);
        EXPECT_STREQ(text, "efgh");
        xiff.LeaveChunk();
        if (cut == whole.size() - 2) {
            ASSERT_EQ(xiff.FindChunk("C", &length, 0), 1);
            EXPECT_EQ(length, 2) << "what is left of the cut chunk";
        } else {
            EXPECT_EQ(xiff.FindChunk("C", nullptr, 0), 0) << cut;
        }
        EXPECT_EQ(GetErrorCode(), 0) << cut;
    }
    // A length that runs past a parent the file holds whole is still malformed.
    WriteWholeFile("inner.xif", Chunk("XIFF", std::string("P\0", 2) + Le32(6) +
                                                  std::string("A\0", 2) + Le32(9) + "x") +
                                    std::string(20, 'z'));
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("inner.xif", FILE_READ), 1);
    ASSERT_EQ(xiff.FindChunk("P", nullptr, 0), 1);
    ASSERT_EQ(xiff.EnterChunk(), 1);
    EXPECT_EQ(xiff.FindChunk("A", nullptr, 0), 0);
    EXPECT_EQ(ErrorMessage(),
              "Chunk runs past the end of its parent in the XIFF file \"inner.xif\"");
}

TEST_F(XiffTest, NameWithoutItsZeroIsRefused) {
    // At the end of the file.
    WriteWholeFile("open.xif", std::string("XIFF\0", 5) + Le32(3) + "ABC");
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("open.xif", FILE_READ), 1);
    EXPECT_EQ(xiff.FindChunk("ABC", nullptr, 0), 0);
    EXPECT_EQ(ErrorMessage(), "Unterminated chunk name in the XIFF file \"open.xif\"");
    xiff.Close();
    ClearError();

    // Its zero lies outside the parent.
    WriteWholeFile("cross.xif",
                   std::string("XIFF\0", 5) + Le32(3) + "ABC" + std::string("\0", 1) + Le32(0));
    ASSERT_EQ(xiff.Open("cross.xif", FILE_READ), 1);
    EXPECT_EQ(xiff.FindChunk("ABC", nullptr, 0), 0);
    EXPECT_EQ(ErrorMessage(), "Unterminated chunk name in the XIFF file \"cross.xif\"");
    ClearError();
    ASSERT_EQ(xiff.RewindChunk(), 1);
    EXPECT_EQ(xiff.EnterChunk(), 0);
    EXPECT_EQ(xiff.Depth(), 1);
    xiff.Close();
    ClearError();

    // A name whose length field is cut short by the parent's end.
    WriteWholeFile("field.xif", Chunk("XIFF", std::string("A\0\x01\x00", 4)));
    ASSERT_EQ(xiff.Open("field.xif", FILE_READ), 1);
    EXPECT_EQ(xiff.FindChunk("A", nullptr, 0), 0);
    EXPECT_EQ(ErrorMessage(),
              "Chunk runs past the end of its parent in the XIFF file \"field.xif\"");
}

TEST_F(XiffTest, NestingDeeperThanTheStackIsRefused) {
    // "XIFF" and 15 levels inside it: one more than can be open at once.
    std::string nested = "v";
    for (int level = 0; level < 15; ++level) nested = Chunk("N", nested);
    WriteWholeFile("deep.xif", Chunk("XIFF", nested));
    XiffFile xiff;
    ASSERT_EQ(xiff.Open("deep.xif", FILE_READ), 1);
    for (int level = 2; level <= XIFF_MAX_DEPTH; ++level) {
        ASSERT_EQ(xiff.FindChunk("N", nullptr, 0), 1) << level;
        ASSERT_EQ(xiff.EnterChunk(), 1) << level;
    }
    EXPECT_EQ(xiff.Depth(), 15);
    ASSERT_EQ(xiff.FindChunk("N", nullptr, 0), 1);
    EXPECT_EQ(xiff.EnterChunk(), 0);
    EXPECT_EQ(ErrorMessage(), "You are at the max depth for this XIFF file");
    EXPECT_EQ(xiff.Depth(), 15);
    // Nothing moved: the chunk is still there to be skipped.
    EXPECT_EQ(xiff.SkipChunk(), 1);
}

}  // namespace
