// Text on screen: the bitmap font and the info line (see bitmapfont.h).
//
// Sections: overlay helpers (camera, box); BitmapFont; InfoLine (captions, reports,
// wrapping, slider numbers, drawing).
#include "gui/bitmapfont.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "misc.h"
#include "xsystem.h"

namespace {

// Overlays lie on the 2-D view's plane z = 1, like the screens' fading clear.
const float kOverlayDepth = 1.0f;
// The box behind the caption and the slider numbers.
const uint8_t kBoxRed = 70, kBoxGreen = 80, kBoxBlue = 90;
// The slider numbers' box: its right edge and top; it is as wide as its longest line
// of a name and a number, three lines high.
const float kSliderBoxRight = 480, kSliderBoxTop = 0, kSliderBoxBottom = 33;
const float kSliderTextInset = 3, kSliderTextY = 2;
// The numbers' names, top down as ShowSliderInfo orders them, and the columns the
// names take before the numbers.
const char kSliderNames[] = "high\nvalue\nlow";
const int kSliderNameColumns = 6;
// Components at or below this stop fading: the caption stays readable to its end.
const int kFadeFloor = 10;
const int kFadeStep = 10;
const int kMaxDividers = 4;

uint8_t Lighter(uint8_t c) {
    int v = 2 * c + 20;
    return uint8_t(v > 255 ? 255 : v);
}

}  // namespace

void SetOverlayCamera(Camera& camera) {
    camera.SetPosition(0.0f, 0.0f, -500.0f);
    camera.SetViewport(640.0f, 480.0f, 60.0f, 0.0f, 0.0f, CAMERA_2D);
}

void DrawOverlayBox(Screen* screen, float left, float top, float right, float bottom, uint8_t red,
                    uint8_t green, uint8_t blue, const float* dividers, int dividerCount) {
    if (!screen) return;
    screen->SetSurface(nullptr);
    const Rgba fill = {red, green, blue, 255};
    Vertex quad[4];
    quad[0] = MakeVertex(left, top, kOverlayDepth, fill);
    quad[1] = MakeVertex(right, top, kOverlayDepth, fill);
    quad[2] = MakeVertex(right, bottom, kOverlayDepth, fill);
    quad[3] = MakeVertex(left, bottom, kOverlayDepth, fill);
    screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);

    // Round the edge from the top left, then up through the dividers from the lowest,
    // zigzagging across, and back up the side the last one ended on.
    if (dividerCount < 0 || !dividers) dividerCount = 0;
    if (dividerCount > kMaxDividers) dividerCount = kMaxDividers;
    const Rgba edge = {Lighter(red), Lighter(green), Lighter(blue), 255};
    Vertex strip[5 + 2 * kMaxDividers];
    int n = 0;
    strip[n++] = MakeVertex(left, top, kOverlayDepth, edge);
    strip[n++] = MakeVertex(right, top, kOverlayDepth, edge);
    strip[n++] = MakeVertex(right, bottom, kOverlayDepth, edge);
    strip[n++] = MakeVertex(left, bottom, kOverlayDepth, edge);
    float side = left, other = right;
    for (int i = dividerCount - 1; i >= 0; --i) {
        strip[n++] = MakeVertex(side, dividers[i], kOverlayDepth, edge);
        strip[n++] = MakeVertex(other, dividers[i], kOverlayDepth, edge);
        float swap = side;
        side = other;
        other = swap;
    }
    strip[n++] = MakeVertex(side, top, kOverlayDepth, edge);
    screen->DrawPrimitive(PRIM_LINE_STRIP, strip, n, 0);
}

// ---------------------------------------------------------------------------------------
// BitmapFont

BitmapFont::BitmapFont()
    : glyphWidth(0),
      glyphHeight(0),
      lineHeight(0),
      uStep(0),
      vStep(0),
      glyphsPerRow(0),
      glyphRows(0),
      loaded(0),
      red(255),
      green(255),
      blue(255) {
    SetOverlayCamera(camera);
    std::memset(vertices, 0, sizeof vertices);
    SetColour(255, 255, 255);
}

int BitmapFont::Load(const char* fileName, int32_t width, int32_t height) {
    loaded = 0;
    if (width <= 0 || height <= 0) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    if (!picture.Load(fileName)) return 0;
    // One glyph row needs its empty pixel row above it.
    if (picture.width < width || picture.height < height + 1) {
        picture.Release();
        return SetErrorText("Font picture %s holds no %ldx%ld glyph", fileName, long(width),
                            long(height));
    }
    if (!surface.SetTexture(&picture)) {
        picture.Release();
        return 0;
    }
    glyphWidth = width;
    glyphHeight = height;
    lineHeight = height + 2;
    uStep = float(width) / float(picture.width);
    vStep = float(height) / float(picture.height);
    glyphsPerRow = picture.width / width;
    glyphRows = (picture.height - 1) / (height + 1);
    SetColour(255, 255, 255);
    loaded = 1;
    return 1;
}

void BitmapFont::SetColour(uint8_t r, uint8_t g, uint8_t b) {
    red = r;
    green = g;
    blue = b;
    for (Vertex& vertex : vertices) {
        vertex.r = r;
        vertex.g = g;
        vertex.b = b;
        vertex.a = 0;
    }
}

void BitmapFont::AddGlyph(int32_t glyph, float x, float y, int32_t* used) {
    const float texelU = 1.0f / float(picture.width), texelV = 1.0f / float(picture.height);
    const int32_t column = glyph % glyphsPerRow, row = glyph / glyphsPerRow;
    const float uLeft = float(column) * uStep;
    const float uRight = uLeft + uStep - texelU;
    const float vTop = texelV + float(row) * (texelV + vStep);
    const float vBottom = vTop + vStep;
    const float corners[4][4] = {{x, y, uLeft, vTop},
                                 {x + float(glyphWidth), y, uRight, vTop},
                                 {x + float(glyphWidth), y + float(glyphHeight), uRight, vBottom},
                                 {x, y + float(glyphHeight), uLeft, vBottom}};
    for (const float* corner : corners) {
        Vertex& vertex = vertices[(*used)++];
        vertex.x = corner[0];
        vertex.y = corner[1];
        vertex.z = kOverlayDepth;
        vertex.u = corner[2];
        vertex.v = corner[3];
    }
}

int BitmapFont::DrawText(const char* text, float x, float y) {
    Screen* screen = CurrentScreen();
    if (!loaded || !text || !screen) return 1;
    surface.SetBlendMode(SURFACE_ADDITIVE);
    screen->SetView(&camera);
    screen->SetSurface(&surface);
    const int32_t glyphCount = glyphsPerRow * glyphRows;
    float penX = x, penY = y;
    int32_t used = 0;
    for (const char* p = text; *p; ++p) {
        // Unsigned, so that characters above 127 are glyphs past '~' and not below ' '.
        const int32_t code = static_cast<unsigned char>(*p);
        if (code == '\n') {
            penX = x;
            penY += float(lineHeight);
            continue;
        }
        if (code < 32) continue;
        const int32_t glyph = code - 32;
        if (glyph < glyphCount) AddGlyph(glyph, penX, penY, &used);
        penX += float(glyphWidth + 1);
        if (used > FONT_VERTEX_COUNT - 1) {
            screen->DrawPrimitive(PRIM_QUADS, vertices, used, 0);
            used = 0;
        }
    }
    if (used > 0) screen->DrawPrimitive(PRIM_QUADS, vertices, used, 0);
    return 1;
}

void BitmapFont::Release() {
    surface.FreeTexture();
    picture.Release();
    loaded = 0;
}

// ---------------------------------------------------------------------------------------
// InfoLine

InfoLine::InfoLine()
    : font(nullptr),
      left(0),
      top(0),
      right(0),
      bottom(0),
      countdown(0),
      held(0),
      red(255),
      green(255),
      blue(255),
      alpha(0),
      sliderInfoActive(0),
      sliderInfoDisplay(0),
      low(0),
      high(0),
      value(0) {
    text[0] = 0;
    sliderFormat[0] = 0;
    SetOverlayCamera(camera);
}

void InfoLine::Setup(BitmapFont* textFont, int32_t x, int32_t y, int32_t width, int32_t height) {
    font = textFont;
    left = x;
    top = y;
    right = x + width;
    bottom = y + height;
}

void InfoLine::SetText(const char* format, ...) {
    if (held) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    countdown = INFO_SHOW_FRAMES;
    red = green = blue = 255;
}

void InfoLine::Report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    held = 1;
    countdown = INFO_SHOW_FRAMES;
    red = green = blue = 255;
}

void InfoLine::ReleaseReport() {
    if (!held) return;
    held = 0;
    countdown = INFO_SHOW_FRAMES;
}

int32_t InfoLine::Columns() const {
    const int32_t advance =
        (font && font->glyphWidth > 0 ? font->glyphWidth : FONT_GLYPH_WIDTH) + 1;
    // Two units of room on the left, and the last glyph needs no gap after it.
    const int32_t columns = (right - left - 2 + 1) / advance;
    return columns > 0 ? columns : 1;
}

int32_t InfoLine::WrapText(char* buffer, int32_t size) const {
    if (!buffer || size <= 0) return 0;
    const int32_t columns = Columns();
    int32_t lines = 1, used = 0, lineStart = 0;
    buffer[0] = 0;
    for (const char* p = text; *p && used < size - 1;) {
        if (*p == '\n') {
            if (lines == INFO_MAX_LINES) break;
            buffer[used++] = *p++;
            lineStart = used;
            ++lines;
            continue;
        }
        // The next word, and the spaces before it, fit on this line or start the next.
        const char* wordEnd = p;
        while (*wordEnd == ' ') ++wordEnd;
        while (*wordEnd && *wordEnd != ' ' && *wordEnd != '\n') ++wordEnd;
        const int32_t length = int32_t(wordEnd - p);
        if (used - lineStart + length > columns && used > lineStart) {
            if (lines == INFO_MAX_LINES) break;
            buffer[used++] = '\n';
            lineStart = used;
            ++lines;
            while (*p == ' ') ++p;
            continue;
        }
        // A word longer than a line is cut where the line ends.
        while (p < wordEnd && used < size - 1) {
            if (used - lineStart == columns) {
                if (lines == INFO_MAX_LINES) break;
                buffer[used++] = '\n';
                lineStart = used;
                ++lines;
                continue;
            }
            buffer[used++] = *p++;
        }
        if (p < wordEnd) break;
    }
    buffer[used < size ? used : size - 1] = 0;
    return lines;
}

int32_t InfoLine::DrawnTop(int32_t lines) const {
    const int32_t lineHeight =
        font && font->lineHeight > 0 ? font->lineHeight : FONT_GLYPH_HEIGHT + 2;
    return top - (lines > 1 ? (lines - 1) * lineHeight : 0);
}

void InfoLine::ShowSliderInfo(float newValue, float newLow, float newHigh) {
    value = newValue;
    low = newLow;
    high = newHigh;
    sliderInfoActive = 1;
    sliderFormat[0] = 0;
    for (float number : {high, value, low})
        std::strncat(sliderFormat, number > 9999.0f ? "%.0f\n" : "%03.03f\n",
                     sizeof sliderFormat - std::strlen(sliderFormat) - 1);
}

void InfoLine::FormatSliderInfo(char* buffer, int size) const {
    if (!buffer || size <= 0) return;
    // The format holds just the three number conversions ShowSliderInfo put together.
    std::snprintf(buffer, size_t(size), sliderFormat, double(high), double(value), double(low));
}

void InfoLine::Tick() {
    if (countdown <= 0 || held) return;
    --countdown;
    if (countdown == 0) {
        text[0] = 0;
        sliderInfoActive = 0;
        return;
    }
    if (countdown <= INFO_FADE_FRAMES) {
        for (uint8_t* c : {&red, &green, &blue})
            if (*c > kFadeFloor) *c = uint8_t(*c - kFadeStep);
    }
}

void InfoLine::Draw(int drawSliderInfo, int drawLine) {
    Screen* screen = CurrentScreen();
    if (!screen) return;
    screen->SetView(&camera);
    uint8_t fontRed = 255, fontGreen = 255, fontBlue = 255;
    if (font) {
        fontRed = font->red;
        fontGreen = font->green;
        fontBlue = font->blue;
        font->SetColour(red, green, blue);
    }
    if (drawLine) {
        char wrapped[INFO_TEXT_SIZE + INFO_MAX_LINES];
        const int32_t lines = WrapText(wrapped, int32_t(sizeof wrapped));
        const int32_t boxTop = DrawnTop(lines);
        DrawOverlayBox(screen, float(left), float(boxTop), float(right), float(bottom), kBoxRed,
                       kBoxGreen, kBoxBlue);
        if (font) font->DrawText(wrapped, float(left + 2), float(boxTop + 2));
    }
    // Only while a slider's numbers are there to show: an empty box tells nothing.
    if (drawSliderInfo && sliderInfoDisplay && sliderInfoActive) {
        char numbers[3 * 48];
        FormatSliderInfo(numbers, sizeof numbers);
        int32_t longest = 0, length = 0;
        for (const char* p = numbers; *p; ++p) {
            length = *p == '\n' ? 0 : length + 1;
            if (length > longest) longest = length;
        }
        const float advance = float(font ? font->glyphWidth + 1 : FONT_GLYPH_WIDTH + 1);
        const float boxLeft =
            kSliderBoxRight - 2 * kSliderTextInset - float(kSliderNameColumns + longest) * advance;
        screen->SetView(&camera);
        DrawOverlayBox(screen, boxLeft, kSliderBoxTop, kSliderBoxRight, kSliderBoxBottom, kBoxRed,
                       kBoxGreen, kBoxBlue);
        if (font) {
            font->DrawText(kSliderNames, boxLeft + kSliderTextInset, kSliderTextY);
            font->DrawText(numbers, boxLeft + kSliderTextInset + kSliderNameColumns * advance,
                           kSliderTextY);
        }
    }
    if (font) font->SetColour(fontRed, fontGreen, fontBlue);
}
