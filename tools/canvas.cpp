#include "canvas.h"

#include <cmath>
#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"

Canvas::Canvas(int width, int height)
    : width(width), height(height), pixels(size_t(width) * size_t(height) * 3, 0.0f) {}

void Canvas::Add(int x, int y, float red, float green, float blue) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    float* p = At(x, y);
    p[0] += red;
    p[1] += green;
    p[2] += blue;
}

uint8_t CanvasByte(float value) {
    if (!(value > 0)) return 0;
    if (value >= 1) return 255;
    return uint8_t(std::lround(value * 255));
}

int SaveCanvasBmp(const Canvas& canvas, const char* path) {
    // Bytes red, green, blue in memory (positions 16, 8, 0): the codec writes them
    // reversed, as the file wants.
    Bitmap bitmap;
    if (!bitmap.CreateRgb(canvas.width, canvas.height, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
    for (int y = 0; y < canvas.height; ++y) {
        uint8_t* row = bitmap.pixels + intptr_t(y) * bitmap.pitch;
        for (int x = 0; x < canvas.width; ++x) {
            const float* p = canvas.At(x, y);
            for (int c = 0; c < 3; ++c) row[3 * x + c] = CanvasByte(p[c]);
        }
    }
    BmpCodec codec;
    return codec.Save(path, bitmap, 0, 0, 0);
}

std::vector<uint32_t> CanvasTexels(const Canvas& canvas) {
    std::vector<uint32_t> texels(size_t(canvas.width) * size_t(canvas.height));
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float* p = canvas.At(x, y);
            texels[size_t(y) * size_t(canvas.width) + size_t(x)] =
                0xFF000000u | uint32_t(CanvasByte(p[0])) << 16 | uint32_t(CanvasByte(p[1])) << 8 |
                CanvasByte(p[2]);
        }
    return texels;
}
