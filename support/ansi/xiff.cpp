#include "ansi/xiff.h"

#include <cstdio>
#include <cstring>

#include "ansi/memory.h"
#include "misc.h"

XiffFile::XiffFile() : depth(0), chunks(nullptr), openWrites(0) {}

// File's destructor would only reach File::Close; the begun chunks must be ended here.
XiffFile::~XiffFile() {
    Close();
}

void XiffFile::ResetStack() {
    if (!chunks)
        chunks = static_cast<XiffChunkEntry*>(XALLOC(sizeof(XiffChunkEntry) * XIFF_STACK_SIZE));
    std::memset(chunks, 0, sizeof(XiffChunkEntry) * XIFF_STACK_SIZE);
    depth = 0;
    openWrites = 0;
}

int XiffFile::Open(const char* path, int flags) {
    // File::Open closes a previous file through Close, which frees its stack.
    if (!File::Open(path, flags)) return 0;
    ResetStack();
    if (flags & (FILE_READ | FILE_READWRITE)) {
        if (!FindChunk("XIFF", nullptr, 0)) return SetErrorText("\"%s\" isnt a XIFF file", path);
        return EnterChunk();
    }
    if (flags & FILE_WRITE) return BeginChunk("XIFF", 0);
    if (flags & FILE_APPEND) {
        int32_t length;
        if (!Length(&length)) return 0;
        if (length != 0) return 1;
        // In "a+" every write lands at the end, so EndChunk could not patch the length
        // in place: the empty file is reopened for reading and writing instead.
        char chosen[FILE_NAME_SIZE];
        std::snprintf(chosen, sizeof chosen, "%s", Name());
        if (!File::Open(chosen, FILE_READWRITE | (flags & (FILE_LITTLE_ENDIAN | FILE_BIG_ENDIAN))))
            return 0;
        ResetStack();
        return BeginChunk("XIFF", 0);
    }
    return 1;
}

int XiffFile::Close() {
    int ended = 1;
    while (openWrites > 0 && ended) ended = EndChunk();
    if (chunks) {
        xFree(chunks);
        chunks = nullptr;
    }
    depth = 0;
    openWrites = 0;
    int closed = File::Close();
    return ended && closed;
}

void XiffFile::SelectWindow() {
    SetWindow(chunks[depth].start, chunks[depth].length);
}

int XiffFile::FileEnd(int32_t* end) {
    int32_t here;
    if (!Tell(&here, SEEK_ABSOLUTE)) return 0;
    if (!Seek(0, SEEK_FROM_END | SEEK_ABSOLUTE)) return 0;
    if (!Tell(end, SEEK_ABSOLUTE)) return 0;
    return Seek(here, SEEK_FROM_WINDOW | SEEK_ABSOLUTE);
}

int XiffFile::EnclosingLevel(int32_t position) const {
    // A scan may run on past the current chunk; a header found there belongs to the
    // nearest entered ancestor that still holds it.
    for (int k = depth; k >= 1; --k)
        if (position < int64_t(chunks[k].start) + chunks[k].length) return k;
    return 0;
}

int XiffFile::ReadChunkHeader(const char* chunkName, bool* matches, uint32_t* length, int32_t* cut,
                              int32_t fileEnd) {
    int32_t position;
    if (!Tell(&position, SEEK_ABSOLUTE)) return 0;
    if (position >= fileEnd) return 0;
    int level = EnclosingLevel(position);
    // Only the file's own end may cut a chunk short: past an ancestor that the file
    // holds whole, a chunk is malformed.
    bool parentCut = level == 0 || chunks[level].cut;
    int64_t limit =
        level == 0 ? int64_t(fileEnd) : int64_t(chunks[level].start) + chunks[level].length;
    bool same = chunkName != nullptr;
    size_t compared = 0;
    for (;;) {
        // A name cut by the end of the file is a chunk that is not there.
        if (position >= limit) {
            if (parentCut) return 0;
            return SetErrorText("Unterminated chunk name in the XIFF file \"%s\"", name);
        }
        uint8_t c;
        if (!ReadByte(&c)) return SetError(ERR_READ, __FILE__, __LINE__);
        ++position;
        if (same) {
            if (chunkName[compared] != char(c))
                same = false;
            else
                ++compared;
        }
        if (c == 0) break;
    }
    if (int64_t(position) + 4 > limit) {
        if (parentCut) return 0;
        return SetErrorText("Chunk runs past the end of its parent in the XIFF file \"%s\"", name);
    }
    int32_t stored;
    if (!ReadLong(&stored)) return 0;
    position += 4;
    uint32_t content = uint32_t(stored);
    *cut = 0;
    if (int64_t(position) + content > limit) {
        if (!parentCut)
            return SetErrorText("Chunk runs past the end of its parent in the XIFF file \"%s\"",
                                name);
        content = uint32_t(limit - position);
        *cut = 1;
    }
    *length = content;
    if (matches) *matches = same;
    return 1;
}

int XiffFile::FindChunk(const char* chunkName, int32_t* length, int fromHere) {
    if (!chunks || !chunkName) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    if (!fromHere && !Seek(0, SEEK_FROM_WINDOW)) return 0;
    int32_t fileEnd;
    if (!FileEnd(&fileEnd)) return 0;
    // Every header read moves at least five bytes on, so the scan always ends.
    for (;;) {
        int32_t start;
        if (!Tell(&start, SEEK_FROM_WINDOW)) return 0;
        bool matches;
        uint32_t content;
        int32_t cut;
        if (!ReadChunkHeader(chunkName, &matches, &content, &cut, fileEnd)) return 0;
        if (matches) {
            if (!Seek(start, SEEK_FROM_WINDOW)) return 0;
            if (length) *length = int32_t(content);
            return 1;
        }
        if (!Seek(int32_t(content), SEEK_FROM_CURRENT)) return 0;
    }
}

int XiffFile::EnterChunk() {
    if (!chunks) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    if (depth >= XIFF_MAX_DEPTH) return SetErrorText("You are at the max depth for this XIFF file");
    int32_t fileEnd;
    if (!FileEnd(&fileEnd)) return 0;
    uint32_t content;
    int32_t cut;
    if (!ReadChunkHeader(nullptr, nullptr, &content, &cut, fileEnd)) return 0;
    int32_t start;
    if (!Tell(&start, SEEK_ABSOLUTE)) return 0;
    ++depth;
    chunks[depth].start = start;
    chunks[depth].length = int32_t(content);
    chunks[depth].cut = cut;
    SelectWindow();
    return 1;
}

int XiffFile::LeaveChunk() {
    if (!chunks || depth == 0) return 0;
    --depth;
    SelectWindow();
    return Seek(0, SEEK_FROM_WINDOW);
}

int XiffFile::RewindChunk() {
    return Seek(0, SEEK_FROM_WINDOW);
}

int XiffFile::SkipChunk() {
    if (!chunks) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    int32_t fileEnd;
    if (!FileEnd(&fileEnd)) return 0;
    uint32_t content;
    int32_t cut;
    if (!ReadChunkHeader(nullptr, nullptr, &content, &cut, fileEnd)) return 0;
    return Seek(int32_t(content), SEEK_FROM_CURRENT);
}

int XiffFile::BeginChunk(const char* chunkName, int32_t length) {
    if (!chunks || !chunkName) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    if (depth >= XIFF_MAX_DEPTH) return SetErrorText("You are at the max depth for this XIFF file");
    ++openWrites;
    ++depth;
    // Should a write fail, this start makes EndChunk refuse the entry rather than
    // patch some other place.
    chunks[depth].start = 0;
    chunks[depth].length = 0;
    chunks[depth].cut = 0;
    if (!Write(chunkName, int32_t(std::strlen(chunkName) + 1))) return 0;
    if (!WriteLong(length)) return 0;
    int32_t start;
    if (!Tell(&start, SEEK_ABSOLUTE)) return 0;
    chunks[depth].start = start;
    chunks[depth].length = length;
    SelectWindow();
    return 1;
}

int XiffFile::EndChunk() {
    if (openWrites == 0) return 1;
    int32_t resume;
    if (!Tell(&resume, SEEK_FROM_WINDOW)) return 0;
    if (!Seek(0, SEEK_FROM_END)) return 0;
    int32_t content;
    if (!Tell(&content, SEEK_FROM_WINDOW)) return 0;
    if (!Seek(chunks[depth].start - 4, SEEK_FROM_WINDOW | SEEK_ABSOLUTE)) return 0;
    if (!WriteLong(content)) return 0;
    if (!Seek(resume, SEEK_FROM_WINDOW)) return 0;
    --openWrites;
    --depth;
    SelectWindow();
    return 1;
}
