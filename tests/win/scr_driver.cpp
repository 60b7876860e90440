#include "scr_driver.h"

#include <windows.h>

#include <algorithm>
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
    ScrRun run;
    std::string directory = TestProgramDirectory();
    std::string commandLine = "\"" + directory + "Novadrift.scr\"" + arguments;
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

namespace {

std::string Le32Bytes(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = char(value >> (8 * i));
    return bytes;
}

std::string Le16(uint32_t value) {
    return Le32Bytes(value).substr(0, 2);
}

// The 128-byte screen choice: valid, kind, display mode and size, then a device part
// that every screen accepts (its first 16 bits 1).
std::string Selection(int32_t kind, int32_t displayMode, const SettingsFile& settings) {
    if (kind == 0) return std::string(128, '\0');
    std::string block = Le16(1) + Le16(0) + Le16(uint32_t(kind)) + Le16(uint32_t(displayMode)) +
                        Le16(uint32_t(settings.width)) + Le16(uint32_t(settings.height)) +
                        Le16(uint32_t(settings.bits)) + std::string(50, '\0') + Le16(1);
    return block + std::string(128 - block.size(), '\0');
}

}  // namespace

void WriteSettingsFile(const std::string& path, const SettingsFile& settings) {
    std::string header(1, '\1');
    header += Le32Bytes(0) + std::string(64, '\0');
    for (int32_t value : {settings.width, settings.height, settings.bits, 1, 0, settings.priority})
        header += Le32Bytes(uint32_t(value));
    header +=
        Selection(settings.screenKind, 1, settings) + Selection(settings.previewKind, 4, settings);
    std::string inner = std::string("HEADER", 7) + Le32Bytes(uint32_t(header.size())) + header;
    std::string outer = std::string("NOVADRIFTCFG", 13) + Le32Bytes(uint32_t(inner.size())) + inner;
    std::string file = std::string("XIFF", 5) + Le32Bytes(uint32_t(outer.size())) + outer;
    std::ofstream out(path, std::ios::binary);
    out << file;
}

std::vector<std::string> RunLog() {
    return LogBodies(ReadFileText(TestProgramDirectory() + "Novadrift.log"));
}

void RemoveRunLog() {
    DeleteFileA((TestProgramDirectory() + "Novadrift.log").c_str());
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void PressKey(unsigned short virtualKey) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
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

uint32_t Le32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}
