#include "xsystem.h"

#include <cstring>

#include "ansi/memory.h"
#include "base/screenchoice.h"
#include "framepacing.h"
#include "gui/keyboard.h"
#include "picformat.h"
#include "gui/mouse.h"
#include "misc.h"

AppGlobals* glb;
SysGlobals* sglb;
SaverStateBase* saverState;

namespace {

const int16_t kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

}  // namespace

AppGlobals::AppGlobals() {
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    std::strcpy(name, "Noname");
    for (int i = 0; i < 80; ++i) zigZag[i] = i < 64 ? kZigZag[i] : 63;
}

int AppGlobals::SetName(const char* newName) {
    if (std::strlen(newName) >= APP_NAME_SIZE) return 0;
    std::strcpy(name, newName);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Message handlers

namespace {

LList* HandlerList() {
    if (!sglb) return nullptr;
    if (!sglb->handlerList) sglb->handlerList = XNEW(LList);
    return sglb->handlerList;
}

}  // namespace

int32_t MessageHandler::HandleMessage(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

MessageHandler::~MessageHandler() { UnregisterAllMessageHandlers(this); }

int RegisterMessageHandler(MessageHandler* handler, uint32_t message) {
    LList* list = HandlerList();
    if (!list) return 0;
    for (bool more = list->First(); more; more = list->Next()) {
        const MessageHandlerEntry* entry = static_cast<MessageHandlerEntry*>(list->Current());
        if (entry->handler == handler && entry->message == message) return 1;
    }
    MessageHandlerEntry* entry = static_cast<MessageHandlerEntry*>(XALLOC(sizeof *entry));
    entry->handler = handler;
    entry->message = message;
    if (!list->AddBack(entry)) {
        xFree(entry);
        return 0;
    }
    return 1;
}

void UnregisterMessageHandler(MessageHandler* handler, uint32_t message) {
    LList* list = sglb ? sglb->handlerList : nullptr;
    if (!list) return;
    for (bool more = list->First(); more; more = list->Next()) {
        const MessageHandlerEntry* entry = static_cast<MessageHandlerEntry*>(list->Current());
        if (entry->handler == handler && entry->message == message) {
            list->FreeCurrentItem();
            list->Remove(1);
            return;
        }
    }
}

void UnregisterAllMessageHandlers(MessageHandler* handler) {
    LList* list = sglb ? sglb->handlerList : nullptr;
    if (!list) return;
    bool more = list->First();
    while (more) {
        const MessageHandlerEntry* entry = static_cast<MessageHandlerEntry*>(list->Current());
        if (entry->handler == handler) {
            list->FreeCurrentItem();
            // Remove leaves the cursor on the following node, or on the new tail.
            bool wasTail = list->Index() == list->Count() - 1;
            more = list->Remove(1) && !wasTail;
        } else {
            more = list->Next();
        }
    }
}

bool DispatchToHandlers(WindowHandle window, uint32_t message, uintptr_t wParam,
                        intptr_t lParam, int32_t* result) {
    *result = 0;
    LList* list = HandlerList();
    if (!list) return false;
    bool handled = false;
    // A handler may walk the list itself (register or unregister while handling).
    list->PushCursor();
    for (bool more = list->First(); more; more = list->Next()) {
        const MessageHandlerEntry* entry = static_cast<MessageHandlerEntry*>(list->Current());
        if (!entry || entry->message != message) continue;
        handled = true;
        list->PushCursor();
        int32_t value = entry->handler->HandleMessage(window, message, wParam, lParam);
        list->PopCursor();
        if (*result == 0) *result = value;
    }
    list->PopCursor();
    return handled;
}

void FreeMessageHandlerList() {
    if (!sglb || !sglb->handlerList) return;
    sglb->handlerList->ClearAndFreeItems();
    XDELETE(sglb->handlerList);
    sglb->handlerList = nullptr;
}

// ---------------------------------------------------------------------------------------
// The per-frame step

namespace {

double lastMouseCheck;

}  // namespace

int xHandler() {
    if (!Platform().pumpMessages()) return 0;
    PaceFrame();
    const double now = TimerSeconds();
    const double sinceCheck = now - lastMouseCheck;
    lastMouseCheck = now;
    if (saverState) {
        saverState->CheckMouseMovement(sinceCheck);
        if (saverState->CloseConfirmed()) return 0;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------
// Orderly release

void xExit() {
    XDELETE(saverState);
    saverState = nullptr;
    StopFramePacing();
    LogMessage(LOG_EXIT, "Free all screens\n");
    if (glb && glb->screenList) glb->screenList->Clear();
    LogMessage(LOG_EXIT, "Free sys globals\n");
    if (sglb) {
        XDELETE(sglb->jpegLoader);
        sglb->jpegLoader = nullptr;
        XDELETE(sglb->bmpCodec);
        sglb->bmpCodec = nullptr;
        XDELETE(sglb->fxt1Reader);
        sglb->fxt1Reader = nullptr;
    }
    FreeSystemScreens();
    if (glb) {
        XDELETE(glb->mouse);
        glb->mouse = nullptr;
        XDELETE(glb->keyboard);
        glb->keyboard = nullptr;
    }
    LogMessage(LOG_EXIT, "Free msg list\n");
    FreeMessageHandlerList();
    Platform().unregisterWindowClass(glb ? glb->name : "Noname");
    LogMessage(LOG_EXIT, "xExit - done\n");
}
