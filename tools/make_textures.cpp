// Writes the textures the program ships: make_textures <directory> puts star.bmp,
// stars.bmp, font8x8.bmp, nd.fxt and the editor panel's gui_*.bmp into <directory> (the
// repository keeps them in data/textures). Every picture comes from a fixed seed, so a
// run repeats the files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "canvas.h"
#include "fxt1_encode.h"
#include "gui_layout.h"

namespace {

int WriteCanvas(const std::string& directory, const char* name, const Canvas& canvas) {
    std::string path = directory + "/" + name;
    if (!SaveCanvasBmp(canvas, path.c_str())) {
        std::fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
        return 0;
    }
    std::printf("%s\n", path.c_str());
    return 1;
}

int WriteBmp(const std::string& directory, const char* name, int width, int height,
             void (*paint)(Canvas&)) {
    Canvas canvas(width, height);
    paint(canvas);
    return WriteCanvas(directory, name, canvas);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_textures <output directory>\n");
        return 2;
    }
    std::string directory = argv[1];
    // The support library's directory maker works below the current directory only.
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    int ok = WriteBmp(directory, "star.bmp", 64, 64, PaintStarSprite);
    ok &= WriteBmp(directory, "stars.bmp", 256, 256, PaintStarTile);
    ok &= WriteBmp(directory, "font8x8.bmp", 128, 64, PaintFont);
    for (int i = 0; i < kGuiPictureCount; ++i) {
        const GuiPicture& picture = kGuiPictures[i];
        Canvas canvas(picture.width, picture.height ? picture.height : GuiLabelPictureHeight());
        PaintGuiPicture(canvas, picture.define);
        ok &= WriteCanvas(directory, picture.file, canvas);
    }

    Canvas atlas(256, 256);
    PaintIntroAtlas(atlas);
    std::vector<uint32_t> texels = CanvasTexels(atlas);
    std::string path = directory + "/nd.fxt";
    if (Fxt1WriteFile(path.c_str(), texels.data(), atlas.width, atlas.height)) {
        std::printf("%s\n", path.c_str());
    } else {
        std::fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
        ok = 0;
    }
    return ok ? 0 : 1;
}
