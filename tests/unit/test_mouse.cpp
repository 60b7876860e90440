// The mouse fed the way the platform feeds it: pointer, activation and display-change
// events through the event dispatch, with the positions of a fake cursor.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ansi/memory.h"
#include "base/screenb.h"
#include "gui/mouse.h"
#include "saverstate.h"
#include "test_support.h"
#include "sysevent.h"

namespace {

const WindowHandle kWindow = 0x77;

// The platform's cursor: where it is, where the mouse put it, how often it was shown
// and hidden, and where the window's client area starts; the pointer events carry it.
struct FakeCursor {
    static int32_t x, y;
    static int sets, unclips;
    static int showCount;  // the platform's display counter: visible while >= 0
    static int32_t originX, originY;

    static void SetPosition(int32_t newX, int32_t newY) {
        x = newX;
        y = newY;
        ++sets;
    }
    static void Unclip() { ++unclips; }
    static void Show(int show) { showCount += show ? 1 : -1; }
};

int32_t FakeCursor::x, FakeCursor::y;
int FakeCursor::sets, FakeCursor::unclips, FakeCursor::showCount;
int32_t FakeCursor::originX, FakeCursor::originY;

// Just enough of a screen to have a mode and be ready or not.
class FakeScreen : public Screen {
public:
    FakeScreen() : Screen("Fake", SCREEN_OPENGL) {}
    ~FakeScreen() override { FreeMode(); }
    int InitInWindow(WindowHandle, int32_t) override { return 0; }
    int InitMode(const ScreenMode* newMode) override {
        KeepMode(newMode);
        return 1;
    }
    int ExitMode() override {
        FreeMode();
        return 1;
    }
    int GetModeList() override { return 1; }
    int SupportsDisplayMode(int32_t) override { return 1; }
    int IsReady() override { return ready; }
    int IsAvailable() override { return 1; }
    int Present() override { return 1; }
    int SaveSelection(void*) override { return 1; }
    int MatchSelection(const void*, int32_t) override { return 0; }
    int BeginScene() override { return 1; }
    int EndScene() override { return 1; }
    int Clear(const Rgba*, float, int32_t) override { return 1; }
    int DrawPrimitive(int32_t, const Vertex*, int32_t, int32_t) override { return 1; }
    int SaveScreenshot(const char*, int32_t) override { return 1; }
    int SetSurface(const CSurface*) override { return 1; }
    int SetView(const Camera*) override { return 1; }
    int SetRenderState(int32_t, int32_t) override { return 1; }
    int BindTexture(Texture*) override { return 1; }
    int FindDriver() override { return 1; }
    void ApplyTexturing(bool) override {}
    void ApplyBlend(int32_t) override {}
    void ApplyDepthTest(bool) override {}
    void ApplyDepthWrite(bool) override {}

    int ready = 1;
};

std::vector<int32_t> callbackCalls;
void RecordMovement(int32_t x, int32_t y, int32_t buttons) {
    callbackCalls.insert(callbackCalls.end(), {x, y, buttons});
}

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeCursor::x = MOUSE_CENTRE_X;
        FakeCursor::y = MOUSE_CENTRE_Y;
        FakeCursor::sets = FakeCursor::unclips = FakeCursor::showCount = 0;
        FakeCursor::originX = 100;
        FakeCursor::originY = 50;
        callbackCalls.clear();
        PlatformServices& platform = Platform();
        platform.setCursorPosition = FakeCursor::SetPosition;
        platform.unclipCursor = FakeCursor::Unclip;
        platform.showCursor = FakeCursor::Show;
        glb->mouse = &mouse;
    }

    // Besides the pointer's actions: the application's activation (value: gained) and a
    // display change.
    enum { ACTIVATION = 100, DISPLAY_CHANGE = 101 };

    // An event through the dispatch to the run's mouse; whether it was taken. A pointer
    // event's value is the buttons held.
    static bool Send(int32_t kind, int32_t value = 0) {
        SysEvent event = {SE_POINTER,
                          kind,
                          0,
                          value | POINTER_ON_SCREEN | POINTER_WINDOW_AT,
                          FakeCursor::x,
                          FakeCursor::y,
                          FakeCursor::originX,
                          FakeCursor::originY,
                          kWindow};
        if (kind == ACTIVATION)
            event = {SE_ACTIVATE, value, ACTIVATE_APPLICATION, 0, 0, 0, 0, 0, kWindow};
        if (kind == DISPLAY_CHANGE) event = {SE_DISPLAY_CHANGE, 0, 0, 0, 0, 0, 0, 0, kWindow};
        int32_t answer = 1;
        bool taken = DispatchSysEvent(event, &answer);
        EXPECT_EQ(answer, 0);
        return taken;
    }
    static void MoveTo(int32_t x, int32_t y, int32_t held = 0) {
        FakeCursor::x = x;
        FakeCursor::y = y;
        Send(POINTER_MOVE, held);
    }

    static std::vector<MouseEvent> TakeEvents(Mouse& mouse) {
        std::vector<MouseEvent> taken;
        MouseEvent event;
        while (mouse.GetEvent(&event)) taken.push_back(event);
        return taken;
    }

    TestSystem system;
    Mouse mouse;
};

TEST_F(MouseTest, RelativeModeSumsTheMovementAndRecentresTheCursor) {
    mouse.SetRelativeMode(1);
    MoveTo(330, 235);
    EXPECT_EQ(FakeCursor::x, MOUSE_CENTRE_X);
    EXPECT_EQ(FakeCursor::y, MOUSE_CENTRE_Y);
    // The move caused by putting the cursor back adds nothing.
    Send(POINTER_MOVE);
    EXPECT_EQ(FakeCursor::sets, 1);

    std::vector<MouseEvent> events = TakeEvents(mouse);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].dx, 10);
    EXPECT_EQ(events[0].dy, -5);
    EXPECT_EQ(events[1].dx, 0);
    EXPECT_EQ(events[1].dy, 0);

    int32_t dx, dy, buttons;
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 10);
    EXPECT_EQ(dy, -5);
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    int32_t x, y;
    mouse.GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, 330);
    EXPECT_EQ(y, 235);

    // SetPosition also forgets movement not yet read.
    MoveTo(300, 260);
    mouse.SetPosition(5, 6);
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    mouse.GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
}

TEST_F(MouseTest, AbsoluteModeFollowsTheCursorOverTheClientArea) {
    int32_t x, y, buttons;
    mouse.GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    MoveTo(150, 90);
    mouse.GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 40);
    // Exactly at the centre of the screen is a place like any other here.
    MoveTo(MOUSE_CENTRE_X, MOUSE_CENTRE_Y);
    mouse.GetPosition(&x, &y, &buttons);
    EXPECT_EQ(x, 220);
    EXPECT_EQ(y, 190);
    EXPECT_EQ(FakeCursor::sets, 0);
    int32_t dx, dy;
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    std::vector<MouseEvent> events = TakeEvents(mouse);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].dx, 0);
    EXPECT_EQ(events[0].dy, 0);
}

TEST_F(MouseTest, ButtonEdgesComeOnceInTheEvents) {
    mouse.SetMovementCallback(RecordMovement);
    Send(POINTER_LEFT_DOWN, MOUSE_LEFT);
    Send(POINTER_MOVE, MOUSE_LEFT);
    Send(POINTER_RIGHT_DOWN, MOUSE_LEFT | MOUSE_RIGHT);
    Send(POINTER_LEFT_UP, MOUSE_RIGHT);
    // The middle button only shows in the buttons held of other events.
    Send(POINTER_MOVE, MOUSE_RIGHT | MOUSE_MIDDLE);
    Send(POINTER_RIGHT_UP, 0);
    std::vector<MouseEvent> events = TakeEvents(mouse);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].buttons, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    EXPECT_EQ(events[1].buttons, MOUSE_LEFT);
    EXPECT_EQ(events[2].buttons, MOUSE_LEFT | MOUSE_RIGHT | MOUSE_RIGHT_WENT_DOWN);
    EXPECT_EQ(events[3].buttons, MOUSE_RIGHT | MOUSE_LEFT_WENT_UP);
    EXPECT_EQ(events[4].buttons, MOUSE_RIGHT | MOUSE_MIDDLE | MOUSE_MIDDLE_WENT_DOWN);
    EXPECT_EQ(events[5].buttons, MOUSE_RIGHT_WENT_UP | MOUSE_MIDDLE_WENT_UP);

    // The callback sees the position and the held bits only.
    ASSERT_EQ(callbackCalls.size(), 18u);
    EXPECT_EQ(callbackCalls[2], MOUSE_LEFT);
    EXPECT_EQ(callbackCalls[8], MOUSE_LEFT | MOUSE_RIGHT);
    EXPECT_EQ(callbackCalls[17], 0);

    // The queued edges are not left in the word.
    Send(POINTER_LEFT_DOWN, MOUSE_LEFT);
    int32_t buttons;
    mouse.GetButtons(&buttons);
    EXPECT_EQ(buttons, MOUSE_LEFT);
}

TEST_F(MouseTest, RingKeepsTheFirst64EventsAndTheWordKeepsDroppedEdges) {
    mouse.SetRelativeMode(1);
    for (int i = 1; i <= 64; ++i) MoveTo(MOUSE_CENTRE_X + i, MOUSE_CENTRE_Y);
    // The 65th is dropped; its went-down edge stays in the word until asked.
    FakeCursor::x = MOUSE_CENTRE_X + 65;
    Send(POINTER_LEFT_DOWN, MOUSE_LEFT);
    int32_t buttons;
    mouse.GetButtons(&buttons);
    EXPECT_EQ(buttons, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    mouse.GetButtons(&buttons);
    EXPECT_EQ(buttons, MOUSE_LEFT);

    std::vector<MouseEvent> events = TakeEvents(mouse);
    ASSERT_EQ(events.size(), 64u);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(events[i].dx, i + 1);
    EXPECT_FALSE(mouse.HasEvent());
    // The movement of the dropped event still counts.
    int32_t dx, dy;
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 65 * 66 / 2);

    MouseEvent event = {1, 2, 3};
    EXPECT_EQ(mouse.GetEvent(&event), 0);
    EXPECT_EQ(event.dx, 0);
    EXPECT_EQ(event.dy, 0);
    EXPECT_EQ(event.buttons, 0);
}

TEST_F(MouseTest, ActivationRecentresAndSkipsTheMoveItCauses) {
    mouse.SetRelativeMode(1);
    FakeCursor::x = 400;
    Send(POINTER_MOVE);
    int32_t dx, dy, buttons;
    FakeCursor::x = 500;
    Send(ACTIVATION, 1);
    EXPECT_EQ(FakeCursor::x, MOUSE_CENTRE_X);
    EXPECT_EQ(FakeCursor::unclips, 1);
    // Movement from before the activation is forgotten.
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 0);
    // The next move is the one the re-centring caused, wherever the cursor is.
    MoveTo(330, 240);
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 0);
    MoveTo(330, 240);
    mouse.GetMovement(&dx, &dy, &buttons);
    EXPECT_EQ(dx, 10);
    EXPECT_EQ(TakeEvents(mouse).size(), 2u);

    // Losing the activation takes nothing, not even as a button message.
    FakeCursor::x = 350;
    Send(ACTIVATION, 0);
    EXPECT_EQ(FakeCursor::x, 350);
    EXPECT_FALSE(mouse.HasEvent());

    // In absolute mode with the cursor shown activation does nothing either; a
    // display change re-centres in any mode.
    mouse.SetRelativeMode(0);
    Send(ACTIVATION, 1);
    EXPECT_EQ(FakeCursor::x, 350);
    EXPECT_FALSE(mouse.HasEvent());
    Send(DISPLAY_CHANGE);
    EXPECT_EQ(FakeCursor::x, MOUSE_CENTRE_X);
    EXPECT_EQ(FakeCursor::unclips, 2);
    MoveTo(200, 100);
    EXPECT_FALSE(mouse.HasEvent());
}

TEST_F(MouseTest, CursorIsHiddenOnlyOutsideWindows) {
    FakeScreen screen;
    Mouse* mouse = XNEW(Mouse);
    glb->mouse = mouse;
    EXPECT_EQ(mouse->GetSensitivity(), 1.0f);
    // No screen chosen yet: the cursor is left alone.
    EXPECT_EQ(mouse->UpdateCursorMode(), 1);
    EXPECT_EQ(FakeCursor::showCount, 0);
    EXPECT_EQ(mouse->GetMode(), 0);

    glb->currentScreen = &screen;
    // A screen without an open mode is not ready.
    EXPECT_EQ(mouse->UpdateCursorMode(), 0);

    const struct {
        int32_t displayMode;
        int hidden;
    } rows[] = {{DISPLAY_FULLSCREEN, 1}, {DISPLAY_FULLSCREEN, 1}, {DISPLAY_WINDOW, 0},
                {DISPLAY_DESKTOP, 1},    {DISPLAY_CHILD, 0},      {DISPLAY_CHILD, 0},
                {DISPLAY_FULLSCREEN, 1}};
    for (const auto& row : rows) {
        screen.InitModeBySize(640, 480, 16, row.displayMode, 0);
        Send(POINTER_LEFT_DOWN, MOUSE_LEFT);
        FakeCursor::x = MOUSE_CENTRE_X + 3;
        mouse->SetRelativeMode(1);
        Send(POINTER_MOVE, MOUSE_LEFT);
        ASSERT_EQ(mouse->UpdateCursorMode(), 1);
        EXPECT_EQ((mouse->GetMode() & MOUSE_MODE_CURSOR_HIDDEN) != 0, row.hidden != 0)
            << row.displayMode;
        // Repeated calls do not pile up in the platform's counter.
        EXPECT_EQ(FakeCursor::showCount, row.hidden ? -1 : 0) << row.displayMode;
        // The button word and the movement start again.
        int32_t dx, dy, buttons;
        mouse->GetMovement(&dx, &dy, &buttons);
        EXPECT_EQ(dx, 0);
        EXPECT_EQ(buttons, 0);
    }

    screen.ready = 0;
    EXPECT_EQ(mouse->UpdateCursorMode(), 0);
    // Destroyed while hiding the cursor: shown again.
    XDELETE(mouse);
    EXPECT_EQ(FakeCursor::showCount, 0);
}

TEST_F(MouseTest, TheRunsMouseTakesItsEventsAlone) {
    const int32_t kinds[] = {POINTER_LEFT_UP,    POINTER_LEFT_DOWN, POINTER_RIGHT_UP,
                             POINTER_RIGHT_DOWN, POINTER_MOVE,      ACTIVATION,
                             DISPLAY_CHANGE};
    for (int32_t kind : kinds) EXPECT_TRUE(Send(kind)) << kind;
    EXPECT_FALSE(Send(POINTER_MIDDLE_DOWN, MOUSE_MIDDLE));
    EXPECT_FALSE(Send(POINTER_MIDDLE_UP));
    glb->mouse = nullptr;
    for (int32_t kind : kinds) EXPECT_FALSE(Send(kind)) << kind;
}

// Ten a step: a frame of half a step needs over 5; a longer frame than a step over 10.
TEST_F(MouseTest, SaverEndsOnMovementOfMoreThanTenAStepEitherWayAfterTheGrace) {
    FakeClock clock;
    FakeSaverHost host;
    mouse.SetRelativeMode(1);
    struct Case {
        int32_t dx, dy;
        uint32_t after;
        bool ends;
        double seconds = 0.02;
    };
    const Case cases[] = {
        {-11, 0, 3001, true},       {0, -11, 3001, true},     {11, 0, 3001, true},
        {0, 11, 3001, true},        {-10, 10, 3001, false},   {10, -10, 3001, false},
        {-40, -40, 2999, false},    {-40, 0, 3000, false},    {10, 0, 3001, false, 0.04},
        {0, -11, 3001, true, 0.04}, {6, 0, 3001, true, 0.01}, {5, 0, 3001, false, 0.01},
    };
    for (const Case& c : cases) {
        FakeSaverHost::closes.clear();
        SaverState state;
        state.mode = SAVER_RUN;
        state.movementThreshold = SAVER_MOVEMENT_THRESHOLD;
        int32_t answer;
        state.HandleEvent({SE_CREATE, 0, 0, 0, 0, 0, 0, 0, kWindow}, &answer);
        FakeClock::Advance(c.after);
        MoveTo(MOUSE_CENTRE_X + c.dx, MOUSE_CENTRE_Y + c.dy);
        state.CheckMouseMovement(c.seconds);
        EXPECT_EQ(FakeSaverHost::closes.size(), c.ends ? 1u : 0u)
            << c.dx << "," << c.dy << " after " << c.after;
    }
}

}  // namespace
