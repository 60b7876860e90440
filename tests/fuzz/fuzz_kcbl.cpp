// libFuzzer target: the kcbl reader over arbitrary bytes, then everything that works on
// the tree it built: the depth-first walk, the typed readers, the writer (its measured
// size must equal what it writes), a re-read of the written text and an edit.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ansi/memory.h"
#include "kcbl.h"
#include "memory_file.h"
#include "misc.h"

namespace {

void ReadEverything(Kcbl& k) {
    k.FirstItem();
    int guard = 0;
    while (++guard < 100000) {
        if (!k.ItemExists()) {
            if (!k.LeaveChunk()) break;
            k.NextItem(0);
            continue;
        }
        uint8_t b;
        int32_t l;
        uint32_t u;
        float f;
        double d;
        float floats[4];
        int count;
        for (int i = 0; i < k.ValueCount() && i < 8; ++i) {
            k.GetBool(i, &b);
            k.GetLong(i, &l);
            k.GetULong(i, &u);
            k.GetFloat(i, &f);
            k.GetDouble(i, &d);
            k.ArrayLength(i, &count);
            k.GetFloatArray(i, floats, 4);
        }
        char text[16];
        k.GetValues(nullptr, KSTRING, int(sizeof text), text, KLONG, &l, KEND);
        k.IsBlankOrComment();
        k.NextItem(1);
    }
}

// The whole text, or null when the writer refuses the tree.
char* Write(Kcbl& k, int32_t* length) {
    int32_t measured = 0;
    if (!k.ExportedSize(&measured)) return nullptr;
    if (measured < 1) std::abort();
    char* buffer = static_cast<char*>(XALLOC(size_t(measured)));
    if (!k.Export(buffer, measured, length, 0) || *length != measured) std::abort();
    if (buffer[measured - 1] != 0 || std::strlen(buffer) != size_t(measured - 1)) {
        // Names and comments may hold a NUL-free byte soup, but never a NUL.
        std::abort();
    }
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool silenced = false;
    if (!silenced) {
        SilenceLog();
        silenced = true;
    }
    Kcbl k;
    if (size > 0 && data[0] == '#') {
        // Through the file path as well: the file layer measures and reads it.
        const char* path = WriteScratchFile("kcbl", data, size);
        if (path) k.ImportFile(path);
    } else {
        char* text = static_cast<char*>(XALLOC(size + 1));
        if (size) std::memcpy(text, data, size);
        text[size] = 0;
        k.Import(text);
        xFree(text);
    }
    ReadEverything(k);
    int32_t length = 0;
    char* written = Write(k, &length);
    if (written) {
        Kcbl again;
        again.SetMaxLineLength(32);
        if (again.Import(written)) {
            ReadEverything(again);
            int32_t second = 0;
            char* rewritten = Write(again, &second);
            if (rewritten) xFree(rewritten);
        }
        xFree(written);
    }
    // An edit on whatever the cursor stands on.
    k.FirstItem();
    if (k.ItemExists()) {
        k.ReplaceItem(nullptr, KSTRING, "a \"b\"\\", KFLOAT, 1.5, KEND);
        k.NewChunk(KSTRING, "Edit", KEND);
        k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "raw", KEND);
        k.LeaveChunk();
        k.KillItem();
        int32_t measured;
        k.ExportedSize(&measured);
    }
    ClearError();
    return 0;
}
