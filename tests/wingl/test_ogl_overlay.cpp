// The OpenGL screen's 2-D overlay (the virtual 640 x 480 screen, y downward) drawn on
// the real device and read back: untextured quads and their orientation, lines with
// their vertex alpha, textured quads made through CSurface, and the fading clear.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "ansi/bitmap.h"
#include "base/texture.h"
#include "ogl_fixture.h"
#include "win/scr_ogl.h"
#include "xsystem.h"

namespace {

const Rgba kNavy = {0, 0, 128, 255};
const Rgba kDarkBlue = {0, 0, 200, 255};

}  // namespace

// ---------------------------------------------------------------------------------------
// Untextured quads

TEST_F(OglScreenTest, OverlayQuadFillsItsRectangleTopLeftUp) {
    StartFrame(kNavy);
    ASSERT_EQ(DrawOverlayQuad(40, 30, 200, 130, kOrange), 1);
    ReadFrame();
    const Colour background = ClearedColour(kNavy);

    // Inside, right up to two pixels from each edge.
    EXPECT_COLOUR(AtVirtual(120, 80), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(42, 32), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(197, 32), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(42, 127), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(197, 127), kOrange, 0);
    // Outside, two pixels beyond each edge, and far away.
    EXPECT_COLOUR(AtVirtual(37, 80), background, 1);
    EXPECT_COLOUR(AtVirtual(202, 80), background, 1);
    EXPECT_COLOUR(AtVirtual(120, 27), background, 1);
    EXPECT_COLOUR(AtVirtual(120, 132), background, 1);
    EXPECT_COLOUR(AtVirtual(500, 400), background, 1);

    // The quad is at the top of the virtual screen, so in glReadPixels' bottom-up rows
    // it is high up: row 479 - 80 holds it, row 80 does not.
    EXPECT_COLOUR(AtRowFromBottom(120, Height() - 1 - 80), kOrange, 0);
    EXPECT_COLOUR(AtRowFromBottom(120, 80), background, 1);
    // And left stays left.
    EXPECT_COLOUR(AtVirtual(640 - 120, 80), background, 1);
}

TEST_F(OglScreenTest, OverlayQuadsOfEveryKindLandWhereTheirVerticesSay) {
    StartFrame(kNavy);
    const Vertex triangles[6] = {
        MakeVertex(300, 300, 1, kRed),   MakeVertex(400, 300, 1, kRed),
        MakeVertex(300, 400, 1, kRed),   MakeVertex(500, 300, 1, kGreen),
        MakeVertex(600, 300, 1, kGreen), MakeVertex(600, 400, 1, kGreen),
    };
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, triangles, 6, 0), 1);
    // A fan over the bottom-left corner, a strip across the top right.
    const Vertex fan[4] = {MakeVertex(10, 470, 1, kWhite), MakeVertex(10, 370, 1, kWhite),
                           MakeVertex(110, 370, 1, kWhite), MakeVertex(110, 470, 1, kWhite)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_FAN, fan, 4, 0), 1);
    const Vertex strip[4] = {MakeVertex(400, 10, 1, kBlue), MakeVertex(400, 60, 1, kBlue),
                             MakeVertex(630, 10, 1, kBlue), MakeVertex(630, 60, 1, kBlue)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, strip, 4, 0), 1);
    ReadFrame();
    const Colour background = ClearedColour(kNavy);

    // Each triangle covers the half of its square on the side of its right angle.
    EXPECT_COLOUR(AtVirtual(320, 320), kRed, 0);
    EXPECT_COLOUR(AtVirtual(380, 380), background, 1);
    EXPECT_COLOUR(AtVirtual(590, 320), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(520, 380), background, 1);
    EXPECT_COLOUR(AtVirtual(60, 420), kWhite, 0);
    EXPECT_COLOUR(AtVirtual(60, 365), background, 1);
    EXPECT_COLOUR(AtVirtual(515, 35), kBlue, 0);
    EXPECT_COLOUR(AtVirtual(515, 65), background, 1);
}

// ---------------------------------------------------------------------------------------
// Lines

TEST_F(OglScreenTest, LinesLandOnTheirPixelsWithTheirVertexAlpha) {
    StartFrame(kDarkBlue);
    CSurface alpha;
    alpha.SetBlendMode(SURFACE_ALPHA);
    screen->SetSurface(&alpha);
    const Colour yellow = {255, 255, 0};
    const Colour background = ClearedColour(kDarkBlue);

    // A line list of two lines on pixel centres: row 200 at half alpha, row 220 opaque.
    const Vertex lines[4] = {
        MakeVertex(100.5f, 200.5f, 1, yellow, 128), MakeVertex(300.5f, 200.5f, 1, yellow, 128),
        MakeVertex(100.5f, 220.5f, 1, yellow, 255), MakeVertex(300.5f, 220.5f, 1, yellow, 255)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_LINES, lines, 4, 0), 1);
    // A strip along row 50 then down column 150, at a quarter alpha.
    const Vertex strip[3] = {MakeVertex(50.5f, 50.5f, 1, kRed, 64),
                             MakeVertex(150.5f, 50.5f, 1, kRed, 64),
                             MakeVertex(150.5f, 150.5f, 1, kRed, 64)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, strip, 3, 0), 1);
    // The arrays carry no alpha: a quad of vertex alpha 0 still draws fully.
    ASSERT_EQ(DrawOverlayQuad(400, 300, 500, 400, kGreen, 0), 1);
    ReadFrame();

    const Colour halfYellow = AlphaBlend(yellow, 128, background);
    const Colour quarterRed = AlphaBlend(kRed, 64, background);
    for (int x = 110; x <= 290; x += 20) {
        EXPECT_COLOUR(At(x, 200), halfYellow, kBlendTolerance) << "x " << x;
        EXPECT_COLOUR(At(x, 220), yellow, kBlendTolerance) << "x " << x;
        EXPECT_COLOUR(At(x, 198), background, 1) << "x " << x;
        EXPECT_COLOUR(At(x, 202), background, 1) << "x " << x;
        EXPECT_COLOUR(At(x, 210), background, 1) << "x " << x;
    }
    for (int i = 60; i <= 140; i += 20) {
        EXPECT_COLOUR(At(i, 50), quarterRed, kBlendTolerance) << "x " << i;
        EXPECT_COLOUR(At(150, i), quarterRed, kBlendTolerance) << "y " << i;
        EXPECT_COLOUR(At(i, 52), background, 1) << "x " << i;
        EXPECT_COLOUR(At(152, i), background, 1) << "y " << i;
    }
    // Nothing closes the strip back to its start.
    EXPECT_COLOUR(At(100, 100), background, 1);
    EXPECT_COLOUR(AtVirtual(450, 350), kGreen, 0);
}

TEST_F(OglScreenTest, OpaqueSurfaceDrawsLinesWithoutBlending) {
    StartFrame(kDarkBlue);
    screen->SetSurface(nullptr);
    const Vertex line[2] = {MakeVertex(100.5f, 300.5f, 1, kRed, 32),
                            MakeVertex(300.5f, 300.5f, 1, kRed, 32)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_LINES, line, 2, 0), 1);
    ReadFrame();
    EXPECT_COLOUR(At(200, 300), kRed, 0);
}

// ---------------------------------------------------------------------------------------
// Textured quads

class OglTextureTest : public OglScreenTest {
protected:
    // A white quad with the whole texture on it, through the surface.
    void DrawTexturedQuad(const CSurface& surface, float left, float top, float right,
                          float bottom) {
        screen->SetSurface(&surface);
        ASSERT_EQ(DrawOverlayQuad(left, top, right, bottom, kWhite), 1);
    }
};

TEST_F(OglTextureTest, AdditiveTextureAddsTheTexelToTheBackground) {
    const Rgba backgroundBytes = {60, 70, 80, 255};
    const Colour texel = {100, 50, 20};
    // The same colour in the two 24-bit byte orders (red first as the texture upload
    // wants it, blue first as BMP files store it).
    Bitmap redFirst, blueFirst;
    FillPicture(redFirst, 24, 16, 8, 0, 0, texel, 0);
    FillPicture(blueFirst, 24, 0, 8, 16, 0, texel, 0);

    StartFrame(backgroundBytes);
    CSurface first, second;
    first.SetBlendMode(SURFACE_ADDITIVE);
    second.SetBlendMode(SURFACE_ADDITIVE);
    ASSERT_EQ(first.SetTexture(&redFirst), 1) << PendingError();
    ASSERT_EQ(second.SetTexture(&blueFirst), 1) << PendingError();
    EXPECT_EQ(first.textureMode, SURFACE_TEXTURED);
    ASSERT_NE(first.texture, nullptr);
    EXPECT_EQ(first.texture->width, 4);
    EXPECT_EQ(first.texture->bits, 24);
    EXPECT_EQ(screen->GetTextureList()->First(), second.texture);

    DrawTexturedQuad(first, 100, 100, 200, 200);
    DrawTexturedQuad(second, 300, 100, 400, 200);
    ReadFrame();

    const Colour background = ClearedColour(backgroundBytes);
    const Colour expected = Sum(background, texel);
    EXPECT_COLOUR(AtVirtual(150, 150), expected, kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(102, 102), expected, kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(350, 150), expected, kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(250, 150), background, 1);
    EXPECT_COLOUR(AtVirtual(150, 205), background, 1);

    first.FreeTexture();
    second.FreeTexture();
    EXPECT_EQ(screen->GetTextureList()->First(), nullptr);
}

TEST_F(OglTextureTest, AdditiveTextureSaturatesAndTexturingEndsWithTheDefaultSurface) {
    const Rgba backgroundBytes = {200, 20, 120, 255};
    const Colour texel = {100, 50, 200};
    Bitmap picture;
    FillPicture(picture, 24, 16, 8, 0, 0, texel, 0);
    StartFrame(backgroundBytes);
    CSurface surface;
    surface.SetBlendMode(SURFACE_ADDITIVE);
    ASSERT_EQ(surface.SetTexture(&picture), 1) << PendingError();
    DrawTexturedQuad(surface, 100, 100, 200, 200);
    // The default surface: untextured and opaque again.
    screen->SetSurface(nullptr);
    ASSERT_EQ(DrawOverlayQuad(300, 100, 400, 200, kOrange), 1);
    ReadFrame();
    const Colour background = ClearedColour(backgroundBytes);
    EXPECT_COLOUR(AtVirtual(150, 150), Sum(background, texel), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(350, 150), kOrange, 0);
    surface.FreeTexture();
}

TEST_F(OglTextureTest, SurfaceGivenANewPictureDrawsTheNewOne) {
    const Rgba black = {0, 0, 0, 255};
    Bitmap before, after;
    FillPicture(before, 24, 16, 8, 0, 0, {10, 200, 10}, 0);
    FillPicture(after, 24, 16, 8, 0, 0, {200, 10, 90}, 0);
    StartFrame(black);
    CSurface surface;
    surface.SetBlendMode(SURFACE_ADDITIVE);
    ASSERT_EQ(surface.SetTexture(&before), 1);
    Texture* made = surface.texture;
    ASSERT_EQ(surface.SetTexture(&after), 1);
    // The same texture, re-made from the new picture.
    EXPECT_EQ(surface.texture, made);
    DrawTexturedQuad(surface, 100, 100, 200, 200);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(150, 150), (Colour{200, 10, 90}), kBlendTolerance);
    surface.FreeTexture();
}

TEST_F(OglTextureTest, AlphaTextureBlendsByTheTexelAlpha) {
    const Rgba backgroundBytes = {60, 70, 80, 255};
    const Colour texel = {200, 40, 10};
    const int texelAlpha = 64;
    // 32 bits as a native word with blue in the low byte (bytes blue, green, red, alpha).
    Bitmap picture;
    FillPicture(picture, 32, 16, 8, 0, 24, texel, texelAlpha);
    StartFrame(backgroundBytes);
    CSurface surface;
    surface.SetBlendMode(SURFACE_ALPHA);
    ASSERT_EQ(surface.SetTexture(&picture), 1) << PendingError();
    EXPECT_EQ(surface.texture->bits, 32);
    DrawTexturedQuad(surface, 100, 100, 200, 200);
    ReadFrame();
    const Colour background = ClearedColour(backgroundBytes);
    EXPECT_COLOUR(AtVirtual(150, 150), AlphaBlend(texel, texelAlpha, background), kBlendTolerance);
    surface.FreeTexture();
}

TEST_F(OglTextureTest, ThirtyTwoBitPictureWithoutAlphaDrawsItsColours) {
    // As a 32-bit BMP file loads: bytes blue, green, red and one unused byte (here 0).
    const Colour texel = {200, 40, 10};
    Bitmap picture;
    FillPicture(picture, 32, 16, 8, 0, 24, texel, 0);
    picture.alphaSize = 0;
    picture.alphaPos = 0;
    const Rgba black = {0, 0, 0, 255};
    StartFrame(black);
    CSurface opaque, alpha;
    ASSERT_EQ(opaque.SetTexture(&picture), 1) << PendingError();
    alpha.SetBlendMode(SURFACE_ALPHA);
    ASSERT_EQ(alpha.SetTexture(&picture), 1) << PendingError();
    DrawTexturedQuad(opaque, 100, 100, 200, 200);
    DrawTexturedQuad(alpha, 300, 100, 400, 200);
    ReadFrame();
    // Red stays red, and a picture without alpha counts as opaque.
    EXPECT_COLOUR(AtVirtual(150, 150), texel, kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(350, 150), texel, kBlendTolerance);
    opaque.FreeTexture();
    alpha.FreeTexture();
}

TEST_F(OglTextureTest, TexturesOutliveALossOfActivation) {
    const Colour texel = {30, 160, 90};
    Bitmap picture;
    FillPicture(picture, 24, 16, 8, 0, 0, texel, 0);
    CSurface surface;
    surface.SetBlendMode(SURFACE_ADDITIVE);
    ASSERT_EQ(surface.SetTexture(&picture), 1) << PendingError();
    HWND window = reinterpret_cast<HWND>(sglb->mainWindow);

    // Deactivated: minimised and released; the OpenGL textures stay.
    screen->messageHandler.HandleMessage(sglb->mainWindow, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(screen->IsActive(), 0);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(screen->GetTextureList()->First(), surface.texture);
    // Activated again: restored to the mode's size, and the same texture draws.
    screen->messageHandler.HandleMessage(sglb->mainWindow, WM_ACTIVATEAPP, 1, 0);
    PumpMessages();
    EXPECT_EQ(screen->IsActive(), 1);
    EXPECT_FALSE(IsIconic(window));
    RECT client = {};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right - client.left, Width());
    ASSERT_EQ(client.bottom - client.top, Height());

    const Rgba black = {0, 0, 0, 255};
    StartFrame(black);
    DrawTexturedQuad(surface, 100, 100, 200, 200);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(150, 150), texel, kBlendTolerance);
    surface.FreeTexture();
}

// ---------------------------------------------------------------------------------------
// Clear

TEST_F(OglScreenTest, FadeClearBlendsAQuarterOfThePreviousFrame) {
    const Rgba previous = {200, 100, 0, 255};
    StartFrame(previous);
    ASSERT_EQ(DrawOverlayQuad(100, 100, 300, 200, kGreen), 1);
    ReadFrame();
    const Colour before = AtVirtual(400, 300);
    const Colour quadBefore = AtVirtual(200, 150);
    EXPECT_COLOUR(before, ClearedColour(previous), 1);
    EXPECT_COLOUR(quadBefore, kGreen, 0);

    // Fade 0.25: a quad of the colour at alpha 0.75 over everything; only depth is
    // cleared, so the previous frame shows through at a quarter.
    const Rgba fadeColour = {0, 0, 255, 255};
    ASSERT_EQ(screen->Clear(&fadeColour, 0.25f, CLEAR_COLOUR | CLEAR_DEPTH), 1);
    ReadFrame();
    // The quad's colour is 255 / 256 of full blue.
    const double fadeBlue = 255.0 / 256.0 * 255.0;
    auto faded = [fadeBlue](Colour under) {
        return Colour{int(under.r * 0.25 + 0.5), int(under.g * 0.25 + 0.5),
                      int(under.b * 0.25 + fadeBlue * 0.75 + 0.5)};
    };
    EXPECT_COLOUR(AtVirtual(400, 300), faded(before), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(200, 150), faded(quadBefore), kBlendTolerance);
    // The fade quad reaches every corner.
    EXPECT_COLOUR(At(0, 0), faded(before), kBlendTolerance);
    EXPECT_COLOUR(At(Width() - 1, Height() - 1), faded(before), kBlendTolerance);

    // The fade left the clear colour alone: fade 0 without a colour clears to it.
    ASSERT_EQ(screen->Clear(nullptr, 0, CLEAR_COLOUR), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(200, 150), before, 0);
    EXPECT_COLOUR(AtVirtual(400, 300), before, 0);
}

TEST_F(OglScreenTest, ClearWithoutTheColourFlagKeepsTheFrame) {
    StartFrame(kNavy);
    ASSERT_EQ(DrawOverlayQuad(100, 100, 300, 200, kGreen), 1);
    const Rgba red = {255, 0, 0, 255};
    // Fade 0, depth only: sets the clear colour, touches no pixel.
    ASSERT_EQ(screen->Clear(&red, 0, CLEAR_DEPTH), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(200, 150), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(400, 300), ClearedColour(kNavy), 1);
    // Fade 1 draws nothing either.
    ASSERT_EQ(screen->Clear(&red, 1.0f, CLEAR_COLOUR), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(400, 300), ClearedColour(kNavy), 1);
    // The colour it set is what the next colour clear uses.
    ASSERT_EQ(screen->Clear(nullptr, 0, CLEAR_COLOUR), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(200, 150), ClearedColour(red), 1);
}
