#include "ogl_fixture.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "misc.h"
#include "ogl_system.h"
#include "win/ogl_api.h"
#include "win/scr_ogl.h"
#include "xsystem.h"

const Colour kRed = {255, 0, 0};
const Colour kGreen = {0, 255, 0};
const Colour kBlue = {0, 0, 255};
const Colour kWhite = {255, 255, 255};
const Colour kOrange = {255, 128, 0};

namespace {

const int kModeWidth = 640;
const int kModeHeight = 480;

}  // namespace

// ---------------------------------------------------------------------------------------
// Set-up and teardown

void OglScreenTest::SetUp() {
    screen = OpenOglSystem("NovadriftTest", kModeWidth, kModeHeight);
    ASSERT_NE(screen, nullptr) << PendingError();
    // Other programs share the Wine desktop, and one taking the foreground would
    // minimise this window (the screen's answer to losing activation) in the middle of
    // a test. The activation test sends the message to the handler itself.
    UnregisterMessageHandler(&screen->messageHandler, WM_ACTIVATEAPP);
    PumpMessages();

    // The window's drawable must be the mode's size, or reading the frame back reads
    // outside what was drawn.
    RECT client = {};
    GetClientRect(reinterpret_cast<HWND>(sglb->mainWindow), &client);
    ASSERT_EQ(client.right - client.left, kModeWidth);
    ASSERT_EQ(client.bottom - client.top, kModeHeight);
    ASSERT_NE(gl.glReadPixels, nullptr);
}

void OglScreenTest::TearDown() {
    CloseOglSystem();
    screen = nullptr;
    ClearError();
}

void OglScreenTest::PumpMessages() { PumpOglMessages(); }

// ---------------------------------------------------------------------------------------
// Reading the frame

void OglScreenTest::ReadFrame() {
    frame.assign(size_t(Width()) * size_t(Height()) * 4, 0);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glReadPixels(0, 0, Width(), Height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
}

int OglScreenTest::Width() const {
    return screen && screen->mode ? screen->mode->width : 0;
}

int OglScreenTest::Height() const {
    return screen && screen->mode ? screen->mode->height : 0;
}

Colour OglScreenTest::AtRowFromBottom(int x, int row) const {
    if (x < 0 || row < 0 || x >= Width() || row >= Height() || frame.empty()) return {-1, -1, -1};
    const uint8_t* pixel = &frame[(size_t(row) * size_t(Width()) + size_t(x)) * 4];
    return {pixel[0], pixel[1], pixel[2]};
}

Colour OglScreenTest::At(int x, int rowFromTop) const {
    return AtRowFromBottom(x, Height() - 1 - rowFromTop);
}

Colour OglScreenTest::AtVirtual(float x, float y) const {
    return At(int(std::floor(x * Width() / 640.0f)), int(std::floor(y * Height() / 480.0f)));
}

// ---------------------------------------------------------------------------------------
// Drawing

void OglScreenTest::StartFrame(const Rgba& background) {
    screen->BeginScene();
    screen->SetView(nullptr);
    screen->SetSurface(nullptr);
    screen->Clear(&background, 0, CLEAR_COLOUR | CLEAR_DEPTH);
}

int OglScreenTest::DrawOverlayQuad(float left, float top, float right, float bottom, Colour colour,
                                   uint8_t alpha) {
    Vertex quad[4];
    QuadVertices(quad, left, top, right, bottom, 1, colour, alpha);
    return screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
}

Vertex MakeVertex(float x, float y, float z, Colour colour, uint8_t alpha, float u, float v) {
    Vertex vertex;
    std::memset(&vertex, 0, sizeof vertex);
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    vertex.r = uint8_t(colour.r);
    vertex.g = uint8_t(colour.g);
    vertex.b = uint8_t(colour.b);
    vertex.a = alpha;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

void QuadVertices(Vertex out[4], float left, float top, float right, float bottom, float z,
                  Colour colour, uint8_t alpha) {
    out[0] = MakeVertex(left, top, z, colour, alpha, 0, 0);
    out[1] = MakeVertex(right, top, z, colour, alpha, 1, 0);
    out[2] = MakeVertex(right, bottom, z, colour, alpha, 1, 1);
    out[3] = MakeVertex(left, bottom, z, colour, alpha, 0, 1);
}

// ---------------------------------------------------------------------------------------
// Colours

int ClearedByte(int c) {
    return int(std::lround(c / 256.0 * 255.0));
}

Colour ClearedColour(const Rgba& colour) {
    return {ClearedByte(colour.r), ClearedByte(colour.g), ClearedByte(colour.b)};
}

Colour BitmapPixel(const Bitmap& bitmap, int x, int y) {
    if (!bitmap.pixels || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height)
        return {-1, -1, -1};
    const uint8_t* p =
        bitmap.pixels + size_t(y) * size_t(bitmap.pitch) + size_t(x) * size_t(bitmap.bytesPerPixel);
    uint32_t value;
    if (bitmap.bytesPerPixel == 3)
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];  // read big-endian
    else if (bitmap.bytesPerPixel == 4)
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    else
        return {-1, -1, -1};
    return {int((value >> bitmap.redPos) & 0xFF), int((value >> bitmap.greenPos) & 0xFF),
            int((value >> bitmap.bluePos) & 0xFF)};
}

::testing::AssertionResult ColourNear(const Colour& actual, const Colour& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

std::string PendingError() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "";
    return message;
}
