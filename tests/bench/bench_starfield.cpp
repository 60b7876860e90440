// The star field's CPU side per frame, in microseconds: one Update (the 64 x 64 cloud
// image from 5 octaves of noise, made into its texture, and the stars moved), the
// cloud image alone, the cloud image the reference way (Noise3 per pixel and octave,
// pow per grey: the same bits) and one StepAll of the animator with the default
// background. Drawing goes to a recording screen whose textures stay in memory, so no
// device time is in these numbers (the Win32 program starfield_frames measures whole
// frames through OpenGL).
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF
//         -DNOVADRIFT_BENCHMARKS=ON
//   cmake --build build/bench --target bench_starfield
//   build/bench/bin/bench_starfield
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "animator.h"
#include "ansi/memory.h"
#include "base/texture.h"
#include "bground.h"
#include "cloud.h"
#include "recording_screen.h"
#include "xsystem.h"

namespace {

// A glb with a recording screen that owns an in-memory texture list, for the run.
struct Stage {
    Stage() : screen("Recording", SCREEN_OPENGL) {
        glb = XNEW(AppGlobals);
        glb->currentScreen = &screen;
        screen.textureList = &textures;
        std::srand(1);
    }
    ~Stage() {
        textures.DeleteAll();
        XDELETE(glb);
        glb = nullptr;
    }
    MemoryTextureList textures;
    RecordingScreen screen;
};

// The star field as the default background has it, current in the scene list; the
// textures files are not there, which only leaves their layers plain.
void Prepare(StarField& field, VxAnimator& animator, int stars) {
    field.Create();
    animator.SetDefaultBackground();
    animator.StepAll();
    field.SetParameter(CONTROL_BGSNUMS, float(stars));
    Scenes().FindById(field.Id());
}

void BM_StarFieldUpdate(benchmark::State& state) {
    Stage stage;
    StarField field;
    VxAnimator animator;
    Prepare(field, animator, int(state.range(0)));
    Camera view;
    view.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    for (auto _ : state) field.Update(&view);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StarFieldUpdate)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

// The cloud image alone: 4096 pixels x 5 noise evaluations.
void BM_CloudImage(benchmark::State& state) {
    std::srand(1);
    for (auto _ : state) GenerateCloudImage(0.01f);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CloudImage)->Unit(benchmark::kMicrosecond);

// The same frames of the cloud image the reference way.
void BM_CloudImageReference(benchmark::State& state) {
    std::srand(1);
    static float sums[CLOUD_PIXELS];
    static uint8_t greys[CLOUD_PIXELS];
    float offset = 0.0f;
    for (auto _ : state) {
        CloudSumsReference(offset, sums);
        for (int p = 0; p < CLOUD_PIXELS; ++p) greys[p] = CloudGreyReference(sums[p]);
        benchmark::DoNotOptimize(greys);
        offset += 0.01f;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CloudImageReference)->Unit(benchmark::kMicrosecond);

void BM_StepAll(benchmark::State& state) {
    Stage stage;
    StarField field;
    VxAnimator animator;
    Prepare(field, animator, 500);
    for (auto _ : state) animator.StepAll();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StepAll)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
