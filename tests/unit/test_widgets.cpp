// Sliders, buttons and widget groups driven the way the editor drives them, with the
// mouse's button words and the keyboard's event ring, drawn on a capturing screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ansi/memory.h"
#include "gui/button.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"

namespace {

struct Heard {
    int32_t id, event, buttons, result;
};

void Record(Widget* widget, int32_t event, int32_t buttons, void* userData, int32_t result) {
    static_cast<std::vector<Heard>*>(userData)->push_back({widget->id, event, buttons, result});
}

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedScreen = glb->currentScreen;
        glb->currentScreen = &screen;
        group.SetKeyboard(&keyboard);
    }
    void TearDown() override {
        group.RemoveAll();
        glb->currentScreen = savedScreen;
        ClearError();
    }

    template <typename T>
    T* Add(T* widget) {
        widget->SetCallback(Record, &heard);
        EXPECT_EQ(group.Add(widget), 1);
        return widget;
    }
    Button* AddButton(int32_t id, float x, float y, float w, float h, int32_t cycles,
                      int32_t userFlags = 0) {
        Button* button = XNEW(Button);
        EXPECT_EQ(button->InitButton(id, x, y, w, h, cycles, userFlags), 1);
        return Add(button);
    }
    // Range 255 at the top to 0 at the bottom.
    Slider* AddColourSlider(int32_t id, float x, float y, float value) {
        Slider* slider = XNEW(Slider);
        EXPECT_EQ(slider->InitSlider(id, x, y, 16, 100, 255, 0, value, 1, SLIDER_STYLE), 1);
        return Add(slider);
    }

    // One dispatch with a button word; the pointer as the widgets leave it.
    int Dispatch(float x, float y, int32_t buttons, float dy = 0) {
        px = x;
        py = y;
        float dx = 0;
        return group.Dispatch(px, py, dx, dy, buttons, 0);
    }
    void Press(float x, float y, int32_t button = MOUSE_LEFT) {
        Dispatch(x, y, button | button << 8);
    }
    void Release(float x, float y, int32_t button = MOUSE_LEFT) { Dispatch(x, y, button << 16); }
    void Click(float x, float y, int32_t button = MOUSE_LEFT) {
        Press(x, y, button);
        Release(x, y, button);
    }
    void Type(int code) {
        keyboard.AddEvent(code, 1, 0);
        keyboard.AddEvent(code, 0, 0);
    }
    std::string Events() const {
        std::string text;
        for (const Heard& h : heard)
            text += std::to_string(h.id) + ":" + std::to_string(h.event) + " ";
        return text;
    }

    TestSystem system;
    CapturingScreen screen;
    Keyboard keyboard;
    WidgetGroup group;
    std::vector<Heard> heard;
    float px = 0, py = 0;
    Screen* savedScreen = nullptr;
};

}  // namespace

// ---------------------------------------------------------------- the group

TEST_F(WidgetTest, FirstAddedWinsAndHiddenWidgetsAreLeftOut) {
    Button* first = AddButton(1, 10, 10, 40, 20, 2);
    Button* second = AddButton(2, 30, 10, 40, 20, 2);
    Button* hidden = AddButton(3, 0, 0, 100, 100, 2);
    hidden->SetFlags(WIDGET_HIDDEN);
    first->SelectCycle(0);
    // Edges count as inside.
    EXPECT_EQ(group.HitTest(50, 30), first);
    EXPECT_EQ(group.HitTest(51, 30), second);
    EXPECT_EQ(group.HitTest(5, 5), nullptr);

    Click(40, 20);
    EXPECT_EQ(first->CurrentCycle(), 1);
    EXPECT_EQ(second->CurrentCycle(), -1);
    EXPECT_EQ(Events(), "1:1 1:3 1:2 1:0 ");
    // The hidden one was under the pointer too, but heard nothing and did not cycle.
    EXPECT_EQ(hidden->CurrentCycle(), -1);

    // Not drawn: the two visible buttons give one quad and one outline each.
    group.DrawAll();
    EXPECT_EQ(screen.drawn.size(), 4u);
    // Shown again, it is drawn and hit where nothing else is.
    hidden->ClearFlags(WIDGET_HIDDEN);
    EXPECT_EQ(group.HitTest(5, 5), hidden);
}

TEST_F(WidgetTest, FiveCycleButtonWrapsBothWays) {
    Button* button = AddButton(2004, 0, 0, 16, 16, 5);
    const char* captions[] = {"none", "random", "up", "down", "ping pong"};
    for (int n = 0; n < 5; ++n) ASSERT_EQ(button->SetCycleCaption(n, captions[n]), 1);
    EXPECT_EQ(button->CurrentCycle(), 0);
    ASSERT_EQ(button->SelectCycle(4), 1);
    EXPECT_STREQ(button->text, "ping pong");

    Click(8, 8, MOUSE_LEFT);
    EXPECT_EQ(button->CurrentCycle(), 0);
    EXPECT_STREQ(button->text, "none");
    Click(8, 8, MOUSE_RIGHT);
    EXPECT_EQ(button->CurrentCycle(), 4);
    EXPECT_STREQ(button->text, "ping pong");

    EXPECT_EQ(button->SetCycleColour(5, Rgba{1, 2, 3, 0}), 0);
    EXPECT_EQ(PendingError(), "Invalid cycle nr");
    EXPECT_EQ(button->SetCycleColour(-1, Rgba{1, 2, 3, 0}), 0);
    EXPECT_EQ(button->SelectCycle(5), 0);
    EXPECT_EQ(button->SetCycleCaption(0, std::string(91, 'x').c_str()), 0);
}

TEST_F(WidgetTest, ReleaseOffTheWidgetReachesItButIsNoClick) {
    Button* button = AddButton(7, 0, 0, 40, 20, 3);
    button->SelectCycle(0);
    Slider* slider = AddColourSlider(20, 100, 0, 128);
    const float knobY = slider->knob.top + 2;

    Press(20, 10);
    EXPECT_NE(button->pressedButtons, 0);
    Release(300, 300);
    // The pressed look ended with the release, but neither a click nor a new cycle.
    EXPECT_EQ(button->pressedButtons, 0);
    EXPECT_EQ(button->CurrentCycle(), 0);
    EXPECT_EQ(Events(), "7:1 7:3 ");

    heard.clear();
    Press(108, knobY);
    EXPECT_EQ(slider->drag, SLIDER_DRAG_KNOB);
    Release(300, 300);
    EXPECT_EQ(slider->drag, SLIDER_DRAG_NONE);
    EXPECT_EQ(Events(), "20:1 20:3 ");
    // With every button up the capture is gone: a press on nothing and a release over
    // the slider is no click either.
    EXPECT_EQ(group.Captured(), nullptr);
    heard.clear();
    Press(300, 300);
    Release(108, knobY);
    EXPECT_EQ(Events(), "20:0 ");
}

// ---------------------------------------------------------------- sliders

TEST_F(WidgetTest, SliderFromTwoHundredFiftyFiveDownToZero) {
    Slider* slider = AddColourSlider(17, 100, 50, 255);
    EXPECT_EQ(slider->direction, 1.0f);
    // Knob 5, travel 95: the margin is the value span of 7 units.
    const float m = 7.0f * 255 / 95;
    EXPECT_FLOAT_EQ(slider->margin, m);
    EXPECT_FLOAT_EQ(slider->topEnd, 255 + m);
    EXPECT_FLOAT_EQ(slider->bottomEnd, -m);
    EXPECT_FLOAT_EQ(slider->High(), 255 + m);
    EXPECT_FLOAT_EQ(slider->Low(), -m);
    float lowest, highest;
    slider->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(lowest, 0);
    EXPECT_FLOAT_EQ(highest, 255);

    // 255 sits at the top, just under the high marker; 0 at the bottom over the low one.
    const float top = 50 + 95 * m / (255 + 2 * m);
    EXPECT_FLOAT_EQ(slider->knob.top, top);
    EXPECT_FLOAT_EQ(slider->highMarker.top, 50);
    EXPECT_EQ(slider->SetValue(0, 0), 1);
    EXPECT_FLOAT_EQ(slider->knob.bottom, 150 - (top - 50));
    EXPECT_FLOAT_EQ(slider->lowMarker.bottom, 150);
    EXPECT_EQ(slider->SetValue(0, 0), 0);
    EXPECT_EQ(slider->SetValue(-40, 0), 0);

    // Dragging down lowers the value at the sensitivity, and the pointer stays on the knob.
    slider->SetValue(200, 0);
    Press(108, slider->knob.top + 2);
    const float grip = py - slider->knob.top;
    EXPECT_EQ(Dispatch(108, py, MOUSE_LEFT, 10), SLIDER_VALUE);
    EXPECT_FLOAT_EQ(slider->Value(), 190);
    EXPECT_FLOAT_EQ(py - slider->knob.top, grip);

    // A range from small at the top to large at the bottom works the other way round.
    Slider* camera = XNEW(Slider);
    ASSERT_EQ(camera->InitSlider(38, 0, 0, 16, 100, -50, 50, 0, 1, SLIDER_STYLE), 1);
    Add(camera);
    EXPECT_EQ(camera->direction, -1.0f);
    camera->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(lowest, -50);
    EXPECT_FLOAT_EQ(highest, 50);
    EXPECT_LT(camera->lowMarker.top, camera->knob.top);
    EXPECT_LT(camera->knob.top, camera->highMarker.top);
    EXPECT_EQ(camera->SetMarkers(20, -10, MARKERS_LOW | MARKERS_HIGH | MARKERS_FROM_LIMITS), 1);
    camera->GetValueLimits(&lowest, &highest);
    EXPECT_FLOAT_EQ(lowest, -10);
    EXPECT_FLOAT_EQ(highest, 20);
}

TEST_F(WidgetTest, KnobStopsAtTheHighMarkerLessTheMargin) {
    Slider* slider = AddColourSlider(23, 0, 0, 100);
    const float m = slider->margin;
    // The channel's range 50..200 as markers.
    ASSERT_EQ(slider->SetMarkers(200, 50, MARKERS_LOW | MARKERS_HIGH | MARKERS_FROM_LIMITS), 1);
    EXPECT_FLOAT_EQ(slider->High(), 200 + m);
    EXPECT_FLOAT_EQ(slider->Low(), 50 - m);

    Press(8, slider->knob.top + 2);
    ASSERT_EQ(slider->drag, SLIDER_DRAG_KNOB);
    Dispatch(8, py, MOUSE_LEFT, -500);
    EXPECT_FLOAT_EQ(slider->Value(), slider->High() - m);
    EXPECT_FLOAT_EQ(slider->Value(), 200);
    Release(8, py);

    // Dragging the high marker down pushes the knob along and stops 2m above the low one.
    Press(8, slider->highMarker.top + 2);
    ASSERT_EQ(slider->drag, SLIDER_DRAG_HIGH);
    EXPECT_EQ(Dispatch(8, py, MOUSE_LEFT, 500), SLIDER_VALUE | SLIDER_HIGH);
    EXPECT_FLOAT_EQ(slider->High(), slider->Low() + 2 * m);
    EXPECT_FLOAT_EQ(slider->Value(), 50);
    EXPECT_EQ(Dispatch(8, py, MOUSE_LEFT, 500), SLIDER_HIGH);
    Release(8, py);
    // The right button alone leaves the slider alone.
    Press(8, slider->lowMarker.top + 2, MOUSE_RIGHT);
    EXPECT_EQ(slider->drag, SLIDER_DRAG_NONE);
}

TEST_F(WidgetTest, SliderDrawsItsFourBoxesAndTheirEdges) {
    Slider* slider = AddColourSlider(18, 20, 40, 128);
    slider->SetColour(0, 128, 0);
    slider->SetFlags(WIDGET_HIGHLIGHTED);
    ASSERT_EQ(group.DrawAll(), 1);
    ASSERT_EQ(screen.drawn.size(), 2u);
    const std::vector<Vertex>& quads = screen.drawn[0];
    const std::vector<Vertex>& lines = screen.drawn[1];
    ASSERT_EQ(quads.size(), 16u);
    ASSERT_EQ(lines.size(), 32u);
    // The box, brighter while highlighted; the knob in the slider's colour; the markers.
    EXPECT_EQ(quads[0].r, 140);
    EXPECT_EQ(quads[0].b, 160);
    EXPECT_FLOAT_EQ(quads[0].x, 20);
    EXPECT_FLOAT_EQ(quads[2].y, 140);
    EXPECT_EQ(quads[4].g, 128);
    EXPECT_EQ(quads[4].r, 0);
    EXPECT_FLOAT_EQ(quads[4].y, slider->knob.top);
    EXPECT_FLOAT_EQ(quads[4].x, 21);
    EXPECT_FLOAT_EQ(quads[5].x, 35);
    EXPECT_EQ(quads[8].r, 80);
    EXPECT_FLOAT_EQ(quads[12].y, 40);
    // The track sunken (dark top edge), the knob raised (light top edge).
    EXPECT_EQ(lines[0].r, 0);
    EXPECT_EQ(lines[4].r, 220);
    EXPECT_FLOAT_EQ(lines[0].y, 40.5f);
    EXPECT_EQ(lines[8].r, 220);
    EXPECT_EQ(screen.surfaces.back(), nullptr);

    // No travel (both ends equal): the box and the knob only.
    screen.Forget();
    Slider* flat = XNEW(Slider);
    flat->InitSlider(19, 0, 0, 16, 100, 5, 5, 5, 1, SLIDER_STYLE);
    flat->Draw();
    XDELETE(flat);
    ASSERT_EQ(screen.drawn.size(), 2u);
    EXPECT_EQ(screen.drawn[0].size(), 8u);
    EXPECT_EQ(screen.drawn[1].size(), 8u);
}

// ---------------------------------------------------------------- buttons

TEST_F(WidgetTest, ButtonFaceIsTexturedDarkenedWhilePressedAndRaisedOrSunken) {
    CSurface base, own;
    Button* button = AddButton(4, 10, 20, 64, 16, 2);
    button->SetTexture(&base);
    button->SetCycleTexture(1, &own);
    ASSERT_EQ(button->SetCycleColour(0, Rgba{200, 30, 255, 0}), 1);
    button->SelectCycle(0);
    button->Draw();
    ASSERT_EQ(screen.drawn.size(), 2u);
    EXPECT_EQ(screen.surfaces[0], &base);
    EXPECT_EQ(screen.drawn[0][0].r, 200);
    EXPECT_FLOAT_EQ(screen.drawn[0][2].u, 1.0f);
    EXPECT_EQ(screen.drawn[1][0].r, 220);  // top edge light

    screen.Forget();
    Press(20, 25);
    button->Draw();
    EXPECT_EQ(screen.drawn[0][0].r, 150);
    EXPECT_EQ(screen.drawn[0][0].g, 0);
    EXPECT_EQ(screen.drawn[0][0].b, 205);
    EXPECT_EQ(screen.drawn[1][0].r, 0);  // top edge dark

    screen.Forget();
    Release(20, 25);
    button->Draw();
    EXPECT_EQ(button->CurrentCycle(), 1);
    EXPECT_EQ(screen.surfaces[0], &own);
    EXPECT_EQ(screen.drawn[0][0].r, 255);
}

TEST_F(WidgetTest, EditingTextTakesKeysUntilEnterEscapeOrAClickElsewhere) {
    Button* name = AddButton(10000, 0, 0, 80, 18, 1, BUTTON_EDITABLE);
    Button* other = AddButton(10001, 100, 0, 40, 18, 1);
    name->SetCycleText(0, "Sky", 8, 5);
    name->SelectCycle(0);
    keyboard.AddEvent('z', 1, 0);  // typed before: not part of the edit

    // A left click does not start editing; a right click does.
    Click(10, 10);
    EXPECT_FALSE(name->IsEditing());
    Click(10, 10, MOUSE_RIGHT);
    ASSERT_TRUE(name->IsEditing());
    EXPECT_TRUE(keyboard.IsTextMode());
    EXPECT_STREQ(name->FaceText(), "Sky_");

    Type('!');
    Type(KEY_BACKSPACE);
    Type(KEY_BACKSPACE);
    Type('e');
    Type(KEY_F1);  // no character
    Dispatch(300, 300, 0);
    EXPECT_STREQ(name->FaceText(), "Ske_");
    heard.clear();
    Type(KEY_ENTER);
    Type('x');  // after the end: left in the ring
    Dispatch(300, 300, 0);
    EXPECT_STREQ(name->FaceText(), "Ske");
    EXPECT_FALSE(keyboard.IsTextMode());
    EXPECT_EQ(Events(), "10000:4 ");

    // Escape puts the text back as it was.
    Click(10, 10, MOUSE_RIGHT);
    Type('s');
    Type(KEY_ESCAPE);
    Dispatch(10, 10, 0);
    EXPECT_FALSE(name->IsEditing());
    EXPECT_STREQ(name->FaceText(), "Ske");
    EXPECT_STREQ(name->SavedFaceText(), "Ske");

    // So does a click on another widget; the other widget gets its click.
    Click(10, 10, MOUSE_RIGHT);
    Type('s');
    Dispatch(10, 10, 0);
    EXPECT_STREQ(name->FaceText(), "Skes_");
    heard.clear();
    Click(120, 10);
    EXPECT_FALSE(name->IsEditing());
    EXPECT_FALSE(keyboard.IsTextMode());
    EXPECT_STREQ(name->FaceText(), "Ske");
    EXPECT_EQ(Events(), "10001:1 10001:3 10001:2 10001:0 ");
    (void)other;

    // The maximum length counts the cursor and the end of the text.
    name->SetMaxTextLength(6);
    Click(10, 10, MOUSE_RIGHT);
    Type('a');
    Type('b');
    Dispatch(10, 10, 0);
    EXPECT_STREQ(name->FaceText(), "Skea_");
}

TEST_F(WidgetTest, RemovedWidgetsAreFreedAndForgotten) {
    AddButton(1, 0, 0, 10, 10, 1);
    Button* second = AddButton(2, 20, 0, 10, 10, 1);
    Press(25, 5);
    EXPECT_EQ(group.Captured(), second);
    EXPECT_EQ(group.RemoveById(2), 1);
    EXPECT_EQ(group.Captured(), nullptr);
    EXPECT_EQ(group.RemoveById(2), 0);
    EXPECT_EQ(group.Count(), 1);
    EXPECT_EQ(group.FindById(1)->id, 1);
    Release(25, 5);
    EXPECT_EQ(group.RemoveAll(), 1);
    EXPECT_EQ(group.Count(), 0);
}
