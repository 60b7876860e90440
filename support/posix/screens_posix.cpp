// The native render devices by kind: the OpenGL screen on X. Which are made, in which
// order, and which one a run uses is base/screenchoice.cpp.
#include "ansi/memory.h"
#include "base/screenchoice.h"
#include "posix/scr_glx.h"

Screen* NewPlatformScreen(int32_t kind) {
    return kind == SCREEN_OPENGL ? XNEW(GlxScreen) : nullptr;
}
