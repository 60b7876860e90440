#include "display_win.h"

#include "misc.h"

const ModeSize kCandidateSizes[CANDIDATE_SIZE_COUNT] = {
    {400, 300},  {512, 384},  {640, 480},   {800, 600},   {960, 720},
    {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}, {2048, 1536}};

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
