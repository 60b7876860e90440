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
#include "ansi/bmp.h"
#include "ansi/memory.h"
#include "bground.h"
#include "misc.h"
#include "platform.h"
#include "startup.h"
#include "win/scr_ogl.h"
#include "xsystem.h"

namespace {

void PumpMessages() {
    for (int round = 0; round < 16 && !Platform().pumpMessages(); ++round) {
    }
}

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
        PumpMessages();
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
    // What StartupCode and Init do before a screen is opened.
    appInstance = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
    glb = XNEW(AppGlobals);
    sglb = static_cast<SysGlobals*>(XALLOC(sizeof(SysGlobals)));
    std::memset(static_cast<void*>(sglb), 0, sizeof *sglb);
    glb->screenList = XNEW(LList);
    glb->pictureFormats = XNEW(LList);
    sglb->bmpCodec = XNEW(BmpCodec);
    glb->SetName("NovadriftFrames");
    TimerInit();
    std::srand(1);
    if (!Platform().registerWindowClass(glb->name)) {
        std::printf("RegisterClass failed\n");
        return 1;
    }
    OglScreen* screen = XNEW(OglScreen, SCREEN_OPENGL);
    glb->currentScreen = screen;
    if (glb->screenList->Count() != 1 || !screen->InitModeBySize(640, 480, 32, DISPLAY_WINDOW, 1)) {
        char message[ERROR_MESSAGE_SIZE] = "opengl32.dll did not load";
        GetErrorMessage(message, sizeof message);
        std::printf("no OpenGL screen: %s\n", message);
        return 1;
    }
    PumpMessages();
    std::printf("OpenGL screen 640x480 in a window\n");
    for (int stars : {200, 2000, 20000}) TimeFrames(screen, stars, frames);

    screen->ExitMode();
    glb->screenList->RemoveItem(screen);
    XDELETE(screen);
    glb->currentScreen = nullptr;
    PumpMessages();
    Platform().unregisterWindowClass(glb->name);
    FreeMessageHandlerList();
    XDELETE(sglb->bmpCodec);
    XDELETE(glb->pictureFormats);
    XDELETE(glb->screenList);
    XDELETE(glb);
    xFree(sglb);
    return 0;
}
