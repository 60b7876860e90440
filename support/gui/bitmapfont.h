// Text on screen: BitmapFont draws strings as textured quads cut from a picture that
// holds the printable characters in a grid, and InfoLine is the small caption box that
// shows the text of the widget last touched, fades it out, and on request shows a
// slider's limits and value in a corner box. Everything is drawn on the virtual
// 640 x 480 screen, y downward.
//
// Contents: BitmapFont (fields, Load, SetColour, DrawText, Release); InfoLine.
#pragma once

#include <cstdint>

#include "ansi/bitmap.h"
#include "base/camera.h"
#include "base/screenb.h"
#include "base/texture.h"

// Quads are collected in a buffer of this many vertices and drawn when it is full.
#define FONT_VERTEX_COUNT 200
// The program's font: an 8 x 8 grid picture found by the picture loader's extensions.
#define FONT_FILE_NAME "./textures/font8x8."
#define FONT_GLYPH_WIDTH 8
#define FONT_GLYPH_HEIGHT 8

// ---------------------------------------------------------------------------------------
// BitmapFont
//
// The picture holds glyph g = character - 32 at column g % glyphsPerRow, row
// g / glyphsPerRow; the glyph rows are preceded, and separated, by one empty pixel row,
// and each glyph's last pixel column is never sampled.

class BitmapFont {
public:
    BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Loads the picture (a name ending in "." gets its extension from the picture
    // loader), makes the surface from the whole picture, computes the steps and sets
    // the colour to white. 0 when the picture cannot be loaded (recorded), or when it
    // cannot hold one glyph of that size; the font then stays unloaded.
    int Load(const char* fileName, int32_t glyphWidth, int32_t glyphHeight);
    // Writes the colour into every vertex of the buffer.
    void SetColour(uint8_t red, uint8_t green, uint8_t blue);
    // Draws the text with its first glyph's top-left at (x, y): LF starts a new line
    // at x, one glyph height and two pixels down; glyphs are one pixel apart. Other
    // control characters are skipped; a character without a glyph in the picture
    // leaves its cell empty. Nothing while not loaded. Returns 1.
    int DrawText(const char* text, float x, float y);
    // Frees the surface's texture (from the current screen) and the picture.
    void Release();

    Bitmap picture;
    CSurface surface;
    Camera camera;  // 2-D: the whole virtual screen
    int32_t glyphWidth;
    int32_t glyphHeight;
    int32_t lineHeight;  // glyph height + 2
    float uStep;         // one glyph across, in texture units
    float vStep;         // one glyph down
    int32_t glyphsPerRow;
    int32_t glyphRows;  // rows of glyphs the picture holds
    int32_t loaded;
    Vertex vertices[FONT_VERTEX_COUNT];
    uint8_t red, green, blue;

private:
    // Adds the quad of one glyph at (x, y) to the buffer.
    void AddGlyph(int32_t glyph, float x, float y, int32_t* used);
};

// ---------------------------------------------------------------------------------------
// InfoLine

#define INFO_TEXT_SIZE 1024
#define INFO_FORMAT_SIZE 32
// Frames a caption stays, and the last of them in which it fades.
#define INFO_SHOW_FRAMES 30
#define INFO_FADE_FRAMES 20
// A text too long for one line is wrapped at its spaces, and the box grows upward over
// the scene: a failure reason with a long path stays readable whole.
#define INFO_MAX_LINES 8

class InfoLine {
public:
    InfoLine();

    // The font used for the text (not owned) and the box: left x, top y, right x +
    // width, bottom y + height.
    void Setup(BitmapFont* textFont, int32_t x, int32_t y, int32_t width, int32_t height);
    // The caption, formatted (bounded to INFO_TEXT_SIZE - 1 characters); shown for 30
    // frames, in white again.
    void SetText(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    // A report the user has to read (a failed or a successful save): shown like a
    // caption, but it stays, and captions wait, until ReleaseReport.
    void Report(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    // The next action of the user came: the report fades like a caption, and captions
    // show again.
    void ReleaseReport();
    // Glyphs one line of the box holds.
    int32_t Columns() const;
    // The text as drawn: wrapped at spaces (a word longer than a line is cut) into
    // lines of at most Columns() glyphs, at most INFO_MAX_LINES of them. The number of
    // lines.
    int32_t WrapText(char* buffer, int32_t size) const;
    // The top of the box as drawn: higher by a line for each line past the first.
    int32_t DrawnTop(int32_t lines) const;
    // A slider's numbers for the corner box, shown top down as high limit, value and
    // low limit; a number above 9999 without decimals.
    void ShowSliderInfo(float value, float low, float high);
    // The corner box's switch (F5 in the editor).
    void SetSliderInfoDisplay(int on) {
        sliderInfoDisplay = on ? 1 : 0;
    }
    // Once per frame: the caption's countdown and fade; at its end the caption and the
    // slider numbers go. A held report stays as it is.
    void Tick();
    // The corner box (while its switch is on and a slider's numbers are shown, each
    // with its name) and the caption's box, untextured, then their text; the font's
    // colour is put back afterwards.
    void Draw(int drawSliderInfo, int drawLine);
    // The three slider numbers as the corner box shows them.
    void FormatSliderInfo(char* buffer, int size) const;

    char text[INFO_TEXT_SIZE];
    BitmapFont* font;
    Camera camera;  // 2-D: the whole virtual screen
    int32_t left, top, right, bottom;
    int32_t countdown;  // frames the caption has left
    int32_t held;       // a report is shown: it stays, captions wait
    uint8_t red, green, blue, alpha;
    char sliderFormat[INFO_FORMAT_SIZE];
    int32_t sliderInfoActive;
    int32_t sliderInfoDisplay;
    float low, high, value;
};

// The 2-D camera of the text and overlays: eye at (0, 0, -500), the whole 640 x 480
// virtual screen, 60 degrees.
void SetOverlayCamera(Camera& camera);
// A flat quad over a rectangle of the virtual screen with its outline as one line
// strip, untextured and opaque, the outline in a lighter shade of the fill. Dividers
// (y values, top down) are drawn across the box by the same strip.
void DrawOverlayBox(Screen* screen, float left, float top, float right, float bottom, uint8_t red,
                    uint8_t green, uint8_t blue, const float* dividers = nullptr,
                    int dividerCount = 0);
