// The first and last code of a run: global records, memory manager, global lists, the
// start banner and the argument words; then their release and the pending error.
#pragma once

#include <cstdint>

struct CommandWords {
    int32_t count;
    char** words;  // count + 1.. slots, unused ones null
};

// Splits on spaces only: tabs and quotes are ordinary characters. The array has
// length + 1 slots so no split can overflow it.
CommandWords SplitCommandLine(const char* text);
void FreeCommandWords(CommandWords* words);

extern uintptr_t appInstance;

// The application proper, given the argument words (the library does not know it: the
// program's entry point hands it over).
typedef int (*ApplicationMain)(int32_t count, char** words);

int StartupCode(uintptr_t instance, const char* commandText);
void ExitCode();
// The entry's body after the platform's own start: StartupCode, the application's main,
// ExitCode, end banner. Returns the main's result.
int RunApplication(uintptr_t instance, const char* commandText, ApplicationMain main);
// Writes "--- Application <verb> at : date time ---" with the local time.
void LogBanner(int kind, const char* verb);
