#include "sysevent.h"

#include "framesight.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "xsystem.h"

void DispatchStateEvent(int32_t type, int32_t value) {
    SysEvent event = {};
    event.type = type;
    event.value = value;
    DispatchSysEvent(event);
}

bool DispatchSysEvent(const SysEvent& event, int32_t* answer) {
    if (answer) *answer = 0;
    if (event.type == SE_DISPLAY_POWER || event.type == SE_WINDOW_SIGHT) {
        (event.type == SE_DISPLAY_POWER ? DisplayPowerChanged : WindowSightChanged)(event.value);
        return true;
    }
    int32_t first = 0;
    bool taken = saverState && saverState->HandleEvent(event, &first);
    if (!taken) first = 0;
    if (glb && glb->mouse && glb->mouse->HandleEvent(event)) taken = true;
    if (glb && glb->keyboard && glb->keyboard->HandleEvent(event)) taken = true;
    if (answer) *answer = first;
    return taken;
}
