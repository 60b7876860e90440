#include "scr_driver.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

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
    search->found = window;
    return FALSE;
}

}  // namespace

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

RestoredFile::RestoredFile(std::string path)
    : path(std::move(path)), bytes(ReadFileText(this->path)) {}

RestoredFile::~RestoredFile() {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool CloseScrWindow() {
    HWND window = FindWindowA("Novadrift", nullptr);
    if (!window) return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return true;
}

bool SaverWindowActive() {
    HWND window = FindWindowA("Novadrift", nullptr);
    return window && GetForegroundWindow() == window;
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
    logPath = directory + "Novadrift.log";
    // A line of an earlier run's log must not pass for one of this run.
    DeleteFileA(logPath.c_str());
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

bool ScrSession::Pump(unsigned stepMs) {
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
    BoxSearch search = {process.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
        char caption[256] = {};
        char text[2048] = {};
        GetWindowTextA(search.found, caption, sizeof caption);
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        run.boxes.push_back({caption, text});
        PostMessageA(search.found, WM_COMMAND, IDOK, 0);
        Sleep(200);
    }
    return Running();
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
    WaitForSingleObject(process.hProcess, 5000);
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

ScrRun RunScr(const std::string& arguments, unsigned timeoutMs, const std::string& programDirectory,
              const std::function<void(unsigned elapsedMs)>& whileRunning) {
    const std::string& directory =
        programDirectory.empty() ? TestProgramDirectory() : programDirectory;
    return RunScrAt(directory + "Novadrift.scr", arguments, timeoutMs, "", whileRunning);
}

ScrRun RunScrAt(const std::string& programPath, const std::string& arguments, unsigned timeoutMs,
                const std::string& workingDirectory,
                const std::function<void(unsigned elapsedMs)>& whileRunning) {
    ScrSession session;
    if (!session.Start(programPath, arguments, workingDirectory)) return session.run;
    while (session.Pump(50)) {
        if (whileRunning) whileRunning(session.Elapsed());
        if (session.Elapsed() >= timeoutMs) break;
    }
    return session.Finish(0);
}

// ---------------------------------------------------------------- render drivers

namespace {

const char* const kOverrideKey = "Software\\Wine\\AppDefaults\\Novadrift.scr\\DllOverrides";

}  // namespace

NoRenderDrivers::NoRenderDrivers() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverrideKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const char* library : {"opengl32", "ddraw"})
        RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
}

NoRenderDrivers::~NoRenderDrivers() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kOverrideKey);
}

// ---------------------------------------------------------------- log

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

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// ---------------------------------------------------------------- input

namespace {

// A keyboard sends the key's scan code with it, from which the character is made.
void SendKey(WORD key, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = WORD(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

void KeyDown(WORD key) {
    SendKey(key, 0);
}

void KeyUp(WORD key) {
    SendKey(key, KEYEVENTF_KEYUP);
}

void PressKey(WORD key) {
    KeyDown(key);
    KeyUp(key);
}

void MoveMouse(LONG dx, LONG dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(INPUT));
}

namespace {

// Runs a shell command of the system under Wine to its end; true when it ended with 0,
// and then its output. start.exe does not wait for such a program: its output is
// written aside and renamed when complete, which is waited for.
bool RunUnixCommand(const std::string& command, std::string* output = nullptr) {
    static int counter = 0;
    const std::string file = "/tmp/novadrift_unix_" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(++counter);
    std::string line = "start.exe /unix /bin/sh -c \"(" + command + ") > " + file +
                       ".part 2>&1; echo status=$? >> " + file + ".part; mv " + file + ".part " +
                       file + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::string windowsPath = "Z:" + file;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(5)) {
        if (GetFileAttributesA(windowsPath.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::string text = ReadFileText(windowsPath);
        DeleteFileA(windowsPath.c_str());
        const size_t status = text.rfind("status=");
        if (output) *output = text.substr(0, status);
        return status != std::string::npos && text.compare(status, 9, "status=0\n") == 0;
    }
    return false;
}

// Where the screen's top-left corner lies on the X screen: the X pointer's place less
// the cursor's, taken once.
bool ScreenOrigin(int* x, int* y) {
    static bool known = false;
    static int originX = 0, originY = 0;
    if (!known) {
        POINT cursor;
        std::string place;
        if (!GetCursorPos(&cursor) || !RunUnixCommand("xdotool getmouselocation --shell", &place))
            return false;
        std::smatch match;
        if (!std::regex_search(place, match, std::regex("X=(-?[0-9]+)\\s+Y=(-?[0-9]+)")))
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
    return RunUnixCommand("xdotool mousemove " + std::to_string(originX + x) + " " +
                          std::to_string(originY + y));
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

// ---------------------------------------------------------------- pixels

Shot CaptureScrWindow() {
    Shot shot;
    HWND window = FindWindowA("Novadrift", nullptr);
    if (!window) return shot;
    RECT rect = {};
    GetWindowRect(window, &rect);
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

bool SaveShotBmp(const Shot& shot, const std::string& path) {
    if (shot.pixels.empty()) return false;
    const uint32_t pitch = (uint32_t(shot.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = pitch * uint32_t(shot.height);
    std::string bytes(54 + imageSize, '\0');
    auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(shot.width));
    put32(22, uint32_t(shot.height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageSize);
    // Rows bottom-up, each pixel blue, green, red.
    for (int y = 0; y < shot.height; ++y) {
        size_t row = 54 + size_t(shot.height - 1 - y) * pitch;
        for (int x = 0; x < shot.width; ++x) {
            const Pixel& p = shot.At(x, y);
            bytes[row + 3 * size_t(x)] = char(p.b);
            bytes[row + 3 * size_t(x) + 1] = char(p.g);
            bytes[row + 3 * size_t(x) + 2] = char(p.r);
        }
    }
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}
