// The screensaver state: which run the host asked for (from its command-line switch)
// and, in the screensaver proper, when the run ends: a key, a button, mouse movement
// after a grace time, or the loss of activation, with the host's password check once
// the screensaver has run long enough.
#pragma once

#include <cstdint>

#include "xsystem.h"

enum SaverMode {
    SAVER_NONE = 0,
    SAVER_NORMAL = 1,
    SAVER_PASSWORD = 2,
    SAVER_PREVIEW = 3,
    SAVER_RUN = 4,
    SAVER_SETTINGS = 5,
};

#define SAVER_PASSWORD_GRACE_SECONDS 15
#define SAVER_MOVEMENT_THRESHOLD 10
#define SAVER_MOVEMENT_GRACE_MS 3000
#define VK_SCREENSHOT_KEY 0x7B

class SaverState : public SaverStateBase {
public:
    SaverState();
    ~SaverState() override;

    // Reads the switch from the process's full command line, makes the executable's
    // directory the working directory and registers the window messages.
    int ParseSaverCommandLine();
    int32_t HandleMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override;
    void PrepareSaver();
    void RestoreSaver();
    void CheckMouseMovement(double seconds) override;
    bool CloseConfirmed() const override { return closeConfirmed != 0; }
    int VerifyPassword(WindowHandle window);
    void ChangePassword();

    WindowHandle parentWindow;
    int32_t passwordGrace;
    int32_t movementThreshold;
    int32_t cursorX, cursorY;
    uint32_t startTick;
    int32_t passwordDialogActive;
    int32_t closeRequested;
    uint8_t closeConfirmed;
    int32_t previousRunning;
    int32_t mode;

private:
    bool InSaverRun() const { return mode == SAVER_RUN && !passwordDialogActive; }
    void RequestClose(WindowHandle window);
    void HandleClose(WindowHandle window);
};

// The mode of this run; SAVER_NONE when there is no screensaver state.
int SaverMode();
// Parses the switch of a full command line (program path first). Fills the parent
// window; returns the mode.
int ParseSaverSwitch(const char* commandLine, WindowHandle* parentWindow);
