#include "scr_driver.h"

#include <windows.h>

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

bool CloseScrWindow() {
    HWND window = FindWindowA("Novadrift", nullptr);
    if (!window) return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return true;
}

ScrRun RunScr(const std::string& arguments, unsigned timeoutMs,
              const std::string& workingDirectory,
              const std::function<void(unsigned elapsedMs)>& whileRunning) {
    return RunScrAt(TestProgramDirectory() + "Novadrift.scr", arguments, timeoutMs,
                    workingDirectory, whileRunning);
}

ScrRun RunScrAt(const std::string& programPath, const std::string& arguments,
                unsigned timeoutMs, const std::string& workingDirectory,
                const std::function<void(unsigned elapsedMs)>& whileRunning) {
    ScrRun run;
    std::string directory = programPath.substr(0, programPath.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + programPath + "\"" + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const std::string& cwd = workingDirectory.empty() ? directory : workingDirectory;
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(),
                        &startup, &process))
        return run;
    run.started = true;
    const DWORD start = GetTickCount();
    const DWORD step = 50;
    // Messages are pumped while waiting: a preview host window of this thread must
    // answer its child in the other process.
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, step, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DWORD waited = GetTickCount() - start;
        if (whileRunning) whileRunning(waited);
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
        if (waited >= timeoutMs) {
            run.timedOut = true;
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

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

NoRenderDrivers::~NoRenderDrivers() { RegDeleteKeyA(HKEY_CURRENT_USER, kOverrideKey); }

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

void PressKey(unsigned short key) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool SaverWindowActive() {
    HWND window = FindWindowA("Novadrift", nullptr);
    return window && GetForegroundWindow() == window;
}

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
