#include "test_support.h"

#include "ansi/memory.h"
#include "misc.h"
#include "userfiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

int scratchNumber;

std::string TempRoot() {
#ifdef _WIN32
    const char* temp = std::getenv("TEMP");
    return temp ? temp : ".";
#else
    return "/tmp";
#endif
}

void RemoveTree(const std::string& path) {
#ifdef _WIN32
    std::string command = "rmdir /s /q \"" + path + "\" >nul 2>nul";
#else
    std::string command = "rm -rf '" + path + "'";
#endif
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() : previous(CurrentDirectory()) {
    char name[64];
    std::snprintf(name, sizeof name, "/nd_test_%d_%d", int(::getpid()), ++scratchNumber);
    path = TempRoot() + name;
#ifdef _WIN32
    _mkdir(path.c_str());
    _chdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
    if (chdir(path.c_str()) != 0) std::perror("chdir");
#endif
}

ScratchDirectory::~ScratchDirectory() {
#ifdef _WIN32
    _chdir(previous.c_str());
#else
    if (chdir(previous.c_str()) != 0) std::perror("chdir");
#endif
    RemoveTree(path);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ReadTextFile(const std::string& path) {
    std::string text = ReadWholeFile(path);
    std::string result;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
    return result;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool DirectoryExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFDIR);
}

std::string CurrentDirectory() {
    char buffer[1024];
    Platform().getCurrentDirectory(buffer, sizeof buffer);
    return buffer;
}

namespace {

std::string scratchCommandLine;
const char* ScratchCommandLine() { return scratchCommandLine.c_str(); }

std::string scratchUserDirectory;
int ScratchUserDirectory(char* buffer, int size) {
    if (scratchUserDirectory.empty() || scratchUserDirectory.size() >= size_t(size)) return 0;
    std::memcpy(buffer, scratchUserDirectory.c_str(), scratchUserDirectory.size() + 1);
    return 1;
}

}  // namespace

ScratchLog::ScratchLog(const std::string& directory) : directory(directory) {
    SetUserDirectory(directory + "/");
    SetCommandLine("\"" + directory + "/Novadrift.scr\" /c");
    Platform().commandLine = ScratchCommandLine;
    Platform().userDirectory = ScratchUserDirectory;
}

ScratchLog::~ScratchLog() {
    Platform().commandLine = NativePlatform().commandLine;
    Platform().userDirectory = NativePlatform().userDirectory;
    ResetLogFile();
    ForgetUserFileDirectory();
    ClearError();
}

void ScratchLog::SetCommandLine(const std::string& commandLine) {
    scratchCommandLine = commandLine;
    ResetLogFile();
    ForgetUserFileDirectory();
}

void ScratchLog::SetUserDirectory(const std::string& path) {
    scratchUserDirectory = path;
    ResetLogFile();
    ForgetUserFileDirectory();
}

std::string ScratchLog::Text() const { return ReadTextFile(directory + "/Novadrift.log"); }

TestSystem::TestSystem()
    : previousGlb(glb), previousSglb(sglb), previousPlatform(Platform()) {
    glb = XNEW(AppGlobals);
    sglb = static_cast<SysGlobals*>(XALLOC(sizeof(SysGlobals)));
    std::memset(static_cast<void*>(sglb), 0, sizeof *sglb);
}

TestSystem::~TestSystem() {
    FreeMessageHandlerList();
    XDELETE(glb);
    xFree(sglb);
    glb = previousGlb;
    sglb = previousSglb;
    Platform() = previousPlatform;
}

namespace {

uint32_t fakeNow = 100000;
std::string sleeps;

int NoCounter(int64_t*) { return 0; }
uint32_t FakeMilliseconds() { return fakeNow; }
void FakeSleep(uint32_t milliseconds) {
    sleeps += std::to_string(milliseconds) + ",";
    fakeNow += milliseconds;
}

}  // namespace

std::vector<std::string> FakeSaverHost::closes;
int FakeSaverHost::passwordChecks, FakeSaverHost::passwordAnswer;
WindowHandle FakeSaverHost::foreground;

namespace {

ScreensaverHost fakeHost = {
    [](int32_t*, int32_t*) { return 0; },
    [](WindowHandle window) { FakeSaverHost::closes.push_back(std::to_string(window) + ":close"); },
    [](WindowHandle) {},
    [] { return FakeSaverHost::foreground; },
    [](WindowHandle) { return ++FakeSaverHost::passwordChecks, FakeSaverHost::passwordAnswer; },
    [](WindowHandle) {},
    []() -> WindowHandle { return 0; },
    [](WindowHandle, int) {},
    [](int, int32_t*) {},
    [](int) {}};

}  // namespace

FakeSaverHost::FakeSaverHost() : previous(SaverHost()) {
    closes.clear();
    passwordChecks = 0;
    passwordAnswer = 1;
    foreground = 0;
    SaverHost() = &fakeHost;
}

FakeSaverHost::~FakeSaverHost() {
    SaverHost() = previous;
}

FakeClock::FakeClock() {
    Platform().counterFrequency = NoCounter;
    Platform().counterValue = NoCounter;
    Platform().milliseconds = FakeMilliseconds;
    Platform().tickCount = FakeMilliseconds;
    Platform().sleep = FakeSleep;
    sleeps.clear();
}

FakeClock::~FakeClock() {
    const PlatformServices& native = NativePlatform();
    Platform().counterFrequency = native.counterFrequency;
    Platform().counterValue = native.counterValue;
    Platform().milliseconds = native.milliseconds;
    Platform().tickCount = native.tickCount;
    Platform().sleep = native.sleep;
}

void FakeClock::Advance(uint32_t milliseconds) { fakeNow += milliseconds; }
uint32_t FakeClock::Now() { return fakeNow; }
const std::string& FakeClock::Sleeps() { return sleeps; }
void FakeClock::ForgetSleeps() { sleeps.clear(); }
