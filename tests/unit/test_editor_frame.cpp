// The editor as a run has it (vx_init in editor mode, then EditorFrame): keys as
// key-down events of their frame, a knob let go when the editor hides or the run saves,
// what a save says in the info line and how long, the help box and the mark of unsaved
// changes. The pointer is fed through HandlePointer as the mouse's ring would feed it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "animator.h"
#include "bgfile.h"
#include "bground.h"
#include "editor.h"
#include "editorlayout.h"
#include "fxt1_encode.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "settings.h"
#include "editor_test_layout.h"
#include "test_support.h"
#include "vxconfig.h"

namespace {

class EditorFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedKeyboard = glb->keyboard;
        savedMouse = glb->mouse;
        glb->keyboard = &keyboard;
        glb->mouse = nullptr;
        savedBackground = Settings.backgroundNumber;
        Settings.backgroundNumber = 0;
        WriteTexture(registry.bmp, "textures/star.bmp");
        WriteTexture(registry.bmp, "textures/stars.bmp");
        WriteTexture(registry.bmp, "t.bmp");
        const std::vector<uint32_t> atlas(16 * 8, 0xFF808080u);
        ASSERT_EQ(Fxt1WriteFile("textures/nd.fxt", atlas.data(), 16, 8), 1);
        Bitmap font;
        ASSERT_EQ(font.CreateWithMasks(128, 64, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("textures/font8x8.bmp", font, 0, 0, 0), 1);
        WriteWholeFile("gui.cfg", kEditorTestLayout);
        XNEW(StarField);
        ASSERT_EQ(vx_init(app, 0), 1) << PendingError();
        ClearError();
    }
    void TearDown() override {
        if (app.config.animator) EditorExit(app);
        glb->keyboard = savedKeyboard;
        glb->mouse = savedMouse;
        Settings.backgroundNumber = savedBackground;
        ClearError();
    }
    // A key typed as the hook gives it: its event and its state, down then up.
    void Type(int code) {
        keyboard.AddEvent(code, 1, 0);
        keyboard.SetKeyState(code, 1);
        keyboard.AddEvent(code, 0, 0);
        keyboard.SetKeyState(code, 0);
    }
    // The pointer put at (x, y), then one frame with these buttons.
    int PointerFrame(float x, float y, int32_t buttons) {
        app.config.pointerX = x;
        app.config.pointerY = y;
        return app.config.HandlePointer(0, 0, buttons);
    }
    void Click(float x, float y) {
        PointerFrame(x, y, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
        PointerFrame(x, y, MOUSE_LEFT_WENT_UP);
    }
    Slider* Stars() { return app.config.layout.FindSlider(13, CONTROL_BGSNUMS); }
    // The middle of the star count's knob.
    float KnobY() { return Stars()->knob.top + 2; }

    ScratchDirectory scratch;
    // The user's own folder is the scratch folder too: saves go there.
    ScratchLog scratchLog{scratch.Path()};
    PictureRegistry registry;
    CurrentTestScreen current;
    CapturingScreen& screen = current.screen;
    Keyboard keyboard;
    Keyboard* savedKeyboard = nullptr;
    Mouse* savedMouse = nullptr;
    int32_t savedBackground = 0;
    EditorRun app;
};

}  // namespace

TEST_F(EditorFrameTest, AShortcutActsInTheFrameItIsTypedAndLettersIgnoreTheirCase) {
    ASSERT_EQ(app.config.currentPage, 13);
    // "1" on its own page does nothing, and is not kept for later: the arrow's page stays.
    Type('1');
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    Click(480 + 104, 8);  // NPAGE
    EXPECT_EQ(app.config.currentPage, 14);
    for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(app.config.currentPage, 14);
    Type('1');
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(app.config.currentPage, 13);

    // Caps Lock gives upper-case characters: "F" and "U" toggle as "f" and "u" do, and
    // the prompt's "N" answers it.
    keyboard.AddEvent('F', 1, 0);
    keyboard.AddEvent('U', 1, 0);
    screen.Forget();
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    ASSERT_FALSE(screen.drawn.empty());
    EXPECT_FLOAT_EQ(screen.drawn.back().back().y, 88);  // the statistics' last line
    app.config.animator->SetHigh(CONTROL_BGSSZ, 9);
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    ASSERT_EQ(app.config.prompt.state, PROMPT_SHOWN);
    keyboard.AddEvent('N', 1, 0);
    EXPECT_EQ(EditorFrame(app, 0.02f), 0);
}

TEST_F(EditorFrameTest, HidingTheEditorOrSavingWhileAKnobIsHeldKeepsItsChannelsMode) {
    SliderChannel* stars = app.config.animator->Channel(CONTROL_BGSNUMS);
    ASSERT_EQ(stars->mode, ANIM_PING_PONG);
    ASSERT_EQ(SaveBackground(app.config.animator, BACKGROUND_FILE_NAME), 1);
    app.config.SnapshotChannels();
    // Held: the animation rests, and Escape finds nothing changed yet.
    PointerFrame(480 + 18, KnobY(), MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    ASSERT_EQ(stars->mode, ANIM_NONE);
    EXPECT_FALSE(app.config.HasUnsavedChanges());
    // SAVE meanwhile (a second button) writes the mode the channel goes back to.
    ASSERT_EQ(app.config.SaveBackgroundFile(), 1);
    VxAnimator saved;
    ASSERT_EQ(LoadBackground(&saved, BACKGROUND_FILE_NAME), 1);
    EXPECT_EQ(saved.Channel(CONTROL_BGSNUMS)->mode, ANIM_PING_PONG);
    EXPECT_EQ(stars->mode, ANIM_NONE);

    // Space hides the editor: the knob is let go as a release would, and after the
    // release the editor did not hear and Space again, the knob does not follow.
    Type(KEY_SPACE);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(stars->mode, ANIM_PING_PONG);
    EXPECT_EQ(Stars()->drag, SLIDER_DRAG_NONE);
    Type(KEY_SPACE);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    const float before = Stars()->Value();
    EXPECT_EQ(app.config.HandlePointer(0, 30, 0), 1);
    EXPECT_FLOAT_EQ(Stars()->Value(), before);
}

TEST_F(EditorFrameTest, EscapeAndYWhileAKnobIsHeldSaveTheModeItHadBefore) {
    SliderChannel* stars = app.config.animator->Channel(CONTROL_BGSNUMS);
    app.config.SnapshotChannels();
    PointerFrame(480 + 18, KnobY(), MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    ASSERT_EQ(stars->mode, ANIM_NONE);
    app.config.HandlePointer(0, 10, MOUSE_LEFT);
    app.config.animator->SetHigh(CONTROL_BGSSZ, 9);
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    keyboard.AddEvent('y', 1, 0);
    ASSERT_EQ(EditorFrame(app, 0.02f), 0);
    VxAnimator saved;
    ASSERT_EQ(LoadBackground(&saved, BACKGROUND_FILE_NAME), 1);
    EXPECT_EQ(saved.Channel(CONTROL_BGSNUMS)->mode, ANIM_PING_PONG);
}

TEST_F(EditorFrameTest, ASaveSaysHowItWentUntilTheNextAction) {
    InfoLine* line = &app.config.captions;
    // SAVE cannot make its temporary file: the reason stays while the pointer rests
    // on the button, far past a caption's time.
    ASSERT_TRUE(std::filesystem::create_directory(BACKGROUND_FILE_NAME ".tmp"));
    Click(480 + 44, 8);
    for (int frame = 0; frame < 200; ++frame) {
        PointerFrame(480 + 44, 8, 0);
        ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    }
    EXPECT_EQ(std::string(line->text).rfind("Unable to save the background : ", 0), 0u)
        << line->text;
    // The same from the prompt's "y": the editor stays, saying why.
    app.config.animator->SetHigh(CONTROL_BGSSZ, 9);
    keyboard.AddEvent(KEY_ESCAPE, 1, 0);
    keyboard.AddEvent('y', 1, 0);
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(app.config.prompt.state, PROMPT_NONE);
    for (int frame = 0; frame < 100; ++frame) ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    EXPECT_EQ(std::string(line->text).rfind("Unable to save the background : ", 0), 0u)
        << line->text;
    // The next press is the next action: the reason gives way to the caption.
    PointerFrame(480 + 104, 8, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    EXPECT_STREQ(line->text, "Next page");
    PointerFrame(480 + 104, 8, MOUSE_LEFT_WENT_UP);

    // Saved: it says so, briefly.
    ASSERT_TRUE(std::filesystem::remove(BACKGROUND_FILE_NAME ".tmp"));
    Click(480 + 44, 8);
    for (int frame = 0; frame < 50; ++frame) {
        PointerFrame(480 + 44, 8, 0);
        ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    }
    EXPECT_STREQ(line->text, "Background saved");
}

// The mark in the title band, and the help box's lines: one a key or pointer action.
TEST_F(EditorFrameTest, TheTitleBandMarksUnsavedChangesAndTheHelpListsEveryAction) {
    auto markDrawn = [this] {
        screen.Forget();
        EditorFrame(app, 0.02f);
        for (const std::vector<Vertex>& list : screen.drawn)
            if (list.size() == 4 && list[0].x == kPanelLeft + kUnsavedMarkX &&
                list[0].y == kPanelTop + kUnsavedMarkY)
                return true;
        return false;
    };
    app.config.SnapshotChannels();
    EXPECT_FALSE(markDrawn());
    app.config.animator->SetHigh(CONTROL_BGSSZ, 9);
    EXPECT_TRUE(markDrawn());

    Type(KEY_F1);
    screen.Forget();
    ASSERT_EQ(EditorFrame(app, 0.02f), 1);
    int lines = 0;
    for (const std::vector<Vertex>& list : screen.drawn)
        if (list[0].x == kHelpLeft + kHelpInset && list[0].y > kHelpTop + kHelpTitleHeight) ++lines;
    // F1, F5, F9, F12, f, u, Space, Escape, y/n, the three shortcuts in two lines, and
    // six pointer actions.
    EXPECT_GE(lines, 17);
}

// Two monitors, the primary second in the platform's order: every monitor gets the
// scene, the primary alone the editor at its right edge (with the pointer, drawn last),
// and the other the scene over all of it; hidden, the editor leaves both centred.
TEST_F(EditorFrameTest, ThePanelIsOnThePrimaryMonitorAndTheSceneOnEvery) {
    const ScreenArea monitors[] = {{1024, 0, 1280, 720}, {0, 0, 1024, 768}};
    screen.SetTarget(2304, 768, monitors, 2, 1);
    struct Counts {
        int panelOnPrimary = 0, panelElsewhere = 0, sceneOnly = 0, sceneOnlyOnPrimary = 0;
        int centred = 0;
    };
    auto frame = [this] {
        screen.Forget();
        EXPECT_EQ(EditorFrame(app, 0.02f), 1);
        Counts counts;
        for (const MonitorView& view : screen.drawnOn) {
            const bool primary = view.monitor.x == 0;
            if (view.layout == LAYOUT_PANEL_RIGHT)
                ++(primary ? counts.panelOnPrimary : counts.panelElsewhere);
            if (view.layout == LAYOUT_SCENE_ONLY)
                ++(primary ? counts.sceneOnlyOnPrimary : counts.sceneOnly);
            if (view.layout == LAYOUT_CENTRED) ++counts.centred;
        }
        return counts;
    };
    Counts counts = frame();
    // The backdrop's two layers, the stars' one list and the intro's sprites on each;
    // the pages too on the primary.
    const int scene = counts.sceneOnly;
    EXPECT_GT(scene, 3);
    EXPECT_GT(counts.panelOnPrimary, scene);
    EXPECT_EQ(counts.panelElsewhere, 0);
    EXPECT_EQ(counts.sceneOnlyOnPrimary, 0);
    EXPECT_EQ(counts.centred, 0);
    ASSERT_FALSE(screen.drawnOn.empty());
    const MonitorView& last = screen.drawnOn.back();
    EXPECT_EQ(last.monitor.x, 0) << "the pointer is the primary's";
    EXPECT_FLOAT_EQ(last.originX, 1024 - 640 * 1.6f);

    Type(' ');
    counts = frame();
    EXPECT_EQ(counts.panelOnPrimary + counts.panelElsewhere + counts.sceneOnly, 0);
    EXPECT_EQ(counts.centred, 2 * scene);
}
