// The Win32 render devices by kind. Which are made, in which order, and which one a run
// uses is base/screenchoice.cpp.
#include "ansi/memory.h"
#include "base/screenchoice.h"
#include "scr_d3d.h"
#include "scr_ogl.h"

Screen* NewPlatformScreen(int32_t kind) {
    switch (kind) {
        case SCREEN_D3D:
            return XNEW(D3dScreen);
        case SCREEN_OPENGL:
        case SCREEN_3DFX:
            return XNEW(OglScreen, kind);
        default:
            return nullptr;
    }
}
