// The intro on a hand-moved clock and a capturing screen: the three scripts from start to
// end, a late frame, an instant colour before a fade, the end, and what a frame draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

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
        ClearError();
    }
    void TearDown() override {
        intro.Release();
        ClearError();
    }
    // Started on the given script, its first update one frame later.
    void StartScript(int32_t script) {
        ASSERT_EQ(intro.Start(), 1) << PendingError();
        intro.script = script;
        FakeClock::Advance(20);
        intro.Update();
    }
    // Frames of 20 ms until the script ends or the time is up; the seconds it ran.
    double RunToEnd(double limit, int* brightest) {
        double elapsed = 0;
        while (!intro.finished && elapsed < limit) {
            FakeClock::Advance(20);
            elapsed += 0.02;
            intro.Update();
            for (const IntroSprite& sprite : intro.sprites)
                *brightest = std::max(*brightest, int(sprite.vertices[0].r));
        }
        return elapsed;
    }
    IntroSprite& Sprite(int32_t number) {
        for (IntroSprite& sprite : intro.sprites)
            if (sprite.number == number) return sprite;
        return intro.sprites[0];
    }

    FakeClock clock;
    ScratchDirectory scratch;
    PictureRegistry registry;
    CurrentTestScreen current;
    MemoryTextureList& textures = current.textures;
    CapturingScreen& screen = current.screen;
    IntroLogo intro;
};

IntroCommand Colour(int32_t target, float brightness, float seconds) {
    return {INTRO_COLOUR, target, {255, 255, 255, brightness}, seconds};
}

}  // namespace

TEST_F(IntroTest, EachScriptFadesInHoldsAndEndsBlackOnTime) {
    struct Expected {
        double seconds;  // until "end"
        int brightest;
    };
    const Expected expected[INTRO_SCRIPT_COUNT] = {{15, 200}, {19, 250}, {18, 175}};
    for (int32_t script = 0; script < INTRO_SCRIPT_COUNT; ++script) {
        SCOPED_TRACE(script);
        StartScript(script);
        // Placed at once under the logo, black.
        EXPECT_FLOAT_EQ(Sprite(5).offset.value[1], -181);
        EXPECT_FLOAT_EQ(Sprite(3).offset.value[0], -51);
        EXPECT_FLOAT_EQ(Sprite(0).offset.value[2], script == 2 ? -100 : 0);
        EXPECT_EQ(Sprite(4).vertices[2].g, 0);
        int brightest = 0;
        double seconds = RunToEnd(40, &brightest);
        // Each of the dozen waits can end up to a frame late.
        EXPECT_GE(seconds, expected[script].seconds);
        EXPECT_LE(seconds, expected[script].seconds + 12 * 0.02 + 0.001);
        EXPECT_EQ(brightest, expected[script].brightest);
        for (const IntroSprite& sprite : intro.sprites) {
            EXPECT_EQ(sprite.vertices[0].r, 0) << sprite.number;
            EXPECT_EQ(sprite.vertices[3].b, 0) << sprite.number;
        }
        // How each leaves: stretched, pulled apart, or flown away.
        if (script == 0) {
            EXPECT_FLOAT_EQ(Sprite(5).scale.value[0], 3);
            EXPECT_NEAR(Sprite(3).offset.value[0], -150, 1e-3);
            EXPECT_NEAR(Sprite(4).offset.value[0], 150, 1e-3);
        } else if (script == 1) {
            EXPECT_FLOAT_EQ(Sprite(0).scale.value[0], 1);
        } else {
            EXPECT_NEAR(Sprite(1).offset.value[2], 200, 1e-3);
            EXPECT_NEAR(Sprite(4).offset.value[2], 200, 1e-3);
        }
    }
}

TEST_F(IntroTest, ALateFrameFinishesTheFadesAndRunsTheCommandsThatCameDue) {
    StartScript(0);
    EXPECT_FLOAT_EQ(Sprite(0).colour.timeLeft, 2);
    EXPECT_FLOAT_EQ(Sprite(1).colour.timeLeft, 0);
    // Ten seconds without a frame: the fade ends at its target, not past it, and the
    // commands after the wait run in this one update.
    FakeClock::Advance(10000);
    intro.Update();
    EXPECT_FLOAT_EQ(Sprite(0).colour.value[0], 200);
    EXPECT_EQ(Sprite(0).vertices[1].g, 200);
    EXPECT_FLOAT_EQ(Sprite(1).colour.timeLeft, 2);
    EXPECT_FLOAT_EQ(Sprite(1).colour.rate[2], 100);
    EXPECT_NEAR(intro.dueTime, TimerSeconds() + 1, 1e-6);
    // The next frame moves the new fade on by its own time only.
    FakeClock::Advance(500);
    intro.Update();
    EXPECT_EQ(Sprite(1).vertices[0].b, 50);
}

TEST_F(IntroTest, AFadeAfterAnInstantColourStartsFromTheLastFadedColour) {
    ASSERT_EQ(intro.Start(), 1);
    IntroSprite& logo = Sprite(0);
    intro.Execute(Colour(0, 200, 2), 0);
    intro.Advance(logo, 2);
    EXPECT_EQ(logo.vertices[0].r, 200);
    // At once: shown, truncated, but the faded colour stays at 200.
    intro.Execute(Colour(0, 50.9f, 0), 0);
    EXPECT_EQ(logo.vertices[0].r, 50);
    EXPECT_FLOAT_EQ(logo.colour.value[1], 200);
    intro.Execute(Colour(0, 100, 2), 0);
    intro.Advance(logo, 1);
    EXPECT_EQ(logo.vertices[2].g, 150);
    // Other sprites were not touched.
    EXPECT_EQ(Sprite(3).vertices[0].r, 0);
    // A flat sprite neither moves on nor draws.
    intro.Execute({INTRO_SCALE, 1, {0, 1, 1, 0}, 0}, 0);
    intro.Execute(Colour(1, 255, 1), 0);
    intro.Advance(Sprite(1), 0.5f);
    EXPECT_FLOAT_EQ(Sprite(1).colour.timeLeft, 1);
    intro.finished = 0;
    intro.Draw(nullptr);
    EXPECT_EQ(screen.drawn.size(), size_t(INTRO_SPRITE_COUNT - 1));
}

TEST_F(IntroTest, AFrameDrawsEverySpriteThroughItsOwnCameraAndNothingAfterTheEnd) {
    StartScript(0);
    FakeClock::Advance(3000);
    intro.Update();
    Camera view;
    view.SetViewport(480, 466, 60, 0, 0, CAMERA_SQUARE);
    screen.Forget();
    ASSERT_EQ(intro.Draw(&view), 1);
    EXPECT_EQ(screen.Calls(),
              "SetView camera; SetSurface 0; Draw 6 4 0; Draw 6 4 0; Draw 6 4 0; Draw 6 4 0; "
              "Draw 6 4 0");
    ASSERT_EQ(screen.views.size(), 1u);
    EXPECT_EQ(screen.views[0], &intro.camera);
    EXPECT_EQ(intro.camera.viewWidth, 480);
    EXPECT_EQ(intro.camera.viewHeight, 466);
    EXPECT_EQ(intro.camera.flags, CAMERA_SQUARE);
    EXPECT_EQ(intro.camera.position[2], 0);
    EXPECT_EQ(screen.applied[0].blendMode, SURFACE_ADDITIVE);
    EXPECT_EQ(screen.applied[0].textureMode, SURFACE_TEXTURED);
    // The logo, corners top-left round to bottom-left, reading its atlas rectangle;
    // line 5 moved down to -181.
    const std::vector<Vertex>& logo = screen.drawn[0];
    EXPECT_FLOAT_EQ(logo[0].x, -90);
    EXPECT_FLOAT_EQ(logo[0].y, 35);
    EXPECT_FLOAT_EQ(logo[0].z, 350);
    EXPECT_FLOAT_EQ(logo[2].x, 90);
    EXPECT_FLOAT_EQ(logo[2].y, -35);
    EXPECT_FLOAT_EQ(logo[2].u, 210 / 256.0f);
    EXPECT_FLOAT_EQ(logo[2].v, 46 / 256.0f);
    EXPECT_EQ(logo[1].a, 128);
    EXPECT_EQ(logo[1].r, 200);
    const std::vector<Vertex>& line5 = screen.drawn[4];
    EXPECT_FLOAT_EQ(line5[3].y, -187);
    EXPECT_FLOAT_EQ(line5[3].v, 246 / 256.0f);
    EXPECT_FLOAT_EQ(line5[1].u, 185 / 256.0f);

    // Ended: nothing drawn, and time no longer moves anything.
    intro.Execute({INTRO_END, INTRO_ALL_SPRITES, {0, 0, 0, 0}, 0}, 0);
    const int32_t next = intro.nextCommand;
    const float fading = Sprite(3).colour.value[0];
    FakeClock::Advance(5000);
    intro.Update();
    EXPECT_EQ(intro.nextCommand, next);
    EXPECT_EQ(Sprite(3).colour.value[0], fading);
    screen.Forget();
    EXPECT_EQ(intro.Draw(&view), 1);
    EXPECT_EQ(screen.Calls(), "");
}

TEST_F(IntroTest, AMissingOrBrokenAtlasFailsTheStart) {
    std::remove("textures/nd.fxt");
    EXPECT_EQ(intro.Start(), 0);
    EXPECT_EQ(PendingError(), "FXT - Unable to open \"./textures/nd.fxt\"");
    ClearError();
    WriteWholeFile("textures/nd.fxt", std::string(40, 'x'));
    EXPECT_EQ(intro.Start(), 0);
    EXPECT_NE(PendingError(), "");
    EXPECT_EQ(textures.Count(), 0);
    screen.Forget();
    intro.Update();
    intro.Draw(nullptr);
    EXPECT_EQ(screen.Calls(), "");
}
