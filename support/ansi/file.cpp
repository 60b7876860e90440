#include "ansi/file.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <ctime>

#include "misc.h"
#include "platform.h"
#include "xdirs.h"

namespace {

const uint8_t kLittleEndianMarker = 0x20;
const uint8_t kBigEndianMarker = 0x40;
const int kPrintfBufferSize = 10001;

void Reverse(uint8_t* bytes, int32_t size) {
    for (int32_t i = 0; i < size / 2; ++i) {
        uint8_t t = bytes[i];
        bytes[i] = bytes[size - 1 - i];
        bytes[size - 1 - i] = t;
    }
}

}  // namespace

File::File()
    : stream(nullptr), nativeOrder(kLittleEndianMarker), swap(0), windowBase(0), windowLength(0) {
    name[0] = 0;
}

File::~File() { Close(); }

int DatedFileName(const char* path, char* result, int size) {
    if (!result || size <= 0) return 0;
    const char* dot = std::strrchr(path, '.');
    size_t stemLength = dot ? size_t(dot - path) : std::strlen(path);
    const char* extension = dot ? dot : "";
    char stem[FILE_NAME_SIZE];
    if (stemLength >= sizeof stem) stemLength = sizeof stem - 1;
    std::memcpy(stem, path, stemLength);
    stem[stemLength] = 0;
    time_t now = std::time(nullptr);
    tm* date = std::localtime(&now);
    for (long n = 1; n <= FILE_DATED_NAME_TRIES; ++n) {
        std::snprintf(result, size_t(size), "%s%04ld-%02ld-%02ld_%02ld%s", stem,
                      long(date->tm_year + 1900), long(date->tm_mon + 1), long(date->tm_mday), n,
                      extension);
        if (!FileExists(result)) return 1;
    }
    return 0;
}

int File::Open(const char* path, int flags) {
    Close();
    const char* mode;
    const char* word;
    bool writes = false;
    if (flags & FILE_READ) {
        mode = "rb";
        word = "read";
    } else if (flags & FILE_WRITE) {
        mode = "wb";
        word = "write";
        writes = true;
    } else if (flags & FILE_READWRITE) {
        mode = "rb+";
        word = "read and write";
        writes = true;
    } else if (flags & FILE_APPEND) {
        mode = "a+";
        word = "append";
    } else {
        return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    }
    if (flags & FILE_LITTLE_ENDIAN)
        swap = nativeOrder != kLittleEndianMarker;
    else if (flags & FILE_BIG_ENDIAN)
        swap = nativeOrder != kBigEndianMarker;
    else
        swap = 0;

    if (flags & FILE_DATED_NAME) {
        if (!DatedFileName(path, name, sizeof name)) return 0;
    } else {
        std::snprintf(name, sizeof name, "%s", path);
    }
    stream = std::fopen(name, mode);
    if (!stream && (flags & FILE_CREATE_DIRS) && writes) {
        if (!xCreateDirsForFile(name)) return 0;
        stream = std::fopen(name, mode);
    }
    if (!stream) {
        if (flags & FILE_QUIET) return 0;
        return SetErrorText("Unable to open file \"%s\" with %s access", name, word);
    }
    windowBase = 0;
    windowLength = 0;
    return 1;
}

int File::Read(void* buffer, int32_t count) {
    if (!stream || count < 0) return SetError(ERR_READ, __FILE__, __LINE__);
    size_t got = std::fread(buffer, 1, size_t(count), stream);
    if (got == size_t(count)) return 1;
    if (std::feof(stream)) return SetError(ERR_END_OF_FILE, __FILE__, __LINE__);
    return SetError(ERR_READ, __FILE__, __LINE__);
}

int File::SetWindow(int32_t base, int32_t length) {
    windowBase = base;
    windowLength = length;
    return 1;
}

int File::Write(const void* buffer, int32_t count) {
    if (!stream || count < 0) return SetError(ERR_WRITE, __FILE__, __LINE__);
    if (std::fwrite(buffer, 1, size_t(count), stream) != size_t(count))
        return SetError(ERR_WRITE, __FILE__, __LINE__);
    return 1;
}

int File::ReadByte(uint8_t* value) {
    if (!stream) return SetError(ERR_READ, __FILE__, __LINE__);
    int c = std::fgetc(stream);
    if (c != EOF) {
        *value = uint8_t(c);
        return 1;
    }
    if (std::feof(stream)) return 0;
    return SetError(ERR_READ, __FILE__, __LINE__);
}

int File::WriteByte(uint8_t value) {
    if (!stream || std::fputc(value, stream) == EOF) return SetError(ERR_WRITE, __FILE__, __LINE__);
    return 1;
}

int File::ReadSwapped(void* value, int32_t size) {
    if (!Read(value, size)) return 0;
    if (swap) Reverse(static_cast<uint8_t*>(value), size);
    return 1;
}

int File::WriteSwapped(const void* value, int32_t size) {
    uint8_t copy[8];
    std::memcpy(copy, value, size_t(size));
    if (swap) Reverse(copy, size);
    return Write(copy, size);
}

int File::ReadWord(int16_t* value) { return ReadSwapped(value, 2); }
int File::WriteWord(int16_t value) { return WriteSwapped(&value, 2); }
int File::ReadLong(int32_t* value) { return ReadSwapped(value, 4); }
int File::WriteLong(int32_t value) { return WriteSwapped(&value, 4); }
int File::ReadFloat(float* value) { return ReadSwapped(value, 4); }
int File::WriteFloat(float value) { return WriteSwapped(&value, 4); }
int File::ReadDouble(double* value) { return ReadSwapped(value, 8); }
int File::WriteDouble(double value) { return WriteSwapped(&value, 8); }

int File::Seek(int32_t offset, int how) {
    if (!stream) return SetError(ERR_SEEK, __FILE__, __LINE__);
    bool absolute = (how & SEEK_ABSOLUTE) != 0;
    long target;
    int origin;
    if (how & SEEK_FROM_WINDOW) {
        target = absolute ? long(offset) : long(offset) + windowBase;
        origin = SEEK_SET;
    } else if (how & SEEK_FROM_CURRENT) {
        target = offset;
        origin = SEEK_CUR;
    } else if (how & SEEK_FROM_END) {
        if (windowLength == 0 || absolute) {
            target = offset;
            origin = SEEK_END;
        } else {
            target = long(offset) + windowLength + windowBase;
            origin = SEEK_SET;
        }
    } else {
        return SetError(ERR_SEEK, __FILE__, __LINE__);
    }
    if (origin == SEEK_SET && target < 0) return SetError(ERR_SEEK, __FILE__, __LINE__);
    if (std::fseek(stream, target, origin) != 0) return SetError(ERR_SEEK, __FILE__, __LINE__);
    return 1;
}

int File::Tell(int32_t* position, int how) {
    if (!stream) return SetError(ERR_TELL, __FILE__, __LINE__);
    long here = std::ftell(stream);
    if (here < 0) return SetError(ERR_TELL, __FILE__, __LINE__);
    *position = int32_t((how & SEEK_ABSOLUTE) ? here : here - windowBase);
    return 1;
}

int File::Length(int32_t* length) {
    int32_t here;
    if (!Tell(&here, SEEK_FROM_WINDOW)) return 0;
    if (!Seek(0, SEEK_FROM_END)) return 0;
    if (!Tell(length, SEEK_FROM_WINDOW)) return 0;
    return Seek(here, SEEK_FROM_WINDOW);
}

int File::ReadLine(char* buffer, int size) {
    if (!stream || size <= 0) return 0;
    int stored = 0;
    bool readAny = false;
    while (stored < size - 1) {
        int c = std::fgetc(stream);
        if (c == EOF) break;
        readAny = true;
        if (c == 0) break;
        buffer[stored++] = char(c);
        if (c == '\n' || c == '\r') break;
    }
    buffer[stored] = 0;
    if (!readAny) return 0;
    return stored + 1;
}

int File::Printf(const char* format, ...) {
    // Text over 10000 characters is refused with a fixed notice; the buffer holds all
    // text below that.
    static char text[kPrintfBufferSize + 1];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return SetError(ERR_WRITE, __FILE__, __LINE__);
    if (length > 10000) {
        std::strcpy(text, "**** STRING TO LONG ****\n");
        length = int(std::strlen(text));
    }
    return Write(text, length);
}

int File::Close() {
    if (!stream) return 1;
    int ok = std::fclose(stream) == 0;
    stream = nullptr;
    return ok;
}

int FileExists(const char* path) {
    if (!path || !*path) return 0;
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
}

int FileDelete(const char* path) {
    if (std::remove(path) == 0) return 1;
    if (errno == EACCES || errno == EPERM || errno == EROFS)
        return SetError(ERR_READ_ONLY, __FILE__, __LINE__);
    return SetError(ERR_DELETE, __FILE__, __LINE__);
}

int FileRename(const char* newPath, const char* oldPath) {
    if (!FileExists(oldPath)) {
        // A directory cannot be opened for reading but may still be renamed.
        if (std::rename(oldPath, newPath) == 0) return 1;
        return SetError(ERR_FILE_NOT_FOUND, __FILE__, __LINE__);
    }
    if (std::rename(oldPath, newPath) == 0) return 1;
    return SetError(ERR_RENAME, __FILE__, __LINE__);
}

int TemporarySavePath(const char* path, char* temporary, int size) {
    int length = std::snprintf(temporary, size_t(size), "%s.tmp", path);
    if (length < 0 || length >= size) return SetErrorText("Path too long : %s", path);
    return 1;
}

int CommitSavedFile(const char* temporary, const char* path, int writesSucceeded) {
    if (writesSucceeded && Platform().replaceFile(temporary, path)) return 1;
    std::remove(temporary);
    if (writesSucceeded) return SetErrorText("Unable to replace %s", path);
    return 0;
}
