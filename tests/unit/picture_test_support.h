// Shared helpers of the picture tests: a picture-format registry of their own (a glb
// for the test when none exists) and little-endian byte builders.
#pragma once

#include <cstdint>
#include <string>

#include "ansi/bmp.h"
#include "ansi/fxt1.h"
#include "llist.h"
#include "xsystem.h"

// Registers a BMP codec and an FXT1 reader (in the registry order, JPEG
// aside) in a registry of their own for the test's lifetime; glb is put back after.
class PictureRegistry {
public:
    PictureRegistry();
    ~PictureRegistry();

    BmpCodec* bmp;
    Fxt1Reader* fxt1;

private:
    AppGlobals* savedGlb;
    LList* savedFormats;
    AppGlobals* ownGlb;
    LList formats;
};

void Append16(std::string& bytes, uint32_t value);
void Append32(std::string& bytes, uint32_t value);
// The error message pending after a failure ("" when none).
std::string PendingError();
// An 8 x 8 grey 24-bit BMP: a texture for the star sprite, the tiled layer or a face.
void WriteTexture(BmpCodec* codec, const char* path);
