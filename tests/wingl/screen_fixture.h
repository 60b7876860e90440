// What the device tests of both screens share: the colours they draw with, vertices and
// quads of the virtual 640 x 480 screen, a frame read back from a screen, colour
// comparisons with a tolerance, and the fixture that opens a real screen of either kind
// in a 640 x 480 window for each test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/screenb.h"
#include "misc.h"
#include "render_system.h"
#include "xsystem.h"

class Bitmap;

struct Colour {
    int r, g, b;
};

// The colours tests draw with: the vertices carry bytes, so these come back as they are.
extern const Colour kRed, kGreen, kBlue, kWhite, kOrange;

// A frame as a screen drew it, rows top-down.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;
    // A pixel by column and row from the top; (-1, -1, -1) outside the frame.
    Colour At(int x, int rowFromTop) const;
    // The pixel under a point of the virtual 640 x 480 screen (y downward), scaled to the
    // frame.
    Colour AtVirtual(float x, float y) const;
};

// The product's MakeVertex with a test colour and its alpha.
Vertex MakeVertex(float x, float y, float z, Colour colour, uint8_t alpha = 255, float u = 0,
                  float v = 0);
// The four corners of an axis-aligned quad in drawing order, at depth z.
void QuadVertices(Vertex out[4], float left, float top, float right, float bottom, float z,
                  Colour colour, uint8_t alpha = 255);

// Clears colour and depth to a colour (fade 0) with the overlay view and the default
// surface set, the way a frame starts.
void StartFrame(Screen* screen, const Rgba& background);
// Draws an axis-aligned quad of the virtual screen with the current surface.
int DrawOverlayQuad(Screen* screen, float left, float top, float right, float bottom, Colour colour,
                    uint8_t alpha = 255);

// The pixel of a direct-colour bitmap of 24 or 32 bits, by column and row of its
// memory order, decoded with the bitmap's own channel positions.
Colour BitmapPixel(const Bitmap& bitmap, int x, int y);

// Channel by channel within tolerance; the message shows both colours.
::testing::AssertionResult ColourNear(const Colour& actual, const Colour& expected, int tolerance);
#define EXPECT_COLOUR(actual, expected, tolerance) \
    EXPECT_TRUE(ColourNear((actual), (expected), (tolerance)))

// The error text pending, "" when none.
std::string PendingError();

// The seven draw counters in the editor's order.
std::vector<int32_t> Counters(const Screen& screen);

// Blending to an 8-bit buffer rounds once per channel; the rasterisers' fixed-point
// blends can land one or two units either side.
const int kBlendTolerance = 3;
// source x alpha + destination x (1 - alpha), per channel, alpha in 0..255.
Colour AlphaBlend(Colour source, int alpha, Colour destination);
// Channel sums, saturating at 255 (additive blending).
Colour Sum(Colour a, Colour b);

// A 4 x 4 direct-colour picture of one colour, its channels in the byte order given by
// the positions (24 bits: the pixel read big-endian; 32 bits: the native word).
void FillPicture(Bitmap& picture, int bits, int redPos, int greenPos, int bluePos, int alphaPos,
                 Colour colour, int alpha);

// The names of the files in a directory that match a pattern ("dir\\*.bmp"), sorted.
std::vector<std::string> FilesMatching(const std::string& pattern);
// Works in a fresh directory of its own beside the test program and removes it (with
// the screenshots in it) when done.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();

private:
    std::string previous;
    std::string path;
};
// The dated name of the number-th screenshot saved today as "shot.bmp".
std::string DatedShotName(int number);

// A frame for screenshots: top left red, bottom right green, and a white bar across the
// top row of pixels, so rows turned upside down or shifted show.
void DrawScreenshotScene(Screen* screen, const Rgba& background);
// The saved picture is a 24-bit picture of the frame, pixel for pixel, with the
// screenshot scene's colours where they belong (the background's within the tolerance).
void ExpectShotOfTheFrame(const std::string& path, const Frame& frame, Colour background,
                          int backgroundTolerance);

// A real screen of the kind in a 640 x 480 window, set up the way the program's start-up
// sets up its screen. The derived fixtures read the frame back their own way.
template <class DeviceScreen, int Kind>
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen = static_cast<DeviceScreen*>(OpenRenderSystem("NovadriftTest", Kind, 640, 480));
        ASSERT_NE(screen, nullptr) << PendingError();
        // Other programs share the Wine desktop, and one taking the foreground would
        // take this window's activation (and the screen's textures or its window with
        // it) in the middle of a test. The activation tests send the message themselves.
        UnregisterMessageHandler(&screen->messageHandler, WM_ACTIVATEAPP);
        PumpMessages();
    }
    void TearDown() override {
        CloseRenderSystem();
        screen = nullptr;
        ClearError();
    }

    // Takes every waiting window message (what xHandler does between frames); a quit
    // message posted by a destroyed window is taken too.
    static void PumpMessages() { PumpRenderMessages(); }

    // A pixel by column and by row counted from the top.
    Colour At(int x, int rowFromTop) const { return frame.At(x, rowFromTop); }
    // The pixel under a point of the virtual 640 x 480 screen (y downward), scaled to
    // the mode.
    Colour AtVirtual(float x, float y) const { return frame.AtVirtual(x, y); }
    int Width() const { return screen && screen->GetMode() ? screen->GetMode()->width : 0; }
    int Height() const { return screen && screen->GetMode() ? screen->GetMode()->height : 0; }

    void StartFrame(const Rgba& background) { ::StartFrame(screen, background); }
    int DrawOverlayQuad(float left, float top, float right, float bottom, Colour colour,
                        uint8_t alpha = 255) {
        return ::DrawOverlayQuad(screen, left, top, right, bottom, colour, alpha);
    }

    DeviceScreen* screen = nullptr;
    Frame frame;
};
