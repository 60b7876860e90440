#include "memory_file.h"

#include <unistd.h>

#include <string>

#include "misc.h"
#include "platform.h"

namespace {
const char* NoWhere() {
    return "\"/dev/null/novadrift-fuzz\"";
}
}  // namespace

void SilenceLog() {
    Platform().commandLine = NoWhere;
    ResetLogFile();
}

const char* WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
    static std::string path;
    path = std::string("/tmp/novadrift-fuzz-") + tag + "-" + std::to_string(getpid());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return nullptr;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path.c_str();
}
