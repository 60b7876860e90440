// The desktop as the Win32 screens see it: its size and depth, the sizes the screens
// offer in their mode lists, what opening and closing a mode share on both screens (the
// checks, the window and its messages), the monitors the window covers, and full
// screen over the desktop when the display mode cannot be changed (modern displays
// offer no 16-bit modes, and some drivers refuse small ones).
//
// Full screen and desktop windows cover the whole virtual screen, every monitor; the
// screen then draws the frame once per monitor (base/monitorview). A full-screen mode
// is set on the primary monitor; the others keep theirs and still show the scene.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/screenb.h"
#include "xsystem.h"

struct ModeSize {
    int32_t width;
    int32_t height;
};

// The sizes the screens list, smallest first.
#define CANDIDATE_SIZE_COUNT 10
extern const ModeSize kCandidateSizes[CANDIDATE_SIZE_COUNT];

// The primary display as it is now.
int DesktopWidth();
int DesktopHeight();
int DesktopBits();
// Every monitor's rectangle together, in screen coordinates (the primary's top left is
// 0, 0).
RECT VirtualScreen();

// Why a screen does not open on a display of 8 bits per pixel.
extern const char* const kTooFewColours;

// The messages of a screen's window: destroy lets the screen let go of the window
// (Screen::LetGoOfWindow) and posts the quit message; the application's activation goes
// to Screen::ActivationRegained, its loss to Screen::ActivationLost. Registered for
// activate-application, size, quit, destroy, close and erase-background while a mode is
// open.
class ScreenMessageHandler : public MessageHandler {
public:
    explicit ScreenMessageHandler(Screen* owner) : screen(owner) {}
    int32_t HandleMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override;
    void RegisterAll();
    void UnregisterAll();

private:
    Screen* screen;
};

// Sets the primary monitor to the mode's size and depth, else its size at the desktop's
// depth (current displays have no 16-bit modes); a test change before each real one.
// 1 when the display changed; RestoreDisplay gives the user's mode back.
int ChangeDisplayToMode(const ScreenMode* mode);
void RestoreDisplay();
// Logs that a full-screen mode could not be set, with the mode asked for and the size
// of the desktop drawn over instead.
void WarnDisplayUnchanged(const ScreenMode* asked);
// Puts a window over the whole virtual screen.
void CoverVirtualScreen(HWND window);
// The screen's target becomes the window's client area, with the monitors that lie on
// it: every monitor for full screen and desktop, the client area alone for a window
// or a preview. Each monitor is logged.
void FindMonitors(Screen* screen, HWND window, int32_t displayMode);
// The desktop mode opens at the size and depth of the desktop as it is: a desktop mode
// is copied into `resolved` with the virtual screen's size and the desktop's depth.
// Any other mode is given back as it is.
const ScreenMode* ResolveDesktopMode(const ScreenMode* asked, ScreenMode* resolved);

// The first steps of opening a mode: a mode is given ("Unable to get the mode to init"),
// the "Starting video mode" line, and for anything but full screen a screen that can
// draw in a window ("Device isn't window compatible") and a desktop large enough.
int CheckModeToOpen(Screen* screen, const ScreenMode* mode);
// Logs "Create window" and makes the main window (into sglb) for the mode: full screen
// at (0, 0) of the mode's size in the screen's own styles; a window framed so that its
// client area is the mode's size, centred on the desktop; the whole virtual screen in
// the full-screen styles for the desktop; a child of the parent.
int CreateScreenWindow(const ScreenMode* mode, WindowHandle parent, DWORD fullScreenStyle,
                       DWORD fullScreenExStyle);
// Shows, updates and focuses the main window, takes its device context (into sglb) and
// hides the cursor unless the window is a child.
int ShowScreenWindow(int32_t displayMode);
// Gives back the main window's device context, destroys the window (its destroy
// message still reaches the screen) and then unregisters the screen's window messages.
void CloseScreenWindow(ScreenMessageHandler& messageHandler);
