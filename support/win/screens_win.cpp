// The Win32 render devices: the Direct3D screen first, then the standard and the 3dfx
// OpenGL screens, so the Direct3D screen is found first where its driver is present.
#include "ansi/memory.h"
#include "scr_d3d.h"
#include "scr_ogl.h"
#include "xsystem.h"

void CreateSystemScreens() {
    sglb->d3dScreen = XNEW(D3dScreen);
    sglb->oglScreen = XNEW(OglScreen, SCREEN_OPENGL);
    sglb->fxScreen = XNEW(OglScreen, SCREEN_3DFX);
}

void FreeSystemScreens() {
    if (!sglb) return;
    XDELETE(sglb->d3dScreen);
    sglb->d3dScreen = nullptr;
    XDELETE(sglb->oglScreen);
    sglb->oglScreen = nullptr;
    XDELETE(sglb->fxScreen);
    sglb->fxScreen = nullptr;
}
