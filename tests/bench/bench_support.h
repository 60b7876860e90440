// Pieces the benchmark programs share: textures that stay in memory (for the
// recording screen) and the median of a set of timings.
#pragma once

#include <algorithm>
#include <vector>

#include "ansi/memory.h"
#include "base/texture.h"

class MemoryTexture : public Texture {
public:
    explicit MemoryTexture(TextureList* owner) : Texture(owner) {}
    int Upload() override { return 1; }
    void ReleaseDeviceTexture() override {}
};

class MemoryTextureList : public TextureList {
public:
    int RestoreAll() override { return 1; }
    int ReleaseAll() override { return 1; }

protected:
    Texture* NewTexture() override { return XNEW(MemoryTexture, this); }
};

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
