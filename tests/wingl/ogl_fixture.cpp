#include "ogl_fixture.h"

#include <windows.h>

#include <cmath>

#include "ogl/ogl_api.h"

// ---------------------------------------------------------------------------------------
// Set-up

void OglScreenTest::SetUp() {
    ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    // The window's drawable must be the mode's size, or reading the frame back reads
    // outside what was drawn.
    RECT client = {};
    GetClientRect(reinterpret_cast<HWND>(sglb->mainWindow), &client);
    ASSERT_EQ(client.right - client.left, Width());
    ASSERT_EQ(client.bottom - client.top, Height());
    ASSERT_NE(gl.glReadPixels, nullptr);
}

// ---------------------------------------------------------------------------------------
// Reading the frame

void OglScreenTest::ReadFrame() {
    frame = ReadOglFrame(Width(), Height());
}

Frame ReadOglFrame(int width, int height) {
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * 4, 0);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    // glReadPixels gives the rows bottom-up.
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(size_t(width) * size_t(height));
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = &rows[(size_t(row) * size_t(width) + size_t(x)) * 4];
            frame.pixels[size_t(height - 1 - row) * size_t(width) + size_t(x)] = {
                pixel[0], pixel[1], pixel[2]};
        }
    return frame;
}

// ---------------------------------------------------------------------------------------
// Colours

int ClearedByte(int c) {
    return int(std::lround(c / 256.0 * 255.0));
}

Colour ClearedColour(const Rgba& colour) {
    return {ClearedByte(colour.r), ClearedByte(colour.g), ClearedByte(colour.b)};
}
