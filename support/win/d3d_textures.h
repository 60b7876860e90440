// The Direct3D half of textures: one texture surface per texture, made from the image
// the texture keeps, so the surfaces can be made again after they were lost.
#pragma once

#include "base/texture.h"
#include "d3d_api.h"

class D3dScreen;

// The colour converter's description of a DirectDraw pixel format.
void DescribePixels(const DDPIXELFORMAT& format, PixelFormat* described);

// What a device offers its textures, read once per device (its capabilities and one
// pass over the texture formats it lists) rather than for every texture.
struct D3dTextureFormats {
    int32_t known;  // 0 until Read, and again once the device is let go
    D3DDEVICEDESC7 caps;
    // The first format of each kind in the device's list, luminance and bump maps
    // never: 32 bits with alpha, 16 bits with alpha other than 4-4-4-4 (which keeps only
    // four bits of each colour), palettised 8 bits.
    bool haveAlpha32, haveAlpha16, havePaletted;
    DDPIXELFORMAT alpha32, alpha16, paletted;

    int Read(IDirect3DDevice7* device);
    // The format for an image of that depth (8 bits or less: palettised; more: 32
    // bits with alpha, else 16), or null when the device offers none.
    const DDPIXELFORMAT* For(int32_t bitsPerPixel) const;
};

class D3dTexture : public Texture {
public:
    D3dTexture(TextureList* owner, D3dScreen* screen)
        : Texture(owner), screen(screen), surface(nullptr) {}
    ~D3dTexture() override;
    // Format, size and memory chosen from what the device offers; the image is
    // converted into the surface by the colour converter.
    int Upload() override;
    void ReleaseDeviceTexture() override;
    // A picture of the same size and depth refills the surface there is.
    int CreateFromImage(const Bitmap* source) override;
    // The colour converter reads 24-bit sources as bytes blue, green, red, so that is
    // the layout a 24-bit image is kept in here.
    void UploadLayout(int32_t bits, PixelFormat* layout) const override;

    D3dScreen* screen;
    IDirectDrawSurface7* surface;  // null while there is none

private:
    // Locks the surface (waiting while the device still draws from it) and converts
    // the image into it.
    int Refill();
    int FillSurface(const DDSURFACEDESC2& locked);
};

class D3dTextureList : public TextureList {
public:
    explicit D3dTextureList(D3dScreen* owner) : screen(owner) {}
    ~D3dTextureList() override;
    // The surfaces are made again from the kept images (after a loss of activation or
    // of the surfaces), or dropped while the images stay.
    int RestoreAll() override;
    int ReleaseAll() override;

protected:
    Texture* NewTexture() override;

private:
    D3dScreen* screen;
};
