#include "ogl_api.h"

#include <cstring>

#include "library_win.h"

OglApi gl;

namespace {

template <typename Function>
bool Lookup(HMODULE driver, const char* name, Function* target) {
    *target = LibraryEntry<Function>(driver, name);
    return *target != nullptr;
}

template <typename Function>
void LookupExtension(const char* name, Function* target) {
    *target = gl.wglGetProcAddress
                  ? reinterpret_cast<Function>(reinterpret_cast<void*>(gl.wglGetProcAddress(name)))
                  : nullptr;
}

#define LOOKUP(name) Lookup(driver, #name, &gl.name)

// Through the driver's wglGetProcAddress; a driver without a current context may
// answer none, which is harmless: nothing calls them.
void LoadOglExtensions() {
    LookupExtension("glActiveTextureARB", &gl.glActiveTextureARB);
    LookupExtension("glClientActiveTextureARB", &gl.glClientActiveTextureARB);
    LookupExtension("glLockArraysEXT", &gl.glLockArraysEXT);
    LookupExtension("glUnlockArraysEXT", &gl.glUnlockArraysEXT);
    LookupExtension("wglSwapIntervalEXT", &gl.wglSwapIntervalEXT);
    LookupExtension("wglGetSwapIntervalEXT", &gl.wglGetSwapIntervalEXT);
    LookupExtension("glPointParameterfEXT", &gl.glPointParameterfEXT);
    LookupExtension("glPointParameterfvEXT", &gl.glPointParameterfvEXT);
}

}  // namespace

void ClearOglApi() {
    std::memset(&gl, 0, sizeof gl);
}

void LoadOglApi(HMODULE driver) {
    ClearOglApi();
    LOOKUP(glBegin) && LOOKUP(glBindTexture) && LOOKUP(glBlendFunc) && LOOKUP(glClear) &&
        LOOKUP(glClearColor) && LOOKUP(glClearDepth) && LOOKUP(glColor4f) && LOOKUP(glColor4ub) &&
        LOOKUP(glColorPointer) && LOOKUP(glDeleteTextures) && LOOKUP(glDepthFunc) &&
        LOOKUP(glDepthMask) && LOOKUP(glDisable) && LOOKUP(glDisableClientState) &&
        LOOKUP(glDrawArrays) && LOOKUP(glEnable) && LOOKUP(glEnableClientState) && LOOKUP(glEnd) &&
        LOOKUP(glFlush) && LOOKUP(glFrustum) && LOOKUP(glGenTextures) && LOOKUP(glGetError) &&
        LOOKUP(glGetFloatv) && LOOKUP(glGetString) && LOOKUP(glLoadIdentity) &&
        LOOKUP(glLoadMatrixf) && LOOKUP(glMatrixMode) && LOOKUP(glMultMatrixf) && LOOKUP(glOrtho) &&
        LOOKUP(glPixelStorei) && LOOKUP(glReadPixels) && LOOKUP(glShadeModel) &&
        LOOKUP(glTexCoordPointer) && LOOKUP(glTexEnvi) && LOOKUP(glTexImage2D) &&
        LOOKUP(glTexParameteri) && LOOKUP(glTranslatef) && LOOKUP(glVertex3f) &&
        LOOKUP(glVertexPointer) && LOOKUP(glViewport);

    LOOKUP(wglChoosePixelFormat);
    LOOKUP(wglCreateContext);
    LOOKUP(wglDeleteContext);
    LOOKUP(wglDescribePixelFormat);
    LOOKUP(wglGetProcAddress);
    LOOKUP(wglMakeCurrent);
    LOOKUP(wglSetPixelFormat);
    LOOKUP(wglSwapBuffers);
    LoadOglExtensions();
}
