// Log, error state and clock.
#include "misc.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform.h"
#include "userfiles.h"

// ---------------------------------------------------------------------------------------
// Log

namespace {

const int kLogPathSize = 300;
const int kLogLineSize = 5000;

unsigned char logSwitch = 1;
unsigned char logFirstWrite = 1;
char logPath[kLogPathSize];

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Builds the log path once per run and removes the previous run's log. The log is the
// user's, beside their settings: beside the installed program a standard user could
// not write it, and every user would share one.
void PrepareLogFile() {
    // No room for the name: the working directory rather than a cut path.
    if (!UserFilePath(LOG_FILE_NAME, logPath, kLogPathSize))
        std::snprintf(logPath, kLogPathSize, "%s", LOG_FILE_NAME);
    std::remove(logPath);
    logFirstWrite = 0;
}

void WriteLogText(const char* text) {
    if (logFirstWrite) PrepareLogFile();
    FILE* file = std::fopen(logPath, "a+");
    if (!file) return;
    std::fwrite(text, 1, std::strlen(text), file);
    std::fclose(file);
}

// A line cut to its buffer still ends the line its format ended, so the next entry
// starts a line of its own.
void KeepLineEnd(char* buffer, size_t size, int written, const char* format) {
    size_t length = std::strlen(format);
    if (written < int(size) || length == 0 || format[length - 1] != '\n') return;
    buffer[size - 2] = '\n';
}

// The caller's format and arguments into text, cut to the buffer with the line end
// kept.
void FormatLogText(char* text, size_t size, const char* format, va_list args) {
    const int written = std::vsnprintf(text, size, format, args);
    KeepLineEnd(text, size, written, format);
}

const char* LogLabel(int kind) {
    switch (kind) {
        case LOG_INIT: return "INIT";
        case LOG_EXIT: return "EXIT";
        case LOG_WARNING: return "WARNING";
        case LOG_SCREEN: return "SCREEN";
        default: return "";
    }
}

}  // namespace

int LogMessage(int kind, const char* format, ...) {
    if (logSwitch != 1) return 0;
    // The caller's text is formatted on its own first, so a cut never splits a
    // conversion of the caller's format.
    char text[kLogLineSize];
    va_list args;
    va_start(args, format);
    FormatLogText(text, sizeof text, format, args);
    va_end(args);
    char line[kLogLineSize];
    // A line longer than the buffer is cut at its end.
    const int written = std::snprintf(line, sizeof line, "%5.3f : %s : %s", TimerSeconds(), LogLabel(kind),
                            text);
    if (written < 0) return 0;
    KeepLineEnd(line, sizeof line, written, text);
    WriteLogText(line);
    return 1;
}

void LogRaw(const char* format, ...) {
    char text[kLogLineSize];
    va_list args;
    va_start(args, format);
    FormatLogText(text, sizeof text, format, args);
    va_end(args);
    WriteLogText(text);
}

void SetLogSwitch(int on) { logSwitch = on ? 1 : 0; }

void ResetLogFile() {
    logFirstWrite = 1;
    logPath[0] = 0;
}

const char* LogFilePath() { return logPath; }

void ExecutableDirectoryFromCommandLine(const char* commandLine, char* directory, int size) {
    if (size <= 0) return;
    directory[0] = 0;
    if (!commandLine) return;
    const char* start = commandLine;
    char end = ' ';
    if (*start == '"') {
        ++start;
        end = '"';
    }
    int length = 0;
    while (start[length] && start[length] != end) ++length;
    // A program path that does not fit has no usable directory: cutting it would name
    // some other directory.
    if (length > size - 1) return;
    std::memcpy(directory, start, size_t(length));
    directory[length] = 0;
    // Windows accepts both separators in a program path; a path started as
    // "dir/Novadrift.scr" still has a directory.
    int cut = -1;
    for (int i = 0; i < length; ++i)
        if (IsSeparator(directory[i])) cut = i;
    directory[cut + 1] = 0;
}

void ExecutableDirectory(char* directory, int size) {
    ExecutableDirectoryFromCommandLine(Platform().commandLine(), directory, size);
}

// ---------------------------------------------------------------------------------------
// Error state

namespace {

const char* const errorTable[ERROR_TABLE_SIZE] = {
    "No error",
    "Function not implemented yet!",
    "One or more of the arguments passed to the function are incorrect",
    "Unable to open file",
    "End of file reached",
    "Read error",
    "Write error",
    "Seek error",
    "Unable to get the position in the file",
    "File is read only",
    "Unable to delete file",
    "File or path not found",
    "Unable to rename file/dir",
    "Out of memory",
    "Memory entry not found",
    "The overflow bytes have been changed!",
    "Unable to start the sound system",
    "Specified output format not supported",
    "Audio device is already in use",
    "Not a wave file",
    "Unable to find the specified sample name",
    "Invalid channel",
    "Unable to play the sound(s)!",
    "Unknown/unsupported picture format",
};

int32_t errorCode;
char errorText[ERROR_TEXT_SIZE];
const char* errorFile;
int32_t errorLine;

}  // namespace

const char* ErrorTableText(int code) {
    if (code < 0 || code >= ERROR_TABLE_SIZE) return "";
    return errorTable[code];
}

int SetError(int code, const char* sourceFile, int32_t line) {
    errorCode = code;
    std::snprintf(errorText, sizeof errorText, "%s", ErrorTableText(code));
    errorFile = sourceFile;
    errorLine = line;
    LogRaw("Error : %s in %s (%ld)\n", errorText, sourceFile ? sourceFile : "", long(line));
    return 0;
}

int SetErrorText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof errorText, format, args);
    va_end(args);
    errorCode = -1;
    errorFile = nullptr;
    errorLine = 0;
    LogRaw("Error : %s\n", errorText);
    return 0;
}

int ClearError() {
    errorCode = 0;
    errorFile = nullptr;
    errorLine = 0;
    errorText[0] = 0;
    return 0;
}

int32_t GetErrorCode() { return errorCode; }

bool GetErrorMessage(char* buffer, int size) {
    if (errorCode == 0 || size <= 0) return false;
    // Long texts are cut to the caller's buffer.
    int written;
    if (errorFile)
        written = std::snprintf(buffer, size_t(size), "Error in : %s\nOn line : %ld\n\n%s",
                                errorFile, long(errorLine), errorText);
    else
        written = std::snprintf(buffer, size_t(size), "%s", errorText);
    if (written < 0) buffer[0] = 0;
    return true;
}

int ShowLastError() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return 0;
    Platform().messageBox(0, message, "Error");
    ClearError();
    return 1;
}

// ---------------------------------------------------------------------------------------
// Text

int SameTextIgnoringCase(const char* a, const char* b) {
    if (!a || !b) return 0;
    for (;; ++a, ++b) {
        int x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return 0;
        if (!x) return 1;
    }
}

// ---------------------------------------------------------------------------------------
// Clock

namespace {

unsigned char highResolution;
int64_t frequency;
double period;
int64_t startCount;
uint32_t startMilliseconds;

}  // namespace

void TimerInit() {
    highResolution = 0;
    frequency = 0;
    period = 0;
    startCount = 0;
    startMilliseconds = 0;
    int64_t countsPerSecond = 0;
    if (Platform().counterFrequency(&countsPerSecond) && countsPerSecond > 0) {
        Platform().counterValue(&startCount);
        frequency = countsPerSecond;
        period = 1.0 / double(countsPerSecond);
        highResolution = 1;
    } else {
        startMilliseconds = Platform().milliseconds();
        period = 0.001;
        frequency = 1000;
    }
}

double TimerSeconds() {
    if (highResolution) {
        int64_t now = 0;
        Platform().counterValue(&now);
        return double(now - startCount) * period;
    }
    uint32_t elapsed = Platform().milliseconds() - startMilliseconds;
    return double(int64_t(elapsed)) * period;
}

int64_t TimerMilliseconds() { return int64_t(TimerSeconds() * 1000.0); }
