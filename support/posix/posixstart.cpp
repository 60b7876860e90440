// The native entry point: Novadrift as an XScreenSaver module. Its command line, by that
// system's conventions (posix/moduleoptions), names the X window to draw on and what the
// run is asked for; the run itself is the screensaver proper, /s, as on Win32. Exit
// status 0 after an orderly end (SIGTERM included), 1 after an error or bad options.
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

namespace {

// The program's own path, for the data beside it: argv[0] may be a bare name found on
// PATH.
std::string ProgramPath(const char* fallback) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return fallback;
    path[length] = 0;
    return path;
}

void TakeRequests(const ModuleOptions& options) {
    RequestXTarget(XTargetRequest{options.target, options.window});
    RunRequests& requests = RequestsOfThisRun();
    requests.showFrameRate = options.showFrameRate;
    requests.starCount = options.starCount;
    requests.speedFactor = options.speed;
    requests.frameDelay = options.delay;
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
    const std::string commandLine = "\"" + ProgramPath(argv[0]) + "\" /s";
    SetPosixCommandLine(commandLine.c_str());
    RunApplication(0, "/s");
    return PosixErrorsShown() ? 1 : 0;
}
