// GlxScreen: the OpenGL screen on X, the portable OglRenderer's drawing on an X window
// with a GLX context ("Standard opengl", Mesa's or the graphics driver's libGL.so.1,
// loaded at run time). Its window and context are xwindow_posix's; here is what makes
// them a screen: the driver library, the window the mode opens on, following the
// window's size, and drawing only while it is mapped.
//
// On X every display mode draws on one window without a change of the display: a host
// window (InitInWindow), else the window the module's command line named (the daemon's,
// or the root window), else a window of its own of the mode's size. The root window of
// several monitors is drawn on per monitor, as the Windows screens draw over a desktop.
#pragma once

#include "ogl/ogl_renderer.h"

class GlxScreen : public OglRenderer {
public:
    GlxScreen();

    // libGL.so.1 loads (it stays loaded for the rest of the process).
    int FindDriver() override;
    // X offers no display modes to change to: the list stays empty.
    int GetModeList() override;
    int SupportsDisplayMode(int32_t) override { return 1; }
    // The host window's real size (the platform's windowOuterSize knows no X windows).
    int InitInWindow(WindowHandle hostWindow, int32_t depthBuffer) override;
    // The driver, the window and the context, then the renderer's start; ExitMode undoes
    // them in reverse.
    int InitMode(const ScreenMode* newMode) override;
    int ExitMode() override;
    // 0 while the window is unmapped (unless the run is ending); a size the window took
    // since the last frame becomes the target's first.
    int IsReady() override;
    // As the renderer's, but once the run is ending its OpenGL errors are let go.
    int EndScene() override;
    int SyncToDisplay(int32_t interval) override;

protected:
    void ShowFrame() override;

private:
    // The library's entry points into the renderer's table, once per open mode.
    int LoadDriver();
    // The window's size as the target, with the root window's monitors (one view each).
    void TakeWindowSize();
    // Logs the recorded error and says it on standard error; 0.
    int TellWhy();
    void* driver;  // the OpenGL library while a mode is open
};
