// Endurance of the saver's frame natively: in a scratch copy of the shipped data,
// vx_init, then EditorFrame (the star field's update with its cloud image, the
// animator's step on the shipped background, the intro, drawing to a recording
// screen) for many frames, then EditorExit, in a build with
// AddressSanitizer and UndefinedBehaviorSanitizer. Every 1000 frames it prints the
// process's resident memory; at the end the slope of that memory after the first
// 3000 frames (a minute at 50 frames a second). Leaks are LeakSanitizer's to report
// when the program ends.
//
//   scripts/soak-native.sh [frames]      (default 100 000)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ansi/memory.h"
#include "base/texture.h"
#include "bground.h"
#include "editor.h"
#include "gui/keyboard.h"
#include "picture_test_support.h"
#include "recording_screen.h"
#include "test_support.h"
#include "xsystem.h"

namespace {

// Resident memory of this process in KiB, from /proc.
long ResidentKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

}  // namespace

int main(int argc, char** argv) {
    long frames = argc > 1 ? std::atol(argv[1]) : 100000;
    ScratchDirectory scratch;
    PictureRegistry registry;
    MemoryTextureList textures;
    RecordingScreen screen("Recording", SCREEN_OPENGL);
    screen.textureList = &textures;
    glb->currentScreen = &screen;
    Keyboard keyboard;
    glb->keyboard = &keyboard;
    std::error_code failed;
    std::filesystem::copy(NOVADRIFT_DATA_DIR, ".", std::filesystem::copy_options::recursive,
                          failed);
    if (failed) {
        std::fprintf(stderr, "could not copy %s: %s\n", NOVADRIFT_DATA_DIR,
                     failed.message().c_str());
        return 2;
    }
    std::srand(1);
    XNEW(StarField);
    EditorRun app;
    if (!vx_init(app, 1)) {
        std::fprintf(stderr, "vx_init failed: %s\n", PendingError().c_str());
        return 2;
    }
    std::vector<double> at, kib;
    for (long frame = 1; frame <= frames; ++frame) {
        if (!EditorFrame(app, 0.02f)) {
            std::fprintf(stderr, "frame %ld failed\n", frame);
            return 1;
        }
        // The recording screen keeps every call it gets; each frame starts afresh.
        screen.ForgetCalls();
        screen.surfaces.clear();
        RecordingScreen::SharedLog().clear();
        if (frame % 1000 == 0) {
            long resident = ResidentKib();
            std::printf("frame %6ld: %ld KiB\n", frame, resident);
            std::fflush(stdout);
            if (frame > 3000) {
                at.push_back(double(frame));
                kib.push_back(double(resident));
            }
        }
    }
    EditorExit(app);
    textures.DeleteAll();
    glb->currentScreen = nullptr;
    glb->keyboard = nullptr;
    if (at.size() >= 2) {
        // Least-squares slope, per 3000 frames (a minute of frames at 50 a second).
        double n = double(at.size()), sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (size_t i = 0; i < at.size(); ++i) {
            sx += at[i];
            sy += kib[i];
            sxx += at[i] * at[i];
            sxy += at[i] * kib[i];
        }
        double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        double low = kib[0], high = kib[0];
        for (double k : kib) low = k < low ? k : low, high = k > high ? k : high;
        std::printf("after frame 3000: %.0f-%.0f KiB, slope %.2f KiB per 3000 frames\n", low, high,
                    slope * 3000.0);
    }
    return 0;
}
