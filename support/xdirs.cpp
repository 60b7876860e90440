#include "xdirs.h"

#include <cstring>

#include "misc.h"
#include "platform.h"

namespace {

const int kPathSize = 1024;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool HasDrive(const char* path) {
    return path[0] && path[1] == ':';
}

// The length of the root a path starts from: "X:\", "\\server\share\" or a leading
// separator; 0 for a path relative to the working directory ("X:name" is one too).
int RootLength(const char* path) {
    if (HasDrive(path)) return IsSeparator(path[2]) ? 3 : 0;
    if (!IsSeparator(path[0])) return 0;
    if (!IsSeparator(path[1])) return 1;
    int end = 2;
    for (int part = 0; part < 2 && path[end]; ++part) {
        while (path[end] && !IsSeparator(path[end])) ++end;
        if (path[end]) ++end;
    }
    return end;
}

// Where the directory part of a path ends: just after its last separator.
int DirectoryEnd(const char* path) {
    int end = 0;
    for (int i = 0; path[i]; ++i)
        if (IsSeparator(path[i])) end = i + 1;
    return end;
}

int RestoreAndFail(const char* workingDirectory) {
    Platform().setCurrentDirectory(workingDirectory);
    return 0;
}

}  // namespace

int xCreateDirsForFile(const char* filePath) {
    // The directory part without the drive, as the messages name it.
    const char* withoutDrive = HasDrive(filePath) ? filePath + 2 : filePath;
    char directory[kPathSize];
    int directoryLength = DirectoryEnd(withoutDrive);
    if (directoryLength > kPathSize - 1) directoryLength = kPathSize - 1;
    std::memcpy(directory, withoutDrive, size_t(directoryLength));
    directory[directoryLength] = 0;
    char workingDirectory[kPathSize];
    if (!Platform().getCurrentDirectory(workingDirectory, kPathSize))
        return SetErrorText("Unable to change dir %s.", directory);

    // A path with a root (the user's own folder) makes its levels below that root, any
    // other below the working directory.
    const int rootLength = RootLength(filePath);
    int end = DirectoryEnd(filePath);
    if (end > kPathSize - 1) end = kPathSize - 1;
    char levels[kPathSize];
    std::memcpy(levels, filePath, size_t(rootLength));
    int length = rootLength;
    int at = rootLength ? rootLength : int(withoutDrive - filePath);
    for (;;) {
        while (at < end && IsSeparator(filePath[at])) ++at;
        if (at >= end) break;
        if (length > rootLength) levels[length++] = '/';
        while (at < end && !IsSeparator(filePath[at])) levels[length++] = filePath[at++];
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
    }
    return 1;
}
