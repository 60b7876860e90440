#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "scr_driver.h"

namespace {

// Lines appear in this order (others may stand between them).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    auto from = lines.begin();
    for (const std::string& line : wanted) {
        from = std::find(from, lines.end(), line);
        if (from == lines.end()) return false;
    }
    return true;
}

// A run that cannot open any screen: its own log replaces an earlier run's (left there
// by the test, as a run before it would), and it ends with the Error box.
TEST(ScrStart, WithoutAnyScreenWritesAFreshLogAndEndsWithTheErrorBox) {
    const std::string logPath = TestProgramDirectory() + "Novadrift.log";
    const std::string earlier =
        "    0.000 : INIT : --- Application started at : 2001-01-01  0:00:00 ---\n"
        "    0.001 : INIT : left by an earlier run\n";
    std::ofstream(logPath, std::ios::binary) << earlier;
    NoRenderDrivers noDrivers;
    ExpectedBox error("Error", "Unable to find a fullscreen compatible screen");
    ScrSession session;
    session.LeaveEarlierLog();
    ASSERT_TRUE(session.Start("  /c   123 "));
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Error");

    const std::string log = ReadFileText(logPath);
    std::vector<std::string> bodies = LogBodies(log);
    ASSERT_GE(bodies.size(), 5u) << log;
    EXPECT_EQ(log.find("earlier run"), std::string::npos) << log;
    std::regex started(
        "INIT : --- Application started at : [0-9]{4}-[0-9]{2}-[0-9]{1,2} "
        "[0-9 ][0-9]:[0-9]{2}:[0-9]{2} ---");
    EXPECT_TRUE(std::regex_match(bodies.front(), started)) << bodies.front();
    EXPECT_EQ(std::count_if(bodies.begin(), bodies.end(),
                            [](const std::string& line) {
                                return line.rfind("INIT : --- Application started", 0) == 0;
                            }),
              1);
    EXPECT_EQ(bodies[1], "INIT : StartupCode");
    std::regex returned(
        "EXIT : --- Application returned at : [0-9]{4}-[0-9]{2}-[0-9]{1,2} "
        "[0-9 ][0-9]:[0-9]{2}:[0-9]{2} ---");
    EXPECT_TRUE(std::regex_match(bodies.back(), returned)) << bodies.back();
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), "EXIT : Entering ExitCode"), 1);
    EXPECT_TRUE(InOrder(
        bodies, {"INIT : Entering xMain", "INIT : Entering Init", "INIT : Creating sys globals",
                 "INIT : Register class", "INIT : Entering startup",
                 "INIT : Trying to setup screen from config file",
                 "INIT : Failed. So trying to find a compatible screen",
                 "RAW:Error : Unable to find a fullscreen compatible screen",
                 "EXIT : Free all screens", "EXIT : xExit - done", "EXIT : Entering ExitCode"}));
    // Init failed: no main loop.
    EXPECT_FALSE(HasLine(bodies, "INIT :  ----- Entering main loop -----"));
}

}  // namespace

namespace {

const char kProgramKey[] = "SOFTWARE\\Novadrift";

void SetDataPath(const std::string& path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "DataPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   DWORD(path.size() + 1));
    RegCloseKey(key);
}

// Without gui.cfg beside it, the program takes its data folder from the registry and
// keeps the settings file and the log of the run in the user's own folder, neither
// beside itself nor in the data folder.
TEST(ScrStart, TheDataFolderComesFromTheRegistryWhenGuiCfgIsNotBesideTheProgram) {
    std::string elsewhere = TestProgramDirectory() + "elsewhere\\";
    std::string data = TestProgramDirectory() + "regdata";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    CreateDirectoryA(data.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "Novadrift.scr").c_str(),
                          (elsewhere + "Novadrift.scr").c_str(), FALSE));
    DeleteFileA((data + "\\novadrift.cfg").c_str());
    DeleteFileA((elsewhere + "novadrift.cfg").c_str());
    const std::string local = TestProgramDirectory() + "regdata-user";
    OtherUserFolder user(local);
    const std::string own = local + "\\Novadrift\\";
    DeleteFileA((own + "novadrift.cfg").c_str());

    SetDataPath(data);
    ScrRun run = RunScrAt(elsewhere + "Novadrift.scr", " /a");
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty());
    std::vector<std::string> log = LogBodies(ReadFileText(own + "Novadrift.log"));
    EXPECT_TRUE(InOrder(log, {"INIT : Didn't find gui.cfg. Getting real dir",
                              "INIT : Setting dir to " + data, "INIT : Dir change ok"}));
    EXPECT_EQ(ReadFileText(own + "novadrift.cfg").size(), 386u);
    for (const std::string& other : {elsewhere, data + "\\"})
        for (const char* name : {"novadrift.cfg", "Novadrift.log"})
            EXPECT_EQ(GetFileAttributesA((other + name).c_str()), INVALID_FILE_ATTRIBUTES)
                << other << name;

    // A folder that is not there: the run stays where it is and says why at the end.
    SetDataPath("C:\\no\\such\\folder");
    ExpectedBox error("Error", "Unable to change dir");
    run = RunScrAt(elsewhere + "Novadrift.scr", " /a");
    ASSERT_TRUE(run.started);
    log = LogBodies(ReadFileText(own + "Novadrift.log"));
    EXPECT_TRUE(InOrder(log, {"INIT : Setting dir to C:\\no\\such\\folder",
                              "RAW:Error : Unable to change dir"}));
    EXPECT_FALSE(HasLine(log, "INIT : Dir change ok"));
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Error");
    EXPECT_EQ(run.boxes[0].text, "Unable to change dir");

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    DeleteFileA((elsewhere + "Novadrift.scr").c_str());
}

}  // namespace
