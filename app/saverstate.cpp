#include "saverstate.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "misc.h"
#include "platform.h"
#include "stepclock.h"

namespace {

const char* SkipSpacesAndColons(const char* cursor) {
    while (*cursor == ' ' || *cursor == ':') ++cursor;
    return cursor;
}

WindowHandle WindowNumber(const char* text) {
    return WindowHandle(std::strtoul(text, nullptr, 10));
}

// Where the host's cursor is; the origin without a host.
void CursorPosition(int32_t* x, int32_t* y) {
    ScreensaverHost* host = SaverHost();
    if (!host || !host->getCursorPosition(x, y)) *x = *y = 0;
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
            if (!EqualsIgnoringCase(rest, "scrprev"))
                *parentWindow = WindowNumber(rest);
            else if (ScreensaverHost* host = SaverHost())
                *parentWindow = host->findPreviewWindow();
            return SAVER_PREVIEW;
        case 's':
            return SAVER_RUN;
        case 'c':
            rest = SkipSpacesAndColons(rest);
            if (*rest)
                *parentWindow = WindowNumber(rest);
            else if (ScreensaverHost* host = SaverHost())
                *parentWindow = host->foregroundWindow();
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

int SaverState::ParseSaverCommandLine() {
    TakeMode(ParseSaverSwitch(Platform().commandLine(), &parentWindow));
    return mode;
}

void SaverState::TakeMode(int32_t runMode) {
    mode = runMode;
    passwordGrace = SAVER_PASSWORD_GRACE_SECONDS;
    movementThreshold = SAVER_MOVEMENT_THRESHOLD;
    passwordDialogActive = 0;
    char directory[300];
    ExecutableDirectory(directory, sizeof directory);
    if (directory[0]) Platform().setCurrentDirectory(directory);
}

void SaverState::RequestClose(WindowHandle window) {
    closeRequested = 1;
    if (ScreensaverHost* host = SaverHost()) host->postClose(window);
}

bool SaverState::HandleEvent(const SysEvent& event, int32_t* answer) {
    *answer = 1;
    switch (event.type) {
        case SE_CREATE:
            CursorPosition(&cursorX, &cursorY);
            startTick = Platform().tickCount();
            return true;
        case SE_DESTROY:
            LogMessage(LOG_EXIT, "Screensaver - Destroy!\n");
            return true;
        case SE_ACTIVATE:
            if (InSaverRun() && !event.value) RequestClose(event.window);
            return true;
        case SE_CURSOR:
            return true;
        case SE_WINDOW_KEY:
            if (!(event.flags & KEYFLAG_DOWN)) return false;
            if (InSaverRun() && event.value != KEY_F12) RequestClose(event.window);
            return true;
        case SE_POINTER:
            switch (event.value) {
                case POINTER_LEFT_DOWN:
                case POINTER_MIDDLE_DOWN:
                case POINTER_RIGHT_DOWN:
                    if (InSaverRun()) RequestClose(event.window);
                    return true;
                case POINTER_MOVE:
                    return true;
                default:
                    return false;
            }
        case SE_SYSTEM_COMMAND:
            if (mode == SAVER_RUN && event.value) *answer = 0;
            return true;
        case SE_CLOSE:
            HandleClose(event.window);
            *answer = 0;
            return true;
        default:
            return false;
    }
}

void SaverState::HandleClose(WindowHandle window) {
    if (mode == SAVER_RUN) {
        if (closeRequested == 1 && !passwordDialogActive) {
            uint32_t elapsed = Platform().tickCount() - startTick;
            if (elapsed > uint32_t(passwordGrace) * 1000) {
                passwordDialogActive = 1;
                int ok = VerifyPassword(window);
                passwordDialogActive = 0;
                CursorPosition(&cursorX, &cursorY);
                if (ok) closeConfirmed = 1;
            } else {
                closeConfirmed = 1;
            }
        }
        return;
    }
    if (ScreensaverHost* host = SaverHost()) host->destroyWindow(window);
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
    ScreensaverHost* host = SaverHost();
    return host ? host->verifyScreenSaverPassword(window) : 1;
}

void SaverState::ChangePassword() {
    if (ScreensaverHost* host = SaverHost()) host->changeScreenSaverPassword(parentWindow);
}

void SaverState::PrepareSaver() {
    ScreensaverHost* host = SaverHost();
    if (mode == SAVER_RUN && host) {
        host->setWindowTopMost(sglb->mainWindow, 1);
        host->setScreenSaverRunning(1, &previousRunning);
    }
    cursorX = 0;
    cursorY = 0;
}

void SaverState::RestoreSaver() {
    ScreensaverHost* host = SaverHost();
    if (mode != SAVER_RUN || !host) return;
    host->setWindowTopMost(sglb->mainWindow, 0);
    host->setScreenSaverRunning(0, &previousRunning);
}

int SaverMode() {
    const SaverState* state = static_cast<const SaverState*>(saverState);
    return state ? state->mode : SAVER_NONE;
}
