// The X window the native OpenGL screen draws on, its GLX context, and what the main
// loop's message pump takes from the X server for it. The one file with Xlib and GLX in
// it (Xlib's own `Screen` type would clash with the program's).
//
// Which window: the host window a screen opens in (InitInWindow), else what the module's
// command line asked for (RequestXTarget, before the run): a window the XScreenSaver
// daemon gives, the root window, or a window of the program's own for trying it out.
// That window is the screen's one monitor, unless it is the root window of several
// monitors (XRootMonitors).
//
// The pump follows the window: its size as it changes; whether it is mapped (an unmapped
// window is not drawn on, and the pump then waits for the X server or a quit signal
// instead of pacing empty frames, and so is one that other windows cover whole); and its end
// (destroyed by its owner, or the own window closed through the window manager), which ends the run
// as a quit signal does.
#pragma once

#include <cstdint>

#include "base/monitorview.h"
#include "ogl/ogl_api.h"
#include "platform.h"

enum XTargetKind {
    X_TARGET_OWN_WINDOW = 0,  // a window of the program's own
    X_TARGET_ROOT = 1,        // the root window of the display's default screen
    X_TARGET_WINDOW = 2,      // a window given by its number
};

// The visual of the own window (-visual): the one GLX chooses, the deepest that OpenGL
// draws on, or one by its id.
enum XVisualKind {
    X_VISUAL_DEFAULT = 0,
    X_VISUAL_BEST = 1,
    X_VISUAL_ID = 2,
};

// Which parts of an own window's geometry (-geometry) were given; an offset measured
// from the right or bottom edge has its FROM flag too.
enum XGeometryParts {
    X_GEOMETRY_SIZE = 1,
    X_GEOMETRY_PLACE = 2,
    X_GEOMETRY_X_FROM_RIGHT = 4,
    X_GEOMETRY_Y_FROM_BOTTOM = 8,
};

struct XTargetRequest {
    int32_t kind;         // XTargetKind
    WindowHandle window;  // the window of X_TARGET_WINDOW
    // The own window's.
    int32_t visualKind;      // XVisualKind
    unsigned long visualId;  // of X_VISUAL_ID
    int32_t geometryParts;   // XGeometryParts
    int32_t x, y, width, height;
    int32_t synchronous;  // 1: every X request waits for its answer (-sync)
};

// What later opens take when no host window is given. Starts as X_TARGET_OWN_WINDOW.
void RequestXTarget(const XTargetRequest& request);

// The window as the events so far left it.
struct XWindowState {
    int32_t width, height;
    int32_t mapped;   // 1 while the window is mapped
    int32_t covered;  // 1 while other windows cover it whole
    int32_t ending;   // 1 once a quit signal came or the window ended
};

// Whether the display ($DISPLAY) opens; 0 with why in `reason` when it does not.
int XDisplayOpens(char* reason, int size);
// Opens the display ($DISPLAY) and takes the window: `host` when it is not 0, else the
// requested target; an own window is width x height unless the request gives its
// geometry, with `title`, of the requested visual. The GLX functions come from the OpenGL library
// open as `library` (found with lookup). 1 done; 0 with the error recorded and nothing left open.
int OpenXWindow(WindowHandle host, int32_t width, int32_t height, const char* title,
                OglLookup lookup, void* library);
// An OpenGL context for the window's visual, made current. Logs the visual. 1 done; 0
// with the error recorded.
int CreateXContext();
// The context, the own window and the display closed, in that order; the display must
// close before the OpenGL library is let go (the library hooks the display's closing).
void CloseXWindow();
WindowHandle XWindowHandle();
const XWindowState& XWindowNow();
// The monitors the window shows on when it is the root window: RandR's monitors (1.5
// and later), else Xinerama's screens, in root coordinates, at most `most`; `primary`
// the one RandR calls primary (else the first). 0 for any other window, or when the
// server tells neither (the window is then the one monitor). Both libraries are loaded
// at run time: without them the root is one monitor.
int32_t XRootMonitors(ScreenArea* areas, int32_t most, int32_t* primary);
// Whether the run is ending or its window is gone, asked of the X server itself (a round
// trip), not of the events taken so far.
int XWindowLost();
// Swaps wait for every `interval`-th refresh from now on, by whichever swap control the
// GLX library offers (GLX_EXT_swap_control, GLX_MESA_swap_control,
// GLX_SGI_swap_control). 1 done; 0 without one, or on a single-buffered visual.
int SetXSwapInterval(int32_t interval);
// Shows the frame drawn: the buffer swap of a double-buffered visual.
void SwapXBuffers();
// The message pump's part: every waiting event of the X server taken; whether the window
// can be seen (mapped, not covered whole) goes to the frame pacing's sight. 0 once, when
// the run is to end (a quit signal, or the window's end); 1 otherwise, and always
// without a display.
int PumpXWindowEvents();
// Waits for the next event of the X server or a quit signal, at most that long.
void WaitForXEvents(uint32_t milliseconds);
