// The editor's unsaved-changes question: a box over the scene with "Yes" and "No"
// buttons in a widget group of its own. What an answer does is the owner's: the
// prompt only asks it, and then is answered or gone.
#pragma once

#include <cstdint>

#include "base/camera.h"
#include "gui/button.h"

class BitmapFont;
class InfoLine;

// The prompt's buttons.
#define PROMPT_YES_ID 10000
#define PROMPT_NO_ID 10001

// The prompt's states and kinds.
enum PromptState { PROMPT_NONE = 0, PROMPT_SHOWN = 1, PROMPT_ANSWERED = 2 };
enum PromptKind { PROMPT_BACKGROUND = 0, PROMPT_ANIMATION = 1 };

class EditorPrompt {
public:
    // The owner's part of an answer pressed: yes 1 for "Yes". 1 when the run may leave
    // (the prompt is then answered); 0 closes the prompt and the run stays.
    typedef int (*Answer)(void* owner, int yes);

    EditorPrompt(const EditorPrompt&) = delete;
    EditorPrompt& operator=(const EditorPrompt&) = delete;
    EditorPrompt() = default;

    // The answer function with its owner, the font of the buttons' faces and the info
    // line that shows their captions.
    void Setup(Answer answer, void* owner, BitmapFont* font, InfoLine* captions);
    // Asks about the background or the animation (PromptKind); nothing while shown.
    void Show(int32_t kind);
    // Removes the buttons; no question is shown.
    void Close();
    // The box, its title, its question and the buttons, in the 2-D view given.
    void Draw(const Camera* camera);

    int32_t state = PROMPT_NONE;
    int32_t kind = PROMPT_BACKGROUND;
    WidgetGroup buttons;

private:
    void AddButton(int32_t id, float x, const char* face, float faceX, Rgba colour,
                   const char* caption);
    static void Event(Widget* widget, int32_t event, int32_t buttons, void* prompt, int32_t result);

    Answer answer = nullptr;
    void* owner = nullptr;
    BitmapFont* font = nullptr;
    InfoLine* captions = nullptr;
};
