// The OpenGL 1.1 entry points the OpenGL renderer calls, in one table that the platform
// fills at run time through its own lookup (the driver library's exports on Win32, the
// GL library's or glXGetProcAddress elsewhere), so no program links an OpenGL library
// and a machine without an OpenGL driver still runs the other screens.
#pragma once

#include "ogl/gl11.h"

struct OglApi {
    // OpenGL 1.1, in alphabetical order (the order they are looked up in).
    void(OGL_ENTRY* glBegin)(GLenum mode);
    void(OGL_ENTRY* glBindTexture)(GLenum target, GLuint texture);
    void(OGL_ENTRY* glBlendFunc)(GLenum source, GLenum destination);
    void(OGL_ENTRY* glClear)(GLbitfield mask);
    void(OGL_ENTRY* glClearColor)(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void(OGL_ENTRY* glClearDepth)(GLclampd depth);
    void(OGL_ENTRY* glColor4f)(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void(OGL_ENTRY* glColor4ub)(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
    void(OGL_ENTRY* glColorPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void(OGL_ENTRY* glDeleteTextures)(GLsizei count, const GLuint* textures);
    void(OGL_ENTRY* glDepthFunc)(GLenum function);
    void(OGL_ENTRY* glDepthMask)(GLboolean flag);
    void(OGL_ENTRY* glDisable)(GLenum capability);
    void(OGL_ENTRY* glDisableClientState)(GLenum array);
    void(OGL_ENTRY* glDrawArrays)(GLenum mode, GLint first, GLsizei count);
    void(OGL_ENTRY* glEnable)(GLenum capability);
    void(OGL_ENTRY* glEnableClientState)(GLenum array);
    void(OGL_ENTRY* glEnd)();
    void(OGL_ENTRY* glFlush)();
    void(OGL_ENTRY* glFrustum)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                               GLdouble zNear, GLdouble zFar);
    void(OGL_ENTRY* glGenTextures)(GLsizei count, GLuint* textures);
    GLenum(OGL_ENTRY* glGetError)();
    void(OGL_ENTRY* glGetFloatv)(GLenum name, GLfloat* values);
    const GLubyte*(OGL_ENTRY* glGetString)(GLenum name);
    void(OGL_ENTRY* glLoadIdentity)();
    void(OGL_ENTRY* glLoadMatrixf)(const GLfloat* matrix);
    void(OGL_ENTRY* glMatrixMode)(GLenum mode);
    void(OGL_ENTRY* glMultMatrixf)(const GLfloat* matrix);
    void(OGL_ENTRY* glOrtho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                             GLdouble zNear, GLdouble zFar);
    void(OGL_ENTRY* glPixelStorei)(GLenum name, GLint value);
    void(OGL_ENTRY* glReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                                  GLenum type, GLvoid* pixels);
    void(OGL_ENTRY* glScissor)(GLint x, GLint y, GLsizei width, GLsizei height);
    void(OGL_ENTRY* glShadeModel)(GLenum mode);
    void(OGL_ENTRY* glTexCoordPointer)(GLint size, GLenum type, GLsizei stride,
                                       const GLvoid* pointer);
    void(OGL_ENTRY* glTexEnvi)(GLenum target, GLenum name, GLint value);
    void(OGL_ENTRY* glTexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                                  GLsizei height, GLint border, GLenum format, GLenum type,
                                  const GLvoid* pixels);
    void(OGL_ENTRY* glTexParameteri)(GLenum target, GLenum name, GLint value);
    void(OGL_ENTRY* glTranslatef)(GLfloat x, GLfloat y, GLfloat z);
    void(OGL_ENTRY* glVertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void(OGL_ENTRY* glVertexPointer)(GLint size, GLenum type, GLsizei stride,
                                     const GLvoid* pointer);
    void(OGL_ENTRY* glViewport)(GLint x, GLint y, GLsizei width, GLsizei height);

    // Optional extensions, each null when the driver lacks it.
    void(OGL_ENTRY* glActiveTextureARB)(GLenum texture);
    void(OGL_ENTRY* glClientActiveTextureARB)(GLenum texture);
    void(OGL_ENTRY* glLockArraysEXT)(GLint first, GLsizei count);
    void(OGL_ENTRY* glUnlockArraysEXT)();
    void(OGL_ENTRY* glPointParameterfEXT)(GLenum name, GLfloat value);
    void(OGL_ENTRY* glPointParameterfvEXT)(GLenum name, const GLfloat* values);
    // ARB_fragment_program, looked up only where the platform asks (LoadOglPrograms).
    void(OGL_ENTRY* glGenProgramsARB)(GLsizei count, GLuint* programs);
    void(OGL_ENTRY* glBindProgramARB)(GLenum target, GLuint program);
    void(OGL_ENTRY* glProgramStringARB)(GLenum target, GLenum format, GLsizei length,
                                        const void* text);
};

// The entry points of the driver that is open; all null while none is.
extern OglApi gl;

// How a platform finds an entry point of its driver by name: the function's address, or
// null when the driver lacks it. `context` is the platform's own (its library handle).
typedef void* (*OglLookup)(void* context, const char* name);

// Clears the table, then looks up every OpenGL 1.1 entry by its name in alphabetical
// order. The lookup stops at the first name the driver lacks: the rest stay null and
// OglApiComplete says so (the platform goes on and fails where it needs them).
void LoadOglApi(OglLookup lookup, void* context);
// 1 when every OpenGL 1.1 entry was found, so the renderer can draw.
int OglApiComplete();
// Looks up the optional extensions (each may stay null; nothing calls them yet).
void LoadOglExtensions(OglLookup lookup, void* context);
// Looks up the fragment-program functions, which the renderer then uses where the driver
// lists the extension.
void LoadOglPrograms(OglLookup lookup, void* context);
void ClearOglApi();
