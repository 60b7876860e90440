// OglScreen: the OpenGL screen on Win32, the portable OglRenderer's drawing on a Win32
// window with a WGL context. Two instances: "Standard opengl" (opengl32.dll) and "3dfx
// opengl" (3DfxvGL.dll, which brings its own WGL functions). Here are what only Win32
// has: the driver library, the window, the pixel format and context, the buffer swap,
// the display modes, and what losing the activation does to them.
#pragma once

#include <windows.h>

#include "display_win.h"
#include "ogl/ogl_renderer.h"

class OglScreen : public OglRenderer {
public:
    explicit OglScreen(int32_t screenKind);
    ~OglScreen() override;

    // driverFile loads (it is let go again until a mode opens).
    int FindDriver() override;

    // The desktop mode first, then the display's modes of the candidate sizes; the 3dfx
    // screen lists 16-bit full screen modes up to 1024 wide only, and draws full screen
    // only.
    int GetModeList() override;
    int SupportsDisplayMode(int32_t displayMode) override;
    // The window, the display mode (full screen), the driver, the pixel format and the
    // context, then the renderer's start; ExitMode undoes them in reverse.
    int InitMode(const ScreenMode* newMode) override;
    int ExitMode() override;
    // Losing the activation minimises the window and gives back a display mode this
    // screen changed; regaining it takes the mode again and restores the window.
    void ActivationLost() override;
    void ActivationRegained() override;
    // WGL_EXT_swap_control's swap interval.
    int SyncToDisplay(int32_t interval) override;

    ScreenMessageHandler messageHandler;
    char driverFile[SCREEN_NAME_SIZE];
    HGLRC context;
    HMODULE driver;
    // 1 for a driver other than opengl32.dll: its own WGL functions are used.
    int32_t ownWgl;
    char savedSplash[10];
    // 1 while this screen holds the display in a mode it changed to (full screen).
    int32_t displayChanged;

protected:
    // The system's buffer swap, or the driver's own.
    void ShowFrame() override;

private:
    // Loads driverFile and every entry point it has; 0 with a log line when it cannot.
    int LoadDriver();
    // The display changed to the mode (on the primary monitor), or else left as it is;
    // the window then covers every monitor and the target becomes its size.
    void EnterFullScreen(HWND window);
    // A pixel format for the window's device context and a current context on it, with
    // the driver's strings and the chosen format logged; 0 without a context.
    int SetupContext(HDC dc);
    // Chooses a pixel format for the request and describes it into the request; its
    // index, 0 when none was found.
    int ChoosePixelFormatFor(HDC dc);
};
