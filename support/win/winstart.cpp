// The Win32 entry point. Only the instance and the argument text are used.
#include <windows.h>

#include "startup.h"
#include "win/library_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandText, int) {
    // Before any library is loaded at run time.
    RestrictLibrarySearch();
    return RunApplication(reinterpret_cast<uintptr_t>(instance), commandText);
}
