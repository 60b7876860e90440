#include "picformat.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "ansi/file.h"
#include "misc.h"
#include "xsystem.h"

PictureFormat::PictureFormat(const char* extension, const char* name, const char* noErrorText,
                             const char* openFailureFormat, int openFlags)
    : extension(extension), name(name), openFailureFormat(openFailureFormat), openFlags(openFlags) {
    SetFormatError(noErrorText, 0);
    if (glb && glb->pictureFormats) glb->pictureFormats->AddBack(this);
}

PictureFormat::~PictureFormat() {
    if (glb && glb->pictureFormats) glb->pictureFormats->RemoveItem(this);
}

int PictureFormat::PathWithExtension(const char* path, char* result, int size) const {
    if (!path) return 0;
    size_t length = std::strlen(path);
    const char* suffix = (length > 0 && path[length - 1] == '.') ? extension : "";
    int written = std::snprintf(result, size_t(size), "%s%s", path, suffix);
    return written >= 0 && written < size;
}

int PictureFormat::Load(const char* path, Bitmap& bitmap, int options) {
    char fullPath[FILE_NAME_SIZE];
    if (!PathWithExtension(path, fullPath, sizeof fullPath))
        return SetErrorText(openFailureFormat, path ? path : "");
    File file;
    if (!file.Open(fullPath, openFlags)) {
        char text[PICTURE_ERROR_TEXT_SIZE];
        std::snprintf(text, sizeof text, openFailureFormat, fullPath);
        SetFormatError(text, 0);
        return SetErrorText("%s", text);
    }
    int result = LoadFromFile(file, bitmap, options, 0);
    file.Close();
    return result;
}

int PictureFormat::MatchesExtension(const char* candidate) const {
    if (!candidate) return 0;
    const char* own = extension;
    for (; *candidate && *own; ++candidate, ++own)
        if (std::tolower(static_cast<unsigned char>(*candidate)) !=
            std::tolower(static_cast<unsigned char>(*own)))
            return 0;
    return *candidate == 0 && *own == 0;
}

void PictureFormat::GetInfo(const char** extensionOut, const char** nameOut) const {
    if (extensionOut) *extensionOut = extension;
    if (nameOut) *nameOut = name;
}

int PictureFormat::SetFormatError(const char* text, int code) {
    std::snprintf(errorText, sizeof errorText, "%s", text ? text : "");
    return code;
}

const char* PictureFormat::GetErrorText() const {
    return errorText;
}

PictureFormat* FindPictureFormat(const char* fileName) {
    if (!fileName || !glb || !glb->pictureFormats) return nullptr;
    const char* dot = std::strrchr(fileName, '.');
    if (!dot) return nullptr;
    if (std::strchr(dot, '/') || std::strchr(dot, '\\')) return nullptr;
    LList* formats = glb->pictureFormats;
    PictureFormat* found = nullptr;
    bool pushed = formats->PushCursor();
    if (dot[1] != 0) {
        for (bool more = formats->First(); more && !found; more = formats->Next()) {
            PictureFormat* format = static_cast<PictureFormat*>(formats->Current());
            if (format->MatchesExtension(dot + 1)) found = format;
        }
    } else {
        for (bool more = formats->First(); more && !found; more = formats->Next()) {
            PictureFormat* format = static_cast<PictureFormat*>(formats->Current());
            const char* extension = nullptr;
            format->GetInfo(&extension, nullptr);
            char candidate[FILE_NAME_SIZE];
            int written = std::snprintf(candidate, sizeof candidate, "%s%s", fileName, extension);
            if (written >= 0 && written < int(sizeof candidate) && FileExists(candidate))
                found = format;
        }
    }
    if (pushed) formats->PopCursor();
    return found;
}
