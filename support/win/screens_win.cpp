// The Win32 render devices: the standard and the 3dfx OpenGL screens.
#include "ansi/memory.h"
#include "scr_ogl.h"
#include "xsystem.h"

void CreateSystemScreens() {
    sglb->oglScreen = XNEW(OglScreen, SCREEN_OPENGL);
    sglb->fxScreen = XNEW(OglScreen, SCREEN_3DFX);
}

void FreeSystemScreens() {
    if (!sglb) return;
    XDELETE(sglb->oglScreen);
    sglb->oglScreen = nullptr;
    XDELETE(sglb->fxScreen);
    sglb->fxScreen = nullptr;
}
