// One scene drawn on the Direct3D screen and on the OpenGL screen, compared pixel by
// pixel: the two screens must draw the same picture.
//
// Tolerance: 4 per channel. The OpenGL screen scales clear and fade colours by 1/256
// (255 becomes 254) and gives the fade quad its alpha as a float, where the Direct3D
// screen takes its byte trunc((1 - fade) x 255), about 0.4 % less; each blend rounds
// once per channel in either rasteriser. Together that stays within 3; a wrong
// projection, coordinate, blend or channel order is off by tens. Pixels at an edge in
// either picture are left out: the two rasterisers may put an edge that falls between
// pixel centres one pixel apart.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ansi/bitmap.h"
#include "base/camera.h"
#include "base/texture.h"
#include "d3d_fixture.h"
#include "ogl_fixture.h"

namespace {

const int kTolerance = 4;

// A camera-facing square of half size `half` around a world point.
void DrawWorldQuad(Screen* screen, float x, float y, float z, float half, Colour colour) {
    Vertex quad[4];
    QuadVertices(quad, x - half, y + half, x + half, y - half, z, colour);
    ASSERT_EQ(screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0), 1);
}

// Everything the program draws with, on the screen of that kind, read back.
Frame DrawSceneOn(int kind) {
    Frame frame;
    Screen* screen = OpenRenderSystem("NovadriftBothScreens", kind, 640, 480);
    if (!screen) {
        ADD_FAILURE() << "kind " << kind << ": " << PendingError();
        CloseRenderSystem();
        return frame;
    }
    PumpRenderMessages();
    StartFrame(screen, {60, 70, 80, 255});

    // A 3-D camera without the square flag, turned and moved: a far green square, a
    // near red one over it. (No depth test: the OpenGL screen's projection gives the
    // near plane the far depth, so the two screens order depths the other way round.)
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    camera.SetRotation(0, 15, 0);
    camera.SetPosition(1, 0.5f, 0);
    screen->SetView(&camera);
    screen->SetSurface(nullptr);
    DrawWorldQuad(screen, 1, 0.5f, 12, 2.5f, kGreen);
    DrawWorldQuad(screen, 0, 0, 8, 1, kRed);
    // A square frustum in the bottom-right quarter.
    Camera quarter;
    quarter.SetViewport(320, 240, 45, 320, 240, CAMERA_SQUARE);
    screen->SetView(&quarter);
    DrawWorldQuad(screen, -1, 1, 10, 1.5f, kBlue);

    // The overlay: opaque, textured additive and by the texels' alpha, and lines with
    // their vertex alpha. (Triangles and quads take their vertex alpha only on the
    // Direct3D screen; the star field draws them all at 255.)
    screen->SetView(nullptr);
    screen->SetSurface(nullptr);
    DrawOverlayQuad(screen, 20, 20, 140, 90, kOrange);
    Bitmap picture, translucent;
    FillPicture(picture, 24, 16, 8, 0, 0, {90, 40, 120}, 0);
    FillPicture(translucent, 32, 16, 8, 0, 24, {230, 220, 30}, 96);
    CSurface additive, alpha;
    additive.SetBlendMode(SURFACE_ADDITIVE);
    alpha.SetBlendMode(SURFACE_ALPHA);
    if (!additive.SetTexture(&picture) || !alpha.SetTexture(&translucent))
        ADD_FAILURE() << PendingError();
    screen->SetSurface(&additive);
    DrawOverlayQuad(screen, 60, 300, 260, 420, kWhite);
    screen->SetSurface(&alpha);
    DrawOverlayQuad(screen, 200, 340, 400, 460, kWhite);
    const Vertex lines[4] = {MakeVertex(400, 40, 1, kWhite), MakeVertex(600, 40, 1, kWhite),
                             MakeVertex(400, 80, 1, kRed, 96), MakeVertex(600, 80, 1, kRed, 96)};
    screen->DrawPrimitive(PRIM_LINES, lines, 4, 0);
    // The motion blur's fading clear over all of it, then one more quad.
    const Rgba fade = {20, 30, 200, 255};
    screen->Clear(&fade, 0.6f, CLEAR_COLOUR | CLEAR_DEPTH);
    screen->SetSurface(nullptr);
    DrawOverlayQuad(screen, 500, 150, 620, 230, kWhite);

    frame =
        kind == SCREEN_D3D ? ReadD3dFrame(static_cast<D3dScreen*>(screen)) : ReadOglFrame(640, 480);
    additive.FreeTexture();
    alpha.FreeTexture();
    CloseRenderSystem();
    return frame;
}

// Whether a pixel differs from a neighbour by more than the tolerance.
bool AtAnEdge(const Frame& frame, int x, int y) {
    Colour centre = frame.At(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            Colour neighbour = frame.At(x + dx, y + dy);
            if (neighbour.r < 0) continue;
            if (std::abs(neighbour.r - centre.r) > kTolerance ||
                std::abs(neighbour.g - centre.g) > kTolerance ||
                std::abs(neighbour.b - centre.b) > kTolerance)
                return true;
        }
    return false;
}

TEST(BothScreens, TheSameSceneIsTheSamePicture) {
    Frame direct3D = DrawSceneOn(SCREEN_D3D);
    Frame openGl = DrawSceneOn(SCREEN_OPENGL);
    ASSERT_EQ(direct3D.width, 640);
    ASSERT_EQ(direct3D.height, 480);
    ASSERT_EQ(openGl.width, 640);
    ASSERT_EQ(openGl.height, 480);
    int compared = 0, different = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (AtAnEdge(direct3D, x, y) || AtAnEdge(openGl, x, y)) continue;
            ++compared;
            if (ColourNear(direct3D.At(x, y), openGl.At(x, y), kTolerance)) continue;
            if (different++ < 5)
                ADD_FAILURE()
                    << "at " << x << ", " << y << ": Direct3D "
                    << ColourNear(direct3D.At(x, y), openGl.At(x, y), kTolerance).message();
        }
    EXPECT_EQ(different, 0);
    // Edges are a small part of the picture.
    EXPECT_GT(compared, 640 * 480 * 9 / 10);
    // And the scene is there, faded to 60 %: the red, green and blue squares of the
    // cameras, each larger than a few thousand pixels.
    int red = 0, green = 0, blue = 0;
    for (const Colour& pixel : openGl.pixels) {
        red += pixel.r > pixel.g + 100 && pixel.r > pixel.b + 50;
        green += pixel.g > pixel.r + 100 && pixel.g > pixel.b + 50;
        blue += pixel.b > 220 && pixel.r < 40;
    }
    EXPECT_GT(red, 3000);
    EXPECT_GT(green, 3000);
    EXPECT_GT(blue, 3000);
}

}  // namespace
