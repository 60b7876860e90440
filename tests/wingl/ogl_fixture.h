// A real OglScreen in a 640 x 480 window for each test, set up the way the program's
// start-up sets up its screen, and the frame it drew read back with glReadPixels.
//
// Pixels are read from the back buffer (OpenGL's read buffer of a double-buffered
// window) after drawing and before Present, so a test sees exactly what its calls drew
// and nothing the window system composited. Opaque colours from the vertex arrays come
// back exact; blended ones within a few units (Mesa's software rasteriser rounds).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/screenb.h"

class Bitmap;
class OglScreen;

struct Colour {
    int r, g, b;
};

// The colours tests draw with: the arrays carry bytes, so these come back as they are.
extern const Colour kRed, kGreen, kBlue, kWhite, kOrange;

class OglScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Takes every waiting window message (what xHandler does between frames); a quit
    // message posted by a destroyed window is taken too.
    static void PumpMessages();

    // Reads the whole frame into `frame`: RGBA, rows bottom-up as glReadPixels gives them.
    void ReadFrame();
    // A pixel by column and by row counted from the bottom, as glReadPixels orders them.
    Colour AtRowFromBottom(int x, int row) const;
    // A pixel by column and by row counted from the top.
    Colour At(int x, int rowFromTop) const;
    // The pixel under a point of the virtual 640 x 480 screen (y downward), scaled to
    // the mode.
    Colour AtVirtual(float x, float y) const;
    int Width() const;
    int Height() const;

    // Clears colour and depth to a colour (fade 0) with the overlay view and the
    // default surface set, the way a frame starts.
    void StartFrame(const Rgba& background);
    // Draws an axis-aligned quad of the virtual screen with the current surface.
    int DrawOverlayQuad(float left, float top, float right, float bottom, Colour colour,
                        uint8_t alpha = 255);

    OglScreen* screen = nullptr;
    std::vector<uint8_t> frame;
};

Vertex MakeVertex(float x, float y, float z, Colour colour, uint8_t alpha = 255, float u = 0,
                  float v = 0);
// The four corners of an axis-aligned quad in drawing order, at depth z.
void QuadVertices(Vertex out[4], float left, float top, float right, float bottom, float z,
                  Colour colour, uint8_t alpha = 255);

// What an 8-bit colour buffer holds after clearing to the byte c: the screen scales
// clear colours by 1/256, so 255 becomes 0.99609375, which stores as 254.
int ClearedByte(int c);
Colour ClearedColour(const Rgba& colour);

// The pixel of a direct-colour bitmap of 24 or 32 bits, by column and row of its
// memory order, decoded with the bitmap's own channel positions.
Colour BitmapPixel(const Bitmap& bitmap, int x, int y);

// Channel by channel within tolerance; the message shows both colours.
::testing::AssertionResult ColourNear(const Colour& actual, const Colour& expected, int tolerance);
#define EXPECT_COLOUR(actual, expected, tolerance) \
    EXPECT_TRUE(ColourNear((actual), (expected), (tolerance)))

// The error text pending, "" when none.
std::string PendingError();
