#include "sliderselection.h"

#include "slidertable.h"

int SliderSelection::Add(Slider* slider) {
    slider->SetFlags(WIDGET_HIGHLIGHTED);
    for (bool more = sliders.First(); more; more = sliders.Next())
        if (sliders.Current() == slider) {
            active = 1;
            return 1;
        }
    if (!sliders.AddBack(slider)) return 0;
    active = 1;
    return 1;
}

void SliderSelection::Clear() {
    for (bool more = sliders.First(); more; more = sliders.Next())
        static_cast<Widget*>(sliders.Current())->ClearFlags(WIDGET_HIGHLIGHTED);
    sliders.Clear();
    active = 0;
}

const SliderChannel* SliderSelection::FirstChannel(VxAnimator& animator) {
    if (!active || !sliders.First()) return nullptr;
    return animator.Channel(static_cast<Slider*>(sliders.Current())->id);
}

void SliderSelection::ShareTiming(VxAnimator& animator, int32_t timing) {
    const SliderChannel* shown = FirstChannel(animator);
    if (!shown) return;
    const SliderChannel first = *shown;
    if (timing == CONTROL_TTIME) {
        Set(animator, &SliderChannel::transitionTime, first.transitionTime);
        Set(animator, &SliderChannel::transitionLow, first.transitionLow);
        Set(animator, &SliderChannel::transitionHigh, first.transitionHigh);
        Set(animator, &SliderChannel::transitionRandom, first.transitionRandom);
    } else {
        Set(animator, &SliderChannel::delay, first.delay);
        Set(animator, &SliderChannel::delayLow, first.delayLow);
        Set(animator, &SliderChannel::delayHigh, first.delayHigh);
        Set(animator, &SliderChannel::delayRandom, first.delayRandom);
    }
}
