#include "base/texture.h"

#include <cstdio>
#include <cstring>

#include "ansi/memory.h"
#include "base/screenb.h"
#include "misc.h"
#include "xsystem.h"

namespace {

TextureList* CurrentTextureList() {
    return glb && glb->currentScreen ? glb->currentScreen->GetTextureList() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// CSurface

int CSurface::SetTexture(const Bitmap* image, int32_t options) {
    textureMode = SURFACE_TEXTURED;
    if (texture) {
        texture->options = options;
        texture->CreateFromImage(image);
        return 1;
    }
    TextureList* list = CurrentTextureList();
    texture = list ? list->CreateFromImage(image, 0, options) : nullptr;
    if (!texture) return SetErrorText("CSurface::SetTexture failed");
    return 1;
}

int CSurface::LoadTexture(const char* fileName) {
    textureMode = SURFACE_TEXTURED;
    TextureList* list = CurrentTextureList();
    texture = list ? list->LoadFromFile(fileName, 0, 0) : nullptr;
    if (!texture) return SetErrorText("CSurface::LoadTexture failed");
    return 1;
}

void CSurface::FreeTexture() {
    TextureList* list = CurrentTextureList();
    if (texture && list) list->Delete(texture);
    texture = nullptr;
}

// ---------------------------------------------------------------------------------------
// Texture

Texture::Texture(TextureList* owner)
    : list(owner), next(nullptr), id(0), width(0), height(0), userValue(0), bits(0), options(0) {
    fileName[0] = 0;
}

Texture::~Texture() {}

int Texture::Release() {
    ReleaseDeviceTexture();
    image.Release();
    return 1;
}

void Texture::ConvertToUploadLayout() {
    if (image.bitsPerPixel != 24 && image.bitsPerPixel != 32) return;
    // A 32-bit picture without alpha (every 32-bit BMP file) has a spare byte. The
    // converter refuses 32-bit pictures without all four channels and leaves them as
    // they are, which drew them with red and blue swapped and the spare byte as alpha;
    // so the spare byte becomes an opaque alpha channel first.
    if (image.bitsPerPixel == 32 && image.alphaSize == 0) GiveOpaqueAlpha();
    PixelFormat source = {};
    if (!ColConvert::FormatFromBitmap(image, &source)) return;
    PixelFormat upload = {};
    UploadLayout(image.bitsPerPixel, &upload);
    // A picture already in the layout stays as it is (the converter would take its slow
    // path for two equal 24-bit formats, and say so in the log every time).
    if (source.redMask == upload.redMask && source.greenMask == upload.greenMask &&
        source.blueMask == upload.blueMask && source.alphaMask == upload.alphaMask)
        return;
    PixelFormat converter = {};
    if (!ColConvert::PrepareDestination(&converter, &upload)) return;
    ColConvert::Convert(&converter, image.pixels, image.pixels, image.width, image.height,
                        image.pitch, image.pitch, &source, 0);
    ColConvert::ReleaseTable(&converter);
    // The image now holds the upload layout; its channel record says so.
    image.redPos = converter.redShift;
    image.greenPos = converter.greenShift;
    image.bluePos = converter.blueShift;
    if (upload.bits == 32) {
        image.alphaPos = converter.alphaShift;
        if (image.alphaSize == 0) image.alphaSize = 8;
    }
}

void Texture::UploadLayout(int32_t bits, PixelFormat* layout) const {
    layout->bits = bits == 24 ? 24 : 32;
    if (layout->bits == 24) {
        layout->redMask = 0xFF0000;
        layout->greenMask = 0x00FF00;
        layout->blueMask = 0x0000FF;
    } else {
        layout->redMask = 0x000000FF;
        layout->greenMask = 0x0000FF00;
        layout->blueMask = 0x00FF0000;
        layout->alphaMask = 0xFF000000;
    }
}

void Texture::GiveOpaqueAlpha() {
    int32_t spare = 0;
    while (spare == image.redPos || spare == image.greenPos || spare == image.bluePos) spare += 8;
    if (spare > 24 || !image.pixels) return;
    const uint32_t opaque = uint32_t(0xFF) << spare;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.pixels + y * image.pitch;
        for (int32_t x = 0; x < image.width; ++x) {
            uint32_t word;
            std::memcpy(&word, row + x * 4, 4);
            word |= opaque;
            std::memcpy(row + x * 4, &word, 4);
        }
    }
    image.alphaSize = 8;
    image.alphaPos = spare;
}

int Texture::CreateFromImage(const Bitmap* source) {
    if (!source || !source->pixels) return 0;
    ReleaseDeviceTexture();
    if (!TakeImage(source)) return 0;
    return Upload();
}

int Texture::TakeImage(const Bitmap* source) {
    width = source->width;
    height = source->height;
    bits = source->bitsPerPixel;
    int32_t pitch = 0, total = 0;
    if (!BitmapGeometry(width, height, source->bytesPerPixel, 1, &pitch, &total)) return 0;
    if (!image.CreateWithMasks(width, height, bits, source->redSize, source->greenSize,
                               source->blueSize, source->alphaSize, source->redPos,
                               source->greenPos, source->bluePos, source->alphaPos))
        return 0;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(image.pixels + y * image.pitch, source->pixels + y * source->pitch,
                    size_t(pitch));
    ConvertToUploadLayout();
    return 1;
}

// ---------------------------------------------------------------------------------------
// TextureList

TextureList::TextureList() : count(0), first(nullptr) {
    std::strcpy(directory, ".");
}

TextureList::~TextureList() {}

void TextureList::SetDirectory(const char* path) {
    std::snprintf(directory, sizeof directory, "%s", path ? path : "");
}

Texture* TextureList::MakeTexture(const char* fileName, int32_t userValue, int32_t options) {
    Texture* texture = NewTexture();
    if (!texture) return nullptr;
    std::snprintf(texture->fileName, sizeof texture->fileName, "%s", fileName ? fileName : "");
    texture->userValue = userValue;
    texture->options = options;
    texture->id = ++count;
    return texture;
}

Texture* TextureList::LoadFromFile(const char* fileName, int32_t userValue, int32_t options) {
    if (!fileName) return nullptr;
    Texture* texture = MakeTexture(fileName, userValue, options);
    if (!texture) return nullptr;
    char path[TEXTURE_DIRECTORY_SIZE + TEXTURE_FILE_NAME_SIZE + 256];
    std::snprintf(path, sizeof path, "%s%s", directory, fileName);
    if (!texture->image.Load(path)) {
        SetErrorText("Unable to load texture : %s", path);
        XDELETE(texture);
        return nullptr;
    }
    texture->width = texture->image.width;
    texture->height = texture->image.height;
    texture->bits = texture->image.bitsPerPixel;
    texture->ConvertToUploadLayout();
    texture->Upload();
    texture->next = First();
    SetFirst(texture);
    return texture;
}

Texture* TextureList::CreateFromImage(const Bitmap* image, int32_t userValue, int32_t options) {
    if (!image) return nullptr;
    Texture* texture = MakeTexture("", userValue, options);
    if (!texture) return nullptr;
    if (!texture->CreateFromImage(image)) {
        XDELETE(texture);
        return nullptr;
    }
    texture->next = First();
    SetFirst(texture);
    return texture;
}

Texture* TextureList::FindById(int32_t id) {
    for (Texture* texture = First(); texture; texture = texture->next)
        if (texture->id == id) return texture;
    return nullptr;
}

int TextureList::Delete(Texture* texture) {
    if (!texture || FindById(texture->id) != texture) return 0;
    texture->Release();
    if (First() == texture) {
        SetFirst(texture->next);
    } else {
        for (Texture* before = First(); before; before = before->next)
            if (before->next == texture) {
                before->next = texture->next;
                break;
            }
    }
    XDELETE(texture);
    return 1;
}

int TextureList::DeleteAll() {
    while (First()) Delete(First());
    return 1;
}
