// The OpenGL 1.1 and WGL entry points the OpenGL screens call, taken by name from the
// driver library loaded at run time, so the program starts without any OpenGL driver.
#pragma once

#include <windows.h>

#include <GL/gl.h>

struct OglApi {
    // OpenGL 1.1, in alphabetical order (the order they are looked up in).
    void(WINAPI* glBegin)(GLenum mode);
    void(WINAPI* glBindTexture)(GLenum target, GLuint texture);
    void(WINAPI* glBlendFunc)(GLenum source, GLenum destination);
    void(WINAPI* glClear)(GLbitfield mask);
    void(WINAPI* glClearColor)(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void(WINAPI* glClearDepth)(GLclampd depth);
    void(WINAPI* glColor4f)(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void(WINAPI* glColor4ub)(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
    void(WINAPI* glColorPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void(WINAPI* glDeleteTextures)(GLsizei count, const GLuint* textures);
    void(WINAPI* glDepthFunc)(GLenum function);
    void(WINAPI* glDepthMask)(GLboolean flag);
    void(WINAPI* glDisable)(GLenum capability);
    void(WINAPI* glDisableClientState)(GLenum array);
    void(WINAPI* glDrawArrays)(GLenum mode, GLint first, GLsizei count);
    void(WINAPI* glEnable)(GLenum capability);
    void(WINAPI* glEnableClientState)(GLenum array);
    void(WINAPI* glEnd)();
    void(WINAPI* glFlush)();
    void(WINAPI* glFrustum)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                            GLdouble zNear, GLdouble zFar);
    void(WINAPI* glGenTextures)(GLsizei count, GLuint* textures);
    GLenum(WINAPI* glGetError)();
    void(WINAPI* glGetFloatv)(GLenum name, GLfloat* values);
    const GLubyte*(WINAPI* glGetString)(GLenum name);
    void(WINAPI* glLoadIdentity)();
    void(WINAPI* glLoadMatrixf)(const GLfloat* matrix);
    void(WINAPI* glMatrixMode)(GLenum mode);
    void(WINAPI* glMultMatrixf)(const GLfloat* matrix);
    void(WINAPI* glOrtho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                          GLdouble zNear, GLdouble zFar);
    void(WINAPI* glPixelStorei)(GLenum name, GLint value);
    void(WINAPI* glReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                               GLenum type, GLvoid* pixels);
    void(WINAPI* glShadeModel)(GLenum mode);
    void(WINAPI* glTexCoordPointer)(GLint size, GLenum type, GLsizei stride,
                                    const GLvoid* pointer);
    void(WINAPI* glTexEnvi)(GLenum target, GLenum name, GLint value);
    void(WINAPI* glTexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                               GLsizei height, GLint border, GLenum format, GLenum type,
                               const GLvoid* pixels);
    void(WINAPI* glTexParameteri)(GLenum target, GLenum name, GLint value);
    void(WINAPI* glTranslatef)(GLfloat x, GLfloat y, GLfloat z);
    void(WINAPI* glVertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void(WINAPI* glVertexPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void(WINAPI* glViewport)(GLint x, GLint y, GLsizei width, GLsizei height);

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

    // Optional extensions through wglGetProcAddress; each may be null.
    void(WINAPI* glActiveTextureARB)(GLenum texture);
    void(WINAPI* glClientActiveTextureARB)(GLenum texture);
    void(WINAPI* glLockArraysEXT)(GLint first, GLsizei count);
    void(WINAPI* glUnlockArraysEXT)();
    BOOL(WINAPI* wglSwapIntervalEXT)(int interval);
    int(WINAPI* wglGetSwapIntervalEXT)();
    void(WINAPI* glPointParameterfEXT)(GLenum name, GLfloat value);
    void(WINAPI* glPointParameterfvEXT)(GLenum name, const GLfloat* values);
};

// The entry points of the driver that is open; all null while none is.
extern OglApi gl;

// Looks up every entry point in the loaded driver library. The OpenGL 1.1 lookup stops
// at the first name the driver lacks (the rest stay null; the caller goes on).
void LoadOglApi(HMODULE driver);
void ClearOglApi();
