// The unsaved-changes prompt on its own: asked once, its buttons' places, faces and
// captions, what a press on each does with the owner's answer, and its box drawn over
// the scene. What "Yes" saves is the editor's (test_editor.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "editorprompt.h"
#include "gui/bitmapfont.h"
#include "gui/mouse.h"
#include "picture_test_support.h"
#include "recording_screen.h"

namespace {

struct Answers {
    std::vector<int> heard;
    int result = 1;
};

int Answer(void* owner, int yes) {
    Answers* answers = static_cast<Answers*>(owner);
    answers->heard.push_back(yes);
    return answers->result;
}

void Press(EditorPrompt& prompt, int32_t id) {
    Widget* button = prompt.buttons.FindById(id);
    ASSERT_NE(button, nullptr);
    float x = button->x + 1, y = button->y + 1, d = 0;
    prompt.buttons.Dispatch(x, y, d, d, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN, 0);
}

}  // namespace

TEST(EditorPrompt, AsksOnceAndEachAnswerGoesToTheOwner) {
    PictureRegistry registry;  // a glb for the screen
    CurrentTestScreen current;
    Answers answers;
    InfoLine captions;
    EditorPrompt prompt;
    prompt.Setup(Answer, &answers, nullptr, &captions);
    prompt.Show(PROMPT_BACKGROUND);
    prompt.Show(PROMPT_ANIMATION);
    ASSERT_EQ(prompt.buttons.Count(), 2);
    EXPECT_EQ(prompt.state, PROMPT_SHOWN);
    EXPECT_EQ(prompt.kind, PROMPT_BACKGROUND);
    Widget* yes = prompt.buttons.FindById(PROMPT_YES_ID);
    Widget* no = prompt.buttons.FindById(PROMPT_NO_ID);
    ASSERT_NE(yes, nullptr);
    ASSERT_NE(no, nullptr);
    EXPECT_FLOAT_EQ(yes->x, 160);
    EXPECT_FLOAT_EQ(no->x, 395);
    EXPECT_FLOAT_EQ(no->y, 239);
    EXPECT_STREQ(static_cast<Button*>(yes)->FaceText(), "Yes");
    EXPECT_STREQ(yes->text, "Save the background before quiting");
    EXPECT_STREQ(no->text, "Quit without saving the background");

    // The box over the scene with its two dividers, then the buttons.
    current.screen.Forget();
    Camera camera;
    prompt.Draw(&camera);
    ASSERT_GE(current.screen.drawn.size(), 2u);
    EXPECT_FLOAT_EQ(current.screen.drawn[0][0].x, 120);
    EXPECT_FLOAT_EQ(current.screen.drawn[0][2].y, 265);
    EXPECT_EQ(current.screen.drawn[1].size(), 9u);

    // An answer the owner refuses closes the prompt; one it takes answers it.
    answers.result = 0;
    Press(prompt, PROMPT_YES_ID);
    EXPECT_EQ(prompt.state, PROMPT_NONE);
    EXPECT_EQ(prompt.buttons.Count(), 0);
    EXPECT_STREQ(captions.text, "Save the background before quiting");
    answers.result = 1;
    prompt.Show(PROMPT_ANIMATION);
    EXPECT_STREQ(prompt.buttons.FindById(PROMPT_NO_ID)->text, "Quit without saving the animation");
    Press(prompt, PROMPT_NO_ID);
    EXPECT_EQ(prompt.state, PROMPT_ANSWERED);
    EXPECT_EQ(answers.heard, (std::vector<int>{1, 0}));
    prompt.Close();
    EXPECT_EQ(prompt.state, PROMPT_NONE);
}
