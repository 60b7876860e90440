// The editor panel's pictures: the label picture, the five animation-mode icons, the
// page and background arrows and the button faces. They are drawn opaque and 1:1, so
// every label is painted on the colour it will lie on, and the icons' strokes are
// anti-aliased by their coverage of each pixel.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"
#include "font8x8_glyphs.h"
#include "gui_layout.h"

namespace {

struct Point {
    float x, y;
};

const GuiColour kFaceTop = {78, 95, 120};
const GuiColour kFaceBottom = {44, 55, 72};
const GuiColour kFaceText = {236, 241, 248};
const GuiColour kFaceShadow = {18, 23, 31};
const GuiColour kIconTop = {34, 43, 57};
const GuiColour kIconBottom = {22, 28, 38};
const GuiColour kIconFrame = {58, 71, 92};
const GuiColour kWave = {110, 205, 255};
const GuiColour kStill = {150, 160, 176};

float Unit(uint8_t component) {
    return float(component) / 255.0f;
}

// The pixel becomes colour over what it was, by coverage 0..1.
void Mix(Canvas& canvas, int x, int y, GuiColour colour, float coverage) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || coverage <= 0) return;
    coverage = std::min(coverage, 1.0f);
    float* p = canvas.At(x, y);
    p[0] += (Unit(colour.r) - p[0]) * coverage;
    p[1] += (Unit(colour.g) - p[1]) * coverage;
    p[2] += (Unit(colour.b) - p[2]) * coverage;
}

void Fill(Canvas& canvas, int left, int top, int width, int height, GuiColour colour) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) Mix(canvas, x, y, colour, 1.0f);
}

// Top to bottom, one shade per row.
void Gradient(Canvas& canvas, GuiColour top, GuiColour bottom) {
    for (int y = 0; y < canvas.height; ++y) {
        float t = canvas.height > 1 ? float(y) / float(canvas.height - 1) : 0.0f;
        GuiColour row = {uint8_t(std::lround(top.r + (bottom.r - top.r) * t)),
                         uint8_t(std::lround(top.g + (bottom.g - top.g) * t)),
                         uint8_t(std::lround(top.b + (bottom.b - top.b) * t))};
        Fill(canvas, 0, y, canvas.width, 1, row);
    }
}

// The font's glyphs at the label pitch: each glyph's five used columns and a gap.
void Text(Canvas& canvas, int left, int top, const std::string& text, GuiColour colour,
          float strength = 1.0f) {
    for (size_t i = 0; i < text.size(); ++i)
        for (int gy = 0; gy < FONT_GLYPH_SIZE; ++gy)
            for (int gx = 1; gx <= 5; ++gx)
                if (FontGlyphPixel(static_cast<unsigned char>(text[i]), gx, gy))
                    Mix(canvas, left + int(i) * GUI_LABEL_PITCH + gx - 1, top + gy, colour,
                        strength);
}

float SegmentDistance(Point p, Point a, Point b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float length2 = dx * dx + dy * dy;
    float t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0f;
    t = std::max(0.0f, std::min(1.0f, t));
    float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

// A line through the points, width pixels wide, each pixel covered once.
void Stroke(Canvas& canvas, const std::vector<Point>& points, GuiColour colour, float width,
            float strength = 1.0f) {
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            Point centre = {float(x) + 0.5f, float(y) + 0.5f};
            float coverage = 0.0f;
            for (size_t i = 0; i + 1 < points.size(); ++i) {
                float d = SegmentDistance(centre, points[i], points[i + 1]);
                coverage = std::max(coverage, 0.5f * width + 0.5f - d);
            }
            Mix(canvas, x, y, colour, std::min(coverage, 1.0f) * strength);
        }
}

// A filled triangle, its edges anti-aliased by 4 x 4 samples a pixel.
void Triangle(Canvas& canvas, Point a, Point b, Point c, GuiColour colour) {
    auto side = [](Point p, Point q, Point r) {
        return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    };
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    Point s = {float(x) + (float(sx) + 0.5f) / 4,
                               float(y) + (float(sy) + 0.5f) / 4};
                    float d1 = side(a, b, s), d2 = side(b, c, s), d3 = side(c, a, s);
                    bool negative = d1 < 0 || d2 < 0 || d3 < 0;
                    bool positive = d1 > 0 || d2 > 0 || d3 > 0;
                    if (!(negative && positive)) ++inside;
                }
            Mix(canvas, x, y, colour, float(inside) / 16.0f);
        }
}

// ---------------------------------------------------------------- pictures

void PaintLabels(Canvas& canvas) {
    for (const GuiLabel& label : GuiLabels()) {
        Fill(canvas, label.x - 1, label.y - 1, label.width + 2, label.height + 2,
             GuiLabelBackground(label.style));
        Text(canvas, label.x + 1, label.y + 1, label.text, GuiLabelText(label.style));
    }
}

// A dark face framed in one pixel (a mode button draws its own raised edge over it),
// with the mode's curve: flat for none, jagged for random, rising and falling ramps for
// the loops (the jump back faint), a smooth wave for ping pong.
void PaintModeIcon(Canvas& canvas, int mode) {
    Gradient(canvas, kIconTop, kIconBottom);
    Stroke(canvas, {{0.5f, 0.5f}, {15.5f, 0.5f}, {15.5f, 15.5f}, {0.5f, 15.5f}, {0.5f, 0.5f}},
           kIconFrame, 1.0f);
    const float top = 4.5f, bottom = 11.5f, left = 3.0f, right = 13.0f, middle = 8.0f;
    switch (mode) {
        case 0:
            Stroke(canvas, {{left, middle}, {right, middle}}, kStill, 1.4f);
            break;
        case 1:
            Stroke(canvas,
                   {{left, 9.5f},
                    {4.7f, 5.0f},
                    {6.3f, 10.8f},
                    {8.0f, 6.8f},
                    {9.6f, 11.2f},
                    {11.3f, 4.6f},
                    {right, 8.2f}},
                   kWave, 1.3f);
            break;
        case 2:
        case 3: {
            const float from = mode == 2 ? bottom : top, to = mode == 2 ? top : bottom;
            Stroke(canvas, {{left, from}, {middle, to}}, kWave, 1.3f);
            Stroke(canvas, {{middle, from}, {right, to}}, kWave, 1.3f);
            Stroke(canvas, {{middle, to}, {middle, from}}, kWave, 1.0f, 0.4f);
            break;
        }
        default: {
            std::vector<Point> wave;
            for (int i = 0; i <= 40; ++i) {
                float x = left + (right - left) * float(i) / 40.0f;
                float phase = 3.14159265f * (x - left) / ((right - left) / 3.0f);
                wave.push_back({x, middle + 3.5f * std::cos(phase)});
            }
            Stroke(canvas, wave, kWave, 1.3f);
            break;
        }
    }
}

// A raised face (the button draws its edge over the outermost pixels) with a word, or
// an arrow for "<" and ">".
void PaintButtonFace(Canvas& canvas, const std::string& face) {
    Gradient(canvas, kFaceTop, kFaceBottom);
    const float cx = float(canvas.width) / 2, cy = float(canvas.height) / 2;
    if (face == "<" || face == ">") {
        const float tip = face == "<" ? cx - 3.0f : cx + 3.0f;
        const float back = face == "<" ? cx + 2.5f : cx - 2.5f;
        Triangle(canvas, {tip + 1, cy + 1}, {back + 1, cy - 3.5f}, {back + 1, cy + 5.5f},
                 kFaceShadow);
        Triangle(canvas, {tip, cy}, {back, cy - 4.5f}, {back, cy + 4.5f}, kFaceText);
        return;
    }
    const int left = (canvas.width - GuiTextWidth(face) + 1) / 2;
    const int top = (canvas.height - 7) / 2;
    Text(canvas, left + 1, top + 1, face, kFaceShadow, 0.8f);
    Text(canvas, left, top, face, kFaceText);
}

}  // namespace

void PaintGuiPicture(Canvas& canvas, const char* define) {
    const std::string name = define;
    if (name == "Labels") {
        PaintLabels(canvas);
        return;
    }
    for (int mode = 0; mode < 5; ++mode)
        if (name == kGuiModeDefines[mode]) {
            PaintModeIcon(canvas, mode);
            return;
        }
    PaintButtonFace(canvas, GuiButtonFaceText(define));
}
