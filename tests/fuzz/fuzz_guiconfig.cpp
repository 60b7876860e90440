// libFuzzer target: the editor's layout file. Each input is written as gui.cfg into a
// scratch directory that holds a small picture under every texture name the shipped
// layout uses; LoadGuiConfig reads it, and a loaded layout then runs the editor for a
// few frames on a recording screen: the pointer presses, drags and right-clicks every
// widget of every page, clicks away, and each frame draws the editor.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "ansi/bmp.h"
#include "gui/bitmapfont.h"
#include "gui/mouse.h"
#include "memory_file.h"
#include "misc.h"
#include "recording_screen.h"
#include "vxconfig.h"

namespace {

// The texture files of data/gui.cfg, and one short name for hand-made inputs.
const char* const kPictures[] = {
    "textures/gui_labels.bmp",      "textures/gui_mode_none.bmp",
    "textures/gui_mode_random.bmp", "textures/gui_mode_up.bmp",
    "textures/gui_mode_down.bmp",   "textures/gui_mode_bounce.bmp",
    "textures/gui_arrow_left.bmp",  "textures/gui_arrow_right.bmp",
    "textures/gui_scene.bmp",       "textures/gui_reset.bmp",
    "textures/gui_load.bmp",        "textures/gui_save.bmp",
    "textures/gui_quit.bmp",        "t.bmp",
};

// A 2 x 2 24-bit BMP.
void WritePicture(const char* path) {
    static const uint8_t bmp[] = {
        'B', 'M', 70, 0, 0,  0, 0, 0, 0, 0,   54,  0,   0, 0, 40, 0,  0,  0, 2, 0, 0, 0, 2, 0,
        0,   0,   1,  0, 24, 0, 0, 0, 0, 0,   16,  0,   0, 0, 0,  0,  0,  0, 0, 0, 0, 0, 0, 0,
        0,   0,   0,  0, 0,  0, 9, 9, 9, 200, 200, 200, 0, 0, 50, 60, 70, 1, 2, 3, 0, 0};
    if (FILE* file = std::fopen(path, "wb")) {
        std::fwrite(bmp, 1, sizeof bmp, file);
        std::fclose(file);
    }
}

struct Fixture {
    Fixture() {
        SilenceLog();
        if (!glb) glb = new AppGlobals;
        glb->pictureFormats = &formats;
        bmp = new BmpCodec;
        directory = "/tmp/novadrift-fuzz-gui-" + std::to_string(getpid());
        mkdir(directory.c_str(), 0700);
        mkdir((directory + "/textures").c_str(), 0700);
        for (const char* picture : kPictures) WritePicture((directory + "/" + picture).c_str());
        glb->currentScreen = &screen;
        screen.textureList = &textures;
    }
    std::string directory;
    LList formats;
    BmpCodec* bmp;
    MemoryTextureList textures;
    CapturingScreen screen;
};

// The scratch directory is the working directory while one input runs: the fuzzer's
// own paths stay relative to where it was started.
class InScratchDirectory {
public:
    explicit InScratchDirectory(const std::string& directory) {
        if (!getcwd(previous, sizeof previous)) previous[0] = 0;
        entered = chdir(directory.c_str()) == 0;
    }
    ~InScratchDirectory() {
        if (previous[0] && chdir(previous) != 0) std::abort();
    }
    bool entered;

private:
    char previous[4096];
};

// One frame of pointer input at (x, y), then the editor drawn.
void Frame(VxConfig& config, float x, float y, int32_t dx, int32_t dy, int32_t buttons) {
    config.pointerX = x;
    config.pointerY = y;
    config.HandlePointer(dx, dy, buttons);
    config.DrawEditor();
}

// Every widget of the page on show: pressed and dragged with the left button, let go,
// right-clicked; then a click away from them all.
void WorkPage(VxConfig& config) {
    WidgetGroup& widgets = config.layout.pages[config.currentPage].widgets;
    for (int32_t i = 0; i < 64; ++i) {
        Widget* widget = widgets.At(i);
        if (!widget) break;
        const float x = widget->x + widget->width / 2, y = widget->y + widget->height / 2;
        const int32_t page = config.currentPage;
        Frame(config, x, y, 0, 0, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
        Frame(config, x, y, 3, 7, MOUSE_LEFT);
        Frame(config, x, y, 0, 0, MOUSE_LEFT_WENT_UP);
        Frame(config, x, y, 0, 0, MOUSE_RIGHT | MOUSE_RIGHT_WENT_DOWN);
        Frame(config, x, y, 0, -5, MOUSE_RIGHT);
        Frame(config, x, y, 0, 0, MOUSE_RIGHT_WENT_UP);
        // A click changed the page: its widgets are not this list any more.
        if (config.currentPage != page) return;
    }
    Frame(config, 100, 100, 0, 0, MOUSE_LEFT | MOUSE_LEFT_WENT_DOWN);
    Frame(config, 100, 100, 0, 0, MOUSE_LEFT_WENT_UP);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    InScratchDirectory scratch(fixture.directory);
    if (!scratch.entered) return 0;
    if (FILE* file = std::fopen(GUI_CONFIG_FILE_NAME, "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    VxAnimator animator;
    animator.SetDefaultBackground();
    BitmapFont font;
    InfoLine line;
    line.Setup(&font, 0, 466, 480, 13);
    VxConfig config;
    config.animator = &animator;
    config.font = &font;
    config.infoLine = &line;
    config.widgetCallback = VxConfig::WidgetEvent;
    if (config.LoadGuiConfig(480, 0, 160, 480)) {
        config.RestoreChannels(-1);
        config.StartController();
        for (int32_t page = 0; page < EDITOR_PAGE_COUNT; ++page) {
            if (config.layout.pages[page].widgets.Count() == 0) continue;
            config.SetPage(page);
            WorkPage(config);
        }
        for (const char key : {'1', '2', 'b', 'q'}) config.TakeShortcut(key);
        config.StopController();
    }
    fixture.screen.Forget();
    fixture.textures.DeleteAll();
    ClearError();
    return 0;
}
