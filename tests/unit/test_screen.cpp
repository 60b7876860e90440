// The Screen base through a recording screen: the records' layout, DrawPrimitive's shared part,
// DrawPolygons, the mode list, opening modes, render states and the screen-list
// functions on glb->screenList.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "ansi/memory.h"
#include "base/camera.h"
#include "base/screenb.h"
#include "base/screenchoice.h"
#include "base/texture.h"
#include "misc.h"
#include "recording_screen.h"
#include "test_support.h"
#include "xsystem.h"

namespace {

std::string LastError() {
    char text[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(text, sizeof text)) return "";
    return text;
}

// Gives the test its own glb with an empty screen list; the previous glb comes back
// afterwards. Screens made with MakeScreen are destroyed at the end.
class ScreenList : public ::testing::Test {
protected:
    RecordingScreen* MakeScreen(const char* name, int32_t kind, bool listed = true) {
        return screens.MakeScreen(name, kind, listed);
    }

    OwnScreenList screens;
};

std::vector<int32_t> Counters(const Screen& screen) {
    const DrawCounts& d = screen.Draws();
    return {d.points,         d.lines,        d.lineStrips, d.triangles,
            d.triangleStrips, d.triangleFans, d.quads};
}

std::vector<std::string> ModeNames(Screen& screen) {
    std::vector<std::string> names;
    for (screen.ModeFirst(); screen.ModeValid(); screen.ModeNext()) {
        const ScreenMode* listed = screen.ModeCurrent();
        names.push_back(std::string(listed->modeName) + "/" + std::to_string(listed->displayMode));
    }
    return names;
}

Vertex vertices[12];

// ---------------------------------------------------------------------------------------
// Records

TEST(ScreenRecords, LayoutIsTheDesigns) {
    EXPECT_EQ(sizeof(ScreenSelection), 128u);
    EXPECT_EQ(sizeof(Vertex), 32u);
    EXPECT_EQ(offsetof(Vertex, y), 4u);
    EXPECT_EQ(offsetof(Vertex, z), 8u);
    EXPECT_EQ(offsetof(Vertex, g), 13u);
    EXPECT_EQ(offsetof(Vertex, b), 14u);
    EXPECT_EQ(offsetof(Vertex, v), 20u);
    EXPECT_EQ(sizeof(Rgba), 4u);
    EXPECT_EQ(offsetof(ScreenMode, displayMode), 16u);
    EXPECT_EQ(offsetof(ScreenMode, modeName), 20u);
    EXPECT_EQ(sizeof(ScreenMode{}.modeName), 128u);
    EXPECT_EQ(offsetof(struct Polygon, count), 128u);
    EXPECT_EQ(PRIM_POINTS, 0);
    EXPECT_EQ(PRIM_QUADS, 6);
    EXPECT_EQ(RS_TEXTURE, 1);
    EXPECT_EQ(RS_BLEND, 3);
    EXPECT_EQ(RS_DEPTH_TEST, 4);
    EXPECT_EQ(RS_DEPTH_WRITE, 5);
    EXPECT_EQ(DISPLAY_FULLSCREEN, 1);
    EXPECT_EQ(DISPLAY_CHILD, 4);
    EXPECT_EQ(SCREEN_OPENGL, 1);
    EXPECT_EQ(SCREEN_3DFX, 2);
    EXPECT_EQ(SCREEN_D3D, 3);
}

// ---------------------------------------------------------------------------------------
// Construction and the base's simple operations

TEST_F(ScreenList, ConstructionStartsClosedAndActive) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    EXPECT_STREQ(screen->Name(), "Standard opengl");
    EXPECT_EQ(screen->Kind(), SCREEN_OPENGL);
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    for (int32_t state = 0; state < RENDER_STATE_COUNT; ++state)
        EXPECT_EQ(screen->StoredRenderState(state), 0);
    EXPECT_EQ(screen->modesListed, 0);
    EXPECT_EQ(screen->IsActive(), 1);
    EXPECT_EQ(screen->GetMode(), nullptr);
    EXPECT_EQ(screen->IsFullScreen(), 0);
    EXPECT_EQ(screen->GetTextureList(), nullptr);
    EXPECT_EQ(screen->ModeFirst(), 0);
    EXPECT_EQ(screen->ModeValid(), 0);
    EXPECT_EQ(screen->ModeCurrent(), nullptr);
}

TEST_F(ScreenList, NameIsBoundedToFiftyBytes) {
    RecordingScreen* screen = MakeScreen(std::string(80, 'n').c_str(), SCREEN_D3D);
    EXPECT_EQ(std::string(screen->Name()), std::string(49, 'n'));
}

TEST_F(ScreenList, ReleaseAndRestoreFollowActivation) {
    RecordingScreen* screen = MakeScreen("Direct 3d", SCREEN_D3D);
    EXPECT_EQ(screen->Release(), 1);
    EXPECT_EQ(screen->IsActive(), 0);
    EXPECT_EQ(screen->Restore(), 1);
    EXPECT_EQ(screen->IsActive(), 1);
}

// A texture list that notes its RestoreAll / ReleaseAll calls and the screen's `active`
// at the time of each call.
class NotingTextureList : public TextureList {
public:
    explicit NotingTextureList(const Screen* owner) : screen(owner) {}
    int RestoreAll() override {
        noted += "RestoreAll(active " + std::to_string(screen->IsActive()) + "); ";
        return 1;
    }
    int ReleaseAll() override {
        noted += "ReleaseAll(active " + std::to_string(screen->IsActive()) + "); ";
        return 1;
    }
    std::string noted;

protected:
    Texture* NewTexture() override { return nullptr; }

private:
    const Screen* screen;
};

TEST_F(ScreenList, ReleaseAndRestoreGoToTheTextureListFirst) {
    RecordingScreen* screen = MakeScreen("Direct 3d", SCREEN_D3D);
    NotingTextureList textures(screen);
    screen->textureList = &textures;
    EXPECT_EQ(screen->Release(), 1);
    EXPECT_EQ(screen->IsActive(), 0);
    EXPECT_EQ(screen->Restore(), 1);
    EXPECT_EQ(screen->IsActive(), 1);
    EXPECT_EQ(textures.noted, "ReleaseAll(active 1); RestoreAll(active 0); ");
    screen->textureList = nullptr;
}

// ---------------------------------------------------------------------------------------
// DrawPrimitive's shared part

TEST_F(ScreenList, RejectedPrimitivesReportAndCountNothing) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    struct Case {
        int32_t kind, count;
        const Vertex* v;
        const char* message;
    } cases[] = {
        {PRIM_POINTS, 4, nullptr, "DrawPrimitive - Dont give me NULL"},
        {9, 4, nullptr, "DrawPrimitive - Dont give me NULL"},
        {PRIM_LINES, 3, vertices, "DrawPrimitive - A line list needs lines (duh)"},
        {PRIM_LINES, 0, vertices, "DrawPrimitive - A line list needs lines (duh)"},
        {PRIM_LINE_STRIP, 1, vertices, "DrawPrimitive - A linestrip must have over 2 vertexs"},
        {PRIM_TRIANGLES, 4, vertices, "DrawPrimitive - A triangle list needs triangles (duh)"},
        {PRIM_TRIANGLES, 2, vertices, "DrawPrimitive - A triangle list needs triangles (duh)"},
        {PRIM_QUADS, 6, vertices,
         "DrawPrimitive - A quad list needs quads (duh) (Num verts sent : 6)"},
        {PRIM_QUADS, 0, vertices,
         "DrawPrimitive - A quad list needs quads (duh) (Num verts sent : 0)"},
    };
    for (const Case& c : cases) {
        ClearError();
        EXPECT_EQ(screen->DrawPrimitive(c.kind, c.v, c.count, 0), 0) << c.message;
        EXPECT_EQ(LastError(), c.message);
    }
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    EXPECT_EQ(screen->Calls(), "");
}

TEST_F(ScreenList, TheDirect3dQuadMessageHasNoCount) {
    RecordingScreen* screen = MakeScreen("Direct 3d", SCREEN_D3D);
    screen->quadMessage = RecordingScreen::QUAD_MESSAGE_PLAIN;
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, vertices, 6, 0), 0);
    EXPECT_EQ(LastError(), "DrawPrimitive - A quad list needs quads (duh)");
}

TEST_F(ScreenList, AcceptedPrimitivesAddToTheirCounters) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_POINTS, vertices, 5, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINES, vertices, 6, 0), 1);
    // Two vertices pass although the message speaks of "over 2".
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, vertices, 2, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLES, vertices, 9, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_STRIP, vertices, 5, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_TRIANGLE_FAN, vertices, 6, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(PRIM_QUADS, vertices, 12, 7), 1);
    EXPECT_EQ(Counters(*screen), (std::vector<int32_t>{5, 3, 1, 3, 3, 4, 3}));
    EXPECT_EQ(screen->DrawPrimitive(PRIM_LINE_STRIP, vertices, 5, 0), 1);
    EXPECT_EQ(screen->Draws().lineStrips, 5);
    EXPECT_EQ(screen->Calls(),
              "Draw 0 5 0; Draw 1 6 0; Draw 2 2 0; Draw 3 9 0; Draw 4 5 0; Draw 5 6 0; "
              "Draw 6 12 7; Draw 2 5 0");
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(ScreenList, KindsAboveSixDrawNothingAndSucceed) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    EXPECT_EQ(screen->DrawPrimitive(7, vertices, 3, 0), 1);
    EXPECT_EQ(screen->DrawPrimitive(100, vertices, 1, 0), 1);
    EXPECT_EQ(Counters(*screen), std::vector<int32_t>(7, 0));
    EXPECT_EQ(screen->Calls(), "");
    EXPECT_EQ(GetErrorCode(), 0);
}

// ---------------------------------------------------------------------------------------
// DrawPolygons

TEST_F(ScreenList, PolygonsDrawOnceEachByTheirVertexCount) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    int surfaceA = 0, surfaceB = 0;
    const CSurface* a = reinterpret_cast<const CSurface*>(&surfaceA);
    const CSurface* b = reinterpret_cast<const CSurface*>(&surfaceB);
    struct Polygon list[5];
    std::memset(static_cast<void*>(list), 0, sizeof list);
    list[0].count = 2;
    list[0].surface = a;
    list[1].count = 3;
    list[1].surface = b;
    list[2].count = 4;
    list[2].surface = nullptr;
    list[3].count = 5;
    list[3].surface = a;
    list[4].count = 2;
    list[4].surface = b;
    EXPECT_EQ(screen->DrawPolygons(list, 5), 1);
    EXPECT_EQ(screen->Calls(),
              "SetSurface 0; Draw 1 2 0; SetSurface 1; Draw 3 3 0; SetSurface 2; Draw 6 4 0; "
              "SetSurface 3; SetSurface 4; Draw 1 2 0");
    EXPECT_EQ(screen->surfaces, (std::vector<const CSurface*>{a, b, nullptr, a, b}));
    EXPECT_EQ(Counters(*screen), (std::vector<int32_t>{0, 2, 0, 1, 0, 0, 1}));
}

TEST_F(ScreenList, ALinePolygonDrawsOneLineAndACountOfFiveNothing) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    struct Polygon one;
    std::memset(static_cast<void*>(&one), 0, sizeof one);
    one.count = 2;
    screen->DrawPolygons(&one, 1);
    EXPECT_EQ(screen->Calls(), "SetSurface 0; Draw 1 2 0");
    screen->ForgetCalls();
    one.count = 5;
    screen->DrawPolygons(&one, 1);
    EXPECT_EQ(screen->Calls(), "SetSurface 1");
    EXPECT_EQ(screen->DrawPolygons(nullptr, 3), 1);
    EXPECT_EQ(screen->DrawPolygons(&one, 0), 1);
    EXPECT_EQ(screen->Calls(), "SetSurface 1");
}

// ---------------------------------------------------------------------------------------
// Render states

TEST_F(ScreenList, MinusOneReappliesTheStoredValue) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->SetRenderState(RS_BLEND, 2);
    EXPECT_EQ(screen->StoredRenderState(RS_BLEND), 2);
    screen->SetRenderState(RS_BLEND, RENDER_STATE_REAPPLY);
    EXPECT_EQ(screen->lastRenderValue, 2);
    EXPECT_EQ(screen->StoredRenderState(RS_BLEND), 2);
    screen->SetRenderState(RS_DEPTH_WRITE, 1);
    screen->SetRenderState(RS_DEPTH_WRITE, -1);
    EXPECT_EQ(screen->lastRenderValue, 1);
    // State 2 is stored although it has no effect.
    screen->SetRenderState(2, 9);
    EXPECT_EQ(screen->StoredRenderState(2), 9);
    // Nothing stored yet: the initial 0.
    screen->SetRenderState(RS_DEPTH_TEST, -1);
    EXPECT_EQ(screen->lastRenderValue, 0);
    // Outside 0..5 nothing is stored and the value passes through.
    screen->SetRenderState(6, 4);
    EXPECT_EQ(screen->lastRenderValue, 4);
    screen->SetRenderState(-3, 4);
    EXPECT_EQ(screen->lastRenderValue, 4);
    EXPECT_EQ(screen->Calls(),
              "SetRenderState 3 2; SetRenderState 3 2; SetRenderState 5 1; SetRenderState 5 1; "
              "SetRenderState 2 9; SetRenderState 4 0; SetRenderState 6 4; "
              "SetRenderState -3 4");
}

// ---------------------------------------------------------------------------------------
// Mode list

TEST_F(ScreenList, ModesSortByWidthHeightAndBitsKeepingTheOrderOfEqualKeys) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->offeredModes = {
        {1024, 768, 16, DISPLAY_WINDOW},    {1024, 768, 16, DISPLAY_FULLSCREEN},
        {640, 480, 32, DISPLAY_FULLSCREEN}, {640, 480, 16, DISPLAY_WINDOW},
        {640, 480, 16, DISPLAY_FULLSCREEN}, {400, 300, 16, DISPLAY_FULLSCREEN},
        {640, 400, 16, DISPLAY_FULLSCREEN}, {800, 600, 24, DISPLAY_FULLSCREEN},
        {800, 600, 16, DISPLAY_FULLSCREEN}, {800, 600, 16, DISPLAY_WINDOW},
    };
    EXPECT_EQ(screen->GetModeList(), 1);
    EXPECT_EQ(
        ModeNames(*screen),
        (std::vector<std::string>{"400x300x16/1", "640x400x16/1", "640x480x16/2", "640x480x16/1",
                                  "640x480x32/1", "800x600x16/1", "800x600x16/2", "800x600x24/1",
                                  "1024x768x16/2", "1024x768x16/1"}));
    // Listed modes carry no depth buffer.
    for (screen->ModeFirst(); screen->ModeValid(); screen->ModeNext())
        EXPECT_EQ(screen->ModeCurrent()->depthBuffer, 0);
}

TEST_F(ScreenList, SortingAnEmptyOrSingleListKeepsIt) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->SortModeList();
    EXPECT_EQ(screen->ModeFirst(), 0);
    screen->AddListedMode(512, 384, 16, DISPLAY_FULLSCREEN);
    screen->SortModeList();
    EXPECT_EQ(ModeNames(*screen), (std::vector<std::string>{"512x384x16/1"}));
}

TEST_F(ScreenList, AReversedListComesOutAscending) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    const int32_t widths[] = {2048, 1600, 1280, 1152, 1024, 960, 800, 640, 512, 400};
    for (int32_t width : widths) screen->AddListedMode(width, width * 3 / 4, 16, 1);
    screen->SortModeList();
    std::vector<std::string> names = ModeNames(*screen);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "400x300x16/1");
    EXPECT_EQ(names.back(), "2048x1536x16/1");
    for (size_t i = 1; i < names.size(); ++i) {
        int32_t previous = std::stoi(names[i - 1]), current = std::stoi(names[i]);
        EXPECT_LT(previous, current);
    }
}

TEST_F(ScreenList, InitListedModeOpensTheFirstMatchWithItsOwnDisplayMode) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->offeredModes = {{640, 480, 16, DISPLAY_FULLSCREEN},
                            {640, 480, 16, DISPLAY_WINDOW},
                            {800, 600, 32, DISPLAY_FULLSCREEN}};
    screen->GetModeList();
    screen->ForgetCalls();
    ScreenMode wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.width = 640;
    wanted.height = 480;
    wanted.bits = 16;
    wanted.displayMode = DISPLAY_FULLSCREEN;
    // Offered before its window twin, the full-screen entry stays first and is opened.
    EXPECT_EQ(screen->InitListedMode(&wanted), 1);
    EXPECT_EQ(screen->Calls(), "InitMode 640x480x16 d1");
    EXPECT_STREQ(screen->lastInitMode.modeName, "640x480x16");
    ASSERT_NE(screen->GetMode(), nullptr);
    EXPECT_EQ(screen->IsFullScreen(), 1);
}

TEST_F(ScreenList, AWindowEntryListedFirstIsOpenedAsAWindow) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->offeredModes = {{800, 600, 16, DISPLAY_FULLSCREEN},
                            {640, 480, 16, DISPLAY_WINDOW},
                            {640, 480, 16, DISPLAY_FULLSCREEN}};
    screen->GetModeList();
    EXPECT_EQ(ModeNames(*screen),
              (std::vector<std::string>{"640x480x16/2", "640x480x16/1", "800x600x16/1"}));
    screen->ForgetCalls();
    ScreenMode wanted = {};
    wanted.width = 640;
    wanted.height = 480;
    wanted.bits = 16;
    wanted.displayMode = DISPLAY_FULLSCREEN;
    EXPECT_EQ(screen->InitListedMode(&wanted), 1);
    EXPECT_EQ(screen->Calls(), "InitMode 640x480x16 d2");
    EXPECT_EQ(screen->GetMode()->displayMode, DISPLAY_WINDOW);
    EXPECT_EQ(screen->IsFullScreen(), 0);
}

TEST_F(ScreenList, InitListedModeWithoutAMatchFailsSilently) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    screen->offeredModes = {{640, 480, 16, DISPLAY_FULLSCREEN}};
    screen->GetModeList();
    screen->ForgetCalls();
    ScreenMode wanted = {};
    wanted.width = 640;
    wanted.height = 480;
    wanted.bits = 32;
    EXPECT_EQ(screen->InitListedMode(&wanted), 0);
    EXPECT_EQ(screen->InitListedMode(nullptr), 0);
    EXPECT_EQ(screen->Calls(), "");
    EXPECT_EQ(GetErrorCode(), 0);
    EXPECT_EQ(screen->GetMode(), nullptr);
}

TEST_F(ScreenList, InitModeBySizeOpensAZeroedMode) {
    RecordingScreen* screen = MakeScreen("Standard opengl", SCREEN_OPENGL);
    std::memset(&screen->lastInitMode, 0x55, sizeof screen->lastInitMode);
    EXPECT_EQ(screen->InitModeBySize(800, 600, 32, DISPLAY_FULLSCREEN, 1), 1);
    const ScreenMode& opened = screen->lastInitMode;
    EXPECT_EQ(opened.width, 800);
    EXPECT_EQ(opened.height, 600);
    EXPECT_EQ(opened.bits, 32);
    EXPECT_EQ(opened.displayMode, DISPLAY_FULLSCREEN);
    EXPECT_EQ(opened.depthBuffer, 1);
    for (char byte : opened.modeName) EXPECT_EQ(byte, 0);
    ASSERT_NE(screen->GetMode(), nullptr);
    EXPECT_EQ(std::memcmp(screen->GetMode(), &opened, sizeof opened), 0);
    EXPECT_EQ(screen->IsFullScreen(), 1);

    // A failed open passes the 0 up and keeps no mode.
    screen->ExitMode();
    screen->initModeResult = 0;
    EXPECT_EQ(screen->InitModeBySize(640, 480, 16, DISPLAY_WINDOW, 0), 0);
    EXPECT_EQ(screen->GetMode(), nullptr);
}

TEST_F(ScreenList, DestroyingAScreenFreesItsModes) {
    // Under the address sanitizer a leak here fails the run.
    RecordingScreen* screen = XNEW(RecordingScreen, "Standard opengl", SCREEN_OPENGL);
    screen->offeredModes = {{640, 480, 16, 1}, {800, 600, 16, 1}};
    screen->GetModeList();
    screen->InitModeBySize(640, 480, 16, 1, 1);
    Screen* base = screen;
    XDELETE(base);
}

// ---------------------------------------------------------------------------------------
// Screen list

TEST_F(ScreenList, GetScreenModeListsAsksEveryScreenInListOrder) {
    MakeScreen("Direct 3d", SCREEN_D3D);
    MakeScreen("Standard opengl", SCREEN_OPENGL);
    MakeScreen("3dfx opengl", SCREEN_3DFX);
    MakeScreen("unlisted", SCREEN_OPENGL, false);
    EXPECT_EQ(GetScreenModeLists(), 1);
    EXPECT_EQ(RecordingScreen::SharedLog(),
              (std::vector<std::string>{"Direct 3d:GetModeList", "Standard opengl:GetModeList",
                                        "3dfx opengl:GetModeList"}));
}

TEST_F(ScreenList, AScreenThatCannotListItsModesLeavesNoErrorForTheRun) {
    // The Direct3D screen when its enumeration finds no device: the run goes on with
    // OpenGL, and no message box at its end speaks of the failure.
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    MakeScreen("Standard opengl", SCREEN_OPENGL);
    d3d->modeListResult = 0;
    ClearError();
    EXPECT_EQ(GetScreenModeLists(), 1);
    char message[ERROR_MESSAGE_SIZE];
    EXPECT_FALSE(GetErrorMessage(message, sizeof message)) << message;
    EXPECT_EQ(RecordingScreen::SharedLog().back(), "Standard opengl:GetModeList");
}

TEST_F(ScreenList, FindScreenByKindTakesTheFirstOfThatKind) {
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    MakeScreen("second opengl", SCREEN_OPENGL);
    EXPECT_EQ(FindScreenByKind(SCREEN_D3D), d3d);
    EXPECT_EQ(FindScreenByKind(SCREEN_OPENGL), ogl);
    EXPECT_EQ(FindScreenByKind(SCREEN_3DFX), nullptr);
}

TEST_F(ScreenList, FindScreenForPrefersThe3dfxScreen) {
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    MakeScreen("Standard opengl", SCREEN_OPENGL);
    RecordingScreen* fx = MakeScreen("3dfx opengl", SCREEN_3DFX);
    fx->supportsResult[DISPLAY_WINDOW] = 0;
    EXPECT_EQ(FindScreenFor(DISPLAY_FULLSCREEN), fx);
    EXPECT_EQ(RecordingScreen::SharedLog(),
              (std::vector<std::string>{"Direct 3d:GetModeList", "Standard opengl:GetModeList",
                                        "3dfx opengl:GetModeList", "3dfx opengl:IsAvailable",
                                        "3dfx opengl:SupportsDisplayMode 1"}));
    // Not fit for a window: the first fit screen in list order.
    EXPECT_EQ(FindScreenFor(DISPLAY_WINDOW), d3d);
}

TEST_F(ScreenList, FindScreenForTakesTheFirstAvailableFitScreen) {
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    RecordingScreen* fx = MakeScreen("3dfx opengl", SCREEN_3DFX);
    fx->available = 0;
    EXPECT_EQ(FindScreenFor(DISPLAY_FULLSCREEN), d3d);
    d3d->available = 0;
    EXPECT_EQ(FindScreenFor(DISPLAY_FULLSCREEN), ogl);
    // Only a result of exactly 1 counts.
    d3d->available = 1;
    d3d->supportsResult[DISPLAY_DESKTOP] = 2;
    EXPECT_EQ(FindScreenFor(DISPLAY_DESKTOP), ogl);
    ogl->supportsResult[DISPLAY_DESKTOP] = 0;
    EXPECT_EQ(FindScreenFor(DISPLAY_DESKTOP), nullptr);
}

TEST_F(ScreenList, FindScreenForWithoutScreensFindsNone) {
    EXPECT_EQ(FindScreenFor(DISPLAY_FULLSCREEN), nullptr);
    AppGlobals* held = glb;
    glb = nullptr;
    EXPECT_EQ(FindScreenFor(DISPLAY_FULLSCREEN), nullptr);
    EXPECT_EQ(FindScreenByKind(SCREEN_D3D), nullptr);
    glb = held;
}

TEST_F(ScreenList, ListWalksKeepTheCallersCursor) {
    MakeScreen("Direct 3d", SCREEN_D3D);
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    MakeScreen("3dfx opengl", SCREEN_3DFX);
    glb->screenList->First();
    glb->screenList->Next();
    FindScreenFor(DISPLAY_FULLSCREEN);
    EXPECT_EQ(glb->screenList->Current(), ogl);
    EXPECT_EQ(glb->screenList->Index(), 1);
}

// The bytes a selection must hold, built field by field in little-endian order.
std::vector<uint8_t> ExpectedSelection(uint16_t kind, uint16_t displayMode, uint16_t width,
                                       uint16_t height, uint16_t bits,
                                       const uint8_t devicePart[64]) {
    std::vector<uint8_t> bytes(128, 0);
    auto put = [&bytes](size_t offset, uint16_t value) {
        bytes[offset] = uint8_t(value & 0xFF);
        bytes[offset + 1] = uint8_t(value >> 8);
    };
    put(0, 1);
    put(2, 0);
    put(4, kind);
    put(6, displayMode);
    put(8, width);
    put(10, height);
    put(12, bits);
    for (size_t i = 0; i < 64; ++i) bytes[64 + i] = devicePart[i];
    return bytes;
}

std::vector<uint8_t> BytesOf(const ScreenSelection& selection) {
    const uint8_t* start = reinterpret_cast<const uint8_t*>(&selection);
    return std::vector<uint8_t>(start, start + sizeof selection);
}

TEST_F(ScreenList, SaveScreenChoiceWritesTheBlockByteForByte) {
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    // A Direct3D-like device part: u16 1, two zero bytes, device GUID at 68 and driver
    // GUID at 84.
    d3d->deviceBytes[0] = 1;
    for (int i = 0; i < 16; ++i) {
        d3d->deviceBytes[4 + i] = uint8_t(0xA0 + i);
        d3d->deviceBytes[20 + i] = uint8_t(0x10 + i);
    }
    d3d->InitModeBySize(1280, 1024, 32, DISPLAY_FULLSCREEN, 1);
    ScreenSelection selection;
    std::memset(&selection, 0xEE, sizeof selection);
    EXPECT_EQ(SaveScreenChoice(d3d, &selection), 1);
    EXPECT_EQ(BytesOf(selection),
              ExpectedSelection(SCREEN_D3D, DISPLAY_FULLSCREEN, 1280, 1024, 32, d3d->deviceBytes));
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&selection);
    EXPECT_EQ(raw[0], 1);
    EXPECT_EQ(raw[4], 3);
    EXPECT_EQ(raw[8], 0x00);  // 1280 = 0x0500
    EXPECT_EQ(raw[9], 0x05);
    EXPECT_EQ(raw[68], 0xA0);
    EXPECT_EQ(raw[84], 0x10);
}

TEST_F(ScreenList, SaveScreenChoiceWithoutAModeLeavesTheModeFieldsZero) {
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    ogl->deviceBytes[0] = 1;
    ScreenSelection selection;
    std::memset(&selection, 0xEE, sizeof selection);
    EXPECT_EQ(SaveScreenChoice(ogl, &selection), 1);
    EXPECT_EQ(BytesOf(selection), ExpectedSelection(SCREEN_OPENGL, 0, 0, 0, 0, ogl->deviceBytes));
    EXPECT_EQ(ogl->Calls(), "SaveSelection");
}

TEST_F(ScreenList, FindSavedScreenOnAnAllZeroBlockFindsNone) {
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    ScreenSelection selection;
    std::memset(&selection, 0, sizeof selection);
    EXPECT_EQ(FindSavedScreen(&selection, 0), nullptr);
    EXPECT_EQ(FindSavedScreen(nullptr, 0), nullptr);
    EXPECT_EQ(ogl->Calls(), "");
}

TEST_F(ScreenList, FindSavedScreenTakesTheFirstMatchingScreenOfTheStoredKind) {
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    RecordingScreen* first = MakeScreen("Standard opengl", SCREEN_OPENGL);
    RecordingScreen* second = MakeScreen("second opengl", SCREEN_OPENGL);
    first->InitModeBySize(800, 600, 16, DISPLAY_WINDOW, 0);
    ScreenSelection selection;
    SaveScreenChoice(first, &selection);
    first->ForgetCalls();

    first->matchResult = 0;
    EXPECT_EQ(FindSavedScreen(&selection, 5), second);
    EXPECT_EQ(d3d->Calls(), "");
    EXPECT_EQ(first->Calls(), "MatchSelection 5");
    EXPECT_EQ(second->Calls(), "MatchSelection 5");
    EXPECT_EQ(second->lastDevicePart, static_cast<const void*>(selection.devicePart));
    EXPECT_EQ(static_cast<const uint8_t*>(second->lastDevicePart) -
                  reinterpret_cast<const uint8_t*>(&selection),
              64);

    // Any non-zero match result counts.
    first->matchResult = 7;
    EXPECT_EQ(FindSavedScreen(&selection, 0), first);

    second->matchResult = 0;
    first->matchResult = 0;
    EXPECT_EQ(FindSavedScreen(&selection, 0), nullptr);
}

// The saver's open in these tests: full screen at 640 x 480 x 16, a reason on failure.
int OpenForTest(Screen* screen) {
    return screen->InitModeBySize(640, 480, 16, DISPLAY_FULLSCREEN, 1) ? 1
                                                                       : SetErrorText("No device");
}

TEST_F(ScreenList, ASavedScreenThatCannotOpenIsClosedAndTheChoiceMadeAfresh) {
    ScratchDirectory scratch;
    ScratchLog log{scratch.Path()};
    // The Direct3D screen of a saved choice whose device (or DirectX) is gone: it
    // cannot open and is no longer available; the run goes on with OpenGL.
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D);
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    d3d->deviceBytes[0] = 1;
    ScreenSelection saved;
    SaveScreenChoice(d3d, &saved);
    d3d->initModeResult = 0;
    d3d->available = 0;
    RecordingScreen::SharedLog().clear();
    EXPECT_EQ(ChooseScreen(&saved, DISPLAY_FULLSCREEN, OpenForTest), 1);
    EXPECT_EQ(glb->currentScreen, ogl);
    EXPECT_EQ(LastError(), "");
    const std::vector<std::string> calls = RecordingScreen::SharedLog();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3),
              (std::vector<std::string>{"Direct 3d:MatchSelection 0",
                                        "Direct 3d:InitMode 640x480x16 d1", "Direct 3d:ExitMode"}));
    EXPECT_EQ(calls.back(), "Standard opengl:InitMode 640x480x16 d1");
    std::string text = log.Text();
    size_t warning = text.find("WARNING : Unable to open the saved screen Direct 3d : No device\n");
    size_t afresh = text.find("INIT : Failed. So trying to find a compatible screen\n");
    ASSERT_NE(warning, std::string::npos) << text;
    ASSERT_NE(afresh, std::string::npos) << text;
    EXPECT_LT(warning, afresh);
    EXPECT_NE(text.find("INIT : Found one. Using : Standard opengl\n"), std::string::npos);
}

TEST_F(ScreenList, AScreenFoundAfreshThatCannotOpenStaysCurrentWithItsReason) {
    // The caller tells the two failures apart by the current screen.
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL);
    ogl->initModeResult = 0;
    EXPECT_EQ(ChooseScreen(nullptr, DISPLAY_FULLSCREEN, OpenForTest), 0);
    EXPECT_EQ(glb->currentScreen, ogl);
    EXPECT_EQ(LastError(), "No device");
    EXPECT_EQ(ogl->Calls(),
              "GetModeList; IsAvailable; SupportsDisplayMode 1; InitMode 640x480x16 d1");
    ogl->available = 0;
    EXPECT_EQ(ChooseScreen(nullptr, DISPLAY_FULLSCREEN, OpenForTest), 0);
    EXPECT_EQ(glb->currentScreen, nullptr);
    EXPECT_EQ(LastError(), "Unable to find a fullscreen compatible screen");
    ClearError();
}

TEST_F(ScreenList, ASavedChoiceOfAnotherKindIsNotTaken) {
    MakeScreen("Standard opengl", SCREEN_OPENGL);
    ScreenSelection selection;
    std::memset(&selection, 0, sizeof selection);
    selection.valid = 1;
    selection.kind = SCREEN_D3D;
    EXPECT_EQ(FindSavedScreen(&selection, 0), nullptr);
}

}  // namespace
