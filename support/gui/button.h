// The editor's controls, drawn by the renderer in the 640 x 480 virtual screen (y
// downward) rather than by the platform: the Widget base, the vertical Slider with its
// knob and two range markers, the multi-cycle Button that can also hold an editable
// text, and the WidgetGroup that holds one page's widgets, routes pointer input to them
// and draws them.
//
// Sections: constants and the callback; Widget; Slider; Button; WidgetGroup.
//
// Widgets draw through the current screen (glb->currentScreen) in whatever view the
// caller set, read typed text from glb->keyboard and report to their callback. A group
// owns the widgets added to it (made with XNEW) and frees them in RemoveById/RemoveAll.
#pragma once

#include <cstdint>

#include "base/screenb.h"
#include "llist.h"

class Keyboard;

class BitmapFont;
class CSurface;
class Widget;

// ---------------------------------------------------------------- constants

enum WidgetKind { WIDGET_SLIDER = 1, WIDGET_BUTTON = 2 };

enum WidgetFlag {
    WIDGET_HIGHLIGHTED = 0x1,  // drawn brighter
    WIDGET_HIDDEN = 0x2,       // not drawn, never hit, gets no input
};

// Events of HandleInput and of the callback.
enum WidgetEvent {
    WIDGET_OVER = 0,       // the pointer is over the widget (callback: no press this time)
    WIDGET_PRESS = 1,      // a button went down over it
    WIDGET_CLICK = 2,      // HandleInput: the release; callback: released over the pressed widget
    WIDGET_DRAG = 3,       // the captured widget, every dispatch
    WIDGET_TEXT_DONE = 4,  // enter ended a text edit
};

// Drag states of a slider, also the results of its press and release.
enum SliderDrag {
    SLIDER_DRAG_NONE = 0,
    SLIDER_DRAG_KNOB = 1,
    SLIDER_DRAG_LOW = 2,
    SLIDER_DRAG_HIGH = 4,
};

// Results of a slider's input: what changed (bit 0 the value, bit 1 the low marker,
// bit 2 the high marker).
enum SliderChange { SLIDER_VALUE = 1, SLIDER_LOW = 2, SLIDER_HIGH = 4 };

// SetMarkers' flags.
enum SliderMarkerFlag {
    MARKERS_LOW = 2,          // set the low marker
    MARKERS_HIGH = 4,         // set the high marker
    MARKERS_FROM_LIMITS = 8,  // the arguments are value limits: move them out by the margin
    MARKERS_FORCE = 16,       // store and place even when unchanged
};

// Button user flags.
enum ButtonUserFlag { BUTTON_EDITABLE = 0x2 };

#define WIDGET_TEXT_SIZE 100
#define WIDGET_TEXT_MAX 90  // longer texts are ignored
#define SLIDER_KNOB_SIZE 5.0f
#define SLIDER_STYLE 6  // the style every slider of the configuration gets

// event WidgetEvent; buttons: the pressed bits for a press, the released bits for a
// click, the whole button word otherwise; result: what HandleInput returned for the
// same event (0 for WIDGET_OVER).
typedef void (*WidgetCallback)(Widget* widget, int32_t event, int32_t buttons, void* userData,
                               int32_t result);

// ---------------------------------------------------------------- Widget

class Widget {
public:
    Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // Virtual operations, in slot order.
    virtual int Draw() = 0;
    // The pointer (x, y) and its movement (dx, dy) may be changed by the widget;
    // buttons is the mouse's button word (or its pressed or released bits), over 1 when
    // the pointer is over this widget.
    virtual int HandleInput(float& x, float& y, float& dx, float& dy, int32_t buttons,
                            int32_t event, int32_t over) = 0;
    // Frees what the widget owns.
    virtual int Release() = 0;
    virtual void SetPosition(float newX, float newY);
    virtual void SetSize(float newWidth, float newHeight);
    virtual ~Widget();

    void SetCallback(WidgetCallback function, void* data);
    // Texts over 90 characters are ignored (result 0).
    int SetText(const char* newText);
    void SetFont(BitmapFont* newFont) { font = newFont; }
    void SetFlags(int32_t bits) { flags |= bits; }
    void ClearFlags(int32_t bits) { flags &= ~bits; }
    // Edges included.
    int Contains(float px, float py) const;
    // Calls the callback, if any.
    void Notify(int32_t event, int32_t buttons, int32_t result);

protected:
    // What every Init of a kind sets first.
    void Place(int32_t newId, int32_t newKind, float newX, float newY, float newWidth,
               float newHeight);

public:
    int32_t id;
    int32_t kind;  // WidgetKind
    char text[WIDGET_TEXT_SIZE];
    float x, y, width, height;
    WidgetCallback callback;
    void* userData;
    int32_t flags;  // WidgetFlag
    BitmapFont* font;
};

// ---------------------------------------------------------------- Slider

struct WidgetBox {
    float left, top, right, bottom;
};

// A vertical track between two end values. The track reaches a margin m (the value span
// of knob size + 2 units) beyond the range at each end, where the markers rest; the
// knob keeps m inside the markers, so the knob's value limits are the markers' values
// moved in by m. Direction +1 puts the range start at the top when it is the larger
// end, -1 otherwise.
class Slider : public Widget {
public:
    Slider();

    int Draw() override;
    int HandleInput(float& x, float& y, float& dx, float& dy, int32_t buttons, int32_t event,
                    int32_t over) override;
    int Release() override { return 1; }
    // The boxes follow.
    void SetPosition(float newX, float newY) override;
    void SetSize(float newWidth, float newHeight) override;

    // Range start at the top, range end at the bottom; markers at the ends, the knob at
    // the value. sensitivity: value units per unit of vertical pointer movement.
    int InitSlider(int32_t newId, float newX, float newY, float newWidth, float newHeight,
                   float rangeStart, float rangeEnd, float newValue, float newSensitivity,
                   int32_t newStyle);
    // Clamped into the value limits; 1 if the value changed or force is set.
    int SetValue(float newValue, int force);
    // MarkerFlags; 1 when a marker changed.
    int SetMarkers(float newHigh, float newLow, int32_t markerFlags);
    void SetColour(uint8_t red, uint8_t green, uint8_t blue);
    float Value() const { return value; }
    float Low() const { return low; }
    float High() const { return high; }
    // SLIDER_DRAG_LOW: the low marker; SLIDER_DRAG_HIGH: the high marker; else the value.
    float GetMarkerValue(int32_t dragState) const;
    // The lowest and highest value the knob may take between the markers.
    void GetValueLimits(float* lowest, float* highest) const;

    WidgetBox knob, highMarker, lowMarker;
    int32_t style;
    int32_t reserved;  // 0
    float bottomEnd, topEnd;
    float value;
    float low;  // marker values
    float high;
    float knobSize;
    float sensitivity;
    float margin;
    uint8_t colour[4];  // knob
    int32_t drag;       // SliderDrag
    float direction;

private:
    // Vertical offset of a value's box from the slider's top.
    float Offset(float v) const;
    void PlaceBox(WidgetBox& box, float v) const;
    void PlaceBoxes();
    // Pointer y kept at the same distance to a box's top after the box moved.
    static void Pin(float& pointerY, float oldTop, const WidgetBox& box);
};

// ---------------------------------------------------------------- Button

// One state of a button, 308 bytes in the 32-bit program.
struct ButtonCycle {
    const CSurface* texture;  // null: the button's base texture
    Rgba colour;              // vertex colour of the face, 255 each by default
    char faceText[WIDGET_TEXT_SIZE];
    char caption[WIDGET_TEXT_SIZE];
    char savedFaceText[WIDGET_TEXT_SIZE];  // to undo an edit
};
static_assert(sizeof(void*) != 4 || sizeof(ButtonCycle) == 308, "a cycle is 308 bytes");

// A face that steps through its cycles on clicks (left forward, right back) and, with
// BUTTON_EDITABLE and one cycle, takes a typed face text after a right click.
class Button : public Widget {
public:
    Button();
    ~Button() override;

    int Draw() override;
    int HandleInput(float& x, float& y, float& dx, float& dy, int32_t buttons, int32_t event,
                    int32_t over) override;
    int Release() override;

    // cycles below 1 make 1; no cycle selected until SelectCycle or SetCycleCaption.
    int InitButton(int32_t newId, float newX, float newY, float newWidth, float newHeight,
                   int32_t cycles, int32_t newUserFlags);
    // "Invalid cycle nr" for a cycle out of range.
    int SetCycleColour(int32_t n, Rgba newColour);
    // Texts over 90 characters are ignored; selects n when no cycle is selected yet.
    int SetCycleCaption(int32_t n, const char* caption);
    int SetCycleText(int32_t n, const char* faceText, float offsetX, float offsetY);
    int SetCycleTexture(int32_t n, const CSurface* surface);
    void SetTexture(const CSurface* surface) { baseTexture = surface; }
    // A new cycle's caption becomes the widget text.
    int SelectCycle(int32_t n);
    int32_t CurrentCycle() const { return currentCycle; }
    int32_t CycleCount() const { return cycleCount; }
    const char* FaceText() const;
    const char* SavedFaceText() const;
    // -1: no limit beyond 90 characters.
    void SetMaxTextLength(int32_t n) { maxTextLength = n; }
    void SetPressedLook(int on) { pressedLook = on ? 1 : 0; }
    // The keys an editable button takes while its text is edited; without them it
    // cannot be edited.
    void SetKeyboard(Keyboard* keys) { keyboard = keys; }
    int IsEditing() const { return editing; }

    const CSurface* baseTexture;
    int32_t userFlags;       // ButtonUserFlag
    int32_t pressedButtons;  // button bits seen on press
    int32_t pressedLook;     // drawn pressed whatever the mouse does
    ButtonCycle* cycles;     // one zero-filled allocation
    int32_t cycleCount;
    int32_t currentCycle;  // -1 before the first selection
    float textOffsetX, textOffsetY;
    int32_t editing;
    int32_t maxTextLength;
    Keyboard* keyboard = nullptr;

private:
    ButtonCycle* Cycle(int32_t n) const;
    void Click(int32_t over);
    void StartEditing();
    // Takes every waiting key event while editing.
    void TakeKeys();
    void EndEditing(int keep);
};

// ---------------------------------------------------------------- WidgetGroup

class WidgetGroup {
public:
    WidgetGroup();
    ~WidgetGroup();
    WidgetGroup(const WidgetGroup&) = delete;
    WidgetGroup& operator=(const WidgetGroup&) = delete;

    // Appends; the group owns the widget from then on. A button gets the group's keys.
    int Add(Widget* widget);
    // The keys the group's buttons take (their text editing), now and when added.
    void SetKeyboard(Keyboard* keys);
    // The first widget added that is not hidden and whose box holds the point.
    Widget* HitTest(float px, float py);
    Widget* FindById(int32_t id);
    // Routes one frame of pointer input (see button.cpp). The pointer may be moved by
    // the widget being dragged. moveMode bit 0: the captured widget follows the pointer
    // instead of being dragged. Returns what the captured widget's drag reported (0
    // without a drag).
    int Dispatch(float& px, float& py, float& dx, float& dy, int32_t buttons, int32_t moveMode);
    int DrawAll();
    // Release, free and forget; 0 when no widget has that id.
    int RemoveById(int32_t id);
    int RemoveAll();
    Widget* Captured() const { return captured; }
    // The captured widget gets the release a button let go away from it would give (no
    // click), and the capture ends: for input that stops reaching the group.
    void ReleaseCaptured();
    int32_t Count() const { return widgets.Count(); }
    // The n-th widget in insertion order, or null.
    Widget* At(int32_t index);

    LList widgets;
    Widget* captured;  // the widget a press went to, until every button is up again
    Keyboard* keyboard = nullptr;

private:
    bool Holds(const Widget* widget);
    void Free(Widget* widget);
};
