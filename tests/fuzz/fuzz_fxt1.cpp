// libFuzzer target: the FXT1 reader on arbitrary bytes, and the block
// decoder on every 16-byte block of the input.
#include <cstdint>
#include <cstdlib>

#include "ansi/bitmap.h"
#include "ansi/fxt1.h"
#include "memory_file.h"
#include "misc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (SilenceLog(), true);
    (void)ready;
    static Fxt1Reader reader;
    for (size_t i = 0; i + FXT1_BLOCK_BYTES <= size && i < 64 * FXT1_BLOCK_BYTES;
         i += FXT1_BLOCK_BYTES) {
        uint32_t texels[FXT1_BLOCK_HEIGHT][FXT1_BLOCK_WIDTH];
        Fxt1DecodeBlock(data + i, texels);
        // Transparent texels are transparent black in every mode.
        for (auto& row : texels)
            for (uint32_t texel : row)
                if ((texel >> 24) == 0 && texel != 0 && (data[i + 15] >> 5) != 3) std::abort();
    }
    Bitmap bitmap;
    MemoryFile input(data, size);
    if (!reader.LoadFromFile(input, bitmap, 0, 0)) {
        if (bitmap.pixels) std::abort();
        return 0;
    }
    if (bitmap.bitsPerPixel != 32 || bitmap.pitch != bitmap.width * 4) std::abort();
    volatile uint8_t sum = 0;
    for (int32_t y = 0; y < bitmap.height && bitmap.pitch > 0; ++y)
        sum = uint8_t(sum + bitmap.pixels[intptr_t(y) * bitmap.pitch] +
                      bitmap.pixels[intptr_t(y) * bitmap.pitch + bitmap.pitch - 1]);
    ClearError();
    return 0;
}
