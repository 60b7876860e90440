// The editor's pointer: an arrow with its tip at the picture's top-left corner, drawn
// additively, so black is see-through. A white rim around a pale blue body keeps it
// visible over the dark star field and, brightening whatever lies below, over the
// panel too.
#include <cmath>

#include "canvas.h"

namespace {

struct Point {
    float x, y;
};

// The arrow, clockwise from its tip, in pixels. The tip sits one pixel in, so that the
// edge texels, which a repeating texture blends with the opposite edge, stay black.
const Point kArrow[] = {{1.0f, 1.0f},  {12.5f, 12.5f}, {7.8f, 12.9f}, {10.8f, 19.6f},
                        {8.2f, 20.8f}, {5.2f, 14.2f},  {1.0f, 17.5f}};
const int kArrowPoints = sizeof kArrow / sizeof kArrow[0];

bool Inside(float x, float y) {
    bool inside = false;
    for (int i = 0, j = kArrowPoints - 1; i < kArrowPoints; j = i++) {
        const Point& a = kArrow[i];
        const Point& b = kArrow[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

float DistanceToOutline(float x, float y) {
    float nearest = 1e9f;
    for (int i = 0, j = kArrowPoints - 1; i < kArrowPoints; j = i++) {
        const Point& a = kArrow[j];
        const Point& b = kArrow[i];
        float ex = b.x - a.x, ey = b.y - a.y;
        float t = ((x - a.x) * ex + (y - a.y) * ey) / (ex * ex + ey * ey);
        t = std::fmin(1.0f, std::fmax(0.0f, t));
        float dx = x - (a.x + t * ex), dy = y - (a.y + t * ey);
        nearest = std::fmin(nearest, std::sqrt(dx * dx + dy * dy));
    }
    return nearest;
}

}  // namespace

// Each pixel is the mean of 4 x 4 samples: rim within 1.3 pixels of the outline, body
// elsewhere inside.
void PaintPointer(Canvas& canvas) {
    const int kSamples = 4;
    const float kRim = 1.3f;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            float r = 0.0f, g = 0.0f, b = 0.0f;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    float px = float(x) + (float(sx) + 0.5f) / kSamples;
                    float py = float(y) + (float(sy) + 0.5f) / kSamples;
                    if (!Inside(px, py)) continue;
                    if (DistanceToOutline(px, py) < kRim) {
                        r += 1.0f;
                        g += 1.0f;
                        b += 1.0f;
                    } else {
                        r += 0.45f;
                        g += 0.62f;
                        b += 0.95f;
                    }
                }
            const float n = float(kSamples * kSamples);
            canvas.Add(x, y, r / n, g / n, b / n);
        }
}
