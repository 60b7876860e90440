#include "picture_test_support.h"

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
