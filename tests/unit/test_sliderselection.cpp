// The slider selection on its own: highlight and list, the first channel shown, and
// the timing shared field by field, exactly.
#include <gtest/gtest.h>

#include "animator.h"
#include "sliderselection.h"

TEST(SliderSelection, SharesTheFirstSlidersTimingExactlyAndOnlyTheTouchedPart) {
    VxAnimator animator;
    Slider stars, red;
    stars.InitSlider(CONTROL_BGSNUMS, 0, 0, 16, 100, 2000, 0, 500, 10, SLIDER_STYLE);
    red.InitSlider(CONTROL_BGSBCR, 20, 0, 16, 100, 255, 0, 20, 1, SLIDER_STYLE);
    SliderChannel* first = animator.Channel(CONTROL_BGSNUMS);
    SliderChannel* second = animator.Channel(CONTROL_BGSBCR);
    animator.SetTransitionTime(CONTROL_BGSNUMS, 6.0000005f, 1.1f, 9.3f, 0);
    animator.SetDelay(CONTROL_BGSNUMS, 0.7f, 0.1f, 6.0f, 1);
    animator.SetTransitionTime(CONTROL_BGSBCR, 3, 2, 4, 1);
    animator.SetDelay(CONTROL_BGSBCR, 2, 1, 3, 0);

    SliderSelection selection;
    EXPECT_EQ(selection.FirstChannel(animator), nullptr);
    ASSERT_EQ(selection.Add(&stars), 1);
    ASSERT_EQ(selection.Add(&red), 1);
    ASSERT_EQ(selection.Add(&stars), 1);
    EXPECT_EQ(selection.Count(), 2);
    EXPECT_EQ(selection.active, 1);
    EXPECT_EQ(red.flags & WIDGET_HIGHLIGHTED, WIDGET_HIGHLIGHTED);
    EXPECT_EQ(selection.FirstChannel(animator), first);

    // The transition timing goes over bit for bit; the hold timing stays each one's own.
    selection.ShareTiming(animator, CONTROL_TTIME);
    EXPECT_EQ(second->transitionTime, 6.0000005f);
    EXPECT_EQ(second->transitionLow, 1.1f);
    EXPECT_EQ(second->transitionHigh, 9.3f);
    EXPECT_EQ(second->transitionRandom, 0);
    EXPECT_EQ(second->delay, 2.0f);
    EXPECT_EQ(second->delayRandom, 0);
    selection.ShareTiming(animator, CONTROL_DELAY);
    EXPECT_EQ(second->delayHigh, 6.0f);
    EXPECT_EQ(second->delayRandom, 1);

    selection.Clear();
    EXPECT_EQ(selection.active, 0);
    EXPECT_EQ(selection.Count(), 0);
    EXPECT_EQ(stars.flags & WIDGET_HIGHLIGHTED, 0);
}
