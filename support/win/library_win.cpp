#include "library_win.h"

#include <cstdio>

void RestrictLibrarySearch() {
    // Windows 7 without its update KB2533623 lacks SetDefaultDllDirectories.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    SetDefaultDllDirectoriesFunction setDefault = LibraryEntry<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the working directory out of the search where the call above is missing.
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    int written = std::snprintf(path + length, size_t(MAX_PATH - length), "\\%s", name);
    if (written < 0 || written >= int(MAX_PATH - length)) return nullptr;
    return LoadLibraryA(path);
}
