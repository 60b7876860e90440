// The editor controller on a small layout: which changes count as unsaved, page groups
// and the page buttons, a knob let go with Shift, the animation-mode and restore
// buttons, the slider selection with the properties panel, and the prompt's answers
// with a save that fails.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "animator.h"
#include "ansi/bitmap.h"
#include "bgfile.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "editor_test_layout.h"
#include "test_support.h"
#include "vxconfig.h"

namespace {


class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedScreen = glb->currentScreen;
        savedKeyboard = glb->keyboard;
        savedMouse = glb->mouse;
        glb->currentScreen = &screen;
        glb->keyboard = &keyboard;
        glb->mouse = nullptr;
        screen.textureList = &textures;
        Bitmap picture;
        ASSERT_EQ(picture.CreateWithMasks(4, 4, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
        ASSERT_EQ(registry.bmp->Save("t.bmp", picture, 0, 0, 0), 1) << PendingError();
        WriteWholeFile("gui.cfg", kEditorTestLayout);
        animator.SetDefaultBackground();
        infoLine.Setup(&font, 0, 466, 480, 13);
        config.animator = &animator;
        config.font = &font;
        config.infoLine = &infoLine;
        config.widgetCallback = VxConfig::WidgetEvent;
        ASSERT_EQ(config.LoadGuiConfig(480, 0, 160, 480), 1) << PendingError();
        config.RestoreChannels(-1);
        config.StartController();
        config.SnapshotChannels();
        ClearError();
    }
    void TearDown() override {
        config.StopController();
        textures.DeleteAll();
        glb->currentScreen = savedScreen;
        glb->keyboard = savedKeyboard;
        glb->mouse = savedMouse;
        ClearError();
    }
    Slider* SliderOf(int32_t page, int32_t id) { return config.layout.FindSlider(page, id); }
    Button* ButtonOf(int32_t page, int32_t id) { return config.layout.FindButton(page, id); }
    // A left click as the widget group reports it: the button's cycle steps, then the
    // callback hears of it.
    void Click(Widget* widget) {
        ASSERT_NE(widget, nullptr);
        float x = widget->x, y = widget->y, dx = 0, dy = 0;
        widget->HandleInput(x, y, dx, dy, MOUSE_LEFT, WIDGET_PRESS, 1);
        widget->Notify(WIDGET_PRESS, MOUSE_LEFT, 0);
        int32_t result = widget->HandleInput(x, y, dx, dy, MOUSE_LEFT, WIDGET_CLICK, 1);
        widget->Notify(WIDGET_CLICK, MOUSE_LEFT, result);
    }
    void RightPress(Slider* slider) {
        ASSERT_NE(slider, nullptr);
        slider->Notify(WIDGET_PRESS, MOUSE_RIGHT, 0);
    }

    ScratchDirectory scratch;
    // The user's own folder is the scratch folder too: the saved background goes there.
    ScratchLog scratchLog{scratch.Path()};
    PictureRegistry registry;
    MemoryTextureList textures;
    CapturingScreen screen;
    Keyboard keyboard;
    BitmapFont font;
    InfoLine infoLine;
    VxAnimator animator;
    VxConfig config;
    Screen* savedScreen = nullptr;
    Keyboard* savedKeyboard = nullptr;
    Mouse* savedMouse = nullptr;
};

}  // namespace

TEST_F(EditorTest, UnsavedChangesAreWhatTheUserSetsInSavedChannels) {
    struct Change {
        const char* what;
        void (*apply)(SliderChannel&);
        bool counts;
    };
    const Change changes[] = {
        {"low", [](SliderChannel& c) { c.low += 1; }, true},
        {"high", [](SliderChannel& c) { c.high += 1; }, true},
        {"mode", [](SliderChannel& c) { c.mode = ANIM_LOOP_DOWN; }, true},
        {"value, animated", [](SliderChannel& c) { c.value += 1; }, false},
        {"value, still",
         [](SliderChannel& c) {
             c.mode = ANIM_NONE;
             c.value += 1;
         },
         true},
        {"delayRandom", [](SliderChannel& c) { c.delayRandom = !c.delayRandom; }, true},
        {"delay, random", [](SliderChannel& c) { c.delay += 1; }, false},
        {"delay, fixed",
         [](SliderChannel& c) {
             c.delayRandom = 0;
             c.delay += 1;
         },
         true},
        {"delayLow", [](SliderChannel& c) { c.delayLow += 1; }, true},
        {"delayHigh", [](SliderChannel& c) { c.delayHigh += 1; }, true},
        {"transitionRandom", [](SliderChannel& c) { c.transitionRandom = !c.transitionRandom; },
         true},
        {"transitionTime, random", [](SliderChannel& c) { c.transitionTime += 1; }, false},
        {"transitionTime, fixed",
         [](SliderChannel& c) {
             c.transitionRandom = 0;
             c.transitionTime += 1;
         },
         true},
        {"transitionLow", [](SliderChannel& c) { c.transitionLow += 1; }, true},
        {"transitionHigh", [](SliderChannel& c) { c.transitionHigh += 1; }, true},
        {"phase and keys",
         [](SliderChannel& c) {
             c.time += 7;
             c.flags ^= CHANNEL_HOLD;
             c.restart = 0;
             c.spline.keys[1].values[0] += 3;
         },
         false},
    };
    // An animated channel with random holds and transitions, as the defaults leave it.
    SliderChannel* stars = animator.Channel(CONTROL_BGSNUMS);
    stars->delayRandom = stars->transitionRandom = 1;
    ASSERT_NE(stars->mode, ANIM_NONE);
    config.SnapshotChannels();
    const SliderChannel kept = *stars;
    for (const Change& change : changes) {
        *stars = kept;
        change.apply(*stars);
        EXPECT_EQ(config.HasUnsavedChanges(), change.counts) << change.what;
    }
    // Channels the background file does not keep never count.
    *stars = kept;
    animator.SetLow(CONTROL_TTIME, 3);
    animator.SetMode(CONTROL_DELAY, 1);
    animator.SetValue(CONTROL_BGSTARFIELD, 9, 1, 1);
    EXPECT_FALSE(config.HasUnsavedChanges());
}

TEST_F(EditorTest, PageGroupsWrapAndRememberTheirLastPage) {
    // Page 12's group shows its first member first.
    EXPECT_EQ(config.currentPage, CONTROL_BGSTARFIELD1);
    EXPECT_EQ(config.StepPage(13, 1), 14);
    EXPECT_EQ(config.StepPage(14, 1), 13);
    EXPECT_EQ(config.StepPage(13, -1), 14);
    EXPECT_EQ(config.StepPage(14, -1), 13);
    EXPECT_EQ(config.StepPage(CONTROL_SLIDERP, 1), CONTROL_SLIDERP);
    EXPECT_EQ(config.SetPage(CONTROL_BGSTARFIELD), 0);
    EXPECT_EQ(config.SetPage(CONTROL_SAVE), 1);

    // The page buttons of the "General" chunk, on every page.
    config.SetPage(13);
    Click(ButtonOf(13, CONTROL_NPAGE));
    EXPECT_EQ(config.currentPage, 14);
    Click(ButtonOf(14, CONTROL_PPAGE));
    EXPECT_EQ(config.currentPage, 13);
    Click(ButtonOf(13, CONTROL_PPAGE));
    EXPECT_EQ(config.currentPage, 14);
    // Away from the group and back: the page last shown in it.
    config.SetPage(CONTROL_SAVE);
    Click(ButtonOf(14, CONTROL_BGROUND));
    EXPECT_EQ(config.currentPage, 14);
    EXPECT_STREQ(infoLine.text, "Background");
}

TEST_F(EditorTest, AKnobRestsItsAnimationWhileHeldAndShiftPutsTheChannelBack) {
    Slider* stars = SliderOf(13, CONTROL_BGSNUMS);
    ASSERT_NE(stars, nullptr);
    SliderChannel* channel = animator.Channel(CONTROL_BGSNUMS);
    const SliderChannel saved = *channel;
    ASSERT_EQ(saved.mode, ANIM_PING_PONG);
    // The markers and knob follow the channel's range and the scene.
    config.RefreshPage(13);
    float lowest, highest;
    stars->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(lowest, saved.low);
    EXPECT_FLOAT_EQ(highest, saved.high);

    stars->Notify(WIDGET_PRESS, MOUSE_LEFT, SLIDER_DRAG_KNOB);
    EXPECT_EQ(channel->mode, ANIM_NONE);
    EXPECT_EQ(infoLine.sliderInfoActive, 1);
    stars->SetValue(400, 0);
    config.ApplySliderChange(stars, SLIDER_VALUE);
    EXPECT_FLOAT_EQ(channel->value, 400);
    for (int frame = 0; frame < 20; ++frame) animator.StepAll();
    EXPECT_FLOAT_EQ(channel->value, 400);
    // Another channel changed meanwhile stays changed.
    animator.SetLow(CONTROL_BGSBCR, 1);
    // Let go without Shift: the animation goes on from the new value.
    stars->Notify(WIDGET_CLICK, MOUSE_LEFT, SLIDER_DRAG_KNOB);
    EXPECT_EQ(channel->mode, ANIM_PING_PONG);
    EXPECT_EQ(channel->restart, 1);
    EXPECT_FLOAT_EQ(channel->value, 400);

    // Held again and let go with Shift: the channel is as saved, the other one not.
    stars->Notify(WIDGET_PRESS, MOUSE_LEFT, SLIDER_DRAG_KNOB);
    stars->SetValue(380, 0);
    config.ApplySliderChange(stars, SLIDER_VALUE);
    keyboard.SetKeyState(KEY_SHIFT, 1);
    stars->Notify(WIDGET_CLICK, MOUSE_LEFT, SLIDER_DRAG_KNOB);
    keyboard.SetKeyState(KEY_SHIFT, 0);
    EXPECT_EQ(channel->mode, saved.mode);
    EXPECT_FLOAT_EQ(channel->value, saved.value);
    EXPECT_FLOAT_EQ(channel->low, saved.low);
    EXPECT_FLOAT_EQ(animator.Channel(CONTROL_BGSBCR)->low, 1);

    // A marker moved with the value: the range is the slider's limits, and the channel
    // starts a new transition.
    channel->restart = 0;
    ASSERT_TRUE(stars->SetMarkers(0, 300, MARKERS_LOW));
    config.ApplySliderChange(stars, SLIDER_VALUE | SLIDER_LOW);
    stars->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(channel->low, lowest);
    EXPECT_EQ(channel->restart, 1);
}

TEST_F(EditorTest, ModeAndRestoreButtonsActOnTheirChannel) {
    Button* redMode = ButtonOf(13, MODE_BUTTON_ID_OFFSET + CONTROL_BGSBCR);
    ASSERT_NE(redMode, nullptr);
    SliderChannel* red = animator.Channel(CONTROL_BGSBCR);
    ASSERT_EQ(red->mode, ANIM_RANDOM);
    // The button shows the channel's mode; a left click steps it on.
    config.RefreshPage(13);
    EXPECT_EQ(redMode->CurrentCycle(), ANIM_RANDOM);
    red->restart = 0;
    red->flags = 0;
    Click(redMode);
    EXPECT_EQ(red->mode, ANIM_LOOP_UP);
    EXPECT_EQ(red->restart, 1);
    EXPECT_EQ(red->flags & CHANNEL_HOLD, CHANNEL_HOLD);
    EXPECT_STREQ(infoLine.text, "Animation mode loop up");
    // The channel moved elsewhere: the button follows.
    animator.SetMode(CONTROL_BGSBCR, ANIM_PING_PONG);
    config.RefreshPage(13);
    EXPECT_EQ(redMode->CurrentCycle(), ANIM_PING_PONG);

    // A restore button puts its one channel back as saved.
    animator.SetLow(CONTROL_BGSSZ, -9);
    Button* restore = XNEW(Button);
    restore->InitButton(RESTORE_BUTTON_ID_OFFSET + CONTROL_BGSBCR, 0, 0, 8, 8, 1, 0);
    restore->SetCallback(VxConfig::WidgetEvent, &config);
    ASSERT_EQ(config.layout.pages[13].widgets.Add(restore), 1);
    Click(restore);
    EXPECT_EQ(red->mode, ANIM_RANDOM);
    EXPECT_FLOAT_EQ(animator.Channel(CONTROL_BGSSZ)->low, -9);
    EXPECT_TRUE(config.HasUnsavedChanges());
    // "RESET" puts them all back.
    Click(ButtonOf(13, CONTROL_RESET));
    EXPECT_FALSE(config.HasUnsavedChanges());
}

TEST_F(EditorTest, SelectedSlidersShareTheTimingOfThePropertiesPanel) {
    Slider* stars = SliderOf(13, CONTROL_BGSNUMS);
    Slider* red = SliderOf(13, CONTROL_BGSBCR);
    ASSERT_NE(stars, nullptr);
    ASSERT_NE(red, nullptr);
    SliderChannel* starsChannel = animator.Channel(CONTROL_BGSNUMS);
    SliderChannel* redChannel = animator.Channel(CONTROL_BGSBCR);
    starsChannel->transitionRandom = 0;
    starsChannel->delayRandom = 1;

    // One slider: the panel shows its channel's timing.
    RightPress(stars);
    EXPECT_EQ(config.selection.active, 1);
    EXPECT_EQ(stars->flags & WIDGET_HIGHLIGHTED, WIDGET_HIGHLIGHTED);
    EXPECT_EQ(animator.GetMode(CONTROL_TTIME), 0);
    EXPECT_EQ(animator.GetMode(CONTROL_DELAY), 1);
    config.RefreshPage(CONTROL_SLIDERP);
    EXPECT_EQ(ButtonOf(CONTROL_SLIDERP, MODE_BUTTON_ID_OFFSET + CONTROL_DELAY)->CurrentCycle(), 1);
    Slider* transition = SliderOf(CONTROL_SLIDERP, CONTROL_TTIME);
    ASSERT_NE(transition, nullptr);
    starsChannel->transitionTime = 7;
    config.RefreshPage(CONTROL_SLIDERP);
    EXPECT_FLOAT_EQ(transition->Value(), 7);

    // Without Ctrl another slider replaces it; with Ctrl both are selected, the panel
    // showing the first one's timing; the second keeps its own until the panel is used.
    RightPress(red);
    EXPECT_EQ(config.selection.Count(), 1);
    EXPECT_EQ(stars->flags & WIDGET_HIGHLIGHTED, 0);
    keyboard.SetKeyState(KEY_CTRL, 1);
    RightPress(stars);
    keyboard.SetKeyState(KEY_CTRL, 0);
    EXPECT_EQ(config.selection.Count(), 2);
    EXPECT_FLOAT_EQ(starsChannel->transitionTime, 7);
    EXPECT_NE(redChannel->transitionTime, 7);

    // The panel's mode buttons: every selected channel takes the panel's timing, with
    // random or fixed lengths.
    Button* transitionMode = ButtonOf(CONTROL_SLIDERP, MODE_BUTTON_ID_OFFSET + CONTROL_TTIME);
    Button* delayMode = ButtonOf(CONTROL_SLIDERP, MODE_BUTTON_ID_OFFSET + CONTROL_DELAY);
    transitionMode->SelectCycle(0);
    Click(transitionMode);
    EXPECT_EQ(starsChannel->transitionRandom, 1);
    EXPECT_EQ(redChannel->transitionRandom, 1);
    EXPECT_FLOAT_EQ(starsChannel->transitionTime, redChannel->transitionTime);
    EXPECT_FLOAT_EQ(starsChannel->transitionLow, redChannel->transitionLow);
    EXPECT_EQ(animator.GetMode(CONTROL_TTIME), 1);
    delayMode->SelectCycle(1);
    Click(delayMode);
    EXPECT_EQ(starsChannel->delayRandom, 0);
    EXPECT_EQ(redChannel->delayRandom, 0);
    EXPECT_EQ(animator.GetMode(CONTROL_DELAY), 0);
    // Their modes are no animation of the selected channels.
    EXPECT_EQ(starsChannel->mode, ANIM_PING_PONG);

    // The panel's sliders set the times and ranges of both.
    transition->SetValue(8, 0);
    config.ApplySliderChange(transition, SLIDER_VALUE);
    EXPECT_FLOAT_EQ(starsChannel->transitionTime, 8);
    EXPECT_FLOAT_EQ(redChannel->transitionTime, 8);
    transition->SetMarkers(0, 4, MARKERS_LOW);
    config.ApplySliderChange(transition, SLIDER_LOW);
    float lowest, highest;
    transition->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(starsChannel->transitionLow, lowest);
    EXPECT_FLOAT_EQ(redChannel->transitionLow, lowest);
    Slider* delay = SliderOf(CONTROL_SLIDERP, CONTROL_DELAY);
    delay->SetMarkers(0, 0.5f, MARKERS_LOW);
    delay->SetMarkers(16, 0, MARKERS_HIGH);
    delay->SetValue(3, 0);
    config.ApplySliderChange(delay, SLIDER_VALUE | SLIDER_HIGH);
    delay->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(redChannel->delay, 3);
    EXPECT_FLOAT_EQ(starsChannel->delayHigh, highest);
    EXPECT_FLOAT_EQ(animator.Channel(CONTROL_DELAY)->high, 0);

    config.ClearSelection();
    EXPECT_EQ(config.selection.active, 0);
    EXPECT_EQ(red->flags & WIDGET_HIGHLIGHTED, 0);
    // A right press over the panel selects nothing.
    config.pointerOverPanel = 1;
    RightPress(red);
    EXPECT_EQ(config.selection.active, 0);
}

// Right-click, Ctrl and right-click, a press away: the file saved afterwards is the
// one saved before, byte for byte.
TEST_F(EditorTest, OpeningAndClosingThePropertiesPanelChangesNoChannel) {
    ASSERT_EQ(SaveBackground(&animator, BACKGROUND_FILE_NAME), 1);
    const std::string before = ReadWholeFile(BACKGROUND_FILE_NAME);
    RightPress(SliderOf(13, CONTROL_BGSNUMS));
    keyboard.SetKeyState(KEY_CTRL, 1);
    RightPress(SliderOf(13, CONTROL_BGSBCR));
    keyboard.SetKeyState(KEY_CTRL, 0);
    ASSERT_EQ(config.selection.Count(), 2);
    config.pointerX = config.pointerY = 200;
    config.HandlePointer(0, 0, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    config.HandlePointer(0, 0, MOUSE_LEFT_WENT_UP);
    EXPECT_EQ(config.selection.active, 0);
    EXPECT_FALSE(config.HasUnsavedChanges());
    ASSERT_EQ(SaveBackground(&animator, BACKGROUND_FILE_NAME), 1);
    EXPECT_EQ(ReadWholeFile(BACKGROUND_FILE_NAME), before);
}

TEST_F(EditorTest, ThePromptsYesSavesAndAFailedSaveKeepsTheOldFile) {
    ASSERT_EQ(SaveBackground(&animator, BACKGROUND_FILE_NAME), 1);
    const std::string before = ReadWholeFile(BACKGROUND_FILE_NAME);
    animator.SetHigh(CONTROL_BGSSZ, 9);

    config.ShowPrompt(PROMPT_BACKGROUND);
    Widget* yes = config.prompt.buttons.FindById(PROMPT_YES_ID);
    ASSERT_NE(yes, nullptr);

    // The temporary file cannot be made: the old file stays, the prompt goes, the info
    // line says why and the run goes on with the changes.
    ASSERT_TRUE(std::filesystem::create_directory(BACKGROUND_FILE_NAME ".tmp"));
    float x = yes->x + 1, y = yes->y + 1, d = 0;
    config.prompt.buttons.Dispatch(x, y, d, d, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN, 0);
    EXPECT_EQ(config.prompt.state, PROMPT_NONE);
    EXPECT_EQ(config.prompt.buttons.Count(), 0);
    EXPECT_EQ(ReadWholeFile(BACKGROUND_FILE_NAME), before);
    EXPECT_EQ(std::string(infoLine.text).rfind("Unable to save the background : ", 0), 0u)
        << infoLine.text;
    EXPECT_EQ(infoLine.held, 1);
    EXPECT_EQ(PendingError(), "");
    EXPECT_TRUE(config.HasUnsavedChanges());

    // Asked again, "Yes" saves the changes and answers.
    ASSERT_TRUE(std::filesystem::remove(BACKGROUND_FILE_NAME ".tmp"));
    config.ShowPrompt(PROMPT_ANIMATION);
    EXPECT_STREQ(config.prompt.buttons.FindById(PROMPT_NO_ID)->text,
                 "Quit without saving the animation");
    yes = config.prompt.buttons.FindById(PROMPT_YES_ID);
    x = yes->x + 1;
    y = yes->y + 1;
    config.prompt.buttons.Dispatch(x, y, d, d, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN, 0);
    EXPECT_EQ(config.prompt.state, PROMPT_ANSWERED);
    VxAnimator loaded;
    ASSERT_EQ(LoadBackground(&loaded, BACKGROUND_FILE_NAME), 1);
    EXPECT_FLOAT_EQ(loaded.Channel(CONTROL_BGSSZ)->high, 9);
    EXPECT_EQ(config.EditorInput(), 0);
}

// A user's gui.cfg whose properties panel begins with a "Background" of no corners
// (only a texture): the panel has no area, and the hit test reads no vertex before the
// array's start (the sanitizers stop the test if it does).
TEST_F(EditorTest, APanelPolygonWithoutCornersHasNoArea) {
    WriteWholeFile("gui.cfg",
                   "CurrentGuiConfig = Bare\n"
                   "{ = GuiConfig, Bare\n"
                   "    { = Textures\n"
                   "        Face = t.bmp\n"
                   "    }\n"
                   "    { = General\n"
                   "    }\n"
                   "    { = SLIDERP\n"
                   "        Background = Face\n"
                   "        Background = {-200, 300, 0, 0, 0, 9, 9, 9, 0}\n"
                   "    }\n"
                   "    { = BGSTARFIELD1\n"
                   "        BGSBCR = 40, 40, 16, 200, 255, 0, 20, 1, \"Red\"\n"
                   "    }\n"
                   "}\n");
    ASSERT_EQ(config.LoadGuiConfig(480, 0, 160, 480), 1) << PendingError();
    config.StartController();
    ASSERT_EQ(config.layout.pages[CONTROL_SLIDERP].polygons[0].count, 0);
    for (float x : {-1000.0f, 300.0f, 1000.0f}) {
        config.pointerX = x;
        config.pointerY = 300;
        EXPECT_EQ(config.HandlePointer(0, 0, MOUSE_RIGHT | MOUSE_RIGHT_WENT_DOWN), 1);
        EXPECT_EQ(config.pointerOverPanel, 0);
        config.DrawEditor();
    }
}

TEST_F(EditorTest, SaveWritesTheUsersOwnBackgroundWhichLoadPrefersToTheShippedOne) {
    // As the installed program: the shipped background in the data folder (the working
    // directory), the program elsewhere, the user's own folder elsewhere again.
    const std::string own = scratch.Path() + "/own/", users = own + BACKGROUND_FILE_NAME;
    ASSERT_EQ(Platform().createDirectory(own.c_str()), 1);
    scratchLog.SetUserDirectory(own);
    scratchLog.SetCommandLine("\"" + scratch.Path() + "/system/Novadrift.scr\" /c");
    ASSERT_EQ(SaveBackground(&animator, BACKGROUND_FILE_NAME), 1);
    const std::string shipped = ReadWholeFile(BACKGROUND_FILE_NAME);
    const float shippedHigh = animator.Channel(CONTROL_BGSSZ)->high;

    animator.SetHigh(CONTROL_BGSSZ, 9);
    Click(ButtonOf(13, CONTROL_SAVE));
    EXPECT_EQ(ReadWholeFile(BACKGROUND_FILE_NAME), shipped);
    VxAnimator saved;
    ASSERT_EQ(LoadBackground(&saved, users.c_str()), 1);
    EXPECT_FLOAT_EQ(saved.Channel(CONTROL_BGSSZ)->high, 9);

    animator.SetHigh(CONTROL_BGSSZ, 3);
    Click(ButtonOf(13, CONTROL_LOAD));
    EXPECT_FLOAT_EQ(animator.Channel(CONTROL_BGSSZ)->high, 9);
    ASSERT_EQ(std::remove(users.c_str()), 0);
    Click(ButtonOf(13, CONTROL_LOAD));
    EXPECT_FLOAT_EQ(animator.Channel(CONTROL_BGSSZ)->high, shippedHigh);
}
