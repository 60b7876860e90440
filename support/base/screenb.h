// The render device, which the program calls a screen: the abstract Screen
// with its shared behaviour, the records it trades in (ScreenMode, ScreenSelection,
// Vertex, Rgba, Polygon), the primitive kinds and render states. Which screens there
// are and which one a run uses is base/screenchoice.
//
// Contents: constants; records; class Screen (virtual operations, accessors, helpers and
// state for the devices).
//
// The devices (the OpenGL screens: OglRenderer in support/ogl with OglScreen in
// support/win/scr_ogl; D3dScreen in support/win/scr_d3d) supply the operations marked
// "device" as overrides of the pure virtuals; the base supplies the rest: what both
// devices do alike (opening in a host window, applying a surface, what the render-state
// values mean, the steps of losing and regaining the activation) lives here once.
// Drawing devices run the shared part of DrawPrimitive through CheckPrimitive and
// CountPrimitive, apply render states through the Apply hooks, and sort their mode
// lists with SortModeList.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/monitorview.h"
#include "llist.h"
#include "platform.h"

class Camera;
// base/texture.h.
class CSurface;
class TextureList;
class Texture;

// ---------------------------------------------------------------------------------------
// Constants

enum ScreenKind {
    SCREEN_OPENGL = 1,  // standard OpenGL driver
    SCREEN_3DFX = 2,    // 3dfx OpenGL driver
    SCREEN_D3D = 3,     // Direct3D 7
};

enum DisplayMode {
    DISPLAY_FULLSCREEN = 1,  // changes the display resolution; borderless window over it
    DISPLAY_WINDOW = 2,      // framed window of the mode's size centred on the desktop
    DISPLAY_DESKTOP = 3,     // borderless maximised window over the whole desktop
    DISPLAY_CHILD = 4,       // inside a host window (the screensaver preview)
};

enum PrimitiveKind {
    PRIM_POINTS = 0,
    PRIM_LINES = 1,  // pairs
    PRIM_LINE_STRIP = 2,
    PRIM_TRIANGLES = 3,
    PRIM_TRIANGLE_STRIP = 4,
    PRIM_TRIANGLE_FAN = 5,
    PRIM_QUADS = 6,       // groups of four
    PRIM_KIND_COUNT = 7,  // kinds from here on draw nothing and return 1
};

// Render-state numbers 0..5; 0 and 2 are stored but have no effect.
enum RenderState {
    RS_TEXTURE = 1,      // 0 or 1: texturing off; 2: on
    RS_BLEND = 3,        // 0: off; 1: additive (one, one); 2: alpha
    RS_DEPTH_TEST = 4,   // 0: off; 1: on
    RS_DEPTH_WRITE = 5,  // 1: depth writes on; any other value: off
    RENDER_STATE_COUNT = 6,
};
// As a render-state value: apply the value stored for the state again.
#define RENDER_STATE_REAPPLY (-1)

// Clear's flags.
enum ClearFlags { CLEAR_COLOUR = 1, CLEAR_DEPTH = 2 };

#define SCREEN_NAME_SIZE 50
#define MODE_NAME_SIZE 128
// The most monitors a screen draws on; more are left dark.
#define SCREEN_MONITOR_MAX 16

// ---------------------------------------------------------------------------------------
// Records

// A display mode; copied by value.
struct ScreenMode {
    int32_t width;
    int32_t height;
    int32_t bits;                   // 16, 24 or 32 in listed modes; 0 for a child window
    int32_t depthBuffer;            // 1: the Direct3D screen gives the mode a depth buffer
    int32_t displayMode;            // DisplayMode
    char modeName[MODE_NAME_SIZE];  // "%ldx%ldx%ld" for listed modes, empty otherwise
};

// The persisted choice of screen and mode: a 128-byte block written as it stands in
// memory, little-endian (the settings file stores two).
struct ScreenSelection {
    uint16_t valid;  // 1 when written; below 1: no saved choice
    uint16_t zero;
    uint16_t kind;         // ScreenKind
    uint16_t displayMode;  // of the screen's current mode, 0 without one
    uint16_t width;
    uint16_t height;
    uint16_t bits;
    uint8_t reserved[50];
    uint8_t devicePart[64];  // written by the screen's SaveSelection
};
static_assert(sizeof(ScreenSelection) == 128, "ScreenSelection is a 128-byte block");
static_assert(offsetof(ScreenSelection, valid) == 0, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, zero) == 2, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, kind) == 4, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, displayMode) == 6, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, width) == 8, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, height) == 10, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, bits) == 12, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, reserved) == 14, "ScreenSelection layout");
static_assert(offsetof(ScreenSelection, devicePart) == 64, "ScreenSelection layout");

// One vertex; arrays of vertices have a stride of 32 bytes.
struct Vertex {
    float x, y, z;
    uint8_t r, g, b, a;
    float u, v;
    uint8_t unused[8];  // not read by the devices
};
static_assert(sizeof(Vertex) == 32, "Vertex is 32 bytes");
static_assert(offsetof(Vertex, x) == 0, "Vertex layout");
static_assert(offsetof(Vertex, r) == 12, "Vertex layout");
static_assert(offsetof(Vertex, a) == 15, "Vertex layout");
static_assert(offsetof(Vertex, u) == 16, "Vertex layout");
static_assert(offsetof(Vertex, unused) == 24, "Vertex layout");

// The clear colour.
struct Rgba {
    uint8_t r, g, b, a;
};
static_assert(sizeof(Rgba) == 4, "Rgba is four bytes");

// A vertex from its place, colour and texture coordinates; the unused bytes zero.
inline Vertex MakeVertex(float x, float y, float z, Rgba colour, float u = 0.0f, float v = 0.0f) {
    Vertex vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    vertex.r = colour.r;
    vertex.g = colour.g;
    vertex.b = colour.b;
    vertex.a = colour.a;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// One polygon of DrawPolygons. Win32's <wingdi.h> declares a function Polygon, which
// hides this name in files that include both: write `struct Polygon` there, as below.
struct Polygon {
    Vertex vertices[4];
    int32_t count;  // 2, 3 or 4 vertices used
    const CSurface* surface;
};

// ---------------------------------------------------------------------------------------
// Screen

// What DrawPrimitive drew since the last Present, by primitive kind; the editor's "Draw
// info" page shows them in this order.
struct DrawCounts {
    int32_t points;
    int32_t lines;
    int32_t lineStrips;
    int32_t triangles;
    int32_t triangleStrips;
    int32_t triangleFans;
    int32_t quads;
};

class Screen {
public:
    // Counters 0, render states 0, no modes listed, active, no mode; the name is bounded
    // to SCREEN_NAME_SIZE - 1 characters.
    Screen(const char* screenName, int32_t screenKind);
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Virtual operations: 1 success, 0 failure (recorded with SetErrorText or
    // SetError), unless a result is named.

    // Keeps the host window in parentWindow and opens, with InitMode, a zeroed mode of
    // its outer size (Platform().windowOuterSize), bits 0, depthBuffer, DISPLAY_CHILD.
    virtual int InitInWindow(WindowHandle hostWindow, int32_t depthBuffer);
    // device: open the mode; on success `mode` holds a copy of it.
    virtual int InitMode(const ScreenMode* newMode) = 0;
    // A zeroed ScreenMode from the arguments, opened with InitMode.
    virtual int InitModeBySize(int32_t width, int32_t height, int32_t bits, int32_t displayMode,
                               int32_t depthBuffer);
    // The first listed mode of the same width, height and bits, opened with InitMode
    // (its own displayMode); 0 without a message when none matches.
    virtual int InitListedMode(const ScreenMode* wanted);
    // The current mode, or null.
    virtual ScreenMode* GetMode();
    // device: close the mode, the window and the driver.
    virtual int ExitMode() = 0;
    // device: fill `modes` once (modesListed), then SortModeList.
    virtual int GetModeList() = 0;
    // Iteration over the listed modes with the list's cursor.
    virtual int ModeFirst();
    virtual int ModeValid();
    virtual int ModeNext();
    virtual ScreenMode* ModeCurrent();
    // device: 1 if this screen can open that display mode.
    virtual int SupportsDisplayMode(int32_t displayMode) = 0;
    // device: 0 while the device cannot draw.
    virtual int IsReady() = 0;
    // 1 if the current mode is full screen.
    virtual int IsFullScreen();
    // The texture list's RestoreAll / ReleaseAll (when the screen has a list), then
    // active / not: the shared steps of ActivationRegained / ActivationLost.
    virtual int Restore();
    virtual int Release();
    // device: 1 if usable.
    virtual int IsAvailable() = 0;
    // device: show the frame, then ResetDrawCounters.
    virtual int Present() = 0;
    // device: write the 64-byte device part of a ScreenSelection.
    virtual int SaveSelection(void* devicePart) = 0;
    // device: non-zero if the device part describes this screen (which adopts it).
    virtual int MatchSelection(const void* devicePart, int32_t flag) = 0;
    // device.
    virtual int BeginScene() = 0;
    virtual int EndScene() = 0;
    // device: flags ClearFlags; fade 0 clears, else draws a fading quad over the frame.
    virtual int Clear(const Rgba* colour, float fade, int32_t flags) = 0;
    // device: CheckPrimitive, draw, CountPrimitive; kinds above 6 draw nothing and
    // return 1; flags are not interpreted.
    virtual int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count,
                              int32_t flags) = 0;
    // device: read the frame and save it as a picture file (Bitmap::Save).
    virtual int SaveScreenshot(const char* fileName, int32_t flag) = 0;
    // Applies a surface (CSurface): RS_TEXTURE from its texture mode, RS_BLEND from
    // its blend mode and, when textured, its texture (BindTexture); null applies the
    // default surface (untextured, opaque).
    virtual int SetSurface(const CSurface* surface);
    // device: viewport and projection for a camera; null: the 2-D overlay.
    virtual int SetView(const Camera* camera) = 0;
    // StoreRenderState, then the device applies what the value means for the state
    // through the Apply hooks below; a value without a meaning changes nothing.
    virtual int SetRenderState(int32_t state, int32_t value);
    // The screen's texture list (TextureList); the base has none.
    virtual TextureList* GetTextureList();
    // device: make the texture current; null returns 0.
    virtual int BindTexture(Texture* texture) = 0;
    // Frees every listed mode and the list's nodes (and the memory of a mode still
    // held); does not close an open mode: the caller runs ExitMode first.
    virtual ~Screen();

    // Looks for this screen's driver on the machine, logging what is missing; 1 when
    // the screen can draw, and it then joins glb->screenList (base/screenchoice).
    virtual int FindDriver() = 0;

    // The application lost / regained the activation (another program came to the
    // front, or this one came back): Release / Restore. A device with more to do
    // overrides these and calls them for the shared steps.
    virtual void ActivationLost();
    virtual void ActivationRegained();
    // Its window is about to be destroyed: a device lets go of what needs the window.
    // The base holds nothing of the kind.
    virtual void LetGoOfWindow();
    // Presents from now on wait for every `interval`-th refresh of the display (vertical
    // sync; 0 turns it off). 1 when they do; 0 when the device cannot (the base cannot).
    virtual int SyncToDisplay(int32_t interval);
    // Whether the device fills a texture left as it is (white vertices) much faster than
    // one tinted by its vertices, so that a tint is best made into the texture. The base:
    // no.
    virtual bool PrefersTexturesAsTheyAre() const { return false; }

    // Non-virtual operations.

    // Shown to the user and in the log: "Standard opengl", "3dfx opengl", "Direct 3d".
    const char* Name() const { return name; }
    // ScreenKind.
    int32_t Kind() const { return kind; }
    // 1 from construction and Restore on, 0 from Release on.
    int IsActive() const { return active; }
    // What was drawn since the last Present.
    const DrawCounts& Draws() const { return draws; }

    // The platform, once a mode is open: the target's size and its monitors (at most
    // SCREEN_MONITOR_MAX, each cut to the target); without any, the whole target is the
    // one monitor. The primary monitor is then drawn on, centred.
    void SetTarget(int32_t width, int32_t height, const ScreenArea* areas, int32_t count,
                   int32_t primary);
    // The monitors the frame is drawn on (base/monitorview), in the platform's order.
    int32_t MonitorCount() const { return monitorCount; }
    // Where monitor `index` (below MonitorCount) lies on the target.
    const ScreenArea& Monitor(int32_t index) const { return monitors[index]; }
    // The monitor the platform calls primary: the editor's and the display mode's.
    int32_t PrimaryMonitor() const { return primaryMonitor; }
    // What follows draws on monitor `index` with the design laid out as `layout`
    // (MonitorLayout): SetView, Clear and the fade quad keep to that monitor. An index
    // out of range takes the whole target.
    void UseMonitor(int32_t index, int32_t layout);
    // The monitor in use and the design's layout on it.
    const MonitorView& View() const { return view; }
    // Per polygon: SetSurface(surface), then one DrawPrimitive by the vertex count (2
    // lines, 3 triangles, 4 quads; any other count draws nothing). Returns 1.
    int DrawPolygons(const struct Polygon* list, int32_t count);

protected:
    // How the quad-list check words its message: the OpenGL screens add the count.
    enum QuadMessage { QUAD_MESSAGE_WITH_COUNT, QUAD_MESSAGE_PLAIN };

    // DrawPrimitive's checks, in order (null vertices, line list, line strip, triangle
    // list, quad list); a failure is recorded with SetErrorText and returns 0. Points,
    // strips, fans and kinds above 6 pass.
    static int CheckPrimitive(int32_t kind, const Vertex* vertices, int32_t count,
                              QuadMessage quadMessage);
    // Adds a drawn primitive to the counters (nothing for kinds outside 0..6).
    void CountPrimitive(int32_t kind, int32_t count);
    void ResetDrawCounters();

    // What the render-state values mean, for the device to apply. SetRenderState calls
    // them only with a meaningful value: texturing RS_TEXTURE 0 or 1 off, 2 on; blending
    // RS_BLEND 0..3 (SurfaceBlendMode); depth testing RS_DEPTH_TEST 0 off, 1 on (the
    // comparison is the device's); depth writes RS_DEPTH_WRITE 1 on, any other value off.
    virtual void ApplyTexturing(bool on) = 0;
    virtual void ApplyBlend(int32_t blendMode) = 0;
    virtual void ApplyDepthTest(bool on) = 0;
    virtual void ApplyDepthWrite(bool on) = 0;
    // SetRenderState's shared part: RENDER_STATE_REAPPLY gives the stored value, any
    // other value is stored and given back. States outside 0..5 are not stored.
    int32_t StoreRenderState(int32_t state, int32_t value);
    // The last value stored for a state (0..5); 0 before any.
    int32_t StoredRenderState(int32_t state) const { return renderStates[state]; }

    // The size drawn on: the mode's, or what the platform really got (a window over
    // every monitor, or over the desktop when full screen could not change the mode).
    int32_t TargetWidth() const { return targetWidth; }
    int32_t TargetHeight() const { return targetHeight; }

    // Appends a listed mode named "%ldx%ldx%ld" (depth buffer 0). A node that cannot be
    // made: "Unable to allocate memory for the new open gl mode", 0.
    int AddListedMode(int32_t width, int32_t height, int32_t bits, int32_t displayMode);
    // Puts the desktop mode at the head of the list, named "Desktop (%ldx%ld)": the
    // list's first entry, as the settings dialog shows it (after SortModeList).
    int AddDesktopMode(int32_t width, int32_t height, int32_t bits);
    // Stable bubble sort of `modes` ascending by width, height, then bits.
    void SortModeList();
    // Frees every listed mode and the list's nodes; modesListed stays as it is.
    void FreeModeList();
    // Copies a mode into `mode`, allocating it when null (a null mode changes nothing).
    void KeepMode(const ScreenMode* newMode);
    // Frees `mode` and sets it to null.
    void FreeMode();
    // ExitMode's last steps on every device, once its window is gone: "Freeing active
    // mode" and the mode freed (when there is one), then "Cleaning up screen" with the
    // textures and the listed modes freed (modesListed stays, so the list stays empty).
    void CleanUpScreen();

    // The devices' own state of the mode.
    uint8_t modesListed;        // set by the first GetModeList
    LList modes;                // owned ScreenMode records, sorted; cursor for ModeFirst...
    ScreenMode* mode;           // owned copy of the open mode, null while closed
    WindowHandle parentWindow;  // the host window of DISPLAY_CHILD (InitInWindow)

private:
    char name[SCREEN_NAME_SIZE];
    uint8_t kind;  // ScreenKind
    DrawCounts draws;
    int32_t renderStates[RENDER_STATE_COUNT];  // the last value applied per state
    int32_t active;
    int32_t targetWidth;
    int32_t targetHeight;
    // Where the monitors lie on the target, and the one drawn on now.
    int32_t monitorCount;
    ScreenArea monitors[SCREEN_MONITOR_MAX];
    int32_t primaryMonitor;
    MonitorView view;
};
