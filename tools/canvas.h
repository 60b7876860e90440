// A picture being painted by the texture tools: red, green, blue in 0..1 per pixel,
// rows from the top. Painting adds light, as the program draws these textures
// additively; values above 1 are clipped when the picture is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Canvas {
    Canvas(int width, int height);

    float* At(int x, int y) { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const float* At(int x, int y) const {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
    void Add(int x, int y, float red, float green, float blue);

    int width;
    int height;
    std::vector<float> pixels;
};

// 0..1 to a byte, rounded, clipped.
uint8_t CanvasByte(float value);

// A 24-bit Windows bitmap through the support library's own BMP codec. 1 on success.
int SaveCanvasBmp(const Canvas& canvas, const char* path);

// Opaque texels alpha << 24 | red << 16 | green << 8 | blue, rows from the top.
std::vector<uint32_t> CanvasTexels(const Canvas& canvas);

// A small fixed-seed generator (xorshift32), so the pictures come out the same with
// every C library.
class ToolRandom {
public:
    explicit ToolRandom(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // 0 <= value < 1
    float Unit() { return float(Next() >> 8) / 16777216.0f; }

private:
    uint32_t state;
};

// The pictures the program ships, each in its own file.
void PaintStarSprite(Canvas& canvas);  // star.bmp, 64 x 64
void PaintStarTile(Canvas& canvas);    // stars.bmp, 256 x 256
void PaintFont(Canvas& canvas);        // font8x8.bmp, 128 x 64
void PaintIntroAtlas(Canvas& canvas);  // nd.fxt, 256 x 256
// The editor panel's pictures (gui_layout.h lists them with their sizes), by define.
void PaintGuiPicture(Canvas& canvas, const char* define);
