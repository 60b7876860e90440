// The Direct3D textures. Contents, in order: the texture-format search and the
// power-of-two sizes; DescribePixels; D3dTexture (its surface made, refilled and let
// go); D3dTextureList (its surfaces remade or released together).
#include "d3d_textures.h"

#include <cstring>

#include "ansi/memory.h"
#include "scr_d3d.h"

namespace {

// The texture format chosen among those the device lists.
struct FormatSearch {
    bool paletted;  // an image of 8 bits or less
    bool found;
    DDPIXELFORMAT chosen;
    bool foundSixteen;
    DDPIXELFORMAT sixteen;
};

HRESULT CALLBACK ConsiderTextureFormat(DDPIXELFORMAT* format, void* context) {
    FormatSearch* search = static_cast<FormatSearch*>(context);
    if (format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV))
        return D3DENUMRET_OK;
    if (search->paletted) {
        if (format->dwFlags & DDPF_PALETTEINDEXED8) {
            search->chosen = *format;
            search->found = true;
            return D3DENUMRET_CANCEL;
        }
        return D3DENUMRET_OK;
    }
    if ((format->dwFlags & DDPF_FOURCC) || format->dwRGBBitCount < 16 ||
        !(format->dwFlags & DDPF_ALPHAPIXELS))
        return D3DENUMRET_OK;
    if (format->dwRGBBitCount == 32) {
        search->chosen = *format;
        search->found = true;
        return D3DENUMRET_CANCEL;
    }
    // 4-4-4-4 keeps only four bits of each colour; another 16-bit format is better.
    if (format->dwRGBBitCount == 16 && format->dwRGBAlphaBitMask != 0xF000 &&
        !search->foundSixteen) {
        search->sixteen = *format;
        search->foundSixteen = true;
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
    D3DDEVICEDESC7 caps;
    std::memset(&caps, 0, sizeof caps);
    if (device->GetCaps(&caps) != D3D_OK) return 0;

    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags =
        DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    bool hardware = screen->deviceInfo && screen->deviceInfo->hardware;
    if (hardware)
        description.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    description.dwTextureStage = DWORD(userValue);

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

    FormatSearch search;
    std::memset(&search, 0, sizeof search);
    search.paletted = image.bitsPerPixel <= 8;
    device->EnumTextureFormats(ConsiderTextureFormat, &search);
    if (search.found)
        description.ddpfPixelFormat = search.chosen;
    else if (search.foundSixteen)
        description.ddpfPixelFormat = search.sixteen;
    else
        return 0;

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
    if (filled && screen->deviceInfo && screen->deviceInfo->hardware)
        screen->device->PreLoad(surface);
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
