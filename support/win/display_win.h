// The desktop as the screens see it: its size and depth, the sizes the screens offer in
// their mode lists, and full screen over the desktop when the display mode cannot be
// changed (modern displays offer no 16-bit modes, and some drivers refuse small ones).
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/screenb.h"

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

// A full-screen window whose display mode could not be set: it covers the whole
// desktop at the desktop's own resolution instead, and the log says so with the mode
// asked for and the desktop's size.
void CoverDesktop(HWND window, const ScreenMode* asked);
