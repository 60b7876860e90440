#include "sysevent.h"

#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "xsystem.h"

bool DispatchSysEvent(const SysEvent& event, int32_t* answer) {
    int32_t first = 0;
    bool taken = saverState && saverState->HandleEvent(event, &first);
    if (!taken) first = 0;
    if (glb && glb->mouse && glb->mouse->HandleEvent(event)) taken = true;
    if (glb && glb->keyboard && glb->keyboard->HandleEvent(event)) taken = true;
    if (answer) *answer = first;
    return taken;
}
