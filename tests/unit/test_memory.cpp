#include <gtest/gtest.h>

#include <cstring>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "ansi/memory.h"
#include "misc.h"
#include "test_support.h"

namespace {

class MemoryReportTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    std::string Log() { return scratchLog.Text(); }

    ScratchDirectory scratch;
    ScratchLog scratchLog{scratch.Path()};
};

TEST_F(MemoryReportTest, EmptyManagerWritesNothing) {
    MemoryManager* manager = XNEW(MemoryManager);
    EXPECT_EQ(manager->AllocatedBytes(), 0);
    XDELETE(manager);
    EXPECT_EQ(Log(), "");
}

TEST_F(MemoryReportTest, LeakReportInTheLog) {
    MemoryManager* manager = XNEW(MemoryManager);
    manager->AddEntry("misc.cpp", 12, 0x1000, 100);
    manager->AddEntry(nullptr, 0, 0x2000, 4096);
    manager->AddEntry("file.cpp", 345, 0xabcdef, 8192);
    EXPECT_EQ(manager->AllocatedBytes(), 100 + 4096 + 8192);
    EXPECT_EQ(manager->PageTotal(), 16384);
    XDELETE(manager);
    EXPECT_EQ(Log(),
              "\n------------ Memory leaked ------------\n\n"
              "+-----+----------+----------+----------+----------->\n"
              "| Nr. | Adress   | Size     | Line nr  | Allocated in file\n"
              "+-----+----------+----------+----------+----------->\n"
              "|   0 |     1000 |      100 |       12 | misc.cpp\n"
              "|   1 |     2000 |     4096 |        0 | <File info missing>\n"
              "|   2 |   abcdef |     8192 |      345 | file.cpp\n"
              "+-----+----------+----------+----------+----------->\n"
              "|   3 |        0 |    12388 |          |\n"
              "+-----+----------+----------+----------+\n"
              "+-----+----------+----------+----------+----------->\n"
              "| XXX |        0 |    16384 |          |\n"
              "+-----+----------+----------+----------+\n");
}

TEST_F(MemoryReportTest, PageTotalRoundsDownWithOnePageMinimum) {
    MemoryManager manager;
    manager.AddEntry("a", 1, 1, 8191);
    EXPECT_EQ(manager.PageTotal(), 4096);
    manager.AddEntry("a", 2, 2, 1);
    EXPECT_EQ(manager.PageTotal(), 8192);
    manager.FreeAll();
    EXPECT_EQ(manager.Entries().Count(), 0);
    EXPECT_EQ(manager.AllocatedBytes(), 0);
}

TEST_F(MemoryReportTest, ReportFile) {
    MemoryManager manager;
    manager.AddEntry("misc.cpp", 12, 0x1000, 100);
    manager.AddEntry(nullptr, 7, 0x2000, 4096);
    manager.AddEntry("file.cpp", 345, 0xabcdef, 8192);
    ASSERT_EQ(manager.WriteReport("report.txt"), 1);
    EXPECT_EQ(ReadWholeFile("report.txt"),
              "+------+----------+----------+----------+----------->\n"
              "| Nr.  | Adress   | Size     | Line nr  | Allocated in file\n"
              "+------+----------+----------+----------+----------->\n"
              "|    0 |     1000 |      100 |       12 | misc.cpp\n"
              "|    1 |     2000 |     4096 |        7 | <File info missing>\n"
              "|    2 |   abcdef |     8192 |      345 | file.cpp\n"
              "+------+----------+----------+----------+----------->\n"
              "|    3 |        0 |    12388 |          |\n"
              "|   -  |        0 |    16384 |          |\n"
              "+------+----------+----------+----------+\n");
    manager.FreeAll();
    EXPECT_EQ(manager.WriteReport("no/such/dir/report.txt"), 0);
}

TEST_F(MemoryReportTest, CheckIsNotImplemented) {
    MemoryManager manager;
    EXPECT_EQ(manager.Check(nullptr), 0);
    EXPECT_EQ(GetErrorCode(), ERR_NOT_IMPLEMENTED);
}

TEST(xAlloc, BlocksAreUsableAndZeroSizeIsAllowed) {
    char* block = static_cast<char*>(XALLOC(64));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5a, 64);
    EXPECT_EQ(xFree(block), 1);
    void* empty = XALLOC(0);
    EXPECT_NE(empty, nullptr);
    xFree(empty);
}

}  // namespace

namespace {

bool EndedWithMinusOne(int status) {
#ifdef _WIN32
    return status == -1;
#else
    return WIFEXITED(status) && WEXITSTATUS(status) == 255;
#endif
}

TEST(FatalStop, ReleasesTheSystemAndEndsWithMinusOne) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(FatalStop("Out of memory. In file %s on line %ld", "misc", 785L),
                EndedWithMinusOne, "");
}

}  // namespace
