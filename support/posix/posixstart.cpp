// The native entry point: Novadrift as an XScreenSaver module. Its command line, by that
// system's conventions (posix/moduleoptions), names the X window to draw on and what the
// run is asked for; the run itself is the module's own main, the screensaver proper.
// Exit status 0 after an orderly end (SIGTERM included), 1 after an error or bad options.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "editor.h"
#include "posix/moduleoptions.h"
#include "posix/platform_posix.h"
#include "posix/signals_posix.h"
#include "posix/xwindow_posix.h"
#include "startup.h"
#include "xmain.h"

namespace {

void TellUser(const char* line) {
    std::fprintf(stderr, "novadrift: %s\n", line);
}

void TakeRequests(const ModuleOptions& options) {
    XTargetRequest target = {
        options.target, options.window, options.visualKind, options.visualId, options.geometryParts,
        options.x,      options.y,      options.width,      options.height,   options.synchronous};
    RequestXTarget(target);
    RunRequests& requests = RequestsOfThisRun();
    requests.showFrameRate = options.showFrameRate ? FRAME_RATE_OVERLAY : FRAME_RATE_HIDDEN;
    requests.starCount = options.starCount;
    requests.speedFactor = options.speed;
    requests.frameDelay = options.delay;
    std::snprintf(requests.backgroundFile, sizeof requests.backgroundFile, "%s",
                  options.background.c_str());
    // The daemon shows a module's standard error; the run would only log it.
    requests.tellUser = TellUser;
}

}  // namespace

int main(int argc, char** argv) {
    char workingDirectory[PATH_MAX] = ".";
    if (!getcwd(workingDirectory, sizeof workingDirectory)) workingDirectory[0] = 0;
    ModuleOptions options;
    std::string error;
    switch (ParseModuleOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), workingDirectory,
                               &options, &error)) {
        case MODULE_HELP:
            std::fputs(kModuleUsage, stdout);
            return 0;
        case MODULE_BAD:
            std::fprintf(stderr, "novadrift: %s\n\n%s", error.c_str(), kModuleUsage);
            return 1;
        default:
            break;
    }
    if (!options.display.empty()) setenv("DISPLAY", options.display.c_str(), 1);
    // Said once, before the run: without a display no screen can open.
    char reason[128];
    if (!XDisplayOpens(reason, sizeof reason)) {
        std::fprintf(stderr, "novadrift: %s\n", reason);
        return 1;
    }
    TakeRequests(options);
    if (!CatchQuitSignals()) std::fprintf(stderr, "novadrift: quit signals cannot be caught\n");
    RunApplication(0, "", ModuleMain);
    return PosixErrorsShown() ? 1 : 0;
}
