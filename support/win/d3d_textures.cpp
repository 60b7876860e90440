// The Direct3D textures. Contents, in order: the texture-format search and the
// power-of-two sizes; DescribePixels; D3dTextureFormats (read once per device);
// D3dTexture (its surface made, refilled and let go); D3dTextureList (its surfaces
// remade or released together).
#include "d3d_textures.h"

#include <cstring>

#include "ansi/memory.h"
#include "scr_d3d.h"

namespace {

HRESULT CALLBACK ConsiderTextureFormat(DDPIXELFORMAT* format, void* context) {
    D3dTextureFormats* formats = static_cast<D3dTextureFormats*>(context);
    if (format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV))
        return D3DENUMRET_OK;
    if (format->dwFlags & DDPF_PALETTEINDEXED8) {
        if (!formats->havePaletted) formats->paletted = *format;
        formats->havePaletted = true;
        return D3DENUMRET_OK;
    }
    if ((format->dwFlags & DDPF_FOURCC) || !(format->dwFlags & DDPF_ALPHAPIXELS))
        return D3DENUMRET_OK;
    if (format->dwRGBBitCount == 32 && !formats->haveAlpha32) {
        formats->alpha32 = *format;
        formats->haveAlpha32 = true;
    } else if (format->dwRGBBitCount == 16 && format->dwRGBAlphaBitMask != 0xF000 &&
               !formats->haveAlpha16) {
        formats->alpha16 = *format;
        formats->haveAlpha16 = true;
    }
    return D3DENUMRET_OK;
}

DWORD NextPowerOfTwo(DWORD value) {
    DWORD power = 1;
    while (power < value && power < 0x80000000u) power <<= 1;
    return power;
}

}  // namespace

void DescribePixels(const DDPIXELFORMAT& format, PixelFormat* described) {
    std::memset(described, 0, sizeof *described);
    described->bits = int32_t(format.dwRGBBitCount);
    described->redMask = format.dwRBitMask;
    described->greenMask = format.dwGBitMask;
    described->blueMask = format.dwBBitMask;
    described->alphaMask = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
}

int D3dTextureFormats::Read(IDirect3DDevice7* device) {
    std::memset(this, 0, sizeof *this);
    if (!device || device->GetCaps(&caps) != D3D_OK) return 0;
    device->EnumTextureFormats(ConsiderTextureFormat, this);
    known = 1;
    return 1;
}

const DDPIXELFORMAT* D3dTextureFormats::For(int32_t bitsPerPixel) const {
    if (bitsPerPixel <= 8) return havePaletted ? &paletted : nullptr;
    if (haveAlpha32) return &alpha32;
    return haveAlpha16 ? &alpha16 : nullptr;
}

D3dTexture::~D3dTexture() {
    ReleaseDeviceTexture();
}

void D3dTexture::UploadLayout(int32_t bits, PixelFormat* layout) const {
    Texture::UploadLayout(bits, layout);
    if (layout->bits == 24) {
        layout->redMask = 0x0000FF;
        layout->blueMask = 0xFF0000;
    }
}

void D3dTexture::ReleaseDeviceTexture() {
    if (surface) surface->Release();
    surface = nullptr;
}

int D3dTexture::Upload() {
    ReleaseDeviceTexture();
    IDirect3DDevice7* device = screen ? screen->device : nullptr;
    if (!device || !image.pixels) return 0;
    D3dTextureFormats& formats = screen->textureFormats;
    if (!formats.known && !formats.Read(device)) return 0;
    const D3DDEVICEDESC7& caps = formats.caps;
    const DDPIXELFORMAT* format = formats.For(image.bitsPerPixel);
    if (!format) return 0;

    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags =
        DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    if (screen->deviceHardware)
        description.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    description.dwTextureStage = DWORD(userValue);
    description.ddpfPixelFormat = *format;

    DWORD surfaceWidth = DWORD(image.width), surfaceHeight = DWORD(image.height);
    if (caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_POW2) {
        surfaceWidth = NextPowerOfTwo(surfaceWidth);
        surfaceHeight = NextPowerOfTwo(surfaceHeight);
    }
    DWORD maxWidth = caps.dwMaxTextureWidth ? caps.dwMaxTextureWidth : 256;
    DWORD maxHeight = caps.dwMaxTextureHeight ? caps.dwMaxTextureHeight : 256;
    if (surfaceWidth > maxWidth) surfaceWidth = maxWidth;
    if (surfaceHeight > maxHeight) surfaceHeight = maxHeight;
    if (caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_SQUAREONLY)
        surfaceWidth = surfaceHeight = surfaceWidth > surfaceHeight ? surfaceWidth : surfaceHeight;
    description.dwWidth = surfaceWidth;
    description.dwHeight = surfaceHeight;

    if (!screen->directDraw ||
        screen->directDraw->CreateSurface(&description, &surface, nullptr) != DD_OK) {
        surface = nullptr;
        return 0;
    }
    if (!Refill()) {
        ReleaseDeviceTexture();
        return 0;
    }
    return 1;
}

int D3dTexture::CreateFromImage(const Bitmap* source) {
    if (!surface || !source || !source->pixels || source->width != width ||
        source->height != height || source->bitsPerPixel != bits)
        return Texture::CreateFromImage(source);
    return TakeImage(source) && Refill();
}

int D3dTexture::Refill() {
    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = sizeof locked;
    HRESULT result;
    do result = surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    while (result == DDERR_WASSTILLDRAWING);
    if (result != DD_OK) return 0;
    int filled = FillSurface(locked);
    surface->Unlock(nullptr);
    if (filled && screen->deviceHardware) screen->device->PreLoad(surface);
    return filled;
}

int D3dTexture::FillSurface(const DDSURFACEDESC2& locked) {
    PixelFormat source;
    std::memset(&source, 0, sizeof source);
    if (image.bitsPerPixel <= 8) {
        source.bits = 8;
        source.palette = image.palette ? image.palette->entries : nullptr;
    } else if (!ColConvert::FormatFromBitmap(image, &source)) {
        return 0;
    }
    PixelFormat destination;
    DescribePixels(locked.ddpfPixelFormat, &destination);
    PixelFormat converter;
    std::memset(&converter, 0, sizeof converter);
    if (!ColConvert::PrepareDestination(&converter, &destination)) return 0;
    // A surface the device made smaller than the picture takes what fits.
    int32_t width = image.width < int32_t(locked.dwWidth) ? image.width : int32_t(locked.dwWidth);
    int32_t height =
        image.height < int32_t(locked.dwHeight) ? image.height : int32_t(locked.dwHeight);
    int converted = ColConvert::Convert(&converter, image.pixels, locked.lpSurface, width, height,
                                        image.pitch, locked.lPitch, &source, 0);
    ColConvert::ReleaseTable(&converter);
    return converted;
}

D3dTextureList::~D3dTextureList() {
    DeleteAll();
}

Texture* D3dTextureList::NewTexture() {
    return XNEW(D3dTexture, this, screen);
}

int D3dTextureList::RestoreAll() {
    for (Texture* texture = First(); texture; texture = texture->next) texture->Upload();
    return 1;
}

int D3dTextureList::ReleaseAll() {
    for (Texture* texture = First(); texture; texture = texture->next)
        texture->ReleaseDeviceTexture();
    return 1;
}
