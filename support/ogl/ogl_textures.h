// The OpenGL half of textures: one texture name per texture, uploaded at level 0 with
// no mip-maps and no resizing.
#pragma once

#include "base/texture.h"

class OglTexture : public Texture {
public:
    explicit OglTexture(TextureList* owner) : Texture(owner), name(-1) {}
    ~OglTexture() override;
    int Upload() override;
    void ReleaseDeviceTexture() override;
    void UploadLayout(int32_t bits, PixelFormat* layout) const override;

    int32_t name;  // -1 while there is no device texture
};

class OglTextureList : public TextureList {
public:
    ~OglTextureList() override;
    // OpenGL keeps its textures across a loss of activation.
    int RestoreAll() override { return 1; }
    int ReleaseAll() override { return 1; }

protected:
    Texture* NewTexture() override;
};
