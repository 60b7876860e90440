// The intro on a hand-moved clock and a capturing screen: the scripts from start to end,
// a late frame, an instant colour before a fade, and nothing after the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/monitorview.h"
#include "fxt1_encode.h"
#include "intro.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"
#include "xdirs.h"

namespace {

class IntroTest : public ::testing::Test {
protected:
    void SetUp() override {
        TimerInit();
        const std::vector<uint32_t> atlas(16 * 8, 0xFF808080u);
        ASSERT_EQ(xCreateDirsForFile("textures/nd.fxt"), 1);
        ASSERT_EQ(Fxt1WriteFile("textures/nd.fxt", atlas.data(), 16, 8), 1);
        ASSERT_EQ(intro.Start(), 1) << PendingError();
    }
    void TearDown() override { intro.Release(); }
    // The script's first update one frame after the start.
    void Begin(int32_t script) {
        ASSERT_EQ(intro.Start(), 1);
        intro.script = script;
        Frame(20);
    }
    void Frame(uint32_t milliseconds) {
        FakeClock::Advance(milliseconds);
        intro.Update();
    }
    IntroSprite& Sprite(int32_t number) {
        return *std::find_if(std::begin(intro.sprites), std::end(intro.sprites),
                             [number](const IntroSprite& s) { return s.number == number; });
    }

    FakeClock clock;
    ScratchDirectory scratch;
    PictureRegistry registry;
    CurrentTestScreen current;
    IntroLogo intro;
};

IntroCommand Colour(int32_t target, float brightness, float seconds) {
    return {INTRO_COLOUR, target, {255, 255, 255, brightness}, seconds};
}

// A quad as drawn lies lit and whole inside the view a monitor makes of the camera.
bool ShownWhole(const std::vector<Vertex>& quad, const SceneView& view) {
    for (const Vertex& v : quad)
        if (v.r < 100 || v.z <= 0 || std::fabs(v.x / v.z) > view.halfWidth ||
            std::fabs(v.y / v.z) > view.halfHeight)
            return false;
    return true;
}

}  // namespace

// Each script also shows every sprite whole at some moment on 4:3 and on 16:9.
TEST_F(IntroTest, EachScriptEndsOnTimeWithEverySpriteBlack) {
    const double ends[INTRO_SCRIPT_COUNT] = {15, 19, 18};
    const int brightest[INTRO_SCRIPT_COUNT] = {200, 250, 175};
    const ScreenArea monitors[] = {{0, 0, 1024, 768}, {0, 0, 1920, 1080}};
    Camera view;
    view.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    CapturingScreen& screen = current.screen;
    for (int32_t script = 0; script < INTRO_SCRIPT_COUNT; ++script) {
        SCOPED_TRACE(script);
        Begin(script);
        EXPECT_FLOAT_EQ(Sprite(5).offset.value[1], -181);
        EXPECT_FLOAT_EQ(Sprite(0).offset.value[2], script == 2 ? -100 : 0);
        double seconds = 0;
        int peak = 0;
        int shown = 0;  // five sprites a monitor
        for (; !intro.finished && seconds < 40; seconds += 0.02) {
            Frame(20);
            for (const IntroSprite& sprite : intro.sprites)
                peak = std::max(peak, int(sprite.vertices[0].r));
            screen.Forget();
            intro.Draw(&view);
            for (int m = 0; m < 2; ++m)
                for (size_t i = 0; i < screen.drawn.size(); ++i)
                    if (ShownWhole(
                            screen.drawn[i],
                            CameraView(MakeMonitorView(monitors[m], LAYOUT_CENTRED), intro.camera)))
                        shown |= 1 << (5 * m + i);
        }
        EXPECT_EQ(shown, 0x3FF);
        // Each of the dozen waits can end up to a frame late.
        EXPECT_GE(seconds, ends[script]);
        EXPECT_LE(seconds, ends[script] + 12 * 0.02 + 0.001);
        EXPECT_EQ(peak, brightest[script]);
        for (const IntroSprite& sprite : intro.sprites) EXPECT_EQ(sprite.vertices[2].g, 0);
    }
    EXPECT_NEAR(Sprite(4).offset.value[2], 200, 1e-3);  // script 2 flies them away
}

TEST_F(IntroTest, ALateFrameFinishesTheFadesAndRunsEveryCommandThatCameDue) {
    Begin(0);
    EXPECT_FLOAT_EQ(Sprite(0).colour.timeLeft, 2);
    EXPECT_FLOAT_EQ(Sprite(1).colour.timeLeft, 0);
    Frame(10000);
    // The fade stops at its target, and the commands after the wait ran.
    EXPECT_EQ(Sprite(0).vertices[1].g, 200);
    EXPECT_FLOAT_EQ(Sprite(1).colour.timeLeft, 2);
    EXPECT_NEAR(intro.dueTime, TimerSeconds() + 1, 1e-6);
    Frame(500);
    EXPECT_EQ(Sprite(1).vertices[0].b, 50);
}

TEST_F(IntroTest, AFadeAfterAnInstantColourStartsFromTheLastFadedColour) {
    IntroSprite& logo = Sprite(0);
    intro.Execute(Colour(0, 200, 2), 0);
    intro.Advance(logo, 2);
    intro.Execute(Colour(0, 50.9f, 0), 0);
    EXPECT_EQ(logo.vertices[0].r, 50);  // shown at once, truncated
    intro.Execute(Colour(0, 100, 2), 0);
    intro.Advance(logo, 1);
    EXPECT_EQ(logo.vertices[2].g, 150);  // from 200, not from 50
    EXPECT_EQ(Sprite(3).vertices[0].r, 0);
}

TEST_F(IntroTest, AfterTheEndNothingIsDrawnAndTimeIsIgnored) {
    Begin(0);
    Frame(3000);
    CapturingScreen& screen = current.screen;
    screen.Forget();
    intro.Draw(nullptr);
    EXPECT_EQ(screen.Calls(),
              "SetView camera; SetSurface 0; Draw 6 4 0; Draw 6 4 0; Draw 6 4 0; "
              "Draw 6 4 0; Draw 6 4 0");
    EXPECT_EQ(screen.views[0], &intro.camera);
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_ADDITIVE);
    EXPECT_FLOAT_EQ(screen.drawn[0][2].u, 210 / 256.0f);  // the logo's rectangle
    EXPECT_FLOAT_EQ(screen.drawn[4][3].y, -187);          // line 5, moved down
    EXPECT_EQ(screen.drawn[0][1].a, 128);

    intro.Execute({INTRO_END, INTRO_ALL_SPRITES, {0, 0, 0, 0}, 0}, 0);
    const int32_t next = intro.nextCommand;
    const float fading = Sprite(1).colour.value[0];
    Frame(5000);
    EXPECT_EQ(intro.nextCommand, next);
    EXPECT_EQ(Sprite(1).colour.value[0], fading);
    screen.Forget();
    intro.Draw(nullptr);
    EXPECT_EQ(screen.Calls(), "");
}
