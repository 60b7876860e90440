// Draws the program's icon: make_icon <file.ico> writes a nova, a bright four-pointed
// star with a glow, on a round night-blue disc with a few far stars, at 16, 32 and 48
// pixels in one icon file. Each size is drawn for its own grid (4 x 4 samples a pixel),
// not scaled down, so the small sizes stay sharp; the far stars only show from 32 up.
// The entries are 32-bit pictures with alpha and the AND mask that older readers use.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
    float r, g, b, a;
};

// Where the far stars stand, as parts of the icon's size, and how bright they are.
const float kFarStars[][3] = {{0.27f, 0.30f, 0.9f},
                              {0.72f, 0.24f, 0.7f},
                              {0.30f, 0.74f, 0.6f},
                              {0.76f, 0.70f, 0.8f},
                              {0.50f, 0.16f, 0.5f}};

// One sample at (x, y) in pixels of an icon of the given size.
Rgba Sample(float x, float y, int size) {
    float s = float(size);
    float dx = x - s / 2, dy = y - s / 2;
    float distance = std::sqrt(dx * dx + dy * dy);
    float radius = 0.47f * s;
    if (distance > radius) return {0, 0, 0, 0};
    // The disc: deep blue, lighter toward the middle.
    float inward = 1.0f - distance / radius;
    Rgba colour = {0.04f + 0.08f * inward, 0.07f + 0.14f * inward, 0.22f + 0.30f * inward, 1};
    // The nova: a round glow and four spikes that thin out toward their ends.
    float glow = std::exp(-(distance * distance) / (0.016f * s * s));
    float spikeX =
        std::exp(-std::fabs(dy) / (0.03f * s)) * std::fmax(0.0f, 1 - std::fabs(dx) / (0.42f * s));
    float spikeY =
        std::exp(-std::fabs(dx) / (0.03f * s)) * std::fmax(0.0f, 1 - std::fabs(dy) / (0.42f * s));
    float light = glow + spikeX + spikeY;
    if (size >= 32) {
        for (const auto& star : kFarStars) {
            float sx = x - star[0] * s, sy = y - star[1] * s;
            light += star[2] * std::exp(-(sx * sx + sy * sy) / (0.0004f * s * s));
        }
    }
    colour.r += light * 0.95f;
    colour.g += light * 0.97f;
    colour.b += light;
    return colour;
}

// Bottom-up rows of blue, green, red, alpha bytes.
std::vector<uint8_t> DrawIcon(int size) {
    const int samples = 4;
    std::vector<uint8_t> pixels;
    for (int row = size - 1; row >= 0; --row) {
        for (int column = 0; column < size; ++column) {
            Rgba sum = {0, 0, 0, 0};
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    Rgba c =
                        Sample(column + (sx + 0.5f) / samples, row + (sy + 0.5f) / samples, size);
                    // Colours weighted by coverage, so the rim blends with what lies below.
                    sum.r += std::fmin(c.r, 1.0f) * c.a;
                    sum.g += std::fmin(c.g, 1.0f) * c.a;
                    sum.b += std::fmin(c.b, 1.0f) * c.a;
                    sum.a += c.a;
                }
            auto byte = [](float value) {
                return uint8_t(std::lround(std::fmin(value, 1.0f) * 255));
            };
            float cover = sum.a / (samples * samples);
            float unweight = sum.a > 0 ? 1.0f / sum.a : 0.0f;
            pixels.push_back(byte(sum.b * unweight));
            pixels.push_back(byte(sum.g * unweight));
            pixels.push_back(byte(sum.r * unweight));
            pixels.push_back(byte(cover));
        }
    }
    return pixels;
}

void Put16(std::string& out, uint32_t value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// One icon entry's picture: header, colour rows, then the AND mask (1 = see through).
std::string IconPicture(int size) {
    std::vector<uint8_t> pixels = DrawIcon(size);
    int maskStride = ((size + 31) / 32) * 4;
    std::string mask(size_t(maskStride) * size_t(size), '\0');
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
            if (pixels[(size_t(row) * size_t(size) + size_t(column)) * 4 + 3] == 0)
                mask[size_t(row) * size_t(maskStride) + size_t(column / 8)] |=
                    char(0x80 >> (column % 8));
    std::string picture;
    Put32(picture, 40);
    Put32(picture, uint32_t(size));
    Put32(picture, uint32_t(size * 2));  // colour rows and mask rows
    Put16(picture, 1);
    Put16(picture, 32);
    Put32(picture, 0);
    Put32(picture, uint32_t(pixels.size() + mask.size()));
    for (int i = 0; i < 4; ++i) Put32(picture, 0);
    picture.append(pixels.begin(), pixels.end());
    picture += mask;
    return picture;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon <output .ico>\n");
        return 2;
    }
    const int sizes[] = {16, 32, 48};
    std::vector<std::string> pictures;
    for (int size : sizes) pictures.push_back(IconPicture(size));
    std::string file;
    Put16(file, 0);
    Put16(file, 1);  // an icon
    Put16(file, uint32_t(pictures.size()));
    uint32_t offset = uint32_t(6 + 16 * pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        file += char(sizes[i]);
        file += char(sizes[i]);
        file += char(0);  // no palette
        file += char(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, uint32_t(pictures[i].size()));
        Put32(file, offset);
        offset += uint32_t(pictures[i].size());
    }
    for (const std::string& picture : pictures) file += picture;
    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        if (out) std::fclose(out);
        return 1;
    }
    if (std::fclose(out) != 0) return 1;
    std::printf("%s\n", argv[1]);
    return 0;
}
