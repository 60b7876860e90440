// Win32 implementation of the platform interface.
#include "platform.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "misc.h"
#include "startup.h"
#include "win/events_win.h"
#include "win/input_win.h"
#include "win/library_win.h"
#include "win/pacing_win.h"
#include "xsystem.h"

namespace {

const char* WinCommandLine() { return GetCommandLineA(); }

int WinCounterFrequency(int64_t* countsPerSecond) {
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value) || value.QuadPart == 0) return 0;
    *countsPerSecond = value.QuadPart;
    return 1;
}

int WinCounterValue(int64_t* count) {
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value)) return 0;
    *count = value.QuadPart;
    return 1;
}

// winmm.dll is no known DLL: imported statically, a copy beside a portable program would
// be loaded before any of the program's code runs. Taken from the system folder instead.
uint32_t WinMilliseconds() {
    typedef DWORD(WINAPI * TimeFunction)();
    static const TimeFunction timeGetTime = [] {
        HMODULE library = LoadSystemLibrary("winmm.dll");
        return library ? LibraryEntry<TimeFunction>(library, "timeGetTime") : nullptr;
    }();
    return timeGetTime ? timeGetTime() : GetTickCount();
}

uint32_t WinTickCount() { return GetTickCount(); }

void WinSleep(uint32_t milliseconds) { Sleep(milliseconds); }

void WinMessageBox(WindowHandle owner, const char* text, const char* caption) {
    // A quit message waiting in the queue (posted when the main window was destroyed,
    // as at the end of a run) ends the box's own message loop before the box is seen.
    // It is taken out while the box shows and put back after.
    MSG quit;
    bool quitting = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, MB_SETFOREGROUND);
    if (quitting) PostQuitMessage(int(quit.wParam));
}

int WinGetCurrentDirectory(char* buffer, int size) {
    DWORD length = GetCurrentDirectoryA(DWORD(size), buffer);
    return length > 0 && length < DWORD(size);
}

int WinSetCurrentDirectory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

int WinCreateDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

int32_t WinLastError() { return int32_t(GetLastError()); }

// The ANSI form of a path, when the code page can spell every character of it (UTF-8,
// which Windows may be set to use, spells all).
bool ToAnsi(const wchar_t* path, char* buffer, int size) {
    if (GetACP() == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, 0, path, -1, buffer, size, nullptr, nullptr) > 0;
    BOOL lossy = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, buffer, size, nullptr,
                               &lossy) > 0 &&
           !lossy;
}

// The program's file calls take ANSI paths: a folder the code page cannot spell (a user
// name in another script) is taken in its short form, which it can.
int AnsiPath(const wchar_t* path, char* buffer, int size) {
    if (ToAnsi(path, buffer, size)) return 1;
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH && ToAnsi(shortPath, buffer, size);
}

int WinUserDirectory(char* buffer, int size) {
    PWSTR base = nullptr;
    HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &base);
    std::wstring path = SUCCEEDED(found) && base ? std::wstring(base) + L"\\Novadrift" : L"";
    CoTaskMemFree(base);
    if (path.empty()) return 0;
    CreateDirectoryW(path.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return AnsiPath((path + L"\\").c_str(), buffer, size);
}

// A file made in the folder and removed again: the folder's permissions and a read-only
// medium both answer. The program's manifest keeps Windows from sending the file to the
// user's VirtualStore instead.
int WinIsDirectoryWritable(const char* path) {
    char probe[MAX_PATH];
    if (!GetTempFileNameA(path, "nd", 0, probe)) return 0;
    DeleteFileA(probe);
    return 1;
}

// The program's events first, then the screens' own handlers; the first non-zero answer
// goes back. A close request counts as handled, so whether the window closes is up to
// the program.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TakeDisplayStateMessage(message, wParam, lParam)) return TRUE;
    LRESULT answer = 0;
    bool taken = TakeWindowMessage(window, message, wParam, lParam, &answer);
    int32_t result = 0;
    bool handled = DispatchToHandlers(reinterpret_cast<WindowHandle>(window), message, wParam,
                                      lParam, &result);
    if (taken || handled || message == WM_CLOSE) return answer ? answer : result;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window layer's keyboard hook lives as long as its class.
int WinRegisterWindowClass(const char* className) {
    InstallKeyboardHook();
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = reinterpret_cast<HINSTANCE>(appInstance);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

void WinUnregisterWindowClass(const char* className) {
    RemoveKeyboardHook();
    UnregisterClassA(className, reinterpret_cast<HINSTANCE>(appInstance));
}

int WinPumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            LogMessage(LOG_EXIT, "WM_QUIT rescived\n");
            return 0;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    WatchDisplayAndWindow();
    return 1;
}

int WinGetCursorPosition(int32_t* x, int32_t* y) {
    POINT point;
    if (!GetCursorPos(&point)) return 0;
    *x = point.x;
    *y = point.y;
    return 1;
}

void WinPostClose(WindowHandle window) {
    PostMessageA(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
}

void WinDestroyWindow(WindowHandle window) { DestroyWindow(reinterpret_cast<HWND>(window)); }

WindowHandle WinForegroundWindow() {
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

// The NT family checks the password itself; older systems ask PASSWORD.CPL. A missing
// library or entry point lets the screensaver close.
int WinVerifyScreenSaverPassword(WindowHandle window) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) return 1;
    HMODULE library = LoadSystemLibrary("PASSWORD.CPL");
    if (!library) return 1;
    typedef BOOL(WINAPI * VerifyProc)(HWND);
    VerifyProc verify =
        LibraryEntry<VerifyProc>(library, "VerifyScreenSavePwd");
    if (!verify) {
        FreeLibrary(library);
        return 1;
    }
    BOOL ok = verify(reinterpret_cast<HWND>(window));
    FreeLibrary(library);
    return ok != 0;
}

void WinChangeScreenSaverPassword(WindowHandle parent) {
    HMODULE library = LoadSystemLibrary("MPR.DLL");
    if (!library) return;
    typedef DWORD(WINAPI * ChangeProc)(LPCSTR, HWND, DWORD, LPVOID);
    ChangeProc change =
        LibraryEntry<ChangeProc>(library, "PwdChangePasswordA");
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(parent), 0, nullptr);
    FreeLibrary(library);
}

WindowHandle WinFindPreviewWindow() {
    HWND host = FindWindowA("Scrprev", nullptr);
    if (!host) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        char commandLine[] = "Scrprev";
        if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                            CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                            &startup, &process)) {
            SetErrorText("Error creating scrprev process");
            return 0;
        }
        DWORD idle = WaitForInputIdle(process.hProcess, 2000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (idle == WAIT_TIMEOUT) {
            SetErrorText("Scrprev never becomes idle");
            return 0;
        }
        if (idle != 0) {
            SetErrorText("ScrPrev, misc error after ScrPrev execution");
            return 0;
        }
        host = FindWindowA("Scrprev", nullptr);
        if (!host) {
            SetErrorText("Unable to find Scrprev window");
            return 0;
        }
    }
    SetForegroundWindow(host);
    HWND child = GetWindow(host, GW_CHILD);
    if (!child) {
        SetErrorText("Couldn't find Scrprev child");
        return 0;
    }
    return reinterpret_cast<WindowHandle>(child);
}

int WinWindowOuterSize(WindowHandle window, int32_t* width, int32_t* height) {
    RECT outer = {};
    if (!GetWindowRect(reinterpret_cast<HWND>(window), &outer)) return 0;
    *width = outer.right - outer.left;
    *height = outer.bottom - outer.top;
    return 1;
}

void WinSetWindowTopMost(WindowHandle window, int topMost) {
    SetWindowLongA(reinterpret_cast<HWND>(window), GWL_EXSTYLE, topMost ? WS_EX_TOPMOST : 0);
}

void WinSetScreenSaverRunning(int running, int32_t* previous) {
    UINT old = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, UINT(running), &old, 0);
    if (previous) *previous = int32_t(old);
}

void WinSetProcessPriority(int level) {
    static const DWORD classes[] = {IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS};
    if (level >= 0 && level <= 2) SetPriorityClass(GetCurrentProcess(), classes[level]);
}

int WinReadMachineSetting(const char* key, const char* value, char* buffer, int size) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return -1;
    DWORD type = 0;
    DWORD length = DWORD(size > 0 ? size - 1 : 0);
    LONG result = RegQueryValueExA(handle, value, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &length);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || size <= 0) return 0;
    // Registry strings need not be terminated.
    buffer[length < DWORD(size) ? length : DWORD(size - 1)] = 0;
    return 1;
}

int WinReplaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void* WinLoadLibrary(const char* name) {
    return reinterpret_cast<void*>(LoadSystemLibrary(name));
}

void* WinFindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void WinFreeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

PlatformServices MakeWinServices() {
    PlatformServices services = {};
    services.commandLine = WinCommandLine;
    services.counterFrequency = WinCounterFrequency;
    services.counterValue = WinCounterValue;
    services.milliseconds = WinMilliseconds;
    services.tickCount = WinTickCount;
    services.sleep = WinSleep;
    services.waitPrecisely = WaitPrecisely;
    services.endPreciseWaits = EndPreciseWaits;
    services.waitForMessages = WaitForMessages;
    services.displayRefreshRate = PrimaryRefreshRate;
    services.onBattery = RunningOnBattery;
    services.messageBox = WinMessageBox;
    services.getCurrentDirectory = WinGetCurrentDirectory;
    services.setCurrentDirectory = WinSetCurrentDirectory;
    services.createDirectory = WinCreateDirectory;
    services.lastError = WinLastError;
    services.userDirectory = WinUserDirectory;
    services.isDirectoryWritable = WinIsDirectoryWritable;
    services.registerWindowClass = WinRegisterWindowClass;
    services.unregisterWindowClass = WinUnregisterWindowClass;
    services.pumpMessages = WinPumpMessages;
    services.windowOuterSize = WinWindowOuterSize;
    services.readMachineSetting = WinReadMachineSetting;
    services.setCursorPosition = WinSetCursorPosition;
    services.unclipCursor = WinUnclipCursor;
    services.showCursor = WinShowCursor;
    services.replaceFile = WinReplaceFile;
    services.loadLibrary = WinLoadLibrary;
    services.findSymbol = WinFindSymbol;
    services.freeLibrary = WinFreeLibrary;
    return services;
}

const PlatformServices winServices = MakeWinServices();

ScreensaverHost MakeWinHost() {
    ScreensaverHost host = {};
    host.getCursorPosition = WinGetCursorPosition;
    host.postClose = WinPostClose;
    host.destroyWindow = WinDestroyWindow;
    host.foregroundWindow = WinForegroundWindow;
    host.verifyScreenSaverPassword = WinVerifyScreenSaverPassword;
    host.changeScreenSaverPassword = WinChangeScreenSaverPassword;
    host.findPreviewWindow = WinFindPreviewWindow;
    host.setWindowTopMost = WinSetWindowTopMost;
    host.setScreenSaverRunning = WinSetScreenSaverRunning;
    host.setProcessPriority = WinSetProcessPriority;
    return host;
}

ScreensaverHost winHost = MakeWinHost();
ScreensaverHost* hostInUse = &winHost;

PlatformServices services = winServices;

}  // namespace

PlatformServices& Platform() { return services; }

ScreensaverHost*& SaverHost() {
    return hostInUse;
}

const PlatformServices& NativePlatform() {
    return winServices;
}
