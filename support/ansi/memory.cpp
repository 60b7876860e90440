#include "ansi/memory.h"

#include <cstdlib>

#include "ansi/file.h"
#include "misc.h"
#include "xsystem.h"

void* xAlloc(size_t size, const char* sourceFile, int32_t line) {
    // A zero-byte request still gets a block of its own.
    void* block = std::malloc(size ? size : 1);
    if (!block) FatalStop("Out of memory. In file %s on line %ld", sourceFile, line);
    return block;
}

int xFree(void* block) {
    std::free(block);
    return 1;
}

void FatalStop(const char*, const char*, int32_t) {
    xExit();
    // At once: static destructors must not run on objects xExit has already freed.
    std::_Exit(-1);
}

MemoryManager::MemoryManager() : totalBytes(0) {}

MemoryManager::~MemoryManager() {
    WriteLeakReportToLog();
    FreeAll();
    entries.Clear();
}

void* MemoryManager::Allocate(size_t size, const char*, int32_t) { return std::malloc(size); }

int MemoryManager::Free(void* block, const char*, int32_t) {
    for (bool more = entries.First(); more; more = entries.Next()) {
        MemoryEntry* entry = static_cast<MemoryEntry*>(entries.Current());
        if (entry->address == uint32_t(reinterpret_cast<uintptr_t>(block))) {
            totalBytes -= entry->size;
            entries.FreeCurrentItem();
            entries.Remove(1);
            break;
        }
    }
    std::free(block);
    return 1;
}

int MemoryManager::Check(void*) { return SetError(ERR_NOT_IMPLEMENTED, __FILE__, __LINE__); }

int MemoryManager::FreeAll() {
    while (entries.First()) {
        MemoryEntry* entry = static_cast<MemoryEntry*>(entries.Current());
        if (!entry) {
            entries.Remove(1);
            continue;
        }
        // Entries only name their blocks; the blocks themselves belong to the heap.
        totalBytes -= entry->size;
        entries.FreeCurrentItem();
        entries.Remove(1);
    }
    return 1;
}

void MemoryManager::AddEntry(const char* sourceFile, int32_t line, uint32_t address,
                             int32_t size) {
    MemoryEntry* entry = static_cast<MemoryEntry*>(XALLOC(sizeof(MemoryEntry)));
    entry->sourceFile = sourceFile;
    entry->line = line;
    entry->address = address;
    entry->size = size;
    if (!entries.AddBack(entry)) {
        xFree(entry);
        return;
    }
    totalBytes += size;
}

int32_t MemoryManager::PageTotal() {
    int32_t total = 0;
    for (bool more = entries.First(); more; more = entries.Next()) {
        const MemoryEntry* entry = static_cast<const MemoryEntry*>(entries.Current());
        int32_t pages = entry->size / 4096;
        total += (pages > 0 ? pages : 1) * 4096;
    }
    return total;
}

namespace {

const char* EntryFile(const MemoryEntry* entry) {
    return entry->sourceFile ? entry->sourceFile : "<File info missing>";
}

}  // namespace

void MemoryManager::WriteLeakReportToLog() {
    if (entries.Count() == 0) return;
    const char* rule = "+-----+----------+----------+----------+----------->\n";
    LogRaw("\n------------ Memory leaked ------------\n\n");
    LogRaw("%s", rule);
    LogRaw("| Nr. | Adress   | Size     | Line nr  | Allocated in file\n");
    LogRaw("%s", rule);
    int number = 0;
    for (bool more = entries.First(); more; more = entries.Next(), ++number) {
        const MemoryEntry* entry = static_cast<const MemoryEntry*>(entries.Current());
        LogRaw("| %3d | %8lx | %8ld | %8ld | %s\n", number, (unsigned long)entry->address,
               long(entry->size), long(entry->line), EntryFile(entry));
    }
    LogRaw("%s", rule);
    LogRaw("| %3d |        0 | %8ld |          |\n", int(entries.Count()), long(totalBytes));
    LogRaw("+-----+----------+----------+----------+\n");
    LogRaw("%s", rule);
    LogRaw("| XXX |        0 | %8ld |          |\n", long(PageTotal()));
    LogRaw("+-----+----------+----------+----------+\n");
}

int MemoryManager::WriteReport(const char* fileName) {
    File file;
    if (!file.Open(fileName, FILE_WRITE)) return 0;
    const char* rule = "+------+----------+----------+----------+----------->\n";
    int ok = file.Printf("%s", rule) &&
             file.Printf("| Nr.  | Adress   | Size     | Line nr  | Allocated in file\n") &&
             file.Printf("%s", rule);
    int number = 0;
    for (bool more = entries.First(); ok && more; more = entries.Next(), ++number) {
        const MemoryEntry* entry = static_cast<const MemoryEntry*>(entries.Current());
        ok = file.Printf("| %4d | %8lx | %8ld | %8ld | %s\n", number,
                         (unsigned long)entry->address, long(entry->size), long(entry->line),
                         EntryFile(entry));
    }
    ok = ok && file.Printf("%s", rule) &&
         file.Printf("| %4d |        0 | %8ld |          |\n", int(entries.Count()),
                     long(totalBytes)) &&
         file.Printf("|   -  |        0 | %8ld |          |\n", long(PageTotal())) &&
         file.Printf("+------+----------+----------+----------+\n");
    file.Close();
    return ok ? 1 : 0;
}
