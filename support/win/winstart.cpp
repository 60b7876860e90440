// The Win32 entry point: hands the instance, the argument text and the application's
// main to the library.
#include <windows.h>

#include "startup.h"
#include "win/library_win.h"
#include "xmain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandText, int) {
    // Before any library is loaded at run time.
    RestrictLibrarySearch();
    return RunApplication(reinterpret_cast<uintptr_t>(instance), commandText, xMain);
}
