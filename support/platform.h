// The narrow interface between the portable code and the operating system.
//
// Everything the portable code needs from the platform goes through one table of
// function pointers. support/win/ fills it with Win32 calls, support/posix/ with
// POSIX calls so the portable code builds and runs natively; tests may replace
// single entries (a fake clock, a recording message box) and put them back.
#pragma once

#include <cstdint>

typedef uintptr_t WindowHandle;  // HWND on Win32, an opaque number elsewhere

// Called by the keyboard hook for each key message of the program's thread.
typedef void (*KeyHookCallback)(void* owner, int32_t hookCode, uint32_t virtualKey,
                                uint32_t keyFlags);

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

    // Window layer. The class's window procedure hands every message to the
    // registered message handlers. registerWindowClass: 1 done, 0 failed.
    int (*registerWindowClass)(const char* className);
    void (*unregisterWindowClass)(const char* className);
    // Takes every waiting message of the thread and dispatches it; 0 when a quit
    // message arrived (the rest of the queue stays).
    int (*pumpMessages)();

    // Screensaver host services.
    int (*getCursorPosition)(int32_t* x, int32_t* y);
    void (*setArrowCursor)();
    void (*postMessage)(WindowHandle window, uint32_t message);
    void (*destroyWindow)(WindowHandle window);
    // The window's outer size (frame included); 0 with the sizes left as they are when
    // the window is not there.
    int (*windowOuterSize)(WindowHandle window, int32_t* width, int32_t* height);
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
    // A machine-wide text setting (registry value under HKEY_LOCAL_MACHINE):
    // -1 the key is missing, 0 the value is missing, 1 read into buffer.
    int (*readMachineSetting)(const char* key, const char* value, char* buffer, int size);

    // Keyboard and mouse input. The keyboard hook of the program's thread hands every
    // key message to the callback (hook code, virtual key, key-message flags: bits
    // 16-23 scan code, bit 31 set on release) and passes it on to the next hook. One
    // hook at a time: installKeyboardHook gives its handle, 0 when none could be set.
    uintptr_t (*installKeyboardHook)(KeyHookCallback callback, void* owner);
    void (*removeKeyboardHook)(uintptr_t hook);
    // The characters a key gives with the thread's current keyboard state (ToAscii):
    // how many were written to characters, 0, 1 or 2.
    int (*toAscii)(uint32_t virtualKey, uint32_t scanCode, uint8_t characters[2]);
    // 1 while the key is held, as the program's thread sees it (GetKeyState).
    int (*isKeyDown)(uint32_t virtualKey);
    // The cursor in screen coordinates; getCursorPosition is above.
    void (*setCursorPosition)(int32_t x, int32_t y);
    void (*unclipCursor)();
    void (*showCursor)(int show);
    // Top-left corner of the window's client area in screen coordinates.
    int (*clientOrigin)(WindowHandle window, int32_t* x, int32_t* y);

    // Moves a file over another, replacing it in one step; 1 done, 0 failed.
    int (*replaceFile)(const char* from, const char* to);

    // Run-time library loading by file name (on Win32 from the system folder only).
    void* (*loadLibrary)(const char* name);
    void* (*findSymbol)(void* library, const char* name);
    void (*freeLibrary)(void* library);
};

// The services in use; starts as the build's own implementation.
PlatformServices& Platform();
// The build's own implementation, for restoring after a test replaced entries.
const PlatformServices& NativePlatform();
