// VxConfig, the in-saver editor. It owns the layout read from gui.cfg (guilayout.h),
// the unsaved-changes prompt (editorprompt.h) and the slider selection of the
// properties panel (sliderselection.h). The controller that runs the pages is in
// vxconfig.cpp: page choice, what the widgets do to the animation channels, the
// channels as saved, pointer input and the editor's drawing. What each key does is in
// editorkeys.cpp; the run the editor belongs to (vx_init, EditorFrame, EditorExit, the
// overlays) in editor.cpp. A run's VxConfig is its EditorRun's (editor.h).
#pragma once

#include <cstdint>

#include "animator.h"
#include "base/camera.h"
#include "base/texture.h"
#include "editorprompt.h"
#include "gui/bitmapfont.h"
#include "gui/button.h"
#include "gui/keyboard.h"
#include "guilayout.h"
#include "run.h"
#include "sliderselection.h"

class SceneObject;

// Pages shown in turn under one page number: the group remembers the member last shown.
#define PAGE_GROUP_MEMBERS 2
struct PageGroup {
    int32_t group;
    int32_t remembered;
    int32_t members[PAGE_GROUP_MEMBERS + 1];  // ended by 0
};
#define PAGE_GROUP_COUNT 1

// What a key command asks of the frame.
enum KeyResult { FRAME_LEAVE = 0, FRAME_GO_ON = 1 };

class VxConfig {
public:
    VxConfig();
    ~VxConfig();
    VxConfig(const VxConfig&) = delete;
    VxConfig& operator=(const VxConfig&) = delete;

    // ------------------------------------------------------------ the layout

    // Reads gui.cfg into the layout (panel corner x, y); every channel then gets its
    // transition and hold defaults, and the channels are kept as the saved animation.
    // 1 loaded; 0 with the error recorded and nothing kept.
    int LoadGuiConfig(float x, float y, float width, float height);

    // ------------------------------------------------------------ the controller

    // Makes n the current page. A page group's number shows the member it remembers
    // (result 0); a member of a group becomes the one its group remembers (result 1).
    int SetPage(int32_t n);
    // The next (+1) or previous (-1) member of n's page group, wrapping round; n itself
    // when it belongs to no group.
    int32_t StepPage(int32_t n, int32_t direction) const;
    // The page that shows a scene object's parameters.
    static int32_t ScenePage();
    // The callback of every page widget; editor is the VxConfig.
    static void WidgetEvent(Widget* widget, int32_t event, int32_t buttons, void* editor,
                            int32_t result);
    // What a slider's drag changed (SliderChange bits) reaches the channels and scene.
    void ApplySliderChange(Widget* widget, int32_t result);
    // Page n's sliders and mode buttons follow the channels and the scene.
    void RefreshPage(int32_t n);
    // Channel id (-1: all) as it was last saved or loaded.
    void RestoreChannels(int32_t id);
    // Keeps every channel as it is now: the state a background file holds.
    void SnapshotChannels();
    // Whether a saved channel differs from its snapshot in what the user sets (range,
    // mode, timing, and the value of a channel that is not animated). A knob held now
    // counts with the mode its channel goes back to.
    bool HasUnsavedChanges();
    // Asks whether to save before leaving (PromptKind); nothing while one is shown.
    void ShowPrompt(int32_t kind);
    void ClosePrompt();
    // The selected sliders lose their highlight and the properties panel goes.
    void ClearSelection();
    // A knob or button held now is let go as a release away from it would: its channel
    // animates again. For when the pages stop hearing the pointer.
    void ReleasePointer();
    // One frame of pointer input from the mouse's ring: movement up to and with the
    // first press or release. 1 go on, 0 leave.
    int EditorInput();
    // One frame of pointer input: the movement and the or-ed button word (MouseButton
    // bits) go to the prompt, the page and the properties panel. 1 go on, 0 leave.
    int HandlePointer(int32_t dx, int32_t dy, int32_t buttons);
    // The info line, the properties panel, the current page, the mark of unsaved
    // changes, the slider numbers, the prompt and the pointer, in the 2-D view.
    void DrawEditor();
    // The controller as a new run starts it: page 12's member, no selection, no prompt,
    // the pointer at the top left.
    void StartController();
    // Frees the prompt, the selection, the layout and the pointer sprite.
    void StopController();
    // Saves the background file, with a held knob's channel in the mode it goes back
    // to; the info line says it was saved, or why not (the old file then stays).
    int SaveBackgroundFile();

    // ------------------------------------------------------------ keys (editorkeys.cpp)

    // Every key-down event waiting, then F9's state: FRAME_LEAVE when a key leaves.
    int TakeKeys(Keyboard* keyboard);
    // One key-down event.
    int TakeKey(const KeyEvent& event);
    // A key-down that is a page's shortcut (letters whatever their case) shows that
    // page; nothing in text mode or for the page on show. 1 when a page was chosen.
    int TakeShortcut(int32_t code);

    // ------------------------------------------------------------ the run (editor.cpp)

    // Shows or hides the panel: the scene takes the whole screen while it is hidden.
    void ShowEditor(int visible);
    // Creates a scene object; one that cannot make its textures only leaves its layers
    // plain: the reason goes to the log and the run goes on.
    static void CreateScene(SceneObject* scene);

    GuiLayout layout;
    EditorPrompt prompt;
    SliderSelection selection;
    // What the controller animates (the run's) and how its widgets report; set before
    // loading.
    VxAnimator* animator = nullptr;
    WidgetCallback widgetCallback = nullptr;
    // The channels as last loaded or saved: the reference for unsaved changes.
    SliderChannel savedAnimation[CONTROL_COUNT];

    Camera camera;  // the editor's 2-D view
    BitmapFont* font = nullptr;
    InfoLine* infoLine = nullptr;
    int32_t currentPage = 0;
    int32_t pointerOverPanel = 0;
    float pointerX = 0.0f, pointerY = 0.0f;  // within 0..640 and 0..480
    int32_t quit = 0;
    PageGroup pageGroups[PAGE_GROUP_COUNT] = {{CONTROL_BGSTARFIELD,
                                               CONTROL_BGSTARFIELD1,
                                               {CONTROL_BGSTARFIELD1, CONTROL_BGSTARFIELD2, 0}}};
    CSurface pointerSprite;
    // While a knob is dragged its channel does not animate: the slider and the mode it
    // had.
    Slider* draggedSlider = nullptr;
    int32_t draggedMode = 0;
    // Whether the pages get pointer input: not while the editor is hidden.
    int32_t inputEnabled = 1;
    // Set when a right press selected a slider this frame: that press is no press
    // outside the panel.
    int32_t selectedThisFrame = 0;

    // The run the editor works in; the font every text is drawn with and the caption box
    // (font and infoLine point at these in a run).
    Run* run = nullptr;
    BitmapFont textFont;
    InfoLine captions;

private:
    // Random transitions of 1 to 10 seconds around the "TTIME" value and random holds
    // up to a second around the "DELAY" value for every channel.
    void SetAnimationDefaults();
    void SliderEvent(Slider* slider, int32_t event, int32_t buttons, int32_t result);
    void ButtonEvent(Button* button);
    void SelectSlider(Slider* slider);
    // The action's result, with a dragged knob's channel in the mode it had before the
    // drag meanwhile.
    template <typename Action>
    auto WithDraggedModeBack(Action action) {
        if (!draggedSlider || !animator) return action();
        const int32_t id = draggedSlider->id;
        animator->SetMode(id, draggedMode);
        auto result = action();
        animator->SetMode(id, ANIM_NONE);
        return result;
    }
    bool ChannelsDifferFromSaved();
    // The dragged knob's channel animates again and counts as changed.
    void EndKnobDrag();
    void StepScene(int direction);
    int LoadBackgroundFile();
    // The pending error, after what failed, held in the info line until the next
    // action, and in the log; the error is then cleared, as the run goes on.
    void ReportFailure(const char* what);
    // The prompt's answer: "Yes" saves when there is something to save.
    static int AnswerPrompt(void* editor, int yes);
    // Whether a modifier key (KEY_SHIFT, KEY_CTRL) is held (editorkeys.cpp).
    static int ModifierHeld(int code);
    // 1 when the key toggled an overlay (editorkeys.cpp).
    int ToggleOverlay(int32_t code);
    void DrawPointer();
};
