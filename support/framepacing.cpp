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
// The pace is judged first over 12 frames after the first 4, which shows at once that
// synced presents do not really wait: ones that come a tenth faster than the pace have
// no sync behind them (a remote session, a virtual display), and ones that wait
// more than three refreshes wait for a slower clock than the display's (Xvfb's, under
// Wine, ticks about four times a second). It is judged again over a second of frames, a
// few times, from a second on, when the driver has warmed up: frames that take a tenth
// longer than the pace (a machine that cannot draw that fast) take the slower pace they
// keep, every n-th refresh in sync, so the frames stay even, or the rate they reach by
// the timer.
const int32_t kJudgeSkip = 4;
const int32_t kJudgePassesMin = 12;
const double kJudgeAfterSeconds = 1.0;
const double kJudgeSettleSeconds = 0.25;
const double kJudgeSeconds = 1.0;
const int32_t kJudgementsMax = 5;
const double kSyncCheckShare = 0.9;
const double kSyncCheckSlowest = 3.0;
const double kSlowerShare = 1.1;

struct Pacing {
    double hz = 0.0;
    double wished = 0.0;  // the pace chosen at the start
    double refresh = 0.0;
    int32_t interval = 0;  // of the refreshes presented, while in sync
    int bySync = 0;
    double deadline = 0.0;  // when the next frame is due, in TimerSeconds
    int32_t judgements = 0;
    // The frames judged next: from when they may start, when they started (-1 before
    // either), how many (before the first judgement starts: how many it skipped), and
    // how long the timer waited of their time.
    double judgeFrom = -1.0;
    double judgeStart = -1.0;
    int32_t passes = 0;
    double waited = 0.0;
    Screen* screen = nullptr;
};

Pacing pacing;
int displayOn = 1;
int windowSeen = 1;

void LogPacing() {
    LogMessage(LOG_INIT, "Frame pacing : %ld Hz, %s\n", long(pacing.hz + 0.5),
               pacing.bySync ? "vertical sync" : "timer");
}

void PaceByTimer(double hz) {
    pacing.bySync = 0;
    pacing.hz = hz;
    pacing.deadline = 0.0;
}

// The frames of a judgement took `slower` times the pace, `busy` of it outside the
// timer's waits: the pace they keep (only whether the sync is real, `syncOnly`).
bool Rejudge(double slower, double busy, bool syncOnly) {
    if (pacing.bySync) {
        // Presents that do not wait, or wait for another clock, tell nothing of the
        // drawing: the timer takes the wished pace and judges it anew.
        if (slower < kSyncCheckShare) {
            PaceByTimer(pacing.wished);
        } else if (slower > kSyncCheckSlowest) {
            pacing.screen->SyncToDisplay(0);
            PaceByTimer(pacing.wished);
        } else if (!syncOnly && slower > kSlowerShare) {
            const int32_t interval = int32_t(std::ceil(pacing.interval * slower - 0.1));
            if (interval > kSyncIntervalMax || !pacing.screen->SyncToDisplay(interval)) {
                PaceByTimer(pacing.hz / slower);
            } else {
                pacing.interval = interval;
                pacing.hz = pacing.refresh / interval;
            }
        } else {
            return false;
        }
        return true;
    }
    if (syncOnly || busy <= kSlowerShare) return false;
    PaceByTimer(pacing.hz / slower);
    return true;
}

void JudgePace() {
    if (pacing.judgements >= kJudgementsMax) return;
    const double now = TimerSeconds();
    const bool early = pacing.judgements == 0;
    if (pacing.judgeStart < 0.0) {
        if (pacing.judgeFrom < 0.0)
            pacing.judgeFrom = now + (early                    ? 0.0
                                      : pacing.judgements == 1 ? kJudgeAfterSeconds
                                                               : kJudgeSettleSeconds);
        if (now < pacing.judgeFrom || (early && ++pacing.passes <= kJudgeSkip)) return;
        pacing.judgeStart = now;
        pacing.passes = 0;
        pacing.waited = 0.0;
        return;
    }
    ++pacing.passes;
    const double took = now - pacing.judgeStart;
    if (pacing.passes < kJudgePassesMin || (!early && took < kJudgeSeconds)) return;
    const double expected = pacing.passes / pacing.hz;
    ++pacing.judgements;
    pacing.judgeFrom = pacing.judgeStart = -1.0;
    if (!Rejudge(took / expected, (took - pacing.waited) / expected, early)) return;
    // The rate the drawing keeps by the timer is final: judged again, it would only
    // follow the noise.
    if (!pacing.bySync && pacing.hz < pacing.wished) pacing.judgements = kJudgementsMax;
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
    pacing.refresh = refresh;
    pacing.interval = int32_t(interval);
    pacing.bySync = whole && synced;
    pacing.hz = pacing.wished = pacing.bySync ? refresh / interval : target;
    LogPacing();
}

double FramePacingHz() {
    return pacing.hz;
}

int FramePacingBySync() {
    return pacing.bySync;
}

void PaceFrame() {
    if (pacing.hz <= 0.0) return;
    if (!FramesCanBeSeen()) {
        // Time without frames tells nothing of the drawing.
        pacing.judgeFrom = pacing.judgeStart = -1.0;
        return;
    }
    JudgePace();
    if (pacing.bySync) return;
    const double period = 1.0 / pacing.hz;
    double now = TimerSeconds();
    if (pacing.deadline > now) {
        Platform().waitPrecisely(uint32_t((pacing.deadline - now) * 1e6));
        const double then = TimerSeconds();
        pacing.waited += then - now;
        now = then;
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
