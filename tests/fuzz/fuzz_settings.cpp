// libFuzzer target: the settings loader over arbitrary bytes.
//
// The loader opens its file by name, so each input is written to a scratch file first.
#include <cstdint>
#include <cstring>

#include "settings.h"
#include "memory_file.h"
#include "misc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool silenced = false;
    if (!silenced) {
        SilenceLog();
        silenced = true;
    }
    const char* path = WriteScratchFile("settings", data, size);
    if (!path) return 0;
    SettingsRecord record;
    std::memset(&record, 0, sizeof record);
    LoadSettings(path, &record);
    ClearError();
    return 0;
}
