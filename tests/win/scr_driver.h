// Starts Novadrift.scr as a child process, answers the message boxes it shows
// (recording caption and text, and failing the test on a box it was not told to expect;
// the program's settings and about dialogs are left to the test) and never waits longer
// than its time-out; sends it real input (SendInput, and xdotool for the pointer) and
// reads its window back from the desktop.
#pragma once

#include <windows.h>

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

// While it lives, a message box with this caption and text may be shown by the runs
// the driver starts: it is answered and recorded. A box that no living ExpectedBox
// names is answered too, and fails the test.
class ExpectedBox {
public:
    ExpectedBox(const std::string& caption, const std::string& text);
    ~ExpectedBox();
    ExpectedBox(const ExpectedBox&) = delete;
    ExpectedBox& operator=(const ExpectedBox&) = delete;

private:
    ShownBox box;
};

// The directory of the running test program, with a trailing backslash.
std::string TestProgramDirectory();
std::string ReadFileText(const std::string& path);

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
    // Before it starts, every earlier run of the program must have ended and the log of
    // an earlier run must be gone (the driver removes it), so a line
    // found in the log is this run's; otherwise the test fails and nothing starts.
    bool Start(const std::string& programPath, const std::string& arguments,
               const std::string& workingDirectory = "");
    // Novadrift.scr beside the test program.
    bool Start(const std::string& arguments);
    // One wait of up to stepMs; false once the program has ended. beforeBoxes, when
    // given, runs after this thread's messages and before the boxes are answered, so it
    // sees a box the program has just shown.
    bool Pump(unsigned stepMs = 50, const std::function<void()>& beforeBoxes = {});
    // Until condition() holds (true), or the program ends or timeoutMs pass (false).
    bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs);
    // Until the run's log (beside a portable copy, else in the user's folder) holds this
    // line (time stamp taken off).
    bool WaitForLogLine(const std::string& line, unsigned timeoutMs = 30000);
    // Until the program ends; timeoutMs from now it is ended and the run marked timed
    // out.
    ScrRun Finish(unsigned timeoutMs);
    bool Running();
    // Milliseconds since the start.
    unsigned Elapsed() const;
    // Before Start: the log of an earlier run is left where it is, for a test of how
    // the program itself replaces it.
    void LeaveEarlierLog() { leaveEarlierLog = true; }

    ScrRun run;

private:
    void Terminate();
    void AnswerBox(HWND box);

    PROCESS_INFORMATION process = {};
    std::string logPath;
    DWORD startTick = 0;
    bool leaveEarlierLog = false;
};

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

// While it lives, Novadrift.scr runs without the named libraries: Wine's per-program
// DLL overrides disable them for it. (WINEDLLOVERRIDES set inside Wine does not reach a
// child process: Wine takes its own variables from the Unix environment.)
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

// While it lives, https addresses open with a program that is not there, as on a
// machine without a web browser (Wine's own browser bridge is registered otherwise).
class NoWebBrowser {
public:
    NoWebBrowser();
    ~NoWebBrowser();

private:
    std::string savedCommand;
};

// The log's lines with their time stamps taken off ("INIT : StartupCode"); lines
// without a stamp come as "RAW:" and the text.
std::vector<std::string> LogBodies(const std::string& log);
// The log of the last run beside the test program, as LogBodies gives it.
std::vector<std::string> RunLog();
// Removes the log of an earlier run beside the test program; the test fails when it
// stays. (Every start does this itself.)
void RemoveRunLog();
bool HasLine(const std::vector<std::string>& lines, const std::string& line);
// The time stamp, in seconds of the run, of the first line of a log with this body
// ("SCREEN : Create window"); -1 when there is none.
double LineStamp(const std::string& log, const std::string& body);

// The display's mode now, as every program sees it.
struct DisplayMode {
    int width = 0, height = 0, bits = 0;
};
DisplayMode CurrentDisplayMode();
// "800x600x32".
std::string ModeName(const DisplayMode& mode);

// A key pressed and released through the system's input queue, as a user's would be,
// with its scan code; it goes to the window with the input focus.
void PressKey(WORD virtualKey);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
// Relative mouse movement through the system's input queue.
void MoveMouse(LONG dx, LONG dy);
// MOUSEEVENTF_LEFTDOWN and the like.
void MouseButton(DWORD flags);
void ClickLeft();
// Puts the pointer at (x, y) of the screen with the X server's input tool (xdotool) on
// the display Wine draws to: the move reaches the program from the X server as a real
// mouse's does. (Relative movement sent with SendInput also warps the X pointer, and a
// program that keeps putting the cursor back in the middle then sees it more than
// once.) Under Wine only.
bool PlacePointer(int x, int y);
// Whether the saver's window is up and has the input focus.
bool SaverWindowActive();
// How the log names the desktop mode on this display: "<width>x<height>x<bits>" of the
// whole virtual screen at the desktop's depth.
std::string DesktopModeName();

// Pixels read back from the desktop.
struct Pixel {
    int r, g, b;
};

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    const Pixel& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The window as it is on the desktop now, frame included; empty without a window.
Shot CaptureWindow(HWND window);
// A rectangle of the desktop as it is now.
Shot CaptureScreen(const RECT& rect);
// The saver's window (class "Novadrift") as it is now.
Shot CaptureScrWindow();
// The X display's root window, taken by ImageMagick outside Wine; empty when that
// failed within the time-out.
Shot CaptureXRoot(unsigned timeoutMs = 15000);
// Writes the shot as a PNG picture; false when it could not.
bool SavePng(const Shot& shot, const std::string& path);
// The names of the screenshots (ScrShots\qv*.bmp) beside the program.
std::vector<std::string> Screenshots();
// Removes them, so a test's screenshots are the only ones.
void RemoveScreenshots();
// The one screenshot of those beside the program now that is not in `before`; empty
// when there is not exactly one.
std::string NewScreenshot(const std::vector<std::string>& before);
// A 24-bit BMP file as a picture; empty when the file is not one.
Shot ReadBmp24(const std::string& path);

// A dialog of the program by its caption ("Novadrift", "About"), once it is shown.
HWND FindProgramDialog(const char* caption);
// The texts of a drop-down list of a dialog, and its selected position (-1: none).
std::vector<std::string> ListTexts(HWND dialog, int id);
int SelectedPosition(HWND dialog, int id);
// Selects a position of a drop-down list and tells the dialog, as a user's choice does.
void ChooseListEntry(HWND dialog, int id, int position);
// Clicks a button of a dialog. Posted, so a click that opens a modal window does not
// hold the test.
void ClickButton(HWND dialog, int id);

// The values of a settings file ("novadrift.cfg") that a test chooses. The screens for
// the screensaver and for the preview by kind (1 the standard OpenGL screen, 3 the
// Direct3D screen); 0 leaves the choice empty, to the program.
struct SettingsValues {
    uint32_t reservedWord = 0;
    int32_t width = 640, height = 480, bits = 16, displayMode = 1, background = 0;
    int32_t priority = 100;
    int32_t screenKind = 0, previewKind = 0;
};
void WriteSettingsFile(const std::string& path, const SettingsValues& values);
// A little-endian 32-bit value of a file's bytes.
uint32_t Le32(const std::string& bytes, size_t at);

// Puts a file back as it was when the guard was made.
class RestoredFile {
public:
    explicit RestoredFile(const std::string& path);
    ~RestoredFile();
    RestoredFile(const RestoredFile&) = delete;
    RestoredFile& operator=(const RestoredFile&) = delete;
    const std::string& Bytes() const { return bytes; }

private:
    std::string path;
    std::string bytes;
};

// The background file's bytes with one channel held still at a value (mode none,
// low = high = value); unchanged when the file has no such channel.
std::string BackgroundWithStillChannel(std::string background, const std::string& keyword,
                                       float value);

// The program's own folder for the user of the Wine prefix: the user's local
// application-data folder's Novadrift, with a trailing backslash. An installed program,
// or a copy without gui.cfg beside it, keeps its settings, log, saved background and
// screenshots there.
std::string UserFolder();

// While it lives, the user's local application-data folder is another (the prefix
// user's shell folder setting points there, as another user's would), made when missing.
class OtherUserFolder {
public:
    explicit OtherUserFolder(const std::string& localAppData);
    ~OtherUserFolder();
    OtherUserFolder(const OtherUserFolder&) = delete;
    OtherUserFolder& operator=(const OtherUserFolder&) = delete;

private:
    std::string saved;
    bool hadValue = false;
};
