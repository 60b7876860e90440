// The X window, its GLX context and its events. Sections: GLX entry points; state and X
// errors; opening the window; the context; closing; the pump.
#include "posix/xwindow_posix.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <link.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "misc.h"
#include "posix/signals_posix.h"
#include "sysevent.h"

// ---------------------------------------------------------------------------------------
// GLX entry points

namespace {

// GLX's own types and the attribute numbers used, as <GL/glx.h> has them (that header
// would bring <GL/gl.h>, whose names the renderer's gl11.h already defines).
typedef struct __GLXcontextRec* GLXContext;
typedef XID GLXDrawable;
const int kGlxUseGl = 1;
const int kGlxRgba = 4;
const int kGlxDoubleBuffer = 5;
const int kGlxRedSize = 8;
const int kGlxGreenSize = 9;
const int kGlxBlueSize = 10;
const int kGlxDepthSize = 12;
const int kGlxBufferSize = 2;

struct GlxApi {
    Bool (*glXQueryExtension)(Display* display, int* errorBase, int* eventBase);
    XVisualInfo* (*glXChooseVisual)(Display* display, int screen, int* attributes);
    int (*glXGetConfig)(Display* display, XVisualInfo* visual, int attribute, int* value);
    GLXContext (*glXCreateContext)(Display* display, XVisualInfo* visual, GLXContext share,
                                   Bool direct);
    Bool (*glXMakeCurrent)(Display* display, GLXDrawable drawable, GLXContext context);
    void (*glXDestroyContext)(Display* display, GLXContext context);
    void (*glXSwapBuffers)(Display* display, GLXDrawable drawable);
    // Optional: the extensions and their entry points, for swap control.
    const char* (*glXQueryExtensionsString)(Display* display, int screen);
    void* (*glXGetProcAddressARB)(const unsigned char* name);
};

GlxApi glx;

template <typename Function>
bool Lookup(OglLookup lookup, void* library, const char* name, Function* target) {
    *target = reinterpret_cast<Function>(lookup(library, name));
    return *target != nullptr;
}

#define LOOKUP_GLX(name) Lookup(lookup, library, #name, &glx.name)

bool LoadGlx(OglLookup lookup, void* library) {
    LOOKUP_GLX(glXQueryExtensionsString);
    LOOKUP_GLX(glXGetProcAddressARB);
    return LOOKUP_GLX(glXQueryExtension) && LOOKUP_GLX(glXChooseVisual) &&
           LOOKUP_GLX(glXGetConfig) && LOOKUP_GLX(glXCreateContext) && LOOKUP_GLX(glXMakeCurrent) &&
           LOOKUP_GLX(glXDestroyContext) && LOOKUP_GLX(glXSwapBuffers);
}

// ---------------------------------------------------------------------------------------
// State and X errors

XTargetRequest request = {};

struct XWindowParts {
    Display* display;
    Window window;
    bool ownWindow;
    bool windowGone;       // destroyed by its owner: no request may name it any more
    bool contextReleased;  // made current on nothing once the window went
    Colormap colormap;
    XVisualInfo* visual;
    GLXContext context;
    bool doubleBuffered;
    Atom deleteWindow;
};

XWindowParts parts;
XWindowState state;

// An X error is logged and the run goes on: a request on a window that its owner has
// just destroyed must not end the program as Xlib's own handler would.
int LogXError(Display* display, XErrorEvent* error) {
    char text[160];
    XGetErrorText(display, error->error_code, text, sizeof text);
    LogMessage(LOG_WARNING, "X error : %s (request %d, resource 0x%lx)\n", text,
               int(error->request_code), static_cast<unsigned long>(error->resourceid));
    return 0;
}

// ---------------------------------------------------------------------------------------
// Opening the window

bool TakeGivenWindow(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(parts.display, window, &attributes)) {
        SetErrorText("There is no X window 0x%lx", static_cast<unsigned long>(window));
        return false;
    }
    parts.window = window;
    parts.ownWindow = false;
    state.width = attributes.width;
    state.height = attributes.height;
    // A window mapped under an unmapped parent is drawn on: no event would say when the
    // parent comes up.
    state.mapped = attributes.map_state != IsUnmapped;
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    parts.visual = XGetVisualInfo(parts.display, VisualIDMask, &wanted, &count);
    // Only its size, mapping, visibility and end are followed: the keyboard and mouse
    // are the daemon's.
    XSelectInput(parts.display, window, StructureNotifyMask | VisibilityChangeMask);
    return true;
}

int Config(XVisualInfo* visual, int attribute) {
    int value = 0;
    if (glx.glXGetConfig(parts.display, visual, attribute, &value) != 0) return 0;
    return value;
}

// Nothing is drawn with a depth test, and a depth buffer only costs: a software
// rasteriser leaves its fast path for any target that has one. The chooser prefers the
// smallest depth buffer, none.
XVisualInfo* ChooserVisual(int screen) {
    int attributes[] = {kGlxRgba, kGlxDoubleBuffer, kGlxRedSize, 1,   kGlxGreenSize,
                        1,        kGlxBlueSize,     1,           None};
    return glx.glXChooseVisual(parts.display, screen, attributes);
}

// One visual of the screen, as XGetVisualInfo gives it (XFree lets it go); null when
// there is none of that id.
XVisualInfo* VisualOfId(int screen, VisualID id) {
    XVisualInfo wanted = {};
    wanted.screen = screen;
    wanted.visualid = id;
    int count = 0;
    return XGetVisualInfo(parts.display, VisualScreenMask | VisualIDMask, &wanted, &count);
}

// The deepest visual OpenGL draws on in RGBA, double-buffered and without a depth buffer
// before others of that depth.
XVisualInfo* BestVisual(int screen) {
    XVisualInfo wanted = {};
    wanted.screen = screen;
    int count = 0;
    XVisualInfo* all = XGetVisualInfo(parts.display, VisualScreenMask, &wanted, &count);
    VisualID best = 0;
    long bestScore = -1;
    for (int i = 0; i < count; ++i) {
        if (!Config(&all[i], kGlxUseGl) || !Config(&all[i], kGlxRgba)) continue;
        const long score = long(Config(&all[i], kGlxBufferSize)) * 4 +
                           (Config(&all[i], kGlxDoubleBuffer) ? 2 : 0) +
                           (Config(&all[i], kGlxDepthSize) ? 0 : 1);
        if (score > bestScore) {
            bestScore = score;
            best = all[i].visualid;
        }
    }
    if (all) XFree(all);
    return best ? VisualOfId(screen, best) : nullptr;
}

XVisualInfo* ChooseOwnVisual(int screen) {
    if (request.visualKind == X_VISUAL_BEST) return BestVisual(screen);
    if (request.visualKind == X_VISUAL_ID) return VisualOfId(screen, VisualID(request.visualId));
    return ChooserVisual(screen);
}

// The own window's place and size: the request's geometry over the default size at the
// top left; offsets from the right or bottom count from the screen's edge.
void PlaceOwnWindow(int screen, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    if (request.geometryParts & X_GEOMETRY_SIZE) {
        *width = request.width;
        *height = request.height;
    }
    *x = *y = 0;
    if (!(request.geometryParts & X_GEOMETRY_PLACE)) return;
    *x = request.x;
    *y = request.y;
    if (request.geometryParts & X_GEOMETRY_X_FROM_RIGHT)
        *x = DisplayWidth(parts.display, screen) - *width - request.x;
    if (request.geometryParts & X_GEOMETRY_Y_FROM_BOTTOM)
        *y = DisplayHeight(parts.display, screen) - *height - request.y;
}

bool MakeOwnWindow(int32_t width, int32_t height, const char* title) {
    const int screen = DefaultScreen(parts.display);
    parts.visual = ChooseOwnVisual(screen);
    if (!parts.visual) {
        if (request.visualKind == X_VISUAL_ID)
            SetErrorText("The X display has no visual 0x%lx", request.visualId);
        else
            SetErrorText("The X display has no visual that OpenGL can draw on");
        return false;
    }
    int32_t x, y;
    PlaceOwnWindow(screen, &x, &y, &width, &height);
    Window root = RootWindow(parts.display, screen);
    parts.colormap = XCreateColormap(parts.display, root, parts.visual->visual, AllocNone);
    XSetWindowAttributes attributes = {};
    attributes.colormap = parts.colormap;
    attributes.background_pixel = BlackPixel(parts.display, screen);
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask | VisibilityChangeMask;
    parts.window =
        XCreateWindow(parts.display, root, x, y, unsigned(width), unsigned(height), 0,
                      parts.visual->depth, InputOutput, parts.visual->visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    if (!parts.window) {
        SetErrorText("Unable to create main window");
        return false;
    }
    parts.ownWindow = true;
    XStoreName(parts.display, parts.window, title);
    // A place asked for is kept by the window manager only when the hints say so.
    if (request.geometryParts & X_GEOMETRY_PLACE) {
        XSizeHints hints = {};
        hints.flags = USPosition | USSize;
        hints.x = x;
        hints.y = y;
        hints.width = width;
        hints.height = height;
        XSetWMNormalHints(parts.display, parts.window, &hints);
    }
    // Closing the window through the window manager ends the run in order.
    parts.deleteWindow = XInternAtom(parts.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(parts.display, parts.window, &parts.deleteWindow, 1);
    XMapWindow(parts.display, parts.window);
    state.width = width;
    state.height = height;
    state.mapped = 0;
    return true;
}

}  // namespace

void RequestXTarget(const XTargetRequest& wanted) {
    request = wanted;
}

int XDisplayOpens(char* reason, int size) {
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        XCloseDisplay(display);
        return 1;
    }
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        std::snprintf(reason, size_t(size), "Unable to open the X display: DISPLAY is unset");
    else
        std::snprintf(reason, size_t(size), "Unable to open the X display \"%s\"", name);
    return 0;
}

int OpenXWindow(WindowHandle host, int32_t width, int32_t height, const char* title,
                OglLookup lookup, void* library) {
    CloseXWindow();
    if (!LoadGlx(lookup, library)) return SetErrorText("The OpenGL library has no GLX");
    XSetErrorHandler(LogXError);
    parts.display = XOpenDisplay(nullptr);
    if (!parts.display)
        return SetErrorText("Unable to open the X display \"%s\"", XDisplayName(nullptr));
    if (request.synchronous) XSynchronize(parts.display, True);
    bool opened;
    if (host)
        opened = TakeGivenWindow(Window(host));
    else if (request.kind == X_TARGET_ROOT)
        opened = TakeGivenWindow(RootWindow(parts.display, DefaultScreen(parts.display)));
    else if (request.kind == X_TARGET_WINDOW)
        opened = TakeGivenWindow(Window(request.window));
    else
        opened = MakeOwnWindow(width, height, title);
    if (!opened) {
        CloseXWindow();
        return 0;
    }
    LogMessage(LOG_SCREEN, "X window 0x%lx, %ldx%ld%s\n", static_cast<unsigned long>(parts.window),
               long(state.width), long(state.height), parts.ownWindow ? " (own window)" : "");
    return 1;
}

// ---------------------------------------------------------------------------------------
// The context

namespace {

int VisualConfig(int attribute) {
    return Config(parts.visual, attribute);
}

int PinDriver(dl_phdr_info* library, size_t, void*) {
    const char* name = library->dlpi_name;
    if (!name || (!std::strstr(name, "_dri.so") && !std::strstr(name, "libgallium"))) return 0;
    void* pinned = dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (pinned) dlclose(pinned);
    return 0;
}

// Mesa loads its driver (swrast_dri.so, iris_dri.so, ...) for a display's first context
// and unloads it when the display closes. Its globals go with it, and so do the last
// references to what it still holds, which AddressSanitizer then reports as leaked.
// Pinned, the driver stays for the process, as libGL does.
void PinGlDrivers() {
    dl_iterate_phdr(PinDriver, nullptr);
}

// A visual that looks the same to X as `visual` (screen, depth, class, channels) and to
// OpenGL (RGBA, buffering), without a depth buffer; null when the screen has none.
XVisualInfo* TwinWithoutDepth(XVisualInfo* visual) {
    int count = 0;
    XVisualInfo* same =
        XGetVisualInfo(parts.display,
                       VisualScreenMask | VisualDepthMask | VisualClassMask | VisualRedMaskMask |
                           VisualGreenMaskMask | VisualBlueMaskMask,
                       visual, &count);
    VisualID twin = 0;
    for (int i = 0; i < count && !twin; ++i)
        if (Config(&same[i], kGlxUseGl) && Config(&same[i], kGlxRgba) &&
            !Config(&same[i], kGlxDepthSize) &&
            Config(&same[i], kGlxDoubleBuffer) == Config(visual, kGlxDoubleBuffer))
            twin = same[i].visualid;
    if (same) XFree(same);
    return twin ? VisualOfId(visual->screen, twin) : nullptr;
}

int twinErrors;

int CountTwinError(Display*, XErrorEvent*) {
    ++twinErrors;
    return 0;
}

// The root window and a window the daemon made come with their own visual, mostly one
// with a depth buffer. Drivers that allow it draw on them through the twin without one;
// those that do not refuse the context, quietly, and the window's own is taken.
void TryTwinWithoutDepth() {
    XVisualInfo* twin = VisualConfig(kGlxDepthSize) ? TwinWithoutDepth(parts.visual) : nullptr;
    if (!twin) return;
    XSync(parts.display, False);
    twinErrors = 0;
    XErrorHandler previous = XSetErrorHandler(CountTwinError);
    GLXContext context = glx.glXCreateContext(parts.display, twin, nullptr, True);
    const bool current = context && glx.glXMakeCurrent(parts.display, parts.window, context);
    XSync(parts.display, False);
    XSetErrorHandler(previous);
    if (current && !twinErrors) {
        parts.context = context;
        XFree(parts.visual);
        parts.visual = twin;
        return;
    }
    if (current) glx.glXMakeCurrent(parts.display, None, nullptr);
    if (context) glx.glXDestroyContext(parts.display, context);
    XFree(twin);
}

}  // namespace

int CreateXContext() {
    if (!parts.display) return SetErrorText("No X window is open");
    int errorBase, eventBase;
    if (!glx.glXQueryExtension(parts.display, &errorBase, &eventBase))
        return SetErrorText("The X display has no GLX extension");
    // A window made by someone else (and the own window, if the chooser failed) may have
    // a visual that OpenGL cannot draw on.
    if (!parts.visual || !VisualConfig(kGlxUseGl) || !VisualConfig(kGlxRgba))
        return SetErrorText("OpenGL cannot draw on the visual of X window 0x%lx",
                            static_cast<unsigned long>(parts.window));
    if (!parts.ownWindow) TryTwinWithoutDepth();
    parts.doubleBuffered = VisualConfig(kGlxDoubleBuffer) != 0;
    LogMessage(LOG_SCREEN, "Visual : 0x%lx | %3ld %3ld %s\n",
               static_cast<unsigned long>(parts.visual->visualid),
               long(VisualConfig(kGlxBufferSize)), long(VisualConfig(kGlxDepthSize)),
               parts.doubleBuffered ? "double" : "single");
    if (parts.context) {
        PinGlDrivers();
        return 1;
    }
    parts.context = glx.glXCreateContext(parts.display, parts.visual, nullptr, True);
    if (!parts.context) return SetErrorText("Unable to create an OpenGL context");
    if (!glx.glXMakeCurrent(parts.display, parts.window, parts.context)) {
        glx.glXDestroyContext(parts.display, parts.context);
        parts.context = nullptr;
        return SetErrorText("Unable to make the OpenGL context current");
    }
    PinGlDrivers();
    return 1;
}

namespace {

bool HasGlxExtension(const char* name) {
    if (!glx.glXQueryExtensionsString) return false;
    const char* list = glx.glXQueryExtensionsString(parts.display, DefaultScreen(parts.display));
    const size_t length = std::strlen(name);
    for (const char* at = list ? std::strstr(list, name) : nullptr; at;
         at = std::strstr(at + length, name))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == 0)) return true;
    return false;
}

template <typename Function>
Function GlxEntry(const char* name) {
    if (!glx.glXGetProcAddressARB) return nullptr;
    return reinterpret_cast<Function>(
        glx.glXGetProcAddressARB(reinterpret_cast<const unsigned char*>(name)));
}

}  // namespace

int SetXSwapInterval(int32_t interval) {
    if (!parts.context || !parts.doubleBuffered || parts.windowGone) return 0;
    // The three swap controls GLX libraries offer, the drawable's own first.
    typedef void (*SwapIntervalExt)(Display*, GLXDrawable, int);
    typedef int (*SwapIntervalOther)(unsigned);
    if (HasGlxExtension("GLX_EXT_swap_control")) {
        if (auto set = GlxEntry<SwapIntervalExt>("glXSwapIntervalEXT")) {
            set(parts.display, parts.window, interval);
            return 1;
        }
    }
    static const char* const kOthers[2][2] = {{"GLX_MESA_swap_control", "glXSwapIntervalMESA"},
                                              {"GLX_SGI_swap_control", "glXSwapIntervalSGI"}};
    for (const auto& other : kOthers) {
        if (!HasGlxExtension(other[0])) continue;
        if (auto set = GlxEntry<SwapIntervalOther>(other[1]))
            if (set(unsigned(interval)) == 0) return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------
// Closing

void CloseXWindow() {
    if (!parts.display) return;
    if (parts.context) {
        LogMessage(LOG_EXIT, "Delete context\n");
        glx.glXMakeCurrent(parts.display, None, nullptr);
        glx.glXDestroyContext(parts.display, parts.context);
    }
    LogMessage(LOG_EXIT, "Closing the X display\n");
    if (parts.window && !parts.windowGone) {
        if (parts.ownWindow)
            XDestroyWindow(parts.display, parts.window);
        else
            XSelectInput(parts.display, parts.window, NoEventMask);
    }
    if (parts.colormap) XFreeColormap(parts.display, parts.colormap);
    if (parts.visual) XFree(parts.visual);
    XCloseDisplay(parts.display);
    parts = XWindowParts();
    glx = GlxApi();
    const int32_t ending = state.ending;
    state = XWindowState();
    state.ending = ending;
}

WindowHandle XWindowHandle() {
    return WindowHandle(parts.window);
}

const XWindowState& XWindowNow() {
    return state;
}

void SwapXBuffers() {
    if (parts.context && parts.doubleBuffered && !parts.windowGone)
        glx.glXSwapBuffers(parts.display, parts.window);
}

// ---------------------------------------------------------------------------------------
// Monitors

namespace {

// RandR's and Xinerama's records, as <X11/extensions/Xrandr.h> and <Xinerama.h> have them.
struct RandrMonitor {
    Atom name;
    Bool primary, automatic;
    int outputCount;
    int x, y, width, height, widthMillimetres, heightMillimetres;
    unsigned long* outputs;
};
struct XineramaScreen {
    int number;
    short x, y, width, height;
};

// An entry point of a library loaded for good (X's extension libraries hook the display),
// or null.
void* LibraryEntry(const char* library, const char* name) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    return handle ? dlsym(handle, name) : nullptr;
}

int32_t RandrMonitors(ScreenArea* areas, int32_t most, int32_t* primary) {
    int major = 0, minor = 0, eventBase, errorBase;
    if (!XQueryExtension(parts.display, "RANDR", &major, &eventBase, &errorBase)) return 0;
    auto queryVersion = reinterpret_cast<Status (*)(Display*, int*, int*)>(
        LibraryEntry("libXrandr.so.2", "XRRQueryVersion"));
    auto getMonitors = reinterpret_cast<RandrMonitor* (*)(Display*, Window, Bool, int*)>(
        LibraryEntry("libXrandr.so.2", "XRRGetMonitors"));
    auto freeMonitors = reinterpret_cast<void (*)(RandrMonitor*)>(
        LibraryEntry("libXrandr.so.2", "XRRFreeMonitors"));
    if (!queryVersion || !getMonitors || !freeMonitors ||
        !queryVersion(parts.display, &major, &minor) || major * 100 + minor < 105)
        return 0;
    int count = 0;
    RandrMonitor* monitors = getMonitors(parts.display, parts.window, True, &count);
    if (!monitors) return 0;
    int32_t taken = 0;
    for (int i = 0; i < count && taken < most; ++i) {
        if (monitors[i].primary) *primary = taken;
        areas[taken++] =
            ScreenArea{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
    }
    freeMonitors(monitors);
    return taken;
}

int32_t XineramaScreens(ScreenArea* areas, int32_t most) {
    auto isActive =
        reinterpret_cast<Bool (*)(Display*)>(LibraryEntry("libXinerama.so.1", "XineramaIsActive"));
    auto queryScreens = reinterpret_cast<XineramaScreen* (*)(Display*, int*)>(
        LibraryEntry("libXinerama.so.1", "XineramaQueryScreens"));
    if (!isActive || !queryScreens || !isActive(parts.display)) return 0;
    int count = 0;
    XineramaScreen* screens = queryScreens(parts.display, &count);
    if (!screens) return 0;
    int32_t taken = 0;
    for (int i = 0; i < count && taken < most; ++i)
        areas[taken++] =
            ScreenArea{screens[i].x, screens[i].y, screens[i].width, screens[i].height};
    XFree(screens);
    return taken;
}

}  // namespace

int32_t XRootMonitors(ScreenArea* areas, int32_t most, int32_t* primary) {
    *primary = 0;
    if (!parts.display || parts.window != RootWindow(parts.display, DefaultScreen(parts.display)))
        return 0;
    // One monitor from RandR may still be one of several Xinerama screens (a nested
    // server shows its screens through Xinerama alone).
    const int32_t fromRandr = RandrMonitors(areas, most, primary);
    if (fromRandr > 1) return fromRandr;
    *primary = 0;
    const int32_t fromXinerama = XineramaScreens(areas, most);
    return fromXinerama > 1 ? fromXinerama : 0;
}

// ---------------------------------------------------------------------------------------
// The pump

namespace {

void TakeEvent(const XEvent& event) {
    switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window != parts.window) return;
            state.width = event.xconfigure.width;
            state.height = event.xconfigure.height;
            return;
        case MapNotify:
            if (event.xmap.window == parts.window) state.mapped = 1;
            return;
        case UnmapNotify:
            if (event.xunmap.window == parts.window) state.mapped = 0;
            return;
        case VisibilityNotify:
            if (event.xvisibility.window == parts.window)
                state.covered = event.xvisibility.state == VisibilityFullyObscured;
            return;
        case DestroyNotify:
            if (event.xdestroywindow.window != parts.window) return;
            LogMessage(LOG_EXIT, "The X window was destroyed\n");
            parts.windowGone = true;
            state.ending = 1;
            return;
        case ClientMessage:
            if (parts.ownWindow && Atom(event.xclient.data.l[0]) == parts.deleteWindow) {
                LogMessage(LOG_EXIT, "The window was closed\n");
                state.ending = 1;
            }
            return;
        default:
            return;
    }
}

void TakeWaitingEvents() {
    if (QuitSignalled()) state.ending = 1;
    if (!parts.display) return;
    while (XPending(parts.display)) {
        XEvent event;
        XNextEvent(parts.display, &event);
        TakeEvent(event);
    }
}

// A window that its owner destroyed is drawn on no more: the frames left until the run's
// end go to no context, which OpenGL ignores.
void LetGoOfGoneWindow() {
    if (!parts.windowGone || !parts.context || parts.contextReleased) return;
    glx.glXMakeCurrent(parts.display, None, nullptr);
    parts.contextReleased = true;
}

}  // namespace

int XWindowLost() {
    if (QuitSignalled() || state.ending || parts.windowGone) return 1;
    if (!parts.display || !parts.window) return 0;
    XWindowAttributes attributes;
    return !XGetWindowAttributes(parts.display, parts.window, &attributes);
}

void WaitForXEvents(uint32_t milliseconds) {
    pollfd sources[2] = {{parts.display ? ConnectionNumber(parts.display) : -1, POLLIN, 0},
                         {QuitSignalDescriptor(), POLLIN, 0}};
    if (parts.display && XPending(parts.display)) return;
    poll(sources, 2, int(milliseconds));
}

int PumpXWindowEvents() {
    const bool wasEnding = state.ending != 0;
    TakeWaitingEvents();
    // The daemon ends a module and closes its window at once: a round trip shows whether
    // the window went with the signal.
    if (state.ending && !wasEnding && parts.display) {
        XSync(parts.display, False);
        TakeWaitingEvents();
    }
    // An unmapped or fully covered window is not drawn on: the main loop rests.
    DispatchStateEvent(SE_WINDOW_SIGHT,
                       !parts.display || state.ending || (state.mapped && !state.covered));
    LetGoOfGoneWindow();
    return wasEnding || !state.ending;
}
