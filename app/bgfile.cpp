#include "bgfile.h"

#include <cmath>
#include <cstdio>

#include "ansi/xiff.h"
#include "bground.h"
#include "misc.h"
#include "userfiles.h"

namespace {

const int8_t kBackgroundVersion = 1;

// The 13 stored words of a channel, in file order.
struct StoredChannel {
    int32_t flags;
    int32_t mode;
    float value, low, high;
    int32_t transitionRandom;
    float transitionTime, transitionLow, transitionHigh;
    int32_t delayRandom;
    float delay, delayLow, delayHigh;
};

int ReadStored(XiffFile* file, StoredChannel* stored) {
    return file->ReadLong(&stored->flags) && file->ReadLong(&stored->mode) &&
           file->ReadFloat(&stored->value) && file->ReadFloat(&stored->low) &&
           file->ReadFloat(&stored->high) && file->ReadLong(&stored->transitionRandom) &&
           file->ReadFloat(&stored->transitionTime) && file->ReadFloat(&stored->transitionLow) &&
           file->ReadFloat(&stored->transitionHigh) && file->ReadLong(&stored->delayRandom) &&
           file->ReadFloat(&stored->delay) && file->ReadFloat(&stored->delayLow) &&
           file->ReadFloat(&stored->delayHigh);
}

void RefreshKeyRanges(SliderChannel* channel) {
    for (int key = 0; key < 2; ++key) {
        channel->spline.keys[key].values[1] = channel->low;
        channel->spline.keys[key].values[2] = channel->high;
    }
}

int Malformed() {
    return SetErrorText("Malformed background file");
}

// A damaged file can hold numbers no channel can use; such a channel keeps what it had.
bool Usable(const SliderTableRow* row, const StoredChannel& stored) {
    if (!std::isfinite(stored.value) || !std::isfinite(stored.low) || !std::isfinite(stored.high))
        return false;
    if (row->id != CONTROL_BGSNUMS) return true;
    const float counts[] = {stored.value, stored.low, stored.high};
    for (float count : counts)
        if (count < -STAR_COUNT_MAX || count > STAR_COUNT_MAX) return false;
    return true;
}

}  // namespace

int ReadChannel(XiffFile* file, const SliderTableRow* row, VxAnimator* animator) {
    SliderChannel* channel = animator->Channel(row->id);
    if (!channel) return 2;
    int result = 2;
    if (file->FindChunk(row->keyword, nullptr, 0) && file->EnterChunk()) {
        // A short chunk would leave the channel half read: take all 13 words or none.
        StoredChannel stored;
        result = ReadStored(file, &stored) ? 1 : 0;
        file->LeaveChunk();
        if (result == 1 && !Usable(row, stored)) {
            LogMessage(LOG_WARNING, "Background channel \"%s\" refused: %g within %g..%g\n",
                       row->keyword, double(stored.value), double(stored.low), double(stored.high));
            result = 0;
        } else if (result == 1) {
            channel->flags = stored.flags;
            channel->mode = stored.mode;
            channel->value = stored.value;
            channel->low = stored.low;
            channel->high = stored.high;
            channel->transitionRandom = stored.transitionRandom;
            channel->transitionTime = stored.transitionTime;
            channel->transitionLow = stored.transitionLow;
            channel->transitionHigh = stored.transitionHigh;
            channel->delayRandom = stored.delayRandom;
            channel->delay = stored.delay;
            channel->delayLow = stored.delayLow;
            channel->delayHigh = stored.delayHigh;
            // The channel holds the loaded value, so its next phase starts from there
            // rather than from whatever the spline held before.
            animator->SetValue(row->id, stored.value, VALUE_STORED, VALUE_SILENT);
            animator->MarkChanged(row->id, KEEP_VALUE);
        } else {
            ClearError();
        }
    }
    RefreshKeyRanges(channel);
    return result;
}

int WriteChannel(XiffFile* file, const SliderTableRow* row, VxAnimator* animator) {
    const SliderChannel* channel = animator->Channel(row->id);
    if (!channel) return 0;
    return file->BeginChunk(row->keyword, 0) && file->WriteLong(channel->flags) &&
           file->WriteLong(channel->mode) && file->WriteFloat(channel->value) &&
           file->WriteFloat(channel->low) && file->WriteFloat(channel->high) &&
           file->WriteLong(channel->transitionRandom) &&
           file->WriteFloat(channel->transitionTime) && file->WriteFloat(channel->transitionLow) &&
           file->WriteFloat(channel->transitionHigh) && file->WriteLong(channel->delayRandom) &&
           file->WriteFloat(channel->delay) && file->WriteFloat(channel->delayLow) &&
           file->WriteFloat(channel->delayHigh) && file->EndChunk();
}

int UserBackgroundPath(char* path, int size) {
    return UserFilePath(BACKGROUND_FILE_NAME, path, size);
}

void BackgroundPathToLoad(char* path, int size) {
    if (UserBackgroundPath(path, size) && FileExists(path)) return;
    std::snprintf(path, size_t(size), "%s", BACKGROUND_FILE_NAME);
}

int LoadBackground(VxAnimator* animator, const char* path) {
    if (!FileExists(path)) return 0;
    XiffFile file;
    if (!file.Open(path, FILE_READ)) return 0;
    if (!file.FindChunk("NOVADRIFT", nullptr, 0) || !file.EnterChunk() ||
        !file.FindChunk("HEADER", nullptr, 0) || !file.EnterChunk())
        return Malformed();
    uint8_t version;
    if (!file.ReadByte(&version)) return 0;
    if (int8_t(version) > kBackgroundVersion)
        return SetErrorText(
            "Background file was saved in a newer version of Quorvellan.\nPlease get the newest "
            "Quorvellan version avalible and try again");
    int32_t ignored;
    if (!file.ReadLong(&ignored)) return 0;
    file.LeaveChunk();
    if (!file.FindChunk("SLIDERS", nullptr, 0) || !file.EnterChunk()) return Malformed();
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row)
        if (row->storage == CONTROL_SAVED) ReadChannel(&file, row, animator);
    file.LeaveChunk();
    file.LeaveChunk();
    file.Close();
    return 1;
}

int LoadWholeBackground(VxAnimator* animator, const char* path) {
    if (!FileExists(path)) return 0;
    XiffFile file;
    if (!file.Open(path, FILE_READ)) return 0;
    if (file.IsCut()) return SetErrorText("Background file is cut short");
    file.Close();
    return LoadBackground(animator, path);
}

int SaveBackground(VxAnimator* animator, const char* path) {
    char temporary[FILE_NAME_SIZE];
    if (!TemporarySavePath(path, temporary, sizeof temporary)) return 0;
    XiffFile file;
    if (!file.Open(temporary, FILE_WRITE)) return 0;
    int ok = file.BeginChunk("NOVADRIFT", 0) && file.BeginChunk("HEADER", 0) &&
             file.WriteByte(uint8_t(kBackgroundVersion)) && file.WriteLong(0) && file.EndChunk() &&
             file.BeginChunk("SLIDERS", 0);
    for (const SliderTableRow* row = SliderTable; ok && row->id != CONTROL_END; ++row)
        if (row->storage == CONTROL_SAVED) ok = WriteChannel(&file, row, animator);
    ok = ok && file.EndChunk() && file.EndChunk();
    ok = file.Close() && ok;
    return CommitSavedFile(temporary, path, ok);
}
