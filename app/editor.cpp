#include "editor.h"

#include "base/screenb.h"
#include "misc.h"
#include "xsystem.h"

int vx_init(int) { return 1; }

int EditorFrame(float) {
    Screen* screen = glb->currentScreen;
    static const Rgba black = {0, 0, 0, 255};
    screen->BeginScene();
    screen->Clear(&black, 0, CLEAR_COLOUR | CLEAR_DEPTH);
    screen->EndScene();
    screen->Present();
    return 1;
}

void EditorExit() { LogMessage(LOG_EXIT, "Freeing VxAnimator\n"); }
