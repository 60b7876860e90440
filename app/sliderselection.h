// The sliders selected for the properties panel (right-click, Ctrl adds more): they
// are highlighted, the panel shows the first one's timing, and a control of the panel
// that is touched gives that timing to every one of them.
#pragma once

#include <cstdint>

#include "animator.h"
#include "gui/button.h"
#include "llist.h"

class SliderSelection {
public:
    SliderSelection() = default;
    SliderSelection(const SliderSelection&) = delete;
    SliderSelection& operator=(const SliderSelection&) = delete;

    // Highlights the slider and adds it once; the selection is then active. 0 when it
    // could not be listed.
    int Add(Slider* slider);
    // Every selected slider loses its highlight; the panel goes.
    void Clear();
    int32_t Count() { return sliders.Count(); }
    // The channel of the first selected slider, whose timing the panel shows; null
    // without a selection.
    const SliderChannel* FirstChannel(VxAnimator& animator);
    // A timing field of every selected slider's channel.
    template <typename Value>
    void Set(VxAnimator& animator, Value SliderChannel::*field, Value value) {
        for (bool more = sliders.First(); more; more = sliders.Next())
            if (SliderChannel* channel =
                    animator.Channel(static_cast<Slider*>(sliders.Current())->id))
                channel->*field = value;
    }
    // Every selected channel takes the first one's transition (CONTROL_TTIME) or hold
    // timing whole, copied field by field: no slider's clamping touches a value that
    // nobody changed.
    void ShareTiming(VxAnimator& animator, int32_t timing);

    LList sliders;  // not owned
    int32_t active = 0;
};
