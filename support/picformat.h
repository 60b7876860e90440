// The picture-format registry: the base class of the picture codecs and the
// search that picks a codec for a file name by its extension.
//
// Every codec object appends itself to glb->pictureFormats when it is constructed (in
// the order JPEG, Windows bitmap, FXT1 at system start) and takes itself out again when
// it is destroyed. The registry list only links the codecs; sglb owns them.
#pragma once

#include <cstdint>

class Bitmap;
class File;

#define PICTURE_ERROR_TEXT_SIZE 256

class PictureFormat {
public:
    // extension: without the dot ("bmp"); name: display name; noErrorText: the first
    // errorText ("BMP - No error"); openFailureFormat: the text recorded when Load
    // cannot open its file, with one %s for the path; openFlags: the File flags of Load.
    PictureFormat(const char* extension, const char* name, const char* noErrorText,
                  const char* openFailureFormat, int openFlags);
    PictureFormat(const PictureFormat&) = delete;
    PictureFormat& operator=(const PictureFormat&) = delete;

    // Virtual operations in the design's slot order; the destructor comes last.
    virtual int LoadFromFile(File& file, Bitmap& bitmap, int options, int reserved) = 0;
    // A path ending in "." gets the format's extension first. A failed open records
    // openFailureFormat with the path tried (as the program's error and as errorText).
    virtual int Load(const char* path, Bitmap& bitmap, int options);
    virtual int SaveToFile(File& file, const Bitmap& bitmap, int options, int reserved,
                           int flags) = 0;
    virtual int Save(const char* path, const Bitmap& bitmap, int options, int reserved,
                     int flags) = 0;
    // 1 when extension (without the dot) is the format's, ignoring case; 0 for null.
    virtual int MatchesExtension(const char* extension) const;
    // Either pointer may be null.
    virtual void GetInfo(const char** extension, const char** name) const;
    // Stores text (cut to the buffer) as errorText and returns code.
    virtual int SetFormatError(const char* text, int code);
    virtual const char* GetErrorText() const;
    virtual ~PictureFormat();

protected:
    // path, or path + extension when path ends in "."; 0 when it does not fit in size.
    int PathWithExtension(const char* path, char* result, int size) const;

    char errorText[PICTURE_ERROR_TEXT_SIZE];

private:
    const char* extension;
    const char* name;
    const char* openFailureFormat;
    int openFlags;
};

// The codec for a file name, looked up in glb->pictureFormats:
// - "a.BMP": the first codec whose MatchesExtension accepts "BMP"; none: null.
// - "a.": for each codec in registry order, the first one for which "a.<extension>"
//   exists as a file; none: null.
// - a name whose last path component has no "." (or a null name): null. Only the last
//   component counts, so "./textures/nd" is not read as the extension "/textures/nd".
PictureFormat* FindPictureFormat(const char* fileName);
