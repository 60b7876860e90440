// Starts Novadrift.scr as a child process, dismisses the message boxes it shows
// (recording caption and text) and never waits longer than its time-out.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
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

// Posts a close request to the program's main window (class "Novadrift"); false when
// there is none.
bool CloseScrWindow();

// While it lives, Novadrift.scr runs without the named libraries: Wine's per-program
// DLL overrides disable them for it.
class DisabledLibraries {
public:
    explicit DisabledLibraries(std::initializer_list<const char*> libraries);
    ~DisabledLibraries();
};

// As on a machine without render drivers: no opengl32.dll and no ddraw.dll.
class NoRenderDrivers : public DisabledLibraries {
public:
    NoRenderDrivers() : DisabledLibraries({"opengl32", "ddraw"}) {}
};

// As on a machine without DirectX: no ddraw.dll.
class NoDirectDraw : public DisabledLibraries {
public:
    NoDirectDraw() : DisabledLibraries({"ddraw"}) {}
};

// The log's lines with their time stamps taken off ("INIT : StartupCode"); lines
// without a stamp come as "RAW:" and the text.
std::vector<std::string> LogBodies(const std::string& log);
// The lines of Novadrift.log beside the program, as LogBodies gives them.
std::vector<std::string> RunLog();
// Removes the log of an earlier run, so a test that waits for a line of the next run
// does not find it there before that run has begun.
void RemoveRunLog();
bool HasLine(const std::vector<std::string>& lines, const std::string& line);

// A key pressed and released through the system's input queue, as a user's would.
void PressKey(unsigned short virtualKey);
// The names of the screenshots (ScrShots\qv*.bmp) beside the program.
std::vector<std::string> Screenshots();
// A little-endian 32-bit value in a file's bytes.
uint32_t Le32(const std::string& bytes, size_t at);

// A settings file (novadrift.cfg) as the settings dialog would leave it.
struct SettingsFile {
    int32_t width = 640;
    int32_t height = 480;
    int32_t bits = 16;
    int32_t priority = 100;
    // The screens chosen for the screensaver and for the preview by kind: 1 the
    // standard OpenGL screen, 3 the Direct3D screen; 0 leaves the choice to the program.
    int32_t screenKind = 0;
    int32_t previewKind = 0;
};
void WriteSettingsFile(const std::string& path, const SettingsFile& settings);
