// Sections: expected boxes; runs and the session; disabled libraries and the browser;
// the log and the display mode; input; pictures of the desktop; the Unix side
// (ImageMagick, xdotool); screenshots; dialogs; files.
#include "scr_driver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <gdiplus.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <list>
#include <regex>
#include <sstream>

#include "send_key.h"

namespace {

// Generous ceilings for what the program does at once: a box closing once answered, an
// ended run's process going away.
const DWORD kBoxCloseMs = 10000;
const DWORD kProcessEndMs = 15000;

std::list<ShownBox>& ExpectedBoxes() {
    static std::list<ShownBox> boxes;
    return boxes;
}

bool IsExpected(const ShownBox& box) {
    for (const ShownBox& expected : ExpectedBoxes())
        if (expected.caption == box.caption && expected.text == box.text) return true;
    return false;
}

// The settings and about dialogs, told from a message box by their own controls.
bool IsProgramDialog(HWND window, const std::string& caption) {
    return (caption == "Novadrift" && GetDlgItem(window, 1014)) ||
           (caption == "About" && GetDlgItem(window, 1012));
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    // The program's own dialogs are worked by the tests, not dismissed.
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (IsProgramDialog(window, caption)) return TRUE;
    // A message box has its text; a dialog on its way out has lost its controls.
    if (!GetDlgItem(window, 0xFFFF)) return TRUE;
    search->found = window;
    return FALSE;
}

// Whether a program of this file name runs (under Wine: in this prefix).
bool ProgramRuns(const std::string& fileName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, fileName.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

// Until condition() holds, polled every few milliseconds; false when ceilingMs passed.
bool PollUntil(const std::function<bool()>& condition, DWORD ceilingMs) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (condition()) return true;
        if (GetTickCount() - start >= ceilingMs) return condition();
    }
}

}  // namespace

ExpectedBox::ExpectedBox(const std::string& caption, const std::string& text) : box{caption, text} {
    ExpectedBoxes().push_back(box);
}

ExpectedBox::~ExpectedBox() {
    std::list<ShownBox>& boxes = ExpectedBoxes();
    boxes.erase(std::find_if(boxes.begin(), boxes.end(), [this](const ShownBox& expected) {
        return expected.caption == box.caption && expected.text == box.text;
    }));
}

std::string TestProgramDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool CloseScrWindow() {
    HWND window = FindWindowA("Novadrift", nullptr);
    if (!window) return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return true;
}

ScrRun RunScr(const std::string& arguments, unsigned timeoutMs, const std::string& workingDirectory,
              const std::function<void(unsigned elapsedMs)>& whileRunning) {
    return RunScrAt(TestProgramDirectory() + "Novadrift.scr", arguments, timeoutMs,
                    workingDirectory, whileRunning);
}

ScrRun RunScrAt(const std::string& programPath, const std::string& arguments, unsigned timeoutMs,
                const std::string& workingDirectory,
                const std::function<void(unsigned elapsedMs)>& whileRunning) {
    ScrSession session;
    if (!session.Start(programPath, arguments, workingDirectory)) return session.run;
    auto act = [&] {
        if (whileRunning) whileRunning(session.Elapsed());
    };
    while (session.Pump(50, act))
        if (session.Elapsed() >= timeoutMs) break;
    return session.Finish(0);
}

// ---------------------------------------------------------------- ScrSession

ScrSession::~ScrSession() {
    if (run.started && Running()) Terminate();
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
}

bool ScrSession::Start(const std::string& programPath, const std::string& arguments,
                       const std::string& workingDirectory) {
    std::string directory = programPath.substr(0, programPath.find_last_of("\\/") + 1);
    // Where the program keeps its log: beside a portable copy (gui.cfg beside it), else in
    // the user's own folder.
    const bool portable =
        GetFileAttributesA((directory + "gui.cfg").c_str()) != INVALID_FILE_ATTRIBUTES;
    logPath = (portable ? directory : UserFolder()) + "Novadrift.log";
    // A line of an earlier run's log must not pass for one of this run, nor may an
    // earlier run still write to it.
    const std::string fileName = programPath.substr(directory.size());
    if (!PollUntil([&] { return !ProgramRuns(fileName); }, kProcessEndMs)) {
        ADD_FAILURE() << "an earlier run of " << fileName << " has not ended";
        return false;
    }
    if (!leaveEarlierLog) {
        DeleteFileA(logPath.c_str());
        if (GetFileAttributesA(logPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ADD_FAILURE() << "the log of an earlier run stays: " << logPath;
            return false;
        }
    }
    std::string commandLine = "\"" + programPath + "\"" + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const std::string& cwd = workingDirectory.empty() ? directory : workingDirectory;
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(),
                        &startup, &process))
        return false;
    run.started = true;
    startTick = GetTickCount();
    return true;
}

bool ScrSession::Start(const std::string& arguments) {
    return Start(TestProgramDirectory() + "Novadrift.scr", arguments);
}

unsigned ScrSession::Elapsed() const {
    return GetTickCount() - startTick;
}

bool ScrSession::Running() {
    return run.started && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

bool ScrSession::Pump(unsigned stepMs, const std::function<void()>& beforeBoxes) {
    if (!run.started) return false;
    // Messages are pumped while waiting: a preview host window of this thread must
    // answer its child in the other process.
    if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, stepMs, QS_ALLINPUT) ==
        WAIT_OBJECT_0)
        return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (beforeBoxes) beforeBoxes();
    BoxSearch search = {process.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) AnswerBox(search.found);
    return Running();
}

void ScrSession::AnswerBox(HWND box) {
    char caption[256] = {};
    char text[2048] = {};
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    run.boxes.push_back({caption, text});
    if (!IsExpected(run.boxes.back()))
        ADD_FAILURE() << "a message box nobody expected: \"" << caption << "\": " << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Gone before the next look, so that it is recorded once.
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (GetTickCount() - start >= kBoxCloseMs) {
            ADD_FAILURE() << "the box \"" << caption << "\" stays after its answer";
            return;
        }
        MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

bool ScrSession::WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs || !Pump(20)) return condition();
    }
}

bool ScrSession::WaitForLogLine(const std::string& line, unsigned timeoutMs) {
    return WaitUntil([&] { return HasLine(LogBodies(ReadFileText(logPath)), line); }, timeoutMs);
}

void ScrSession::Terminate() {
    TerminateProcess(process.hProcess, 99);
    if (WaitForSingleObject(process.hProcess, kProcessEndMs) != WAIT_OBJECT_0)
        ADD_FAILURE() << "the program does not end";
    // An ended program cannot give back a display mode it set; the next run needs the
    // desktop's.
    ChangeDisplaySettingsA(nullptr, 0);
}

ScrRun ScrSession::Finish(unsigned timeoutMs) {
    if (!run.started) return run;
    const DWORD start = GetTickCount();
    while (Pump(50))
        if (GetTickCount() - start >= timeoutMs) {
            run.timedOut = true;
            Terminate();
            break;
        }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    return run;
}

namespace {

const char* const kOverrideKey = "Software\\Wine\\AppDefaults\\Novadrift.scr\\DllOverrides";

}  // namespace

DisabledLibraries::DisabledLibraries(std::initializer_list<const char*> libraries) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverrideKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const char* library : libraries)
        RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
}

DisabledLibraries::~DisabledLibraries() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kOverrideKey);
}

namespace {

const char* const kHttpsCommand = "Software\\Classes\\https\\shell\\open\\command";

void SetHttpsCommand(const std::string& command) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHttpsCommand, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD(command.size() + 1));
    RegCloseKey(key);
}

}  // namespace

NoWebBrowser::NoWebBrowser() {
    char command[1024] = {};
    LONG size = sizeof command - 1;
    if (RegQueryValueA(HKEY_LOCAL_MACHINE, kHttpsCommand, command, &size) == ERROR_SUCCESS)
        savedCommand = command;
    SetHttpsCommand("\"C:\\no web browser\\browser.exe\" \"%1\"");
}

NoWebBrowser::~NoWebBrowser() {
    if (!savedCommand.empty()) SetHttpsCommand(savedCommand);
}

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

std::vector<std::string> RunLog() {
    return LogBodies(ReadFileText(TestProgramDirectory() + "Novadrift.log"));
}

void RemoveRunLog() {
    const std::string path = TestProgramDirectory() + "Novadrift.log";
    DeleteFileA(path.c_str());
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

double LineStamp(const std::string& log, const std::string& body) {
    std::istringstream lines(log);
    std::string line;
    const std::regex stamped("^ *([0-9]+\\.[0-9]{3}) : (.*?)\r?$");
    while (std::getline(lines, line)) {
        std::smatch match;
        if (std::regex_match(line, match, stamped) && match[2] == body) return std::stod(match[1]);
    }
    return -1;
}

namespace {

// The display mode that display_mode.exe prints; false when it tells none.
bool DisplayModeOfANewProgram(DisplayMode* mode) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string commandLine = "\"" + TestProgramDirectory() + "display_mode.exe\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string text;
    if (started) {
        char chunk[64];
        DWORD got;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got)
            text.append(chunk, got);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return std::sscanf(text.c_str(), "%dx%dx%d", &mode->width, &mode->height, &mode->bits) == 3;
}

}  // namespace

DisplayMode CurrentDisplayMode() {
    // Asked of a program started for it: under Wine a long-running process (this one)
    // can lose its view of the display devices after another program's mode changes,
    // while every program started later sees them. Wine also writes its list of devices
    // anew after a mode change, and a question in between finds none for a moment.
    DisplayMode mode;
    const DWORD start = GetTickCount();
    while (!DisplayModeOfANewProgram(&mode)) {
        if (GetTickCount() - start > 5000) return DisplayMode();
        Sleep(20);
    }
    return mode;
}

std::string ModeName(const DisplayMode& mode) {
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
           std::to_string(mode.bits);
}

void KeyDown(WORD virtualKey) {
    SendKey(virtualKey, 0);
}

void KeyUp(WORD virtualKey) {
    SendKey(virtualKey, KEYEVENTF_KEYUP);
}

void PressKey(WORD virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void MoveMouse(LONG dx, LONG dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(INPUT));
}

void MouseButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

void ClickLeft() {
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

bool SaverWindowActive() {
    HWND window = FindWindowA("Novadrift", nullptr);
    return window && GetForegroundWindow() == window;
}

Shot CaptureScrWindow() {
    return CaptureWindow(FindWindowA("Novadrift", nullptr));
}

Shot CaptureWindow(HWND window) {
    if (!window) return Shot();
    RECT rect = {};
    GetWindowRect(window, &rect);
    return CaptureScreen(rect);
}

Shot CaptureScreen(const RECT& rect) {
    Shot shot;
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    if (shot.width <= 0 || shot.height <= 0) return Shot();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits) {
        HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const uint8_t* p = static_cast<const uint8_t*>(bits);
        shot.pixels.resize(size_t(shot.width) * size_t(shot.height));
        for (Pixel& pixel : shot.pixels) {
            pixel = {p[2], p[1], p[0]};  // stored blue, green, red, unused
            p += 4;
        }
        SelectObject(memory, old);
    }
    if (section) DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

namespace {

// A binary PPM (P6) of 8-bit channels.
Shot ReadPpm(const std::string& bytes) {
    Shot shot;
    std::istringstream header(bytes);
    std::string magic;
    int maximum = 0;
    header >> magic >> shot.width >> shot.height >> maximum;
    if (magic != "P6" || maximum != 255 || shot.width <= 0 || shot.height <= 0) return Shot();
    size_t start = size_t(header.tellg()) + 1;  // one white-space byte ends the header
    size_t count = size_t(shot.width) * size_t(shot.height);
    if (bytes.size() < start + count * 3) return Shot();
    shot.pixels.resize(count);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data()) + start;
    for (Pixel& pixel : shot.pixels) {
        pixel = {p[0], p[1], p[2]};
        p += 3;
    }
    return shot;
}

// Runs a shell command of the Unix side to its end, within the time-out; its output in
// `output`. Wine runs a Unix program given to CreateProcess, but gives no handle to wait
// on: the output is written under a temporary name and renamed when complete, with the
// command's exit status after it. Z: is Wine's drive for the Unix root. The Unix side
// gets Wine's PATH, which names no Unix directories.
bool RunUnixCommand(const std::string& command, std::string* output, unsigned timeoutMs) {
    static int counter = 0;
    const std::string name =
        "novadrift-unix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    const std::string unixPath = "/tmp/" + name, windowsPath = "Z:\\tmp\\" + name;
    DeleteFileA(windowsPath.c_str());
    std::string line = "/bin/sh -c \"PATH=/usr/bin:/bin; (" + command + ") > " + unixPath +
                       ".part; printf '\\n%s\\n' \"$?\" >> " + unixPath + ".part; mv " + unixPath +
                       ".part " + unixPath + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    if (!PollUntil(
            [&] { return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
            timeoutMs))
        return false;
    std::string text = ReadFileText(windowsPath);
    DeleteFileA(windowsPath.c_str());
    // The output, a line feed, the exit status and a line feed.
    if (text.size() < 3) return false;
    const size_t end = text.find_last_of('\n', text.size() - 2);
    if (end == std::string::npos) return false;
    if (output) *output = text.substr(0, end);
    // The shell's status for a command it cannot find: the set-up lacks a tool a test
    // needs, which fails the test rather than passing it by.
    if (text.compare(end, std::string::npos, "\n127\n") == 0)
        ADD_FAILURE() << "not installed (scripts/setup.sh installs it): " << command;
    return text.compare(end, std::string::npos, "\n0\n") == 0;
}

}  // namespace

Shot CaptureXRoot(unsigned timeoutMs) {
    std::string picture;
    if (!RunUnixCommand("import -window root -depth 8 ppm:-", &picture, timeoutMs)) return Shot();
    return ReadPpm(picture);
}

namespace {

// Where the screen's top-left corner lies on the X screen: the X pointer's place less
// the cursor's, taken once.
bool ScreenOrigin(int* x, int* y) {
    static bool known = false;
    static int originX = 0, originY = 0;
    if (!known) {
        POINT cursor;
        std::string place;
        std::smatch match;
        if (!GetCursorPos(&cursor) ||
            !RunUnixCommand("xdotool getmouselocation --shell", &place, 10000) ||
            !std::regex_search(place, match, std::regex("X=(-?[0-9]+)\\s+Y=(-?[0-9]+)")))
            return false;
        originX = std::stoi(match[1]) - cursor.x;
        originY = std::stoi(match[2]) - cursor.y;
        known = true;
    }
    *x = originX;
    *y = originY;
    return true;
}

}  // namespace

bool PlacePointer(int x, int y) {
    int originX, originY;
    if (!ScreenOrigin(&originX, &originY)) return false;
    return RunUnixCommand(
        "xdotool mousemove " + std::to_string(originX + x) + " " + std::to_string(originY + y),
        nullptr, 10000);
}

std::string DesktopModeName() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN)) + "x" + std::to_string(bits);
}

std::vector<std::string> Screenshots() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((TestProgramDirectory() + "ScrShots\\qv*.bmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveScreenshots() {
    for (const std::string& name : Screenshots()) {
        const std::string path = TestProgramDirectory() + "ScrShots\\" + name;
        DeleteFileA(path.c_str());
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    }
}

std::string NewScreenshot(const std::vector<std::string>& before) {
    std::vector<std::string> added;
    for (const std::string& name : Screenshots())
        if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
    return added.size() == 1 ? added[0] : "";
}

Shot ReadBmp24(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    Shot shot;
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 || uint8_t(bytes[28]) != 24)
        return shot;
    shot.width = int(Le32(bytes, 18));
    shot.height = int(Le32(bytes, 22));
    // Rows stored bottom-up, blue first, padded to 4 bytes.
    size_t pitch = (size_t(shot.width) * 3 + 3) & ~size_t(3);
    size_t start = Le32(bytes, 10);
    if (bytes.size() < start + pitch * size_t(shot.height)) return Shot();
    for (int y = 0; y < shot.height; ++y) {
        const uint8_t* row =
            reinterpret_cast<const uint8_t*>(bytes.data()) + start + pitch * (shot.height - 1 - y);
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back({row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    return shot;
}

bool SavePng(const Shot& shot, const std::string& path) {
    if (shot.pixels.empty()) return false;
    std::vector<uint8_t> rows;
    rows.reserve(shot.pixels.size() * 4);
    for (const Pixel& pixel : shot.pixels)
        rows.insert(rows.end(), {uint8_t(pixel.b), uint8_t(pixel.g), uint8_t(pixel.r), 0xFF});
    std::wstring widePath(path.begin(), path.end());
    // GDI+'s PNG encoder.
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved;
    {
        Gdiplus::Bitmap bitmap(shot.width, shot.height, shot.width * 4, PixelFormat32bppRGB,
                               rows.data());
        saved = bitmap.Save(widePath.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

HWND FindProgramDialog(const char* caption) {
    HWND dialog = FindWindowA("#32770", caption);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

// Strings cross to the other process as wide text.
std::vector<std::string> ListTexts(HWND dialog, int id) {
    std::vector<std::string> texts;
    HWND list = GetDlgItem(dialog, id);
    LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, WPARAM(i), 0) >= LRESULT(256)) break;
        SendMessageW(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        char narrow[256] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        texts.push_back(narrow);
    }
    return texts;
}

int SelectedPosition(HWND dialog, int id) {
    LRESULT position = SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0);
    return position == CB_ERR ? -1 : int(position);
}

void ChooseListEntry(HWND dialog, int id, int position) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, WPARAM(position), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

uint32_t Le32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

void WriteSettingsFile(const std::string& path, const SettingsValues& values) {
    auto le32 = [](uint32_t value) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) bytes[i] = char(value >> (8 * i));
        return bytes;
    };
    std::string header(1, '\1');
    header += le32(values.reservedWord) + std::string(64, '\0');
    for (int32_t value : {values.width, values.height, values.bits, values.displayMode,
                          values.background, values.priority})
        header += le32(uint32_t(value));
    // A screen choice: valid, kind, display mode and size, then a device part that every
    // screen accepts (its first 16 bits 1).
    auto selection = [&](int32_t kind, int32_t displayMode) {
        if (kind == 0) return std::string(128, '\0');
        std::string block;
        for (int32_t value : {1, 0, kind, displayMode, values.width, values.height, values.bits})
            block += le32(uint32_t(value)).substr(0, 2);
        block += std::string(50, '\0') + le32(1).substr(0, 2);
        return block + std::string(128 - block.size(), '\0');
    };
    header += selection(values.screenKind, 1) + selection(values.previewKind, 4);
    std::string inner = std::string("HEADER", 7) + le32(uint32_t(header.size())) + header;
    std::string outer = std::string("NOVADRIFTCFG", 13) + le32(uint32_t(inner.size())) + inner;
    std::string file = std::string("XIFF", 5) + le32(uint32_t(outer.size())) + outer;
    std::ofstream out(path, std::ios::binary);
    out << file;
}

RestoredFile::RestoredFile(const std::string& path) : path(path), bytes(ReadFileText(path)) {}

RestoredFile::~RestoredFile() {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string BackgroundWithStillChannel(std::string background, const std::string& keyword,
                                       float value) {
    // A channel chunk: keyword, zero byte, 32-bit length, then flags, mode, value, low,
    // high, ... as little-endian words.
    size_t at = background.find(keyword + std::string(1, '\0'));
    if (at == std::string::npos || at + keyword.size() + 1 + 4 + 20 > background.size())
        return background;
    size_t fields = at + keyword.size() + 1 + 4;
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const uint32_t words[4] = {0, bits, bits, bits};  // mode, value, low, high
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            background[fields + 4 + 4 * size_t(w) + size_t(b)] = char((words[w] >> (8 * b)) & 0xFF);
    return background;
}

std::string UserFolder() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\Novadrift\\";
}

namespace {

const char* const kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SetLocalAppData(const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Local AppData", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(path.c_str()), DWORD(path.size() + 1));
    RegCloseKey(key);
}

}  // namespace

OtherUserFolder::OtherUserFolder(const std::string& localAppData) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Local AppData",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &size) == ERROR_SUCCESS) {
        saved = value;
        hadValue = true;
    }
    SHCreateDirectoryExA(nullptr, localAppData.c_str(), nullptr);
    SetLocalAppData(localAppData);
}

OtherUserFolder::~OtherUserFolder() {
    if (hadValue)
        SetLocalAppData(saved);
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, "Local AppData");
}
