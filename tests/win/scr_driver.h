// Starts Novadrift.scr as a child process, dismisses the message boxes it shows
// (recording caption and text) and never waits longer than its time-out; sends it real
// input through the system's input queue (SendInput) and reads its window's pixels
// back from the desktop.
#pragma once

#include <windows.h>

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

// Puts a file back as it was when the guard was made.
class RestoredFile {
public:
    explicit RestoredFile(std::string path);
    ~RestoredFile();
    const std::string& Bytes() const { return bytes; }

private:
    std::string path;
    std::string bytes;
};

// One run of the program driven step by step: every wait pumps this thread's messages
// and records (and answers) the program's message boxes. The destructor ends a program
// still running.
class ScrSession {
public:
    ScrSession() = default;
    ~ScrSession();
    ScrSession(const ScrSession&) = delete;
    ScrSession& operator=(const ScrSession&) = delete;

    // Runs "<programPath><arguments>" (arguments taken as they are, so leading spaces
    // reach the program) in workingDirectory, or the program's own directory when empty.
    bool Start(const std::string& programPath, const std::string& arguments,
               const std::string& workingDirectory = "");
    // Novadrift.scr beside the test program.
    bool Start(const std::string& arguments);
    // One wait of up to stepMs; false once the program has ended.
    bool Pump(unsigned stepMs = 50);
    // Until condition() holds (true), or the program ends or timeoutMs pass (false).
    bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs);
    // Until the log beside the program holds this line (time stamp taken off).
    bool WaitForLogLine(const std::string& line, unsigned timeoutMs = 30000);
    // Until the program ends; timeoutMs from now it is ended and the run marked timed
    // out.
    ScrRun Finish(unsigned timeoutMs);
    bool Running();
    // Milliseconds since the start.
    unsigned Elapsed() const;

    ScrRun run;

private:
    void Terminate();

    PROCESS_INFORMATION process = {};
    std::string logPath;
    DWORD startTick = 0;
};

// Runs "<directory>\Novadrift.scr<arguments>" to its end from that directory:
// programDirectory (with a trailing backslash), or the test program's own when empty.
// The program works in its own directory whatever it is started from; a copy of it
// elsewhere reads the data there.
// whileRunning, when given, is called about every 50 ms with the milliseconds since
// the start, to act on the running program (send a key, close its window).
ScrRun RunScr(const std::string& arguments, unsigned timeoutMs = 30000,
              const std::string& programDirectory = "",
              const std::function<void(unsigned elapsedMs)>& whileRunning = {});
// The same for a program at another path; the working directory is the program's own
// directory when none is given.
ScrRun RunScrAt(const std::string& programPath, const std::string& arguments,
                unsigned timeoutMs = 30000, const std::string& workingDirectory = "",
                const std::function<void(unsigned elapsedMs)>& whileRunning = {});

// Posts a close request to the program's main window (class "Novadrift"); false when
// there is none.
bool CloseScrWindow();
// Whether the program's window is up and has the input focus.
bool SaverWindowActive();

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
// The log beside the test program, as LogBodies gives it.
std::vector<std::string> RunLog();
bool HasLine(const std::vector<std::string>& lines, const std::string& line);

// ---------------------------------------------------------------- input

// A key pressed and released through the system's input queue, as a user's would be;
// it goes to the window with the input focus. key is a virtual-key code.
void PressKey(WORD key);
void KeyDown(WORD key);
void KeyUp(WORD key);
// Relative mouse movement through the system's input queue.
void MoveMouse(LONG dx, LONG dy);
// Puts the pointer at (x, y) of the screen with the X server's input tool (xdotool) on
// the display Wine draws to: the move reaches the program from the X server as a real
// mouse's does. (Relative movement, sent with SendInput or made by xdotool, comes to a
// program that keeps putting the cursor back in the middle once more as raw motion.)
bool PlacePointer(int x, int y);
// MOUSEEVENTF_LEFTDOWN and the like.
void MouseButton(DWORD flags);
void ClickLeft();

// ---------------------------------------------------------------- pixels

struct Pixel {
    int r, g, b;
};

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    const Pixel& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The program's window as it is on the desktop now; empty when there is none.
Shot CaptureScrWindow();
// A 24-bit BMP of the shot.
bool SaveShotBmp(const Shot& shot, const std::string& path);
