// The star sprite and the tiled star layer. Both are drawn additively over black, so
// black is "no light" and both pictures fade to exactly black where they end.
#include <cmath>

#include "canvas.h"

namespace {

float Gauss(float distance, float radius) {
    float r = distance / radius;
    return std::exp(-r * r);
}

}  // namespace

// A white core in a blue-white glow with faint cross spikes. The glow is windowed to
// reach 0 before the edge: the sprite repeats (its texture wraps), and any light on the
// border would be filtered in from the opposite side.
void PaintStarSprite(Canvas& canvas) {
    float half = float(canvas.width) / 2;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            float u = (float(x) + 0.5f - half) / half;
            float v = (float(y) + 0.5f - half) / half;
            float d = std::sqrt(u * u + v * v);
            if (d >= 1) continue;
            float window = (1 - d * d) * (1 - d * d);
            float core = Gauss(d, 0.09f);
            float glow = 0.70f * Gauss(d, 0.25f) + 0.25f * std::exp(-d / 0.22f);
            float spikes = 0.30f * (Gauss(u, 0.035f) * std::pow(1 - std::fabs(v), 3.0f) +
                                    Gauss(v, 0.035f) * std::pow(1 - std::fabs(u), 3.0f));
            float outer = (glow + spikes) * window;
            core *= window;
            canvas.Add(x, y, core + 0.72f * outer, core + 0.84f * outer, core + 1.00f * outer);
        }
}

// Faint stars in numbers, bright ones rare, a few tinted blue or warm; each star a
// small gaussian spot laid with wrap-around so the tile repeats without a seam.
void PaintStarTile(Canvas& canvas) {
    const int kStars = 460;
    const float kTints[4][3] = {
        {1.00f, 1.00f, 1.00f}, {0.78f, 0.87f, 1.00f}, {1.00f, 0.93f, 0.80f}, {1.00f, 0.82f, 0.66f}};
    ToolRandom random(0x4E6F7661u);
    for (int star = 0; star < kStars; ++star) {
        float cx = random.Unit() * float(canvas.width);
        float cy = random.Unit() * float(canvas.height);
        float u = random.Unit();
        float brightness = 0.10f + 0.90f * u * u * u * u;
        float pick = random.Unit();
        const float* tint = kTints[pick < 0.55f ? 0 : pick < 0.80f ? 1 : pick < 0.94f ? 2 : 3];
        float sigma = 0.50f + 0.75f * brightness;
        float haloSigma = 3.2f * sigma;
        int reach = int(std::ceil(4 * haloSigma));
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                int px = int(std::floor(cx)) + dx, py = int(std::floor(cy)) + dy;
                float ox = float(px) + 0.5f - cx, oy = float(py) + 0.5f - cy;
                float d2 = ox * ox + oy * oy;
                float light = brightness * std::exp(-d2 / (2 * sigma * sigma));
                if (brightness > 0.5f)
                    light += 0.12f * brightness * std::exp(-d2 / (2 * haloSigma * haloSigma));
                px = (px % canvas.width + canvas.width) % canvas.width;
                py = (py % canvas.height + canvas.height) % canvas.height;
                canvas.Add(px, py, light * tint[0], light * tint[1], light * tint[2]);
            }
    }
}
