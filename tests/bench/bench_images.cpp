// Decoding speed of the BMP codec and the FXT1 reader, in megapixels per second
// ("MP/s", decoded output pixels). Pictures are made in memory and read through a
// memory-backed File, so the numbers leave the disk out.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF
//         -DNOVADRIFT_BENCHMARKS=ON
//   cmake --build build/bench --target bench_images
//   build/bench/bin/bench_images
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"
#include "ansi/fxt1.h"
#include "memory_file.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An uncompressed (or RLE8 when rle) BMP of random pixels, bottom-up.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, bool rle) {
    std::mt19937 random(1234);
    std::vector<uint8_t> pixels;
    if (rle) {
        // Runs of 1-16 pixels, one line after the other: a typical RLE8 picture.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width;) {
                int run = std::min(width - x, int(random() % 16) + 1);
                pixels.push_back(uint8_t(run));
                pixels.push_back(uint8_t(random()));
                x += run;
            }
            pixels.push_back(0);
            pixels.push_back(0);
        }
        pixels.push_back(0);
        pixels.push_back(1);
    } else {
        int row = (width * bits / 8 + 3) & ~3;
        pixels.resize(size_t(row) * size_t(height));
        for (uint8_t& byte : pixels) byte = uint8_t(random());
    }
    uint32_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> file = {'B', 'M'};
    Put32(file, uint32_t(54 + table + pixels.size()));
    Put32(file, 0);
    Put32(file, 54 + table);
    Put32(file, 40);
    Put32(file, uint32_t(width));
    Put32(file, uint32_t(height));
    Put16(file, 1);
    Put16(file, uint32_t(bits));
    Put32(file, rle ? 1 : 0);
    for (int i = 0; i < 5; ++i) Put32(file, 0);
    for (uint32_t i = 0; i < table; ++i) file.push_back(uint8_t(i));
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// An FXT1 file of random blocks (about half CC_MIXED, a quarter CC_HI, an eighth each
// CC_CHROMA and CC_ALPHA).
std::vector<uint8_t> MakeFxt(int width, int height) {
    std::mt19937 random(5678);
    std::vector<uint8_t> file = {'C', 'X', 'E', 'T'};
    Put32(file, 0);
    Put32(file, uint32_t(width));
    Put32(file, uint32_t(height));
    size_t blocks = size_t((width + 7) / 8) * size_t((height + 3) / 4);
    for (size_t i = 0; i < blocks * 16; ++i) file.push_back(uint8_t(random()));
    return file;
}

template <typename Codec>
void Decode(benchmark::State& state, const std::vector<uint8_t>& file, int width, int height) {
    static bool ready = (SilenceLog(), true);
    (void)ready;
    Codec codec;
    Bitmap bitmap;
    for (auto _ : state) {
        MemoryFile input(file.data(), file.size());
        if (!codec.LoadFromFile(input, bitmap, 0, 0)) {
            state.SkipWithError(codec.GetErrorText());
            return;
        }
        benchmark::DoNotOptimize(bitmap.pixels);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter(double(width) * height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_Bmp(benchmark::State& state) {
    int size = int(state.range(0));
    int bits = int(state.range(1));
    bool rle = state.range(2) != 0;
    static std::vector<uint8_t> file;
    file = MakeBmp(size, size, bits, rle);
    Decode<BmpCodec>(state, file, size, size);
}

void BM_Fxt1(benchmark::State& state) {
    int size = int(state.range(0));
    static std::vector<uint8_t> file;
    file = MakeFxt(size, size);
    Decode<Fxt1Reader>(state, file, size, size);
}

void BM_Fxt1Block(benchmark::State& state) {
    std::vector<uint8_t> blocks = MakeFxt(256, 256);
    const uint8_t* data = blocks.data() + 16;
    size_t count = (blocks.size() - 16) / 16;
    size_t i = 0;
    uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];
    for (auto _ : state) {
        Fxt1DecodeBlock(data + 16 * i, texels);
        benchmark::DoNotOptimize(texels);
        if (++i == count) i = 0;
    }
    state.counters["MP/s"] =
        benchmark::Counter(32 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

// Arguments: side in pixels, bits per pixel, RLE8.
BENCHMARK(BM_Bmp)
    ->ArgNames({"size", "bits", "rle"})
    ->Args({256, 24, 0})
    ->Args({1024, 8, 0})
    ->Args({1024, 16, 0})
    ->Args({1024, 24, 0})
    ->Args({1024, 32, 0})
    ->Args({1024, 8, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fxt1)->ArgName("size")->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fxt1Block);

BENCHMARK_MAIN();
