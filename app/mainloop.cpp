#include "mainloop.h"

#include "ansi/file.h"
#include "base/screenb.h"
#include "editor.h"
#include "gui/keyboard.h"
#include "misc.h"
#include "saverstate.h"
#include "userfiles.h"
#include "xsystem.h"

namespace {

int mainState = STATE_START;
int32_t frameCounter;

AppFrameHooks hooks = {vx_init, EditorFrame, EditorExit};

bool ScreenshotKeyPressed() { return glb->keyboard && glb->keyboard->WasPressed(KEY_F12); }

// Into the user's own ScrShots folder, under a dated name.
void SaveScreenshot() {
    char path[FILE_NAME_SIZE];
    if (UserFilePath("ScrShots/qv.bmp", path, sizeof path))
        glb->currentScreen->SaveScreenshot(path, 0);
}

uint32_t NowMilliseconds() { return uint32_t(TimerMilliseconds()); }

}  // namespace

AppFrameHooks& AppHooks() { return hooks; }

void SetMainState(int state) { mainState = state; }
int GetMainState() { return mainState; }
int32_t FrameCounter() { return frameCounter; }

int MainLoop(int continuous) {
    uint32_t reference = NowMilliseconds();
    bool quit = false;
    for (;;) {
        if (!xHandler()) {
            LogMessage(LOG_EXIT, "xHandler return FALSE. Quiting.\n");
            quit = true;
        }
        // A screen that cannot draw skips the whole frame, and its time goes to the
        // next frame that can.
        if (!glb->currentScreen || !glb->currentScreen->IsReady()) {
            if (quit) return 1;
            continue;
        }
        float seconds = float(uint32_t(NowMilliseconds() - reference) * 0.001);
        reference = NowMilliseconds();
        ++frameCounter;
        if (ScreenshotKeyPressed()) SaveScreenshot();

        switch (mainState) {
            case STATE_START:
                mainState = STATE_LOAD;
                break;
            case STATE_LOAD:
                mainState = hooks.load(SaverMode() != SAVER_NORMAL) ? STATE_RUN : STATE_STOP;
                break;
            case STATE_RUN: {
                int stay = hooks.frame(seconds);
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
                hooks.teardown();
                return 0;
            default:
                break;
        }
        if (!continuous) return 1;
        if (quit) return 1;
    }
}
