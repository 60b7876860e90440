// CPU per frame of the screensaver proper (/s) through the OpenGL screen: one program on
// both builds, the real start-up, main loop and teardown. Natively it is the XScreenSaver
// module's run on the root window; under Wine it is Novadrift.scr's run over the desktop,
// with a settings file beside it that chooses the standard OpenGL screen (the Direct3D
// one is Wine's default). A hook around the application's frame counts the frames; after
// `warm` of them the process's CPU time (every thread, the software rasteriser's too)
// and the wall clock are read, again `frames` frames later, and the run then leaves.
//
//   natively (DISPLAY set):   build/bench/bin/module_frames [frames] [warm]
//   under Wine:               wine module_frames.exe /s [frames] [warm]
//   both, alternating:        scripts/bench-module.sh [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor.h"
#include "mainloop.h"
#include "startup.h"
#include "xmain.h"

#ifdef _WIN32
#include <windows.h>

#include "base/screenb.h"
#include "settings.h"
#else
#include <ctime>

#include "posix/signals_posix.h"
#include "posix/xwindow_posix.h"
#endif

namespace {

int frames = 500;
int warm = 100;
int counted;
double cpuAtStart, cpuAtEnd;
std::chrono::steady_clock::time_point wallAtStart, wallAtEnd;

double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return double((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
#else
    timespec used;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) * 1e-9;
#endif
}

int CountedFrame(EditorRun& app, float seconds) {
    const int stay = EditorFrame(app, seconds);
    ++counted;
    if (counted == warm) {
        cpuAtStart = ProcessCpuSeconds();
        wallAtStart = std::chrono::steady_clock::now();
    }
    if (counted < warm + frames) return stay;
    cpuAtEnd = ProcessCpuSeconds();
    wallAtEnd = std::chrono::steady_clock::now();
    return 0;
}

#ifdef _WIN32
// The standard OpenGL screen over the desktop, as a settings file beside the program.
void ChooseOpenGl() {
    SettingsRecord settings = {};
    settings.width = 640;
    settings.height = 480;
    settings.bits = 16;
    settings.displayMode = DISPLAY_DESKTOP;
    settings.priority = 100;
    settings.screenSelection.valid = 1;
    settings.screenSelection.kind = SCREEN_OPENGL;
    settings.screenSelection.devicePart[0] = 1;
    SaveSettings(SETTINGS_FILE_NAME, &settings);
}
#else
// What the module's entry does for -root.
void TakeTheRootWindow() {
    XTargetRequest root = {};
    root.kind = X_TARGET_ROOT;
    RequestXTarget(root);
    CatchQuitSignals();
}
#endif

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (argc > first && std::strcmp(argv[first], "/s") == 0) ++first;
    if (argc > first) frames = std::atoi(argv[first]);
    if (argc > first + 1) warm = std::atoi(argv[first + 1]);
    if (frames < 1 || warm < 1) {
        std::fprintf(stderr, "usage: module_frames [/s] [frames] [warm]\n");
        return 2;
    }
    AppHooks().frame = CountedFrame;
#ifdef _WIN32
    ChooseOpenGl();
    RunApplication(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), "/s", xMain);
#else
    TakeTheRootWindow();
    RunApplication(0, "", ModuleMain);
#endif
    if (counted < warm + frames) {
        std::printf("the run ended after %d frames\n", counted);
        return 1;
    }
    const double wall = std::chrono::duration<double>(wallAtEnd - wallAtStart).count();
    std::printf("frames %d: CPU %.3f ms per frame, wall %.3f ms per frame\n", frames,
                (cpuAtEnd - cpuAtStart) * 1000.0 / frames, wall * 1000.0 / frames);
    return 0;
}
