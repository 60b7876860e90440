// Starts Novadrift.scr as a child process, dismisses the message boxes it shows
// (recording caption and text) and never waits longer than its time-out; sends it
// keys, reads its log and captures what its window shows.
#pragma once

#include <cstddef>
#include <functional>
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
// whileRunning, when given, is called about every 50 ms with the milliseconds since
// the start, to act on the running program (send a key, close its window).
ScrRun RunScr(const std::string& arguments, unsigned timeoutMs = 30000,
              const std::string& workingDirectory = "",
              const std::function<void(unsigned elapsedMs)>& whileRunning = {});
// The same for a program at another path; the working directory is the program's own
// directory when none is given.
ScrRun RunScrAt(const std::string& programPath, const std::string& arguments,
                unsigned timeoutMs = 30000, const std::string& workingDirectory = "",
                const std::function<void(unsigned elapsedMs)>& whileRunning = {});

// Posts a close request to the program's main window (class "Novadrift"); false when
// there is none.
bool CloseScrWindow();

// While it lives, Novadrift.scr runs as on a machine without render drivers: Wine's
// per-program DLL overrides disable opengl32.dll and ddraw.dll for it.
class NoRenderDrivers {
public:
    NoRenderDrivers();
    ~NoRenderDrivers();
};

// The log's lines with their time stamps taken off ("INIT : StartupCode"); lines
// without a stamp come as "RAW:" and the text.
std::vector<std::string> LogBodies(const std::string& log);

// The log of the last run beside the test program, as LogBodies gives it.
std::vector<std::string> RunLog();
bool HasLine(const std::vector<std::string>& lines, const std::string& line);

// A key pressed and released through the system's input queue, as a user's would be;
// it goes to the window with the input focus. key is a virtual-key code.
void PressKey(unsigned short key);
// Whether the saver's window is up and has the input focus.
bool SaverWindowActive();

struct Pixel {
    int r, g, b;
};

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    const Pixel& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The saver's window as it is on the desktop now; empty when there is none.
Shot CaptureScrWindow();
