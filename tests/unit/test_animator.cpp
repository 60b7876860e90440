// The animator: the spline's interpolation, and the channels' values, modes, ranges,
// timing and steps.
//
// Sections: spline; channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "animator.h"
#include "bground.h"

namespace {

// ---------------------------------------------------------------- spline

Spline TwoKeys(float a, float b, int32_t length) {
    Spline spline = {};
    spline.keys[0].values[0] = a;
    spline.keys[0].values[1] = a - 1.0f;
    spline.keys[0].values[2] = a + 1.0f;
    spline.keys[0].tension = 1.0f;
    spline.keys[1].values[0] = b;
    spline.keys[1].values[1] = b - 1.0f;
    spline.keys[1].values[2] = b + 1.0f;
    spline.keys[1].tension = 1.0f;
    spline.keys[1].time = length;
    spline.endMode = SPLINE_END_LAST;
    spline.channels = 3;
    spline.keyCount = 2;
    spline.length = length;
    return spline;
}

TEST(EvaluateSpline, EaseInAndOutWithTensionOne) {
    Spline spline = TwoKeys(2.0f, 12.0f, 40);
    float out[3];
    for (int t = 0; t <= 40; ++t) {
        ASSERT_EQ(EvaluateSpline(&spline, out, float(t)), 1) << t;
        double u = t / 40.0;
        double shape = 3 * u * u - 2 * u * u * u;
        EXPECT_NEAR(out[0], 2.0 + 10.0 * shape, 1e-4) << t;
        // The three values move together, each on its own ends.
        EXPECT_NEAR(out[1], 1.0 + 10.0 * shape, 1e-4) << t;
        EXPECT_NEAR(out[2], 3.0 + 10.0 * shape, 1e-4) << t;
    }
    EXPECT_EQ(EvaluateSpline(&spline, out, 20.0f), 1);
    EXPECT_NEAR(out[0], 7.0f, 1e-5);
}

TEST(EvaluateSpline, TensionZeroLeavesAtFullSpeed) {
    Spline spline = TwoKeys(10.0f, 0.0f, 50);
    spline.keys[0].tension = 0.0f;
    float out[3];
    for (int t = 0; t <= 50; ++t) {
        ASSERT_EQ(EvaluateSpline(&spline, out, float(t)), 1) << t;
        double u = t / 50.0;
        EXPECT_NEAR(out[0], 10.0 - 10.0 * (u + u * u - u * u * u), 1e-4) << t;
    }
}

TEST(EvaluateSpline, LinearKeyIsAStraightLine) {
    Spline spline = TwoKeys(0.0f, 10.0f, 50);
    spline.keys[1].linear = 1;
    float out[3];
    for (int t = 0; t <= 50; ++t) {
        ASSERT_EQ(EvaluateSpline(&spline, out, float(t)), 1) << t;
        EXPECT_NEAR(out[0], 0.2 * t, 1e-5) << t;
    }
}

TEST(EvaluateSpline, EndsSingleKeysAndWrapping) {
    Spline spline = TwoKeys(1.0f, 5.0f, 10);
    float out[3];
    EXPECT_EQ(EvaluateSpline(&spline, out, 10.5f), 0);
    EXPECT_EQ(out[0], 5.0f);
    EXPECT_EQ(out[2], 6.0f);
    spline.endMode = SPLINE_END_FIRST;
    EXPECT_EQ(EvaluateSpline(&spline, out, 11.0f), 0);
    EXPECT_EQ(out[0], 1.0f);
    spline.endMode = 2;
    float inside[3];
    ASSERT_EQ(EvaluateSpline(&spline, inside, 3.0f), 1);
    EXPECT_EQ(EvaluateSpline(&spline, out, 23.0f), 1);
    EXPECT_NEAR(out[0], inside[0], 1e-5);
    EXPECT_EQ(EvaluateSpline(&spline, out, 20.0f), 1);
    EXPECT_NEAR(out[0], 5.0f, 1e-5);

    spline.keyCount = 1;
    EXPECT_EQ(EvaluateSpline(&spline, out, 3.0f), 0);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 2.0f);
}

TEST(EvaluateSpline, ZeroLengthSegmentsGiveNumbers) {
    float out[3];
    Spline spline = TwoKeys(1.0f, 9.0f, 0);
    ASSERT_EQ(EvaluateSpline(&spline, out, 0.0f), 1);
    for (float v : out) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(out[0], 9.0f);
    spline.endMode = 2;  // wrapping a spline of no length
    EXPECT_EQ(EvaluateSpline(&spline, out, 5.0f), 0);
    for (float v : out) EXPECT_TRUE(std::isfinite(v));
    // Equal keys (a hold) are flat whatever the length.
    Spline hold = TwoKeys(4.0f, 4.0f, 0);
    ASSERT_EQ(EvaluateSpline(&hold, out, 0.0f), 1);
    EXPECT_EQ(out[0], 4.0f);
}

TEST(EvaluateSpline, InnerKeysArePassedThrough) {
    Spline spline = TwoKeys(0.0f, 10.0f, 20);
    spline.keys[2] = spline.keys[1];
    spline.keys[2].values[0] = 4.0f;
    spline.keys[2].time = 40;
    spline.keys[1].tension = 0.0f;
    spline.keyCount = 3;
    spline.length = 40;
    float out[3];
    ASSERT_EQ(EvaluateSpline(&spline, out, 20.0f), 1);
    EXPECT_NEAR(out[0], 10.0f, 1e-5);
    ASSERT_EQ(EvaluateSpline(&spline, out, 40.0f), 1);
    EXPECT_NEAR(out[0], 4.0f, 1e-5);
    ASSERT_EQ(EvaluateSpline(&spline, out, 30.0f), 1);
    EXPECT_TRUE(std::isfinite(out[0]));
    EXPECT_EQ(EvaluateSpline(&spline, out, 41.0f), 0);
    EXPECT_EQ(out[0], 4.0f);
}

// ---------------------------------------------------------------- channels

// A scene that records what reaches it.
class RecordingScene : public SceneObject {
public:
    explicit RecordingScene(int32_t id) : SceneObject(id) {}
    int Create() override { return 1; }
    int Update(const Camera*) override { return 1; }
    int Draw(const FrameTime&) override { return 1; }
    int Release() override { return 1; }
    bool SetParameter(int32_t id, float value) override {
        ids.push_back(id);
        values.push_back(value);
        return id >= 17 && id <= 42;
    }
    bool GetParameter(int32_t, ParameterReading*) override { return false; }
    std::vector<int32_t> ids;
    std::vector<float> values;
};

const int kChannel = CONTROL_BGSWSIZEX;

// A channel animated over [low, high] that holds `value` now.
void Prepare(VxAnimator& animator, int mode, float low, float high, float value, float seconds) {
    animator.SetMode(kChannel, mode);
    animator.SetLow(kChannel, low);
    animator.SetHigh(kChannel, high);
    animator.SetTransitionTime(kChannel, seconds, 0.0f, 0.0f, 0);
    animator.SetValue(kChannel, value, 1, 1);
}

float Step(VxAnimator& animator) {
    animator.AdvanceChannel(kChannel);
    return animator.Channel(kChannel)->value;
}

TEST(VxAnimator, InitialRecords) {
    VxAnimator animator;
    for (int id = 0; id < CONTROL_COUNT; ++id) {
        const SliderChannel* c = animator.Channel(id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->flags, 0);
        EXPECT_EQ(c->restart, 1);
        EXPECT_EQ(c->mode, 0);
        EXPECT_EQ(c->value, 0.0f);
        EXPECT_EQ(c->delayHigh, 0.0f);
        EXPECT_EQ(c->spline.keys[0].tension, 1.0f);
        EXPECT_EQ(c->spline.keys[1].tension, 1.0f);
        EXPECT_EQ(c->spline.keys[2].tension, 0.0f);
        EXPECT_EQ(c->spline.endMode, 1);
        EXPECT_EQ(c->spline.channels, 3);
        EXPECT_EQ(c->spline.keyCount, 2);
        EXPECT_EQ(c->spline.length, 0);
    }
    EXPECT_EQ(animator.Channel(43), nullptr);
    EXPECT_EQ(animator.Channel(-1), nullptr);
}

TEST(VxAnimator, SetValueStoresAndReachesTheCurrentScene) {
    RecordingScene scene(901);
    ASSERT_EQ(Scenes().FindById(901), &scene);
    VxAnimator animator;
    animator.SetValue(20, 7.5f, 1, 0);
    const SliderChannel* c = animator.Channel(20);
    EXPECT_EQ(c->value, 7.5f);
    EXPECT_EQ(c->spline.keys[0].values[0], 7.5f);
    EXPECT_EQ(c->spline.keyCount, 1);
    ASSERT_EQ(scene.ids.size(), 1u);
    EXPECT_EQ(scene.ids[0], 20);
    EXPECT_EQ(scene.values[0], 7.5f);

    // Silent: stored, not pushed. Not stored: pushed only.
    animator.SetValue(20, 8.0f, 1, 1);
    EXPECT_EQ(c->value, 8.0f);
    EXPECT_EQ(scene.ids.size(), 1u);
    animator.SetValue(20, 9.0f, 0, 0);
    EXPECT_EQ(c->value, 8.0f);
    ASSERT_EQ(scene.ids.size(), 2u);
    EXPECT_EQ(scene.values[1], 9.0f);

    // Identifier 43 and beyond: nothing changes and nothing is called.
    VxAnimator before = animator;
    animator.SetValue(43, 1.0f, 1, 0);
    animator.SetValue(-2, 1.0f, 1, 0);
    EXPECT_EQ(scene.ids.size(), 2u);
    EXPECT_EQ(std::memcmp(&animator, &before, sizeof before), 0);
}

TEST(VxAnimator, ModesLowsHighsAndTimes) {
    VxAnimator animator;
    animator.SetMode(-1, ANIM_PING_PONG);
    for (int id = 0; id < CONTROL_COUNT; ++id) EXPECT_EQ(animator.GetMode(id), 4) << id;
    animator.SetMode(5, ANIM_RANDOM);
    EXPECT_EQ(animator.GetMode(5), 1);
    EXPECT_EQ(animator.GetMode(6), 4);
    EXPECT_EQ(animator.GetMode(99), 0);

    animator.SetLow(30, -3.0f);
    animator.SetHigh(30, 8.0f);
    const SliderChannel* c = animator.Channel(30);
    EXPECT_EQ(c->low, -3.0f);
    EXPECT_EQ(c->high, 8.0f);
    EXPECT_EQ(c->spline.keys[0].values[1], -3.0f);
    EXPECT_EQ(c->spline.keys[1].values[1], -3.0f);
    EXPECT_EQ(c->spline.keys[0].values[2], 8.0f);
    EXPECT_EQ(c->spline.keys[1].values[2], 8.0f);

    animator.SetDelay(30, 1.0f, 0.5f, 2.0f, 1);
    animator.SetTransitionTime(30, 3.0f, 1.5f, 4.0f, 1);
    EXPECT_EQ(c->delay, 1.0f);
    EXPECT_EQ(c->delayLow, 0.5f);
    EXPECT_EQ(c->delayHigh, 2.0f);
    EXPECT_EQ(c->delayRandom, 1);
    EXPECT_EQ(c->transitionTime, 3.0f);
    EXPECT_EQ(c->transitionLow, 1.5f);
    EXPECT_EQ(c->transitionHigh, 4.0f);
    EXPECT_EQ(c->transitionRandom, 1);
}

TEST(VxAnimator, LoopUpRampsThenStartsAgain) {
    VxAnimator animator;
    Prepare(animator, ANIM_LOOP_UP, 0.0f, 10.0f, 0.0f, 1.0f);
    for (int frame = 1; frame <= 50; ++frame)
        EXPECT_NEAR(Step(animator), 0.2 * frame, 1e-4) << frame;
    // The next frame starts the new ramp, its first step already applied.
    EXPECT_NEAR(Step(animator), 0.2, 1e-4);
    EXPECT_NEAR(Step(animator), 0.4, 1e-4);
    EXPECT_EQ(animator.Channel(kChannel)->spline.keys[1].linear, 1);
}

TEST(VxAnimator, LoopDownRampsThenStartsAgain) {
    VxAnimator animator;
    Prepare(animator, ANIM_LOOP_DOWN, 0.0f, 10.0f, 10.0f, 0.5f);
    for (int frame = 1; frame <= 25; ++frame)
        EXPECT_NEAR(Step(animator), 10.0 - 0.4 * frame, 1e-4) << frame;
    EXPECT_NEAR(Step(animator), 9.6, 1e-4);
}

TEST(VxAnimator, LoopRestartMidRampGoesOnWithoutJumpingBack) {
    VxAnimator animator;
    Prepare(animator, ANIM_LOOP_UP, 0.0f, 10.0f, 0.0f, 1.0f);
    for (int frame = 0; frame < 20; ++frame) Step(animator);
    float before = animator.Channel(kChannel)->value;
    animator.MarkChanged(kChannel, 0);
    float previous = before;
    for (int frame = 0; frame < 60; ++frame) {
        float value = Step(animator);
        if (value >= 10.0f - 1e-4f) break;
        EXPECT_GE(value, previous) << frame;
        previous = value;
    }
    EXPECT_NEAR(previous, 10.0f, 0.5f);
}

TEST(VxAnimator, PingPongTurnsAtEachEndAndKeepsItsWayOnRestart) {
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 0.0f, 10.0f, 0.0f, 0.4f);
    std::vector<float> values;
    for (int frame = 0; frame < 200; ++frame) values.push_back(Step(animator));
    int tops = 0, bottoms = 0;
    for (size_t i = 1; i + 1 < values.size(); ++i) {
        EXPECT_GE(values[i], 0.0f);
        EXPECT_LE(values[i], 10.0f);
        if (values[i] == 10.0f && values[i - 1] < 10.0f) ++tops;
        if (values[i] == 0.0f && values[i - 1] > 0.0f) ++bottoms;
    }
    EXPECT_GE(tops, 3);
    EXPECT_GE(bottoms, 3);

    // A restart while going down keeps going down, leaving at full speed.
    float a = Step(animator), b = Step(animator);
    while (!(b < a && b > 3.0f && b < 7.0f)) {
        a = b;
        b = Step(animator);
    }
    animator.MarkChanged(kChannel, 0);
    float c = Step(animator);
    EXPECT_LT(c, b);
    EXPECT_EQ(animator.Channel(kChannel)->spline.keys[0].tension, 0.0f);
    EXPECT_EQ(animator.Channel(kChannel)->spline.keys[1].values[0], 0.0f);
    EXPECT_EQ(animator.Channel(kChannel)->restart, 0);
    // Down to 0 in 20 steps, then the turn.
    float previous = c;
    for (int frame = 0; frame < 22; ++frame) {
        float value = Step(animator);
        EXPECT_LE(value, previous) << frame;
        previous = value;
    }
    EXPECT_EQ(previous, 0.0f);

    // And while going up, keeps going up.
    while (!(b > a && b > 3.0f && b < 7.0f)) {
        a = b;
        b = Step(animator);
    }
    animator.MarkChanged(kChannel, 0);
    Step(animator);
    EXPECT_EQ(animator.Channel(kChannel)->spline.keys[1].values[0], 10.0f);
}

TEST(VxAnimator, RandomAimsAtFreshPointsOfTheRange) {
    std::srand(1234);
    VxAnimator animator;
    Prepare(animator, ANIM_RANDOM, 2.0f, 8.0f, 5.0f, 0.1f);
    std::vector<float> targets;
    for (int frame = 0; frame < 400; ++frame) {
        float value = Step(animator);
        EXPECT_GE(value, 2.0f);
        EXPECT_LE(value, 8.0f);
        const SliderChannel* c = animator.Channel(kChannel);
        if (c->time == 0.0f) targets.push_back(c->spline.keys[1].values[0]);
    }
    ASSERT_GE(targets.size(), 40u);
    float lowest = 8.0f, highest = 2.0f;
    for (float t : targets) {
        EXPECT_GE(t, 2.0f);
        EXPECT_LE(t, 8.0f);
        lowest = std::fmin(lowest, t);
        highest = std::fmax(highest, t);
    }
    EXPECT_LT(lowest, 4.0f);
    EXPECT_GT(highest, 6.0f);
}

TEST(VxAnimator, LowAboveHighIsTheSameRange) {
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 10.0f, 0.0f, 3.0f, 0.2f);
    float lowest = 10.0f, highest = 0.0f;
    for (int frame = 0; frame < 200; ++frame) {
        float value = Step(animator);
        EXPECT_GE(value, 0.0f);
        EXPECT_LE(value, 10.0f);
        lowest = std::fmin(lowest, value);
        highest = std::fmax(highest, value);
    }
    EXPECT_EQ(lowest, 0.0f);
    EXPECT_EQ(highest, 10.0f);
    // The channel's own ends are left as given.
    EXPECT_EQ(animator.Channel(kChannel)->low, 10.0f);
    EXPECT_EQ(animator.Channel(kChannel)->high, 0.0f);

    VxAnimator loop;
    loop.SetMode(kChannel, ANIM_LOOP_UP);
    loop.SetLow(kChannel, 10.0f);
    loop.SetHigh(kChannel, 0.0f);
    loop.SetTransitionTime(kChannel, 1.0f, 0, 0, 0);
    loop.SetValue(kChannel, 10.0f, 1, 1);
    loop.AdvanceChannel(kChannel);
    EXPECT_NEAR(loop.Channel(kChannel)->value, 0.2f, 1e-4);
}

TEST(VxAnimator, OutOfRangeValuesArePulledInOnlyWhenAnimated) {
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 0.0f, 10.0f, 50.0f, 1.0f);
    EXPECT_EQ(Step(animator), 10.0f);
    Prepare(animator, ANIM_RANDOM, 0.0f, 10.0f, -5.0f, 1.0f);
    EXPECT_EQ(Step(animator), 0.0f);

    Prepare(animator, ANIM_NONE, 0.0f, 10.0f, 50.0f, 1.0f);
    for (int frame = 0; frame < 10; ++frame) animator.StepAll();
    EXPECT_EQ(animator.Channel(kChannel)->value, 50.0f);
}

TEST(VxAnimator, HoldsAlternateWithTransitions) {
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 0.0f, 10.0f, 0.0f, 0.2f);
    animator.SetDelay(kChannel, 0.6f, 0.0f, 1.0f, 0);
    const SliderChannel* c = animator.Channel(kChannel);
    // The longest run of one value, and whether a hold was seen at each end.
    int run = 1, longest = 0, holds = 0;
    float previous = Step(animator);
    for (int frame = 0; frame < 300; ++frame) {
        float value = Step(animator);
        if (value == previous) {
            ++run;
        } else {
            longest = std::max(longest, run);
            run = 1;
        }
        if ((c->flags & CHANNEL_HOLD) && c->time == 0.0f) {
            ++holds;
            EXPECT_EQ(c->spline.length, 30);
            EXPECT_EQ(c->spline.keys[0].values[0], c->spline.keys[1].values[0]);
        }
        previous = value;
    }
    EXPECT_GE(longest, 30);
    EXPECT_GE(holds, 3);
}

TEST(VxAnimator, NoHoldWhenDelayHighIsZero) {
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 0.0f, 10.0f, 0.0f, 0.2f);
    animator.SetDelay(kChannel, 1.0f, 0.5f, 0.0f, 1);
    const SliderChannel* c = animator.Channel(kChannel);
    int run = 1, longest = 0;
    float previous = Step(animator);
    for (int frame = 0; frame < 300; ++frame) {
        float value = Step(animator);
        EXPECT_EQ(c->flags & CHANNEL_HOLD, 0) << frame;
        run = value == previous ? run + 1 : 1;
        longest = std::max(longest, run);
        previous = value;
    }
    EXPECT_LT(longest, 5);
}

TEST(VxAnimator, RandomLengthsStayInTheirRanges) {
    std::srand(99);
    VxAnimator animator;
    Prepare(animator, ANIM_RANDOM, 0.0f, 100.0f, 50.0f, 0.0f);
    animator.SetTransitionTime(kChannel, 0.0f, 0.2f, 0.6f, 1);
    animator.SetDelay(kChannel, 0.0f, 0.1f, 0.3f, 1);
    const SliderChannel* c = animator.Channel(kChannel);
    int transitions = 0, holds = 0;
    for (int frame = 0; frame < 2000; ++frame) {
        Step(animator);
        if (c->time != 0.0f) continue;
        if (c->flags & CHANNEL_HOLD) {
            ++holds;
            EXPECT_GE(c->delay, 0.1f);
            EXPECT_LE(c->delay, 0.3f + 1e-6f);
            EXPECT_GE(c->spline.length, 4);
            EXPECT_LE(c->spline.length, 15);
        } else {
            ++transitions;
            EXPECT_GE(c->transitionTime, 0.2f);
            EXPECT_LE(c->transitionTime, 0.6f + 1e-6f);
            EXPECT_GE(c->spline.length, 9);
            EXPECT_LE(c->spline.length, 30);
        }
    }
    EXPECT_GE(transitions, 20);
    EXPECT_GE(holds, 20);
    EXPECT_LE(std::abs(transitions - holds), 1);
}

TEST(VxAnimator, ZeroLengthPhasesKeepNumbers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float seconds[3] = {0.0f, nan, std::numeric_limits<float>::infinity()};
    for (int mode = ANIM_RANDOM; mode <= ANIM_PING_PONG; ++mode) {
        for (float length : seconds) {
            std::srand(5);
            VxAnimator animator;
            Prepare(animator, mode, 1.0f, 3.0f, 2.0f, length);
            // Holds drawn at random, of no length.
            animator.SetDelay(kChannel, 0.0f, 0.0f, 0.001f, 1);
            const SliderChannel* c = animator.Channel(kChannel);
            for (int frame = 0; frame < 100; ++frame) {
                float value = Step(animator);
                ASSERT_TRUE(std::isfinite(value)) << mode << " " << frame;
                EXPECT_GE(value, 1.0f);
                EXPECT_LE(value, 3.0f);
                EXPECT_TRUE(std::isfinite(c->low));
                EXPECT_TRUE(std::isfinite(c->high));
                EXPECT_GE(c->spline.length, 0);
            }
        }
    }
}

TEST(VxAnimator, MarkChangedRestartsAndMayRandomize) {
    std::srand(42);
    VxAnimator animator;
    Prepare(animator, ANIM_PING_PONG, 4.0f, 6.0f, 5.0f, 1.0f);
    for (int frame = 0; frame < 10; ++frame) Step(animator);
    SliderChannel* c = animator.Channel(kChannel);
    c->flags = 0;
    animator.MarkChanged(kChannel, 0);
    EXPECT_EQ(c->restart, 1);
    EXPECT_EQ(c->flags & CHANNEL_HOLD, CHANNEL_HOLD);
    EXPECT_EQ(c->spline.keyCount, 2);

    // Randomize: a point of the range, held at once.
    for (int i = 0; i < 20; ++i) {
        animator.MarkChanged(kChannel, 1);
        EXPECT_GE(c->value, 4.0f);
        EXPECT_LE(c->value, 6.0f);
        EXPECT_EQ(c->spline.keyCount, 1);
    }
    // A channel in mode 0 keeps its value.
    animator.SetMode(kChannel, ANIM_NONE);
    animator.SetValue(kChannel, 100.0f, 1, 1);
    animator.MarkChanged(kChannel, 1);
    EXPECT_EQ(c->value, 100.0f);

    // -1 marks every row.
    VxAnimator all;
    for (int id = 1; id < CONTROL_COUNT; ++id) all.Channel(id)->restart = 0;
    all.MarkChanged(-1, 0);
    for (int id = 1; id < CONTROL_COUNT; ++id) {
        EXPECT_EQ(all.Channel(id)->restart, 1) << id;
        EXPECT_EQ(all.Channel(id)->flags, CHANNEL_HOLD) << id;
    }
}

TEST(VxAnimator, ApplyAllPushesEveryRow) {
    RecordingScene scene(902);
    ASSERT_EQ(Scenes().FindById(902), &scene);
    VxAnimator animator;
    for (int id = 1; id < CONTROL_COUNT; ++id) {
        SliderChannel* c = animator.Channel(id);
        c->value = float(id) * 2.0f;
        c->low = float(id);
        c->high = float(id) * 3.0f;
        c->restart = 0;
    }
    animator.ApplyAll(0);
    ASSERT_EQ(scene.ids.size(), 42u);
    for (int row = 0; row < 42; ++row) {
        int32_t id = SliderTable[row].id;
        EXPECT_EQ(scene.ids[row], id);
        EXPECT_EQ(scene.values[row], float(id) * 2.0f);
        const SliderChannel* c = animator.Channel(id);
        EXPECT_EQ(c->spline.keyCount, 1);
        EXPECT_EQ(c->spline.keys[0].values[0], float(id) * 2.0f);
        EXPECT_EQ(c->spline.keys[1].values[1], float(id));
        EXPECT_EQ(c->spline.keys[1].values[2], float(id) * 3.0f);
        EXPECT_EQ(c->restart, 1);
    }
}

TEST(VxAnimator, StepAllLeavesTheTimeSlidersAlone) {
    RecordingScene scene(903);
    ASSERT_EQ(Scenes().FindById(903), &scene);
    VxAnimator animator;
    animator.SetMode(-1, ANIM_PING_PONG);
    for (int id = 0; id < CONTROL_COUNT; ++id) {
        animator.SetLow(id, 0.0f);
        animator.SetHigh(id, 10.0f);
        animator.SetTransitionTime(id, 0.2f, 0, 0, 0);
        animator.SetValue(id, 20.0f, 1, 1);
    }
    SliderChannel ttime = *animator.Channel(CONTROL_TTIME);
    SliderChannel delay = *animator.Channel(CONTROL_DELAY);
    for (int frame = 0; frame < 30; ++frame) animator.StepAll();
    EXPECT_EQ(std::memcmp(animator.Channel(CONTROL_TTIME), &ttime, sizeof ttime), 0);
    EXPECT_EQ(std::memcmp(animator.Channel(CONTROL_DELAY), &delay, sizeof delay), 0);
    // The others moved (the value 20 was pulled into the range at once).
    for (int id : {0, 1, 16, 17, 42}) EXPECT_LE(animator.Channel(id)->value, 10.0f) << id;

    // Every row reaches the scene each step, terminating row and time sliders included.
    ASSERT_EQ(scene.ids.size(), 30u * SLIDER_TABLE_ROWS);
    for (int row = 0; row < SLIDER_TABLE_ROWS; ++row) {
        EXPECT_EQ(scene.ids[row], SliderTable[row].id);
        EXPECT_EQ(scene.ids[SLIDER_TABLE_ROWS * 29 + row], SliderTable[row].id);
    }
    EXPECT_EQ(scene.values[0], 20.0f);  // "TTIME" as it was
    EXPECT_EQ(scene.values[1], 20.0f);  // "DELAY"
}

TEST(SceneList, CurrentSceneFollowsTheCursor) {
    RecordingScene first(911);
    RecordingScene second(912);
    VxAnimator animator;
    ASSERT_EQ(Scenes().FindById(912), &second);
    animator.SetValue(17, 1.0f, 1, 0);
    EXPECT_EQ(second.ids.size(), 1u);
    EXPECT_EQ(first.ids.size(), 0u);
    EXPECT_EQ(Scenes().FindById(999), nullptr);

    ASSERT_EQ(Scenes().FindById(911), &first);
    Scenes().SetParameterAll(18, 2.0f);
    EXPECT_EQ(first.ids.size(), 1u);
    EXPECT_EQ(second.ids.size(), 2u);
    EXPECT_EQ(Scenes().Current(), &first);
    {
        // Removing another object keeps the cursor; removing the current one clears it.
        RecordingScene third(913);
        EXPECT_EQ(Scenes().Current(), &first);
    }
    EXPECT_EQ(Scenes().Current(), &first);
    int32_t count = Scenes().Count();
    {
        RecordingScene passing(914);
        ASSERT_EQ(Scenes().FindById(914), &passing);
        EXPECT_EQ(Scenes().Count(), count + 1);
    }
    EXPECT_EQ(Scenes().Current(), nullptr);
    EXPECT_EQ(Scenes().Count(), count);
    animator.SetValue(17, 3.0f, 1, 0);
    EXPECT_EQ(first.ids.size(), 1u);
    EXPECT_EQ(second.ids.size(), 2u);
}

}  // namespace
