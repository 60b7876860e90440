// The program proper: what this run does (from the screensaver switch), set-up of the
// system, the screen and the scene, the main loop, and the teardown in reverse order.
#include <cstdlib>
#include <cstring>

#include "ansi/bmp.h"
#include "ansi/file.h"
#include "ansi/fxt1.h"
#include "ansi/jpeg.h"
#include "ansi/memory.h"
#include "base/camera.h"
#include "base/screenb.h"
#include "base/screenchoice.h"
#include "bground.h"
#include "editor.h"
#include "framepacing.h"
#include "gui/keyboard.h"
#include "gui/mouse.h"
#include "mainloop.h"
#include "misc.h"
#include "run.h"
#include "platform.h"
#include "saverstate.h"
#include "settings.h"
#include "settingsdialog.h"
#include "startup.h"
#include "userfiles.h"
#include "xmain.h"
#include "xsystem.h"

SettingsRecord Settings;

namespace {

Camera* defaultCamera;
// The settings as the file held them, to leave an unchanged file alone; valid only when
// the file was read.
SettingsRecord settingsAsRead;
bool settingsRead;

const double kBatteryFrameRate = 30.0;

// Process priority classes by the settings' priority value; others leave it alone, and
// so does a run without a screensaver host.
void ApplyPriority(int32_t priority) {
    ScreensaverHost* host = SaverHost();
    if (!host) return;
    if (priority == 0)
        host->setProcessPriority(0);
    else if (priority == 100)
        host->setProcessPriority(1);
    else if (priority == 200)
        host->setProcessPriority(2);
}

// The user's own settings file, beside their other files.
const char* SettingsPath() {
    static char path[FILE_NAME_SIZE];
    UserFilePath(SETTINGS_FILE_NAME, path, sizeof path);
    return path;
}

// Without a settings file the saver draws over the desktop as it is, on every monitor,
// and leaves the display mode alone. The size is the full-screen mode a settings file
// of an older version would name.
void SetSettingsDefaults() {
    Settings.width = 640;
    Settings.height = 480;
    Settings.bits = 16;
    Settings.displayMode = DISPLAY_DESKTOP;
    Settings.backgroundNumber = 0;
    Settings.priority = 100;
}

// The settings dialog on the mode lists of every screen; OK also keeps the chosen
// screen's choice for the next screensaver run. The saved device is matched before the
// lists are made, so the enumeration keeps it where it is still there rather than
// putting its default device in its place.
void ChooseSettings(WindowHandle owner) {
    FindSavedScreen(&Settings.screenSelection, 0);
    GetScreenModeLists();
    if (ShowSettingsDialog(owner) != 1) return;
    SaveScreenChoice(FindScreenByKind(Settings.screenKind), &Settings.screenSelection);
}

// A settings file that cannot be written is said where the user looks: after the
// editor in the error box the run ends with; a screensaver run, which a key or the
// mouse ended, only logs it.
void SaveSettingsAtExit(int32_t mode) {
    if (settingsRead && std::memcmp(&settingsAsRead, &Settings, sizeof Settings) == 0) {
        LogMessage(LOG_EXIT, "Settings unchanged\n");
        return;
    }
    if (SaveSettings(SettingsPath(), &Settings)) return;
    char reason[ERROR_MESSAGE_SIZE] = "";
    GetErrorMessage(reason, sizeof reason);
    LogMessage(LOG_WARNING, "Unable to save the settings : %s\n", reason);
    if (mode == SAVER_NONE || mode == SAVER_NORMAL)
        SetErrorText("Unable to save the settings : %s", reason);
    else
        ClearError();
}

// The module's -delay sets the frame's length; else the rate the user chose; else on
// battery at most 30 frames a second; else the display's own rate.
FrameRateWish WishedFrameRate(const RunRequests& requests) {
    const int32_t delay = requests.frameDelay;
    if (delay > 0) return {1e6 / delay, 1};
    if (const int32_t chosen = ChosenFrameRate(Settings)) return {double(chosen), 0};
    if (Platform().onBattery()) return {kBatteryFrameRate, 0};
    return {0.0, 0};
}

// What the run drew, when it drew.
void LogFrameFigures(const FrameFigures& figures) {
    if (figures.frames == 0) return;
    LogMessage(LOG_EXIT, "Frames drawn : %ld, animation steps : %ld, seconds : %.1f\n",
               figures.frames, figures.steps, figures.seconds);
}

}  // namespace

int SetDataDirFromRegistry(const char* applicationName) {
    char key[APP_NAME_SIZE + 16];
    std::snprintf(key, sizeof key, "SOFTWARE\\%s", applicationName);
    char directory[513];
    if (Platform().readMachineSetting(key, "DataPath", directory, sizeof directory) != 1) return 1;
    LogMessage(LOG_INIT, "Setting dir to %s\n", directory);
    if (!Platform().setCurrentDirectory(directory)) return SetErrorText("Unable to change dir");
    LogMessage(LOG_INIT, "Dir change ok\n");
    return 1;
}

int CreateSysGlobals() {
    sglb->jpegLoader = XNEW(JpegLoader);
    sglb->bmpCodec = XNEW(BmpCodec);
    sglb->fxt1Reader = XNEW(Fxt1Reader);
    CreateSystemScreens();
    glb->mouse = XNEW(Mouse);
    glb->keyboard = XNEW(Keyboard);
    return 1;
}

int SystemSetup(int32_t, char**) {
    TimerInit();
    std::srand(Platform().milliseconds());
    LogMessage(LOG_INIT, "Creating sys globals\n");
    CreateSysGlobals();
    LogMessage(LOG_INIT, "Register class\n");
    if (!Platform().registerWindowClass(glb ? glb->name : "Noname"))
        return SetErrorText("RegisterClass failed : %ld", long(Platform().lastError()));
    return 1;
}

namespace {

// The two ways a run opens its screen.
int OpenInPreviewWindow(Screen* screen) {
    return screen->InitInWindow(static_cast<const SaverState*>(saverState)->parentWindow, 1);
}

// The desktop mode, or full screen at the settings' size (any other display mode of a
// settings file too).
int32_t SaverDisplayMode() {
    return Settings.displayMode == DISPLAY_DESKTOP ? DISPLAY_DESKTOP : DISPLAY_FULLSCREEN;
}

int OpenSaverScreen(Screen* screen) {
    return screen->InitModeBySize(Settings.width, Settings.height, Settings.bits,
                                  SaverDisplayMode(), 1);
}

}  // namespace

// The screen is chosen and opened as base/screenchoice.cpp writes out. A screen that
// was found but cannot open stays the current one (the shutdown closes it).
int SetupScreen() {
    if (SaverMode() == SAVER_PREVIEW) {
        LogMessage(LOG_INIT, "Trying to setup preview window from config file\n");
        // A preview that cannot open ends the run without a message.
        if (!ChooseScreen(&Settings.previewSelection, DISPLAY_WINDOW, OpenInPreviewWindow))
            return glb->currentScreen ? ClearError() : 0;
        glb->mouse->SetRelativeMode(0);
        return 1;
    }
    LogMessage(LOG_INIT, "Trying to setup screen from config file\n");
    if (!ChooseScreen(&Settings.screenSelection, SaverDisplayMode(), OpenSaverScreen))
        return glb->currentScreen ? SetErrorText("Screen initialization failed") : 0;
    return 1;
}

int startup(int32_t, char**) {
    LogMessage(LOG_INIT, "Entering startup\n");
    if (!glb->mouse->UpdateCursorMode()) return 0;
    glb->mouse->SetRelativeMode(1);
    if (!SetupScreen()) return 0;
    // It enters the scene list, which holds it until the application's teardown.
    XNEW(StarField);
    return 1;
}

void shutdown() {
    LogMessage(LOG_EXIT, "Entering shutdown\n");
    if (glb->currentScreen) glb->currentScreen->ExitMode();
    xExit();
}

void AppCleanup() {
    // A run ended before its first frame (a quit signal while the module rested in a
    // window never shown) had no editor teardown: its scenes go here, before the screen
    // closes.
    Scenes().DeleteAll();
    XDELETE(defaultCamera);
    defaultCamera = nullptr;
    if (saverState) static_cast<SaverState*>(saverState)->RestoreSaver();
    shutdown();
}

int Init(const RunRequests& requests, int32_t count, char** words) {
    LogMessage(LOG_INIT, "Entering Init\n");
    if (FileExists("gui.cfg")) {
        LogMessage(LOG_INIT, "Gui.cfg found. Using current dir\n");
    } else {
        LogMessage(LOG_INIT, "Didn't find gui.cfg. Getting real dir\n");
        SetDataDirFromRegistry(glb->name);
    }
    if (!SystemSetup(count, words)) return 0;
    SetSettingsDefaults();
    settingsRead = false;
    if (FileExists(SettingsPath())) {
        if (LoadSettings(SettingsPath(), &Settings))
            settingsRead = true;
        else
            Platform().messageBox(sglb->mainWindow,
                                  "Unable to read the configuration file.\nUsing default values",
                                  "Info");
    }
    std::memcpy(&settingsAsRead, &Settings, sizeof Settings);
    SaverState* state = static_cast<SaverState*>(saverState);
    if (state) {
        switch (state->mode) {
            case SAVER_PASSWORD:
                state->ChangePassword();
                return 2;
            case SAVER_RUN:
                ApplyPriority(Settings.priority);
                break;
            case SAVER_SETTINGS:
                ChooseSettings(state->parentWindow);
                return 2;
            default:
                break;
        }
    }
    if (!startup(count, words)) return 0;
    defaultCamera = XNEW(Camera);
    defaultCamera->SetViewport(640, 480, 60, 0, 0, 2);
    if (state) {
        state->PrepareSaver();
        if (state->mode == SAVER_NORMAL || state->mode == SAVER_RUN)
            SaveScreenChoice(glb->currentScreen, &Settings.screenSelection);
        else if (state->mode == SAVER_PREVIEW)
            SaveScreenChoice(glb->currentScreen, &Settings.previewSelection);
    }
    StartFramePacing(glb->currentScreen, WishedFrameRate(requests));
    return 1;
}

namespace {

// Set-up and the main loop over a run made from what the launcher asked. The run ends
// with this function, before the screen closes: what a run that quit before its
// teardown still holds (the editor's pages) lets go of its textures while their screen
// is there.
int SetUpAndLoop(int32_t count, char** words) {
    EditorRun app(RequestsOfThisRun());
    int result = Init(app.requests, count, words);
    if (result != 1) return result;
    LogMessage(LOG_INIT, " ----- Entering main loop -----\n");
    int loopResult = MainLoop(app, 1);
    LogMessage(LOG_EXIT, "------ Exiting main loop return code was : %ld -----\n",
               long(loopResult));
    LogFrameFigures(app.run.figures);
    return result;
}

// The run the saver state asks for: set-up, the main loop and the teardown.
int RunSaver(SaverState* state, int32_t count, char** words) {
    std::memset(&Settings, 0, sizeof Settings);
    glb->SetName("Novadrift");
    const int result = SetUpAndLoop(count, words);
    // The teardown frees the saver state: its mode is read first.
    const int32_t mode = state->mode;
    AppCleanup();
    if (result != 0) SaveSettingsAtExit(mode);
    return 1;
}

SaverState* NewSaverState() {
    LogMessage(LOG_INIT, "Entering xMain\n");
    SaverState* state = XNEW(SaverState);
    saverState = state;
    return state;
}

}  // namespace

int xMain(int32_t count, char** words) {
    SaverState* state = NewSaverState();
    state->ParseSaverCommandLine();
    return RunSaver(state, count, words);
}

int ModuleMain(int32_t count, char** words) {
    SaverState* state = NewSaverState();
    state->TakeMode(SAVER_RUN);
    return RunSaver(state, count, words);
}
