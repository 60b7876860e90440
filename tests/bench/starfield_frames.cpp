// Frame time of the star field through a real OglScreen in a 640 x 480 window: Update
// (cloud texture included), Draw, EndScene and Present, with 200, 2 000 and 20 000
// stars on the default background. A Win32 program for Wine; it prints one line per
// star count (mean and fastest frame of the timed frames, after warm-up frames).
//
//   cmake --build build/win32 --target starfield_frames
//   cd build/win32/bin && wine starfield_frames.exe [frames]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "animator.h"
#include "ansi/memory.h"
#include "bground.h"
#include "misc.h"
#include "render_system.h"
#include "win/scr_ogl.h"
#include "xsystem.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to,
                    const LARGE_INTEGER& frequency) {
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// One star count: the field made and given the default background, then frames.
void TimeFrames(Screen* screen, int stars, int frames) {
    StarField* field = XNEW(StarField);
    Scenes().FindById(field->Id());
    if (!field->Create()) {
        char message[ERROR_MESSAGE_SIZE];
        GetErrorMessage(message, sizeof message);
        std::printf("warning: %s (run beside the textures directory)\n", message);
        ClearError();
    }
    VxAnimator animator;
    animator.camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    animator.SetDefaultBackground();
    animator.StepAll();
    field->SetParameter(CONTROL_BGSNUMS, float(stars));

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const int warmUp = 10;
    double total = 0.0, fastest = 1e30;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        PumpRenderMessages();
        QueryPerformanceCounter(&start);
        field->Update(&animator.camera);
        screen->BeginScene();
        field->Draw();
        screen->EndScene();
        screen->Present();
        QueryPerformanceCounter(&end);
        if (frame < warmUp) continue;
        double ms = Milliseconds(start, end, frequency);
        total += ms;
        fastest = std::min(fastest, ms);
    }
    std::printf("stars %6d: %8.2f ms per frame (fastest %.2f ms, %d frames)\n", stars,
                total / frames, fastest, frames);
    std::fflush(stdout);
    field->Release();
    XDELETE(field);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 100;
    if (frames < 1) frames = 1;
    std::srand(1);
    Screen* screen = OpenRenderSystem("NovadriftFrames", SCREEN_OPENGL, 640, 480);
    if (!screen) {
        char message[ERROR_MESSAGE_SIZE] = "";
        GetErrorMessage(message, sizeof message);
        std::printf("no OpenGL screen: %s\n", message);
        CloseRenderSystem();
        return 1;
    }
    PumpRenderMessages();
    std::printf("OpenGL screen 640x480 in a window\n");
    for (int stars : {200, 2000, 20000}) TimeFrames(screen, stars, frames);

    CloseRenderSystem();
    return 0;
}
