// The services every part of the program uses from its first line on: the log file,
// the single last-error record with its fixed table of texts, and the program clock.
#pragma once

#include <cstdint>

enum LogKind { LOG_INIT = 1, LOG_EXIT = 2, LOG_WARNING = 3, LOG_SCREEN = 4 };

#define LOG_FILE_NAME "Novadrift.log"

// Appends one stamped, labelled line "%5.3f : %s : %s" to the log; only while the log
// switch is 1. Callers end their text with a newline.
int LogMessage(int kind, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Appends the formatted text unchanged; ignores the log switch.
void LogRaw(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void SetLogSwitch(int on);
// Makes the next write start a fresh log (the path is found again). Start of a run.
void ResetLogFile();
// The log's full path, built at the first write; empty before it.
const char* LogFilePath();

// The directory of a program path taken from a full command line, cut just after its
// last separator; empty when the path has none. Bounded by size.
void ExecutableDirectoryFromCommandLine(const char* commandLine, char* directory, int size);
// The same for this process's own command line.
void ExecutableDirectory(char* directory, int size);

// Error table codes; the numbering is fixed.
enum ErrorCode {
    ERR_NONE = 0,
    ERR_NOT_IMPLEMENTED = 1,
    ERR_BAD_ARGUMENTS = 2,
    ERR_OPEN_FILE = 3,
    ERR_END_OF_FILE = 4,
    ERR_READ = 5,
    ERR_WRITE = 6,
    ERR_SEEK = 7,
    ERR_TELL = 8,
    ERR_READ_ONLY = 9,
    ERR_DELETE = 10,
    ERR_FILE_NOT_FOUND = 11,
    ERR_RENAME = 12,
    ERR_OUT_OF_MEMORY = 13,
    ERR_MEMORY_ENTRY = 14,
    ERR_OVERFLOW_BYTES = 15,
    ERR_SOUND_START = 16,
    ERR_SOUND_FORMAT = 17,
    ERR_AUDIO_IN_USE = 18,
    ERR_NOT_WAVE = 19,
    ERR_SAMPLE_NAME = 20,
    ERR_CHANNEL = 21,
    ERR_PLAY = 22,
    ERR_PICTURE_FORMAT = 23,
    ERROR_TABLE_SIZE = 24,
};

#define ERROR_TEXT_SIZE 2048
#define ERROR_MESSAGE_SIZE 1000

const char* ErrorTableText(int code);
// Records a table error with the raising source file and line; returns 0.
int SetError(int code, const char* sourceFile, int32_t line);
// Records a formatted free-text error; returns 0.
int SetErrorText(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;
int ClearError();
int32_t GetErrorCode();
// Writes the pending error's message into buffer (at most size bytes, always
// terminated); false, buffer untouched, when no error is pending.
bool GetErrorMessage(char* buffer, int size = ERROR_MESSAGE_SIZE);
// Shows the pending error in the "Error" box and clears it; 0 when none was pending.
int ShowLastError();

// 1 when the two texts are equal, letters compared without regard to case (ASCII).
int SameTextIgnoringCase(const char* a, const char* b);

// Program clock: seconds since TimerInit; 0 before it.
void TimerInit();
double TimerSeconds();
int64_t TimerMilliseconds();
