// libFuzzer target: the background loader over arbitrary bytes.
//
// The loader opens its file by name, so each input is written to a scratch file first.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "bgfile.h"
#include "memory_file.h"
#include "misc.h"

namespace {

std::string scratchPath;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (scratchPath.empty()) {
        SilenceLog();
        scratchPath = "/tmp/novadrift-fuzz-background-" + std::to_string(getpid());
    }
    FILE* file = std::fopen(scratchPath.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    VxAnimator animator;
    LoadBackground(&animator, scratchPath.c_str());
    ClearError();
    return 0;
}
