// Animation time. The scene moves in whole steps of 1/50 s, as many as the wall clock
// asks (an accumulator), while frames come at the display's pace: a frame between two
// steps shows the scene that far between them.
#pragma once

#include <cstdint>

#define STEP_SECONDS 0.02
// A frame runs at most this many steps: a stall of more than 200 ms slows the animation
// down rather than making it jump.
#define STEPS_PER_FRAME_MAX 10

class StepClock {
public:
    // The time a frame took becomes the steps to run now. Time beyond ten steps is let go.
    int32_t Advance(double seconds);
    // How far the frame lies past the last step it ran, 0 (at it) to 1 (a whole step on).
    float Fraction() const;
    // A new run: its first frame runs a step however short it was, so the scene it draws
    // has been placed (camera, view and clouds); that step's time is owed from the next.
    void Reset() {
        pending = 0.0;
        started = false;
    }

private:
    double pending = 0.0;  // seconds not yet stepped
    bool started = false;
};

// What a run drew: frames presented, steps run and the seconds they covered (the time
// the display was off or the window hidden is not counted).
struct FrameFigures {
    long frames = 0;
    long steps = 0;
    double seconds = 0.0;
};
