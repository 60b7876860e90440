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

    // A blocking notice with a text and a caption, brought to the front.
    void (*messageBox)(WindowHandle owner, const char* text, const char* caption);

    // Directories. Results: 1 done, 0 failed (lastError tells why).
    int (*getCurrentDirectory)(char* buffer, int size);
    int (*setCurrentDirectory)(const char* path);
    int (*createDirectory)(const char* path);
    int32_t (*lastError)();

    // Window layer. The class's window procedure hands every message to the
    // registered message handlers. registerWindowClass: 1 done, 0 failed.
    int (*registerWindowClass)(const char* className);
    void (*unregisterWindowClass)(const char* className);
    // Takes every waiting message of the thread and dispatches it; 0 when a quit
    // message arrived (the rest of the queue stays).
    int (*pumpMessages)();

    // Run-time library loading (opengl32.dll, ddraw.dll, ...).
    void* (*loadLibrary)(const char* name);
    void* (*findSymbol)(void* library, const char* name);
    void (*freeLibrary)(void* library);
};

// The services in use; starts as the build's own implementation.
PlatformServices& Platform();
// The build's own implementation, for restoring after a test replaced entries.
const PlatformServices& NativePlatform();
