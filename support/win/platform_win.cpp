// Win32 implementation of the platform interface.
#include "platform.h"

#include <windows.h>

#include "startup.h"
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

uint32_t WinMilliseconds() { return timeGetTime(); }

uint32_t WinTickCount() { return GetTickCount(); }

void WinSleep(uint32_t milliseconds) { Sleep(milliseconds); }

void WinMessageBox(WindowHandle owner, const char* text, const char* caption) {
    MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, MB_SETFOREGROUND);
}

int WinGetCurrentDirectory(char* buffer, int size) {
    DWORD length = GetCurrentDirectoryA(DWORD(size), buffer);
    return length > 0 && length < DWORD(size);
}

int WinSetCurrentDirectory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

int WinCreateDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

int32_t WinLastError() { return int32_t(GetLastError()); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t result = 0;
    if (RouteWindowMessage(reinterpret_cast<WindowHandle>(window), message, wParam, lParam,
                           &result))
        return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

int WinRegisterWindowClass(const char* className) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = reinterpret_cast<HINSTANCE>(appInstance);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

void WinUnregisterWindowClass(const char* className) {
    UnregisterClassA(className, reinterpret_cast<HINSTANCE>(appInstance));
}

int WinPumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return 0;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 1;
}

void* WinLoadLibrary(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }

void* WinFindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void WinFreeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

const PlatformServices winServices = {
    WinCommandLine,     WinCounterFrequency,    WinCounterValue,        WinMilliseconds,
    WinTickCount,       WinSleep,               WinMessageBox,          WinGetCurrentDirectory,
    WinSetCurrentDirectory, WinCreateDirectory, WinLastError,
    WinRegisterWindowClass, WinUnregisterWindowClass, WinPumpMessages,     WinLoadLibrary,
    WinFindSymbol,      WinFreeLibrary,
};

PlatformServices services = winServices;

}  // namespace

PlatformServices& Platform() { return services; }

const PlatformServices& NativePlatform() { return winServices; }
