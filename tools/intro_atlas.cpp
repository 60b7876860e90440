// The intro atlas: the title logo and four text lines, each painted into the texel
// rectangle its intro sprite reads. The sprites stretch their rectangles to fixed
// sizes on screen (the logo's 210 x 46 texels become 180 x 70 units), so everything is
// laid out in those screen units and sampled back per texel: the shapes come out with
// their proportions where they are seen, not in the texture.
//
// The logo is vector-drawn: "NOVADRIFT" as round-capped strokes with a blue glow, an
// orbit swoosh under it ending in a sparkle. The lines are set in the program's own 8 x 8
// font, scaled up, with a faint glow. Everything outside the rectangles stays black.
//
// Sections: helpers; the logo; the text lines.
#include <cmath>
#include <cstring>
#include <vector>

#include "canvas.h"
#include "font8x8_glyphs.h"

namespace {

// A sprite's texel rectangle [s0, s1) x [t0, t1) and its size on screen in units.
struct SpriteArea {
    int s0, t0, s1, t1;
    float width, height;
};

const SpriteArea kLogoArea = {0, 0, 210, 46, 180, 70};
// Texels kept black inside every rectangle, so linear filtering at a sprite's border
// and FXT1 blocks that straddle it see no light from the picture.
const int kMargin = 2;
const int kSamples = 4;  // per texel and axis

struct Point {
    float x, y;
};

struct Stroke {
    Point a, b;
    float radius;
};

float SegmentDistance(const Point& p, const Point& a, const Point& b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float length2 = dx * dx + dy * dy;
    float t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

float Gauss(float distance, float radius) {
    float r = distance / radius;
    return std::exp(-r * r);
}

// Calls shade(x, y, rgb) at kSamples^2 points of every texel inside the area (less
// the margin), in screen units from the area's top-left, and adds the average.
template <typename Shade>
void PaintArea(Canvas& canvas, const SpriteArea& area, Shade shade) {
    float unitsX = area.width / float(area.s1 - area.s0);
    float unitsY = area.height / float(area.t1 - area.t0);
    for (int t = area.t0 + kMargin; t < area.t1 - kMargin; ++t)
        for (int s = area.s0 + kMargin; s < area.s1 - kMargin; ++s) {
            float sum[3] = {0, 0, 0};
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i) {
                    float x = (float(s - area.s0) + (float(i) + 0.5f) / kSamples) * unitsX;
                    float y = (float(t - area.t0) + (float(j) + 0.5f) / kSamples) * unitsY;
                    float rgb[3] = {0, 0, 0};
                    shade(x, y, rgb);
                    for (int c = 0; c < 3; ++c) sum[c] += rgb[c];
                }
            float n = float(kSamples * kSamples);
            canvas.Add(s, t, sum[0] / n, sum[1] / n, sum[2] / n);
        }
}

// ------------------------------------------------------------------ the logo

// Letters as polylines in a cell of 1 across and 1 down; a rounded-square curve for
// the bowls of O, D and R.
typedef std::vector<Point> Polyline;

Point RoundedSquare(float centreX, float centreY, float radiusX, float radiusY, float angle) {
    const float kExponent = 2.0f / 2.8f;
    float c = std::cos(angle), s = std::sin(angle);
    float u = std::copysign(std::pow(std::fabs(c), kExponent), c);
    float v = std::copysign(std::pow(std::fabs(s), kExponent), s);
    return Point{centreX + radiusX * u, centreY + radiusY * v};
}

void AppendArc(Polyline& line, float centreX, float centreY, float radiusX, float radiusY,
               float fromDegrees, float toDegrees) {
    const int kSteps = 24;
    for (int i = 0; i <= kSteps; ++i) {
        float degrees = fromDegrees + (toDegrees - fromDegrees) * float(i) / kSteps;
        line.push_back(
            RoundedSquare(centreX, centreY, radiusX, radiusY, degrees * 3.14159265f / 180));
    }
}

struct Letter {
    char name;
    float width;  // in cell widths
    std::vector<Polyline> lines;
};

std::vector<Letter> LogoLetters() {
    std::vector<Letter> letters;
    letters.push_back({'N', 1.0f, {{{0, 1}, {0, 0}, {1, 1}, {1, 0}}}});
    Polyline o;
    AppendArc(o, 0.5f, 0.5f, 0.5f, 0.5f, 0, 360);
    letters.push_back({'O', 1.05f, {o}});
    letters.push_back({'V', 1.0f, {{{0, 0}, {0.5f, 1}, {1, 0}}}});
    letters.push_back({'A', 1.0f, {{{0, 1}, {0.5f, 0}, {1, 1}}, {{0.24f, 0.64f}, {0.76f, 0.64f}}}});
    Polyline d = {{0, 0}, {0, 1}, {0.42f, 1}};
    AppendArc(d, 0.42f, 0.5f, 0.58f, 0.5f, 90, -90);
    d.push_back({0, 0});
    letters.push_back({'D', 1.0f, {d}});
    Polyline r = {{0, 1}, {0, 0}, {0.52f, 0}};
    AppendArc(r, 0.52f, 0.27f, 0.48f, 0.27f, -90, 90);
    r.push_back({0, 0.54f});
    letters.push_back({'R', 1.0f, {r, {{0.48f, 0.54f}, {1, 1}}}});
    letters.push_back({'I', 0.0f, {{{0, 0}, {0, 1}}}});
    letters.push_back({'F', 0.85f, {{{1, 0}, {0, 0}, {0, 1}}, {{0, 0.5f}, {0.78f, 0.5f}}}});
    letters.push_back({'T', 1.0f, {{{0, 0}, {1, 0}}, {{0.5f, 0}, {0.5f, 1}}}});
    return letters;
}

struct Logo {
    std::vector<Stroke> letters;
    std::vector<Stroke> swoosh;
    Point sparkle;
    float capTop, capHeight;
};

Logo MakeLogo() {
    const float kCellWidth = 17.0f, kGap = 4.0f, kStrokeRadius = 1.9f;
    Logo logo;
    logo.capTop = 11.0f;
    logo.capHeight = 30.0f;
    std::vector<Letter> letters = LogoLetters();
    float total = kGap * float(letters.size() - 1);
    for (const Letter& letter : letters) total += letter.width * kCellWidth;
    float left = (kLogoArea.width - total) / 2;
    for (const Letter& letter : letters) {
        float cellWidth = letter.width * kCellWidth;
        for (const Polyline& line : letter.lines)
            for (size_t i = 0; i + 1 < line.size(); ++i) {
                Point a = {left + line[i].x * cellWidth, logo.capTop + line[i].y * logo.capHeight};
                Point b = {left + line[i + 1].x * cellWidth,
                           logo.capTop + line[i + 1].y * logo.capHeight};
                logo.letters.push_back({a, b, kStrokeRadius});
            }
        left += cellWidth + kGap;
    }
    // The swoosh: the lower arc of an ellipse round the name, thickest in the middle.
    const float kCentreX = 90, kCentreY = 34, kRadiusX = 84, kRadiusY = 24;
    const float kFrom = 148, kTo = 32;
    const int kSteps = 96;
    Point previous = {0, 0};
    for (int i = 0; i <= kSteps; ++i) {
        float f = float(i) / kSteps;
        float angle = (kFrom + (kTo - kFrom) * f) * 3.14159265f / 180;
        Point p = {kCentreX + kRadiusX * std::cos(angle), kCentreY + kRadiusY * std::sin(angle)};
        if (i > 0) logo.swoosh.push_back({previous, p, 0.15f + 1.05f * std::sin(3.14159265f * f)});
        previous = p;
    }
    logo.sparkle = previous;
    return logo;
}

void ShadeLogo(const Logo& logo, float x, float y, float rgb[3]) {
    Point p = {x, y};
    float letterDistance = 1e9f;
    for (const Stroke& stroke : logo.letters) {
        float d = SegmentDistance(p, stroke.a, stroke.b) - stroke.radius;
        if (d < letterDistance) letterDistance = d;
    }
    float swooshDistance = 1e9f;
    for (const Stroke& stroke : logo.swoosh) {
        float d = SegmentDistance(p, stroke.a, stroke.b) - stroke.radius;
        if (d < swooshDistance) swooshDistance = d;
    }
    // Letters: white at the top to ice blue at the foot.
    if (letterDistance < 0) {
        float v = (y - logo.capTop) / logo.capHeight;
        v = v < 0 ? 0 : (v > 1 ? 1 : v);
        rgb[0] += 1.00f - 0.62f * v;
        rgb[1] += 1.00f - 0.36f * v;
        rgb[2] += 1.00f;
    }
    float letterGlow = 0.42f * std::exp(-(letterDistance > 0 ? letterDistance : 0) / 3.0f);
    rgb[0] += 0.20f * letterGlow;
    rgb[1] += 0.38f * letterGlow;
    rgb[2] += 1.00f * letterGlow;
    if (swooshDistance < 0) {
        rgb[0] += 0.55f;
        rgb[1] += 0.72f;
        rgb[2] += 1.00f;
    }
    float swooshGlow = 0.30f * std::exp(-(swooshDistance > 0 ? swooshDistance : 0) / 2.0f);
    rgb[0] += 0.35f * swooshGlow;
    rgb[1] += 0.45f * swooshGlow;
    rgb[2] += 1.00f * swooshGlow;
    // The sparkle: a round core with four thin rays.
    float dx = x - logo.sparkle.x, dy = y - logo.sparkle.y;
    float across = 1 - std::fabs(dx) / 11, down = 1 - std::fabs(dy) / 8;
    float rays = Gauss(dy, 0.5f) * (across > 0 ? across * across : 0) +
                 Gauss(dx, 0.6f) * (down > 0 ? down * down : 0);
    float sparkle = 1.2f * Gauss(std::sqrt(dx * dx + dy * dy), 1.3f) + 0.9f * rays;
    rgb[0] += 0.85f * sparkle;
    rgb[1] += 0.92f * sparkle;
    rgb[2] += 1.00f * sparkle;
}

// Fades what lies near the area's border to black (the glows would be cut off hard).
float BorderFade(const SpriteArea& area, float x, float y, float reach) {
    float nearest = std::fmin(std::fmin(x, area.width - x), std::fmin(y, area.height - y));
    float f = nearest / reach;
    return f >= 1 ? 1 : (f <= 0 ? 0 : f * f * (3 - 2 * f));
}

// ------------------------------------------------------------------ the text lines

struct TextLine {
    SpriteArea area;
    const char* text;
    float cell;     // glyph cell size in screen units
    int alignment;  // -1 left, 0 centred, 1 right
};

// Sprites 1, 3, 4, 5. Lines 3 and 4 stand side by side on screen and read as one
// line until the intro pulls them apart, so 3 is set flush right and 4 flush left.
const TextLine kTextLines[] = {
    {{0, 128, 40, 148, 30, 12}, "V1.0", 6.0f, 0},
    {{0, 148, 176, 168, 100, 12}, "RELAX AND", 8.0f, 1},
    {{0, 169, 150, 189, 100, 12}, "DRIFT AWAY", 8.0f, -1},
    {{0, 228, 185, 246, 100, 12}, "SCREENSAVER", 8.0f, 0},
};

float TextCoverage(const TextLine& line, float x, float y) {
    float length = float(std::strlen(line.text)) * line.cell;
    const float kSideSpace = 4.0f;
    float left = line.alignment < 0   ? kSideSpace
                 : line.alignment > 0 ? line.area.width - kSideSpace - length
                                      : (line.area.width - length) / 2;
    // Capitals fill glyph rows 0..6: centre those.
    float pixel = line.cell / FONT_GLYPH_SIZE;
    float top = line.area.height / 2 - 3.5f * pixel;
    float gx = (x - left) / pixel, gy = (y - top) / pixel;
    if (gx < 0 || gy < 0 || gx >= float(std::strlen(line.text)) * FONT_GLYPH_SIZE ||
        gy >= FONT_GLYPH_SIZE)
        return 0;
    int column = int(gx), row = int(gy);
    return float(
        FontGlyphPixel(line.text[column / FONT_GLYPH_SIZE], column % FONT_GLYPH_SIZE, row));
}

// The line in white with a soft blue glow: the coverage blurred (sigma 1.1 texels).
void PaintTextLine(Canvas& canvas, const TextLine& line) {
    const SpriteArea& area = line.area;
    Canvas ink(canvas.width, canvas.height);
    PaintArea(ink, area, [&](float x, float y, float rgb[3]) {
        float coverage = TextCoverage(line, x, y);
        rgb[0] = rgb[1] = rgb[2] = coverage;
    });
    const int kReach = 3;
    const float kSigma = 1.1f;
    float weights[2 * kReach + 1];
    float total = 0;
    for (int i = -kReach; i <= kReach; ++i)
        total += weights[i + kReach] = std::exp(-float(i * i) / (2 * kSigma * kSigma));
    for (float& w : weights) w /= total;
    int width = area.s1 - area.s0, height = area.t1 - area.t0;
    std::vector<float> across(size_t(width * height), 0.0f), glow(size_t(width * height), 0.0f);
    for (int t = 0; t < height; ++t)
        for (int s = 0; s < width; ++s)
            for (int i = -kReach; i <= kReach; ++i)
                if (s + i >= 0 && s + i < width)
                    across[size_t(t * width + s)] +=
                        weights[i + kReach] * ink.At(area.s0 + s + i, area.t0 + t)[0];
    for (int t = 0; t < height; ++t)
        for (int s = 0; s < width; ++s)
            for (int i = -kReach; i <= kReach; ++i)
                if (t + i >= 0 && t + i < height)
                    glow[size_t(t * width + s)] +=
                        weights[i + kReach] * across[size_t((t + i) * width + s)];
    for (int t = kMargin; t < height - kMargin; ++t)
        for (int s = kMargin; s < width - kMargin; ++s) {
            float coverage = ink.At(area.s0 + s, area.t0 + t)[0];
            float g = 0.55f * glow[size_t(t * width + s)];
            canvas.Add(area.s0 + s, area.t0 + t, 0.95f * coverage + 0.30f * g,
                       0.97f * coverage + 0.50f * g, coverage + g);
        }
}

}  // namespace

void PaintIntroAtlas(Canvas& canvas) {
    Logo logo = MakeLogo();
    PaintArea(canvas, kLogoArea, [&](float x, float y, float rgb[3]) {
        ShadeLogo(logo, x, y, rgb);
        float fade = BorderFade(kLogoArea, x, y, 5.0f);
        for (int c = 0; c < 3; ++c) rgb[c] *= fade;
    });
    for (const TextLine& line : kTextLines) PaintTextLine(canvas, line);
}
