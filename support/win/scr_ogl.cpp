// The OpenGL screen's Win32 part. Sections: construction; driver; opening a mode (pixel
// format and context, full screen); closing; mode list; presenting; activation. The
// drawing is OglRenderer's (support/ogl/ogl_renderer).
#include "scr_ogl.h"

#include <cstring>

#include "library_win.h"
#include "misc.h"
#include "startup.h"
#include "wgl_api.h"

namespace {

const char* const kSplashVariable = "FX_GLIDE_NO_SPLASH";

// One pixel-format request for all OpenGL screens; describing the chosen format
// overwrites it and later opens start from there.
PIXELFORMATDESCRIPTOR pixelFormat;
bool pixelFormatFilled;

HWND MainWindow() {
    return reinterpret_cast<HWND>(sglb->mainWindow);
}
HDC MainDc() {
    return reinterpret_cast<HDC>(sglb->deviceContext);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction

OglScreen::OglScreen(int32_t screenKind)
    : OglRenderer(screenKind == SCREEN_3DFX ? "3dfx opengl" : "Standard opengl", screenKind),
      messageHandler(this),
      context(nullptr),
      driver(nullptr),
      ownWgl(0),
      displayChanged(0) {
    // Read from the process environment that SetEnvironmentVariableA writes, not the C
    // runtime's copy, so the second screen sees the first one's value.
    DWORD length = GetEnvironmentVariableA(kSplashVariable, savedSplash, sizeof savedSplash);
    if (length == 0 || length >= sizeof savedSplash) std::strcpy(savedSplash, "1");
    SetEnvironmentVariableA(kSplashVariable, "1");
    std::strcpy(driverFile, screenKind == SCREEN_3DFX ? "3DfxvGL.dll" : "opengl32.dll");
}

OglScreen::~OglScreen() {
    SetEnvironmentVariableA(kSplashVariable, savedSplash);
}

int OglScreen::SupportsDisplayMode(int32_t displayMode) {
    if (Kind() == SCREEN_3DFX) return displayMode == DISPLAY_FULLSCREEN;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Driver

int OglScreen::FindDriver() {
    HMODULE probe = LoadSystemLibrary(driverFile);
    if (!probe) return 0;
    FreeLibrary(probe);
    return 1;
}

int OglScreen::LoadDriver() {
    if (driver) return 1;
    driver = LoadSystemLibrary(driverFile);
    if (!driver) {
        LogMessage(LOG_SCREEN, "Failed to load OpenGl driver : %s\n", driverFile);
        return 0;
    }
    LogMessage(LOG_SCREEN, "Successfully loaded OpenGl driver : %s\n", driverFile);
    LoadDriverEntries(driver);
    ownWgl = _stricmp(driverFile, "opengl32.dll") != 0;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Opening a mode

void OglScreen::EnterFullScreen(HWND window) {
    displayChanged = ChangeDisplayToMode(mode);
    if (!displayChanged) WarnDisplayUnchanged(mode);
    CoverVirtualScreen(window);
    FindMonitors(this, window, DISPLAY_FULLSCREEN);
}

int OglScreen::ChoosePixelFormatFor(HDC dc) {
    if (!pixelFormatFilled) {
        std::memset(&pixelFormat, 0, sizeof pixelFormat);
        pixelFormat.nSize = sizeof pixelFormat;
        pixelFormat.nVersion = 1;
        pixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pixelFormat.iPixelType = PFD_TYPE_RGBA;
        pixelFormat.cColorBits = BYTE(DesktopBits());
        pixelFormat.cDepthBits = 16;
        pixelFormatFilled = true;
    }
    int index = 0;
    if (!ownWgl) index = ChoosePixelFormat(dc, &pixelFormat);
    if (!index && wgl.wglChoosePixelFormat) index = wgl.wglChoosePixelFormat(dc, &pixelFormat);
    if (!index) return 0;
    if (ownWgl && wgl.wglDescribePixelFormat)
        wgl.wglDescribePixelFormat(dc, index, sizeof pixelFormat, &pixelFormat);
    else
        DescribePixelFormat(dc, index, sizeof pixelFormat, &pixelFormat);
    // Current drivers offer no 16-bit OpenGL format: a full-screen mode whose depth
    // differs from the format's still opens, with the format's depth.
    if (mode->displayMode == DISPLAY_FULLSCREEN && mode->bits != pixelFormat.cColorBits)
        LogMessage(LOG_SCREEN, "Mode asks for %ld colour bits, pixel format has %ld\n",
                   long(mode->bits), long(pixelFormat.cColorBits));
    return index;
}

int OglScreen::SetupContext(HDC dc) {
    // A driver without every entry point drawing needs cannot be used.
    if (!OglApiComplete()) {
        LogMessage(LOG_SCREEN, "DPF : %3ld | %3ld %3ld %s %s\n", 0L, 0L, 0L, "-", "-");
        return 0;
    }
    int index = ChoosePixelFormatFor(dc);
    if (index) {
        BOOL set = ownWgl && wgl.wglSetPixelFormat ? wgl.wglSetPixelFormat(dc, index, &pixelFormat)
                                                   : SetPixelFormat(dc, index, &pixelFormat);
        if (set && wgl.wglCreateContext) context = wgl.wglCreateContext(dc);
        if (context && !(wgl.wglMakeCurrent && wgl.wglMakeCurrent(dc, context))) {
            if (wgl.wglDeleteContext) wgl.wglDeleteContext(context);
            context = nullptr;
        }
    }
    if (context) LoadContextExtensions();
    LogDriverStrings(context != nullptr);
    LogMessage(LOG_SCREEN, "DPF : %3ld | %3ld %3ld %s %s\n", long(index),
               long(pixelFormat.cColorBits), long(pixelFormat.cDepthBits),
               (pixelFormat.dwFlags & PFD_GENERIC_FORMAT) ? "X" : "-",
               (pixelFormat.dwFlags & PFD_GENERIC_ACCELERATED) ? "X" : "-");
    return context != nullptr;
}

int OglScreen::InitMode(const ScreenMode* newMode) {
    ScreenMode desktop;
    newMode = ResolveDesktopMode(newMode, &desktop);
    if (!CheckModeToOpen(this, newMode)) return 0;
    if (!LoadDriver()) return SetErrorText("Failed to init opengl");
    KeepMode(newMode);
    if (!CreateScreenWindow(mode, parentWindow, WS_POPUP, WS_EX_TOPMOST)) return 0;
    if (mode->displayMode == DISPLAY_FULLSCREEN)
        EnterFullScreen(MainWindow());
    else
        FindMonitors(this, MainWindow(), mode->displayMode);
    if (!ShowScreenWindow(mode->displayMode)) return 0;
    if (DesktopBits() == 8) return SetErrorText("%s", kTooFewColours);
    if (!SetupContext(MainDc())) {
        ExitMode();
        return SetErrorText("Failed to setup opengl screen");
    }
    messageHandler.RegisterAll();
    StartDrawing();
    return 1;
}

// ---------------------------------------------------------------------------------------
// Closing

int OglScreen::ExitMode() {
    LogMessage(LOG_EXIT, "ExitMode()\n");
    textures.DeleteAll();
    if (displayChanged) {
        LogMessage(LOG_EXIT, "Restoring screen resolution\n");
        RestoreDisplay();
        displayChanged = 0;
    }
    if (context) {
        LogMessage(LOG_EXIT, "Delete context\n");
        if (wgl.wglMakeCurrent) wgl.wglMakeCurrent(nullptr, nullptr);
        if (wgl.wglDeleteContext) wgl.wglDeleteContext(context);
        context = nullptr;
    }
    LogMessage(LOG_EXIT, "Releasing DC\n");
    CloseScreenWindow(messageHandler);
    CleanUpScreen();
    LogMessage(LOG_EXIT, "Exiting ogl\n");
    int released = 1;
    if (driver) released = FreeLibrary(driver) != 0;
    driver = nullptr;
    ClearDriverEntries();
    return released;
}

// ---------------------------------------------------------------------------------------
// Mode list

int OglScreen::GetModeList() {
    if (modesListed) return 1;
    modesListed = 1;
    LogMessage(LOG_SCREEN, "Getting screen modes for : %s (%s)\n", Name(), driverFile);
    static const int32_t depths[] = {16, 24, 32};
    bool listed[CANDIDATE_SIZE_COUNT][3] = {};
    int desktopBits = DesktopBits();
    int desktopWidth = DesktopWidth();
    int desktopHeight = DesktopHeight();
    DEVMODEA reported = {};
    reported.dmSize = sizeof reported;
    for (DWORD index = 0; EnumDisplaySettingsA(nullptr, index, &reported); ++index) {
        for (int s = 0; s < CANDIDATE_SIZE_COUNT; ++s) {
            int32_t width = kCandidateSizes[s].width, height = kCandidateSizes[s].height;
            if (Kind() == SCREEN_3DFX && width > 1024) continue;
            if (DWORD(width) != reported.dmPelsWidth || DWORD(height) != reported.dmPelsHeight)
                continue;
            for (int d = 0; d < 3; ++d) {
                if (listed[s][d] || DWORD(depths[d]) != reported.dmBitsPerPel) continue;
                if (depths[d] == desktopBits && Kind() != SCREEN_3DFX && desktopWidth >= width &&
                    desktopHeight >= height &&
                    !AddListedMode(width, height, depths[d], DISPLAY_WINDOW))
                    return 0;
                if (Kind() != SCREEN_3DFX || depths[d] == 16) {
                    listed[s][d] = true;
                    if (!AddListedMode(width, height, depths[d], DISPLAY_FULLSCREEN)) return 0;
                }
            }
        }
    }
    SortModeList();
    // Drawing in a window, this screen can draw over the desktop as it is.
    if (Kind() == SCREEN_3DFX) return 1;
    RECT all = VirtualScreen();
    return AddDesktopMode(all.right - all.left, all.bottom - all.top, desktopBits);
}

// ---------------------------------------------------------------------------------------
// Presenting

void OglScreen::ShowFrame() {
    BOOL swapped = FALSE;
    if (!ownWgl) swapped = SwapBuffers(MainDc());
    if (!swapped && wgl.wglSwapBuffers) wgl.wglSwapBuffers(MainDc());
}

int OglScreen::SyncToDisplay(int32_t interval) {
    return wgl.wglSwapIntervalEXT && wgl.wglSwapIntervalEXT(interval) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Activation

void OglScreen::ActivationLost() {
    HWND window = MainWindow();
    ShowWindow(window, SW_MINIMIZE);
    Screen::ActivationLost();
    // Only a display mode this screen really changed is given back and taken again.
    if (displayChanged) RestoreDisplay();
}

void OglScreen::ActivationRegained() {
    HWND window = MainWindow();
    Screen::ActivationRegained();
    if (displayChanged) EnterFullScreen(window);
    ShowWindow(window, SW_RESTORE);
    UpdateWindow(window);
}
