// The CPU time per frame of the saver on two monitors against one, in one process: the
// star field (default background) updated once and drawn once per monitor through a
// real OglScreen, in the desktop mode over both monitors of the display, and in a window
// of the first monitor's size (one monitor). Rounds alternate between the two so that
// the machine's load falls on both alike. A Win32 program for Wine on a display of two
// monitors; it prints each round and the medians.
//
//   cmake --build build/win32-bench --target monitor_frames Novadrift
//   cd build/win32-bench/bin
//   bash ../../../scripts/two-monitors.sh $PWD/monitor_frames.exe [rounds] [frames]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "animator.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "bground.h"
#include "misc.h"
#include "render_system.h"
#include "xsystem.h"

namespace {

// The process's CPU time (every thread: the software rasteriser's too), in ms.
double ProcessCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

double WallMilliseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Round {
    double cpu;   // ms per frame
    double wall;  // ms per frame
    int monitors;
};

// One round: the screen opened, the field made, frames drawn on every monitor.
bool TimeRound(int displayMode, int frames, Round* round) {
    std::srand(1);
    Screen* screen = OpenRenderSystem("NovadriftMonitors", SCREEN_OPENGL, 1024, 768, displayMode);
    if (!screen) {
        char message[ERROR_MESSAGE_SIZE] = "";
        GetErrorMessage(message, sizeof message);
        std::printf("no OpenGL screen: %s\n", message);
        CloseRenderSystem();
        return false;
    }
    StarField* field = XNEW(StarField);
    Scenes().FindById(field->Id());
    if (!field->Create()) ClearError();
    VxAnimator animator;
    animator.camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    animator.SetDefaultBackground();
    animator.StepAll();
    auto frame = [&] {
        PumpRenderMessages();
        field->Update(&animator.camera);
        animator.StepAll();
        screen->BeginScene();
        for (int monitor = 0; monitor < screen->MonitorCount(); ++monitor) {
            screen->UseMonitor(monitor, LAYOUT_CENTRED);
            field->Draw();
        }
        screen->EndScene();
        screen->Present();
    };
    for (int i = 0; i < 10; ++i) frame();
    const double cpu = ProcessCpuMilliseconds(), wall = WallMilliseconds();
    for (int i = 0; i < frames; ++i) frame();
    round->cpu = (ProcessCpuMilliseconds() - cpu) / frames;
    round->wall = (WallMilliseconds() - wall) / frames;
    round->monitors = screen->MonitorCount();
    field->Release();
    XDELETE(field);
    CloseRenderSystem();
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* name, const std::vector<Round>& rounds) {
    std::vector<double> cpu, wall;
    for (const Round& r : rounds) {
        cpu.push_back(r.cpu);
        wall.push_back(r.wall);
    }
    std::printf("%-13s CPU %6.2f ms per frame (%.2f..%.2f), wall %6.2f ms (%.2f..%.2f)\n", name,
                Median(cpu), *std::min_element(cpu.begin(), cpu.end()),
                *std::max_element(cpu.begin(), cpu.end()), Median(wall),
                *std::min_element(wall.begin(), wall.end()),
                *std::max_element(wall.begin(), wall.end()));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 7);
    const int frames = std::max(1, argc > 2 ? std::atoi(argv[2]) : 100);
    std::vector<Round> one, two;
    for (int i = 0; i < rounds; ++i) {
        Round single, both;
        if (!TimeRound(DISPLAY_WINDOW, frames, &single) ||
            !TimeRound(DISPLAY_DESKTOP, frames, &both))
            return 1;
        if (single.monitors != 1 || both.monitors != 2) {
            std::printf("%d and %d monitors: run it on a display of two\n", single.monitors,
                        both.monitors);
            return 1;
        }
        std::printf("round %d: one %.2f ms CPU (%.2f wall), two %.2f ms CPU (%.2f wall)\n", i + 1,
                    single.cpu, single.wall, both.cpu, both.wall);
        std::fflush(stdout);
        one.push_back(single);
        two.push_back(both);
    }
    Report("one monitor", one);
    Report("two monitors", two);
    std::vector<double> ratios;
    for (int i = 0; i < rounds; ++i) ratios.push_back(two[size_t(i)].cpu / one[size_t(i)].cpu);
    std::printf("CPU two / one: median %.2f (%.2f..%.2f) over %d rounds of %d frames\n",
                Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), rounds, frames);
    return 0;
}
