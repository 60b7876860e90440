// Libraries loaded at run time: only from the system folder, and their functions by name.
#pragma once

#include <windows.h>

// A function of a library loaded at run time, by name, in the caller's own type; null
// when the library lacks it.
template <typename Function>
Function LibraryEntry(HMODULE library, const char* name) {
    // Through void*: the platform's generic function type converts to no other directly.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Keeps every later library search of the process, the libraries' own dependencies
// included, in the system folder: a library of the same name in the program's folder,
// the working directory or a PATH directory is never loaded. Called first at start.
void RestrictLibrarySearch();

// The library of that file name in the system folder, loaded by its full path; null when
// it is not there or cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);
