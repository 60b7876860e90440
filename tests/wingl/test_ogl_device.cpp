// The OpenGL screen as a device: the draw counters and the calls it refuses, checked on
// the real device (a refused call draws nothing), the OpenGL error check at EndScene,
// and screenshots saved as dated BMP files whose pixels are the frame's.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "ansi/bitmap.h"
#include "misc.h"
#include "ogl_fixture.h"
#include "win/scr_ogl.h"

namespace {

const Rgba kNavy = {0, 0, 128, 255};

}  // namespace

// ---------------------------------------------------------------------------------------
// Counters and refused calls

TEST_F(OglScreenTest, RefusedPrimitivesReportAndDrawNothing) {
    StartFrame(kNavy);
    Vertex six[6];
    QuadVertices(six, 100, 100, 200, 200, 1, kRed);
    QuadVertices(six + 2, 100, 100, 200, 200, 1, kRed);

    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, six, 6, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A quad list needs quads (duh) (Num verts sent : 6)");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, six, 3, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A quad list needs quads (duh) (Num verts sent : 3)");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, six, 4, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A triangle list needs triangles (duh)");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINES, six, 3, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A line list needs lines (duh)");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, six, 1, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - A linestrip must have over 2 vertexs");
    ClearError();
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, nullptr, 4, 0), 0);
    EXPECT_EQ(PendingError(), "DrawPrimitive - Dont give me NULL");
    ClearError();
    // A kind past the last draws nothing and is not refused.
    EXPECT_EQ(screen->DrawPrimitive(PRIM_KIND_COUNT, six, 4, 0), 1);
    EXPECT_EQ(PendingError(), "");

    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(150, 150), ClearedColour(kNavy), 1);
    EXPECT_EQ(screen->EndScene(), 1);
    EXPECT_EQ(PendingError(), "") << "OpenGL reported an error";
}

TEST_F(OglScreenTest, CountersAddUpPerKindAndPresentZeroesThem) {
    StartFrame(kNavy);
    Vertex v[8];
    QuadVertices(v, 10, 10, 60, 60, 1, kRed);
    QuadVertices(v + 4, 110, 10, 160, 60, 1, kGreen);

    EXPECT_EQ(screen->DrawPrimitive(PRIM_POINTS, v, 5, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINES, v, 4, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, v, 4, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, v, 6, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, v, 5, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_FAN, v, 5, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, v, 8, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, v + 4, 4, 0), 1);
    // points, lines, line strips, triangles, triangle strips, triangle fans, quads.
    EXPECT_EQ(Counters(*screen), (std::vector<int32_t>{5, 2, 3, 2, 3, 3, 3}));

    // Both quads of the list were drawn.
    ReadFrame();
    EXPECT_COLOUR(AtVirtual(35, 35), kRed, 0);
    EXPECT_COLOUR(AtVirtual(135, 35), kGreen, 0);

    EXPECT_EQ(screen->EndScene(), 1);
    EXPECT_EQ(PendingError(), "") << "OpenGL reported an error";
    EXPECT_EQ(screen->Present(), 1);
    PumpMessages();
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
}

TEST_F(OglScreenTest, PresentedFramesGoOnDrawing) {
    // Two frames with a swap between: the second draws and reads like the first.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        StartFrame(kNavy);
        ASSERT_EQ(DrawOverlayQuad(200, 100, 300, 200, round ? kGreen : kRed), 1);
        ReadFrame();
        EXPECT_COLOUR(AtVirtual(250, 150), round ? kGreen : kRed, 0);
        EXPECT_COLOUR(AtVirtual(350, 150), ClearedColour(kNavy), 1);
        EXPECT_EQ(screen->EndScene(), 1);
        EXPECT_EQ(screen->Present(), 1);
        PumpMessages();
    }
    EXPECT_EQ(PendingError(), "");
}

// ---------------------------------------------------------------------------------------
// Screenshots

TEST_F(OglScreenTest, ScreenshotIsADatedBmpOfTheFrame) {
    ScratchDirectory scratch;
    StartFrame(kNavy);
    // Top left red, bottom right green, and a white bar across the top row of pixels,
    // so rows turned upside down or shifted show.
    ASSERT_EQ(DrawOverlayQuad(0, 0, 100, 80, kRed), 1);
    ASSERT_EQ(DrawOverlayQuad(540, 400, 640, 480, kGreen), 1);
    ASSERT_EQ(DrawOverlayQuad(200, 0, 440, 1, kWhite), 1);
    ReadFrame();

    EXPECT_EQ(screen->SaveScreenshot("ScrShots/shot.bmp", 0), 1);
    EXPECT_EQ(screen->SaveScreenshot("ScrShots/shot.bmp", 0), 1);
    // The dated names, numbered from 01 on.
    std::vector<std::string> saved = FilesMatching("ScrShots\\*");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0], DatedShotName(1));
    EXPECT_EQ(saved[1], DatedShotName(2));

    Bitmap shot;
    ASSERT_EQ(shot.Load(("ScrShots/" + DatedShotName(1)).c_str()), 1) << PendingError();
    ASSERT_EQ(shot.width, Width());
    ASSERT_EQ(shot.height, Height());
    EXPECT_EQ(shot.bitsPerPixel, 24);
    // The picture's rows top-down are the frame's rows top-down, pixel for pixel.
    int mismatches = 0;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) {
            Colour inFile = BitmapPixel(shot, x, y), inFrame = At(x, y);
            if (inFile.r == inFrame.r && inFile.g == inFrame.g && inFile.b == inFrame.b) continue;
            if (mismatches++ < 5)
                ADD_FAILURE() << "pixel " << x << ", " << y << ": file (" << inFile.r << ", "
                              << inFile.g << ", " << inFile.b << "), frame (" << inFrame.r << ", "
                              << inFrame.g << ", " << inFrame.b << ")";
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 10, 10), kRed, 0);
    EXPECT_COLOUR(BitmapPixel(shot, Width() - 10, Height() - 10), kGreen, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 320, 0), kWhite, 0);
    EXPECT_COLOUR(BitmapPixel(shot, 320, 1), ClearedColour(kNavy), 1);
}
