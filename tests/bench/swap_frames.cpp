// CPU per frame of an X OpenGL program (XScreenSaver's GL modules swap with GLX or EGL):
// preloaded, it reads the process's CPU time and the wall clock after SWAP_WARM swaps and
// SWAP_FRAMES swaps later, prints them as module_frames does and ends the process.
//   LD_PRELOAD=build/bench/tests/bench/libswap_frames.so SWAP_FRAMES=500 SWAP_WARM=100
//       /usr/libexec/xscreensaver/glmatrix -root
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double Seconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int Setting(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

void CountSwap() {
    static const int frames = Setting("SWAP_FRAMES", 500), warm = Setting("SWAP_WARM", 100);
    static int counted;
    static double cpuAtStart, wallAtStart;
    ++counted;
    if (counted == warm) {
        cpuAtStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        wallAtStart = Seconds(CLOCK_MONOTONIC);
    }
    if (counted < warm + frames) return;
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuAtStart;
    const double wall = Seconds(CLOCK_MONOTONIC) - wallAtStart;
    std::printf("frames %d: CPU %.3f ms per frame, wall %.3f ms per frame\n", frames,
                cpu * 1000.0 / frames, wall * 1000.0 / frames);
    std::fflush(stdout);
    _exit(0);
}

}  // namespace

extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
    using Swap = void (*)(void*, unsigned long);
    static Swap swap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    swap(display, drawable);
    CountSwap();
}

extern "C" unsigned eglSwapBuffers(void* display, void* surface) {
    using Swap = unsigned (*)(void*, void*);
    static Swap swap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "eglSwapBuffers"));
    const unsigned shown = swap(display, surface);
    CountSwap();
    return shown;
}
