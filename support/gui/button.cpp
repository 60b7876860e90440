// Sections: drawing helpers; Widget; Slider (geometry, markers, input, drawing); Button
// (cycles, input and text editing, drawing); WidgetGroup (hit test, dispatch).
#include "gui/button.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ansi/memory.h"
#include "base/texture.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "xsystem.h"

// ---------------------------------------------------------------- drawing helpers

namespace {

const Rgba kTrackColour = {110, 120, 130, 0};
const Rgba kMarkerColour = {80, 90, 100, 0};
const Rgba kSliderLight = {220, 230, 240, 0};
const Rgba kSliderDark = {0, 10, 20, 0};
const Rgba kButtonLight = {220, 220, 220, 0};
const Rgba kButtonDark = {0, 0, 0, 0};
const Rgba kWhite = {255, 255, 255, 255};
// How much brighter a highlighted slider's box is, and darker a pressed button's face.
const int kHighlightLift = 30;
const int kPressedDrop = 50;

uint8_t Shift(uint8_t component, int by) {
    return uint8_t(std::min(255, std::max(0, int(component) + by)));
}

Rgba Shifted(Rgba colour, int by) {
    return {Shift(colour.r, by), Shift(colour.g, by), Shift(colour.b, by), colour.a};
}

// Corners clockwise from the top left, the whole texture across them.
void QuadVertices(Vertex* out, const WidgetBox& box, Rgba colour) {
    out[0] = MakeVertex(box.left, box.top, 0.0f, colour, 0.0f, 0.0f);
    out[1] = MakeVertex(box.right, box.top, 0.0f, colour, 1.0f, 0.0f);
    out[2] = MakeVertex(box.right, box.bottom, 0.0f, colour, 1.0f, 1.0f);
    out[3] = MakeVertex(box.left, box.bottom, 0.0f, colour, 0.0f, 1.0f);
}

// Four lines on the box's outermost ring of whole units: top and left in one colour,
// bottom and right in the other (light first: raised; dark first: sunken). Lines run
// through the middle of that ring, so they cover exactly its pixels at 640 x 480.
void OutlineVertices(Vertex* out, const WidgetBox& box, Rgba topLeft, Rgba bottomRight) {
    const float top = box.top + 0.5f, bottom = box.bottom - 0.5f;
    const float left = box.left + 0.5f, right = box.right - 0.5f;
    out[0] = MakeVertex(box.left, top, 0.0f, topLeft);
    out[1] = MakeVertex(box.right, top, 0.0f, topLeft);
    out[2] = MakeVertex(left, box.top, 0.0f, topLeft);
    out[3] = MakeVertex(left, box.bottom, 0.0f, topLeft);
    out[4] = MakeVertex(box.left, bottom, 0.0f, bottomRight);
    out[5] = MakeVertex(box.right, bottom, 0.0f, bottomRight);
    out[6] = MakeVertex(right, box.top, 0.0f, bottomRight);
    out[7] = MakeVertex(right, box.bottom, 0.0f, bottomRight);
}

bool StrictlyInside(const WidgetBox& box, float x, float y) {
    return x > box.left && x < box.right && y > box.top && y < box.bottom;
}

// Bounded copy of a text that fits (at most WIDGET_TEXT_MAX characters); 0, nothing
// copied, for a longer or missing text.
int CopyWidgetText(char* destination, const char* source) {
    if (!source) return 0;
    size_t length = std::strlen(source);
    if (length > WIDGET_TEXT_MAX) return 0;
    std::memcpy(destination, source, length + 1);
    return 1;
}

}  // namespace

// ---------------------------------------------------------------- Widget

Widget::Widget()
    : id(0),
      kind(0),
      x(0.0f),
      y(0.0f),
      width(0.0f),
      height(0.0f),
      callback(nullptr),
      userData(nullptr),
      flags(0),
      font(nullptr) {
    text[0] = 0;
}

Widget::~Widget() = default;

void Widget::Place(int32_t newId, int32_t newKind, float newX, float newY, float newWidth,
                   float newHeight) {
    id = newId;
    kind = newKind;
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
}

void Widget::SetPosition(float newX, float newY) {
    x = newX;
    y = newY;
}

void Widget::SetSize(float newWidth, float newHeight) {
    width = newWidth;
    height = newHeight;
}

void Widget::SetCallback(WidgetCallback function, void* data) {
    callback = function;
    userData = data;
}

int Widget::SetText(const char* newText) {
    return CopyWidgetText(text, newText);
}

int Widget::Contains(float px, float py) const {
    return px >= x && px <= x + width && py >= y && py <= y + height;
}

void Widget::Notify(int32_t event, int32_t buttons, int32_t result) {
    if (callback) callback(this, event, buttons, userData, result);
}

// ---------------------------------------------------------------- Slider

Slider::Slider()
    : knob{},
      highMarker{},
      lowMarker{},
      style(0),
      reserved(0),
      bottomEnd(0.0f),
      topEnd(0.0f),
      value(0.0f),
      low(0.0f),
      high(0.0f),
      knobSize(SLIDER_KNOB_SIZE),
      sensitivity(1.0f),
      margin(0.0f),
      colour{100, 120, 140, 0},
      drag(SLIDER_DRAG_NONE),
      direction(-1.0f) {
    kind = WIDGET_SLIDER;
}

int Slider::InitSlider(int32_t newId, float newX, float newY, float newWidth, float newHeight,
                       float rangeStart, float rangeEnd, float newValue, float newSensitivity,
                       int32_t newStyle) {
    Place(newId, WIDGET_SLIDER, newX, newY, newWidth, newHeight);
    style = newStyle;
    reserved = 0;
    sensitivity = newSensitivity;
    knobSize = SLIDER_KNOB_SIZE;
    drag = SLIDER_DRAG_NONE;
    direction = rangeStart > rangeEnd ? 1.0f : -1.0f;
    // A track no longer than the knob has no room to move in: no margin then.
    float travel = height - knobSize;
    margin = travel > 0.0f ? (knobSize + 2.0f) * std::fabs(rangeEnd - rangeStart) / travel : 0.0f;
    topEnd = rangeStart + direction * margin;
    bottomEnd = rangeEnd - direction * margin;
    high = std::max(rangeStart, rangeEnd) + 1.0f;
    low = std::min(rangeStart, rangeEnd) - 1.0f;
    value = newValue;
    // The markers are values: the high one goes to the larger end, whichever end of the
    // track that is.
    SetMarkers(std::max(topEnd, bottomEnd), std::min(topEnd, bottomEnd),
               MARKERS_LOW | MARKERS_HIGH | MARKERS_FORCE);
    SetValue(newValue, 1);
    return 1;
}

float Slider::Offset(float v) const {
    if (bottomEnd == topEnd) return 0.0f;
    return (height - knobSize) * (v - topEnd) / (bottomEnd - topEnd);
}

void Slider::PlaceBox(WidgetBox& box, float v) const {
    box.left = x + 1.0f;
    box.right = x + width - 1.0f;
    box.top = y + Offset(v);
    box.bottom = box.top + knobSize;
}

void Slider::PlaceBoxes() {
    PlaceBox(knob, value);
    PlaceBox(lowMarker, low);
    PlaceBox(highMarker, high);
}

void Slider::SetPosition(float newX, float newY) {
    Widget::SetPosition(newX, newY);
    PlaceBoxes();
}

void Slider::SetSize(float newWidth, float newHeight) {
    Widget::SetSize(newWidth, newHeight);
    PlaceBoxes();
}

void Slider::GetValueLimits(float* lowest, float* highest) const {
    if (lowest) *lowest = std::min(low, high) + margin;
    if (highest) *highest = std::max(low, high) - margin;
}

float Slider::GetMarkerValue(int32_t dragState) const {
    if (dragState == SLIDER_DRAG_LOW) return low;
    if (dragState == SLIDER_DRAG_HIGH) return high;
    return value;
}

int Slider::SetValue(float newValue, int force) {
    float lowest, highest;
    GetValueLimits(&lowest, &highest);
    // Written so that a value that is not a number ends at the low limit.
    float v = newValue;
    if (!(v >= lowest)) v = lowest;
    if (v > highest) v = highest;
    if (v == value && !force) return 0;
    value = v;
    PlaceBox(knob, value);
    return 1;
}

int Slider::SetMarkers(float newHigh, float newLow, int32_t markerFlags) {
    if (markerFlags & MARKERS_FROM_LIMITS) {
        newHigh += margin;
        newLow -= margin;
    }
    const int force = (markerFlags & MARKERS_FORCE) != 0;
    const float bottom = std::min(topEnd, bottomEnd), top = std::max(topEnd, bottomEnd);
    int changed = 0;
    if (markerFlags & MARKERS_HIGH) {
        float h = newHigh;
        if (!(h >= low + 2.0f * margin)) h = low + 2.0f * margin;
        if (h > top) h = top;
        if (h != high) changed = 1;
        if (h != high || force) {
            high = h;
            PlaceBox(highMarker, high);
        }
    }
    if (markerFlags & MARKERS_LOW) {
        float l = newLow;
        if (!(l >= bottom)) l = bottom;
        if (l > high - 2.0f * margin) l = high - 2.0f * margin;
        if (l != low) changed = 1;
        if (l != low || force) {
            low = l;
            PlaceBox(lowMarker, low);
        }
    }
    SetValue(value, force);
    return changed;
}

void Slider::SetColour(uint8_t red, uint8_t green, uint8_t blue) {
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
}

void Slider::Pin(float& pointerY, float oldTop, const WidgetBox& box) {
    pointerY = box.top + (pointerY - oldTop);
}

int Slider::HandleInput(float& px, float& py, float&, float& dy, int32_t buttons, int32_t event,
                        int32_t) {
    if ((buttons & MOUSE_HELD_BITS) == MOUSE_RIGHT) return 0;
    PlaceBoxes();
    switch (event) {
        case WIDGET_PRESS:
            if (StrictlyInside(highMarker, px, py))
                drag = SLIDER_DRAG_HIGH;
            else if (StrictlyInside(lowMarker, px, py))
                drag = SLIDER_DRAG_LOW;
            else if (StrictlyInside(knob, px, py))
                drag = SLIDER_DRAG_KNOB;
            return drag;
        case WIDGET_CLICK: {
            int32_t state = drag;
            drag = SLIDER_DRAG_NONE;
            return state;
        }
        case WIDGET_DRAG: {
            // Pointer movement down moves the value toward the bottom end.
            const float step = sensitivity * direction * dy;
            if (drag == SLIDER_DRAG_KNOB) {
                const float top = knob.top;
                SetValue(value - step, 0);
                Pin(py, top, knob);
                return SLIDER_VALUE;
            }
            if (drag == SLIDER_DRAG_LOW) {
                const float top = lowMarker.top;
                int moved = SetMarkers(0.0f, low - step, MARKERS_LOW);
                Pin(py, top, lowMarker);
                return moved ? SLIDER_VALUE | SLIDER_LOW : SLIDER_LOW;
            }
            if (drag == SLIDER_DRAG_HIGH) {
                const float top = highMarker.top;
                int moved = SetMarkers(high - step, 0.0f, MARKERS_HIGH);
                Pin(py, top, highMarker);
                return moved ? SLIDER_VALUE | SLIDER_HIGH : SLIDER_HIGH;
            }
            return 0;
        }
        default:
            return 0;
    }
}

int Slider::Draw() {
    Screen* screen = CurrentScreen();
    if (!screen) return 0;
    PlaceBoxes();
    const WidgetBox whole = {x, y, x + width, y + height};
    const Rgba track =
        (flags & WIDGET_HIGHLIGHTED) ? Shifted(kTrackColour, kHighlightLift) : kTrackColour;
    const Rgba knobColour = {colour[0], colour[1], colour[2], colour[3]};
    Vertex quads[16];
    Vertex lines[32];
    QuadVertices(quads, whole, track);
    QuadVertices(quads + 4, knob, knobColour);
    // The track is sunken, the knob and the markers stand out of it.
    OutlineVertices(lines, whole, kSliderDark, kSliderLight);
    int32_t quadCount = 8, lineCount = 8;
    if (topEnd != bottomEnd) {
        QuadVertices(quads + 8, lowMarker, kMarkerColour);
        QuadVertices(quads + 12, highMarker, kMarkerColour);
        OutlineVertices(lines + 8, knob, kSliderLight, kSliderDark);
        OutlineVertices(lines + 16, lowMarker, kSliderLight, kSliderDark);
        OutlineVertices(lines + 24, highMarker, kSliderLight, kSliderDark);
        quadCount = 16;
        lineCount = 32;
    }
    screen->SetSurface(nullptr);
    screen->DrawPrimitive(PRIM_QUADS, quads, quadCount, 0);
    screen->DrawPrimitive(PRIM_LINES, lines, lineCount, 0);
    return 1;
}

// ---------------------------------------------------------------- Button

Button::Button()
    : baseTexture(nullptr),
      userFlags(0),
      pressedButtons(0),
      pressedLook(0),
      cycles(nullptr),
      cycleCount(0),
      currentCycle(-1),
      textOffsetX(2.0f),
      textOffsetY(2.0f),
      editing(0),
      maxTextLength(-1) {
    kind = WIDGET_BUTTON;
}

Button::~Button() {
    Release();
}

int Button::Release() {
    if (editing) EndEditing(0);
    if (cycles) xFree(cycles);
    cycles = nullptr;
    cycleCount = 0;
    currentCycle = -1;
    return 1;
}

int Button::InitButton(int32_t newId, float newX, float newY, float newWidth, float newHeight,
                       int32_t newCycleCount, int32_t newUserFlags) {
    Release();
    int32_t count = newCycleCount < 1 ? 1 : newCycleCount;
    if (size_t(count) > size_t(INT32_MAX) / sizeof(ButtonCycle)) return 0;
    cycles = static_cast<ButtonCycle*>(XALLOC(size_t(count) * sizeof(ButtonCycle)));
    std::memset(static_cast<void*>(cycles), 0, size_t(count) * sizeof(ButtonCycle));
    for (int32_t n = 0; n < count; ++n) cycles[n].colour = kWhite;
    cycleCount = count;
    currentCycle = -1;
    Place(newId, WIDGET_BUTTON, newX, newY, newWidth, newHeight);
    userFlags = newUserFlags;
    pressedButtons = 0;
    textOffsetX = textOffsetY = 2.0f;
    editing = 0;
    maxTextLength = -1;
    return 1;
}

ButtonCycle* Button::Cycle(int32_t n) const {
    return cycles && n >= 0 && n < cycleCount ? &cycles[n] : nullptr;
}

int Button::SetCycleColour(int32_t n, Rgba newColour) {
    ButtonCycle* cycle = Cycle(n);
    if (!cycle) return SetErrorText("Invalid cycle nr");
    cycle->colour = newColour;
    return 1;
}

int Button::SetCycleCaption(int32_t n, const char* caption) {
    ButtonCycle* cycle = Cycle(n);
    if (!cycle || !CopyWidgetText(cycle->caption, caption)) return 0;
    if (currentCycle < 0)
        SelectCycle(n);
    else if (n == currentCycle)
        SetText(cycle->caption);
    return 1;
}

int Button::SetCycleText(int32_t n, const char* faceText, float offsetX, float offsetY) {
    ButtonCycle* cycle = Cycle(n);
    if (!cycle || !CopyWidgetText(cycle->faceText, faceText)) return 0;
    textOffsetX = offsetX;
    textOffsetY = offsetY;
    return 1;
}

int Button::SetCycleTexture(int32_t n, const CSurface* surface) {
    ButtonCycle* cycle = Cycle(n);
    if (!cycle) return 0;
    cycle->texture = surface;
    return 1;
}

int Button::SelectCycle(int32_t n) {
    ButtonCycle* cycle = Cycle(n);
    if (!cycle) return 0;
    if (n != currentCycle) {
        currentCycle = n;
        SetText(cycle->caption);
    }
    return 1;
}

const char* Button::FaceText() const {
    const ButtonCycle* cycle = Cycle(currentCycle);
    return cycle ? cycle->faceText : "";
}

const char* Button::SavedFaceText() const {
    const ButtonCycle* cycle = Cycle(currentCycle);
    return cycle ? cycle->savedFaceText : "";
}

void Button::StartEditing() {
    ButtonCycle* cycle = Cycle(currentCycle);
    if (!cycle || !keyboard) return;
    std::memcpy(cycle->savedFaceText, cycle->faceText, sizeof cycle->faceText);
    // The underscore is the cursor; the face text never passes 90 characters, so it fits.
    size_t length = std::strlen(cycle->faceText);
    cycle->faceText[length] = '_';
    cycle->faceText[length + 1] = 0;
    keyboard->SetTextMode(1);
    // Keys typed before the edit began are not part of it.
    keyboard->Reset(RESET_EVENTS);
    editing = 1;
}

void Button::EndEditing(int keep) {
    editing = 0;
    if (keyboard) keyboard->SetTextMode(0);
    ButtonCycle* cycle = Cycle(currentCycle);
    if (!cycle) return;
    if (keep) {
        size_t length = std::strlen(cycle->faceText);
        if (length > 0 && cycle->faceText[length - 1] == '_') cycle->faceText[length - 1] = 0;
    } else {
        std::memcpy(cycle->faceText, cycle->savedFaceText, sizeof cycle->faceText);
    }
}

void Button::TakeKeys() {
    ButtonCycle* cycle = Cycle(currentCycle);
    if (!keyboard || !cycle) return;
    KeyEvent event;
    while (editing && keyboard->GetEvent(&event)) {
        if (!(event.flags & KEYFLAG_DOWN)) continue;
        char* face = cycle->faceText;
        // The length counts the cursor at its end.
        int32_t n = int32_t(std::strlen(face));
        if (event.code == KEY_BACKSPACE) {
            if (n > 1) {
                face[n - 2] = '_';
                face[n - 1] = 0;
            }
        } else if (event.code == KEY_ENTER) {
            EndEditing(1);
            Notify(WIDGET_TEXT_DONE, 0, 0);
        } else if (event.code == KEY_ESCAPE) {
            EndEditing(0);
        } else if (event.code >= 32 && event.code <= 122 && n < WIDGET_TEXT_MAX &&
                   (maxTextLength < 0 || n < maxTextLength - 1)) {
            face[n - 1] = char(event.code);
            face[n] = '_';
            face[n + 1] = 0;
        }
    }
}

void Button::Click(int32_t over) {
    // A release away from the button is no click: the cycle stays, as the callback
    // hears of no click either.
    if (over) {
        if (cycleCount > 1) {
            int32_t current = currentCycle < 0 ? 0 : currentCycle;
            if (currentCycle < 0)
                SelectCycle(0);
            else if (pressedButtons & MOUSE_LEFT)
                SelectCycle((current + 1) % cycleCount);
            else
                SelectCycle((current + cycleCount - 1) % cycleCount);
        } else if ((pressedButtons & MOUSE_RIGHT) && (userFlags & BUTTON_EDITABLE) && !editing) {
            StartEditing();
        }
    }
    if (const ButtonCycle* cycle = Cycle(currentCycle)) SetText(cycle->caption);
    pressedButtons = 0;
}

int Button::HandleInput(float&, float&, float&, float&, int32_t buttons, int32_t event,
                        int32_t over) {
    if (editing) TakeKeys();
    if (editing && event == WIDGET_OVER && !over && (buttons & (MOUSE_LEFT | MOUSE_RIGHT)))
        EndEditing(0);
    if (event == WIDGET_PRESS) pressedButtons |= buttons & (MOUSE_LEFT | MOUSE_RIGHT);
    if (event == WIDGET_CLICK) Click(over);
    return 0;
}

int Button::Draw() {
    Screen* screen = CurrentScreen();
    if (!screen) return 0;
    const ButtonCycle* cycle = Cycle(currentCycle);
    const CSurface* surface = cycle && cycle->texture ? cycle->texture : baseTexture;
    const int pressed = (pressedButtons & (MOUSE_LEFT | MOUSE_RIGHT)) || pressedLook;
    Rgba face = cycle ? cycle->colour : kWhite;
    if (pressed) face = Shifted(face, -kPressedDrop);
    const WidgetBox box = {x, y, x + width, y + height};
    Vertex quad[4];
    QuadVertices(quad, box, face);
    screen->SetSurface(surface);
    screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0);
    // Raised, or sunken while pressed.
    Vertex lines[8];
    if (pressed)
        OutlineVertices(lines, box, kButtonDark, kButtonLight);
    else
        OutlineVertices(lines, box, kButtonLight, kButtonDark);
    screen->SetSurface(nullptr);
    screen->DrawPrimitive(PRIM_LINES, lines, 8, 0);
    if (font && cycle) font->DrawText(cycle->faceText, x + textOffsetX, y + textOffsetY);
    return 1;
}

// ---------------------------------------------------------------- WidgetGroup

WidgetGroup::WidgetGroup() : captured(nullptr) {}

WidgetGroup::~WidgetGroup() {
    RemoveAll();
}

int WidgetGroup::Add(Widget* widget) {
    if (!widget) return 0;
    if (widget->kind == WIDGET_BUTTON) static_cast<Button*>(widget)->SetKeyboard(keyboard);
    return widgets.AddBack(widget) ? 1 : 0;
}

void WidgetGroup::SetKeyboard(Keyboard* keys) {
    keyboard = keys;
    for (int32_t i = 0; Widget* widget = At(i); ++i)
        if (widget->kind == WIDGET_BUTTON) static_cast<Button*>(widget)->SetKeyboard(keys);
}

Widget* WidgetGroup::At(int32_t index) {
    int32_t i = 0;
    for (bool more = widgets.First(); more; more = widgets.Next(), ++i)
        if (i == index) return static_cast<Widget*>(widgets.Current());
    return nullptr;
}

Widget* WidgetGroup::HitTest(float px, float py) {
    for (bool more = widgets.First(); more; more = widgets.Next()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        if (!(widget->flags & WIDGET_HIDDEN) && widget->Contains(px, py)) return widget;
    }
    return nullptr;
}

Widget* WidgetGroup::FindById(int32_t id) {
    for (bool more = widgets.First(); more; more = widgets.Next()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        if (widget->id == id) return widget;
    }
    return nullptr;
}

// Per frame, from the button word's edges: a press goes to the widget under the pointer,
// which is captured; the release goes to the captured widget (a click only when the
// pointer is still over it); the captured widget is dragged (or moved); the widget under
// the pointer hears that the pointer is over it; every other visible widget gets the
// edges with over = 0 (an editing button cancels on a press elsewhere). The middle
// button takes no part. Callbacks may remove widgets, so each is looked up again after
// them.
void WidgetGroup::ReleaseCaptured() {
    Widget* widget = captured;
    captured = nullptr;
    if (!widget) return;
    float x = widget->x, y = widget->y, dx = 0.0f, dy = 0.0f;
    widget->HandleInput(x, y, dx, dy, MOUSE_LEFT | MOUSE_RIGHT, WIDGET_CLICK, 0);
}

int WidgetGroup::Dispatch(float& px, float& py, float& dx, float& dy, int32_t buttons,
                          int32_t moveMode) {
    int32_t pressed = 0, released = 0;
    if (buttons & MOUSE_LEFT_WENT_DOWN)
        pressed |= MOUSE_LEFT;
    else if (buttons & MOUSE_LEFT_WENT_UP)
        released |= MOUSE_LEFT;
    if (buttons & MOUSE_RIGHT_WENT_DOWN)
        pressed |= MOUSE_RIGHT;
    else if (buttons & MOUSE_RIGHT_WENT_UP)
        released |= MOUSE_RIGHT;

    Widget* under = HitTest(px, py);
    int result = 0;
    if (under && pressed) {
        captured = under;
        int r = under->HandleInput(px, py, dx, dy, pressed, WIDGET_PRESS, 1);
        under->Notify(WIDGET_PRESS, pressed, r);
        if (!Holds(under)) under = nullptr;
    }
    if (captured && released) {
        Widget* widget = captured;
        const int32_t over = widget == under;
        int r = widget->HandleInput(px, py, dx, dy, released, WIDGET_CLICK, over);
        if (over) widget->Notify(WIDGET_CLICK, released, r);
        // Once every button is up, the next release needs a new press over a widget.
        if (!(buttons & (MOUSE_LEFT | MOUSE_RIGHT)) && captured == widget) captured = nullptr;
        if (under && !Holds(under)) under = nullptr;
    }
    if (captured) {
        Widget* widget = captured;
        if (moveMode & 1) {
            widget->SetPosition(widget->x + dx, widget->y + dy);
        } else {
            result = widget->HandleInput(px, py, dx, dy, buttons, WIDGET_DRAG, 1);
            widget->Notify(WIDGET_DRAG, buttons, result);
            if (under && !Holds(under)) under = nullptr;
        }
    }
    if (under) {
        if (!pressed) under->Notify(WIDGET_OVER, buttons, 0);
        if (Holds(under)) under->HandleInput(px, py, dx, dy, buttons, WIDGET_OVER, 1);
    }
    if (under && !Holds(under)) under = nullptr;

    // By position: a widget removed on the way only makes one be skipped this frame.
    for (int32_t i = 0; Widget* widget = At(i); ++i) {
        if ((widget->flags & WIDGET_HIDDEN) || widget == under || widget == captured) continue;
        widget->HandleInput(px, py, dx, dy, pressed | released, WIDGET_OVER, 0);
    }
    return result;
}

int WidgetGroup::DrawAll() {
    for (bool more = widgets.First(); more; more = widgets.Next()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        if (!(widget->flags & WIDGET_HIDDEN)) widget->Draw();
    }
    return 1;
}

bool WidgetGroup::Holds(const Widget* widget) {
    for (bool more = widgets.First(); more; more = widgets.Next())
        if (widgets.Current() == widget) return true;
    return false;
}

void WidgetGroup::Free(Widget* widget) {
    if (captured == widget) captured = nullptr;
    widget->Release();
    XDELETE(widget);
}

int WidgetGroup::RemoveById(int32_t id) {
    for (bool more = widgets.First(); more; more = widgets.Next()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        if (widget->id != id) continue;
        widgets.Remove(1);
        Free(widget);
        return 1;
    }
    return 0;
}

int WidgetGroup::RemoveAll() {
    while (widgets.First()) {
        Widget* widget = static_cast<Widget*>(widgets.Current());
        widgets.Remove(1);
        Free(widget);
    }
    captured = nullptr;
    return 1;
}
