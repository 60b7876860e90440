#include "d3d_fixture.h"

#include <cstring>

namespace {

// A channel of the pixel widened to 8 bits, its top bits repeated below it.
int Channel(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int width = 0;
    while ((mask >> (shift + width)) & 1) ++width;
    uint32_t value = (pixel & mask) >> shift;
    uint32_t wide = 0;
    for (int at = 8 - width; at > -width; at -= width) wide |= at >= 0 ? value << at : value >> -at;
    return int(wide & 255);
}

}  // namespace

D3dScreen* D3dScreenTest::opened;

void D3dScreenTest::SetUpTestSuite() {
    opened = static_cast<D3dScreen*>(OpenRenderSystem("NovadriftTest", SCREEN_D3D, 640, 480));
    if (opened) UnregisterMessageHandler(&opened->messageHandler, WM_ACTIVATEAPP);
}

void D3dScreenTest::TearDownTestSuite() {
    CloseRenderSystem();
    opened = nullptr;
}

void D3dScreenTest::TearDown() {
    // The frame ends as in the main loop, which starts the next test's counters at 0.
    screen->EndScene();
    screen->Present();
    PumpMessages();
    ClearError();
}

void D3dScreenTest::SetUp() {
    screen = opened;
    ASSERT_NE(screen, nullptr) << PendingError();
    PumpMessages();
    ASSERT_NE(screen->renderTarget, nullptr);
    ASSERT_EQ(screen->framework->width, Width());
    ASSERT_EQ(screen->framework->height, Height());
}

Frame ReadD3dFrame(D3dScreen* screen) {
    Frame frame;
    screen->EndScene();
    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = sizeof locked;
    if (screen->renderTarget->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) ==
        DD_OK) {
        const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
        int bytes = int(format.dwRGBBitCount / 8);
        frame.width = int(locked.dwWidth);
        frame.height = int(locked.dwHeight);
        frame.pixels.resize(size_t(frame.width) * size_t(frame.height));
        for (int y = 0; y < frame.height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(locked.lpSurface) + y * locked.lPitch;
            for (int x = 0; x < frame.width; ++x) {
                uint32_t pixel = 0;
                std::memcpy(&pixel, row + x * bytes, size_t(bytes));
                frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)] = {
                    Channel(pixel, format.dwRBitMask), Channel(pixel, format.dwGBitMask),
                    Channel(pixel, format.dwBBitMask)};
            }
        }
        screen->renderTarget->Unlock(nullptr);
    }
    screen->BeginScene();
    return frame;
}
