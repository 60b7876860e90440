// The kcbl keyword text through its public interface, in a scratch directory.
//
// Sections: reading; typed reading; writing; files; hostile input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "kcbl.h"
#include "misc.h"
#include "test_support.h"

namespace {

// Each test runs in a scratch directory that also takes the log, so trace lines and
// error texts can be read back.
class KcblTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    std::string Log() { return scratchLog.Text(); }

    ScratchDirectory scratch;
    ScratchLog scratchLog{scratch.Path()};
};

std::string Error() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "";
    return message;
}

// The whole document as Export writes it; the measured size must match what is written.
std::string ExportText(Kcbl& k) {
    int32_t measured = 0;
    EXPECT_EQ(k.ExportedSize(&measured), 1);
    std::vector<char> buffer(size_t(measured) + 16, '#');
    int32_t length = 0;
    EXPECT_EQ(k.Export(buffer.data(), int32_t(buffer.size()), &length, 0), 1);
    EXPECT_EQ(length, measured);
    if (length < 1) return "<export failed>";
    EXPECT_EQ(buffer[size_t(length) - 1], '\0');
    return std::string(buffer.data(), size_t(length) - 1);
}

// One value in readable form: arrays as [a|b|c], everything else as its text.
std::string Show(const char* v) {
    if (!v) return "<none>";
    if (static_cast<unsigned char>(v[0]) != KCBL_ARRAY_START) return v;
    std::string out = "[";
    const char* p = v + 1;
    bool first = true;
    while (static_cast<unsigned char>(*p) != KCBL_ARRAY_END && static_cast<unsigned char>(*p) != KCBL_ITEM_END) {
        if (!first) out += "|";
        out += p;
        first = false;
        p += std::strlen(p) + 1;
    }
    return out + "]";
}

// The current item as name(value;value;...).
std::string Item(Kcbl& k) {
    if (!k.ItemExists()) return "<no item>";
    std::string out = std::string(k.ItemName()) + "(";
    for (int i = 0; i < k.ValueCount(); ++i) out += (i ? ";" : "") + Show(k.GetValue(i));
    return out + ")";
}

// Every item of the tree, depth first, one per entry; chunks show their level.
std::vector<std::string> Walk(Kcbl& k) {
    std::vector<std::string> items;
    k.FirstItem();
    while (k.ItemExists()) {
        items.push_back(Item(k));
        k.NextItem(1);
        if (!k.ItemExists()) {
            // NextItem(1) reports 0 when it steps out of a chunk; the walk goes on there.
            while (!k.ItemExists() && k.LeaveChunk()) k.NextItem(0);
        }
    }
    return items;
}

std::vector<std::string> Items(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

// ------------------------------------------------------------------ reading

TEST_F(KcblTest, EmptyTextGivesOnlyTheSentinel) {
    Kcbl k;
    ASSERT_EQ(k.Import(""), 1);
    EXPECT_EQ(k.IsInitialised(), 1);
    EXPECT_EQ(k.FirstItem(), 0);
    EXPECT_EQ(k.ItemKind(), 0);
    EXPECT_EQ(ExportText(k), "");
    int32_t length = 0;
    EXPECT_EQ(k.ExportedSize(&length), 1);
    EXPECT_EQ(length, 1);
}

TEST_F(KcblTest, SeparatorsMakeValues) {
    Kcbl k;
    ASSERT_EQ(k.Import("x\nx =\nx = 1,,2\ny = 1="), 1);
    EXPECT_EQ(Walk(k), Items({"x()", "x()", "x(1;;2)", "y(1;)"}));
    ASSERT_EQ(k.Import("x = 1,"), 1);
    EXPECT_EQ(Walk(k), Items({"x(1;)"}));
    ASSERT_EQ(k.Import("a, b = c"), 1);
    EXPECT_EQ(Walk(k), Items({"a(b;c)"}));
}

TEST_F(KcblTest, TrailingCommaContinuesTheLineButEqualsDoesNot) {
    Kcbl k;
    ASSERT_EQ(k.Import("x = 1,\ny = 2"), 1);
    EXPECT_EQ(Walk(k), Items({"x(1;y;2)"}));
    ASSERT_EQ(k.Import("x =\n5"), 1);
    EXPECT_EQ(Walk(k), Items({"x()", "5()"}));
    // Blank lines after the comma do not end it either.
    ASSERT_EQ(k.Import("x = 1,\n\n  \n2\nz"), 1);
    EXPECT_EQ(Walk(k), Items({"x(1;2)", "z()"}));
}

TEST_F(KcblTest, CommentsAfterCommaAreDroppedElsewhereKept) {
    Kcbl k;
    ASSERT_EQ(k.Import("x = a, ; note\nb"), 1);
    EXPECT_EQ(Walk(k), Items({"x(a;b)"}));
    ASSERT_EQ(k.Import("x = a ; note, more\ny = 1"), 1);
    EXPECT_EQ(Walk(k), Items({"x(a;; note, more)", "y(1)"}));
    ASSERT_EQ(k.Import("x = ; note"), 1);
    EXPECT_EQ(Walk(k), Items({"x(;; note)"}));
    // In the name position the comment joins the name, spaces and all.
    ASSERT_EQ(k.Import("x ; note = 1\n; whole line\n   ;indented"), 1);
    EXPECT_EQ(Walk(k), Items({"x; note = 1()", "; whole line()", ";indented()"}));
    k.FirstItem();
    EXPECT_EQ(k.IsBlankOrComment(), 0);
    k.NextItem(0);
    EXPECT_EQ(k.IsBlankOrComment(), 1);
}

TEST_F(KcblTest, SpacesAreDroppedAndQuotedTextJoins) {
    Kcbl k;
    ASSERT_EQ(k.Import("big star = a b\t c, a\"b c\"d, \" x , ; { } = \""), 1);
    EXPECT_EQ(Walk(k), Items({"bigstar(abc;ab cd; x , ; { } = )"}));
}

TEST_F(KcblTest, EscapesInQuotedStrings) {
    Kcbl k;
    ASSERT_EQ(k.Import("x = \"a\\\\b\", \"q\\\"q\", \"\\n\\t\\r\", \"\\q\\;\""), 1);
    k.FirstItem();
    EXPECT_STREQ(k.GetValue(0), "a\\b");
    EXPECT_STREQ(k.GetValue(1), "q\"q");
    EXPECT_STREQ(k.GetValue(2), "\n\t\r");
    EXPECT_STREQ(k.GetValue(3), "q;");
    // Writing gives the escapes back.
    EXPECT_EQ(ExportText(k), "x = \"a\\\\b\", \"q\\\"q\", \"\\n\\t\\r\", \"q;\"\n");
}

TEST_F(KcblTest, LineBreakInsideStringFailsButEndOfTextCloses) {
    Kcbl k;
    EXPECT_EQ(k.Import("ok = 1\nname = \"abc\nnext = 2"), 0);
    EXPECT_EQ(Error(), "Missing terminating \" in string");
    // The item before the failing line is kept.
    EXPECT_EQ(Walk(k), Items({"ok(1)"}));
    EXPECT_EQ(k.Import("name = \"abc\\\r\n\""), 0);
    EXPECT_EQ(Error(), "Missing terminating \" in string");
    ClearError();
    ASSERT_EQ(k.Import("name = \"abc"), 1);
    EXPECT_EQ(Walk(k), Items({"name(abc)"}));
    ASSERT_EQ(k.Import("name = \"abc\\"), 1);
    EXPECT_EQ(Walk(k), Items({"name(abc)"}));
    EXPECT_EQ(Error(), "");
}

TEST_F(KcblTest, QuoteOnTheNextLineContinuesTheValue) {
    Kcbl k;
    ASSERT_EQ(k.Import("x = \"abc\"\n   \"def\", 2\ny = 3"), 1);
    EXPECT_EQ(Walk(k), Items({"x(abcdef;2)", "y(3)"}));
}

TEST_F(KcblTest, HighBytesOnlyInsideStringsAndComments) {
    Kcbl k;
    EXPECT_EQ(k.Import("a = 1\nx = caf\xE9"), 0);
    EXPECT_EQ(Error(), "Binary/corrupt data detected while trying to add it to a kbcl list");
    EXPECT_EQ(Walk(k), Items({"a(1)"}));
    EXPECT_EQ(k.Import("x = \x01"), 0);
    EXPECT_EQ(k.Import("x = a\x7F"), 0);
    ClearError();
    ASSERT_EQ(k.Import("x = \"caf\xE9\" ; r\xE9sum\xE9\n; \xFF\x01 comment"), 1);
    EXPECT_EQ(Walk(k), Items({"x(caf\xE9;; r\xE9sum\xE9)", "; \xFF\x01 comment()"}));
    // Written back the value is quoted, the comments stay as they are.
    EXPECT_EQ(ExportText(k), "x = \"caf\xE9\"\t\t; r\xE9sum\xE9\n; \xFF\x01 comment\n");
}

TEST_F(KcblTest, LineEndsLfCrAndCrLf) {
    Kcbl k;
    ASSERT_EQ(k.Import("a = 1\rb = 2\r\nc = 3\n\r\nd"), 1);
    EXPECT_EQ(Walk(k), Items({"a(1)", "b(2)", "c(3)", "()", "d()"}));
}

TEST_F(KcblTest, ChunksNestAndAreFoundWithoutCase) {
    Kcbl k;
    ASSERT_EQ(k.Import("top = 0\n{ = General\n  a = 1\n  { = Inner, x\n    b = 2\n  }\n}\nafter = 3"), 1);
    EXPECT_EQ(Walk(k), Items({"top(0)", "{(General)", "a(1)", "{(Inner;x)", "b(2)", "after(3)"}));
    k.FirstItem();
    ASSERT_EQ(k.FindChunk("general"), 1);
    EXPECT_EQ(k.ItemKind(), 2);
    ASSERT_EQ(k.EnterChunk(), 1);
    EXPECT_EQ(k.FindItem("A"), 1);
    EXPECT_EQ(Item(k), "a(1)");
    // Only the current list is searched.
    EXPECT_EQ(k.FindItem("b"), 0);
    EXPECT_EQ(k.FindChunk("INNER", "X"), 1);
    EXPECT_EQ(k.FindChunk("inner", "y"), 0);
    EXPECT_EQ(k.LeaveChunk(), 1);
    EXPECT_EQ(k.LeaveChunk(), 0);
    EXPECT_EQ(k.FindItem("after"), 1);
    EXPECT_EQ(k.EnterChunk(), 0);
}

TEST_F(KcblTest, ClosingBraceWithoutChunkAndUnclosedChunk) {
    Kcbl k;
    // A "}" at the top level has nothing to close; it is passed over.
    ASSERT_EQ(k.Import("}\na = 1\n  } trailing\nb = 2"), 1);
    EXPECT_EQ(Walk(k), Items({"a(1)", "b(2)"}));
    // A chunk still open at the end of the text ends there.
    ASSERT_EQ(k.Import("{ = Open\na = 1"), 1);
    EXPECT_EQ(Walk(k), Items({"{(Open)", "a(1)"}));
    EXPECT_EQ(ExportText(k), "{ = Open\n    a = 1\n}\n");
    // "]" lines outside raw blocks are ignored.
    ASSERT_EQ(k.Import("]\nc = 1"), 1);
    EXPECT_EQ(Walk(k), Items({"c(1)"}));
}

TEST_F(KcblTest, ArraysFlattenAndCount) {
    Kcbl k;
    ASSERT_EQ(k.Import("v = 1, {1, 2}, 3\nw = { {1,2},{3,4} }\ne = {}, {,}, {5,}\n"), 1);
    k.FirstItem();
    EXPECT_EQ(Item(k), "v(1;[1|2];3)");
    int count = -1;
    EXPECT_EQ(k.ArrayLength(1, &count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(k.ArrayLength(0, &count), 0);
    k.NextItem(0);
    EXPECT_EQ(Item(k), "w([1|2|3|4])");
    EXPECT_EQ(k.ArrayLength(0, &count), 1);
    EXPECT_EQ(count, 4);
    k.NextItem(0);
    EXPECT_EQ(Item(k), "e([];[|];[5|])");
    // A brace opens an array only at the start of a value.
    EXPECT_EQ(k.Import("x = a{1}"), 0);
    EXPECT_EQ(Error(), "Trying to end array without starting one");
    ClearError();
    ASSERT_EQ(k.Import("x = a{1, q"), 1);
    EXPECT_EQ(Walk(k), Items({"x(a{1;q)"}));
}

TEST_F(KcblTest, ArrayEndsOnlyBeforeSeparatorCommentOrLineEnd) {
    Kcbl k;
    ASSERT_EQ(k.Import("x = {1, 2} ; c\ny = {1}x}, 2\nz = {1,\n 2}, {\"a b\", 3"), 1);
    EXPECT_EQ(Walk(k), Items({"x([1|2];; c)", "y([1x];2)", "z([1|2];[a b|3])"}));
    EXPECT_EQ(k.Import("x = 1}"), 0);
    EXPECT_EQ(Error(), "Trying to end array without starting one");
}

TEST_F(KcblTest, RawDataBlocks) {
    Kcbl k;
    ASSERT_EQ(k.Import("[ = Text, ASCIIDATA\n  line one; {not parsed}\n\tcaf\xE9\n  ]\nafter = 1"), 1);
    EXPECT_EQ(Walk(k), Items({"[(Text;ASCIIDATA;  line one; {not parsed}\n\tcaf\xE9\n)", "after(1)"}));
    k.FirstItem();
    EXPECT_EQ(k.FindRawData("text"), 1);
    EXPECT_EQ(ExportText(k),
              "[ = Text, ASCIIDATA\n  line one; {not parsed}\n\tcaf\xE9\n]\nafter = 1\n");
    // Line breaks inside the block are kept as they stand.
    ASSERT_EQ(k.Import("[ = ASCIIDATA_v2\r\na\r\n]"), 1);
    k.FirstItem();
    EXPECT_STREQ(k.GetValue(1), "a\r\n");
    // The prefix test is exact.
    EXPECT_EQ(k.Import("[ = asciidata\nx\n]"), 0);
    EXPECT_EQ(Error(), "Malformed rawdata string");
    EXPECT_EQ(k.Import("[\nx\n]"), 0);
    EXPECT_EQ(Error(), "Malformed rawdata string");
    EXPECT_EQ(k.Import("[ = ASCIIDATA\nok\nbad\x02\n]"), 0);
    EXPECT_EQ(Error(), "Binary data detected in a rawdata ascii chunk");
    ClearError();
    // A block that is never closed runs to the end of the text.
    ASSERT_EQ(k.Import("[ = ASCIIDATA\nrest"), 1);
    k.FirstItem();
    EXPECT_STREQ(k.GetValue(1), "rest");
}

TEST_F(KcblTest, RawDataWritingIndentsAndEndsTheText) {
    Kcbl k;
    k.NewChunk(KSTRING, "A", KEND);
    k.NewChunk(KSTRING, "B", KEND);
    // Raw text without a final line break still gets its "]" on a line of its own.
    k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "one\ntwo", KEND);
    const char* expected =
        "{ = A\n"
        "    { = B\n"
        "        [ = ASCIIDATA\n"
        "one\n"
        "two\n"
        "    ]\n"
        "    }\n"
        "}\n";
    std::string text = ExportText(k);
    EXPECT_EQ(text, expected);
    Kcbl back;
    ASSERT_EQ(back.Import(text.c_str()), 1);
    EXPECT_EQ(Walk(back), Items({"{(A)", "{(B)", "[(ASCIIDATA;one\ntwo\n)"}));
    // A "[" item whose second-to-last value is wrong cannot be written.
    Kcbl bad;
    bad.NewItem("[", KSTRING, "nothing", KSTRING, "text", KEND);
    int32_t length = 0;
    EXPECT_EQ(bad.ExportedSize(&length), 0);
    EXPECT_EQ(length, -1);
    EXPECT_EQ(Error(), "Malformed rawdata string");
}

// ------------------------------------------------------------------ typed reading

TEST_F(KcblTest, ScalarReaders) {
    Kcbl k;
    ASSERT_EQ(k.Import("v = TRUE, no, Yes, 0, maybe, -12abc, 4000000000, -5, 2.5e1x, x7, -99999999999"), 1);
    k.FirstItem();
    uint8_t b = 7;
    EXPECT_EQ(k.GetBool(0, &b), 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(k.GetBool(1, &b), 1);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(k.GetBool(2, &b), 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(k.GetBool(3, &b), 1);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(k.GetBool(4, &b), 0);
    int32_t l = 0;
    EXPECT_EQ(k.GetLong(5, &l), 1);
    EXPECT_EQ(l, -12);
    EXPECT_EQ(k.GetLong(9, &l), 0);
    EXPECT_EQ(k.GetLong(6, &l), 1);
    EXPECT_EQ(l, INT32_MAX);  // saturates rather than wrapping
    EXPECT_EQ(k.GetLong(10, &l), 1);
    EXPECT_EQ(l, INT32_MIN);
    uint32_t u = 0;
    EXPECT_EQ(k.GetULong(6, &u), 1);
    EXPECT_EQ(u, 4000000000u);
    EXPECT_EQ(k.GetULong(7, &u), 1);
    EXPECT_EQ(u, uint32_t(-5));
    float f = 0;
    EXPECT_EQ(k.GetFloat(8, &f), 1);
    EXPECT_FLOAT_EQ(f, 25.0f);
    EXPECT_EQ(k.GetFloat(9, &f), 0);
    double d = 0;
    EXPECT_EQ(k.GetDouble(5, &d), 1);
    EXPECT_DOUBLE_EQ(d, -12.0);
    EXPECT_EQ(k.GetDouble(11, &d), 0);
    EXPECT_EQ(k.GetDouble(-1, &d), 0);
    EXPECT_EQ(k.GetValue(11), nullptr);
    EXPECT_EQ(k.GetValue(-1), nullptr);
}

TEST_F(KcblTest, ArrayReadersNeedExactlyTheRequestedCount) {
    Kcbl k;
    ASSERT_EQ(k.Import("eight = {1,2,3,4,5,6,7,8}\nten = {1,2,3,4,5,6,7,8,9,10}\n"
                       "mixed = {1, x, 3}, 4\nb = {true, NO, 1}"),
              1);
    float out[10];
    int missing = -1;
    ASSERT_EQ(k.FindItem("eight"), 1);
    EXPECT_EQ(k.GetFloatArray(0, out, 9, &missing), 0);
    EXPECT_EQ(missing, 1);
    EXPECT_EQ(k.GetFloatArray(0, out, 8, &missing), 1);
    EXPECT_EQ(missing, 0);
    ASSERT_EQ(k.FindItem("ten"), 1);
    out[9] = -1;
    EXPECT_EQ(k.GetFloatArray(0, out, 9, &missing), 1);
    EXPECT_EQ(missing, 0);
    EXPECT_FLOAT_EQ(out[8], 9.0f);
    EXPECT_FLOAT_EQ(out[9], -1.0f);  // the tenth element is ignored
    ASSERT_EQ(k.FindItem("mixed"), 1);
    int32_t longs[3];
    EXPECT_EQ(k.GetLongArray(0, longs, 3, &missing), 0);
    EXPECT_EQ(missing, 2);
    EXPECT_EQ(longs[0], 1);
    EXPECT_EQ(k.GetLongArray(1, longs, 1, &missing), 0);  // not an array
    EXPECT_EQ(missing, 1);
    ASSERT_EQ(k.FindItem("b"), 1);
    uint8_t bools[3];
    EXPECT_EQ(k.GetBoolArray(0, bools, 3), 1);
    EXPECT_EQ(bools[0], 1);
    EXPECT_EQ(bools[1], 0);
    EXPECT_EQ(bools[2], 1);
    double doubles[2];
    uint32_t ulongs[2];
    EXPECT_EQ(k.GetDoubleArray(0, doubles, 2), 0);  // TRUE is no number
    EXPECT_EQ(k.GetULongArray(5, ulongs, 2, &missing), 0);
    EXPECT_EQ(missing, 2);
}

TEST_F(KcblTest, GetValuesReadsInOrderAndStopsAtTheFirstFailure) {
    Kcbl k;
    ASSERT_EQ(k.Import("first = 1\nItem = 5, 2.5, yes, hello, {1,2}, 7, text"), 1);
    int32_t l = 0;
    float f = 0;
    uint8_t b = 0;
    char text[6] = "-----";
    int32_t arr[2] = {0, 0};
    uint32_t u = 0;
    ASSERT_EQ(k.GetValues("item", KLONG, &l, KFLOAT, &f, KBOOL, &b, KSTRING, 6, text, KLONGARRAY, 2,
                          arr, KULONG, &u, KEND),
              1);
    EXPECT_EQ(l, 5);
    EXPECT_FLOAT_EQ(f, 2.5f);
    EXPECT_EQ(b, 1);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(arr[1], 2);
    EXPECT_EQ(u, 7u);
    // Without a keyword the current item is read.
    double d = 0;
    ASSERT_EQ(k.GetValues(nullptr, KDOUBLE, &d, KEND), 1);
    EXPECT_DOUBLE_EQ(d, 5.0);
    // A string is copied only with room for its terminator.
    char small[5] = "....";
    ASSERT_EQ(k.GetValues(nullptr, KSTRING, 5, small, KSTRING, 5, small, KSTRING, 5, small,
                          KSTRING, 5, small, KEND),
              1);
    EXPECT_STREQ(small, "yes");
    EXPECT_EQ(k.GetValues(nullptr, KSTRING, 70000, small, KEND), 0);
    EXPECT_EQ(k.GetValues(nullptr, KLONGARRAY, 70000, arr, KEND), 0);
    // Missing and unconvertible values fail.
    EXPECT_EQ(k.GetValues(nullptr, KLONG, &l, KLONG, &l, KEND), 1);
    EXPECT_EQ(k.GetValues(nullptr, KLONG, &l, KLONG, &l, KLONG, &l, KEND), 0);
    EXPECT_EQ(k.GetValues("absent", KLONG, &l, KEND), 0);
    EXPECT_EQ(Error(), "");
    EXPECT_EQ(k.GetValues("item", KLONG, &l, 12345, KEND), 0);
    EXPECT_EQ(Error(), "Unknown data type (Missing KEND?) in keyword \"Item\"");
    EXPECT_EQ(k.GetValues("item", KARGS, KEND), 0);
}

// ------------------------------------------------------------------ writing

TEST_F(KcblTest, DocumentIsWrittenByteForByte) {
    Kcbl k;
    ASSERT_EQ(k.NewItem("; editor settings", KEND), 1);
    ASSERT_EQ(k.NewItem("Title", KSTRING, "Big star", KLONG, 12, KEND), 1);
    ASSERT_EQ(k.NewChunk(KSTRING, "General", KEND), 1);
    ASSERT_EQ(k.NewItem("Delay", KLONG, 5, KFLOAT, 1.5, KSTRING, "; seconds", KEND), 1);
    int32_t points[3] = {1, 2, 3};
    ASSERT_EQ(k.NewItem("Points", KLONG, 2, KLONGARRAY, 3, points, KEND), 1);
    ASSERT_EQ(k.LeaveChunk(), 1);
    ASSERT_EQ(k.NewItem("", KEND), 1);
    ASSERT_EQ(k.NewItem("End", KBOOL, 0x100, KBOOL, 1, KULONG, 4294967295u, KEND), 1);
    EXPECT_EQ(ExportText(k),
              "; editor settings\n"
              "Title = \"Big star\", 12\n"
              "{ = General\n"
              "    Delay = 5, 1.5\t\t; seconds\n"
              "    Points = 2, { 1, 2, 3}\n"
              "}\n"
              "\n"
              "End = FALSE, TRUE, 4294967295\n");
}

TEST_F(KcblTest, ReadWriteRoundTripKeepsTheCanonicalText) {
    const char* canonical =
        "; editor settings\n"
        "Title = \"Big star\", 12\n"
        "{ = General\n"
        "    Delay = 5, 1.5\t\t; seconds\n"
        "    Points = 2, { 1.5, 2, 3}\n"
        "    \n"
        "    { = Deeper, two\n"
        "        Empty = \"\", { }, { \"\"}, { ab, \"x=y\", , \"q,\"}\n"
        "        Eq = \"a=b\", \"{\", \"}\", \"\\\"\", \"a\\\\b\", \"x;\"\n"
        "    }\n"
        "}\n"
        "x = a, \t\t; dropped on reading\n"
        "\tb\n";
    Kcbl k;
    ASSERT_EQ(k.Import(canonical), 1);
    // The comment after ", " is lost on reading, the rest comes back unchanged.
    std::string once = ExportText(k);
    std::string expected = canonical;
    expected.replace(expected.find("x = a, "), std::string::npos, "x = a, b\n");
    EXPECT_EQ(once, expected);
    Kcbl again;
    ASSERT_EQ(again.Import(once.c_str()), 1);
    EXPECT_EQ(ExportText(again), once);
    EXPECT_EQ(Walk(again), Walk(k));
}

TEST_F(KcblTest, ReadModifyWrite) {
    Kcbl k;
    ASSERT_EQ(k.Import("a = 1\n{ = Page\n    b = 2\n    c = 3\n}\nd = 4\n"), 1);
    ASSERT_EQ(k.FindChunk("page"), 1);
    ASSERT_EQ(k.EnterChunk(), 1);
    ASSERT_EQ(k.ReplaceItem("B", KFLOAT, 2.25, KSTRING, "two", KEND), 1);
    EXPECT_EQ(Item(k), "B(2.25;two)");
    ASSERT_EQ(k.FindItem("c"), 1);
    ASSERT_EQ(k.KillItem(), 1);
    EXPECT_EQ(Item(k), "B(2.25;two)");  // the cursor is on the item before
    ASSERT_EQ(k.NewItem("e", KDOUBLE, 0.5, KEND), 1);
    k.LeaveChunk();
    ASSERT_EQ(k.FindItem("a"), 1);
    ASSERT_EQ(k.ReplaceItem(nullptr, KLONG, -7, KEND), 1);
    EXPECT_EQ(ExportText(k), "a = -7\n{ = Page\n    B = 2.25, two\n    e = 0.500000\n}\nd = 4\n");
}

TEST_F(KcblTest, FloatFormattingAndPrecision) {
    Kcbl k;
    EXPECT_STREQ(k.FloatFormat(), "%f");
    EXPECT_STREQ(k.DoubleFormat(), "%lf");
    k.NewItem("a", KFLOAT, 0.25, KFLOAT, 1.5, KFLOAT, 2.0, KFLOAT, 0.0, KFLOAT, std::nan(""),
              KFLOAT, -3.0, KEND);
    k.SetFloatPrecision(0);
    EXPECT_STREQ(k.FloatFormat(), "%.0f");
    k.NewItem("b", KFLOAT, 100.0, KFLOAT, 2.25, KEND);
    k.SetFloatPrecision(3);
    EXPECT_STREQ(k.FloatFormat(), "%.3f");
    float floats[2] = {1.5f, 2.0f};
    k.NewItem("c", KFLOAT, 1.25, KFLOATARRAY, 2, floats, KEND);
    k.SetFloatPrecision(25);
    EXPECT_STREQ(k.FloatFormat(), "%.10f");
    k.SetFloatPrecision(-1);
    EXPECT_STREQ(k.FloatFormat(), "%f");
    k.SetDoublePrecision(2);
    EXPECT_STREQ(k.DoubleFormat(), "%.2lf");
    double doubles[2] = {1.0, 1e300};
    k.NewItem("d", KDOUBLE, 1.0, KDOUBLEARRAY, 2, doubles, KEND);
    k.SetDoublePrecision(99);
    EXPECT_STREQ(k.DoubleFormat(), "%.10lf");
    k.SetDoublePrecision(-4);
    EXPECT_STREQ(k.DoubleFormat(), "%lf");
    k.NewItem("e", KDOUBLE, -1e300, KEND);
    std::string text = ExportText(k);
    char big[400];
    std::snprintf(big, sizeof big, "%.2f", 1e300);
    char small[400];
    std::snprintf(small, sizeof small, "%f", -1e300);
    EXPECT_EQ(text, std::string("a = 0.25, 1.5, 2, 0, 0, -3\n") + "b = 100, 2\n" +
                        "c = 1.25, { 1.500, 2.000}\n" + "d = 1.00, { 1.00, " + big + "}\n" +
                        "e = " + small + "\n");
    Kcbl back;
    ASSERT_EQ(back.Import(text.c_str()), 1);
    ASSERT_EQ(back.FindItem("d"), 1);
    double read[2];
    ASSERT_EQ(back.GetDoubleArray(1, read, 2), 1);
    EXPECT_DOUBLE_EQ(read[1], 1e300);
}

TEST_F(KcblTest, LongStringsAreSplitIntoQuotedPieces) {
    Kcbl k;
    k.SetMaxLineLength(20);
    const char* value = "abcdefghijklmnopqrstuvwxyz0123456789";
    ASSERT_EQ(k.NewItem("s", KSTRING, value, KLONG, 1, KEND), 1);
    ASSERT_EQ(k.NewItem("t", KSTRING, "short", KSTRING, "a\tb", KEND), 1);
    std::string text = ExportText(k);
    EXPECT_EQ(text,
              "s = \"abcdefghijklm\"\n"
              "    \"nopqrstuvwxyz\"\n"
              "    \"0123456789\", 1\n"
              "t = short, \"a\\tb\"\n");
    Kcbl back;
    ASSERT_EQ(back.Import(text.c_str()), 1);
    EXPECT_EQ(Walk(back), Items({"s(abcdefghijklmnopqrstuvwxyz0123456789;1)", "t(short;a\tb)"}));
    // A plain word that does not fit in what is left of the line is quoted and split.
    Kcbl words;
    words.SetMaxLineLength(12);
    words.NewItem("k", KSTRING, "aaaa", KSTRING, "bbbbbbbbbb", KEND);
    EXPECT_EQ(ExportText(words), "k = aaaa, \"b\"\n    \"bbbbb\"\n    \"bbbb\"\n");
    ASSERT_EQ(back.Import(ExportText(words).c_str()), 1);
    EXPECT_EQ(Walk(back), Items({"k(aaaa;bbbbbbbbbb)"}));
}

TEST_F(KcblTest, LineLimitSettings) {
    Kcbl k;
    EXPECT_EQ(k.MaxLineLength(), KCBL_NO_LINE_LIMIT);
    k.SetMaxLineLength(50);
    EXPECT_EQ(k.MaxLineLength(), 50);
    k.SetMaxLineLength(-3);
    EXPECT_EQ(k.MaxLineLength(), 50);
    k.SetMaxLineLength(0);
    EXPECT_EQ(k.MaxLineLength(), KCBL_NO_LINE_LIMIT);
    // Without a limit a long value stays on one line.
    std::string value(5000, 'v');
    k.NewItem("x", KSTRING, value.c_str(), KEND);
    EXPECT_EQ(ExportText(k), "x = " + value + "\n");
}

TEST_F(KcblTest, CommentValuesAmongOthers) {
    Kcbl k;
    k.NewItem("x", KSTRING, "a", KSTRING, "; c", KSTRING, "b", KEND);
    k.NewItem("y", KSTRING, "a", KSTRING, "; c", KEND);
    // A comment as the first value is accepted and reads back as part of the name.
    k.NewItem("z", KSTRING, "; c", KEND);
    std::string text = ExportText(k);
    EXPECT_EQ(text, "x = a, \t\t; c\n\tb\ny = a\t\t; c\nz\t\t; c\n");
    Kcbl back;
    ASSERT_EQ(back.Import(text.c_str()), 1);
    EXPECT_EQ(Walk(back), Items({"x(a;b)", "y(a;; c)", "z; c()"}));
}

TEST_F(KcblTest, ArraysWrittenFromTypes) {
    Kcbl k;
    uint8_t bools[3] = {0, 2, 1};
    uint32_t ulongs[2] = {0, 4000000000u};
    int32_t longs[1] = {-1};
    k.NewItem("b", KBOOLARRAY, 3, bools, KULONGARRAY, 2, ulongs, KLONGARRAY, 0, nullptr, KLONGARRAY,
              -2, longs, KLONGARRAY, 1, longs, KEND);
    EXPECT_EQ(ExportText(k), "b = { FALSE, TRUE, TRUE}, { 0, 4000000000}, { }, { }, { -1}\n");
    k.FirstItem();
    int count = -1;
    EXPECT_EQ(k.ArrayLength(2, &count), 1);
    EXPECT_EQ(count, 0);
    uint32_t read[2];
    EXPECT_EQ(k.GetULongArray(1, read, 2), 1);
    EXPECT_EQ(read[1], 4000000000u);
}

TEST_F(KcblTest, CreateNewItemValidatesTheWholeListFirst) {
    Kcbl k;
    ASSERT_EQ(k.NewItem("a", KLONG, 1, KEND), 1);
    EXPECT_EQ(k.NewItem("bad", KLONG, 1, 0x20000000, KEND), 0);
    EXPECT_EQ(Error(), "Unknown data type (Missing KEND?) in keyword \"bad\"");
    EXPECT_EQ(k.NewItem("null", KLONG, 1, KSTRING, static_cast<const char*>(nullptr), KEND), 0);
    EXPECT_EQ(Error(), "Tried to add NULL string in keyword \"null\"");
    // KARGS is good only as the first tag.
    EXPECT_EQ(k.NewItem("args", KARGS, KEND), 0);
    EXPECT_EQ(Error(), "Unknown data type (Missing KEND?) in keyword \"args\"");
    EXPECT_EQ(k.NewItem("nodata", KLONGARRAY, 2, static_cast<int32_t*>(nullptr), KEND), 0);
    EXPECT_EQ(Walk(k), Items({"a(1)"}));
}

TEST_F(KcblTest, NewItemsGoAfterTheCursor) {
    Kcbl k;
    EXPECT_EQ(k.IsInitialised(), 0);
    // An uninitialised document exports as just the NUL.
    char buffer[8] = "xxxxxxx";
    int32_t length = 0;
    EXPECT_EQ(k.Export(buffer, sizeof buffer, &length, 0), 1);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(buffer[0], '\0');
    ASSERT_EQ(k.NewItem("a", KEND), 1);
    EXPECT_EQ(k.IsInitialised(), 1);
    ASSERT_EQ(k.NewItem("c", KEND), 1);
    k.FirstItem();
    ASSERT_EQ(k.NewItem("b", KEND), 1);
    EXPECT_STREQ(k.ItemName(), "b");
    // With the cursor off the list, the new item goes to the end.
    while (k.NextItem(0)) {
    }
    ASSERT_EQ(k.NewItem("d", KEND), 1);
    ASSERT_EQ(k.NewChunk(KSTRING, "Chunk", KLONG, 2, KEND), 1);
    EXPECT_STREQ(k.ItemName(), KCBL_SENTINEL);  // inside the new chunk, before its first item
    ASSERT_EQ(k.NewItem("inner", KEND), 1);
    ASSERT_EQ(k.LeaveChunk(), 1);
    EXPECT_EQ(Walk(k), Items({"a()", "b()", "c()", "d()", "{(Chunk;2)", "inner()"}));
    EXPECT_EQ(ExportText(k), "a\nb\nc\nd\n{ = Chunk, 2\n    inner\n}\n");
}

TEST_F(KcblTest, KillItemRefusesTheSentinelAndKeepsThePlace) {
    Kcbl k;
    ASSERT_EQ(k.Import("a\nb\n{ = C\n    x\n    { = D\n        y\n    }\n}\nd"), 1);
    ASSERT_EQ(k.FindItem("b"), 1);
    ASSERT_EQ(k.KillItem(), 1);
    EXPECT_STREQ(k.ItemName(), "a");  // the item before the deleted one
    ASSERT_EQ(k.KillItem(), 1);
    EXPECT_STREQ(k.ItemName(), KCBL_SENTINEL);
    EXPECT_EQ(k.KillItem(), 0);
    EXPECT_STREQ(k.ItemName(), KCBL_SENTINEL);
    EXPECT_EQ(ExportText(k), "{ = C\n    x\n    { = D\n        y\n    }\n}\nd\n");
    EXPECT_EQ(k.NextItem(0), 1);
    EXPECT_EQ(k.ItemKind(), 2);
    // A chunk goes with everything below it.
    ASSERT_EQ(k.KillItem(), 1);
    EXPECT_EQ(k.NextItem(0), 1);
    EXPECT_STREQ(k.ItemName(), "d");
    EXPECT_EQ(ExportText(k), "d\n");
    // Any item of the sentinel's name is refused, whatever its case.
    ASSERT_EQ(k.NewItem("; I DON'T EXIST", KEND), 1);
    EXPECT_EQ(k.KillItem(), 0);
    EXPECT_EQ(ExportText(k), "d\n; I DON'T EXIST\n");
    k.NextItem(0);
    EXPECT_EQ(k.KillItem(), 0);  // no current item
}

TEST_F(KcblTest, ReplaceItemNeedsAShortEnoughName) {
    Kcbl k;
    std::string longName(91, 'n');
    k.NewItem(longName.c_str(), KLONG, 1, KEND);
    EXPECT_EQ(k.ReplaceItem(nullptr, KLONG, 2, KEND), 0);
    std::string name90(90, 'm');
    k.NewItem(name90.c_str(), KLONG, 1, KEND);
    EXPECT_EQ(k.ReplaceItem(nullptr, KLONG, 2, KEND), 1);
    EXPECT_EQ(k.ReplaceItem("absent", KLONG, 2, KEND), 0);
    EXPECT_EQ(ExportText(k), longName + " = 1\n" + name90 + " = 2\n");
}

TEST_F(KcblTest, FindItemWrapsFiltersAndStartsAtTheCursor) {
    Kcbl k;
    ASSERT_EQ(k.Import("a = 1, x\nb = 2\na = 3, y, z\nc"), 1);
    ASSERT_EQ(k.FindItem("a", nullptr, "Y"), 0);  // the present filter is compared with value 0
    ASSERT_EQ(k.FindItem("a", "3", nullptr, "y"), 1);
    EXPECT_EQ(Item(k), "a(3;y;z)");
    // The same call finds the same item again.
    ASSERT_EQ(k.FindItem("a"), 1);
    EXPECT_EQ(Item(k), "a(3;y;z)");
    // From there it wraps round to the first "a".
    ASSERT_EQ(k.FindItem("a", "1"), 1);
    EXPECT_EQ(Item(k), "a(1;x)");
    ASSERT_EQ(k.FindItem("c"), 1);
    // After a wrapped failure the cursor is back on the start.
    EXPECT_EQ(k.FindItem("missing"), 0);
    EXPECT_EQ(Item(k), "c()");
    EXPECT_EQ(k.FindItem("a", "1", "x", "extra"), 0);
    // Without wrap the search ends at the list end with no current item...
    k.SetSearchWrap(0);
    k.FirstItem();
    ASSERT_EQ(k.FindItem("b"), 1);
    EXPECT_EQ(k.FindItem("a", "1"), 0);
    EXPECT_EQ(k.ItemExists(), 0);
    // ...and fails at once from there.
    EXPECT_EQ(k.FindItem("a"), 0);
    k.SetSearchWrap(1);
    EXPECT_EQ(k.FindItem("a"), 1);
    EXPECT_EQ(Item(k), "a(1;x)");
}

TEST_F(KcblTest, NextItemWalksDepthFirst) {
    Kcbl k;
    ASSERT_EQ(k.Import("a\n{ = C\n    b\n    { = E\n    }\n}\nd"), 1);
    k.FirstItem();
    EXPECT_STREQ(k.ItemName(), "a");
    EXPECT_EQ(k.NextItem(1), 1);
    EXPECT_EQ(Item(k), "{(C)");
    EXPECT_EQ(k.NextItem(1), 1);  // into C
    EXPECT_STREQ(k.ItemName(), "b");
    EXPECT_EQ(k.NextItem(1), 1);
    EXPECT_EQ(Item(k), "{(E)");
    EXPECT_EQ(k.NextItem(1), 1);  // into the empty E
    EXPECT_EQ(k.ItemExists(), 0);
    EXPECT_EQ(k.NextItem(1), 0);  // out of E, past its chunk item: the end of C
    EXPECT_EQ(k.ItemExists(), 0);
    EXPECT_EQ(k.NextItem(1), 0);  // out of C, onto d, still 0
    EXPECT_STREQ(k.ItemName(), "d");
    EXPECT_EQ(k.NextItem(1), 0);
    EXPECT_EQ(k.ItemExists(), 0);
    EXPECT_EQ(k.NextItem(0), 0);
}

TEST_F(KcblTest, ExportChecksTheBufferAndKeepsTheCursor) {
    Kcbl k;
    ASSERT_EQ(k.Import("alpha = 1\n{ = C\n    beta = 2\n}\n"), 1);
    const std::string text = "alpha = 1\n{ = C\n    beta = 2\n}\n";
    ASSERT_EQ(k.FindChunk("c"), 1);
    ASSERT_EQ(k.EnterChunk(), 1);
    std::vector<char> buffer(text.size() + 1);
    int32_t length = 0;
    ASSERT_EQ(k.Export(buffer.data(), int32_t(buffer.size()), &length, 0), 1);
    EXPECT_EQ(length, int32_t(text.size() + 1));
    EXPECT_EQ(std::string(buffer.data()), text);
    EXPECT_STREQ(k.ItemName(), "beta");  // the cursor is where it was
    // One byte less and the last line does not fit.
    EXPECT_EQ(k.Export(buffer.data(), int32_t(text.size()), &length, 0), 0);
    EXPECT_EQ(length, -1);
    EXPECT_STREQ(k.ItemName(), "beta");
    // A size of 0 writes nothing at all.
    char untouched = 'u';
    EXPECT_EQ(k.Export(&untouched, 0, &length, 0), 1);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(untouched, 'u');
    // Measuring needs no buffer.
    EXPECT_EQ(k.Export(nullptr, 0, &length, 0), 1);
    EXPECT_EQ(length, int32_t(text.size() + 1));
}

TEST_F(KcblTest, GetLineMeasuresWithoutMoving) {
    Kcbl k;
    ASSERT_EQ(k.Import("a = 1\n{ = C\n    b\n}"), 1);
    k.FirstItem();
    int32_t indent = 0;
    char line[64];
    const char* expected[] = {"a = 1\n", "{ = C\n", "    b\n", "}\n"};
    for (const char* want : expected) {
        int measured = k.GetLine(nullptr, 0, &indent, 1, 1);
        EXPECT_EQ(measured, int(std::strlen(want)));
        // Too small a buffer gives 0 and leaves the walk where it was.
        EXPECT_EQ(k.GetLine(line, measured, &indent, 0, 0), 0);
        EXPECT_EQ(k.GetLine(line, sizeof line, &indent, 0, 0), measured);
        EXPECT_STREQ(line, want);
    }
    EXPECT_EQ(k.GetLine(line, sizeof line, &indent, 0, 0), -1);
    EXPECT_EQ(indent, 0);
}

// ------------------------------------------------------------------ files

TEST_F(KcblTest, FilesRoundTrip) {
    Kcbl k;
    ASSERT_EQ(k.Import("; gui\n{ = GuiConfig, Night\n    Slider = 1, 2.5, \"a b\"\n}\n"), 1);
    ASSERT_EQ(k.ExportFile("out.cfg"), 1);
    EXPECT_EQ(ReadWholeFile("out.cfg"), "; gui\n{ = GuiConfig, Night\n    Slider = 1, 2.5, \"a b\"\n}\n");
    Kcbl back;
    ASSERT_EQ(back.ImportFile("out.cfg"), 1);
    ASSERT_EQ(back.FindChunk("guiconfig", "NIGHT"), 1);
    // A long line makes the write buffer grow.
    std::string value(5000, 'z');
    back.NewItem("long", KSTRING, value.c_str(), KEND);
    ASSERT_EQ(back.ExportFile("long.cfg"), 1);
    Kcbl third;
    ASSERT_EQ(third.ImportFile("long.cfg"), 1);
    ASSERT_EQ(third.FindItem("long"), 1);
    EXPECT_EQ(std::string(third.GetValue(0)), value);
    // An empty file is an empty document; an uninitialised one writes an empty file.
    WriteWholeFile("empty.cfg", "");
    ASSERT_EQ(third.ImportFile("empty.cfg"), 1);
    EXPECT_EQ(third.FirstItem(), 0);
    Kcbl fresh;
    ASSERT_EQ(fresh.ExportFile("fresh.cfg"), 1);
    EXPECT_EQ(ReadWholeFile("fresh.cfg"), "");
}

TEST_F(KcblTest, FileFailures) {
    Kcbl k;
    EXPECT_EQ(k.ImportFile("no-such-file.cfg"), 0);
    EXPECT_NE(Error().find("no-such-file.cfg"), std::string::npos);
    ClearError();
    k.NewItem("a", KEND);
    EXPECT_EQ(k.ExportFile("no-such-dir/out.cfg"), 0);
    EXPECT_NE(Error().find("no-such-dir/out.cfg"), std::string::npos);
    // The text ends at a NUL byte, as an editor that appends one leaves the file:
    // what comes before it loads, what comes after is not read.
    ClearError();
    for (const std::string& bytes : {std::string("a = 1\nb = 2\n\0", 13),
                                     std::string("a = 1\nb = 2\n\0c = 3\n\x01\x02", 20)}) {
        WriteWholeFile("zero-byte.cfg", bytes);
        Kcbl loaded;
        ASSERT_EQ(loaded.ImportFile("zero-byte.cfg"), 1) << Error();
        ASSERT_EQ(loaded.FindItem("b"), 1);
        EXPECT_STREQ(loaded.GetValue(0), "2");
        EXPECT_EQ(loaded.FindItem("c"), 0);
    }
}

// ------------------------------------------------------------------ hostile input

TEST_F(KcblTest, OverlongLinesAndWords) {
    std::string word(300000, 'w');
    std::string text = "k = " + word + ", \"" + word + "\", {" + word + "}\n" + word + "\n";
    Kcbl k;
    ASSERT_EQ(k.Import(text.c_str()), 1);
    k.FirstItem();
    EXPECT_EQ(std::strlen(k.GetValue(0)), word.size());
    EXPECT_EQ(std::strlen(k.GetValue(1)), word.size());
    k.NextItem(0);
    EXPECT_EQ(std::strlen(k.ItemName()), word.size());
    std::string written = ExportText(k);
    EXPECT_EQ(written, "k = " + word + ", " + word + ", { " + word + "}\n" + word + "\n");
}

TEST_F(KcblTest, DeepNestingIsBuiltAndFreedWithoutRecursion) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "{ = c\n";
    text += "leaf = 1\n";
    Kcbl k;
    ASSERT_EQ(k.Import(text.c_str()), 1);
    int depth = 0;
    k.FirstItem();
    while (k.ItemKind() == 2) {
        k.EnterChunk();
        ++depth;
    }
    EXPECT_EQ(depth, 20000);
    EXPECT_STREQ(k.ItemName(), "leaf");
    ASSERT_EQ(k.Import("a"), 1);  // everything above is freed on the way
    EXPECT_EQ(Walk(k), Items({"a()"}));
}

TEST_F(KcblTest, GarbageNeverReadsOutOfBounds) {
    // A fixed pseudo-random stream over the bytes that steer the reader.
    const char alphabet[] = "\"\\,=;{}[] \t\r\nab0ASCIIDATA\xE9\x01";
    uint32_t state = 12345;
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int length = 1 + int(state % 60);
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            text += alphabet[(state >> 16) % (sizeof alphabet - 1)];
        }
        Kcbl k;
        if (k.Import(text.c_str())) {
            ++accepted;
            int32_t size = 0;
            // Any document that was read can be measured and walked.
            k.ExportedSize(&size);
            Walk(k);
        }
        ClearError();
    }
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, 400);
}

TEST_F(KcblTest, TraceLinesOnlyWithALineLimit) {
    Kcbl k;
    k.Import("a = 1");
    k.FindItem("a");
    EXPECT_EQ(Log(), "");
    k.SetMaxLineLength(40);
    k.FindItem("a");
    k.KillItem();
    k.NewItem("b", KEND);
    EXPECT_EQ(Log(),
              "Maxlinelength = 40 at 4 (SetMaxLineLEngth)\n"
              "Maxlinelength = 40 at 5 (FindItem)\n"
              "Maxlinelength = 40 at 12 (Kill item)\n"
              "Maxlinelength = 40 at 16\n"
              "Maxlinelength = 40 at 9 (NewItem)\n"
              "Maxlinelength = 40 at 10 (CreateNewItem)\n"
              "Maxlinelength = 40 at 11 (CreateNewItem exit)\n");
}

}  // namespace
