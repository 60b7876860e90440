// A real OglScreen in a 640 x 480 window for each test, set up the way the program's
// start-up sets up its screen, and the frame it drew read back with glReadPixels.
//
// Pixels are read from the back buffer (OpenGL's read buffer of a double-buffered
// window) after drawing and before Present, so a test sees exactly what its calls drew
// and nothing the window system composited. Opaque colours from the vertex arrays come
// back exact; blended ones within a few units (Mesa's software rasteriser rounds).
#pragma once

#include "screen_fixture.h"
#include "win/scr_ogl.h"

class OglScreenTest : public ScreenTest<OglScreen, SCREEN_OPENGL> {
protected:
    void SetUp() override;

    // Reads the whole frame into `frame`.
    void ReadFrame();
    // A pixel by column and by row counted from the bottom, as glReadPixels orders them.
    Colour AtRowFromBottom(int x, int row) const { return frame.At(x, Height() - 1 - row); }
};

// The frame of the current OpenGL context, width x height from the bottom-left.
Frame ReadOglFrame(int width, int height);

// What an 8-bit colour buffer holds after clearing to the byte c: the screen scales
// clear colours by 1/256, so 255 becomes 0.99609375, which stores as 254.
int ClearedByte(int c);
Colour ClearedColour(const Rgba& colour);
