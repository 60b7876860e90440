// File: typed binary file access over the standard buffered stream, with optional
// byte swapping, a movable window (base offset and length) for container formats and
// every failure recorded in the program's error state.
#pragma once

#include <cstdint>
#include <cstdio>

enum FileFlags {
    FILE_READ = 0x1,
    FILE_WRITE = 0x2,
    FILE_READWRITE = 0x4,
    FILE_APPEND = 0x8,
    FILE_LITTLE_ENDIAN = 0x20,
    FILE_BIG_ENDIAN = 0x40,
    FILE_CREATE_DIRS = 0x100,
    FILE_QUIET = 0x200,
    FILE_DATED_NAME = 0x400,
};

enum SeekFlags {
    SEEK_FROM_WINDOW = 0x1,
    SEEK_FROM_CURRENT = 0x2,
    SEEK_FROM_END = 0x4,
    SEEK_ABSOLUTE = 0x80,
};

#define FILE_NAME_SIZE 300
#define FILE_DATED_NAME_TRIES 501

class File {
public:
    File();
    virtual ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    virtual int Open(const char* path, int flags);
    virtual int Read(void* buffer, int32_t count);
    virtual int SetWindow(int32_t base, int32_t length);
    virtual int Write(const void* buffer, int32_t count);
    virtual int ReadByte(uint8_t* value);
    virtual int WriteByte(uint8_t value);
    virtual int ReadWord(int16_t* value);
    virtual int WriteWord(int16_t value);
    virtual int ReadLong(int32_t* value);
    virtual int WriteLong(int32_t value);
    virtual int ReadFloat(float* value);
    virtual int WriteFloat(float value);
    virtual int ReadDouble(double* value);
    virtual int WriteDouble(double value);
    virtual int Seek(int32_t offset, int how);
    virtual int Tell(int32_t* position, int how);
    virtual int Length(int32_t* length);
    // Reads one line into buffer (which holds size bytes, cut lines end there);
    // returns the characters stored + 1, or 0 at the end of the file with nothing read.
    virtual int ReadLine(char* buffer, int size);
    virtual int Printf(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    virtual int Close();

    bool IsOpen() const { return stream != nullptr; }
    // The name opened last; for a dated name, the variant that was chosen.
    const char* Name() const { return name; }
    bool Swaps() const { return swap != 0; }

protected:
    int ReadSwapped(void* value, int32_t size);
    int WriteSwapped(const void* value, int32_t size);

    FILE* stream;
    uint8_t nativeOrder;
    uint8_t swap;
    int32_t windowBase;
    int32_t windowLength;
    char name[FILE_NAME_SIZE];
};

int FileExists(const char* path);
int FileDelete(const char* path);
int FileRename(const char* newPath, const char* oldPath);
// A save that must not lose the file it replaces writes to TemporarySavePath first,
// then CommitSavedFile moves the finished file over the old one in one step (on
// failure the temporary file is removed and the old file stays as it was).
int TemporarySavePath(const char* path, char* temporary, int size);
int CommitSavedFile(const char* temporary, const char* path, int writesSucceeded);
// The first "<stem>YYYY-MM-DD_NN<ext>" for n = 1..501 that does not exist yet;
// 0 when all do.
int DatedFileName(const char* path, char* result, int size);
