#include "ogl/ogl_textures.h"

#include "ansi/memory.h"
#include "ogl/ogl_api.h"

OglTexture::~OglTexture() { ReleaseDeviceTexture(); }

int OglTexture::Upload() {
    if (!gl.glGenTextures || !image.pixels) return 0;
    GLuint texture = 0;
    gl.glGenTextures(1, &texture);
    name = int32_t(texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    GLint wrap = (options & TEXTURE_CLAMP) ? GL_CLAMP : GL_REPEAT;
    GLint filter = (options & TEXTURE_NEAREST) ? GL_NEAREST : GL_LINEAR;
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    GLint internal;
    GLenum format;
    switch (bits / 8) {
        case 4:
            internal = GL_RGBA8;
            format = GL_RGBA;
            break;
        case 3:
            internal = GL_RGB8;
            format = GL_RGB;
            break;
        default:
            // An 8-bit image is an alpha map of its byte values.
            internal = 1;
            format = GL_ALPHA;
            break;
    }
    // Rows of the image are padded to its pitch; tell OpenGL when that is not tight.
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, (image.pitch % 4 == 0) ? 4 : 1);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, internal, width, height, 0, format, GL_UNSIGNED_BYTE,
                    image.pixels);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return 1;
}

void OglTexture::ReleaseDeviceTexture() {
    if (name == -1) return;
    if (gl.glDeleteTextures) {
        GLuint texture = GLuint(name);
        gl.glDeleteTextures(1, &texture);
    }
    name = -1;
}

OglTextureList::~OglTextureList() { DeleteAll(); }

Texture* OglTextureList::NewTexture() { return XNEW(OglTexture, this); }
