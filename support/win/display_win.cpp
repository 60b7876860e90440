// Contents, in order: the candidate sizes; the desktop; opening a mode (checks, the
// window, full screen over the desktop); closing it; the screen's window messages.
#include "display_win.h"

#include "misc.h"
#include "startup.h"
#include "xsystem.h"

const ModeSize kCandidateSizes[CANDIDATE_SIZE_COUNT] = {
    {400, 300},  {512, 384},  {640, 480},   {800, 600},   {960, 720},
    {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}, {2048, 1536}};

const char* const kTooFewColours =
    "Failed to change screen mode so we are still in 8bpp mode\nThe program cant run with so "
    "few colors.\nPlease change to a screen mode with more colors than 8 bpp and try again";

int DesktopWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

int DesktopHeight() {
    return GetSystemMetrics(SM_CYSCREEN);
}

int DesktopBits() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

void CoverDesktop(HWND window, const ScreenMode* asked) {
    LogMessage(LOG_WARNING,
               "Unable to change the display to %ldx%ldx%ld, drawing over the desktop at "
               "%ldx%ld\n",
               long(asked->width), long(asked->height), long(asked->bits), long(DesktopWidth()),
               long(DesktopHeight()));
    SetWindowPos(window, nullptr, 0, 0, DesktopWidth(), DesktopHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int CheckModeToOpen(Screen* screen, const ScreenMode* mode) {
    if (!mode) return SetErrorText("Unable to get the mode to init");
    LogMessage(LOG_SCREEN, "Starting video mode : %ldx%ldx%ld in %s using %s\n", long(mode->width),
               long(mode->height), long(mode->bits),
               mode->displayMode == DISPLAY_FULLSCREEN ? "fullscreen mode" : "window mode",
               screen->name);
    if (mode->displayMode == DISPLAY_FULLSCREEN) return 1;
    if (screen->SupportsDisplayMode(DISPLAY_WINDOW) != 1)
        return SetErrorText("Device isn't window compatible");
    if (DesktopWidth() < mode->width || DesktopHeight() < mode->height)
        return SetErrorText("Desktop size to small for requested window size (%ldx%ldx%ld)\n",
                            long(mode->width), long(mode->height), long(mode->bits));
    return 1;
}

int CreateScreenWindow(const ScreenMode* mode, WindowHandle parentWindow, DWORD fullScreenStyle,
                       DWORD fullScreenExStyle) {
    int desktopWidth = DesktopWidth();
    int desktopHeight = DesktopHeight();
    int x = 0, y = 0, width = mode->width, height = mode->height;
    DWORD style, exStyle = 0;
    HWND parent = nullptr;
    switch (mode->displayMode) {
        case DISPLAY_FULLSCREEN:
            style = fullScreenStyle;
            exStyle = fullScreenExStyle;
            break;
        case DISPLAY_WINDOW: {
            style = WS_POPUP | WS_THICKFRAME;
            // The sizing frame as the system draws it for this style, so the client
            // area is the mode's size (Wine's frame is a pixel narrower than its
            // SM_CXSIZEFRAME, which left a 642 x 482 drawable for a 640 x 480 mode).
            RECT outer = {0, 0, mode->width, mode->height};
            AdjustWindowRectEx(&outer, style, FALSE, exStyle);
            width = outer.right - outer.left;
            height = outer.bottom - outer.top;
            x = (desktopWidth - mode->width) / 2 + outer.left;
            y = (desktopHeight - mode->height) / 2 + outer.top;
            break;
        }
        case DISPLAY_DESKTOP:
            width = desktopWidth;
            height = desktopHeight;
            style = WS_POPUP | WS_MAXIMIZE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
            break;
        case DISPLAY_CHILD:
            style = WS_CHILD | WS_VISIBLE;
            parent = reinterpret_cast<HWND>(parentWindow);
            break;
        default:
            return SetErrorText("Unknown displayMode");
    }
    LogMessage(LOG_SCREEN, "Create window\n");
    HWND window = CreateWindowExA(exStyle, glb->name, glb->name, style, x, y, width, height, parent,
                                  nullptr, reinterpret_cast<HINSTANCE>(appInstance), nullptr);
    sglb->mainWindow = reinterpret_cast<WindowHandle>(window);
    if (!window) return SetErrorText("Unable to create main window");
    return 1;
}

int ShowScreenWindow(int32_t displayMode) {
    HWND window = reinterpret_cast<HWND>(sglb->mainWindow);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(window);
    HDC dc = GetDC(window);
    sglb->deviceContext = reinterpret_cast<uintptr_t>(dc);
    if (!dc) return SetErrorText("Unable to get window dc");
    if (displayMode != DISPLAY_CHILD) ShowCursor(FALSE);
    return 1;
}

void CloseScreenWindow(ScreenMessageHandler& messageHandler) {
    HWND window = reinterpret_cast<HWND>(sglb->mainWindow);
    if (sglb->deviceContext) ReleaseDC(window, reinterpret_cast<HDC>(sglb->deviceContext));
    sglb->deviceContext = 0;
    if (window) DestroyWindow(window);
    sglb->mainWindow = 0;
    messageHandler.UnregisterAll();
}

namespace {

const uint32_t kHandledMessages[] = {WM_ACTIVATEAPP, WM_SIZE,  WM_QUIT,
                                     WM_DESTROY,     WM_CLOSE, WM_ERASEBKGND};

}  // namespace

int32_t ScreenMessageHandler::HandleMessage(WindowHandle, uint32_t message, uintptr_t wParam,
                                            intptr_t) {
    if (message == WM_DESTROY) {
        screen->LetGoOfWindow();
        PostQuitMessage(0);
    } else if (message == WM_ACTIVATEAPP) {
        if (wParam)
            screen->ActivationRegained();
        else
            screen->ActivationLost();
    }
    return 0;
}

void ScreenMessageHandler::RegisterAll() {
    for (uint32_t message : kHandledMessages) RegisterMessageHandler(this, message);
}

void ScreenMessageHandler::UnregisterAll() {
    for (uint32_t message : kHandledMessages) UnregisterMessageHandler(this, message);
}
