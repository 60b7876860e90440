// VxConfig, the in-saver editor, and what its layout file gui.cfg gives it: the
// bitmaps named as texture defines, 43 pages of widgets and textured background
// polygons with their shortcut keys, and the animation defaults set when the layout is
// read (guiconfig.cpp); then the controller that runs the pages (editor.cpp): page
// choice, what the widgets do to the animation channels, the slider selection with its
// properties panel, the unsaved-changes prompt and the editor's drawing.
#pragma once

#include <cstdint>

#include "animator.h"
#include "ansi/bitmap.h"
#include "base/camera.h"
#include "base/screenb.h"
#include "base/texture.h"
#include "gui/button.h"
#include "llist.h"

class BitmapFont;
class InfoLine;
class Kcbl;

#define GUI_CONFIG_FILE_NAME "gui.cfg"
#define EDITOR_PAGE_COUNT 43
// Define names are shorter than 32 characters, bitmap file names than 260.
#define TEXTURE_DEFINE_NAME_SIZE 32
#define TEXTURE_DEFINE_FILE_SIZE 260
// Vertices a "Background" polygon holds; further arrays of the item are ignored.
#define BACKGROUND_VERTEX_COUNT 4
// Identifier of a slider's animation-mode button: the slider's identifier plus this.
#define MODE_BUTTON_ID_OFFSET 2000
// Identifier of a button that puts a channel back as it was saved: the channel plus this.
#define RESTORE_BUTTON_ID_OFFSET 1000
// The prompt's buttons.
#define PROMPT_YES_ID 10000
#define PROMPT_NO_ID 10001

// The prompt's states and kinds.
enum PromptState { PROMPT_NONE = 0, PROMPT_SHOWN = 1, PROMPT_ANSWERED = 2 };
enum PromptKind { PROMPT_BACKGROUND = 0, PROMPT_ANIMATION = 1 };

// Pages shown in turn under one page number: the group remembers the member last shown.
#define PAGE_GROUP_MEMBERS 2
struct PageGroup {
    int32_t group;
    int32_t remembered;
    int32_t members[PAGE_GROUP_MEMBERS + 1];  // ended by 0
};
#define PAGE_GROUP_COUNT 1

// One bitmap of the "Textures" chunk and the surface made from the whole of it.
struct TextureDefine {
    char name[TEXTURE_DEFINE_NAME_SIZE];
    char fileName[TEXTURE_DEFINE_FILE_SIZE];
    Bitmap bitmap;
    CSurface surface;
};

// One editor page, by page number: its background polygons (drawn behind its widgets),
// its widgets and its shortcut key (0: none).
struct EditorPage {
    struct Polygon* polygons;
    int32_t polygonCount;
    WidgetGroup widgets;
    int16_t shortcut;
};

class VxConfig {
public:
    VxConfig();
    ~VxConfig();
    VxConfig(const VxConfig&) = delete;
    VxConfig& operator=(const VxConfig&) = delete;

    // Reads gui.cfg from the working directory into the texture defines and pages, the
    // file's coordinates taken from the panel's top-left corner (x, y); sets every
    // channel's transition and hold defaults and keeps the channels as the saved
    // animation. Textures are made on the current screen. 1 loaded; 0 with the error
    // recorded and nothing kept. What was loaded before is freed first.
    int LoadGuiConfig(float x, float y, float width, float height);
    // The define's surface and, when asked, its bitmap; null (and "Unable to find the
    // \"%s\" texture" recorded) when no define has that name.
    const CSurface* FindTexture(const char* name, Bitmap** bitmap = nullptr);
    // Draws page n's polygons, then its widgets, in the current view.
    int DrawPage(int32_t n);
    // Page n's slider or button of that identifier; null when it has none.
    Slider* FindSlider(int32_t n, int32_t id);
    Button* FindButton(int32_t n, int32_t id);
    // Frees the pages' polygons and widgets and the texture defines.
    void FreeGuiConfig();

    float panelLeft, panelTop, panelRight, panelBottom;
    // What the layout animates and how its widgets report; set before loading.
    VxAnimator* animator;
    WidgetCallback widgetCallback;
    LList textureDefines;  // TextureDefine records, owned
    EditorPage pages[EDITOR_PAGE_COUNT];
    // The channels as last loaded or saved: the reference for unsaved changes.
    SliderChannel savedAnimation[CONTROL_COUNT];

    // ------------------------------------------------------------ the controller (editor.cpp)

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
    // mode, timing, and the value of a channel that is not animated).
    bool HasUnsavedChanges();
    // Asks whether to save before leaving (PromptKind); nothing while one is shown.
    void ShowPrompt(int32_t kind);
    void ClosePrompt();
    // The selected sliders lose their highlight and the properties panel goes.
    void ClearSelection();
    // A key-down that is a page's shortcut (letters whatever their case) shows that
    // page; nothing in text mode or for the page on show. 1 when a page was chosen.
    int TakeShortcut(int32_t code);
    // A knob or button held now is let go as a release away from it would: its channel
    // animates again. For when the pages stop hearing the pointer.
    void ReleasePointer();
    // Where the background file is saved and loaded from.
    static const char* BackgroundFilePath();
    // One frame of pointer input from the mouse's ring: movement up to and with the
    // first press or release. 1 go on, 0 leave.
    int EditorInput();
    // One frame of pointer input: the movement and the or-ed button word (MouseButton
    // bits) go to the prompt, the page and the properties panel. 1 go on, 0 leave.
    int HandlePointer(int32_t dx, int32_t dy, int32_t buttons);
    // The info line, the properties panel, the current page, the slider numbers, the
    // prompt and the pointer, in the editor's 2-D view.
    void DrawEditor();
    // The controller as a new run starts it: page 12's member, no selection, no prompt,
    // the pointer at the top left.
    void StartController();
    // Frees the prompt, the selection, the layout and the pointer sprite.
    void StopController();
    // Saves BGround.qvb; a failure leaves the old file and says why in the info line.
    int SaveBackgroundFile();

    Camera camera;  // the editor's 2-D view
    BitmapFont* font = nullptr;
    InfoLine* infoLine = nullptr;
    int32_t currentPage = 0;
    LList selection;  // the selected sliders, not owned
    int32_t selectionActive = 0;
    int32_t pointerOverPanel = 0;
    float pointerX = 0.0f, pointerY = 0.0f;  // within 0..640 and 0..480
    int32_t quit = 0;
    int32_t promptState = PROMPT_NONE;
    int32_t promptKind = PROMPT_BACKGROUND;
    WidgetGroup prompt;
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

private:
    struct ItemValues;

    int LoadTextures(Kcbl& config);
    int ReadLayout(Kcbl& config, ItemValues& values);
    // The chunk under the cursor, read into the page.
    void ReadPage(Kcbl& config, EditorPage& page, ItemValues& values);
    void ReadBackgrounds(Kcbl& config, EditorPage& page);
    void AddSlider(Kcbl& config, EditorPage& page, const SliderTableRow& row, ItemValues& values);
    void AddModeButton(EditorPage& page, const SliderTableRow& row, const ItemValues& values);
    void AddButton(Kcbl& config, EditorPage& page, const SliderTableRow& row, ItemValues& values);
    // The page's group owns the widget from then on; 0 (and the widget freed) when it
    // could not be added.
    int AddWidget(EditorPage& page, Widget* widget);
    void ReadShortcuts(Kcbl& config);
    void SetAnimationDefaults();

    // The controller's own steps (editor.cpp).
    void SliderEvent(Slider* slider, int32_t event, int32_t buttons, int32_t result);
    void ButtonEvent(Button* button);
    void SelectSlider(Slider* slider);
    // A timing field of every selected slider's channel.
    template <typename Value>
    void SetSelected(Value SliderChannel::*field, Value value);
    // The channel of the first selected slider, whose timing the panel shows; null
    // without a selection.
    const SliderChannel* FirstSelectedChannel();
    // Every selected channel takes the first one's transition (CONTROL_TTIME) or hold
    // timing whole, as the panel shows it.
    void ShareTiming(int32_t timing);
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
    // The pending error, after what failed, in the info line for a few seconds and in
    // the log; the error is then cleared, as the run goes on.
    void ReportFailure(const char* what);
    void AddPromptButton(int32_t id, float x, const char* face, float faceX, Rgba colour,
                         const char* caption);
    static void PromptEvent(Widget* widget, int32_t event, int32_t buttons, void* editor,
                            int32_t result);
    void DrawPrompt();
    void DrawPointer();
};
