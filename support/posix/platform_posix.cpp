// POSIX implementation of the platform interface: lets the portable code build and
// run natively, where the unit tests live, and runs the XScreenSaver module. Its window
// system is X, for the OpenGL screen's window alone (posix/xwindow_posix); the keyboard,
// the pointer and the screen's keeping are the XScreenSaver daemon's, so there are no
// window classes and no screensaver host (SaverHost() is null).
#include "platform.h"

#include "misc.h"
#include "posix/input_posix.h"
#include "posix/platform_posix.h"
#include "posix/xwindow_posix.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string commandLine;

// The program's own path: argv[0] may be a bare name found on PATH.
std::string ProgramPath(const std::string& fallback) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return fallback;
    path[length] = 0;
    return path;
}

// Rebuilds a Windows-style command line from argv: the program's own path, quoted when
// it holds a space, and the arguments joined by single spaces.
const char* PosixCommandLine() {
    if (!commandLine.empty()) return commandLine.c_str();
    FILE* f = std::fopen("/proc/self/cmdline", "rb");
    if (!f) return "";
    std::string raw;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) raw.append(chunk, got);
    std::fclose(f);
    size_t start = 0;
    bool first = true;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        std::string word = raw.substr(start, end - start);
        if (first) word = ProgramPath(word);
        if (!first) commandLine += ' ';
        if (first && word.find(' ') != std::string::npos)
            commandLine += '"' + word + '"';
        else
            commandLine += word;
        first = false;
        start = end + 1;
    }
    return commandLine.c_str();
}

int PosixCounterFrequency(int64_t* countsPerSecond) {
    *countsPerSecond = 1000000000;
    return 1;
}

int PosixCounterValue(int64_t* count) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    *count = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    return 1;
}

uint32_t PosixMilliseconds() {
    int64_t count;
    PosixCounterValue(&count);
    return uint32_t(count / 1000000);
}

void PosixSleep(uint32_t milliseconds) {
    timespec wait{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void PosixWaitPrecisely(uint32_t microseconds) {
    timespec wait{time_t(microseconds / 1000000), long(microseconds % 1000000) * 1000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void PosixEndPreciseWaits() {}

void PosixWaitForMessages(uint32_t milliseconds) {
    WaitForXEvents(milliseconds);
}

// X tells no refresh rate without its RandR extension: the display is taken as 60 Hz.
int32_t PosixDisplayRefreshRate() {
    return 0;
}

// The module's frame rate is XScreenSaver's -delay, battery or not.
int PosixOnBattery() {
    return 0;
}

int errorsShown;

// A module has no dialogs: its standard error is where the XScreenSaver daemon shows
// what it says.
void PosixMessageBox(WindowHandle, const char* text, const char* caption) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    if (std::strcmp(caption, "Error") == 0) ++errorsShown;
}

int PosixGetCurrentDirectory(char* buffer, int size) {
    return size > 0 && getcwd(buffer, size_t(size)) != nullptr;
}

int PosixSetCurrentDirectory(const char* path) { return chdir(path) == 0; }

int PosixCreateDirectory(const char* path) { return mkdir(path, 0777) == 0; }

int32_t PosixLastError() { return errno; }

// The XDG base directory for configuration, else ~/.config; every missing level is made
// (the new ones readable by the user alone, as the XDG base directory rules ask).
int PosixUserDirectory(char* buffer, int size) {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    std::string path;
    if (base && base[0] == '/') {
        path = base;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') return 0;
        path = std::string(home) + "/.config";
    }
    path += "/novadrift/";
    if (path.size() >= size_t(size)) return 0;
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return 0;
    }
    struct stat made;
    if (stat(path.c_str(), &made) != 0 || !S_ISDIR(made.st_mode)) return 0;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

int PosixIsDirectoryWritable(const char* path) { return access(path, W_OK) == 0; }

// No window classes on X: they always register.
int PosixRegisterWindowClass(const char*) { return 1; }

void PosixUnregisterWindowClass(const char*) {}

// The X window's events and the quit signals are the message queue; the run's end is
// logged in the words of the Win32 build's quit message.
int PosixPumpMessages() {
    if (PumpXWindowEvents()) return 1;
    LogMessage(LOG_EXIT, "WM_QUIT rescived\n");
    return 0;
}

int PosixWindowOuterSize(WindowHandle, int32_t*, int32_t*) {
    return 0;
}

// The one machine-wide setting read, "DataPath" under "SOFTWARE\<name>", is the shipped
// data of an installed copy: share/<name in lower case>/ beside the program's folder (a
// build tree: bin/ and share/) or one level up (the package: /usr/libexec/xscreensaver/
// and /usr/share/). The key counts as missing when neither holds the shipped gui.cfg.
int PosixReadMachineSetting(const char* key, const char* value, char* buffer, int size) {
    if (std::strcmp(value, "DataPath") != 0) return 0;
    const char* name = std::strrchr(key, '\\');
    name = name ? name + 1 : key;
    std::string folder;
    for (const char* c = name; *c; ++c)
        folder += char(std::tolower(static_cast<unsigned char>(*c)));
    char program[300];
    ExecutableDirectory(program, sizeof program);
    if (!program[0]) return -1;
    for (const char* up : {"../share/", "../../share/"}) {
        std::string data = std::string(program) + up + folder;
        struct stat found;
        if (stat((data + "/gui.cfg").c_str(), &found) != 0 || !S_ISREG(found.st_mode)) continue;
        if (data.size() >= size_t(size)) return 0;
        std::memcpy(buffer, data.c_str(), data.size() + 1);
        return 1;
    }
    return -1;
}

int PosixReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

void* PosixLoadLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* PosixFindSymbol(void* library, const char* name) { return dlsym(library, name); }

void PosixFreeLibrary(void* library) { dlclose(library); }

PlatformServices MakePosixServices() {
    PlatformServices services = {};
    services.commandLine = PosixCommandLine;
    services.counterFrequency = PosixCounterFrequency;
    services.counterValue = PosixCounterValue;
    services.milliseconds = PosixMilliseconds;
    services.tickCount = PosixMilliseconds;
    services.sleep = PosixSleep;
    services.waitPrecisely = PosixWaitPrecisely;
    services.endPreciseWaits = PosixEndPreciseWaits;
    services.waitForMessages = PosixWaitForMessages;
    services.displayRefreshRate = PosixDisplayRefreshRate;
    services.onBattery = PosixOnBattery;
    services.messageBox = PosixMessageBox;
    services.getCurrentDirectory = PosixGetCurrentDirectory;
    services.setCurrentDirectory = PosixSetCurrentDirectory;
    services.createDirectory = PosixCreateDirectory;
    services.lastError = PosixLastError;
    services.userDirectory = PosixUserDirectory;
    services.isDirectoryWritable = PosixIsDirectoryWritable;
    services.registerWindowClass = PosixRegisterWindowClass;
    services.unregisterWindowClass = PosixUnregisterWindowClass;
    services.pumpMessages = PosixPumpMessages;
    services.windowOuterSize = PosixWindowOuterSize;
    services.readMachineSetting = PosixReadMachineSetting;
    services.setCursorPosition = PosixSetCursorPosition;
    services.unclipCursor = PosixUnclipCursor;
    services.showCursor = PosixShowCursor;
    services.replaceFile = PosixReplaceFile;
    services.loadLibrary = PosixLoadLibrary;
    services.findSymbol = PosixFindSymbol;
    services.freeLibrary = PosixFreeLibrary;
    return services;
}

const PlatformServices posixServices = MakePosixServices();

PlatformServices services = posixServices;

}  // namespace

int PosixErrorsShown() {
    return errorsShown;
}

PlatformServices& Platform() { return services; }

ScreensaverHost*& SaverHost() {
    static ScreensaverHost* none = nullptr;
    return none;
}

const PlatformServices& NativePlatform() {
    return posixServices;
}
