// A function of a library loaded at run time, by name, in the caller's own type; null
// when the library lacks it.
#pragma once

#include <windows.h>

template <typename Function>
Function LibraryEntry(HMODULE library, const char* name) {
    // Through void*: the platform's generic function type converts to no other directly.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
