// Which screens a run has and which one it draws on, and why: the order is written out
// at the top of screenchoice.cpp. Also the functions on the screen list
// (glb->screenList) that the settings dialog and the saved choice use.
#pragma once

#include <cstdint>

#include "base/screenb.h"

// The platform's screen of a kind (SCREEN_D3D, SCREEN_OPENGL, SCREEN_3DFX), made but
// not yet looking for its driver; null for a kind the platform does not have. Supplied
// by support/win/screens_win.cpp and support/posix/screens_posix.cpp.
Screen* NewPlatformScreen(int32_t kind);

// Makes the platform's screens in the list order and lets each join the list when
// FindDriver finds its driver (sglb keeps them all); FreeSystemScreens destroys them.
void CreateSystemScreens();
void FreeSystemScreens();
// Lets a screen join the list when FindDriver finds its driver; the screen either way.
Screen* JoinIfDriverFound(Screen* screen);

// How a run opens the screen it chose (full screen at the settings' size, or in the
// preview's host window): 1, or 0 with the reason recorded.
typedef int (*OpenScreenFunction)(Screen* screen);
// The screen a run draws on, chosen in the order written out in screenchoice.cpp from
// the saved choice and the display mode the run opens, and opened with `open`; it
// becomes glb->currentScreen. 0 with "Unable to find a fullscreen compatible screen"
// (glb->currentScreen null) when no screen will do, or with open's reason when the
// screen found that way cannot open (glb->currentScreen that screen).
int ChooseScreen(const ScreenSelection* saved, int32_t displayMode, OpenScreenFunction open);
// The first listed screen of the stored kind that matches the device part; null if
// none or when the selection is not valid.
Screen* FindSavedScreen(const ScreenSelection* selection, int32_t flag);
// The 3dfx screen when available and fit for the display mode, else the first such
// screen in list order; null if none. Builds the mode lists first.
Screen* FindScreenFor(int32_t displayMode);

// Logs "Get screen mode list(s)\n" and runs GetModeList on every listed screen in order.
int GetScreenModeLists();
// The first listed screen of that kind, or null.
Screen* FindScreenByKind(int32_t kind);
// Fills the 128-byte selection from the screen and its current mode. Returns 1.
int SaveScreenChoice(Screen* screen, ScreenSelection* selection);
