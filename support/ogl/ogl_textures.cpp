#include "ogl/ogl_textures.h"

#include "ansi/memory.h"
#include "ogl/ogl_api.h"

OglTexture::~OglTexture() {
    ReleaseDeviceTexture();
}

int OglTexture::Upload() {
    if (!gl.glGenTextures || !image.pixels) return 0;
    GLuint texture = 0;
    gl.glGenTextures(1, &texture);
    name = int32_t(texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    // Clamped to the edge texels, not the border: a stretched picture keeps its edges.
    GLint wrap = (options & TEXTURE_CLAMP) ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    GLint filter = (options & TEXTURE_NEAREST) ? GL_NEAREST : GL_LINEAR;
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    GLint internal;
    GLenum format;
    switch (bits / 8) {
        case 4:
            // Unsized, so that the driver may keep the texture in the order it comes in.
            internal = GL_RGBA;
            format = GL_BGRA_EXT;
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

// 32 bits as blue, green, red, alpha bytes: the order software rasterisers keep their
// textures in, which they then sample without converting.
void OglTexture::UploadLayout(int32_t bits, PixelFormat* layout) const {
    Texture::UploadLayout(bits, layout);
    if (layout->bits == 32) {
        layout->redMask = 0x00FF0000;
        layout->blueMask = 0x000000FF;
    }
}

void OglTexture::ReleaseDeviceTexture() {
    if (name == -1) return;
    if (gl.glDeleteTextures) {
        GLuint texture = GLuint(name);
        gl.glDeleteTextures(1, &texture);
    }
    name = -1;
}

OglTextureList::~OglTextureList() {
    DeleteAll();
}

Texture* OglTextureList::NewTexture() {
    return XNEW(OglTexture, this);
}
