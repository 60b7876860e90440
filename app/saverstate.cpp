#include "saverstate.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gui/mouse.h"
#include "misc.h"
#include "platform.h"
#include "stepclock.h"
#include "winmessages.h"

namespace {

const uint32_t kSaverMessages[] = {WM_CREATE,      WM_ACTIVATE,    WM_ACTIVATEAPP, WM_NCACTIVATE,
                                   WM_SETCURSOR,   WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN,
                                   WM_KEYDOWN,     WM_MOUSEMOVE,   WM_SYSCOMMAND,  WM_CLOSE,
                                   WM_DESTROY};

const char* SkipSpacesAndColons(const char* cursor) {
    while (*cursor == ' ' || *cursor == ':') ++cursor;
    return cursor;
}

WindowHandle WindowNumber(const char* text) {
    return WindowHandle(std::strtoul(text, nullptr, 10));
}

bool EqualsIgnoringCase(const char* a, const char* b) {
    while (*a && *b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

int ParseSaverSwitch(const char* commandLine, WindowHandle* parentWindow) {
    *parentWindow = 0;
    const char* cursor = commandLine;
    if (*cursor == '"') {
        ++cursor;
        while (*cursor && *cursor != '"') ++cursor;
    } else {
        while (*cursor && *cursor != ' ') ++cursor;
    }
    if (*cursor) ++cursor;
    while (*cursor == ' ') ++cursor;
    if (!*cursor) return SAVER_NORMAL;
    if (*cursor == '-' || *cursor == '/') ++cursor;
    char letter = char(std::tolower(static_cast<unsigned char>(*cursor)));
    const char* rest = *cursor ? cursor + 1 : cursor;
    switch (letter) {
        case 'p':
        case 'l':
            rest = SkipSpacesAndColons(rest);
            *parentWindow = EqualsIgnoringCase(rest, "scrprev") ? Platform().findPreviewWindow()
                                                               : WindowNumber(rest);
            return SAVER_PREVIEW;
        case 's':
            return SAVER_RUN;
        case 'c':
            rest = SkipSpacesAndColons(rest);
            *parentWindow = *rest ? WindowNumber(rest) : Platform().foregroundWindow();
            return SAVER_NORMAL;
        case 'a':
            *parentWindow = WindowNumber(SkipSpacesAndColons(rest));
            return SAVER_PASSWORD;
        case 'r':
            return SAVER_SETTINGS;
        default:
            return SAVER_NONE;
    }
}

SaverState::SaverState()
    : parentWindow(0),
      passwordGrace(0),
      movementThreshold(0),
      cursorX(0),
      cursorY(0),
      startTick(0),
      passwordDialogActive(0),
      closeRequested(0),
      closeConfirmed(0),
      previousRunning(0),
      mode(SAVER_NONE) {}

SaverState::~SaverState() { UnregisterAllMessageHandlers(this); }

int SaverState::ParseSaverCommandLine() {
    mode = ParseSaverSwitch(Platform().commandLine(), &parentWindow);
    passwordGrace = SAVER_PASSWORD_GRACE_SECONDS;
    movementThreshold = SAVER_MOVEMENT_THRESHOLD;
    passwordDialogActive = 0;
    char directory[300];
    ExecutableDirectory(directory, sizeof directory);
    if (directory[0]) Platform().setCurrentDirectory(directory);
    for (uint32_t message : kSaverMessages) RegisterMessageHandler(this, message);
    return mode;
}

void SaverState::RequestClose(WindowHandle window) {
    closeRequested = 1;
    Platform().postMessage(window, WM_CLOSE);
}

int32_t SaverState::HandleMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t) {
    switch (message) {
        case WM_CREATE:
            Platform().getCursorPosition(&cursorX, &cursorY);
            startTick = Platform().tickCount();
            return 1;
        case WM_DESTROY:
            LogMessage(LOG_EXIT, "Screensaver - Destroy!\n");
            return 1;
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
            if (InSaverRun() && (wParam & 0xFFFF) == 0) RequestClose(window);
            return 1;
        case WM_SETCURSOR:
            Platform().setArrowCursor();
            return 1;
        case WM_KEYDOWN:
            if (InSaverRun() && wParam != VK_SCREENSHOT_KEY) RequestClose(window);
            return 1;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (InSaverRun()) RequestClose(window);
            return 1;
        case WM_SYSCOMMAND:
            if (mode == SAVER_RUN && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_CLOSE))
                return 0;
            return 1;
        case WM_CLOSE:
            HandleClose(window);
            return 0;
        default:
            return 1;
    }
}

void SaverState::HandleClose(WindowHandle window) {
    LogMessage(LOG_EXIT, "Screensaver - WM_CLOSE\n");
    if (mode == SAVER_RUN) {
        if (closeRequested == 1 && !passwordDialogActive) {
            uint32_t elapsed = Platform().tickCount() - startTick;
            if (elapsed > uint32_t(passwordGrace) * 1000) {
                passwordDialogActive = 1;
                int ok = VerifyPassword(window);
                passwordDialogActive = 0;
                Platform().getCursorPosition(&cursorX, &cursorY);
                if (ok) closeConfirmed = 1;
            } else {
                closeConfirmed = 1;
            }
        }
        return;
    }
    Platform().destroyWindow(window);
}

void SaverState::CheckMouseMovement(double seconds) {
    if (!InSaverRun() || !glb || !glb->mouse) return;
    int32_t dx = 0, dy = 0;
    int32_t buttons = 0;
    glb->mouse->GetMovement(&dx, &dy, &buttons);
    // The threshold is a movement per animation step: a frame shorter than a step has it
    // in proportion, so a faster display does not make the mouse go further (a tenth of a
    // step at least, so a frame of no time is not ended by a pixel). A longer frame keeps
    // one step's threshold: the mouse's movement has no times, and a jump may have come
    // within one step.
    const double steps = std::fmin(std::fmax(seconds / STEP_SECONDS, 0.1), 1.0);
    const double threshold = movementThreshold * steps;
    // The size of the movement counts, whichever way the mouse went.
    if ((std::llabs(int64_t(dx)) > threshold || std::llabs(int64_t(dy)) > threshold) &&
        Platform().tickCount() - startTick > SAVER_MOVEMENT_GRACE_MS)
        RequestClose(sglb->mainWindow);
}

int SaverState::VerifyPassword(WindowHandle window) {
    return Platform().verifyScreenSaverPassword(window);
}

void SaverState::ChangePassword() { Platform().changeScreenSaverPassword(parentWindow); }

void SaverState::PrepareSaver() {
    if (mode == SAVER_RUN) {
        Platform().setWindowTopMost(sglb->mainWindow, 1);
        Platform().setScreenSaverRunning(1, &previousRunning);
    }
    cursorX = 0;
    cursorY = 0;
}

void SaverState::RestoreSaver() {
    if (mode != SAVER_RUN) return;
    Platform().setWindowTopMost(sglb->mainWindow, 0);
    Platform().setScreenSaverRunning(0, &previousRunning);
}

int SaverMode() {
    const SaverState* state = static_cast<const SaverState*>(saverState);
    return state ? state->mode : SAVER_NONE;
}
