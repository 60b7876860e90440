// A real D3dScreen in a 640 x 480 window for each test (Wine's wined3d over Mesa), and
// the frame it drew read back by locking its back buffer, after drawing and before
// Present, decoded here from the surface's own channel masks.
#pragma once

#include "screen_fixture.h"
#include "win/scr_d3d.h"

Frame ReadD3dFrame(D3dScreen* screen);

// The screen is opened once for all tests of the suite: making a DirectDraw device
// under Wine takes seconds. Each test starts its frame afresh (StartFrame).
class D3dScreenTest : public ScreenTest<D3dScreen, SCREEN_D3D> {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;
    // Reads the whole frame into `frame` (the scene is ended for the read and begun
    // again).
    void ReadFrame() { frame = ReadD3dFrame(screen); }

private:
    static D3dScreen* opened;
};
