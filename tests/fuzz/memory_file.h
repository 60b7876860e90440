// A File that reads a block of memory, so fuzzers and benchmarks hand bytes
// to the codecs without touching the disk. POSIX only (fmemopen).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ansi/file.h"

class MemoryFile : public File {
public:
    // The bytes must outlive the file. An empty block opens nothing (reads then fail).
    MemoryFile(const uint8_t* data, size_t size) {
        if (size > 0) stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    }
};

// A File that writes into a growing block of memory (open_memstream). The stream
// reports its size as the current position, so the end of the furthest write is kept
// and sought before the bytes are handed out (codecs seek back to patch headers).
class MemoryOutput : public File {
public:
    MemoryOutput() : buffer(nullptr), size(0), end(0) { stream = open_memstream(&buffer, &size); }
    int Write(const void* bytes, int32_t count) override {
        if (!File::Write(bytes, count)) return 0;
        long here = std::ftell(stream);
        if (here > end) end = here;
        return 1;
    }
    ~MemoryOutput() override {
        Close();
        std::free(buffer);
    }
    // The bytes written so far; valid until the next write.
    const uint8_t* Data() {
        Finish();
        return reinterpret_cast<const uint8_t*>(buffer);
    }
    size_t Size() {
        Finish();
        return size;
    }

private:
    void Finish() {
        std::fseek(stream, end, SEEK_SET);
        std::fflush(stream);
    }

    char* buffer;
    size_t size;
    long end;
};

// Sends the log and the error texts of the codecs nowhere: the log path is made to
// point into a directory that cannot exist.
void SilenceLog();

// Writes the input to a scratch file of this process (loaders that open files by name
// read it from there); the file's path, or null when it cannot be written.
const char* WriteScratchFile(const char* tag, const uint8_t* data, size_t size);
