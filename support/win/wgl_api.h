// The OpenGL driver library as the Win32 OpenGL screen opens it: its WGL functions (the
// 3dfx driver brings its own context, pixel-format and swap functions; for opengl32.dll
// they are the system's) and the loading of every entry point it has, the portable
// OpenGL 1.1 table `gl` included.
#pragma once

#include <windows.h>

#include "ogl/ogl_api.h"

struct WglApi {
    // The driver's WGL.
    int(WINAPI* wglChoosePixelFormat)(HDC dc, const PIXELFORMATDESCRIPTOR* request);
    HGLRC(WINAPI* wglCreateContext)(HDC dc);
    BOOL(WINAPI* wglDeleteContext)(HGLRC context);
    int(WINAPI* wglDescribePixelFormat)(HDC dc, int index, UINT size,
                                        PIXELFORMATDESCRIPTOR* description);
    PROC(WINAPI* wglGetProcAddress)(LPCSTR name);
    BOOL(WINAPI* wglMakeCurrent)(HDC dc, HGLRC context);
    BOOL(WINAPI* wglSetPixelFormat)(HDC dc, int index, const PIXELFORMATDESCRIPTOR* request);
    BOOL(WINAPI* wglSwapBuffers)(HDC dc);

    // WGL extensions through wglGetProcAddress; each may be null.
    BOOL(WINAPI* wglSwapIntervalEXT)(int interval);
    int(WINAPI* wglGetSwapIntervalEXT)();
};

// The WGL functions of the driver that is open; all null while none is.
extern WglApi wgl;

// Looks up, in the loaded driver library: the OpenGL 1.1 functions by name (LoadOglApi;
// the lookup stops at the first one missing), its WGL functions, then the extensions
// through its wglGetProcAddress.
void LoadDriverEntries(HMODULE driver);
// The OpenGL extensions again, once a context is current: wglGetProcAddress finds them
// only then.
void LoadContextExtensions();
// Clears `gl` and `wgl`, once the driver is released.
void ClearDriverEntries();
