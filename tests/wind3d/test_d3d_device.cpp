// The Direct3D screen as a device, drawn through wined3d and read back from its back
// buffer: primitives of every kind and their counters, the batches of 120 vertices, the
// calls it refuses, the fading clear, textured quads through CSurface and their
// surfaces across a loss of activation, screenshots, and the saved device choice.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ansi/bitmap.h"
#include "base/texture.h"
#include "d3d_fixture.h"

namespace {

const Rgba kNavy = {0, 0, 128, 255};
const Colour kNavyColour = {0, 0, 128};

}  // namespace

// ---------------------------------------------------------------------------------------
// Primitives

TEST_F(D3dScreenTest, EveryKindLandsWhereItsVerticesSayAndIsCounted) {
    StartFrame(kNavy);
    ASSERT_EQ(DrawOverlayQuad(40, 30, 200, 130, kOrange), 1);
    const Vertex triangles[3] = {MakeVertex(300, 300, 1, kRed), MakeVertex(400, 300, 1, kRed),
                                 MakeVertex(300, 400, 1, kRed)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, triangles, 3, 0), 1);
    const Vertex fan[4] = {MakeVertex(10, 470, 1, kWhite), MakeVertex(10, 370, 1, kWhite),
                           MakeVertex(110, 370, 1, kWhite), MakeVertex(110, 470, 1, kWhite)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_FAN, fan, 4, 0), 1);
    const Vertex strip[4] = {MakeVertex(400, 10, 1, kBlue), MakeVertex(400, 60, 1, kBlue),
                             MakeVertex(630, 10, 1, kBlue), MakeVertex(630, 60, 1, kBlue)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, strip, 4, 0), 1);
    // Lines on pixel centres carry their vertex alpha through the alpha surface: a strip
    // along row 200 and down column 500 at a quarter, a list line on row 220 opaque.
    CSurface alpha;
    alpha.SetBlendMode(SURFACE_ALPHA);
    screen->SetSurface(&alpha);
    const Vertex lineStrip[3] = {MakeVertex(300, 200, 1, kGreen, 64),
                                 MakeVertex(500, 200, 1, kGreen, 64),
                                 MakeVertex(500, 260, 1, kGreen, 64)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, lineStrip, 3, 0), 1);
    const Vertex line[2] = {MakeVertex(300, 220, 1, kGreen), MakeVertex(500, 220, 1, kGreen)};
    ASSERT_EQ(screen->DrawPrimitive(PRIM_LINES, line, 2, 0), 1);
    ASSERT_EQ(screen->DrawPrimitive(PRIM_POINTS, line, 2, 0), 1);
    ReadFrame();

    // The quad, top-left up, inside to two pixels from each edge and not beyond.
    EXPECT_COLOUR(AtVirtual(42, 32), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(197, 127), kOrange, 0);
    EXPECT_COLOUR(AtVirtual(37, 80), kNavyColour, 0);
    EXPECT_COLOUR(AtVirtual(202, 80), kNavyColour, 0);
    EXPECT_COLOUR(AtVirtual(120, 27), kNavyColour, 0);
    EXPECT_COLOUR(AtVirtual(120, 132), kNavyColour, 0);
    // Each triangle covers the half of its square on the side of its right angle.
    EXPECT_COLOUR(AtVirtual(320, 320), kRed, 0);
    EXPECT_COLOUR(AtVirtual(380, 380), kNavyColour, 0);
    EXPECT_COLOUR(AtVirtual(60, 420), kWhite, 0);
    EXPECT_COLOUR(AtVirtual(515, 35), kBlue, 0);
    EXPECT_COLOUR(AtVirtual(515, 65), kNavyColour, 0);
    const Colour quarterGreen = AlphaBlend(kGreen, 64, kNavyColour);
    for (int x = 320; x <= 480; x += 40) {
        EXPECT_COLOUR(At(x, 200), quarterGreen, kBlendTolerance) << "x " << x;
        EXPECT_COLOUR(At(x, 220), kGreen, kBlendTolerance) << "x " << x;
        EXPECT_COLOUR(At(x, 210), kNavyColour, 0) << "x " << x;
    }
    EXPECT_COLOUR(At(500, 240), quarterGreen, kBlendTolerance);
    EXPECT_COLOUR(At(400, 240), kNavyColour, 0) << "nothing closes the strip";

    // points, lines, line strips, triangles, triangle strips, triangle fans, quads.
    EXPECT_EQ(Counters(*screen), (std::vector<int32_t>{2, 1, 2, 1, 2, 2, 1}));
    EXPECT_EQ(screen->EndScene(), 1);
    EXPECT_EQ(screen->Present(), 1);
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    EXPECT_EQ(PendingError(), "");
}

TEST_F(D3dScreenTest, LongCallsAreDrawnInBatchesOf120) {
    StartFrame(kNavy);
    // 80 triangles in 240 vertices, side by side across the screen: both batches draw.
    std::vector<Vertex> triangles;
    for (int i = 0; i < 80; ++i) {
        float left = float(i) * 8;
        triangles.push_back(MakeVertex(left, 100, 1, kRed));
        triangles.push_back(MakeVertex(left + 8, 100, 1, kRed));
        triangles.push_back(MakeVertex(left, 140, 1, kRed));
    }
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, triangles.data(), 240, 0), 1);
    EXPECT_EQ(screen->triangles, 80);
    // Two quads in one call: two fans.
    Vertex quads[8];
    QuadVertices(quads, 10, 200, 60, 250, 1, kGreen);
    QuadVertices(quads + 4, 100, 200, 150, 250, 1, kGreen);
    ASSERT_EQ(screen->DrawPrimitive(PRIM_QUADS, quads, 8, 0), 1);
    EXPECT_EQ(screen->quads, 2);
    // A strip of 124 vertices along a band: the batch ends after 120 vertices, so the
    // two triangles between vertices 118 and 121 are missing.
    std::vector<Vertex> strip;
    for (int i = 0; i < 124; ++i)
        strip.push_back(MakeVertex(float(i / 2) * 10, i % 2 ? 400.f : 350.f, 1, kWhite));
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, strip.data(), 124, 0), 1);
    EXPECT_EQ(screen->triangleStrips, 118 + 2);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(2, 102), kRed, 0);
    EXPECT_COLOUR(AtVirtual(634, 102), kRed, 0);
    EXPECT_COLOUR(AtVirtual(35, 225), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(125, 225), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(80, 225), kNavyColour, 0);
    EXPECT_COLOUR(AtVirtual(300, 375), kWhite, 0);
    EXPECT_COLOUR(AtVirtual(595, 375), kNavyColour, 0) << "the strip goes on across batches";
    EXPECT_COLOUR(AtVirtual(605, 375), kWhite, 0);
}

TEST_F(D3dScreenTest, RefusedBatchesReportAndEarlierBatchesStayDrawn) {
    StartFrame(kNavy);
    Vertex six[6];
    QuadVertices(six, 100, 100, 200, 200, 1, kRed);
    QuadVertices(six + 2, 100, 100, 200, 200, 1, kRed);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, six, 6, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A quad list needs quads (duh)");
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINES, six, 3, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A line list needs lines (duh)");
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, nullptr, 3, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - Dont give me NULL");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_KIND_COUNT, six, 4, 0), 1);
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    // 122 vertices: 30 quads in the first batch, then two vertices that are no quad.
    std::vector<Vertex> quads;
    for (int i = 0; i < 30; ++i) {
        Vertex quad[4];
        QuadVertices(quad, float(i) * 20, 300, float(i) * 20 + 10, 320, 1, kGreen);
        quads.insert(quads.end(), quad, quad + 4);
    }
    quads.push_back(six[0]);
    quads.push_back(six[1]);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, quads.data(), 122, 0), 0);
    EXPECT_EQ(screen->quads, 30);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(585, 310), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(150, 150), kNavyColour, 0);
}

// ---------------------------------------------------------------------------------------
// Clear

TEST_F(D3dScreenTest, FadeClearLeavesAQuarterAndFadeOneClearsNothing) {
    const Rgba previous = {200, 100, 0, 255};
    StartFrame(previous);
    ASSERT_EQ(DrawOverlayQuad(100, 100, 300, 200, kGreen), 1);
    // Fade 1 draws and clears nothing.
    const Rgba red = {255, 0, 0, 255};
    ASSERT_EQ(screen->Clear(&red, 1.0f, CLEAR_COLOUR | CLEAR_DEPTH), 1);
    ReadFrame();
    const Colour before = AtVirtual(400, 300);
    EXPECT_COLOUR(before, (Colour{200, 100, 0}), 0);
    EXPECT_COLOUR(AtVirtual(200, 150), kGreen, 0);
    // Fade 0.25: blue at alpha trunc(0.75 x 255) = 191 over every pixel.
    const Rgba blue = {0, 0, 255, 255};
    ASSERT_EQ(screen->Clear(&blue, 0.25f, CLEAR_COLOUR | CLEAR_DEPTH), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(400, 300), AlphaBlend(kBlue, 191, before), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(200, 150), AlphaBlend(kBlue, 191, kGreen), kBlendTolerance);
    EXPECT_COLOUR(At(0, 0), AlphaBlend(kBlue, 191, before), kBlendTolerance);
    EXPECT_COLOUR(At(Width() - 1, Height() - 1), AlphaBlend(kBlue, 191, before), kBlendTolerance);
    // Fade 0 without a colour clears to black, and the depth flag alone keeps the frame.
    ASSERT_EQ(screen->Clear(&red, 0, CLEAR_DEPTH), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(200, 150), AlphaBlend(kBlue, 191, kGreen), kBlendTolerance);
    ASSERT_EQ(screen->Clear(nullptr, 0, CLEAR_COLOUR), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(200, 150), (Colour{0, 0, 0}), 0);
}

// ---------------------------------------------------------------------------------------
// Textures

TEST_F(D3dScreenTest, TexturedQuadsAddAndBlendTheirTexels) {
    const Rgba backgroundBytes = {60, 70, 80, 255};
    const Colour background = {60, 70, 80};
    const Colour texel = {100, 50, 20};
    // The same colour in the two 24-bit byte orders, and a 32-bit picture with alpha.
    Bitmap redFirst, blueFirst, withAlpha;
    FillPicture(redFirst, 24, 16, 8, 0, 0, texel, 0);
    FillPicture(blueFirst, 24, 0, 8, 16, 0, texel, 0);
    FillPicture(withAlpha, 32, 16, 8, 0, 24, {200, 40, 10}, 64);
    StartFrame(backgroundBytes);
    CSurface first, second, third;
    first.SetBlendMode(SURFACE_ADDITIVE);
    second.SetBlendMode(SURFACE_ADDITIVE);
    third.SetBlendMode(SURFACE_ALPHA);
    ASSERT_EQ(first.SetTexture(&redFirst), 1) << PendingError();
    ASSERT_EQ(second.SetTexture(&blueFirst), 1) << PendingError();
    ASSERT_EQ(third.SetTexture(&withAlpha), 1) << PendingError();
    EXPECT_NE(static_cast<D3dTexture*>(first.texture)->surface, nullptr);
    for (const CSurface* surface : {&first, &second, &third}) {
        screen->SetSurface(surface);
        float left = surface == &first ? 100.f : surface == &second ? 300.f : 500.f;
        ASSERT_EQ(DrawOverlayQuad(left, 100, left + 100, 200, kWhite), 1);
    }
    // The default surface draws untextured and opaque again.
    screen->SetSurface(nullptr);
    ASSERT_EQ(DrawOverlayQuad(100, 300, 200, 400, kOrange), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(150, 150), Sum(background, texel), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(350, 150), Sum(background, texel), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(550, 150), AlphaBlend({200, 40, 10}, 64, background), kBlendTolerance);
    EXPECT_COLOUR(AtVirtual(250, 150), background, 0);
    EXPECT_COLOUR(AtVirtual(150, 350), kOrange, 0);
    first.FreeTexture();
    second.FreeTexture();
    third.FreeTexture();
    EXPECT_EQ(screen->GetTextureList()->First(), nullptr);
}

TEST_F(D3dScreenTest, SurfacesAreRemadeFromTheKeptPictures) {
    Bitmap before, after;
    FillPicture(before, 24, 16, 8, 0, 0, {10, 200, 10}, 0);
    FillPicture(after, 24, 16, 8, 0, 0, {200, 10, 90}, 0);
    CSurface surface;
    surface.SetBlendMode(SURFACE_ADDITIVE);
    ASSERT_EQ(surface.SetTexture(&before), 1) << PendingError();
    D3dTexture* made = static_cast<D3dTexture*>(surface.texture);
    IDirectDrawSurface7* firstSurface = made->surface;
    // A new picture of the same size refills the same surface of the same texture.
    ASSERT_EQ(surface.SetTexture(&after), 1);
    EXPECT_EQ(surface.texture, made);
    EXPECT_EQ(made->surface, firstSurface);
    // Losing the activation drops the surface; regaining it makes it again.
    screen->messageHandler.HandleMessage(sglb->mainWindow, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(screen->active, 0);
    EXPECT_EQ(made->surface, nullptr);
    screen->messageHandler.HandleMessage(sglb->mainWindow, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(screen->active, 1);
    ASSERT_NE(made->surface, nullptr);
    const Rgba black = {0, 0, 0, 255};
    StartFrame(black);
    screen->SetSurface(&surface);
    ASSERT_EQ(DrawOverlayQuad(100, 100, 200, 200, kWhite), 1);
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(150, 150), (Colour{200, 10, 90}), kBlendTolerance);
    surface.FreeTexture();
}

// ---------------------------------------------------------------------------------------
// Screenshot and the saved choice

TEST_F(D3dScreenTest, ScreenshotIsADatedBmpOfTheFrame) {
    ScratchDirectory scratch;
    DrawScreenshotScene(screen, kNavy);
    ReadFrame();
    EXPECT_EQ(screen->SaveScreenshot("ScrShots/shot.bmp", 0), 1);
    std::vector<std::string> saved = FilesMatching("ScrShots\\*");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], DatedShotName(1));
    ExpectShotOfTheFrame("ScrShots/" + saved[0], frame, kNavyColour, 0);
}

TEST_F(D3dScreenTest, SavedChoiceGivesBackTheDeviceAndDriver) {
    uint8_t part[64];
    std::memset(part, 0xAA, sizeof part);
    ASSERT_EQ(screen->SaveSelection(part), 1);
    EXPECT_EQ(part[0] | part[1] << 8, 1);
    EXPECT_EQ(std::memcmp(part + 4, &screen->deviceGuid, 16), 0);
    EXPECT_EQ(std::memcmp(part + 20, &screen->driverGuid, 16), 0);
    const GUID device = screen->deviceGuid, driver = screen->driverGuid;
    std::memset(&screen->deviceGuid, 0, sizeof(GUID));
    std::memset(&screen->driverGuid, 0x55, sizeof(GUID));
    ASSERT_EQ(screen->MatchSelection(part, 0), 1);
    EXPECT_TRUE(IsEqualGUID(screen->deviceGuid, device));
    EXPECT_TRUE(IsEqualGUID(screen->driverGuid, driver));
    // A part without its leading 1 is no choice of this screen.
    part[0] = 0;
    EXPECT_EQ(screen->MatchSelection(part, 0), 0);
    // The enumeration chose the device this window was opened with.
    ASSERT_NE(screen->deviceInfo, nullptr);
    EXPECT_TRUE(IsEqualGUID(screen->deviceInfo->deviceGuid, device));
    EXPECT_EQ(screen->deviceInfo->selected, 1);
}

// ---------------------------------------------------------------------------------------
// Mode list

TEST_F(D3dScreenTest, ModesAreListedOnceEachInOrder) {
    // What the settings dialog offers: full-screen modes of the candidate sizes (the
    // default 640x480x16 among them), window modes at the desktop's depth, each once.
    std::vector<const ScreenMode*> listed;
    for (int more = screen->ModeFirst(); more; more = screen->ModeNext())
        listed.push_back(screen->ModeCurrent());
    ASSERT_FALSE(listed.empty());
    bool defaultMode = false;
    for (size_t i = 0; i < listed.size(); ++i) {
        const ScreenMode* mode = listed[i];
        EXPECT_EQ(std::string(mode->modeName), std::to_string(mode->width) + "x" +
                                                   std::to_string(mode->height) + "x" +
                                                   std::to_string(mode->bits));
        defaultMode |=
            std::string(mode->modeName) == "640x480x16" && mode->displayMode == DISPLAY_FULLSCREEN;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(listed[j]->width == mode->width && listed[j]->height == mode->height &&
                         listed[j]->bits == mode->bits &&
                         listed[j]->displayMode == mode->displayMode)
                << mode->modeName << " twice";
        if (i == 0) continue;
        const ScreenMode* before = listed[i - 1];
        EXPECT_LE(std::make_tuple(before->width, before->height, before->bits),
                  std::make_tuple(mode->width, mode->height, mode->bits));
    }
    EXPECT_TRUE(defaultMode);
    EXPECT_EQ(screen->SupportsDisplayMode(DISPLAY_WINDOW), screen->deviceInfo->canRenderWindowed);
}
