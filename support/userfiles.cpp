#include "userfiles.h"

#include <cstdio>

#include "ansi/file.h"
#include "misc.h"
#include "platform.h"

namespace {

const int kDirectorySize = 300;

char userDirectory[kDirectorySize];
bool decided;

bool IsPortable(const char* programDirectory) {
    char guiConfig[kDirectorySize];
    int written = std::snprintf(guiConfig, sizeof guiConfig, "%sgui.cfg", programDirectory);
    if (written < 0 || written >= int(sizeof guiConfig)) return false;
    return FileExists(guiConfig) &&
           Platform().isDirectoryWritable(programDirectory[0] ? programDirectory : ".");
}

void Decide() {
    decided = true;
    char programDirectory[kDirectorySize];
    ExecutableDirectory(programDirectory, kDirectorySize);
    if (!IsPortable(programDirectory) && Platform().userDirectory(userDirectory, kDirectorySize))
        return;
    std::snprintf(userDirectory, sizeof userDirectory, "%s", programDirectory);
}

}  // namespace

const char* UserFileDirectory() {
    if (!decided) Decide();
    return userDirectory;
}

int UserFilePath(const char* name, char* path, int size) {
    if (size <= 0) return 0;
    int written = std::snprintf(path, size_t(size), "%s%s", UserFileDirectory(), name);
    if (written >= 0 && written < size) return 1;
    path[0] = 0;
    return 0;
}

void ForgetUserFileDirectory() {
    decided = false;
    userDirectory[0] = 0;
}
