#include "stepclock.h"

namespace {

// Frame times add up in floating point: a frame of exactly one step must give one step.
const double kStepTolerance = 1e-6;

}  // namespace

int32_t StepClock::Advance(double seconds) {
    if (seconds > 0.0) pending += seconds;
    int32_t steps = 0;
    while (pending >= STEP_SECONDS - kStepTolerance && steps < STEPS_PER_FRAME_MAX) {
        pending -= STEP_SECONDS;
        ++steps;
    }
    if (pending >= STEP_SECONDS) pending = 0.0;
    if (!started && steps == 0) {
        pending -= STEP_SECONDS;
        steps = 1;
    }
    started = true;
    return steps;
}

float StepClock::Fraction() const {
    const double fraction = pending / STEP_SECONDS;
    return fraction <= 0.0 ? 0.0f : fraction >= 1.0 ? 1.0f : float(fraction);
}
