#include "xdirs.h"

#include <cstring>

#include "misc.h"
#include "platform.h"

namespace {

const int kPathSize = 1024;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The directory part of a path without its drive, with its trailing separator.
void DirectoryPart(const char* path, char* directory, int size) {
    if (path[0] && path[1] == ':') path += 2;
    int end = 0;
    for (int i = 0; path[i]; ++i)
        if (IsSeparator(path[i])) end = i + 1;
    if (end > size - 1) end = size - 1;
    std::memcpy(directory, path, size_t(end));
    directory[end] = 0;
}

int RestoreAndFail(const char* workingDirectory) {
    Platform().setCurrentDirectory(workingDirectory);
    return 0;
}

}  // namespace

int xCreateDirsForFile(const char* filePath) {
    char directory[kPathSize];
    DirectoryPart(filePath, directory, kPathSize);
    char workingDirectory[kPathSize];
    if (!Platform().getCurrentDirectory(workingDirectory, kPathSize))
        return SetErrorText("Unable to change dir %s.", directory);

    const char* cursor = directory;
    while (IsSeparator(*cursor)) ++cursor;
    char levels[kPathSize];
    int length = 0;
    while (*cursor) {
        if (length > 0) levels[length++] = '/';
        while (*cursor && !IsSeparator(*cursor) && length < kPathSize - 1)
            levels[length++] = *cursor++;
        levels[length] = 0;
        if (!Platform().setCurrentDirectory(levels)) {
            if (!Platform().createDirectory(levels)) {
                int32_t error = Platform().lastError();
                RestoreAndFail(workingDirectory);
                return SetErrorText("Unable to create dir %s. Errorcode: %ld", directory,
                                    long(error));
            }
            if (!Platform().setCurrentDirectory(levels)) {
                RestoreAndFail(workingDirectory);
                return SetErrorText("Unable to change dir %s.", directory);
            }
        }
        // Each level is named from the remembered directory, so go back to it.
        if (!Platform().setCurrentDirectory(workingDirectory))
            return SetErrorText("Unable to change dir %s.", directory);
        while (IsSeparator(*cursor)) ++cursor;
    }
    return 1;
}
