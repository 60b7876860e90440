#include "render_system.h"

#include <windows.h>

#include <cstring>

#include "ansi/bmp.h"
#include "ansi/memory.h"
#include "base/screenchoice.h"
#include "misc.h"
#include "platform.h"
#include "startup.h"
#include "xsystem.h"

Screen* OpenRenderSystem(const char* className, int kind, int width, int height, int displayMode) {
    appInstance = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
    glb = XNEW(AppGlobals);
    sglb = static_cast<SysGlobals*>(XALLOC(sizeof(SysGlobals)));
    std::memset(static_cast<void*>(sglb), 0, sizeof *sglb);
    glb->screenList = XNEW(LList);
    glb->pictureFormats = XNEW(LList);
    sglb->bmpCodec = XNEW(BmpCodec);  // screenshots are saved through the registry
    glb->SetName(className);
    TimerInit();
    ClearError();
    if (!Platform().registerWindowClass(glb->name)) {
        SetErrorText("RegisterClass failed : %ld", long(Platform().lastError()));
        return nullptr;
    }
    Screen* screen = JoinIfDriverFound(NewPlatformScreen(kind));
    glb->currentScreen = screen;
    if (glb->screenList->Count() != 1) {
        SetErrorText("The screen's driver did not load");
        return nullptr;
    }
    if (!screen->InitModeBySize(width, height, 32, displayMode, 1)) return nullptr;
    return screen;
}

void CloseRenderSystem() {
    if (!glb) return;
    if (Screen* screen = glb->currentScreen) {
        screen->ExitMode();
        glb->screenList->RemoveItem(screen);
        XDELETE(screen);
        glb->currentScreen = nullptr;
    }
    PumpRenderMessages();
    Platform().unregisterWindowClass(glb->name);
    FreeMessageHandlerList();
    XDELETE(sglb->bmpCodec);
    XDELETE(glb->pictureFormats);
    XDELETE(glb->screenList);
    XDELETE(glb);
    xFree(sglb);
    glb = nullptr;
    sglb = nullptr;
}

void PumpRenderMessages() {
    // pumpMessages stops at a quit message and leaves the rest; go on until it is empty.
    for (int round = 0; round < 16 && !Platform().pumpMessages(); ++round) {
    }
}
