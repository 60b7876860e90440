#include "picture_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ansi/bitmap.h"
#include "misc.h"

PictureRegistry::PictureRegistry()
    : bmp(nullptr), fxt1(nullptr), savedGlb(glb), savedFormats(nullptr), ownGlb(nullptr) {
    if (!glb) glb = ownGlb = new AppGlobals;
    savedFormats = glb->pictureFormats;
    glb->pictureFormats = &formats;
    bmp = new BmpCodec;
    fxt1 = new Fxt1Reader;
}

PictureRegistry::~PictureRegistry() {
    delete fxt1;
    delete bmp;
    glb->pictureFormats = savedFormats;
    delete ownGlb;
    glb = savedGlb;
    ClearError();
}

void Append16(std::string& bytes, uint32_t value) {
    bytes += char(value & 0xFF);
    bytes += char((value >> 8) & 0xFF);
}

void Append32(std::string& bytes, uint32_t value) {
    Append16(bytes, value & 0xFFFF);
    Append16(bytes, value >> 16);
}

std::string PendingError() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "";
    return message;
}

void WriteTexture(BmpCodec* codec, const char* path) {
    Bitmap picture;
    ASSERT_EQ(picture.CreateWithMasks(8, 8, 24, 8, 8, 8, 0, 16, 8, 0, 0), 1);
    std::memset(picture.pixels, 0x80, size_t(picture.pitch) * 8);
    ASSERT_EQ(codec->Save(path, picture, 0, 0, 0), 1) << PendingError();
}
