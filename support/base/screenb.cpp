// The Screen base. Contents: construction; the base's virtual operations; monitors;
// DrawPolygons; the devices' shared parts (primitive checks and counters, render
// states, mode list).
#include "base/screenb.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ansi/memory.h"
#include "base/texture.h"
#include "misc.h"
#include "xsystem.h"

// ---------------------------------------------------------------------------------------
// Construction

Screen::Screen(const char* screenName, int32_t screenKind)
    : modesListed(0),
      mode(nullptr),
      parentWindow(0),
      kind(uint8_t(screenKind)),
      draws(),
      renderStates(),
      active(1),
      targetWidth(0),
      targetHeight(0),
      monitorCount(0),
      monitors(),
      primaryMonitor(0),
      view(MakeMonitorView(ScreenArea{0, 0, 0, 0}, LAYOUT_CENTRED)) {
    std::snprintf(name, sizeof name, "%s", screenName ? screenName : "");
}

Screen::~Screen() {
    // The texture list belongs to the derived screen, whose destructor has already run
    // by now; it frees its textures itself (OglScreen, D3dScreen).
    FreeModeList();
    FreeMode();
}

// ---------------------------------------------------------------------------------------
// The base's virtual operations

int Screen::InitInWindow(WindowHandle hostWindow, int32_t depthBuffer) {
    parentWindow = hostWindow;
    ScreenMode childMode;
    std::memset(&childMode, 0, sizeof childMode);
    Platform().windowOuterSize(hostWindow, &childMode.width, &childMode.height);
    childMode.depthBuffer = depthBuffer;
    childMode.displayMode = DISPLAY_CHILD;
    return InitMode(&childMode);
}

int Screen::InitModeBySize(int32_t width, int32_t height, int32_t bits, int32_t displayMode,
                           int32_t depthBuffer) {
    ScreenMode wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.width = width;
    wanted.height = height;
    wanted.bits = bits;
    wanted.displayMode = displayMode;
    wanted.depthBuffer = depthBuffer;
    return InitMode(&wanted);
}

int Screen::InitListedMode(const ScreenMode* wanted) {
    if (!wanted) return 0;
    for (bool more = modes.First(); more; more = modes.Next()) {
        const ScreenMode* listed = static_cast<const ScreenMode*>(modes.Current());
        if (listed && listed->width == wanted->width && listed->height == wanted->height &&
            listed->bits == wanted->bits)
            return InitMode(listed);
    }
    return 0;
}

ScreenMode* Screen::GetMode() {
    return mode;
}

int Screen::ModeFirst() {
    return modes.First() ? 1 : 0;
}

int Screen::ModeValid() {
    return modes.IsValid() ? 1 : 0;
}

int Screen::ModeNext() {
    return modes.Next() ? 1 : 0;
}

ScreenMode* Screen::ModeCurrent() {
    return static_cast<ScreenMode*>(modes.Current());
}

int Screen::IsFullScreen() {
    return mode && mode->displayMode == DISPLAY_FULLSCREEN ? 1 : 0;
}

// The texture list re-makes / drops its device textures (the Direct3D list's surfaces
// are lost with the activation; OpenGL keeps its own).
int Screen::Restore() {
    if (TextureList* textures = GetTextureList()) textures->RestoreAll();
    active = 1;
    return 1;
}

int Screen::Release() {
    if (TextureList* textures = GetTextureList()) textures->ReleaseAll();
    active = 0;
    return 1;
}

int Screen::SetSurface(const CSurface* surface) {
    static const CSurface defaultSurface;
    const CSurface* applied = surface ? surface : &defaultSurface;
    SetRenderState(RS_TEXTURE, applied->textureMode);
    SetRenderState(RS_BLEND, applied->blendMode);
    if (applied->textureMode == SURFACE_TEXTURED && applied->texture) BindTexture(applied->texture);
    return 1;
}

int Screen::SetRenderState(int32_t state, int32_t value) {
    value = StoreRenderState(state, value);
    switch (state) {
        case RS_TEXTURE:
            if (value == 0 || value == 1 || value == 2) ApplyTexturing(value == 2);
            break;
        case RS_BLEND:
            if (value >= SURFACE_OPAQUE && value <= SURFACE_FADE_ADD) ApplyBlend(value);
            break;
        case RS_DEPTH_TEST:
            if (value == 0 || value == 1) ApplyDepthTest(value == 1);
            break;
        case RS_DEPTH_WRITE:
            ApplyDepthWrite(value == 1);
            break;
        default:
            break;
    }
    return 1;
}

TextureList* Screen::GetTextureList() {
    return nullptr;
}

void Screen::ActivationLost() {
    Release();
}

void Screen::ActivationRegained() {
    Restore();
}

void Screen::LetGoOfWindow() {}

int Screen::SyncToDisplay(int32_t) {
    return 0;
}

// ---------------------------------------------------------------------------------------
// Monitors

void Screen::SetTarget(int32_t width, int32_t height, const ScreenArea* areas, int32_t count,
                       int32_t primary) {
    targetWidth = width;
    targetHeight = height;
    monitorCount = 0;
    primaryMonitor = 0;
    for (int32_t i = 0; areas && i < count && monitorCount < SCREEN_MONITOR_MAX; ++i) {
        // Cut to the target: a monitor beyond it has nothing drawn for it.
        int32_t left = std::max(areas[i].x, 0), top = std::max(areas[i].y, 0);
        int32_t right = std::min(areas[i].x + areas[i].width, width);
        int32_t bottom = std::min(areas[i].y + areas[i].height, height);
        if (right <= left || bottom <= top) continue;
        if (i == primary) primaryMonitor = monitorCount;
        monitors[monitorCount++] = ScreenArea{left, top, right - left, bottom - top};
    }
    if (monitorCount == 0) monitors[monitorCount++] = ScreenArea{0, 0, width, height};
    UseMonitor(primaryMonitor, LAYOUT_CENTRED);
}

void Screen::UseMonitor(int32_t index, int32_t layout) {
    ScreenArea whole = {0, 0, targetWidth, targetHeight};
    view = MakeMonitorView(index >= 0 && index < monitorCount ? monitors[index] : whole, layout);
}

// ---------------------------------------------------------------------------------------
// DrawPolygons

int Screen::DrawPolygons(const struct Polygon* list, int32_t count) {
    if (!list) return 1;
    for (int32_t i = 0; i < count; ++i) {
        const struct Polygon& polygon = list[i];
        SetSurface(polygon.surface);
        switch (polygon.count) {
            case 2:
                DrawPrimitive(PRIM_LINES, polygon.vertices, 2, 0);
                break;
            case 3:
                DrawPrimitive(PRIM_TRIANGLES, polygon.vertices, 3, 0);
                break;
            case 4:
                DrawPrimitive(PRIM_QUADS, polygon.vertices, 4, 0);
                break;
            default:
                break;
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------------------
// DrawPrimitive's shared part

int Screen::CheckPrimitive(int32_t kind, const Vertex* vertices, int32_t count,
                           QuadMessage quadMessage) {
    if (!vertices) return SetErrorText("DrawPrimitive - Dont give me NULL");
    switch (kind) {
        case PRIM_LINES:
            if (count < 2 || count % 2 != 0)
                return SetErrorText("DrawPrimitive - A line list needs lines (duh)");
            break;
        case PRIM_LINE_STRIP:
            if (count < 2)
                return SetErrorText("DrawPrimitive - A linestrip must have over 2 vertexs");
            break;
        case PRIM_TRIANGLES:
            if (count < 3 || count % 3 != 0)
                return SetErrorText("DrawPrimitive - A triangle list needs triangles (duh)");
            break;
        case PRIM_QUADS:
            if (count < 4 || count % 4 != 0) {
                if (quadMessage == QUAD_MESSAGE_WITH_COUNT)
                    return SetErrorText(
                        "DrawPrimitive - A quad list needs quads (duh) (Num verts sent : %ld)",
                        long(count));
                return SetErrorText("DrawPrimitive - A quad list needs quads (duh)");
            }
            break;
        default:
            break;
    }
    return 1;
}

namespace {

// Counters wrap like the 32-bit registers they were, instead of overflowing.
void AddToCounter(int32_t& counter, int64_t amount) {
    counter = int32_t(uint32_t(counter) + uint32_t(amount));
}

}  // namespace

void Screen::CountPrimitive(int32_t kind, int32_t count) {
    int64_t n = count;
    switch (kind) {
        case PRIM_POINTS:
            AddToCounter(draws.points, n);
            break;
        case PRIM_LINES:
            AddToCounter(draws.lines, n / 2);
            break;
        case PRIM_LINE_STRIP:
            AddToCounter(draws.lineStrips, n - 1);
            break;
        case PRIM_TRIANGLES:
            AddToCounter(draws.triangles, n / 3);
            break;
        case PRIM_TRIANGLE_STRIP:
            AddToCounter(draws.triangleStrips, n - 2);
            break;
        case PRIM_TRIANGLE_FAN:
            AddToCounter(draws.triangleFans, n - 2);
            break;
        case PRIM_QUADS:
            AddToCounter(draws.quads, n / 4);
            break;
        default:
            break;
    }
}

void Screen::ResetDrawCounters() {
    draws = DrawCounts();
}

int32_t Screen::StoreRenderState(int32_t state, int32_t value) {
    if (state < 0 || state >= RENDER_STATE_COUNT) return value;
    if (value == RENDER_STATE_REAPPLY) return renderStates[state];
    renderStates[state] = value;
    return value;
}

// ---------------------------------------------------------------------------------------
// Mode list

namespace {

ScreenMode* NewListedMode(int32_t width, int32_t height, int32_t bits, int32_t displayMode) {
    ScreenMode* listed = static_cast<ScreenMode*>(XALLOC(sizeof(ScreenMode)));
    std::memset(listed, 0, sizeof *listed);
    listed->width = width;
    listed->height = height;
    listed->bits = bits;
    listed->displayMode = displayMode;
    return listed;
}

// The list took the mode, or it is freed and the failure recorded.
int Listed(ScreenMode* mode, bool taken) {
    if (taken) return 1;
    xFree(mode);
    return SetErrorText("Unable to allocate memory for the new open gl mode");
}

}  // namespace

int Screen::AddListedMode(int32_t width, int32_t height, int32_t bits, int32_t displayMode) {
    ScreenMode* listed = NewListedMode(width, height, bits, displayMode);
    std::snprintf(listed->modeName, sizeof listed->modeName, "%ldx%ldx%ld", long(width),
                  long(height), long(bits));
    return Listed(listed, modes.AddBack(listed));
}

int Screen::AddDesktopMode(int32_t width, int32_t height, int32_t bits) {
    ScreenMode* listed = NewListedMode(width, height, bits, DISPLAY_DESKTOP);
    std::snprintf(listed->modeName, sizeof listed->modeName, "Desktop (%ldx%ld)", long(width),
                  long(height));
    modes.First();
    return Listed(listed, modes.InsertBefore(listed));
}

namespace {

bool SortsBefore(const ScreenMode* a, const ScreenMode* b) {
    if (a->width != b->width) return a->width < b->width;
    if (a->height != b->height) return a->height < b->height;
    return a->bits < b->bits;
}

}  // namespace

void Screen::SortModeList() {
    int32_t count = modes.Count();
    ScreenMode** sorted = static_cast<ScreenMode**>(XALLOC(sizeof(ScreenMode*) * size_t(count)));
    int32_t filled = 0;
    for (bool more = modes.First(); more && filled < count; more = modes.Next())
        sorted[filled++] = static_cast<ScreenMode*>(modes.Current());
    modes.Clear();

    // Bubble sort: only a later, smaller neighbour is swapped, so equal keys keep their
    // order (a window entry stays before its full-screen twin).
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int32_t i = 0; i + 1 < filled; ++i) {
            if (SortsBefore(sorted[i + 1], sorted[i])) {
                ScreenMode* held = sorted[i];
                sorted[i] = sorted[i + 1];
                sorted[i + 1] = held;
                swapped = true;
            }
        }
    }

    for (int32_t i = 0; i < filled; ++i)
        if (!modes.AddBack(sorted[i])) xFree(sorted[i]);
    xFree(sorted);
}

void Screen::FreeModeList() {
    modes.ClearAndFreeItems();
}

void Screen::KeepMode(const ScreenMode* newMode) {
    if (!newMode) return;
    if (!mode) mode = static_cast<ScreenMode*>(XALLOC(sizeof(ScreenMode)));
    if (newMode != mode) std::memcpy(mode, newMode, sizeof *mode);
}

void Screen::FreeMode() {
    if (mode) xFree(mode);
    mode = nullptr;
}

void Screen::CleanUpScreen() {
    if (mode) {
        LogMessage(LOG_EXIT, "Freeing active mode\n");
        FreeMode();
    }
    LogMessage(LOG_EXIT, "Cleaning up screen\n");
    if (TextureList* textures = GetTextureList()) textures->DeleteAll();
    FreeModeList();
}
