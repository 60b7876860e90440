// The animator: one spline channel per control, stepped once a frame toward a new
// value or held, and the built-in default background.
//
// Sections: spline; animator (values, modes, ranges, timing, stepping); default
// background.
#include "animator.h"

#include <cmath>
#include <cstring>

#include "bground.h"
#include "xrandom.h"

// ---------------------------------------------------------------- spline

namespace {

void CopyKeyValues(float out[SPLINE_CHANNELS], const SplineKey& key) {
    for (int c = 0; c < SPLINE_CHANNELS; ++c) out[c] = key.values[c];
}

}  // namespace

int EvaluateSpline(const Spline* spline, float out[SPLINE_CHANNELS], float time) {
    const SplineKey* keys = spline->keys;
    int32_t count = spline->keyCount < SPLINE_MAX_KEYS ? spline->keyCount : SPLINE_MAX_KEYS;
    if (count <= 1 || std::isnan(time)) {
        CopyKeyValues(out, keys[0]);
        return 0;
    }
    const SplineKey& last = keys[count - 1];
    float t = time;
    if (t > float(spline->length)) {
        if (spline->endMode == SPLINE_END_FIRST) {
            CopyKeyValues(out, keys[0]);
            return 0;
        }
        // A spline without length cannot wrap; it only has an end.
        if (spline->endMode == SPLINE_END_LAST || spline->length <= 0 || std::isinf(t)) {
            CopyKeyValues(out, last);
            return 0;
        }
        t = std::fmod(t, float(spline->length));
        if (t == 0.0f) t = float(spline->length);
    }
    int32_t i = 1;
    while (i < count && float(keys[i].time) < t) ++i;
    if (i == count) {
        CopyKeyValues(out, last);
        return 0;
    }
    const SplineKey& from = keys[i - 1];
    const SplineKey& to = keys[i];
    int16_t span = int16_t(to.time - from.time);
    // A segment of no length (a phase of 0 s) is over as soon as it starts; 0/0 would
    // put a NaN into the channel.
    float u = span > 0 ? (t - float(from.time)) / float(span) : 1.0f;
    float u2 = u * u;
    float u3 = u2 * u;
    float h2 = 3.0f * u2 - 2.0f * u3;
    float h1 = 1.0f - h2;
    float h3 = u3 - 2.0f * u2 + u;
    float h4 = u3 - u2;
    for (int c = 0; c < SPLINE_CHANNELS; ++c) {
        float a = from.values[c];
        float b = to.values[c];
        if (a == b) {
            out[c] = a;
        } else if (to.linear) {
            out[c] = a + u * (b - a);
        } else {
            // The end keys take the segment itself for their missing neighbour.
            float step = b - a;
            float before = i >= 2 ? a - keys[i - 2].values[c] : step;
            float after = i + 1 < count ? keys[i + 1].values[c] - b : step;
            float m0 = 0.5f * (1.0f - from.tension) *
                       ((1.0f + from.continuity) * (1.0f + from.bias) * before +
                        (1.0f - from.continuity) * (1.0f - from.bias) * step);
            float m1 = 0.5f * (1.0f - to.tension) *
                       ((1.0f - to.continuity) * (1.0f + to.bias) * step +
                        (1.0f + to.continuity) * (1.0f - to.bias) * after);
            out[c] = a * h1 + b * h2 + m0 * h3 + m1 * h4;
        }
    }
    return 1;
}

// ---------------------------------------------------------------- animator

namespace {

// A phase length in steps. Worked in double, where seconds x 50 is exact, so every
// build truncates alike; lengths that are no number or below 0 give an empty phase,
// and those past the 16-bit segment range are cut to it.
int32_t PhaseSteps(float seconds) {
    double steps = double(seconds) * ANIMATION_STEPS_PER_SECOND;
    if (!(steps > 0.0)) return 0;
    if (steps >= SPLINE_MAX_STEPS) return SPLINE_MAX_STEPS;
    return int32_t(steps);
}

}  // namespace

VxAnimator::VxAnimator() {
    std::memset(channels, 0, sizeof channels);
    for (SliderChannel& channel : channels) {
        channel.restart = 1;
        channel.spline.keys[0].tension = 1.0f;
        channel.spline.keys[1].tension = 1.0f;
        channel.spline.endMode = SPLINE_END_LAST;
        channel.spline.channels = SPLINE_CHANNELS;
        channel.spline.keyCount = 2;
    }
}

SliderChannel* VxAnimator::Channel(int32_t id) {
    if (id < 0 || id >= CONTROL_COUNT) return nullptr;
    return &channels[id];
}

void VxAnimator::SetValue(int32_t id, float value, int store, int silent) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    if (store) {
        channel->value = value;
        channel->time = 0.0f;
        channel->spline.keys[0].values[0] = value;
        channel->spline.keys[0].time = 0;
        channel->spline.keyCount = 1;
    }
    if (silent) return;
    SceneObject* scene = Scenes().Current();
    if (scene) scene->SetParameter(id, value);
}

void VxAnimator::MarkChanged(int32_t id, int randomize) {
    if (id == -1) {
        for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row)
            MarkChanged(row->id, randomize);
        return;
    }
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    channel->restart = 1;
    channel->flags |= CHANNEL_HOLD;
    if (randomize == 1 && channel->mode != ANIM_NONE)
        SetValue(id, channel->low + RandomUnit() * (channel->high - channel->low), VALUE_STORED, VALUE_TO_SCENE);
}

void VxAnimator::SetMode(int32_t id, int32_t mode) {
    if (id == -1) {
        for (SliderChannel& channel : channels) channel.mode = mode;
        return;
    }
    SliderChannel* channel = Channel(id);
    if (channel) channel->mode = mode;
}

int32_t VxAnimator::GetMode(int32_t id) const {
    if (id < 0 || id >= CONTROL_COUNT) return ANIM_NONE;
    return channels[id].mode;
}

void VxAnimator::SetLow(int32_t id, float low) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    channel->low = low;
    channel->spline.keys[0].values[1] = low;
    channel->spline.keys[1].values[1] = low;
}

void VxAnimator::SetHigh(int32_t id, float high) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    channel->high = high;
    channel->spline.keys[0].values[2] = high;
    channel->spline.keys[1].values[2] = high;
}

void VxAnimator::SetDelay(int32_t id, float delay, float low, float high, int random) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    channel->delay = delay;
    channel->delayLow = low;
    channel->delayHigh = high;
    channel->delayRandom = random;
}

void VxAnimator::SetTransitionTime(int32_t id, float time, float low, float high, int random) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    channel->transitionTime = time;
    channel->transitionLow = low;
    channel->transitionHigh = high;
    channel->transitionRandom = random;
}

void VxAnimator::ApplyAll(int randomize) {
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        SliderChannel& channel = channels[row->id];
        SetValue(row->id, channel.value, VALUE_STORED, VALUE_TO_SCENE);
        SetLow(row->id, channel.low);
        SetHigh(row->id, channel.high);
        MarkChanged(row->id, randomize);
    }
}

void VxAnimator::StepAll() {
    // The terminating row is walked too: its channel 0 steps if someone animated it,
    // and the scene ignores identifier 0.
    for (int row = 0; row < SLIDER_TABLE_ROWS; ++row) {
        int32_t id = SliderTable[row].id;
        SliderChannel& channel = channels[id];
        if (channel.mode != ANIM_NONE && id != CONTROL_TTIME && id != CONTROL_DELAY)
            AdvanceChannel(id);
        SceneObject* scene = Scenes().Current();
        if (scene) scene->SetParameter(id, channel.value);
    }
}

void VxAnimator::AdvanceChannel(int32_t id) {
    SliderChannel* channel = Channel(id);
    if (!channel) return;
    Spline& spline = channel->spline;

    float out[SPLINE_CHANNELS];
    int inside = EvaluateSpline(&spline, out, channel->time);
    channel->low = out[1];
    channel->high = out[2];
    float bottom = channel->low < channel->high ? channel->low : channel->high;
    float top = channel->low < channel->high ? channel->high : channel->low;
    float value = out[0];
    float delta = value - channel->value;
    if (value < bottom) {
        value = bottom;
        spline.keys[0].values[0] = value;
    } else if (value > top) {
        value = top;
        spline.keys[0].values[0] = value;
    }
    channel->value = value;
    channel->time += 1.0f;
    if (inside == 1 && channel->restart == 0) return;

    // The phase is over (or cut short): a hold if one is due, else a transition.
    float target;
    bool jump = false;
    if (!(channel->flags & CHANNEL_HOLD) && channel->delayHigh != 0.0f &&
        (channel->delay != 0.0f || channel->delayRandom != 0)) {
        target = channel->value;
        if (channel->delayRandom == 1)
            channel->delay =
                channel->delayLow + RandomUnit() * (channel->delayHigh - channel->delayLow);
        channel->time = channel->delay;
        channel->flags |= CHANNEL_HOLD;
    } else {
        spline.keys[1].linear = 0;
        switch (channel->mode) {
            case ANIM_RANDOM:
                target = bottom + RandomUnit() * (top - bottom);
                break;
            case ANIM_LOOP_UP:
                // No change this step: the ramp ran out, so it starts again from below.
                if (delta == 0.0f) channel->value = bottom;
                target = top;
                spline.keys[1].linear = 1;
                jump = true;
                break;
            case ANIM_LOOP_DOWN:
                if (delta == 0.0f) channel->value = top;
                target = bottom;
                spline.keys[1].linear = 1;
                jump = true;
                break;
            case ANIM_PING_PONG:
                if (delta > 0.0f)
                    target = top;
                else if (delta < 0.0f)
                    target = bottom;
                else
                    target = channel->value == bottom ? top : bottom;
                break;
            default:
                target = channel->value;
                break;
        }
        if (channel->transitionRandom == 1)
            channel->transitionTime =
                channel->transitionLow +
                RandomUnit() * (channel->transitionHigh - channel->transitionLow);
        channel->time = channel->transitionTime;
        channel->flags &= ~CHANNEL_HOLD;
    }

    int32_t steps = PhaseSteps(channel->time);
    SplineKey& start = spline.keys[0];
    SplineKey& end = spline.keys[1];
    start.values[0] = channel->value;
    start.values[1] = channel->low;
    start.values[2] = channel->high;
    start.time = 0;
    end.values[0] = target;
    end.values[1] = channel->low;
    end.values[2] = channel->high;
    end.time = steps;
    spline.length = steps;
    channel->time = 0.0f;
    // A transition that cut another one short leaves at full speed.
    start.tension = channel->restart == 1 ? 0.0f : 1.0f;
    spline.keyCount = 2;
    channel->restart = 0;

    if (jump) {
        // The first step of a new ramp is taken at once.
        channel->time = 1.0f;
        EvaluateSpline(&spline, out, channel->time);
        channel->value = out[0];
        channel->time = 2.0f;
    }
}

// ---------------------------------------------------------------- default background

namespace {

// The fields a background file keeps for a channel (flags aside, which start at 0).
struct DefaultChannel {
    int32_t id;
    int32_t mode;
    float value, low, high;
    int32_t transitionRandom;
    float transitionTime, transitionLow, transitionHigh;  // seconds
    int32_t delayRandom;
    float delay, delayLow, delayHigh;  // seconds; delayHigh 0: no holds
};

// A deep-blue cloud that shifts hue slowly, pale stars coming on at a varying pace
// with a little sway and a slow full roll, and trails that come and go. Parameters
// that nothing draws (start colour, sideways speeds) and those that re-place every
// star when they change (world depth) stay put.
// A channel that stays put still has the whole range of its editor slider, so that its
// knob can be dragged at once.
const DefaultChannel kDefaultBackground[] = {
    {CONTROL_BGSBCR, ANIM_RANDOM, 20, 5, 60, 1, 10, 6, 14, 1, 4, 2, 6},
    {CONTROL_BGSBCG, ANIM_RANDOM, 30, 10, 70, 1, 10, 6, 14, 1, 4, 2, 6},
    {CONTROL_BGSBCB, ANIM_RANDOM, 90, 50, 130, 1, 10, 6, 14, 1, 4, 2, 6},
    {CONTROL_BGSSCR, ANIM_NONE, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSSCG, ANIM_NONE, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSSCB, ANIM_NONE, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSECR, ANIM_RANDOM, 230, 180, 255, 1, 8, 5, 12, 0, 0, 0, 0},
    {CONTROL_BGSECG, ANIM_RANDOM, 230, 180, 255, 1, 8, 5, 12, 0, 0, 0, 0},
    {CONTROL_BGSECB, ANIM_RANDOM, 255, 200, 255, 1, 8, 5, 12, 0, 0, 0, 0},
    {CONTROL_BGSSX, ANIM_NONE, 0, -20, 20, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSSY, ANIM_NONE, 0, -20, 20, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSSZ, ANIM_PING_PONG, 5, 3, 8, 1, 15, 10, 20, 1, 6, 4, 10},
    {CONTROL_BGSCRX, ANIM_PING_PONG, 0, -12, 12, 0, 23, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSCRY, ANIM_PING_PONG, 0, -12, 12, 0, 31, 0, 0, 0, 0, 0, 0},
    // 360 degrees is 0 again, so the loop's jump back does not show.
    {CONTROL_BGSCRZ, ANIM_LOOP_UP, 0, 0, 360, 0, 90, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSNUMS, ANIM_PING_PONG, 500, 350, 650, 0, 30, 0, 0, 1, 10, 5, 20},
    {CONTROL_BGSMBLUR, ANIM_PING_PONG, 0.3, 0.15, 0.55, 0, 20, 0, 0, 1, 10, 5, 15},
    {CONTROL_BGSSIZE, ANIM_RANDOM, 0.4, 0.3, 0.6, 1, 8, 5, 12, 0, 0, 0, 0},
    {CONTROL_BGSWSIZEX, ANIM_NONE, 35, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSWSIZEY, ANIM_NONE, 35, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSWSIZEZ, ANIM_NONE, 50, 10, 200, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSCAMPX, ANIM_NONE, 0, -50, 50, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSCAMPY, ANIM_NONE, 0, -50, 50, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSCAMPZ, ANIM_NONE, 0, -50, 50, 0, 0, 0, 0, 0, 0, 0, 0},
    {CONTROL_BGSBCOLA, ANIM_NONE, 255, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0},
    // Slider units: 0.005 to 0.015 of the noise's drift axis per frame.
    {CONTROL_BGSBCS, ANIM_PING_PONG, 1, 0.5, 1.5, 0, 40, 0, 0, 0, 0, 0, 0},
};

static_assert(sizeof kDefaultBackground / sizeof kDefaultBackground[0] ==
                  SCENE_PARAMETER_LAST - SCENE_PARAMETER_FIRST + 1,
              "one default per scene parameter");

}  // namespace

void VxAnimator::SetDefaultBackground() {
    for (const DefaultChannel& d : kDefaultBackground) {
        channels[d.id].flags = 0;
        SetMode(d.id, d.mode);
        SetLow(d.id, d.low);
        SetHigh(d.id, d.high);
        SetValue(d.id, d.value, VALUE_STORED, VALUE_SILENT);
        SetTransitionTime(d.id, d.transitionTime, d.transitionLow, d.transitionHigh,
                          d.transitionRandom);
        SetDelay(d.id, d.delay, d.delayLow, d.delayHigh, d.delayRandom);
        MarkChanged(d.id, KEEP_VALUE);
    }
}
