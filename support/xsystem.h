// The two process-wide records and the window layer's portable half: message-handler
// registration, the per-frame system step and the orderly release of system objects.
#pragma once

#include <cstdint>

#include "llist.h"
#include "platform.h"
#include "sysevent.h"

class MemoryManager;
class Keyboard;
class Mouse;
class Screen;
class PictureFormat;

#define APP_NAME_SIZE 160

struct AppGlobals {
    AppGlobals();
    // Refuses names of 160 characters or more; the old name stays. 1 when taken.
    int SetName(const char* newName);

    char name[APP_NAME_SIZE];
    Keyboard* keyboard;
    Mouse* mouse;
    int16_t zigZag[80];
    MemoryManager* memoryManager;
    LList* pictureFormats;
    LList* screenList;
    LList* callbackRegistry;
    Screen* currentScreen;
    char textBuffer[128];
    char shortTextBuffer[32];
};

struct SysGlobals {
    PictureFormat* jpegLoader;
    PictureFormat* bmpCodec;
    PictureFormat* fxt1Reader;
    // The platform's screens (base/screenchoice), listed or not.
    Screen* oglScreen;
    Screen* fxScreen;
    Screen* d3dScreen;
    WindowHandle mainWindow;
    uintptr_t deviceContext;
    LList* handlerList;
};

extern AppGlobals* glb;
extern SysGlobals* sglb;

// The screen the run draws on; null before one is open or without the records.
inline Screen* CurrentScreen() {
    return glb ? glb->currentScreen : nullptr;
}

// Base of every object that receives the window's messages as the system numbers them:
// the platform's screens (support/win). The portable code takes events (sysevent.h).
class MessageHandler {
public:
    virtual int32_t HandleMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam);
    virtual ~MessageHandler();
};

// The screensaver state as the window layer sees it: given the window's events first,
// checked once per frame by xHandler, destroyed first by xExit.
class SaverStateBase {
public:
    virtual ~SaverStateBase() {}
    // false for events it does not take; answer: what the window procedure gives back.
    virtual bool HandleEvent(const SysEvent& event, int32_t* answer) = 0;
    // The mouse's movement over that many seconds.
    virtual void CheckMouseMovement(double seconds) = 0;
    virtual bool CloseConfirmed() const = 0;
};

extern SaverStateBase* saverState;

struct MessageHandlerEntry {
    MessageHandler* handler;
    uint32_t message;
};

int RegisterMessageHandler(MessageHandler* handler, uint32_t message);
void UnregisterMessageHandler(MessageHandler* handler, uint32_t message);
void UnregisterAllMessageHandlers(MessageHandler* handler);
// Calls the handlers registered for the message in registration order. Returns whether
// any handled it; result takes the first non-zero handler result.
bool DispatchToHandlers(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                        int32_t* result);
// Frees every handler entry and the list itself.
void FreeMessageHandlerList();

// The per-frame system step: pumps the messages, paces the frame (framepacing.h),
// checks the screensaver. 1 go on, 0 quit.
int xHandler();
// Releases the system objects in order; also the first step of the fatal stop.
void xExit();
