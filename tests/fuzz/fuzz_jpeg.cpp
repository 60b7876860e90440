// libFuzzer target: the JPEG loader on arbitrary bytes. A refused file must leave no
// picture; an accepted one must have the geometry of a 24-bit bitmap whose every byte
// can be read (ASan checks the block is as large as that geometry says).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ansi/bitmap.h"
#include "ansi/jpeg.h"
#include "memory_file.h"
#include "misc.h"
#include "xsystem.h"

namespace {

[[noreturn]] void Fail(const char* what, const JpegLoader& loader) {
    std::fprintf(stderr, "fuzz_jpeg: %s (%s)\n", what, loader.GetErrorText());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The loader takes the zig-zag order from the application record.
    static bool ready = (SilenceLog(), glb = glb ? glb : new AppGlobals, true);
    (void)ready;
    // A loader per input: tables kept from an earlier input would make a crash depend
    // on the inputs before it.
    JpegLoader loader;
    Bitmap bitmap;
    MemoryFile input(data, size);
    if (!loader.LoadFromFile(input, bitmap, 0, 0)) {
        if (bitmap.pixels) Fail("a refused file left a picture", loader);
        ClearError();
        return 0;
    }
    if (!bitmap.pixels || bitmap.width < 1 || bitmap.height < 1 || bitmap.bitsPerPixel != 24 ||
        bitmap.bytesPerPixel != 3 || bitmap.pitch < bitmap.width * 3 || bitmap.pitch % 4 != 0)
        Fail("accepted file has an impossible geometry", loader);
    volatile uint8_t sum = 0;
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = bitmap.pixels + intptr_t(y) * bitmap.pitch;
        for (int32_t x = 0; x < bitmap.pitch; ++x) sum = uint8_t(sum + row[x]);
    }
    ClearError();
    return 0;
}
