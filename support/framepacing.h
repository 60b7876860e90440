// Frame pacing: frames at the display's pace. A screen that can present in step with the
// display's refresh (vertical sync) paces the frames itself; otherwise, or when its
// presents turn out not to wait, the frames are paced by a precise timer. No frame is
// paced while none can be seen (framesight.h).
#pragma once

#include <cstdint>

#include "framesight.h"

class Screen;

// How the run wants its frames: as often as the display refreshes (0), or at most that
// many a second; `exact` takes that rate by the timer whatever the display's rate (the
// XScreenSaver module's -delay).
struct FrameRateWish {
    double framesPerSecond;
    int exact;
};

// Chooses the pace for the screen and logs it ("Frame pacing : %ld Hz, %s\n"): vertical
// sync at every n-th refresh of the primary monitor when that rate is what is wished,
// else the timer at the wished rate (the refresh rate when 0; 60 Hz when the platform
// does not know it).
void StartFramePacing(Screen* screen, const FrameRateWish& wish);
// The pace chosen; 0 before StartFramePacing.
double FramePacingHz();
// 1 while the screen's presents pace the frames, 0 while the timer does.
int FramePacingBySync();
// Once per pass of the main loop: waits what the timer's pace leaves of the frame. Soon
// after the start the pace is judged by the frames drawn: a screen whose presents come
// faster than its refresh (no real sync behind it) has its frames paced by the timer from
// then on, and frames slower than the pace take the pace they keep (the log says so).
void PaceFrame();
// The pacing ends with the run: the platform lets go of its fine timer.
void StopFramePacing();
