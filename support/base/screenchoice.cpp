// Which screen a run uses, and why.
//
// 1. The screens there are. CreateSystemScreens (at "Creating sys globals") makes the
//    platform's screens in this order, which is the order of glb->screenList:
//      "Direct 3d"        D3dScreen, kind 3
//      "Standard opengl"  OglScreen, kind 1
//      "3dfx opengl"      OglScreen, kind 2
//    Each joins the list only when its FindDriver finds its driver:
//      Direct 3d        ddraw.dll loads and has DirectDrawCreateEx and
//                       DirectDrawEnumerateExA ("No direct X installed" and its fellow
//                       in the log when not). Whether DirectX 7 works (a DirectDraw 7
//                       object) is asked only when the screen is first needed: its
//                       open, its enumeration, the settings dialog. When it does not,
//                       the log says "No direct X installed" there and the screen
//                       stops being available (a failed open, step 2a);
//      Standard opengl  opengl32.dll loads;
//      3dfx opengl      3DfxvGL.dll loads.
//    Natively (X) there is one: "Standard opengl", GlxScreen, kind 1, when libGL.so.1
//    loads (support/posix/scr_glx). Unit tests bring their own screens.
//
// 2. The choice and the open. ChooseScreen takes, in this order:
//    a. The saved choice: the settings file's screenSelection (previewSelection for
//       the preview, /p) names a kind and a device; the first listed screen of that
//       kind whose MatchSelection accepts the device part (FindSavedScreen). It is
//       opened at once, with nothing listed first (the Direct3D screen opens the saved
//       device's GUIDs as they are). When it cannot open (its device or DirectX gone),
//       the log says why, the screen is closed again and b and c choose.
//    b. Else the 3dfx OpenGL screen, when it is listed, available and can open the
//       run's display mode: the settings' full-screen mode, never the desktop mode or
//       the preview's window, which it cannot draw in.
//    c. Else the first listed screen, in the order above, that is available and can
//       open the display mode (FindScreenFor). Without a settings file the display
//       mode is the desktop mode (3): that is the first screen that can draw in a
//       window, "Direct 3d" where its chosen device renders in a window (under Wine
//       too), else "Standard opengl".
//    Before b and c every listed screen lists its modes (GetScreenModeLists), which
//    runs the Direct3D enumeration and so its default device; "available" is
//    IsAvailable: always for OpenGL, and for Direct3D until DirectX 7 or that
//    enumeration failed. The screen b or c found is opened; if that fails the run ends
//    ("Screen initialization failed"; the preview ends silently).
//
// 3. The open. SetupScreen (app/xmain.cpp) opens the chosen screen in the settings'
//    display mode: the desktop mode over every monitor at the desktop's own size and
//    depth, or full screen at the settings' size and depth (a child of the host's
//    window for the preview). The screen then used is saved back into the settings at
//    the end of the run, so the next run takes it at step a.
//
// Sections: the screen list's walks; making the screens; the choice; the saved choice.
#include "base/screenchoice.h"

#include <cstring>

#include "ansi/memory.h"
#include "misc.h"
#include "xsystem.h"

// ---------------------------------------------------------------------------------------
// The screen list's walks

namespace {

// The first listed screen for which test gives true, or null. The list's cursor is
// saved and restored around the walk, so a caller's own walk is not disturbed.
template <typename Test>
Screen* FirstScreenWhere(Test test) {
    LList* list = glb ? glb->screenList : nullptr;
    if (!list) return nullptr;
    bool pushed = list->PushCursor();
    Screen* found = nullptr;
    for (bool more = list->First(); more; more = list->Next()) {
        Screen* screen = static_cast<Screen*>(list->Current());
        if (screen && test(screen)) {
            found = screen;
            break;
        }
    }
    if (pushed) list->PopCursor();
    return found;
}

}  // namespace

int GetScreenModeLists() {
    LogMessage(LOG_INIT, "Get screen mode list(s)\n");
    FirstScreenWhere([](Screen* screen) {
        // A screen that cannot list its modes (it logged why) is tolerated: the others
        // still serve, so nothing is left to show at the end of the run.
        if (!screen->GetModeList()) ClearError();
        return false;
    });
    return 1;
}

Screen* FindScreenByKind(int32_t kind) {
    return FirstScreenWhere([kind](Screen* screen) { return screen->Kind() == kind; });
}

// ---------------------------------------------------------------------------------------
// Making the screens

Screen* JoinIfDriverFound(Screen* screen) {
    if (screen && screen->FindDriver() && glb && glb->screenList) glb->screenList->AddBack(screen);
    return screen;
}

void CreateSystemScreens() {
    sglb->d3dScreen = JoinIfDriverFound(NewPlatformScreen(SCREEN_D3D));
    sglb->oglScreen = JoinIfDriverFound(NewPlatformScreen(SCREEN_OPENGL));
    sglb->fxScreen = JoinIfDriverFound(NewPlatformScreen(SCREEN_3DFX));
}

void FreeSystemScreens() {
    if (!sglb) return;
    Screen** const made[] = {&sglb->d3dScreen, &sglb->oglScreen, &sglb->fxScreen};
    for (Screen** screen : made) {
        XDELETE(*screen);
        *screen = nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// The choice

int ChooseScreen(const ScreenSelection* saved, int32_t displayMode, OpenScreenFunction open) {
    if (Screen* screen = FindSavedScreen(saved, 0)) {
        glb->currentScreen = screen;
        if (open(screen)) return 1;
        char reason[ERROR_MESSAGE_SIZE] = "";
        GetErrorMessage(reason, sizeof reason);
        LogMessage(LOG_WARNING, "Unable to open the saved screen %s : %s\n", screen->Name(),
                   reason);
        screen->ExitMode();
        ClearError();
    }
    glb->currentScreen = nullptr;
    LogMessage(LOG_INIT, "Failed. So trying to find a compatible screen\n");
    Screen* screen = FindScreenFor(displayMode);
    if (!screen) return SetErrorText("Unable to find a fullscreen compatible screen");
    LogMessage(LOG_INIT, "Found one. Using : %s\n", screen->Name());
    glb->currentScreen = screen;
    return open(screen);
}

Screen* FindSavedScreen(const ScreenSelection* selection, int32_t flag) {
    if (!selection || selection->valid < 1) return nullptr;
    return FirstScreenWhere([selection, flag](Screen* screen) {
        return screen->Kind() == selection->kind &&
               screen->MatchSelection(selection->devicePart, flag) != 0;
    });
}

Screen* FindScreenFor(int32_t displayMode) {
    GetScreenModeLists();
    auto fits = [displayMode](Screen* screen) {
        return screen->IsAvailable() && screen->SupportsDisplayMode(displayMode) == 1;
    };
    Screen* fx = FindScreenByKind(SCREEN_3DFX);
    if (fx && fits(fx)) return fx;
    return FirstScreenWhere(fits);
}

// ---------------------------------------------------------------------------------------
// The saved choice

int SaveScreenChoice(Screen* screen, ScreenSelection* selection) {
    if (!screen || !selection) return 0;
    std::memset(selection, 0, sizeof *selection);
    selection->valid = 1;
    selection->zero = 0;
    selection->kind = uint16_t(screen->Kind());
    if (const ScreenMode* current = screen->GetMode()) {
        selection->displayMode = uint16_t(current->displayMode);
        selection->width = uint16_t(current->width);
        selection->height = uint16_t(current->height);
        selection->bits = uint16_t(current->bits);
    }
    screen->SaveSelection(selection->devicePart);
    return 1;
}
