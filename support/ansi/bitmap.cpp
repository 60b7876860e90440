#include "ansi/bitmap.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ansi/file.h"
#include "ansi/memory.h"
#include "misc.h"
#include "picformat.h"

// ---------------------------------------------------------------------------------------
// Palette

Palette::Palette() : firstIndex(0), lastIndex(255) {
    for (int i = 0; i < PALETTE_SIZE; ++i) {
        entries[i].red = entries[i].green = entries[i].blue = uint8_t(i);
        entries[i].fourth = 0;
    }
    std::snprintf(extension, sizeof extension, "%s", ".pal");
}

Palette::Palette(const Palette& other) {
    *this = other;
}

Palette& Palette::operator=(const Palette& other) {
    if (this == &other) return *this;
    firstIndex = other.firstIndex;
    lastIndex = other.lastIndex;
    std::memcpy(entries, other.entries, sizeof entries);
    std::memcpy(extension, other.extension, sizeof extension);
    return *this;
}

// ---------------------------------------------------------------------------------------
// Geometry

int BitmapGeometry(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t rowAlignment,
                   int32_t* pitch, int32_t* totalBytes) {
    if (width < 0 || height < 0 || bytesPerPixel < 1 || bytesPerPixel > 4) return 0;
    if (rowAlignment != 1 && rowAlignment != 4) return 0;
    // A 31-bit width times 4 fits in 64 bits, and so does a row within the limit
    // times a 31-bit height; compare before narrowing.
    int64_t row = int64_t(width) * bytesPerPixel;
    row = (row + rowAlignment - 1) / rowAlignment * rowAlignment;
    if (row > BITMAP_MAX_BYTES) return 0;
    int64_t total = row * height;
    if (total > BITMAP_MAX_BYTES) return 0;
    *pitch = int32_t(row);
    *totalBytes = int32_t(total);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Bitmap

Bitmap::Bitmap()
    : width(0),
      height(0),
      bitsPerPixel(0),
      pitch(0),
      bytesPerPixel(0),
      redSize(0),
      greenSize(0),
      blueSize(0),
      alphaSize(0),
      redPos(0),
      greenPos(0),
      bluePos(0),
      alphaPos(0),
      pixels(nullptr),
      directColour(0),
      palette(nullptr),
      clipLeft(0),
      clipTop(0),
      clipRight(-1),
      clipBottom(-1) {}

Bitmap::~Bitmap() {
    Bitmap::Release();
}

void Bitmap::ResetClip() {
    clipLeft = 0;
    clipTop = 0;
    clipRight = width - 1;
    clipBottom = height - 1;
}

int Bitmap::Allocate(int32_t newWidth, int32_t newHeight, int32_t bits) {
    int32_t newPitch, bytes;
    if (bits < 1 || bits > 32 ||
        !BitmapGeometry(newWidth, newHeight, (bits + 7) / 8, 4, &newPitch, &bytes))
        return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    uint8_t* block = static_cast<uint8_t*>(XALLOC(size_t(bytes)));
    std::memset(block, 0, size_t(bytes));
    // Frees the old pixels but keeps the palette: Create and CreateWithMasks decide
    // about it themselves.
    AdoptPixels(block, newWidth, newHeight, bits, newPitch);
    return 1;
}

void Bitmap::AdoptPixels(uint8_t* block, int32_t newWidth, int32_t newHeight, int32_t bits,
                         int32_t newPitch) {
    if (pixels && pixels != block) xFree(pixels);
    pixels = block;
    width = newWidth;
    height = newHeight;
    bitsPerPixel = bits;
    bytesPerPixel = (bits + 7) / 8;
    pitch = newPitch;
    ResetClip();
}

int Bitmap::Create(int32_t newWidth, int32_t newHeight, int32_t bits, const Palette* newPalette) {
    if (!Allocate(newWidth, newHeight, bits)) return 0;
    directColour = 0;
    // Copied before the old one goes: the caller may hand in this bitmap's own palette.
    Palette* copy = newPalette ? XNEW(Palette, *newPalette) : nullptr;
    XDELETE(palette);
    palette = copy;
    return 1;
}

int Bitmap::CreateRgb(int32_t newWidth, int32_t newHeight, int32_t bits, int32_t red, int32_t green,
                      int32_t blue, int32_t redPosition, int32_t greenPosition,
                      int32_t bluePosition, int32_t) {
    return CreateWithMasks(newWidth, newHeight, bits, red, green, blue, 0, redPosition,
                           greenPosition, bluePosition, 0);
}

int Bitmap::CreateWithMasks(int32_t newWidth, int32_t newHeight, int32_t bits, int32_t red,
                            int32_t green, int32_t blue, int32_t alpha, int32_t redPosition,
                            int32_t greenPosition, int32_t bluePosition, int32_t alphaPosition) {
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
    if (!Allocate(newWidth, newHeight, bits)) return 0;
    redSize = red;
    greenSize = green;
    blueSize = blue;
    alphaSize = alpha;
    redPos = redPosition;
    greenPos = greenPosition;
    bluePos = bluePosition;
    alphaPos = alphaPosition;
    directColour = 1;
    return 1;
}

int Bitmap::Load(const char* path) {
    PictureFormat* format = FindPictureFormat(path);
    if (!format) return SetError(ERR_PICTURE_FORMAT, __FILE__, __LINE__);
    if (!format->Load(path, *this, 0)) return SetErrorText("%s", format->GetErrorText());
    ResetClip();
    return 1;
}

namespace {

// The day's last number: the first hundred take two digits, the ones after them as many
// as they need, so a busy day's screenshots go on being saved.
const long kLastDatedNumber = 9999;

// "<path up to its last '.'>YYYY-MM-DD_NN.<extension>" for the first n = 1.. that names
// no file yet; 0 when all do (or a name does not fit).
int DatedPictureName(const char* path, const char* extension, char* result, int size) {
    const char* dot = std::strrchr(path, '.');
    int stemLength = dot ? int(dot - path) : 0;
    time_t now = std::time(nullptr);
    const tm* date = std::localtime(&now);
    if (!date) return 0;
    for (long n = 1; n <= kLastDatedNumber; ++n) {
        int written = std::snprintf(result, size_t(size), "%.*s%04ld-%02ld-%02ld_%02ld.%s",
                                    stemLength, path, long(date->tm_year + 1900),
                                    long(date->tm_mon + 1), long(date->tm_mday), n, extension);
        if (written < 0 || written >= size) return 0;
        if (!FileExists(result)) return 1;
    }
    return 0;
}

}  // namespace

int Bitmap::Save(const char* path, PictureFormat* format, int32_t options, int32_t,
                 int32_t flags) const {
    if (!path) return 0;
    if (!format) format = FindPictureFormat(path);
    if (!format) return 0;
    char datedName[FILE_NAME_SIZE];
    const char* name = path;
    if (flags & 1) {
        const char* extension = "";
        format->GetInfo(&extension, nullptr);
        if (!DatedPictureName(path, extension, datedName, sizeof datedName)) return 0;
        name = datedName;
    }
    if (!format->Save(name, *this, options, 0, flags))
        return SetErrorText("%s", format->GetErrorText());
    return 1;
}

int Bitmap::Release() {
    xFree(pixels);
    pixels = nullptr;
    XDELETE(palette);
    palette = nullptr;
    return 1;
}
