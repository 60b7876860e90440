// Starts Novadrift.scr as a child process, dismisses the message boxes it shows
// (recording caption and text) and never waits longer than its time-out.
#pragma once

#include <string>
#include <vector>

struct ShownBox {
    std::string caption;
    std::string text;
};

struct ScrRun {
    bool started = false;
    bool timedOut = false;
    unsigned long exitCode = 0;
    std::vector<ShownBox> boxes;
};

// The directory of the running test program, with a trailing backslash.
std::string TestProgramDirectory();
std::string ReadFileText(const std::string& path);

// Runs "<directory>\Novadrift.scr<arguments>" (arguments taken as they are, so leading
// spaces reach the program) with the working directory set to workingDirectory, or
// the program's directory when empty.
ScrRun RunScr(const std::string& arguments, unsigned timeoutMs = 30000,
              const std::string& workingDirectory = "");

// Sets an environment variable for the programs started while it lives (a machine
// without render drivers is simulated with WINEDLLOVERRIDES).
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();

private:
    std::string name;
    std::string previous;
    bool hadPrevious;
};

// The log's lines with their time stamps taken off ("INIT : StartupCode"); lines
// without a stamp come as "RAW:" and the text.
std::vector<std::string> LogBodies(const std::string& log);
