#include "wgl_api.h"

#include <cstring>

#include "library_win.h"

WglApi wgl;

namespace {

void* ExportedEntry(void* driver, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(driver), name));
}

// A driver without a current context may answer none, which is harmless: nothing calls
// the extensions.
void* ExtensionEntry(void*, const char* name) {
    return wgl.wglGetProcAddress ? reinterpret_cast<void*>(wgl.wglGetProcAddress(name)) : nullptr;
}

template <typename Function>
void Lookup(HMODULE driver, const char* name, Function* target) {
    *target = LibraryEntry<Function>(driver, name);
}

template <typename Function>
void LookupExtension(const char* name, Function* target) {
    *target = reinterpret_cast<Function>(ExtensionEntry(nullptr, name));
}

}  // namespace

void LoadDriverEntries(HMODULE driver) {
    LoadOglApi(ExportedEntry, driver);
    std::memset(&wgl, 0, sizeof wgl);
    Lookup(driver, "wglChoosePixelFormat", &wgl.wglChoosePixelFormat);
    Lookup(driver, "wglCreateContext", &wgl.wglCreateContext);
    Lookup(driver, "wglDeleteContext", &wgl.wglDeleteContext);
    Lookup(driver, "wglDescribePixelFormat", &wgl.wglDescribePixelFormat);
    Lookup(driver, "wglGetProcAddress", &wgl.wglGetProcAddress);
    Lookup(driver, "wglMakeCurrent", &wgl.wglMakeCurrent);
    Lookup(driver, "wglSetPixelFormat", &wgl.wglSetPixelFormat);
    Lookup(driver, "wglSwapBuffers", &wgl.wglSwapBuffers);
    LoadOglExtensions(ExtensionEntry, nullptr);
    LookupExtension("wglSwapIntervalEXT", &wgl.wglSwapIntervalEXT);
    LookupExtension("wglGetSwapIntervalEXT", &wgl.wglGetSwapIntervalEXT);
}

void LoadContextExtensions() {
    LoadOglExtensions(ExtensionEntry, nullptr);
}

void ClearDriverEntries() {
    ClearOglApi();
    std::memset(&wgl, 0, sizeof wgl);
}
