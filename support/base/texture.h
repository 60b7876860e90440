// Pictures as the screens draw them: the CSurface a drawable object holds, the Texture
// a screen makes from a picture (image kept in memory plus a device texture), and the
// screen's TextureList that makes and owns the textures. The devices supply the
// device-texture half (OpenGL in support/ogl/ogl_textures, Direct3D in
// support/win/d3d_textures).
#pragma once

#include <cstdint>

#include "ansi/bitmap.h"
#include "colconvert.h"

class Texture;
class TextureList;

#define TEXTURE_FILE_NAME_SIZE 80
#define TEXTURE_DIRECTORY_SIZE 126

// Texture options.
enum TextureOptions {
    TEXTURE_CLAMP = 1,    // clamp coordinates, else repeat
    TEXTURE_NEAREST = 2,  // nearest filtering, else linear
};

// Surface texture modes and blend modes (the render-state values they are given as).
// SURFACE_FADE_ADD darkens the frame by the source's alpha (the texture's times the
// vertices') and adds the source's colour: a fade and an additive layer in one pass.
enum SurfaceTextureMode { SURFACE_UNTEXTURED = 1, SURFACE_TEXTURED = 2 };
enum SurfaceBlendMode {
    SURFACE_OPAQUE = 0,
    SURFACE_ADDITIVE = 1,
    SURFACE_ALPHA = 2,
    SURFACE_FADE_ADD = 3,
};

class CSurface {
public:
    CSurface() : textureMode(SURFACE_UNTEXTURED), blendMode(SURFACE_OPAQUE), texture(nullptr) {}

    // A texture of the current screen from an image, with TextureOptions; a surface
    // that has one gets it re-made from the image.
    int SetTexture(const Bitmap* image, int32_t options = 0);
    // A texture of the current screen from a picture file.
    int LoadTexture(const char* fileName);
    void SetBlendMode(int32_t mode) { blendMode = mode; }
    void SetTextureMode(int32_t mode) { textureMode = mode; }
    // Deletes the texture from the current screen's list; texture null in every case.
    void FreeTexture();

    int32_t textureMode;
    int32_t blendMode;
    Texture* texture;  // owned by the texture list
};

class Texture {
public:
    explicit Texture(TextureList* owner);
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Drops the device texture and the image.
    virtual int Release();
    // Takes size and depth from the source, copies its pixels into the texture's own
    // image in the upload layout and makes a new device texture.
    virtual int CreateFromImage(const Bitmap* source);
    virtual ~Texture();

    // The image's pixels rearranged in place into the upload layout (UploadLayout).
    // Other depths than 24 and 32 bits stay as they are.
    void ConvertToUploadLayout();
    // A 32-bit image without alpha gets its spare byte as an opaque alpha channel.
    void GiveOpaqueAlpha();
    // Size, depth and a copy of the source's pixels in the upload layout, without
    // touching the device texture. 0 when the image cannot be made.
    int TakeImage(const Bitmap* source);

    TextureList* list;
    Texture* next;
    char fileName[TEXTURE_FILE_NAME_SIZE];
    int32_t id;
    int32_t width;
    int32_t height;
    int32_t userValue;
    int32_t bits;
    int32_t options;
    Bitmap image;

    // The device half: make the device texture from `image` / drop it.
    virtual int Upload() = 0;
    virtual void ReleaseDeviceTexture() = 0;
    // The layout the device takes an image of 24 or 32 bits in. This one: 24 bits as
    // red, green, blue bytes; 32 bits as red, green, blue, alpha bytes.
    virtual void UploadLayout(int32_t bits, PixelFormat* layout) const;
};

class TextureList {
public:
    TextureList();
    TextureList(const TextureList&) = delete;
    TextureList& operator=(const TextureList&) = delete;

    virtual Texture* LoadFromFile(const char* fileName, int32_t userValue, int32_t options);
    virtual Texture* CreateFromImage(const Bitmap* image, int32_t userValue, int32_t options);
    virtual Texture* First() { return first; }
    virtual void SetFirst(Texture* texture) { first = texture; }
    virtual int RestoreAll() = 0;
    virtual int ReleaseAll() = 0;
    virtual ~TextureList();

    // Copies at most 125 characters. Texture files are read from directory + name, with
    // no separator put between them.
    void SetDirectory(const char* path);
    Texture* FindById(int32_t id);
    int Delete(Texture* texture);
    int DeleteAll();

    char directory[TEXTURE_DIRECTORY_SIZE];
    int32_t count;  // the last id given
    Texture* first;

protected:
    // A new texture of the device's kind, owned by this list.
    virtual Texture* NewTexture() = 0;

private:
    Texture* MakeTexture(const char* fileName, int32_t userValue, int32_t options);
};
