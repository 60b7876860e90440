// Shared helpers of the unit tests: a scratch directory per test, whole-file reads and
// a fake platform clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"
#include "xsystem.h"

// Makes a fresh directory, enters it, and returns to the old working directory (and
// removes the scratch tree) when destroyed.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& Path() const { return path; }

private:
    std::string previous;
    std::string path;
};

std::string ReadWholeFile(const std::string& path);
// A text file as the program means it: Windows' CR LF line ends read as LF.
std::string ReadTextFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool DirectoryExists(const std::string& path);
std::string CurrentDirectory();

// The log of one test written into a directory of its own: the program path on the
// command line and the user's own folder point there, and the log starts afresh.
// Afterwards the command line, the user's folder and the log are back to normal.
class ScratchLog {
public:
    explicit ScratchLog(const std::string& directory);
    ~ScratchLog();
    // Another full command line (program path first); the next line starts a new log.
    void SetCommandLine(const std::string& commandLine);
    // Another user's own folder (ending in a separator; empty: none); the next line
    // starts a new log.
    void SetUserDirectory(const std::string& path);
    std::string Text() const;

private:
    std::string directory;
};

// Fresh process-wide records (glb, sglb) for one test. When it ends: the message
// handlers and records are freed, the previous records and the whole platform table
// (whatever entries the test replaced) are back.
class TestSystem {
public:
    TestSystem();
    ~TestSystem();
    TestSystem(const TestSystem&) = delete;
    TestSystem& operator=(const TestSystem&) = delete;

private:
    AppGlobals* previousGlb;
    SysGlobals* previousSglb;
    PlatformServices previousPlatform;
};

// A screensaver host that records the closes asked for and answers the password check
// and the foreground window as told; the host in use while it lives.
class FakeSaverHost {
public:
    FakeSaverHost();
    ~FakeSaverHost();
    static std::vector<std::string> closes;     // "window:close" per request
    static int passwordChecks, passwordAnswer;  // answers 1 at the start
    static WindowHandle foreground;

private:
    ScreensaverHost* previous;
};

// Replaces the platform's clock with one the test moves by hand; restores on
// destruction. Sleeps advance the clock and are recorded.
class FakeClock {
public:
    FakeClock();
    ~FakeClock();
    static void Advance(uint32_t milliseconds);
    static uint32_t Now();
    static const std::string& Sleeps();  // "15,2," style record
    static void ForgetSleeps();
};
