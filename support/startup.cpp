#include "startup.h"

#include <cstring>
#include <ctime>

#include "ansi/memory.h"
#include "misc.h"
#include "xsystem.h"

uintptr_t appInstance;

namespace {

CommandWords commandWords;

char* CopyWord(const char* start, size_t length) {
    char* word = static_cast<char*>(XALLOC(length + 1));
    std::memcpy(word, start, length);
    word[length] = 0;
    return word;
}

}  // namespace

CommandWords SplitCommandLine(const char* text) {
    CommandWords result{0, nullptr};
    size_t length = text ? std::strlen(text) : 0;
    result.words = static_cast<char**>(XALLOC((length + 1) * sizeof(char*)));
    for (size_t i = 0; i <= length; ++i) result.words[i] = nullptr;
    if (!text) return result;
    const char* cursor = text;
    while (*cursor) {
        if (*cursor == ' ') {
            ++cursor;
            continue;
        }
        const char* start = cursor;
        while (*cursor && *cursor != ' ') ++cursor;
        result.words[result.count++] = CopyWord(start, size_t(cursor - start));
    }
    return result;
}

void FreeCommandWords(CommandWords* words) {
    if (!words->words) return;
    for (int32_t i = 0; i < words->count; ++i) xFree(words->words[i]);
    xFree(words->words);
    words->words = nullptr;
    words->count = 0;
}

void LogBanner(int kind, const char* verb) {
    time_t now = std::time(nullptr);
    const tm* local = std::localtime(&now);
    LogMessage(kind, "--- Application %s at : %4ld-%02ld-%1ld %2ld:%02ld:%02ld ---\n", verb,
               long(local->tm_year + 1900), long(local->tm_mon + 1), long(local->tm_mday),
               long(local->tm_hour), long(local->tm_min), long(local->tm_sec));
}

int StartupCode(uintptr_t instance, const char* commandText) {
    glb = XNEW(AppGlobals);
    sglb = static_cast<SysGlobals*>(XALLOC(sizeof(SysGlobals)));
    std::memset(static_cast<void*>(sglb), 0, sizeof *sglb);
    appInstance = instance;
    glb->memoryManager = XNEW(MemoryManager);
    glb->pictureFormats = XNEW(LList);
    glb->screenList = XNEW(LList);
    LogBanner(LOG_INIT, "started");
    LogMessage(LOG_INIT, "StartupCode\n");
    commandWords = SplitCommandLine(commandText);
    return 1;
}

void ExitCode() {
    LogMessage(LOG_EXIT, "Entering ExitCode\n");
    ShowLastError();
    FreeCommandWords(&commandWords);
    if (glb) {
        XDELETE(glb->screenList);
        XDELETE(glb->pictureFormats);
        XDELETE(glb->callbackRegistry);
        XDELETE(glb->memoryManager);
        glb->~AppGlobals();
        xFree(glb);
    }
    xFree(sglb);
    glb = nullptr;
    sglb = nullptr;
}

int RunApplication(uintptr_t instance, const char* commandText, ApplicationMain main) {
    StartupCode(instance, commandText);
    int result = main(commandWords.count, commandWords.words);
    ExitCode();
    LogBanner(LOG_EXIT, "returned");
    return result;
}
