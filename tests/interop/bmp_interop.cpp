// BMP files between the project's codec and other tools (check_bmp_interop.sh drives it
// with ImageMagick).
//
//   bmp_interop write <dir>
//     Saves 13 x 7 pictures through Bitmap::Save, one per way the codec writes pixels,
//     and beside each <name>.bmp its pixels as <name>.txt ("x,y: (r,g,b)" lines, rows
//     from the top, the form ImageMagick's txt: output takes at depth 8) and as
//     <name>.rgb (raw top-down red, green, blue bytes, for ImageMagick to encode).
//   bmp_interop read <file> <name> <bits>
//     Loads <file> through Bitmap::Load and compares every pixel's colour with the
//     pattern of <name>; the file must load as <bits> bits a pixel.
//
// 13 pixels across pads every row in the file: 39 bytes to 40 at 24 bits, 13 to 16 at 8.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "ansi/bitmap.h"
#include "ansi/bmp.h"
#include "llist.h"
#include "misc.h"
#include "xsystem.h"

namespace {

const int kWidth = 13;
const int kHeight = 7;

struct Colour {
    uint8_t red, green, blue;
};

// Palette entry i of the 8-bit picture: every entry differs in each channel from its
// neighbours, and no entry is grey, so a wrong index or a channel swap changes colours.
Colour PaletteColour(int i) {
    return Colour{uint8_t(i), uint8_t(i * 37 + 11), uint8_t(255 - i)};
}

// Index of pixel (x, y) in the 8-bit picture: not the pixel's position, so a picture
// read with the wrong row length or row order shows other colours.
int PaletteIndex(int x, int y) {
    return (x * 5 + y * 31 + 3) & 0xFF;
}

// The three channels differ from each other at almost every pixel and change along both
// axes, so swapped channels, flipped rows and shifted columns all change colours.
Colour DirectColour(int x, int y) {
    return Colour{uint8_t(x * 19 + y * 3 + 1), uint8_t(250 - x * 7 - y * 23),
                  uint8_t((x * y * 13 + y * 40 + 128) & 0xFF)};
}

bool IsPalettePicture(const std::string& name) {
    return name == "pal8";
}

Colour Expected(const std::string& name, int x, int y) {
    return IsPalettePicture(name) ? PaletteColour(PaletteIndex(x, y)) : DirectColour(x, y);
}

// One channel of a direct-colour pixel in the bitmap's convention: a 24-bit pixel is
// its bytes read as one big-endian number, a 16- or 32-bit pixel the little-endian word.
uint8_t Channel(const Bitmap& bitmap, const uint8_t* p, int32_t size, int32_t position) {
    uint32_t value = 0;
    if (bitmap.bytesPerPixel == 3)
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    else
        for (int32_t i = bitmap.bytesPerPixel - 1; i >= 0; --i) value = value << 8 | p[i];
    uint32_t mask = size >= 32 ? 0xFFFFFFFFu : (1u << size) - 1;
    return uint8_t((value >> position) & mask);
}

Colour ColourAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.pixels + intptr_t(y) * bitmap.pitch + x * bitmap.bytesPerPixel;
    if (!bitmap.directColour) {
        const PaletteEntry& entry = bitmap.palette->entries[*p];
        return Colour{entry.red, entry.green, entry.blue};
    }
    return Colour{Channel(bitmap, p, bitmap.redSize, bitmap.redPos),
                  Channel(bitmap, p, bitmap.greenSize, bitmap.greenPos),
                  Channel(bitmap, p, bitmap.blueSize, bitmap.bluePos)};
}

std::string PendingError() {
    char message[ERROR_MESSAGE_SIZE];
    if (!GetErrorMessage(message, sizeof message)) return "(no message)";
    return message;
}

// The ways the codec writes pixels: palette indices; 24-bit with the bytes red, green,
// blue in memory (reversed on the way out, as screenshots are); 24-bit already blue,
// green, red (written raw, as a loaded picture is); the first with its rows bottom-up
// in memory (flag 2, as the OpenGL screenshots); 32-bit blue, green, red, unused.
// The unused byte stays 0, as a picture without alpha has it: readers take a
// non-zero one for transparency.
int WritePicture(const std::string& directory, const std::string& name) {
    Bitmap bitmap;
    int flags = 0;
    int ok;
    if (name == "pal8") {
        Palette palette;
        for (int i = 0; i < PALETTE_SIZE; ++i) {
            Colour c = PaletteColour(i);
            palette.entries[i] = PaletteEntry{c.red, c.green, c.blue, 0};
        }
        ok = bitmap.Create(kWidth, kHeight, 8, &palette);
    } else if (name == "rgb24" || name == "flip24") {
        ok = bitmap.CreateRgb(kWidth, kHeight, 24, 8, 8, 8, 16, 8, 0, 0);
        if (name == "flip24") flags = 2;
    } else if (name == "bgr24") {
        ok = bitmap.CreateRgb(kWidth, kHeight, 24, 8, 8, 8, 0, 8, 16, 0);
    } else {
        ok = bitmap.CreateRgb(kWidth, kHeight, 32, 8, 8, 8, 16, 8, 0, 0);
    }
    if (!ok) {
        std::fprintf(stderr, "%s: cannot create the bitmap\n", name.c_str());
        return 0;
    }
    for (int y = 0; y < kHeight; ++y) {
        int row = flags & 2 ? kHeight - 1 - y : y;
        uint8_t* p = bitmap.pixels + intptr_t(row) * bitmap.pitch;
        for (int x = 0; x < kWidth; ++x) {
            Colour c = DirectColour(x, y);
            if (name == "pal8") {
                p[x] = uint8_t(PaletteIndex(x, y));
            } else if (name == "rgb24" || name == "flip24") {
                p[x * 3] = c.red;
                p[x * 3 + 1] = c.green;
                p[x * 3 + 2] = c.blue;
            } else if (name == "bgr24") {
                p[x * 3] = c.blue;
                p[x * 3 + 1] = c.green;
                p[x * 3 + 2] = c.red;
            } else {
                p[x * 4] = c.blue;
                p[x * 4 + 1] = c.green;
                p[x * 4 + 2] = c.red;
            }
        }
    }
    std::string base = directory + "/" + name;
    if (!bitmap.Save((base + ".bmp").c_str(), nullptr, 0, 0, flags)) {
        std::fprintf(stderr, "%s.bmp: %s\n", base.c_str(), PendingError().c_str());
        return 0;
    }
    FILE* text = std::fopen((base + ".txt").c_str(), "w");
    FILE* raw = std::fopen((base + ".rgb").c_str(), "wb");
    ok = text && raw;
    for (int y = 0; y < kHeight && ok; ++y)
        for (int x = 0; x < kWidth && ok; ++x) {
            Colour c = Expected(name, x, y);
            uint8_t bytes[3] = {c.red, c.green, c.blue};
            ok = std::fprintf(text, "%d,%d: (%d,%d,%d)\n", x, y, c.red, c.green, c.blue) > 0 &&
                 std::fwrite(bytes, 1, 3, raw) == 3;
        }
    if (text && std::fclose(text) != 0) ok = 0;
    if (raw && std::fclose(raw) != 0) ok = 0;
    if (!ok) std::fprintf(stderr, "%s: cannot write the expected pixels\n", base.c_str());
    return ok;
}

int ReadPicture(const char* path, const std::string& name, int bits) {
    Bitmap bitmap;
    if (!bitmap.Load(path)) {
        std::fprintf(stderr, "%s: %s\n", path, PendingError().c_str());
        return 0;
    }
    if (bitmap.width != kWidth || bitmap.height != kHeight || bitmap.bitsPerPixel != bits ||
        (!bitmap.directColour && !bitmap.palette)) {
        std::fprintf(stderr, "%s: loaded as %dx%d, %d bits%s; expected %dx%d, %d bits\n", path,
                     bitmap.width, bitmap.height, bitmap.bitsPerPixel,
                     bitmap.directColour || bitmap.palette ? "" : ", indexed without palette",
                     kWidth, kHeight, bits);
        return 0;
    }
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            Colour got = ColourAt(bitmap, x, y);
            Colour want = Expected(name, x, y);
            if (std::memcmp(&got, &want, sizeof got) == 0) continue;
            if (++wrong <= 10)
                std::fprintf(stderr, "%s: pixel %d,%d is (%d,%d,%d), expected (%d,%d,%d)\n",
                             path, x, y, got.red, got.green, got.blue, want.red, want.green,
                             want.blue);
        }
    if (wrong) std::fprintf(stderr, "%s: %d of %d pixels differ\n", path, wrong, kWidth * kHeight);
    return wrong == 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Bitmap::Save and Bitmap::Load pick the codec from the registry by extension.
    AppGlobals globals;
    LList formats;
    globals.pictureFormats = &formats;
    glb = &globals;
    int ok = 0;
    {
        BmpCodec codec;
        if (argc == 3 && std::strcmp(argv[1], "write") == 0) {
            std::error_code error;
            std::filesystem::create_directories(argv[2], error);
            ok = 1;
            for (const char* name : {"pal8", "rgb24", "bgr24", "flip24", "rgb32"})
                ok &= WritePicture(argv[2], name);
        } else if (argc == 5 && std::strcmp(argv[1], "read") == 0) {
            ok = ReadPicture(argv[2], argv[3], std::atoi(argv[4]));
        } else {
            std::fprintf(stderr,
                         "usage: bmp_interop write <dir>\n"
                         "       bmp_interop read <file> <pattern name> <bits>\n");
            return 2;
        }
    }
    glb = nullptr;
    return ok ? 0 : 1;
}
