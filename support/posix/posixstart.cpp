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

void TakeRequests(const ModuleOptions& options) {
    RequestXTarget(XTargetRequest{options.target, options.window});
    RunRequests& requests = RequestsOfThisRun();
    requests.showFrameRate = options.showFrameRate;
    requests.starCount = options.starCount;
    requests.speedFactor = options.speed;
    std::snprintf(requests.backgroundFile, sizeof requests.backgroundFile, "%s",
                  options.background.c_str());
    // The run only logs a background it cannot load; the daemon shows this line.
    if (!options.background.empty() && access(options.background.c_str(), R_OK) != 0)
        std::fprintf(stderr, "novadrift: cannot read %s: the usual background is shown\n",
                     options.background.c_str());
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
    TakeRequests(options);
    if (!CatchQuitSignals()) std::fprintf(stderr, "novadrift: quit signals cannot be caught\n");
    RunApplication(0, "", ModuleMain);
    return PosixErrorsShown() ? 1 : 0;
}
