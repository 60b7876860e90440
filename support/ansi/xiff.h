// XiffFile: the library's binary chunk container. A file is one chunk "XIFF"; a chunk
// is its name with a zero byte, a 32-bit content length in the file's byte order, and
// the content: child chunks and untagged values, read back in the order written.
//
// Each chunk entered or begun becomes the file's window, so window-relative seeks and
// tells count from that chunk's content. The stack holds 16 levels, the file level
// included, so at most 15 chunks are open at once.
//
// Reading trusts nothing it reads: a name must end with its zero byte and a length
// must stay inside the enclosing chunk, or the read is refused with an error; nothing
// reads outside the file or loops on a bad length. A file cut short is not refused:
// a chunk that the end of the file cuts holds what is left of it, so the complete
// chunks before the cut still read. Writing appends only: a chunk's length is
// measured up to the end of the file when it ends.
#pragma once

#include <cstdint>

#include "ansi/file.h"

#define XIFF_STACK_SIZE 16
#define XIFF_MAX_DEPTH (XIFF_STACK_SIZE - 1)

struct XiffChunkEntry {
    int32_t start;   // absolute position of the first content byte
    int32_t length;  // the length field as read (what is left of it in a cut file), or
                     // as given to BeginChunk
    int32_t cut;     // 1: the end of the file falls inside this chunk
};

class XiffFile : public File {
public:
    XiffFile();
    ~XiffFile() override;

    // Read modes enter "XIFF"; write begins it; append begins it only in an empty file.
    int Open(const char* path, int flags) override;
    // Ends every chunk still begun, then closes the file.
    int Close() override;

    // Scans for a chunk of that name, from the start of the current chunk's content
    // (fromHere 0) or from the current position; leaves the position at its name.
    // A clean end of the file is a silent 0.
    int FindChunk(const char* chunkName, int32_t* length, int fromHere);
    int EnterChunk();
    int LeaveChunk();
    int RewindChunk();
    int SkipChunk();
    int BeginChunk(const char* chunkName, int32_t length);
    int EndChunk();

    int Depth() const { return depth; }
    // 1 when the end of the file falls inside the chunk entered last ("XIFF" itself
    // just after opening for reading: the file was cut short).
    int IsCut() const { return chunks && depth > 0 && chunks[depth].cut; }
    int OpenWrites() const { return openWrites; }

private:
    // Reads a chunk header at the current position and checks it against the chunk
    // that holds it. matches (if given) tells whether the stored name equals
    // chunkName; length is the content the file holds, cut whether the file ends
    // inside it. 0 at the clean end of the file (nothing recorded) or on a bad header.
    int ReadChunkHeader(const char* chunkName, bool* matches, uint32_t* length, int32_t* cut,
                        int32_t fileEnd);
    // The innermost entered chunk whose content holds the absolute position, or 0 (the
    // file level) when none does.
    int EnclosingLevel(int32_t position) const;
    int FileEnd(int32_t* end);
    void SelectWindow();
    // Allocates the stack on first use and zeroes it: file level, nothing begun.
    void ResetStack();

    int depth;
    XiffChunkEntry* chunks;
    int openWrites;
};
