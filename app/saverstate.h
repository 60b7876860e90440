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

class SaverState : public SaverStateBase {
public:
    SaverState();

    // Reads the switch from the process's full command line, then TakeMode.
    int ParseSaverCommandLine();
    // The run's mode, the grace values, and the executable's directory as the working
    // directory.
    void TakeMode(int32_t runMode);
    // Takes the window's creation, destruction, activation, cursor, key-down, button and
    // move, system-command and close events. Keys other than F12, buttons and the loss
    // of activation ask a screensaver run to close.
    bool HandleEvent(const SysEvent& event, int32_t* answer) override;
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
