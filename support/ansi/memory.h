// Tracked allocation. Every dynamic block of the program comes from xAlloc, which
// names the requesting source file and line and stops the program in order when the
// heap is exhausted, so no caller ever sees a null block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "llist.h"

void* xAlloc(size_t size, const char* sourceFile, int32_t line);
int xFree(void* block);
// Releases the system objects (xExit) and ends the process with exit code -1.
[[noreturn]] void FatalStop(const char* format, const char* sourceFile, int32_t line);

#define XALLOC(size) xAlloc((size), __FILE__, __LINE__)

// Creates an object in an xAlloc block; XDELETE runs its destructor and frees it.
#define XNEW(Type, ...) (new (XALLOC(sizeof(Type))) Type(__VA_ARGS__))
template <typename T>
void XDelete(T* object) {
    if (!object) return;
    object->~T();
    xFree(object);
}
#define XDELETE(object) XDelete(object)

struct MemoryEntry {
    const char* sourceFile;
    int32_t line;
    uint32_t address;
    int32_t size;
};

class MemoryManagerBase {
public:
    virtual void* Allocate(size_t size, const char* sourceFile, int32_t line) = 0;
    virtual int Free(void* block, const char* sourceFile, int32_t line) = 0;
    virtual int Check(void* block) = 0;
    virtual int FreeAll() = 0;
    virtual int32_t AllocatedBytes() = 0;
    virtual int WriteReport(const char* fileName) = 0;
    virtual ~MemoryManagerBase() {}
};

// The allocation path records nothing, so the entry list stays empty in normal runs;
// the reports cover whatever entries are there.
class MemoryManager : public MemoryManagerBase {
public:
    MemoryManager();
    ~MemoryManager() override;

    void* Allocate(size_t size, const char* sourceFile, int32_t line) override;
    int Free(void* block, const char* sourceFile, int32_t line) override;
    int Check(void* block) override;
    int FreeAll() override;
    int32_t AllocatedBytes() override { return totalBytes; }
    int WriteReport(const char* fileName) override;

    // Records an entry; the reports list it. The accounting interface of the library.
    void AddEntry(const char* sourceFile, int32_t line, uint32_t address, int32_t size);
    LList& Entries() { return entries; }

    // Sum of the entries' sizes rounded down to 4096-byte pages, at least one page each.
    int32_t PageTotal();
    void WriteLeakReportToLog();

private:
    int32_t totalBytes;
    LList entries;
};
