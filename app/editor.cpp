// The application's part of every frame and the in-saver editor's controller.
//
// Sections: the run's state and its overlays; the controller (pages, widget events,
// slider changes, channels, the prompt, input, drawing); vx_init; EditorFrame;
// EditorExit.
//
// The editor (mode 2) shows the scene in the left 480 x 466 of the virtual screen, the
// pages of gui.cfg on the right quarter and the info line below the scene; the plain
// saver (mode 1) shows the scene alone. Both take the same key commands, except Space,
// which hides and shows the editor.
#include "editor.h"

#include <cmath>
#include <cstdio>

#include "animator.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "bgfile.h"
#include "bground.h"
#include "editorlayout.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "intro.h"
#include "misc.h"
#include "settings.h"
#include "version.h"
#include "vxconfig.h"
#include "xsystem.h"

// ---------------------------------------------------------------- the run's state

namespace {

enum EditorMode { MODE_SAVER = 1, MODE_EDITOR = 2 };

const int kKeyF5 = KEY_F1 + 4;
const int kKeyF9 = KEY_F1 + 8;

// The pointer's picture, and its size when the picture is missing.
#define POINTER_TEXTURE "/textures/pointer."
const float kPointerFallbackSize = 12.0f;
// The highest identifier of an animation-mode button and of a restore button.
const int32_t kModeButtonLast = 2998;
const int32_t kRestoreButtonLast = 1998;

struct EditorState {
    int mode;
    VxAnimator* animator;
    IntroLogo* intro;
    int running;
    int stepping;  // the plain saver's animation, toggled by F9
    int editorVisible;
    // The overlays, toggled by keys.
    int showFrameRate;   // f
    int showStatistics;  // u
    int showHelp;        // F1
    int showSliderInfo;  // F5
    // Frames counted since the last measurement, its time, and the rate it gave.
    int32_t frames;
    int64_t measuredAt;
    long frameRate;
};

EditorState editor = {MODE_SAVER, nullptr, nullptr, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};

// Every text on screen; its caption box at the foot of the scene area.
BitmapFont font;
InfoLine infoLine;
// The editor controller: one for the program's life.
VxConfig config;

int KeyHeld(int code) {
    Keyboard* keyboard = glb ? glb->keyboard : nullptr;
    return keyboard && (keyboard->WasPressed(code) & KEYSTATE_HELD);
}

// The scene saved at the last exit, else the first; it is created here. A missing
// texture only leaves its layer plain, so the run goes on without the error.
void CreateScene(SceneObject* scene) {
    if (scene && !scene->Create()) {
        char message[ERROR_MESSAGE_SIZE];
        if (GetErrorMessage(message, sizeof message)) LogMessage(LOG_WARNING, "%s\n", message);
        ClearError();
    }
}

void SetBackground() {
    SceneList& scenes = Scenes();
    if (!scenes.FindById(Settings.backgroundNumber)) scenes.First();
    CreateScene(scenes.Current());
}

// Without the font the run goes on, only without text; the reason is in the log already.
void LoadFont() {
    if (font.Load(FONT_FILE_NAME, FONT_GLYPH_WIDTH, FONT_GLYPH_HEIGHT)) return;
    LogMessage(LOG_WARNING, "Unable to load font %s: no text is drawn\n", FONT_FILE_NAME);
    ClearError();
}

// 1 when the key toggled an overlay.
int ToggleOnKey(int32_t code) {
    switch (code) {
        case 'F':
            editor.showFrameRate = !editor.showFrameRate;
            return 1;
        case 'U':
            editor.showStatistics = !editor.showStatistics;
            return 1;
        case KEY_F1:
            editor.showHelp = !editor.showHelp;
            return 1;
        case kKeyF5:
            editor.showSliderInfo = !editor.showSliderInfo;
            infoLine.SetSliderInfoDisplay(editor.showSliderInfo);
            return 1;
        default:
            return 0;
    }
}

// The scene gets the left part of the screen while the editor shows, all of it
// otherwise; the frame starts afresh in the scene's colour, so no trail of the panel
// stays behind.
void SetSceneViewport(bool editorShown) {
    editor.animator->camera.SetViewport(editorShown ? kSceneWidth : kScreenWidth,
                                        editorShown ? kSceneHeight : kScreenHeight, 60.0f, 0.0f,
                                        0.0f, CAMERA_SQUARE);
}

void ShowEditor(int visible) {
    // Hidden, the editor hears no release: a knob held now is let go as a release would.
    if (!visible) config.ReleasePointer();
    editor.editorVisible = visible;
    config.inputEnabled = visible;
    SetSceneViewport(visible != 0);
    Rgba colour = {0, 0, 0, 0};
    ParameterReading reading;
    SceneObject* scene = Scenes().Current();
    uint8_t* parts[3] = {&colour.r, &colour.g, &colour.b};
    for (int i = 0; i < 3; ++i)
        if (scene && scene->GetParameter(CONTROL_BGSBCR + i, &reading))
            *parts[i] = ParameterByte(reading.value);
    if (Screen* screen = CurrentScreen()) screen->Clear(&colour, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
}

// Every key and pointer action of the editor, over the scene in the box style of the
// prompt: the key or action, then what it does.
const HelpEntry kHelpEntries[] = {
    {"F1", "Show or hide this help"},
    {"F5", "Show a slider's numbers"},
    {"F9", "Pause the saver's animation"},
    {"F12", "Save a screenshot in ScrShots"},
    {"f", "Show the frame rate"},
    {"u", "Show the draw statistics"},
    {"Space", "Hide or show the editor"},
    {"Escape", "Leave; asks about changes"},
    {"y / n", "Save and leave / just leave"},
    {"1 / 2", "Colours page / motion page"},
    {"B", "Back to the scene's pages"},
    {"Drag knob", "Set the slider's value"},
    {"Drag marker", "Set its animation range"},
    {"Shift+release", "Put the slider back as saved"},
    {"Mode button", "Left/right: next/previous mode"},
    {"Right-click", "Timing of the slider's moves"},
    {"Ctrl+right", "Add a slider to the timing"},
    {"Click away", "Close the timing panel"},
};
const int kHelpEntryCount = int(sizeof kHelpEntries / sizeof kHelpEntries[0]);

void DrawHelp(Screen* screen) {
    const float divider = kHelpTop + kHelpTitleHeight;
    const float bottom = divider + kHelpLineTop + float(kHelpEntryCount) * kHelpPitch;
    screen->SetView(&config.camera);
    DrawOverlayBox(screen, kHelpLeft, kHelpTop, kHelpRight, bottom, 30, 40, 50, &divider, 1);
    char title[32];
    std::snprintf(title, sizeof title, "Novadrift v%d.%d help", NOVADRIFT_VERSION_MAJOR,
                  NOVADRIFT_VERSION_MINOR);
    font.DrawText(title, kHelpTitleX, kHelpTop + 5);
    for (int i = 0; i < kHelpEntryCount; ++i) {
        const float y = divider + kHelpLineTop + float(i) * kHelpPitch;
        font.DrawText(kHelpEntries[i].key, kHelpLeft + kHelpInset, y);
        font.DrawText(kHelpEntries[i].action, kHelpLeft + kHelpInset + kHelpKeyWidth, y);
    }
}

// Counted every frame, so the rate is right as soon as it is shown.
void CountFrame() {
    ++editor.frames;
    int64_t now = TimerMilliseconds();
    if (now - editor.measuredAt > 1000) {
        editor.frameRate = long(editor.frames * 1000 / (now - editor.measuredAt));
        editor.frames = 0;
        editor.measuredAt = now;
    }
}

void DrawFrameRate() {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", editor.frameRate);
    font.DrawText(text, 1, 1);
}

void DrawStatistics(const Screen* screen) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "Draw info\nPoints         : %ld\nLines          : %ld\n"
                  "Linestrip      : %ld\nTriangles      : %ld\nTriangle strip : %ld\n"
                  "Triangle fan   : %ld\nQuads          : %ld\n",
                  long(screen->points), long(screen->lines), long(screen->lineStrips),
                  long(screen->triangles), long(screen->triangleStrips), long(screen->triangleFans),
                  long(screen->quads));
    font.DrawText(text, 10, 10);
}

}  // namespace

BitmapFont* EditorFont() {
    return &font;
}

InfoLine* EditorInfoLine() {
    return &infoLine;
}

VxAnimator* EditorAnimator() {
    return editor.animator;
}

VxConfig& Editor() {
    return config;
}

int AnimationStepping() {
    return editor.stepping;
}

int EditorVisible() {
    return editor.editorVisible;
}

// ---------------------------------------------------------------- pages

int VxConfig::SetPage(int32_t n) {
    if (n < 0 || n >= EDITOR_PAGE_COUNT) return 0;
    // A knob still held when its page goes away is let go: its channel animates again.
    if (draggedSlider && n != currentPage) {
        draggedSlider->drag = SLIDER_DRAG_NONE;
        pages[currentPage].widgets.captured = nullptr;
        EndKnobDrag();
    }
    for (const PageGroup& group : pageGroups)
        if (group.group == n) {
            currentPage = group.remembered;
            return 0;
        }
    for (PageGroup& group : pageGroups)
        for (const int32_t* member = group.members; *member; ++member)
            if (*member == n) group.remembered = n;
    currentPage = n;
    return 1;
}

int32_t VxConfig::StepPage(int32_t n, int32_t direction) const {
    for (const PageGroup& group : pageGroups) {
        int32_t count = 0, at = -1;
        for (; group.members[count]; ++count)
            if (group.members[count] == n) at = count;
        if (at < 0) continue;
        return group.members[(at + (direction < 0 ? count - 1 : 1)) % count];
    }
    return n;
}

int32_t VxConfig::ScenePage() {
    // The star field is the one kind of scene; its parameters are on page 12's group.
    return CONTROL_BGSTARFIELD;
}

void VxConfig::RefreshPage(int32_t n) {
    if (n < 0 || n >= EDITOR_PAGE_COUNT || !animator) return;
    SceneObject* scene = Scenes().Current();
    const SliderChannel* first = nullptr;
    if (selectionActive && selection.First())
        first = animator->Channel(static_cast<Slider*>(selection.Current())->id);
    LList& widgets = pages[n].widgets.widgets;
    for (bool more = widgets.First(); more; more = widgets.Next()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        if (widget->kind == WIDGET_SLIDER) {
            Slider* slider = static_cast<Slider*>(widget);
            const SliderChannel* channel = animator->Channel(slider->id);
            if (!channel) continue;
            const int32_t markers = MARKERS_LOW | MARKERS_HIGH | MARKERS_FROM_LIMITS;
            slider->SetMarkers(channel->high, channel->low, markers);
            if (slider->id == CONTROL_TTIME || slider->id == CONTROL_DELAY) {
                if (!first) continue;
                if (slider->id == CONTROL_TTIME) {
                    slider->SetMarkers(first->transitionHigh, first->transitionLow, markers);
                    slider->SetValue(first->transitionTime, 0);
                } else {
                    slider->SetMarkers(first->delayHigh, first->delayLow, markers);
                    slider->SetValue(first->delay, 0);
                }
                continue;
            }
            ParameterReading reading;
            if (!scene || !scene->GetParameter(slider->id, &reading)) continue;
            slider->SetValue(reading.value, 0);
            if (reading.coloured) slider->SetColour(reading.red, reading.green, reading.blue);
        } else if (widget->id >= MODE_BUTTON_ID_OFFSET && widget->id <= kModeButtonLast) {
            const SliderChannel* channel = animator->Channel(widget->id - MODE_BUTTON_ID_OFFSET);
            if (channel) static_cast<Button*>(widget)->SelectCycle(channel->mode);
        }
    }
}

namespace {

// Letters count whatever their case: Caps Lock or Shift does not change a command.
int32_t FoldLetter(int32_t code) {
    return code >= 'a' && code <= 'z' ? code - 'a' + 'A' : code;
}

}  // namespace

int VxConfig::TakeShortcut(int32_t code) {
    Keyboard* keyboard = glb ? glb->keyboard : nullptr;
    if (keyboard && keyboard->IsTextMode()) return 0;
    for (int32_t n = 0; n < EDITOR_PAGE_COUNT; ++n) {
        if (pages[n].shortcut == 0 || n == currentPage) continue;
        if (FoldLetter(pages[n].shortcut) != FoldLetter(code)) continue;
        SetPage(n == CONTROL_BGROUND ? ScenePage() : n);
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------- widget events

void VxConfig::WidgetEvent(Widget* widget, int32_t event, int32_t buttons, void* editor,
                           int32_t result) {
    VxConfig* self = static_cast<VxConfig*>(editor);
    if (!self || !widget) return;
    if (!(event == WIDGET_DRAG && result == 0) && self->infoLine)
        self->infoLine->SetText("%s", widget->text);
    if (widget->kind == WIDGET_SLIDER)
        self->SliderEvent(static_cast<Slider*>(widget), event, buttons, result);
    else if (widget->kind == WIDGET_BUTTON && event == WIDGET_CLICK)
        self->ButtonEvent(static_cast<Button*>(widget));
}

void VxConfig::SliderEvent(Slider* slider, int32_t event, int32_t buttons, int32_t result) {
    float lowest, highest;
    slider->GetValueLimits(&lowest, &highest);
    if (infoLine) infoLine->ShowSliderInfo(slider->Value(), lowest, highest);
    if (!animator) return;
    const bool knob = (result & SLIDER_DRAG_KNOB) != 0;
    if (event == WIDGET_PRESS && (buttons & MOUSE_LEFT) && knob) {
        // The animation would fight the hand: it rests until the knob is let go.
        EndKnobDrag();
        draggedSlider = slider;
        draggedMode = animator->GetMode(slider->id);
        animator->SetMode(slider->id, ANIM_NONE);
    } else if (event == WIDGET_CLICK && (buttons & MOUSE_LEFT) && knob) {
        EndKnobDrag();
        if (KeyHeld(KEY_SHIFT)) RestoreChannels(slider->id);
    } else if (event == WIDGET_PRESS && (buttons & MOUSE_RIGHT) && !pointerOverPanel) {
        if (!KeyHeld(KEY_CTRL)) ClearSelection();
        SelectSlider(slider);
    }
}

void VxConfig::ReleasePointer() {
    pages[currentPage].widgets.ReleaseCaptured();
    pages[CONTROL_SLIDERP].widgets.ReleaseCaptured();
    prompt.ReleaseCaptured();
    EndKnobDrag();
}

void VxConfig::EndKnobDrag() {
    if (!draggedSlider) return;
    const int32_t id = draggedSlider->id;
    draggedSlider = nullptr;
    if (!animator) return;
    animator->SetMode(id, draggedMode);
    animator->MarkChanged(id, 0);
}

// The panel shows the first selected slider's timing. Selecting changes no channel:
// the others take the panel's timing only when one of its controls is touched
// (ShareTiming), so opening and closing the panel leaves the background as it was.
void VxConfig::SelectSlider(Slider* slider) {
    slider->SetFlags(WIDGET_HIGHLIGHTED);
    bool listed = false;
    for (bool more = selection.First(); more; more = selection.Next())
        if (selection.Current() == slider) listed = true;
    if (!listed && !selection.AddBack(slider)) return;
    selectionActive = 1;
    selectedThisFrame = 1;
    const SliderChannel* first = FirstSelectedChannel();
    if (!first) return;
    animator->SetMode(CONTROL_TTIME, first->transitionRandom);
    animator->SetMode(CONTROL_DELAY, first->delayRandom);
}

const SliderChannel* VxConfig::FirstSelectedChannel() {
    if (!animator || !selectionActive || !selection.First()) return nullptr;
    return animator->Channel(static_cast<Slider*>(selection.Current())->id);
}

// Copied field by field from the first channel's record, not through the panel's
// slider, whose clamping would change a value that nobody touched.
void VxConfig::ShareTiming(int32_t timing) {
    const SliderChannel* shown = FirstSelectedChannel();
    if (!shown) return;
    const SliderChannel first = *shown;
    if (timing == CONTROL_TTIME) {
        SetSelected(&SliderChannel::transitionTime, first.transitionTime);
        SetSelected(&SliderChannel::transitionLow, first.transitionLow);
        SetSelected(&SliderChannel::transitionHigh, first.transitionHigh);
        SetSelected(&SliderChannel::transitionRandom, first.transitionRandom);
    } else {
        SetSelected(&SliderChannel::delay, first.delay);
        SetSelected(&SliderChannel::delayLow, first.delayLow);
        SetSelected(&SliderChannel::delayHigh, first.delayHigh);
        SetSelected(&SliderChannel::delayRandom, first.delayRandom);
    }
}

void VxConfig::ClearSelection() {
    for (bool more = selection.First(); more; more = selection.Next())
        static_cast<Widget*>(selection.Current())->ClearFlags(WIDGET_HIGHLIGHTED);
    selection.Clear();
    selectionActive = 0;
}

void VxConfig::ButtonEvent(Button* button) {
    const int32_t id = button->id;
    switch (id) {
        case CONTROL_RESET:
            RestoreChannels(-1);
            return;
        case CONTROL_QUIT:
            quit = 1;
            return;
        case CONTROL_SAVE:
            if (SaveBackgroundFile()) SnapshotChannels();
            return;
        case CONTROL_LOAD:
            LoadBackgroundFile();
            return;
        case CONTROL_BGROUND:
            SetPage(ScenePage());
            return;
        case CONTROL_NPAGE:
            SetPage(StepPage(currentPage, 1));
            return;
        case CONTROL_PPAGE:
            SetPage(StepPage(currentPage, -1));
            return;
        case CONTROL_BGPREV:
            StepScene(-1);
            return;
        case CONTROL_BGNEXT:
            StepScene(1);
            return;
        default:
            break;
    }
    if (!animator) return;
    const int32_t cycle = button->CurrentCycle();
    if (id == MODE_BUTTON_ID_OFFSET + CONTROL_TTIME ||
        id == MODE_BUTTON_ID_OFFSET + CONTROL_DELAY) {
        const int32_t timing = id - MODE_BUTTON_ID_OFFSET;
        ShareTiming(timing);
        if (selectionActive)
            SetSelected(timing == CONTROL_TTIME ? &SliderChannel::transitionRandom
                                                : &SliderChannel::delayRandom,
                        cycle);
        animator->SetMode(timing, cycle);
    } else if (id > MODE_BUTTON_ID_OFFSET && id <= kModeButtonLast) {
        animator->SetMode(id - MODE_BUTTON_ID_OFFSET, cycle);
        animator->MarkChanged(id - MODE_BUTTON_ID_OFFSET, 0);
    } else if (id > RESTORE_BUTTON_ID_OFFSET && id <= kRestoreButtonLast) {
        RestoreChannels(id - RESTORE_BUTTON_ID_OFFSET);
    }
}

// The list steps round; the new scene is shown on its page, the old one freed.
void VxConfig::StepScene(int direction) {
    SceneList& scenes = Scenes();
    SceneObject* old = scenes.Current();
    if (direction > 0 ? !scenes.Next() : !scenes.Previous()) {
        if (direction > 0)
            scenes.First();
        else
            scenes.Last();
    }
    SceneObject* now = scenes.Current();
    SetPage(ScenePage());
    if (now == old) return;
    if (old) old->Release();
    CreateScene(now);
}

// ---------------------------------------------------------------- slider changes

template <typename Value>
void VxConfig::SetSelected(Value SliderChannel::*field, Value value) {
    for (bool more = selection.First(); more; more = selection.Next())
        if (SliderChannel* channel =
                animator->Channel(static_cast<Slider*>(selection.Current())->id))
            channel->*field = value;
}

void VxConfig::ApplySliderChange(Widget* widget, int32_t result) {
    if (!widget || widget->kind != WIDGET_SLIDER || !animator) return;
    Slider* slider = static_cast<Slider*>(widget);
    const int32_t id = slider->id;
    const bool timing = id == CONTROL_TTIME || id == CONTROL_DELAY;
    const bool selected = timing && selectionActive;
    float lowest, highest;
    slider->GetValueLimits(&lowest, &highest);
    const bool transition = id == CONTROL_TTIME;
    if (selected) ShareTiming(id);
    if (result & SLIDER_VALUE) {
        Scenes().SetParameterAll(id, slider->Value());
        if (selected)
            SetSelected(transition ? &SliderChannel::transitionTime : &SliderChannel::delay,
                        slider->Value());
        else
            animator->SetValue(id, slider->Value(), 1, 0);
    }
    if (result & SLIDER_LOW) {
        if (selected)
            SetSelected(transition ? &SliderChannel::transitionLow : &SliderChannel::delayLow,
                        lowest);
        else
            animator->SetLow(id, lowest);
    }
    if (result & SLIDER_HIGH) {
        if (selected)
            SetSelected(transition ? &SliderChannel::transitionHigh : &SliderChannel::delayHigh,
                        highest);
        else
            animator->SetHigh(id, highest);
    }
    if (!timing && (result & SLIDER_VALUE) && (result & (SLIDER_LOW | SLIDER_HIGH)))
        animator->MarkChanged(id, 0);
}

// ---------------------------------------------------------------- channels

void VxConfig::RestoreChannels(int32_t id) {
    if (!animator) return;
    if (id == -1) {
        for (int32_t each = 0; each < CONTROL_COUNT; ++each) RestoreChannels(each);
        return;
    }
    if (id < 0 || id >= CONTROL_COUNT) return;
    const SliderChannel& saved = savedAnimation[id];
    animator->SetLow(id, saved.low);
    animator->SetHigh(id, saved.high);
    animator->SetValue(id, saved.value, 1, 0);
    animator->SetTransitionTime(id, saved.transitionTime, saved.transitionLow, saved.transitionHigh,
                                saved.transitionRandom);
    animator->SetDelay(id, saved.delay, saved.delayLow, saved.delayHigh, saved.delayRandom);
    animator->SetMode(id, saved.mode);
    animator->MarkChanged(id, 0);
}

void VxConfig::SnapshotChannels() {
    if (!animator) return;
    for (int32_t id = 0; id < CONTROL_COUNT; ++id) savedAnimation[id] = *animator->Channel(id);
}

bool VxConfig::HasUnsavedChanges() {
    if (!animator) return false;
    return WithDraggedModeBack([this] { return ChannelsDifferFromSaved(); });
}

bool VxConfig::ChannelsDifferFromSaved() {
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        if (row->storage != CONTROL_SAVED) continue;
        const SliderChannel& now = *animator->Channel(row->id);
        const SliderChannel& saved = savedAnimation[row->id];
        // What the animation or a random draw moves by itself is no change of the
        // user's: an animated value, a random hold or transition length.
        if (now.low != saved.low || now.high != saved.high || now.mode != saved.mode ||
            (now.mode == ANIM_NONE && now.value != saved.value) ||
            now.delayRandom != saved.delayRandom ||
            (now.delayRandom == 0 && now.delay != saved.delay) || now.delayLow != saved.delayLow ||
            now.delayHigh != saved.delayHigh || now.transitionRandom != saved.transitionRandom ||
            (now.transitionRandom == 0 && now.transitionTime != saved.transitionTime) ||
            now.transitionLow != saved.transitionLow || now.transitionHigh != saved.transitionHigh)
            return true;
    }
    return false;
}

void VxConfig::ReportFailure(const char* what) {
    char reason[ERROR_MESSAGE_SIZE] = "";
    GetErrorMessage(reason, sizeof reason);
    LogMessage(LOG_WARNING, "%s : %s\n", what, reason);
    if (infoLine) {
        if (reason[0])
            infoLine->Report("%s : %s", what, reason);
        else
            infoLine->Report("%s", what);
    }
    ClearError();
}

// A knob held meanwhile has its channel's mode set aside for the drag: the file gets
// the mode the channel goes back to.
int VxConfig::SaveBackgroundFile() {
    if (!animator) return 0;
    const int saved =
        WithDraggedModeBack([this] { return SaveBackground(animator, BackgroundFilePath()); });
    if (!saved) {
        ReportFailure("Unable to save the background");
        return 0;
    }
    if (infoLine) infoLine->Report("Background saved");
    return 1;
}

const char* VxConfig::BackgroundFilePath() {
    return BACKGROUND_FILE_NAME;
}

// The channels become what the file holds, which is then the saved state.
int VxConfig::LoadBackgroundFile() {
    if (animator && LoadBackground(animator, BackgroundFilePath())) {
        animator->ApplyAll(0);
        SnapshotChannels();
        return 1;
    }
    ReportFailure("Unable to load background");
    return 0;
}

// ---------------------------------------------------------------- the prompt

void VxConfig::AddPromptButton(int32_t id, float x, const char* face, float faceX, Rgba colour,
                               const char* caption) {
    Button* button = XNEW(Button);
    if (!button->InitButton(id, x, 239.0f, 40.0f, 18.0f, 1, 0)) {
        XDELETE(button);
        return;
    }
    button->SetFont(font);
    button->SetCallback(PromptEvent, this);
    button->SetCycleColour(0, colour);
    button->SetCycleText(0, face, faceX, 5.0f);
    button->SetCycleCaption(0, caption);
    if (prompt.Add(button)) return;
    button->Release();
    XDELETE(button);
}

void VxConfig::ShowPrompt(int32_t kind) {
    if (promptState == PROMPT_SHOWN) return;
    promptKind = kind;
    const bool animation = kind == PROMPT_ANIMATION;
    AddPromptButton(
        PROMPT_YES_ID, 160.0f, "Yes", 8.0f, {50, 50, 60, 0},
        animation ? "Save the changed animation" : "Save the background before quiting");
    AddPromptButton(
        PROMPT_NO_ID, 395.0f, "No", 12.0f, {50, 55, 60, 0},
        animation ? "Quit without saving the animation" : "Quit without saving the background");
    promptState = PROMPT_SHOWN;
}

void VxConfig::ClosePrompt() {
    prompt.RemoveAll();
    promptState = PROMPT_NONE;
}

// "Yes" saves, then both answers leave; a save that fails stays in the editor.
void VxConfig::PromptEvent(Widget* widget, int32_t event, int32_t, void* editor, int32_t) {
    VxConfig* self = static_cast<VxConfig*>(editor);
    if (!self || !widget) return;
    if (self->infoLine) self->infoLine->SetText("%s", widget->text);
    if (event != WIDGET_PRESS) return;
    if (widget->id == PROMPT_YES_ID && !self->SaveBackgroundFile()) {
        self->ClosePrompt();
        return;
    }
    self->promptState = PROMPT_ANSWERED;
}

void VxConfig::DrawPrompt() {
    Screen* screen = CurrentScreen();
    if (!screen) return;
    static const float dividers[] = {195.0f, 231.0f};
    screen->SetView(&camera);
    DrawOverlayBox(screen, 120.0f, 175.0f, 495.0f, 265.0f, 30, 40, 50, dividers, 2);
    const bool animation = promptKind == PROMPT_ANIMATION;
    if (font) {
        font->DrawText(animation ? "Unsaved animation" : "Unsaved background", 230.0f, 182.0f);
        font->DrawText(animation ? "You have changed the animation.\n"
                                   "Do you want to save the changes?"
                                 : "You have changed the background options.\n"
                                   "Do you want to save the new background?",
                       125.0f, 203.0f);
    }
    screen->SetView(&camera);
    prompt.DrawAll();
}

// ---------------------------------------------------------------- input

int VxConfig::EditorInput() {
    // Movement up to and with the first press or release: one edge a frame.
    int32_t dx = 0, dy = 0, buttons = 0;
    Mouse* mouse = glb ? glb->mouse : nullptr;
    MouseEvent event;
    while (mouse && mouse->GetEvent(&event)) {
        dx += event.dx;
        dy += event.dy;
        buttons |= event.buttons;
        if (event.buttons & MOUSE_EDGE_BITS) break;
    }
    return HandlePointer(dx, dy, buttons);
}

int VxConfig::HandlePointer(int32_t dx, int32_t dy, int32_t buttons) {
    float moveX = float(dx), moveY = float(dy);

    // The panel's area is its first polygon, between its first and third vertex (the
    // last one of a shorter polygon); a polygon without vertices has no area.
    const EditorPage& panel = pages[CONTROL_SLIDERP];
    pointerOverPanel = 0;
    if (panel.polygonCount > 0 && panel.polygons[0].count > 0) {
        const struct Polygon& area = panel.polygons[0];
        const Vertex& a = area.vertices[0];
        const Vertex& c = area.vertices[area.count > 2 ? 2 : area.count - 1];
        pointerOverPanel = pointerX > std::fmin(a.x, c.x) && pointerX < std::fmax(a.x, c.x) &&
                           pointerY > std::fmin(a.y, c.y) && pointerY < std::fmax(a.y, c.y);
    }
    // A press is the user's next action: a report has been read.
    if ((buttons & MOUSE_WENT_DOWN_BITS) && infoLine) infoLine->ReleaseReport();

    selectedThisFrame = 0;
    bool moved = false;
    if (inputEnabled) {
        prompt.Dispatch(pointerX, pointerY, moveX, moveY, buttons, 0);
        WidgetGroup& page = pages[currentPage].widgets;
        int32_t result = page.Dispatch(pointerX, pointerY, moveX, moveY, buttons, 0);
        if (result) {
            ApplySliderChange(page.Captured(), result);
        } else if (selectionActive) {
            WidgetGroup& properties = pages[CONTROL_SLIDERP].widgets;
            result = properties.Dispatch(pointerX, pointerY, moveX, moveY, buttons, 0);
            if (result)
                ApplySliderChange(properties.Captured(), result);
            else
                moved = true;
            RefreshPage(CONTROL_SLIDERP);
        } else {
            moved = true;
        }
        RefreshPage(currentPage);
        // A press away from the panel ends the selection, unless it made one.
        if ((buttons & MOUSE_WENT_DOWN_BITS) && !pointerOverPanel && selectionActive &&
            !selectedThisFrame)
            ClearSelection();
    } else {
        moved = true;
    }
    if (moved) {
        pointerX += moveX;
        pointerY += moveY;
    }
    pointerX = std::fmin(std::fmax(pointerX, 0.0f), kScreenWidth);
    pointerY = std::fmin(std::fmax(pointerY, 0.0f), kScreenHeight);

    if (quit) return 0;
    if (infoLine) infoLine->Tick();
    return promptState == PROMPT_ANSWERED ? 0 : 1;
}

// ---------------------------------------------------------------- drawing

void VxConfig::DrawPointer() {
    Screen* screen = CurrentScreen();
    if (!screen) return;
    const float x = std::floor(pointerX), y = std::floor(pointerY);
    Vertex quad[4];
    const float size[2] = {
        pointerSprite.texture ? float(pointerSprite.texture->width) : kPointerFallbackSize,
        pointerSprite.texture ? float(pointerSprite.texture->height) : kPointerFallbackSize};
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const Rgba white = {255, 255, 255, 0};
    for (int i = 0; i < 4; ++i)
        quad[i] = MakeVertex(x + corners[i][0] * size[0], y + corners[i][1] * size[1], 0, white,
                             corners[i][0], corners[i][1]);
    screen->SetView(&camera);
    if (pointerSprite.texture) {
        screen->SetSurface(&pointerSprite);
        screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
        return;
    }
    // Without its picture the pointer is a plain white wedge.
    quad[1].y = y + size[1] * 0.7f;
    quad[2].x = x + size[0] * 0.3f;
    screen->SetSurface(nullptr);
    screen->DrawPrimitive(PRIM_TRIANGLES, quad, 3, 0);
}

void VxConfig::DrawEditor() {
    Screen* screen = CurrentScreen();
    if (!screen) return;
    screen->SetView(&camera);
    if (infoLine) infoLine->Draw(0, 1);
    screen->SetView(&camera);
    if (selectionActive) DrawPage(CONTROL_SLIDERP);
    DrawPage(currentPage);
    // The page's title band tells of changes not saved yet.
    if (font && HasUnsavedChanges()) {
        screen->SetView(&camera);
        font->DrawText(kUnsavedMark, panelLeft + kUnsavedMarkX, panelTop + kUnsavedMarkY);
    }
    if (infoLine) infoLine->Draw(1, 0);
    if (promptState == PROMPT_SHOWN) DrawPrompt();
    DrawPointer();
}

// ---------------------------------------------------------------- controller life

void VxConfig::StartController() {
    SetOverlayCamera(camera);
    ClosePrompt();
    ClearSelection();
    draggedSlider = nullptr;
    quit = 0;
    pointerX = pointerY = 0.0f;
    inputEnabled = 1;
    for (PageGroup& group : pageGroups) group.remembered = group.members[0];
    currentPage = 0;
    SetPage(CONTROL_BGSTARFIELD);
    // The captions the layout's sliders announced while being made are no news.
    if (infoLine) infoLine->SetText("%s", "");
    if (pointerSprite.texture) return;
    if (pointerSprite.LoadTexture(POINTER_TEXTURE)) {
        pointerSprite.SetBlendMode(SURFACE_ADDITIVE);
        return;
    }
    char message[ERROR_MESSAGE_SIZE] = "";
    GetErrorMessage(message, sizeof message);
    LogMessage(LOG_WARNING, "Unable to load the pointer %s : %s\n", POINTER_TEXTURE, message);
    ClearError();
}

void VxConfig::StopController() {
    ClosePrompt();
    ClearSelection();
    draggedSlider = nullptr;
    FreeGuiConfig();
    pointerSprite.FreeTexture();
}

// ---------------------------------------------------------------- vx_init

int vx_init(int saverOnly) {
    editor.mode = saverOnly ? MODE_SAVER : MODE_EDITOR;
    editor.editorVisible = editor.mode == MODE_EDITOR;
    editor.showFrameRate = editor.showStatistics = editor.showHelp = editor.showSliderInfo = 0;
    editor.frames = 0;
    editor.frameRate = 0;
    editor.measuredAt = TimerMilliseconds();
    SetOverlayCamera(config.camera);
    LogMessage(LOG_INIT, "Creating animator\n");
    XDELETE(editor.animator);
    editor.animator = XNEW(VxAnimator);
    editor.animator->camera.SetPosition(0.0f, 0.0f, -160.0f);
    SetSceneViewport(editor.mode == MODE_EDITOR);
    // What shows when no background file replaces it.
    editor.animator->SetDefaultBackground();
    config.animator = editor.animator;
    config.font = &font;
    config.infoLine = &infoLine;
    config.inputEnabled = editor.editorVisible;
    if (editor.mode == MODE_EDITOR) {
        config.widgetCallback = VxConfig::WidgetEvent;
        if (!config.LoadGuiConfig(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight)) return 0;
    }
    // Text is drawn in every run that shows frames: the overlays' keys work in each.
    LoadFont();
    infoLine.Setup(&font, kInfoLineLeft, kInfoLineTop, kInfoLineWidth, kInfoLineHeight);
    infoLine.SetSliderInfoDisplay(0);
    if (editor.mode == MODE_EDITOR) {
        config.RestoreChannels(-1);
        config.StartController();
    }

    LogMessage(LOG_INIT, "Initializing intro\n");
    XDELETE(editor.intro);
    editor.intro = XNEW(IntroLogo);
    if (!editor.intro->Start()) return 0;
    ClearError();

    LogMessage(LOG_INIT, "Loading background\n");
    if (!LoadBackground(editor.animator, VxConfig::BackgroundFilePath())) {
        // Start-up only logs: the built-in default goes on showing.
        LogMessage(LOG_INIT, "Unable to load background\n");
        ClearError();
    }

    LogMessage(LOG_INIT, "Setting background\n");
    SetBackground();
    // The scene now exists to receive every stored value.
    editor.animator->ApplyAll(0);

    config.SnapshotChannels();
    config.ClosePrompt();
    editor.stepping = 1;
    editor.running = 1;
    LogMessage(LOG_INIT, "Exiting vx_init\n");
    return 1;
}

// ---------------------------------------------------------------- EditorFrame

namespace {

enum KeyResult { FRAME_LEAVE = 0, FRAME_GO_ON = 1 };

// One key-down of the frame's key commands.
int TakeKey(const KeyEvent& event) {
    const bool prompting = config.promptState == PROMPT_SHOWN;
    if (config.infoLine) config.infoLine->ReleaseReport();
    switch (FoldLetter(event.code)) {
        case KEY_ESCAPE:
            if (prompting) {
                config.ClosePrompt();
            } else if (!config.HasUnsavedChanges()) {
                return FRAME_LEAVE;
            } else {
                // The question needs the editor to be seen and answered.
                if (editor.mode == MODE_EDITOR && !editor.editorVisible) ShowEditor(1);
                config.ShowPrompt(PROMPT_BACKGROUND);
            }
            break;
        case KEY_SPACE:
            if (editor.mode == MODE_EDITOR) ShowEditor(!editor.editorVisible);
            break;
        case 'N':
            if (prompting) return FRAME_LEAVE;
            break;
        case 'Y':
            if (!prompting) break;
            // A save that fails stays in the editor with the changes, saying why.
            if (config.HasUnsavedChanges() && !config.SaveBackgroundFile()) {
                config.ClosePrompt();
                break;
            }
            return FRAME_LEAVE;
        default:
            if (!ToggleOnKey(FoldLetter(event.code)) && editor.mode == MODE_EDITOR)
                config.TakeShortcut(event.code);
            break;
    }
    return FRAME_GO_ON;
}

}  // namespace

int EditorFrame(float) {
    if (!editor.running) return 1;
    Keyboard* keyboard = glb->keyboard;
    KeyEvent event;
    while (keyboard && keyboard->GetEvent(&event)) {
        if (!(event.flags & KEYFLAG_DOWN)) continue;
        if (TakeKey(event) == FRAME_LEAVE) return 0;
    }
    // Only a new press toggles: a held key would flip it every frame.
    if (keyboard && (keyboard->WasPressed(kKeyF9) & KEYSTATE_PRESSED))
        editor.stepping = !editor.stepping;

    if (SceneObject* scene = Scenes().Current()) scene->Update(&editor.animator->camera);
    // One step of 1/50 s per frame, whatever the frame took.
    if (editor.mode == MODE_EDITOR) {
        int input = config.EditorInput();
        if (input == 0 || input == 2) return input;
        editor.animator->StepAll();
    } else if (editor.stepping) {
        editor.animator->StepAll();
    }
    if (editor.intro) editor.intro->Update();

    Screen* screen = glb->currentScreen;
    if (!screen) return 1;
    screen->BeginScene();
    // The editor's buttons may have changed the scene.
    if (SceneObject* scene = Scenes().Current()) {
        scene->Draw();
    } else {
        static const Rgba black = {0, 0, 0, 255};
        screen->Clear(&black, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
    }
    if (editor.intro) editor.intro->Draw(&editor.animator->camera);
    if (editor.editorVisible) config.DrawEditor();
    if (editor.showHelp) DrawHelp(screen);
    CountFrame();
    if (editor.showFrameRate) DrawFrameRate();
    if (editor.showStatistics) DrawStatistics(screen);
    screen->EndScene();
    screen->Present();
    return 1;
}

// ---------------------------------------------------------------- EditorExit

void EditorExit() {
    LogMessage(LOG_EXIT, "Freeing VxAnimator\n");
    // Before the screen closes: the font's, the scenes', the editor's and the intro's
    // textures belong to it.
    font.Release();
    if (SceneObject* scene = Scenes().Current()) Settings.backgroundNumber = scene->Id();
    Scenes().DeleteAll();
    config.StopController();
    if (editor.intro) editor.intro->Release();
    XDELETE(editor.intro);
    editor.intro = nullptr;
    config.animator = nullptr;
    XDELETE(editor.animator);
    editor.animator = nullptr;
    editor.running = 0;
}
