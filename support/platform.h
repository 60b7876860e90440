// The narrow interface between the portable code and the operating system.
//
// Everything the portable code needs from the platform goes through one table of
// function pointers. support/win/ fills it with Win32 calls, support/posix/ with
// POSIX calls so the portable code builds and runs natively; tests may replace
// single entries (a fake clock, a recording message box) and put them back.
#pragma once

#include <cstdint>

typedef uintptr_t WindowHandle;  // HWND on Win32, an opaque number elsewhere

struct PlatformServices {
    // The process's full command line, program path included (GetCommandLineA).
    const char* (*commandLine)();

    // High-resolution counter; return 0 when the platform has none.
    int (*counterFrequency)(int64_t* countsPerSecond);
    int (*counterValue)(int64_t* count);
    // Millisecond system clock that wraps at 2^32 (timeGetTime).
    uint32_t (*milliseconds)();
    // Tick count used for the screensaver's grace time (GetTickCount).
    uint32_t (*tickCount)();
    void (*sleep)(uint32_t milliseconds);
    // Waits about that long with the finest timer the system has (a high-resolution
    // waitable timer, else 1 ms timer ticks asked for until endPreciseWaits).
    void (*waitPrecisely)(uint32_t microseconds);
    void (*endPreciseWaits)();
    // Waits until a message (an event of the window, a quit signal) comes, or that long.
    void (*waitForMessages)(uint32_t milliseconds);
    // The primary monitor's refresh rate in Hz; 0 when it is not known.
    int32_t (*displayRefreshRate)();
    // 1 while the machine runs on its battery.
    int (*onBattery)();

    // A blocking notice with a text and a caption, brought to the front.
    void (*messageBox)(WindowHandle owner, const char* text, const char* caption);

    // Directories. Results: 1 done, 0 failed (lastError tells why).
    int (*getCurrentDirectory)(char* buffer, int size);
    int (*setCurrentDirectory)(const char* path);
    int (*createDirectory)(const char* path);
    int32_t (*lastError)();
    // This user's own folder for the program's files, made (with any missing level) when
    // it is not there: "%LOCALAPPDATA%\Novadrift\" on Win32, found through the shell, and
    // "$XDG_CONFIG_HOME/novadrift/" (by default "~/.config/novadrift/") on POSIX. 1 with
    // the path, ending in a separator; 0 when there is none or it does not fit.
    int (*userDirectory)(char* buffer, int size);
    // 1 when a new file can be made in the directory.
    int (*isDirectoryWritable)(const char* path);

    // Window layer. The class's window procedure turns the window's messages into the
    // program's events (sysevent.h) and hands them to the screens' registered message
    // handlers too; while the class is registered, the keys come as events as well.
    // registerWindowClass: 1 done, 0 failed.
    int (*registerWindowClass)(const char* className);
    void (*unregisterWindowClass)(const char* className);
    // Takes every waiting message of the thread and dispatches it; 0, logged, when a
    // quit message arrived (the rest of the queue stays).
    int (*pumpMessages)();

    // The window's outer size (frame included); 0 with the sizes left as they are when
    // the window is not there.
    int (*windowOuterSize)(WindowHandle window, int32_t* width, int32_t* height);
    // A machine-wide text setting (registry value under HKEY_LOCAL_MACHINE):
    // -1 the key is missing, 0 the value is missing, 1 read into buffer.
    int (*readMachineSetting)(const char* key, const char* value, char* buffer, int size);

    // Mouse input: the cursor in screen coordinates.
    void (*setCursorPosition)(int32_t x, int32_t y);
    void (*unclipCursor)();
    void (*showCursor)(int show);

    // Moves a file over another, replacing it in one step; 1 done, 0 failed.
    int (*replaceFile)(const char* from, const char* to);

    // Run-time library loading by file name (on Win32 from the system folder only).
    void* (*loadLibrary)(const char* name);
    void* (*findSymbol)(void* library, const char* name);
    void (*freeLibrary)(void* library);
};

// What the Windows screensaver host offers a run: its window, its password check and
// preview program, the screensaver-running flag. Only the Win32 build has such a host;
// the XScreenSaver daemon keeps the screen, the password and the preview itself.
struct ScreensaverHost {
    int (*getCursorPosition)(int32_t* x, int32_t* y);
    // Asks the window to close as its close box would: the close comes back as an
    // SE_CLOSE event from the pump.
    void (*postClose)(WindowHandle window);
    void (*destroyWindow)(WindowHandle window);
    WindowHandle (*foregroundWindow)();
    // The host's own password check; 1 when the screensaver may close.
    int (*verifyScreenSaverPassword)(WindowHandle window);
    void (*changeScreenSaverPassword)(WindowHandle parent);
    // The child window of the host's preview program; 0 with an error recorded.
    WindowHandle (*findPreviewWindow)();
    void (*setWindowTopMost)(WindowHandle window, int topMost);
    void (*setScreenSaverRunning)(int running, int32_t* previous);
    // 0 idle, 1 normal, 2 high.
    void (*setProcessPriority)(int level);
};

// The host in use: the build's own (null on POSIX); tests may point it elsewhere.
ScreensaverHost*& SaverHost();

// The services in use; starts as the build's own implementation.
PlatformServices& Platform();
// The build's own implementation, for restoring after a test replaced entries.
const PlatformServices& NativePlatform();
