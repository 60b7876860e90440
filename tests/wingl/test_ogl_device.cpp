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
    DrawScreenshotScene(screen, kNavy);
    ReadFrame();

    EXPECT_EQ(screen->SaveScreenshot("ScrShots/shot.bmp", 0), 1);
    EXPECT_EQ(screen->SaveScreenshot("ScrShots/shot.bmp", 0), 1);
    // The dated names, numbered from 01 on.
    std::vector<std::string> saved = FilesMatching("ScrShots\\*");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0], DatedShotName(1));
    EXPECT_EQ(saved[1], DatedShotName(2));
    ExpectShotOfTheFrame("ScrShots/" + DatedShotName(1), frame, ClearedColour(kNavy), 1);
}

namespace {

std::vector<std::string> ListedModeNames(Screen& screen) {
    std::vector<std::string> names;
    for (int more = screen.ModeFirst(); more && screen.ModeValid(); more = screen.ModeNext())
        names.push_back(std::string(screen.ModeCurrent()->modeName) + "/" +
                        std::to_string(screen.ModeCurrent()->displayMode));
    return names;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(OglScreenTest, ModesAreListedOnceEmptiedForGoodAndAPreviewOpensAsAChild) {
    ASSERT_EQ(screen->GetModeList(), 1);
    std::vector<std::string> first = ListedModeNames(*screen);
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(screen->GetModeList(), 1);
    EXPECT_EQ(ListedModeNames(*screen), first) << "a second listing adds nothing";
    std::vector<std::string> unique = first;
    std::sort(unique.begin(), unique.end());
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());

    // Closing empties the list, and it stays empty for the rest of the run.
    ASSERT_EQ(screen->ExitMode(), 1);
    EXPECT_EQ(screen->GetMode(), nullptr);
    EXPECT_TRUE(ListedModeNames(*screen).empty());
    screen->GetModeList();
    EXPECT_TRUE(ListedModeNames(*screen).empty());

    // A preview host, as the system's settings page has: the screen opens inside it.
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = PlainWindowProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "NovadriftTestHost";
    RegisterClassA(&hostClass);
    HWND host = CreateWindowExA(0, "NovadriftTestHost", "host", WS_POPUP | WS_VISIBLE, 10, 10, 152,
                                112, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    ASSERT_EQ(screen->InitInWindow(reinterpret_cast<WindowHandle>(host), 1), 1) << PendingError();
    ASSERT_NE(screen->GetMode(), nullptr);
    EXPECT_EQ(screen->GetMode()->displayMode, DISPLAY_CHILD);
    EXPECT_EQ(screen->GetMode()->width, 152);
    EXPECT_EQ(screen->GetMode()->height, 112);
    HWND child = reinterpret_cast<HWND>(sglb->mainWindow);
    EXPECT_EQ(GetParent(child), host);
    screen->ExitMode();
    DestroyWindow(host);
    UnregisterClassA("NovadriftTestHost", GetModuleHandleA(nullptr));
    // Open again by size for the teardown, as the program can.
    EXPECT_EQ(screen->InitModeBySize(640, 480, 32, DISPLAY_WINDOW, 1), 1);
}

}  // namespace
