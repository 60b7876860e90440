// Libraries loaded at run time: a screen's driver library, and a function of a library
// by name in the caller's own type.
#pragma once

#include <windows.h>

// Loads a screen's driver library ("opengl32.dll", "3DfxvGL.dll", "ddraw.dll"); null
// when it cannot be loaded. Every screen loads its driver here and nowhere else.
inline HMODULE LoadDriverLibrary(const char* fileName) {
    return LoadLibraryA(fileName);
}

// A function of a loaded library by name, in the caller's own type; null when the
// library lacks it.
template <typename Function>
Function LibraryEntry(HMODULE library, const char* name) {
    // Through void*: the platform's generic function type converts to no other directly.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
