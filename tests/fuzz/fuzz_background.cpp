// libFuzzer target: the background loader over arbitrary bytes.
//
// The loader opens its file by name, so each input is written to a scratch file first.
#include <cstdint>
#include <cstring>

#include "bgfile.h"
#include "memory_file.h"
#include "misc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool silenced = false;
    if (!silenced) {
        SilenceLog();
        silenced = true;
    }
    const char* path = WriteScratchFile("background", data, size);
    if (!path) return 0;
    VxAnimator animator;
    LoadBackground(&animator, path);
    ClearError();
    return 0;
}
