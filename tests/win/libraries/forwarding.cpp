// A 3dfx OpenGL driver for the tests: every OpenGL and WGL entry point the OpenGL screen
// looks up is forwarded to the system's opengl32.dll (forwarding.def), so the "3dfx
// opengl" screen draws through the system's OpenGL.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
