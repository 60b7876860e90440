// The Windows bitmap picture format: extension "bmp", name "Windows Bitmap".
#pragma once

#include "picformat.h"

class Palette;

class BmpCodec : public PictureFormat {
public:
    BmpCodec();

    int LoadFromFile(File& file, Bitmap& bitmap, int options, int reserved) override;
    int SaveToFile(File& file, const Bitmap& bitmap, int options, int reserved, int flags) override;
    // Opens path for writing (missing directories are made) and calls SaveToFile.
    int Save(const char* path, const Bitmap& bitmap, int options, int reserved, int flags) override;

private:
    int RefuseWithPalette(Palette* palette, const char* text);
};
