// A stranger's 3DfxvGL.dll, planted where a program that searches for its libraries by
// name would find it: once loaded it leaves a marker file beside itself.
#include <windows.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char* slash = std::strrchr(path, '\\');
    if (!slash || size_t(slash + 1 - path) + sizeof "loaded.txt" > MAX_PATH) return TRUE;
    std::strcpy(slash + 1, "loaded.txt");
    HANDLE marker =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
