#include "framepacing.h"

#include <cmath>

#include "base/screenb.h"
#include "misc.h"
#include "platform.h"

namespace {

// Without a refresh rate from the platform the display is taken to refresh at 60 Hz.
const double kUnknownRefreshHz = 60.0;
// A wished rate this close to a whole fraction of the refresh rate is that fraction,
// presented every n-th refresh; the presents can wait at most this many refreshes.
const double kSyncRatioTolerance = 0.05;
const int32_t kSyncIntervalMax = 4;
// Whether presents really wait for the refresh is judged over this many passes, after
// the first ones (which load the scene): presents that come faster than three quarters
// of the pace have no sync behind them (a remote session, a virtual display), and ones
// that wait more than three refreshes wait for a slower clock than the display's
// (Xvfb's, under Wine, ticks about four times a second).
const int32_t kSyncCheckSkip = 4;
const int32_t kSyncCheckPasses = 12;
const double kSyncCheckShare = 0.75;
const double kSyncCheckSlowest = 3.0;

struct Pacing {
    double hz = 0.0;
    int bySync = 0;
    double deadline = 0.0;  // when the next frame is due, in TimerSeconds
    int32_t passes = 0;     // passes since the pace was chosen, while the sync is judged
    double checkStart = 0.0;
    Screen* screen = nullptr;
};

Pacing pacing;
int displayOn = 1;
int windowSeen = 1;

void LogPacing() {
    LogMessage(LOG_INIT, "Frame pacing : %ld Hz, %s\n", long(pacing.hz + 0.5),
               pacing.bySync ? "vertical sync" : "timer");
}

// A screen presenting in step with the display: the presents are timed over a number of
// passes, and the timer takes over when they came too fast.
void CheckSync() {
    ++pacing.passes;
    if (pacing.passes == kSyncCheckSkip) pacing.checkStart = TimerSeconds();
    if (pacing.passes != kSyncCheckSkip + kSyncCheckPasses) return;
    const double took = TimerSeconds() - pacing.checkStart;
    const double expected = kSyncCheckPasses / pacing.hz;
    if (took >= expected * kSyncCheckShare && took <= expected * kSyncCheckSlowest) return;
    if (took > expected) pacing.screen->SyncToDisplay(0);
    pacing.bySync = 0;
    pacing.deadline = 0.0;
    LogPacing();
}

}  // namespace

void StartFramePacing(Screen* screen, const FrameRateWish& wish) {
    double refresh = double(Platform().displayRefreshRate());
    if (refresh <= 1.0) refresh = kUnknownRefreshHz;
    double target = wish.framesPerSecond > 0.0 ? wish.framesPerSecond : refresh;
    if (!wish.exact && target > refresh) target = refresh;
    const double ratio = refresh / target;
    const double interval = std::round(ratio);
    const bool whole = interval >= 1.0 && interval <= kSyncIntervalMax &&
                       std::fabs(ratio - interval) <= kSyncRatioTolerance * ratio;
    // A timer-paced frame still waits for the refresh where it can, so it does not tear.
    const int synced = screen && screen->SyncToDisplay(whole ? int32_t(interval) : 1);
    pacing = Pacing();
    pacing.screen = screen;
    pacing.bySync = whole && synced;
    pacing.hz = pacing.bySync ? refresh / interval : target;
    LogPacing();
}

double FramePacingHz() {
    return pacing.hz;
}

int FramePacingBySync() {
    return pacing.bySync;
}

void PaceFrame() {
    if (pacing.hz <= 0.0 || !FramesCanBeSeen()) return;
    if (pacing.bySync) {
        CheckSync();
        return;
    }
    const double period = 1.0 / pacing.hz;
    double now = TimerSeconds();
    if (pacing.deadline > now) {
        Platform().waitPrecisely(uint32_t((pacing.deadline - now) * 1e6));
        now = TimerSeconds();
    }
    // The frames keep to their schedule; one late by more than a frame starts it anew.
    pacing.deadline = std::fmax(pacing.deadline + period, now);
}

void StopFramePacing() {
    if (pacing.hz > 0.0) Platform().endPreciseWaits();
    pacing = Pacing();
}

void DisplayPowerChanged(int on) {
    displayOn = on != 0;
}

void WindowSightChanged(int seen) {
    windowSeen = seen != 0;
}

int FramesCanBeSeen() {
    return displayOn && windowSeen;
}
