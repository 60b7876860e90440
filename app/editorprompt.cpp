#include "editorprompt.h"

#include "ansi/memory.h"
#include "gui/bitmapfont.h"
#include "xsystem.h"

namespace {

// The box, its dividers, and where the buttons stand in it.
const float kBoxLeft = 120.0f, kBoxTop = 175.0f, kBoxRight = 495.0f, kBoxBottom = 265.0f;
const float kDividers[] = {195.0f, 231.0f};
const float kButtonTop = 239.0f, kButtonWidth = 40.0f, kButtonHeight = 18.0f;
const float kYesX = 160.0f, kNoX = 395.0f;

}  // namespace

void EditorPrompt::Setup(Answer answerFunction, void* answerOwner, BitmapFont* textFont,
                         InfoLine* captionLine) {
    answer = answerFunction;
    owner = answerOwner;
    font = textFont;
    captions = captionLine;
}

void EditorPrompt::AddButton(int32_t id, float x, const char* face, float faceX, Rgba colour,
                             const char* caption) {
    Button* button = XNEW(Button);
    if (!button->InitButton(id, x, kButtonTop, kButtonWidth, kButtonHeight, 1, 0)) {
        XDELETE(button);
        return;
    }
    button->SetFont(font);
    button->SetCallback(Event, this);
    button->SetCycleColour(0, colour);
    button->SetCycleText(0, face, faceX, 5.0f);
    button->SetCycleCaption(0, caption);
    if (buttons.Add(button)) return;
    button->Release();
    XDELETE(button);
}

void EditorPrompt::Show(int32_t newKind) {
    if (state == PROMPT_SHOWN) return;
    kind = newKind;
    const bool animation = kind == PROMPT_ANIMATION;
    AddButton(PROMPT_YES_ID, kYesX, "Yes", 8.0f, {50, 50, 60, 0},
              animation ? "Save the changed animation" : "Save the background before quiting");
    AddButton(
        PROMPT_NO_ID, kNoX, "No", 12.0f, {50, 55, 60, 0},
        animation ? "Quit without saving the animation" : "Quit without saving the background");
    state = PROMPT_SHOWN;
}

void EditorPrompt::Close() {
    buttons.RemoveAll();
    state = PROMPT_NONE;
}

// Pointer over a button: its caption; a press: the owner's answer.
void EditorPrompt::Event(Widget* widget, int32_t event, int32_t, void* prompt, int32_t) {
    EditorPrompt* self = static_cast<EditorPrompt*>(prompt);
    if (!self || !widget) return;
    if (self->captions) self->captions->SetText("%s", widget->text);
    if (event != WIDGET_PRESS) return;
    const int yes = widget->id == PROMPT_YES_ID;
    if (self->answer && !self->answer(self->owner, yes)) {
        self->Close();
        return;
    }
    self->state = PROMPT_ANSWERED;
}

void EditorPrompt::Draw(const Camera* camera) {
    Screen* screen = CurrentScreen();
    if (!screen) return;
    screen->SetView(camera);
    DrawOverlayBox(screen, kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, 30, 40, 50, kDividers, 2);
    const bool animation = kind == PROMPT_ANIMATION;
    if (font) {
        font->DrawText(animation ? "Unsaved animation" : "Unsaved background", 230.0f, 182.0f);
        font->DrawText(animation ? "You have changed the animation.\n"
                                   "Do you want to save the changes?"
                                 : "You have changed the background options.\n"
                                   "Do you want to save the new background?",
                       125.0f, 203.0f);
    }
    screen->SetView(camera);
    buttons.DrawAll();
}
