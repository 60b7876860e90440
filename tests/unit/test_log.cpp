#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "misc.h"
#include "test_support.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { SetLogSwitch(1); }
    void TearDown() override { SetLogSwitch(1); }
    std::string Log() { return scratchLog.Text(); }

    ScratchDirectory scratch;
    ScratchLog scratchLog{scratch.Path()};
};

TEST_F(LogTest, LinesCarryStampAndLabel) {
    LogMessage(LOG_INIT, "Entering %s\n", "xMain");
    LogMessage(LOG_EXIT, "a\n");
    LogMessage(LOG_WARNING, "b\n");
    LogMessage(LOG_SCREEN, "c %d\n", 4);
    LogMessage(7, "no label\n");
    std::regex stamp("^( *[0-9]+\\.[0-9]{3}) : ");
    std::string log = Log();
    std::istringstream lines(log);
    std::string line;
    std::vector<std::string> bodies;
    while (std::getline(lines, line)) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(line, match, stamp)) << line;
        EXPECT_GE(match[1].length(), 5);
        bodies.push_back(match.suffix());
    }
    ASSERT_EQ(bodies.size(), 5u);
    EXPECT_EQ(bodies[0], "INIT : Entering xMain");
    EXPECT_EQ(bodies[1], "EXIT : a");
    EXPECT_EQ(bodies[2], "WARNING : b");
    EXPECT_EQ(bodies[3], "SCREEN : c 4");
    EXPECT_EQ(bodies[4], " : no label");
}

TEST_F(LogTest, StampBeforeTimerInitIsZero) {
    // A fresh clock state is what TimerInit clears to; its stamp reads 0.000.
    FakeClock clock;
    TimerInit();
    LogMessage(LOG_INIT, "x\n");
    FakeClock::Advance(1234);
    LogMessage(LOG_INIT, "y\n");
    EXPECT_EQ(Log(), "0.000 : INIT : x\n1.234 : INIT : y\n");
}

TEST_F(LogTest, FirstWriteReplacesTheOldLogAndRawIgnoresTheSwitch) {
    WriteWholeFile(scratch.Path() + "/Novadrift.log", "left from an earlier run\n");
    SetLogSwitch(0);
    EXPECT_EQ(LogMessage(LOG_INIT, "dropped\n"), 0);
    LogRaw("raw %d\n", 1);
    SetLogSwitch(1);
    LogRaw("raw %s\n", "two");
    EXPECT_EQ(Log(), "raw 1\nraw two\n");
}

TEST_F(LogTest, LongLinesAreCutNotOverflowed) {
    std::string huge(20000, 'x');
    LogMessage(LOG_INIT, "%s", huge.c_str());
    LogRaw("%s%%d", huge.c_str());
    std::string log = Log();
    EXPECT_GT(log.size(), 4000u);
    EXPECT_LT(log.size(), 10000u);
}

TEST_F(LogTest, ACutLineKeepsItsLineEnd) {
    std::string message(6000, 'e');
    LogMessage(LOG_SCREEN, "Extensions : %s\n", message.c_str());
    LogMessage(LOG_SCREEN, "next\n");
    LogRaw("%s\n", message.c_str());
    LogRaw("raw next\n");
    std::istringstream lines(Log());
    std::string line;
    std::vector<std::string> read;
    while (std::getline(lines, line)) read.push_back(line);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_NE(read[0].find(" : SCREEN : Extensions : eee"), std::string::npos);
    EXPECT_EQ(read[0].size(), 4998u) << "cut to the buffer with room for the line end";
    EXPECT_NE(read[1].find(" : SCREEN : next"), std::string::npos);
    EXPECT_EQ(read[2], std::string(4998, 'e'));
    EXPECT_EQ(read[3], "raw next");
}

TEST(LogPath, ExecutableDirectoryFromCommandLine) {
    char directory[300];
    ExecutableDirectoryFromCommandLine("\"C:\\Program Files\\Nd\\Novadrift.scr\" /s", directory,
                                       sizeof directory);
    EXPECT_STREQ(directory, "C:\\Program Files\\Nd\\");
    ExecutableDirectoryFromCommandLine("C:\\Nd\\Novadrift.scr /p 1234", directory, sizeof directory);
    EXPECT_STREQ(directory, "C:\\Nd\\");
    ExecutableDirectoryFromCommandLine("Novadrift.scr /s", directory, sizeof directory);
    EXPECT_STREQ(directory, "");
    ExecutableDirectoryFromCommandLine("build/bin/Novadrift.scr", directory, sizeof directory);
    EXPECT_STREQ(directory, "build/bin/");
    // A path longer than the buffer gives no directory rather than a cut one.
    std::string longPath = "C:\\" + std::string(400, 'd') + "\\Novadrift.scr";
    char small[300];
    ExecutableDirectoryFromCommandLine(longPath.c_str(), small, sizeof small);
    EXPECT_EQ(std::string(small), "");
}

TEST_F(LogTest, LogFromLongExecutablePathStaysInsideItsBuffer) {
    // Without a folder of the user's the log goes beside the program; the program path
    // fits its buffer, the log name after its directory does not.
    std::string directory = scratch.Path() + "/" + std::string(285 - scratch.Path().size(), 'd');
    scratchLog.SetUserDirectory("");
    scratchLog.SetCommandLine("\"" + directory + "/N.scr\"");
    LogMessage(LOG_INIT, "x\n");
    EXPECT_STREQ(LogFilePath(), "Novadrift.log");
    std::string log = ReadTextFile("Novadrift.log");
    EXPECT_NE(log.find(" : INIT : x\n"), std::string::npos) << log;
}

TEST_F(LogTest, ErrorsInBothForms) {
    char message[ERROR_MESSAGE_SIZE] = "untouched";
    EXPECT_FALSE(GetErrorMessage(message));
    EXPECT_STREQ(message, "untouched");

    EXPECT_EQ(SetError(ERR_OUT_OF_MEMORY, "misc", 785), 0);
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message, "Error in : misc\nOn line : 785\n\nOut of memory");

    EXPECT_EQ(SetErrorText("RegisterClass failed : %ld", 1400L), 0);
    ASSERT_TRUE(GetErrorMessage(message));
    EXPECT_STREQ(message, "RegisterClass failed : 1400");
    EXPECT_EQ(GetErrorCode(), -1);

    EXPECT_EQ(Log(), "Error : Out of memory in misc (785)\nError : RegisterClass failed : 1400\n");

    ClearError();
    EXPECT_FALSE(GetErrorMessage(message));
}

std::vector<std::string> shownBoxes;
void RecordBox(WindowHandle, const char* text, const char* caption) {
    shownBoxes.push_back(std::string(caption) + "|" + text);
}

TEST_F(LogTest, ShowLastErrorShowsOnceAndClears) {
    Platform().messageBox = RecordBox;
    shownBoxes.clear();
    EXPECT_EQ(ShowLastError(), 0);
    SetError(ERR_OUT_OF_MEMORY, "misc", 785);
    EXPECT_EQ(ShowLastError(), 1);
    EXPECT_EQ(ShowLastError(), 0);
    SetErrorText("%s", std::string(5000, 'e').c_str());
    EXPECT_EQ(ShowLastError(), 1);
    Platform().messageBox = NativePlatform().messageBox;
    ASSERT_EQ(shownBoxes.size(), 2u);
    EXPECT_EQ(shownBoxes[0], "Error|Error in : misc\nOn line : 785\n\nOut of memory");
    // Free texts are cut to the error text, then to the message buffer.
    EXPECT_EQ(shownBoxes[1], "Error|" + std::string(ERROR_MESSAGE_SIZE - 1, 'e'));
}

TEST(ErrorTable, HasTwentyFourFixedTexts) {
    EXPECT_STREQ(ErrorTableText(0), "No error");
    EXPECT_STREQ(ErrorTableText(4), "End of file reached");
    EXPECT_STREQ(ErrorTableText(12), "Unable to rename file/dir");
    EXPECT_STREQ(ErrorTableText(23), "Unknown/unsupported picture format");
    EXPECT_STREQ(ErrorTableText(24), "");
}

TEST(Clock, MillisecondClockWrapIsHarmless) {
    FakeClock clock;
    FakeClock::Advance(0xFFFFFFFFu - FakeClock::Now() - 100);
    TimerInit();
    FakeClock::Advance(300);  // wraps past 2^32
    EXPECT_NEAR(TimerSeconds(), 0.3, 1e-9);
    EXPECT_EQ(TimerMilliseconds(), 300);
}

}  // namespace
