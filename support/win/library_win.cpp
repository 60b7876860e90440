#include "library_win.h"

#include <cstdio>
#include <cstring>

void RestrictLibrarySearch() {
    // Windows 7 without its update KB2533623 lacks SetDefaultDllDirectories.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    SetDefaultDllDirectoriesFunction setDefault = LibraryEntry<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the working directory out of the search where the call above is missing.
    SetDllDirectoryA("");
}

namespace {

// The full path of the library of that file name in the system folder; 0 when it does
// not fit.
int SystemLibraryPath(const char* name, char (&path)[MAX_PATH]) {
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    int written = std::snprintf(path + length, size_t(MAX_PATH - length), "\\%s", name);
    return written >= 0 && written < int(MAX_PATH - length);
}

// The names a mapped image exports, checked against its size: a damaged file lacks them.
bool ExportsFunction(const BYTE* image, const char* function) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT)
        return false;
    const DWORD size = nt->OptionalHeader.SizeOfImage;
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0 ||
        directory.VirtualAddress > size - sizeof(IMAGE_EXPORT_DIRECTORY))
        return false;
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + directory.VirtualAddress);
    if (exports->AddressOfNames > size ||
        exports->NumberOfNames > (size - exports->AddressOfNames) / sizeof(DWORD))
        return false;
    const auto* names = reinterpret_cast<const DWORD*>(image + exports->AddressOfNames);
    const size_t length = std::strlen(function);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        if (names[i] < size && size - names[i] > length &&
            std::memcmp(image + names[i], function, length + 1) == 0)
            return true;
    return false;
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    return SystemLibraryPath(name, path) ? LoadLibraryA(path) : nullptr;
}

LibraryCheck CheckSystemLibrary(const char* name, std::initializer_list<const char*> functions) {
    char path[MAX_PATH];
    if (!SystemLibraryPath(name, path)) return LIBRARY_MISSING;
    // Mapped as an image, so that addresses in it are offsets from its start; none of
    // its code runs.
    HMODULE mapped = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!mapped) return LIBRARY_MISSING;
    // The handle of a library mapped this way has its lowest bits set.
    const BYTE* image = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(mapped) &
                                                      ~ULONG_PTR(3));
    LibraryCheck check = LIBRARY_HAS_FUNCTIONS;
    for (const char* function : functions)
        if (!ExportsFunction(image, function)) check = LIBRARY_LACKS_FUNCTION;
    FreeLibrary(mapped);
    return check;
}
