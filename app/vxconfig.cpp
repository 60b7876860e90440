// The editor's controller: page choice, what the widgets do to the animation channels
// and the scene, the channels as saved, pointer input and the editor's drawing.
//
// Sections: construction and the layout; pages; widget events; slider changes;
// channels; the prompt; input; drawing; controller life.
#include "vxconfig.h"

#include <cmath>
#include <cstring>

#include "ansi/memory.h"
#include "bgfile.h"
#include "bground.h"
#include "editorlayout.h"
#include "gui/mouse.h"
#include "misc.h"
#include "xsystem.h"

namespace {

// The pointer's picture, and its size when the picture is missing.
#define POINTER_TEXTURE "/textures/pointer."
const float kPointerFallbackSize = 12.0f;
// The highest identifier of an animation-mode button and of a restore button.
const int32_t kModeButtonLast = 2998;
const int32_t kRestoreButtonLast = 1998;

}  // namespace

void VxConfig::CreateScene(SceneObject* scene) {
    if (scene && !scene->Create()) {
        char message[ERROR_MESSAGE_SIZE];
        if (GetErrorMessage(message, sizeof message)) LogMessage(LOG_WARNING, "%s\n", message);
        ClearError();
    }
}

// ---------------------------------------------------------------- construction and the layout

VxConfig::VxConfig() {
    std::memset(static_cast<void*>(savedAnimation), 0, sizeof savedAnimation);
}

VxConfig::~VxConfig() {
    layout.Free();
}

int VxConfig::LoadGuiConfig(float x, float y, float width, float height) {
    if (!layout.Load(x, y, width, height, widgetCallback, this)) return 0;
    SetAnimationDefaults();
    return 1;
}

// The channels as they then stand are the saved animation.
void VxConfig::SetAnimationDefaults() {
    if (!animator) return;
    const float transition = animator->Channel(CONTROL_TTIME)->value;
    const float delay = animator->Channel(CONTROL_DELAY)->value;
    const float delayLow = animator->Channel(CONTROL_DELAY)->low;
    for (int32_t id = 0; id < CONTROL_COUNT; ++id) {
        animator->SetTransitionTime(id, transition, 1.0f, 10.0f, TIMING_RANDOM);
        animator->SetDelay(id, delay, delayLow, 1.0f, TIMING_RANDOM);
    }
    SnapshotChannels();
}

// ---------------------------------------------------------------- pages

int VxConfig::SetPage(int32_t n) {
    if (n < 0 || n >= EDITOR_PAGE_COUNT) return 0;
    // A knob still held when its page goes away is let go: its channel animates again.
    if (draggedSlider && n != currentPage) {
        draggedSlider->drag = SLIDER_DRAG_NONE;
        layout.pages[currentPage].widgets.captured = nullptr;
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
    const SliderChannel* first = selection.FirstChannel(*animator);
    LList& widgets = layout.pages[n].widgets.widgets;
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
        if (ModifierHeld(KEY_SHIFT)) RestoreChannels(slider->id);
    } else if (event == WIDGET_PRESS && (buttons & MOUSE_RIGHT) && !pointerOverPanel) {
        if (!ModifierHeld(KEY_CTRL)) ClearSelection();
        SelectSlider(slider);
    }
}

void VxConfig::ReleasePointer() {
    layout.pages[currentPage].widgets.ReleaseCaptured();
    layout.pages[CONTROL_SLIDERP].widgets.ReleaseCaptured();
    prompt.buttons.ReleaseCaptured();
    EndKnobDrag();
}

void VxConfig::EndKnobDrag() {
    if (!draggedSlider) return;
    const int32_t id = draggedSlider->id;
    draggedSlider = nullptr;
    if (!animator) return;
    animator->SetMode(id, draggedMode);
    animator->MarkChanged(id, KEEP_VALUE);
}

// The panel shows the first selected slider's timing. Selecting changes no channel:
// the others take the panel's timing only when one of its controls is touched, so
// opening and closing the panel leaves the background as it was.
void VxConfig::SelectSlider(Slider* slider) {
    if (!selection.Add(slider)) return;
    selectedThisFrame = 1;
    const SliderChannel* first = selection.FirstChannel(*animator);
    if (!first) return;
    animator->SetMode(CONTROL_TTIME, first->transitionRandom);
    animator->SetMode(CONTROL_DELAY, first->delayRandom);
}

void VxConfig::ClearSelection() {
    selection.Clear();
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
        selection.ShareTiming(*animator, timing);
        if (selection.active)
            selection.Set(*animator,
                          timing == CONTROL_TTIME ? &SliderChannel::transitionRandom
                                                  : &SliderChannel::delayRandom,
                          cycle);
        animator->SetMode(timing, cycle);
    } else if (id > MODE_BUTTON_ID_OFFSET && id <= kModeButtonLast) {
        animator->SetMode(id - MODE_BUTTON_ID_OFFSET, cycle);
        animator->MarkChanged(id - MODE_BUTTON_ID_OFFSET, KEEP_VALUE);
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

void VxConfig::ApplySliderChange(Widget* widget, int32_t result) {
    if (!widget || widget->kind != WIDGET_SLIDER || !animator) return;
    Slider* slider = static_cast<Slider*>(widget);
    const int32_t id = slider->id;
    const bool timing = id == CONTROL_TTIME || id == CONTROL_DELAY;
    const bool selected = timing && selection.active;
    float lowest, highest;
    slider->GetValueLimits(&lowest, &highest);
    const bool transition = id == CONTROL_TTIME;
    if (selected) selection.ShareTiming(*animator, id);
    if (result & SLIDER_VALUE) {
        Scenes().SetParameterAll(id, slider->Value());
        if (selected)
            selection.Set(*animator,
                          transition ? &SliderChannel::transitionTime : &SliderChannel::delay,
                          slider->Value());
        else
            animator->SetValue(id, slider->Value(), VALUE_STORED, VALUE_TO_SCENE);
    }
    if (result & SLIDER_LOW) {
        if (selected)
            selection.Set(*animator,
                          transition ? &SliderChannel::transitionLow : &SliderChannel::delayLow,
                          lowest);
        else
            animator->SetLow(id, lowest);
    }
    if (result & SLIDER_HIGH) {
        if (selected)
            selection.Set(*animator,
                          transition ? &SliderChannel::transitionHigh : &SliderChannel::delayHigh,
                          highest);
        else
            animator->SetHigh(id, highest);
    }
    if (!timing && (result & SLIDER_VALUE) && (result & (SLIDER_LOW | SLIDER_HIGH)))
        animator->MarkChanged(id, KEEP_VALUE);
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
    animator->SetValue(id, saved.value, VALUE_STORED, VALUE_TO_SCENE);
    animator->SetTransitionTime(id, saved.transitionTime, saved.transitionLow, saved.transitionHigh,
                                saved.transitionRandom);
    animator->SetDelay(id, saved.delay, saved.delayLow, saved.delayHigh, saved.delayRandom);
    animator->SetMode(id, saved.mode);
    animator->MarkChanged(id, KEEP_VALUE);
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
    char path[FILE_NAME_SIZE];
    const int saved = UserBackgroundPath(path, sizeof path) &&
                      WithDraggedModeBack([&] { return SaveBackground(animator, path); });
    if (!saved) {
        ReportFailure("Unable to save the background");
        return 0;
    }
    if (infoLine) infoLine->Report("Background saved");
    return 1;
}

// The channels become what the file holds, which is then the saved state.
int VxConfig::LoadBackgroundFile() {
    char path[FILE_NAME_SIZE];
    BackgroundPathToLoad(path, sizeof path);
    if (animator && LoadBackground(animator, path)) {
        animator->ApplyAll(KEEP_VALUE);
        SnapshotChannels();
        return 1;
    }
    ReportFailure("Unable to load background");
    return 0;
}

// ---------------------------------------------------------------- the prompt

void VxConfig::ShowPrompt(int32_t kind) {
    prompt.Show(kind);
}

void VxConfig::ClosePrompt() {
    prompt.Close();
}

// "Yes" saves, then both answers leave; a save that fails stays in the editor.
int VxConfig::AnswerPrompt(void* editor, int yes) {
    VxConfig* self = static_cast<VxConfig*>(editor);
    return !yes || !self || self->SaveBackgroundFile();
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
    const EditorPage& panel = layout.pages[CONTROL_SLIDERP];
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
        prompt.buttons.Dispatch(pointerX, pointerY, moveX, moveY, buttons, 0);
        WidgetGroup& page = layout.pages[currentPage].widgets;
        int32_t result = page.Dispatch(pointerX, pointerY, moveX, moveY, buttons, 0);
        if (result) {
            ApplySliderChange(page.Captured(), result);
        } else if (selection.active) {
            WidgetGroup& properties = layout.pages[CONTROL_SLIDERP].widgets;
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
        if ((buttons & MOUSE_WENT_DOWN_BITS) && !pointerOverPanel && selection.active &&
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
    return prompt.state == PROMPT_ANSWERED ? 0 : 1;
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
    if (selection.active) layout.DrawPage(CONTROL_SLIDERP);
    layout.DrawPage(currentPage);
    // The page's title band tells of changes not saved yet.
    if (font && HasUnsavedChanges()) {
        screen->SetView(&camera);
        font->DrawText(kUnsavedMark, layout.panelLeft + kUnsavedMarkX,
                       layout.panelTop + kUnsavedMarkY);
    }
    if (infoLine) infoLine->Draw(1, 0);
    if (prompt.state == PROMPT_SHOWN) prompt.Draw(&camera);
    DrawPointer();
}

// ---------------------------------------------------------------- controller life

void VxConfig::StartController() {
    SetOverlayCamera(camera);
    prompt.Setup(AnswerPrompt, this, font, infoLine);
    // The widgets take their keys from the run's keyboard, not from the globals.
    Keyboard* keyboard = glb ? glb->keyboard : nullptr;
    for (EditorPage& page : layout.pages) page.widgets.SetKeyboard(keyboard);
    prompt.buttons.SetKeyboard(keyboard);
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
    layout.Free();
    pointerSprite.FreeTexture();
}
