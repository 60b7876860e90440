// The OpenGL screen's X part. Sections: driver; opening and closing; frames. The drawing
// is OglRenderer's (support/ogl/ogl_renderer).
#include "posix/scr_glx.h"

#include <cstdio>
#include <cstring>

#include "misc.h"
#include "ogl/ogl_api.h"
#include "posix/xwindow_posix.h"
#include "xsystem.h"

namespace {

const char* const kDriverFile = "libGL.so.1";

void* DriverEntry(void* library, const char* name) {
    return Platform().findSymbol(library, name);
}

// Loaded once and kept for the rest of the process: libGL and the Mesa drivers behind it
// are not made to be unloaded (their memory, held in their own globals, would be lost
// and the hooks they leave in Xlib would point nowhere).
void* OpenGlLibrary() {
    static void* library = Platform().loadLibrary(kDriverFile);
    return library;
}

}  // namespace

GlxScreen::GlxScreen() : OglRenderer("Standard opengl", SCREEN_OPENGL), driver(nullptr) {}

// ---------------------------------------------------------------------------------------
// Driver

int GlxScreen::FindDriver() {
    if (OpenGlLibrary()) return 1;
    LogMessage(LOG_SCREEN, "Failed to load OpenGl driver : %s\n", kDriverFile);
    return 0;
}

int GlxScreen::LoadDriver() {
    if (driver) return 1;
    driver = OpenGlLibrary();
    if (!driver) {
        LogMessage(LOG_SCREEN, "Failed to load OpenGl driver : %s\n", kDriverFile);
        return 0;
    }
    LogMessage(LOG_SCREEN, "Successfully loaded OpenGl driver : %s\n", kDriverFile);
    LoadOglApi(DriverEntry, driver);
    return 1;
}

int GlxScreen::GetModeList() {
    if (modesListed) return 1;
    modesListed = 1;
    LogMessage(LOG_SCREEN, "Getting screen modes for : %s (%s)\n", Name(), kDriverFile);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Opening and closing

int GlxScreen::TellWhy() {
    char reason[ERROR_MESSAGE_SIZE] = "";
    GetErrorMessage(reason, sizeof reason);
    LogMessage(LOG_SCREEN, "%s\n", reason);
    // The error shown at the end of the run names the step, not the reason ("Screen
    // initialization failed"): a module's standard error is where its user looks. The
    // screen choice may try the same opening twice (the saved choice, then every
    // screen): a reason is said once.
    static char told[ERROR_MESSAGE_SIZE] = "";
    if (std::strcmp(told, reason) == 0) return 0;
    std::snprintf(told, sizeof told, "%s", reason);
    std::fprintf(stderr, "novadrift: %s\n", reason);
    return 0;
}

int GlxScreen::InitInWindow(WindowHandle hostWindow, int32_t depthBuffer) {
    parentWindow = hostWindow;
    ScreenMode childMode;
    std::memset(&childMode, 0, sizeof childMode);
    childMode.depthBuffer = depthBuffer;
    childMode.displayMode = DISPLAY_CHILD;
    return InitMode(&childMode);
}

int GlxScreen::InitMode(const ScreenMode* newMode) {
    if (!newMode) return SetErrorText("Unable to get the mode to init");
    LogMessage(LOG_SCREEN, "Starting video mode : %ldx%ldx%ld in %s using %s\n",
               long(newMode->width), long(newMode->height), long(newMode->bits),
               newMode->displayMode == DISPLAY_FULLSCREEN ? "fullscreen mode" : "window mode",
               Name());
    if (!LoadDriver()) return SetErrorText("Failed to init opengl");
    KeepMode(newMode);
    LogMessage(LOG_SCREEN, "Create window\n");
    const WindowHandle host = mode->displayMode == DISPLAY_CHILD ? parentWindow : 0;
    if (!OpenXWindow(host, mode->width, mode->height, glb ? glb->name : "Noname", DriverEntry,
                     driver))
        return TellWhy();
    sglb->mainWindow = XWindowHandle();
    // A library without every entry point drawing needs cannot be used.
    const int contextMade = OglApiComplete() && CreateXContext();
    if (contextMade) {
        LoadOglExtensions(DriverEntry, driver);
        LoadOglPrograms(DriverEntry, driver);
    }
    LogDriverStrings(contextMade != 0);
    if (!contextMade) {
        TellWhy();
        ExitMode();
        return SetErrorText("Failed to setup opengl screen");
    }
    const XWindowState& window = XWindowNow();
    mode->width = window.width;
    mode->height = window.height;
    TakeWindowSize();
    StartDrawing();
    return 1;
}

int GlxScreen::ExitMode() {
    LogMessage(LOG_EXIT, "ExitMode()\n");
    textures.DeleteAll();
    CloseXWindow();
    if (sglb) sglb->mainWindow = 0;
    CleanUpScreen();
    LogMessage(LOG_EXIT, "Exiting ogl\n");
    driver = nullptr;
    ClearOglApi();
    return 1;
}

// ---------------------------------------------------------------------------------------
// Frames

int GlxScreen::IsReady() {
    const XWindowState& window = XWindowNow();
    if (mode && (window.width != TargetWidth() || window.height != TargetHeight()) &&
        window.width > 0 && window.height > 0) {
        LogMessage(LOG_SCREEN, "Window size : %ldx%ld\n", long(window.width), long(window.height));
        mode->width = window.width;
        mode->height = window.height;
        TakeWindowSize();
    }
    return window.mapped || window.ending;
}

int GlxScreen::SyncToDisplay(int32_t interval) {
    return SetXSwapInterval(interval);
}

int GlxScreen::EndScene() {
    gl.glFlush();
    // The last frames of an ending run may have drawn on a window that its owner has just
    // destroyed (the daemon ends a module and closes its window at once): their errors
    // are no fault of the run. The window may go, or the quit signal come, while a frame
    // is drawn, before the pump has seen it: an error is then checked against the window.
    if (!XWindowNow().ending) {
        if (CheckErrors("End scene") && XWindowLost()) ClearError();
        return 1;
    }
    // OpenGL keeps one flag per kind of error; a handful of reads clears them all.
    for (int read = 0; read < 16 && gl.glGetError() != GL_NO_ERROR; ++read) {
    }
    return 1;
}

void GlxScreen::TakeWindowSize() {
    ScreenArea monitors[SCREEN_MONITOR_MAX];
    int32_t primary = 0;
    const int32_t count = XRootMonitors(monitors, SCREEN_MONITOR_MAX, &primary);
    for (int32_t i = 0; i < count; ++i)
        LogMessage(LOG_SCREEN, "Monitor %ld : %ldx%ld at %ld,%ld\n", long(i),
                   long(monitors[i].width), long(monitors[i].height), long(monitors[i].x),
                   long(monitors[i].y));
    SetTarget(XWindowNow().width, XWindowNow().height, monitors, count, primary);
}

void GlxScreen::ShowFrame() {
    SwapXBuffers();
}
