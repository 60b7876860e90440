#include "settings.h"

#include <cstring>

#include "ansi/xiff.h"
#include "misc.h"

namespace {

const int8_t kSettingsVersion = 1;

}  // namespace

int32_t ChosenFrameRate(const SettingsRecord& record) {
    return record.frameRate >= 1 && record.frameRate <= FRAME_RATE_MAX ? record.frameRate : 0;
}

int LoadSettings(const char* path, SettingsRecord* record) {
    XiffFile file;
    if (!file.Open(path, FILE_READ)) return 0;
    if (!file.FindChunk("NOVADRIFTCFG", nullptr, 0)) {
        file.Close();
        // A damaged file is answered by the defaults and the "Info" box alone: what
        // the scan ran into is no error of the run.
        return ClearError();
    }
    SettingsRecord loaded = *record;
    bool ok = file.EnterChunk() && file.FindChunk("HEADER", nullptr, 0) && file.EnterChunk();
    if (ok) {
        // Every read is tried, in file order, so a short header fails as a whole. One
        // statement per read: the operands of a single '&' expression are unsequenced.
        int reads = 1;
        reads &= file.ReadByte(&loaded.version);
        reads &= file.ReadLong(&loaded.frameRate);
        reads &= file.Read(loaded.reservedBlock, sizeof loaded.reservedBlock);
        reads &= file.ReadLong(&loaded.width);
        reads &= file.ReadLong(&loaded.height);
        reads &= file.ReadLong(&loaded.bits);
        reads &= file.ReadLong(&loaded.displayMode);
        reads &= file.ReadLong(&loaded.backgroundNumber);
        reads &= file.ReadLong(&loaded.priority);
        reads &= file.Read(&loaded.screenSelection, sizeof loaded.screenSelection);
        reads &= file.Read(&loaded.previewSelection, sizeof loaded.previewSelection);
        ok = reads != 0;
        file.LeaveChunk();
        ok = ok && int8_t(loaded.version) <= kSettingsVersion;
    }
    file.Close();
    if (!ok) return ClearError();
    *record = loaded;
    return 1;
}

int SaveSettings(const char* path, const SettingsRecord* record) {
    char temporary[FILE_NAME_SIZE];
    if (!TemporarySavePath(path, temporary, sizeof temporary)) return 0;
    XiffFile file;
    if (!file.Open(temporary, FILE_WRITE)) return 0;
    int ok = file.BeginChunk("NOVADRIFTCFG", 0) && file.BeginChunk("HEADER", 0) &&
             file.WriteByte(uint8_t(kSettingsVersion)) && file.WriteLong(record->frameRate) &&
             file.Write(record->reservedBlock, sizeof record->reservedBlock) &&
             file.WriteLong(record->width) && file.WriteLong(record->height) &&
             file.WriteLong(record->bits) && file.WriteLong(record->displayMode) &&
             file.WriteLong(record->backgroundNumber) && file.WriteLong(record->priority) &&
             file.Write(&record->screenSelection, sizeof record->screenSelection) &&
             file.Write(&record->previewSelection, sizeof record->previewSelection) &&
             file.EndChunk();
    ok = file.Close() && ok;
    return CommitSavedFile(temporary, path, ok);
}
