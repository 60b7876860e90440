// libFuzzer target: the BMP codec on arbitrary bytes. Whatever it accepts
// must save and read back to the same pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"
#include "memory_file.h"
#include "misc.h"

namespace {

[[noreturn]] void Fail(const char* what, const BmpCodec& codec) {
    std::fprintf(stderr, "fuzz_bmp: %s (%s)\n", what, codec.GetErrorText());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (SilenceLog(), true);
    (void)ready;
    static BmpCodec codec;
    Bitmap bitmap;
    MemoryFile input(data, size);
    if (!codec.LoadFromFile(input, bitmap, 0, 0)) {
        if (bitmap.pixels) Fail("a refused file left a picture", codec);
        return 0;
    }
    // Touch the first and last byte of every row: ASan checks the block is as large as
    // the geometry says.
    volatile uint8_t sum = 0;
    int32_t rowBytes = bitmap.width * bitmap.bytesPerPixel;
    for (int32_t y = 0; y < bitmap.height && rowBytes > 0; ++y) {
        const uint8_t* row = bitmap.pixels + intptr_t(y) * bitmap.pitch;
        sum = uint8_t(sum + row[0] + row[rowBytes - 1]);
    }

    // The round trip holds three copies of the picture; big ones (RLE8 can claim up to
    // 256 MiB in a few bytes) are only decoded, to stay far below libFuzzer's RSS limit.
    if (int64_t(bitmap.pitch) * bitmap.height > (int64_t(16) << 20)) {
        ClearError();
        return 0;
    }
    MemoryOutput output;
    if (!codec.SaveToFile(output, bitmap, 0, 0, 0)) Fail("save failed", codec);
    Bitmap back;
    MemoryFile reread(output.Data(), output.Size());
    if (!codec.LoadFromFile(reread, back, 0, 0)) Fail("saved file not read back", codec);
    if (back.width != bitmap.width || back.height != bitmap.height ||
        back.bitsPerPixel != bitmap.bitsPerPixel)
        Fail("saved file has another geometry", codec);
    size_t row = size_t(bitmap.width) * size_t(bitmap.bytesPerPixel);
    for (int32_t y = 0; y < bitmap.height; ++y)
        if (std::memcmp(back.pixels + intptr_t(y) * back.pitch,
                        bitmap.pixels + intptr_t(y) * bitmap.pitch, row) != 0)
            Fail("saved file has other pixels", codec);
    ClearError();
    return 0;
}
