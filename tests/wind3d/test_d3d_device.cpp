// The Direct3D screen as a device, drawn through wined3d and read back from its back
// buffer, for what the scene compared with the OpenGL screen (test_both_screens) does
// not show: the batches of 120 vertices and their counters, the calls it refuses, fade 1
// and the clear without a colour, texture surfaces refilled and made again after a loss
// of activation, screenshots, the saved device choice, and DirectX 7 asked for only
// when the screen is first needed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "base/texture.h"
#include "d3d_fixture.h"
#include "win/library_win.h"

namespace {

const Rgba kNavy = {0, 0, 128, 255};
const Colour kNavyColour = {0, 0, 128};

}  // namespace

// ---------------------------------------------------------------------------------------
// Primitives

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
    EXPECT_EQ(screen->Draws().triangles, 80);
    // Two quads in one call: two fans.
    Vertex quads[8];
    QuadVertices(quads, 10, 200, 60, 250, 1, kGreen);
    QuadVertices(quads + 4, 100, 200, 150, 250, 1, kGreen);
    ASSERT_EQ(screen->DrawPrimitive(PRIM_QUADS, quads, 8, 0), 1);
    EXPECT_EQ(screen->Draws().quads, 2);
    // A strip of 124 vertices along a band: the batch ends after 120 vertices, so the
    // two triangles between vertices 118 and 121 are missing.
    std::vector<Vertex> strip;
    for (int i = 0; i < 124; ++i)
        strip.push_back(MakeVertex(float(i / 2) * 10, i % 2 ? 400.f : 350.f, 1, kWhite));
    ASSERT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, strip.data(), 124, 0), 1);
    EXPECT_EQ(screen->Draws().triangleStrips, 118 + 2);
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
    EXPECT_EQ(screen->Draws().quads, 30);
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
    EXPECT_EQ(screen->IsActive(), 0);
    EXPECT_EQ(made->surface, nullptr);
    screen->messageHandler.HandleMessage(sglb->mainWindow, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(screen->IsActive(), 1);
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
    // The enumeration chose the device this window was opened with.
    ASSERT_NE(screen->deviceInfo, nullptr);
    EXPECT_TRUE(IsEqualGUID(screen->deviceInfo->deviceGuid, screen->deviceGuid));
    EXPECT_EQ(screen->deviceInfo->selected, 1);
    D3dDeviceInfo* const listed = screen->deviceInfo;
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
    EXPECT_EQ(screen->savedDevice, 1);
    // A part without its leading 1 is no choice of this screen.
    part[0] = 0;
    EXPECT_EQ(screen->MatchSelection(part, 0), 0);
    screen->deviceInfo = listed;
    screen->savedDevice = 0;
}

// ---------------------------------------------------------------------------------------
// DirectX 7, asked when first needed

namespace {

HRESULT WINAPI NoDirectDraw(GUID*, void**, REFIID, IUnknown*) {
    return DDERR_GENERIC;
}

}  // namespace

TEST(D3dScreenDriver, FindingTheDriverMakesNoDirectDrawObject) {
    // A run on another screen pays nothing for DirectDraw (under Wine each object sets
    // up a whole wined3d device).
    D3dScreen* screen = XNEW(D3dScreen);
    ASSERT_EQ(screen->FindDriver(), 1);
    EXPECT_EQ(screen->library, nullptr) << "loading ddraw.dll sets up wined3d";
    EXPECT_EQ(screen->primaryDirectDraw, nullptr);
    EXPECT_EQ(screen->IsAvailable(), 1);
    ASSERT_EQ(screen->FindDirectX(), 1);
    EXPECT_NE(screen->library, nullptr);
    EXPECT_NE(screen->primaryDirectDraw, nullptr);
    XDELETE(screen);
    EXPECT_EQ(CheckSystemLibrary("ddraw.dll", {"DirectDrawCreateEx", "DirectDrawCreateEy"}),
              LIBRARY_LACKS_FUNCTION);
    EXPECT_EQ(CheckSystemLibrary("nosuchlibrary.dll", {"DirectDrawCreateEx"}), LIBRARY_MISSING);
}

TEST(D3dScreenDriver, WithoutDirectX7TheScreenDropsOutWhenFirstNeeded) {
    D3dScreen* screen = XNEW(D3dScreen);
    ASSERT_EQ(screen->FindDriver(), 1);
    ASSERT_EQ(screen->LoadDriver(), 1);
    screen->entries.createEx = NoDirectDraw;
    EXPECT_EQ(screen->InitModeBySize(640, 480, 32, DISPLAY_FULLSCREEN, 1), 0);
    EXPECT_EQ(PendingError(), "DirectX 7 not found");
    EXPECT_EQ(screen->IsAvailable(), 0);
    EXPECT_EQ(screen->GetModeList(), 0);
    EXPECT_EQ(screen->ModeFirst() && screen->ModeValid(), 0) << "no modes listed";
    ClearError();
    XDELETE(screen);
}
