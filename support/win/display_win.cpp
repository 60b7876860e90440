// Contents, in order: the candidate sizes; the desktop; opening a mode (checks, the
// window, full screen over the desktop, the monitors); closing it; the screen's window
// messages.
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

RECT VirtualScreen() {
    RECT all = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    all.right = all.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    all.bottom = all.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // A system that knows of one monitor only.
    if (all.right <= all.left || all.bottom <= all.top)
        SetRect(&all, 0, 0, DesktopWidth(), DesktopHeight());
    return all;
}

namespace {

// A test change first, then the real one; a depth the system wants a restart for is
// left out of the request.
bool ChangeDisplay(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA devmode = {};
    devmode.dmSize = sizeof devmode;
    devmode.dmPelsWidth = width;
    devmode.dmPelsHeight = height;
    devmode.dmBitsPerPel = bits;
    devmode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    LONG test = ChangeDisplaySettingsA(&devmode, CDS_TEST);
    if (test == DISP_CHANGE_RESTART) {
        devmode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        test = ChangeDisplaySettingsA(&devmode, CDS_TEST);
    }
    return test == DISP_CHANGE_SUCCESSFUL &&
           ChangeDisplaySettingsA(&devmode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

int ChangeDisplayToMode(const ScreenMode* mode) {
    DWORD width = DWORD(mode->width), height = DWORD(mode->height);
    DWORD desktopBits = DWORD(DesktopBits());
    return ChangeDisplay(width, height, DWORD(mode->bits)) ||
           (desktopBits != DWORD(mode->bits) && ChangeDisplay(width, height, desktopBits));
}

void RestoreDisplay() {
    ChangeDisplaySettingsA(nullptr, 0);
}

void WarnDisplayUnchanged(const ScreenMode* asked) {
    RECT all = VirtualScreen();
    LogMessage(LOG_WARNING,
               "Unable to change the display to %ldx%ldx%ld, drawing over the desktop at "
               "%ldx%ld\n",
               long(asked->width), long(asked->height), long(asked->bits),
               long(all.right - all.left), long(all.bottom - all.top));
}

void CoverVirtualScreen(HWND window) {
    RECT all = VirtualScreen();
    SetWindowPos(window, nullptr, all.left, all.top, all.right - all.left, all.bottom - all.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

const ScreenMode* ResolveDesktopMode(const ScreenMode* asked, ScreenMode* resolved) {
    if (!asked || asked->displayMode != DISPLAY_DESKTOP) return asked;
    *resolved = *asked;
    RECT all = VirtualScreen();
    resolved->width = all.right - all.left;
    resolved->height = all.bottom - all.top;
    resolved->bits = DesktopBits();
    return resolved;
}

namespace {

struct MonitorList {
    RECT client;  // in screen coordinates
    ScreenArea areas[SCREEN_MONITOR_MAX];
    int32_t count;
    int32_t primary;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM context) {
    MonitorList* list = reinterpret_cast<MonitorList*>(context);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (list->count >= SCREEN_MONITOR_MAX || !GetMonitorInfoA(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    if (info.dwFlags & MONITORINFOF_PRIMARY) list->primary = list->count;
    list->areas[list->count++] = ScreenArea{r.left - list->client.left, r.top - list->client.top,
                                            r.right - r.left, r.bottom - r.top};
    return TRUE;
}

}  // namespace

void FindMonitors(Screen* screen, HWND window, int32_t displayMode) {
    MonitorList list = {};
    GetClientRect(window, &list.client);
    int32_t width = list.client.right, height = list.client.bottom;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&list.client, origin.x, origin.y);
    if (displayMode == DISPLAY_FULLSCREEN || displayMode == DISPLAY_DESKTOP)
        EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    screen->SetTarget(width, height, list.areas, list.count, list.primary);
    for (int32_t i = 0; i < screen->MonitorCount(); ++i) {
        const ScreenArea& area = screen->Monitor(i);
        LogMessage(LOG_SCREEN, "Drawing on monitor %ld : %ldx%ld at %ld, %ld%s\n", long(i + 1),
                   long(area.width), long(area.height), long(area.x), long(area.y),
                   i == screen->PrimaryMonitor() ? " (primary)" : "");
    }
}

int CheckModeToOpen(Screen* screen, const ScreenMode* mode) {
    if (!mode) return SetErrorText("Unable to get the mode to init");
    LogMessage(LOG_SCREEN, "Starting video mode : %ldx%ldx%ld in %s using %s\n", long(mode->width),
               long(mode->height), long(mode->bits),
               mode->displayMode == DISPLAY_FULLSCREEN ? "fullscreen mode" : "window mode",
               screen->Name());
    if (mode->displayMode == DISPLAY_FULLSCREEN) return 1;
    if (screen->SupportsDisplayMode(DISPLAY_WINDOW) != 1)
        return SetErrorText("Device isn't window compatible");
    // The desktop mode takes the desktop's size, whatever it was when it was saved.
    if (mode->displayMode == DISPLAY_DESKTOP) return 1;
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
        case DISPLAY_DESKTOP: {
            // Not maximised: a maximised window fills one monitor only.
            RECT all = VirtualScreen();
            x = all.left;
            y = all.top;
            width = all.right - all.left;
            height = all.bottom - all.top;
            style = fullScreenStyle | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
            exStyle = fullScreenExStyle;
            break;
        }
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
