// Endurance of the saver's frame natively: vx_init, then EditorFrame (the star field's
// update with its cloud image, the animator's step on the default background, drawing
// to a recording screen) for many frames, then EditorExit, in a build with
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
#include <string>
#include <vector>

#include "ansi/bitmap.h"
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

bool WriteTexture(BmpCodec* codec, const char* path) {
    Bitmap picture;
    if (!picture.CreateWithMasks(8, 8, 24, 8, 8, 8, 0, 16, 8, 0, 0)) return false;
    std::memset(picture.pixels, 0x80, size_t(picture.pitch) * 8);
    return codec->Save(path, picture, 0, 0, 0) == 1;
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
    if (!WriteTexture(registry.bmp, "textures/star.bmp") ||
        !WriteTexture(registry.bmp, "textures/stars.bmp")) {
        std::fprintf(stderr, "could not write the textures\n");
        return 2;
    }
    std::srand(1);
    XNEW(StarField);
    if (!vx_init(1)) {
        std::fprintf(stderr, "vx_init failed: %s\n", PendingError().c_str());
        return 2;
    }
    std::vector<double> at, kib;
    for (long frame = 1; frame <= frames; ++frame) {
        if (!EditorFrame(0.02f)) {
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
    EditorExit();
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
