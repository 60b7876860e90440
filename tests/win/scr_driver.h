// Starts Novadrift.scr as a child process, dismisses the message boxes it shows
// (recording caption and text) and never waits longer than its time-out.
#pragma once

#include <cstdint>
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
