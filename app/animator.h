// VxAnimator: one animation channel per control identifier. An animated channel moves
// its value within [low, high] in transitions along a two-key Kochanek-Bartels spline,
// with holds between them, and pushes the value into the current scene every step.
// Times are given in seconds and run in steps of 1/50 s, one step per StepAll.
//
// Sections: spline records and EvaluateSpline; the channel record; VxAnimator; the
// built-in default background.
#pragma once

#include <cstdint>

#include "base/camera.h"
#include "slidertable.h"

// ---------------------------------------------------------------- spline

#define SPLINE_MAX_KEYS 4
#define SPLINE_CHANNELS 3  // value, low, high
#define ANIMATION_STEPS_PER_SECOND 50
// Segment lengths are 16-bit differences; longer phases are cut to this (about 655 s).
#define SPLINE_MAX_STEPS 32767

enum SplineEndMode { SPLINE_END_FIRST = 0, SPLINE_END_LAST = 1 };  // any other: wrap

struct SplineKey {
    float values[SPLINE_CHANNELS];
    float tension;
    float continuity;
    float bias;
    int32_t linear;  // 1 = straight line into this key
    int32_t time;    // steps
};

struct Spline {
    SplineKey keys[SPLINE_MAX_KEYS];
    int32_t endMode;
    int32_t channels;
    int32_t keyCount;
    int32_t length;  // time of the last key, steps
};

// Writes the three values at time t; 1 while t is inside the spline, 0 past its end or
// when it has a single key.
int EvaluateSpline(const Spline* spline, float out[SPLINE_CHANNELS], float time);

// ---------------------------------------------------------------- channel

enum AnimationMode {
    ANIM_NONE = 0,
    ANIM_RANDOM = 1,
    ANIM_LOOP_UP = 2,
    ANIM_LOOP_DOWN = 3,
    ANIM_PING_PONG = 4,
};

// flags bit: the channel is in, or has just ended, a hold.
#define CHANNEL_HOLD 0x1

struct SliderChannel {
    int32_t flags;
    int32_t restart;  // 1 = start a new phase at the next step
    int32_t mode;
    int32_t reserved;
    float value;
    float low;
    float high;
    float time;  // step inside the phase; between phases the next length in seconds
    int32_t delayRandom;
    float transitionTime;
    float transitionLow;
    float transitionHigh;
    int32_t transitionRandom;
    float delay;
    float delayLow;
    float delayHigh;  // 0 = no holds
    Spline spline;
};

static_assert(sizeof(SliderChannel) == 52 * 4, "a channel record is 52 words");

// ---------------------------------------------------------------- animator

// The flags of SetValue, MarkChanged, ApplyAll and the timing setters, named where
// they are passed: SetValue(id, v, VALUE_STORED, VALUE_TO_SCENE).
enum ValueStore { VALUE_NOT_STORED = 0, VALUE_STORED = 1 };
enum ValueNotice { VALUE_TO_SCENE = 0, VALUE_SILENT = 1 };
enum ValueRandomize { KEEP_VALUE = 0, RANDOM_VALUE = 1 };
enum TimingRandom { TIMING_FIXED = 0, TIMING_RANDOM = 1 };

class VxAnimator {
public:
    VxAnimator();

    // With store set the channel holds the value (a single-key spline); unless silent,
    // the value goes to the current scene at once. Identifiers outside 0..42: nothing.
    void SetValue(int32_t id, float value, int store, int silent);
    // Makes the next step start a transition from wherever the value is; randomize
    // first moves an animated channel to a random point of its range. id -1: all rows.
    void MarkChanged(int32_t id, int randomize);
    // id -1: every record.
    void SetMode(int32_t id, int32_t mode);
    int32_t GetMode(int32_t id) const;
    void SetLow(int32_t id, float low);
    void SetHigh(int32_t id, float high);
    void SetDelay(int32_t id, float delay, float low, float high, int random);
    void SetTransitionTime(int32_t id, float time, float low, float high, int random);
    // Pushes every row's stored value to the scene and restarts its channel.
    void ApplyAll(int randomize);
    // One animation step of every animated channel except "TTIME" and "DELAY", then
    // every row's value to the current scene.
    void StepAll();
    void AdvanceChannel(int32_t id);
    // Null outside 0..42.
    SliderChannel* Channel(int32_t id);
    // The background the program shows when no background file was loaded: for each
    // of the 26 scene parameters the fields a background file holds (mode, value,
    // range, transition and hold times), each channel then marked changed. Every other
    // channel is left alone.
    void SetDefaultBackground();

    // The view the scene is drawn for (its viewport and field of view); its eye is
    // the editor's.
    Camera camera;

private:
    SliderChannel channels[CONTROL_COUNT];
};
