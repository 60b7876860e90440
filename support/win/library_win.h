// Libraries loaded at run time: only from the system folder, and their functions by name.
#pragma once

#include <windows.h>

#include <initializer_list>

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

enum LibraryCheck { LIBRARY_MISSING, LIBRARY_LACKS_FUNCTION, LIBRARY_HAS_FUNCTIONS };

// Whether the library of that file name in the system folder is there with every one of
// these functions, read from its export table without loading it: loading runs its
// start-up code and loads what it depends on, a tenth of a second for some (Wine's
// ddraw.dll, which sets up wined3d and OpenGL).
LibraryCheck CheckSystemLibrary(const char* name, std::initializer_list<const char*> functions);
