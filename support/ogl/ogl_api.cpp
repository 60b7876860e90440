#include "ogl/ogl_api.h"

#include <cstring>

OglApi gl;

namespace {

// Through void*: a platform's lookup gives an address, which converts to no function
// type directly.
template <typename Function>
bool Lookup(OglLookup lookup, void* context, const char* name, Function* target) {
    *target = reinterpret_cast<Function>(lookup(context, name));
    return *target != nullptr;
}

#define LOOKUP(name) Lookup(lookup, context, #name, &gl.name)

}  // namespace

void ClearOglApi() {
    std::memset(&gl, 0, sizeof gl);
}

void LoadOglApi(OglLookup lookup, void* context) {
    ClearOglApi();
    LOOKUP(glBegin) && LOOKUP(glBindTexture) && LOOKUP(glBlendFunc) && LOOKUP(glClear) &&
        LOOKUP(glClearColor) && LOOKUP(glClearDepth) && LOOKUP(glColor4f) && LOOKUP(glColor4ub) &&
        LOOKUP(glColorPointer) && LOOKUP(glDeleteTextures) && LOOKUP(glDepthFunc) &&
        LOOKUP(glDepthMask) && LOOKUP(glDisable) && LOOKUP(glDisableClientState) &&
        LOOKUP(glDrawArrays) && LOOKUP(glEnable) && LOOKUP(glEnableClientState) && LOOKUP(glEnd) &&
        LOOKUP(glFlush) && LOOKUP(glFrustum) && LOOKUP(glGenTextures) && LOOKUP(glGetError) &&
        LOOKUP(glGetFloatv) && LOOKUP(glGetString) && LOOKUP(glLoadIdentity) &&
        LOOKUP(glLoadMatrixf) && LOOKUP(glMatrixMode) && LOOKUP(glMultMatrixf) && LOOKUP(glOrtho) &&
        LOOKUP(glPixelStorei) && LOOKUP(glReadPixels) && LOOKUP(glScissor) &&
        LOOKUP(glShadeModel) && LOOKUP(glTexCoordPointer) && LOOKUP(glTexEnvi) &&
        LOOKUP(glTexImage2D) && LOOKUP(glTexParameteri) && LOOKUP(glTranslatef) &&
        LOOKUP(glVertex3f) && LOOKUP(glVertexPointer) && LOOKUP(glViewport);
}

int OglApiComplete() {
    // The last name of the alphabetical lookup: found only when all before it were.
    return gl.glViewport != nullptr;
}

void LoadOglExtensions(OglLookup lookup, void* context) {
    LOOKUP(glActiveTextureARB);
    LOOKUP(glClientActiveTextureARB);
    LOOKUP(glLockArraysEXT);
    LOOKUP(glUnlockArraysEXT);
    LOOKUP(glPointParameterfEXT);
    LOOKUP(glPointParameterfvEXT);
}

void LoadOglPrograms(OglLookup lookup, void* context) {
    LOOKUP(glGenProgramsARB);
    LOOKUP(glBindProgramARB);
    LOOKUP(glProgramStringARB);
}
