// Bytes of a file read front to back through a 4 KiB buffer, never past a length fixed
// when reading starts: a decoder asks for no more than the file holds, so a short file
// ends in a plain 0 rather than in a read error of the file layer.
#pragma once

#include <cstdint>
#include <cstring>

#include "ansi/file.h"

class ByteReader {
public:
    ByteReader(File& file, int32_t length) : file(file), remaining(length) {}
    // 0 at the end of the data or on a read error.
    int Next(uint8_t* value) {
        if (position == filled && !Refill()) return 0;
        *value = buffer[position++];
        return 1;
    }
    // The next count bytes in one go: the buffered ones, then straight from the file.
    int Take(uint8_t* out, int32_t count) {
        if (count < 0 || count > Left()) return 0;
        int32_t buffered = filled - position < count ? filled - position : count;
        std::memcpy(out, buffer + position, size_t(buffered));
        position += buffered;
        count -= buffered;
        if (count == 0) return 1;
        if (!file.Read(out + buffered, count)) return 0;
        remaining -= count;
        return 1;
    }
    // Bytes not yet handed out.
    int32_t Left() const { return remaining + (filled - position); }

private:
    int Refill() {
        if (remaining <= 0) return 0;
        int32_t chunk = remaining < int32_t(sizeof buffer) ? remaining : int32_t(sizeof buffer);
        if (!file.Read(buffer, chunk)) return 0;
        remaining -= chunk;
        position = 0;
        filled = chunk;
        return 1;
    }

    File& file;
    int32_t remaining;
    int32_t position = 0;
    int32_t filled = 0;
    uint8_t buffer[4096];
};
