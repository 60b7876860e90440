// libFuzzer target: the XIFF reader over arbitrary bytes, in both byte orders.
//
// File reads only through the standard stream, so each input is written to a scratch
// file first. The walk enters every chunk it can reach in turn (each once, so the work
// stays linear in the input), reads a few values at each level and searches every
// level for a name that is never there, which scans on to the end of the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ansi/xiff.h"
#include "memory_file.h"
#include "misc.h"

namespace {

std::string scratchPath;

void ReadValues(XiffFile& xiff) {
    uint8_t byte;
    int16_t word;
    int32_t value;
    float number;
    double wide;
    xiff.ReadByte(&byte);
    xiff.ReadWord(&word);
    xiff.ReadLong(&value);
    xiff.ReadFloat(&number);
    xiff.ReadDouble(&wide);
}

// Walks the children of the chunk just entered, whose content is length bytes.
void Walk(XiffFile& xiff, int32_t length) {
    ReadValues(xiff);
    xiff.FindChunk("\x7fnowhere", nullptr, 0);
    for (int32_t at = 0; at < length;) {
        int32_t atAbsolute, end, startAbsolute;
        if (!xiff.Seek(at, SEEK_FROM_WINDOW) || !xiff.Tell(&atAbsolute, SEEK_ABSOLUTE)) return;
        if (!xiff.SkipChunk() || !xiff.Tell(&end, SEEK_FROM_WINDOW)) return;
        if (!xiff.Seek(at, SEEK_FROM_WINDOW) || !xiff.EnterChunk()) return;
        if (!xiff.Tell(&startAbsolute, SEEK_ABSOLUTE)) return;
        Walk(xiff, end - at - (startAbsolute - atAbsolute));
        if (!xiff.LeaveChunk()) return;
        at = end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceLog();
    const char* directory = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    scratchPath = std::string(directory) + "/fuzz_xiff_" + std::to_string(getpid()) + ".xif";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(scratchPath.c_str(), "wb");
    if (!file) return 0;
    size_t written = std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (written != size) return 0;

    for (int order : {0, int(FILE_BIG_ENDIAN)}) {
        XiffFile xiff;
        if (xiff.Open(scratchPath.c_str(), FILE_READ | order)) {
            // Open has entered "XIFF"; back out to learn its length, then walk it.
            int32_t length = 0;
            if (xiff.LeaveChunk() && xiff.FindChunk("XIFF", &length, 0) && xiff.EnterChunk())
                Walk(xiff, length);
            while (xiff.Depth() > 0) xiff.LeaveChunk();
            xiff.LeaveChunk();
        }
        xiff.Close();
        ClearError();
    }
    return 0;
}
