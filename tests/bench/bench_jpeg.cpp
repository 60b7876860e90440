// JPEG decoding beside libjpeg-turbo: the same in-memory files (4:2:0, 4:4:4 and
// greyscale, small and large, made by libjpeg-turbo from a synthetic picture of
// gradients, edges and grain) decoded by JpegLoader and by libjpeg-turbo with its SIMD,
// its accurate integer transform and plain upsampling, which is the loader's
// arithmetic: before timing, both decodes of every file are checked byte for byte.
//
// Rounds alternate the two decoders (and which goes first), each timing a batch of
// decodes; a line per file gives both medians per decode, the spread of each (fastest
// and slowest round), and the speed ratio turbo time / loader time as the median of
// the rounds' ratios with its spread. A plain program, the same on both sides, because
// the Win32 side has no Google Benchmark: natively, and as an i686 Win32 program under
// Wine against libjpeg-turbo built for i686 from Debian's source package
// (scripts/build-turbojpeg-win32.sh).
//
//   bench_jpeg [rounds]
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ansi/bitmap.h"
#include "ansi/file.h"
#include "ansi/jpeg.h"
#include "ansi/memory.h"
#include "bench_support.h"
#include "xsystem.h"

namespace {

// A File over bytes in memory: what the loader reads through (position, length, reads).
class MemoryBytes : public File {
public:
    MemoryBytes(const uint8_t* data, size_t size) : data(data), size(int32_t(size)) {}
    int Read(void* buffer, int32_t count) override {
        if (count < 0 || count > size - position) return 0;
        std::memcpy(buffer, data + position, size_t(count));
        position += count;
        return 1;
    }
    int Tell(int32_t* where, int) override {
        *where = position;
        return 1;
    }
    int Length(int32_t* length) override {
        *length = size;
        return 1;
    }

private:
    const uint8_t* data;
    int32_t size;
    int32_t position = 0;
};

// Smooth gradients, a few hard-edged shapes and some grain: about the detail of a
// photograph or a painted texture.
std::vector<uint8_t> MakePicture(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float u = float(x) / float(width), v = float(y) / float(height);
            seed = seed * 1664525u + 1013904223u;
            int grain = int(seed >> 28) - 8;
            bool shape = ((x / 97 + y / 61) % 5 == 0) ||
                         (u - 0.5f) * (u - 0.5f) + (v - 0.4f) * (v - 0.4f) < 0.02f;
            int base[3] = {int(120 + 90 * u - 40 * v), int(70 + 110 * v), int(200 - 120 * u * v)};
            uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            for (int c = 0; c < 3; ++c) {
                int value = (shape ? 255 - base[c] : base[c]) + grain;
                p[c] = uint8_t(std::min(255, std::max(0, value)));
            }
        }
    return rgb;
}

struct Sample {
    const char* name;
    int width, height;
    int subsampling;  // TJSAMP_*
    std::vector<uint8_t> jpeg;
};

std::vector<uint8_t> Compress(const std::vector<uint8_t>& rgb, int width, int height,
                              int subsampling) {
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, subsampling, 90,
                    TJFLAG_ACCURATEDCT) != 0) {
        std::fprintf(stderr, "compress: %s\n", tjGetErrorStr2(handle));
        std::exit(2);
    }
    std::vector<uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

// Bytes blue, green, red, rows `pitch` apart.
int DecodeTurbo(tjhandle handle, const Sample& sample, uint8_t* pixels, int pitch) {
    return tjDecompress2(handle, sample.jpeg.data(), (unsigned long)sample.jpeg.size(), pixels,
                         sample.width, pitch, sample.height, TJPF_BGR, TJFLAG_FASTUPSAMPLE) == 0;
}

int DecodeOurs(JpegLoader& loader, const Sample& sample, Bitmap& bitmap) {
    MemoryBytes file(sample.jpeg.data(), sample.jpeg.size());
    return loader.LoadFromFile(file, bitmap, 0, 0);
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    glb = XNEW(AppGlobals);
    struct Shape {
        const char* name;
        int side, subsampling;
    };
    const Shape shapes[] = {
        {"4:2:0 256x256", 256, TJSAMP_420},    {"4:4:4 256x256", 256, TJSAMP_444},
        {"grey  256x256", 256, TJSAMP_GRAY},   {"4:2:0 2048x2048", 2048, TJSAMP_420},
        {"4:4:4 2048x2048", 2048, TJSAMP_444}, {"grey  2048x2048", 2048, TJSAMP_GRAY}};
    std::vector<Sample> samples;
    for (const Shape& shape : shapes) {
        std::vector<uint8_t> rgb = MakePicture(shape.side, shape.side);
        samples.push_back(Sample{shape.name, shape.side, shape.side, shape.subsampling,
                                 Compress(rgb, shape.side, shape.side, shape.subsampling)});
    }

    JpegLoader loader;
    tjhandle turbo = tjInitDecompress();
    std::printf("%-16s %8s %22s %22s %18s\n", "picture", "KiB", "loader ms (min-max)",
                "turbo ms (min-max)", "ratio (min-max)");
    std::vector<double> medianRatios;
    for (const Sample& sample : samples) {
        Bitmap bitmap;
        int pitch = (sample.width * 3 + 3) / 4 * 4;
        std::vector<uint8_t> theirs(size_t(pitch) * size_t(sample.height));
        if (!DecodeOurs(loader, sample, bitmap) ||
            !DecodeTurbo(turbo, sample, theirs.data(), pitch)) {
            std::fprintf(stderr, "%s: a decoder refused the file\n", sample.name);
            return 2;
        }
        long differing = 0;
        for (int y = 0; y < sample.height; ++y)
            for (int x = 0; x < sample.width * 3; ++x)
                differing += bitmap.pixels[y * bitmap.pitch + x] != theirs[size_t(y) * pitch + x];
        if (differing) {
            std::fprintf(stderr, "%s: %ld bytes differ from libjpeg-turbo\n", sample.name,
                         differing);
            return 1;
        }

        // Batches of about 8 megapixels.
        int batch = std::max(1, 8000000 / (sample.width * sample.height));
        std::vector<double> ours, theirsTimes, ratios;
        for (int round = 0; round < rounds; ++round) {
            double time[2];
            for (int turn = 0; turn < 2; ++turn) {
                bool turboTurn = (turn + round) % 2 == 1;
                auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < batch; ++i)
                    if (turboTurn)
                        DecodeTurbo(turbo, sample, theirs.data(), pitch);
                    else
                        DecodeOurs(loader, sample, bitmap);
                time[turboTurn] = Seconds(start) / batch * 1000.0;
            }
            ours.push_back(time[0]);
            theirsTimes.push_back(time[1]);
            ratios.push_back(time[1] / time[0]);
        }
        auto range = [](const std::vector<double>& v) {
            return std::make_pair(*std::min_element(v.begin(), v.end()),
                                  *std::max_element(v.begin(), v.end()));
        };
        auto o = range(ours), t = range(theirsTimes), r = range(ratios);
        double ratio = Median(ratios);
        medianRatios.push_back(ratio);
        std::printf("%-16s %8.1f %8.3f (%.3f-%.3f) %8.3f (%.3f-%.3f) %6.2f (%.2f-%.2f)\n",
                    sample.name, sample.jpeg.size() / 1024.0, Median(ours), o.first, o.second,
                    Median(theirsTimes), t.first, t.second, ratio, r.first, r.second);
    }
    std::printf("median ratio over the pictures: %.2f; every decode identical to libjpeg-turbo's\n",
                Median(medianRatios));
    tjDestroy(turbo);
    XDELETE(glb);
    glb = nullptr;
    return 0;
}
