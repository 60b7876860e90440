#include "mainloop.h"

#include "ansi/file.h"
#include "base/screenb.h"
#include "editor.h"
#include "framepacing.h"
#include "gui/keyboard.h"
#include "misc.h"
#include "saverstate.h"
#include "userfiles.h"
#include "xsystem.h"

namespace {

int mainState = STATE_START;
int32_t frameCounter;

AppFrameHooks hooks = {vx_init, EditorFrame, EditorExit};

bool ScreenshotKeyPressed() {
    return glb->keyboard && glb->keyboard->WasPressed(KEY_F12);
}

// Into the user's own ScrShots folder, under a dated name.
void SaveScreenshot() {
    char path[FILE_NAME_SIZE];
    if (UserFilePath("ScrShots/qv.bmp", path, sizeof path))
        glb->currentScreen->SaveScreenshot(path, 0);
}

// While the frames cannot be seen the loop waits in the message wait this long at a
// time: a hidden preview window says nothing when it shows again, so it is looked at
// again after each wait.
const uint32_t kRestWaitMs = 500;

}  // namespace

AppFrameHooks& AppHooks() {
    return hooks;
}

void SetMainState(int state) {
    mainState = state;
}
int GetMainState() {
    return mainState;
}
int32_t FrameCounter() {
    return frameCounter;
}

int MainLoop(EditorRun& app, int continuous) {
    double reference = TimerSeconds();
    bool quit = false;
    for (;;) {
        if (!xHandler()) {
            LogMessage(LOG_EXIT, "xHandler return FALSE. Quiting.\n");
            quit = true;
        }
        // With the display off or the window out of sight nothing is drawn or stepped,
        // and the time it stays so is no animation time: the run goes on where it was.
        if (!FramesCanBeSeen()) {
            if (quit) return 1;
            Platform().waitForMessages(kRestWaitMs);
            reference = TimerSeconds();
            continue;
        }
        // A screen that cannot draw skips the whole frame, and its time goes to the
        // next frame that can.
        if (!glb->currentScreen || !glb->currentScreen->IsReady()) {
            if (quit) return 1;
            continue;
        }
        const double now = TimerSeconds();
        const float seconds = float(now - reference);
        reference = now;
        ++frameCounter;
        if (ScreenshotKeyPressed()) SaveScreenshot();

        switch (mainState) {
            case STATE_START:
                mainState = STATE_LOAD;
                break;
            case STATE_LOAD:
                mainState = hooks.load(app, SaverMode() != SAVER_NORMAL) ? STATE_RUN : STATE_STOP;
                break;
            case STATE_RUN: {
                int stay = hooks.frame(app, seconds);
                if (stay == 0 || stay == 2 || quit) {
                    mainState = STATE_STOP;
                    quit = false;
                }
                break;
            }
            case STATE_STOP:
                mainState = STATE_EXIT;
                break;
            case STATE_EXIT:
                hooks.teardown(app);
                return 0;
            default:
                break;
        }
        if (!continuous) return 1;
        if (quit) return 1;
    }
}
