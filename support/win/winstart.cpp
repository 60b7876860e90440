// The Win32 entry point. Only the instance and the argument text are used.
#include <windows.h>

#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandText, int) {
    return RunApplication(reinterpret_cast<uintptr_t>(instance), commandText);
}
