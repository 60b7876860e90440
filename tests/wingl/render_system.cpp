#include "ogl_system.h"

#include <windows.h>

#include <cstring>

#include "ansi/bmp.h"
#include "ansi/memory.h"
#include "misc.h"
#include "platform.h"
#include "startup.h"
#include "win/scr_ogl.h"
#include "xsystem.h"

OglScreen* OpenOglSystem(const char* className, int width, int height) {
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
    OglScreen* screen = XNEW(OglScreen, SCREEN_OPENGL);
    glb->currentScreen = screen;
    if (glb->screenList->Count() != 1) {
        SetErrorText("opengl32.dll did not load");
        return nullptr;
    }
    if (!screen->InitModeBySize(width, height, 32, DISPLAY_WINDOW, 1)) return nullptr;
    return screen;
}

void CloseOglSystem() {
    if (!glb) return;
    if (Screen* screen = glb->currentScreen) {
        screen->ExitMode();
        glb->screenList->RemoveItem(screen);
        XDELETE(screen);
        glb->currentScreen = nullptr;
    }
    PumpOglMessages();
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

void PumpOglMessages() {
    // pumpMessages stops at a quit message and leaves the rest; go on until it is empty.
    for (int round = 0; round < 16 && !Platform().pumpMessages(); ++round) {
    }
}
