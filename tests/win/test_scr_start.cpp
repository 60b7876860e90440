#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "scr_driver.h"

namespace {

std::vector<std::string> LogBodies(const std::string& log) {
    std::vector<std::string> bodies;
    std::regex stamped("^ *[0-9]+\\.[0-9]{3} : (.*)$");
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch match;
        if (std::regex_match(line, match, stamped))
            bodies.push_back(match[1]);
        else
            bodies.push_back("RAW:" + line);
    }
    return bodies;
}

TEST(ScrStart, WritesAFreshLogBesideItself) {
    std::string logPath = TestProgramDirectory() + "Novadrift.log";
    {
        std::ofstream old(logPath);
        old << "left by an earlier run\n";
    }
    ScrRun run = RunScr("  /c   123 ");
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    std::string log = ReadFileText(logPath);
    std::vector<std::string> bodies = LogBodies(log);
    ASSERT_GE(bodies.size(), 5u) << log;
    std::regex started("INIT : --- Application started at : [0-9]{4}-[0-9]{2}-[0-9]{1,2} "
                       "[0-9 ][0-9]:[0-9]{2}:[0-9]{2} ---");
    EXPECT_TRUE(std::regex_match(bodies.front(), started)) << bodies.front();
    EXPECT_EQ(bodies[1], "INIT : StartupCode");
    EXPECT_NE(std::find(bodies.begin(), bodies.end(), "INIT : Entering xMain"), bodies.end());
    EXPECT_NE(std::find(bodies.begin(), bodies.end(), "EXIT : Entering ExitCode"), bodies.end());
    std::regex returned("EXIT : --- Application returned at : [0-9]{4}-[0-9]{2}-[0-9]{1,2} "
                        "[0-9 ][0-9]:[0-9]{2}:[0-9]{2} ---");
    EXPECT_TRUE(std::regex_match(bodies.back(), returned)) << bodies.back();
    EXPECT_EQ(log.find("earlier run"), std::string::npos);

    // A second run replaces the log rather than appending to it.
    size_t firstSize = log.size();
    run = RunScr(" /c");
    ASSERT_TRUE(run.started);
    std::string second = ReadFileText(logPath);
    EXPECT_EQ(LogBodies(second).front().rfind("INIT : --- Application started", 0), 0u);
    EXPECT_LT(second.size(), firstSize + 200);
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'),
              std::count(log.begin(), log.end(), '\n'));
}

}  // namespace
