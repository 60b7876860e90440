// What the editor's layout file gui.cfg gives it: the bitmaps named as texture
// defines, 43 pages of widgets and textured background polygons, and the pages'
// shortcut keys. The loader and the pages' look-ups are in guilayout.cpp.
#pragma once

#include <cstdint>

#include "ansi/bitmap.h"
#include "base/screenb.h"
#include "base/texture.h"
#include "gui/button.h"
#include "llist.h"
#include "slidertable.h"

class Kcbl;

#define GUI_CONFIG_FILE_NAME "gui.cfg"
#define EDITOR_PAGE_COUNT 43
// Define names are shorter than 32 characters, bitmap file names than 260.
#define TEXTURE_DEFINE_NAME_SIZE 32
#define TEXTURE_DEFINE_FILE_SIZE 260
// Vertices a "Background" polygon holds; further arrays of the item are ignored.
#define BACKGROUND_VERTEX_COUNT 4
// Identifier of a slider's animation-mode button: the slider's identifier plus this.
#define MODE_BUTTON_ID_OFFSET 2000
// Identifier of a button that puts a channel back as it was saved: the channel plus this.
#define RESTORE_BUTTON_ID_OFFSET 1000

// One bitmap of the "Textures" chunk and the surface made from the whole of it.
struct TextureDefine {
    char name[TEXTURE_DEFINE_NAME_SIZE];
    char fileName[TEXTURE_DEFINE_FILE_SIZE];
    Bitmap bitmap;
    CSurface surface;
};

// One editor page, by page number: its background polygons (drawn behind its widgets),
// its widgets and its shortcut key (0: none).
struct EditorPage {
    struct Polygon* polygons;
    int32_t polygonCount;
    WidgetGroup widgets;
    int16_t shortcut;
};

class GuiLayout {
public:
    GuiLayout();
    ~GuiLayout();
    GuiLayout(const GuiLayout&) = delete;
    GuiLayout& operator=(const GuiLayout&) = delete;

    // Reads gui.cfg from the working directory into the texture defines and pages, the
    // file's coordinates taken from the panel's top-left corner (x, y). Every widget
    // gets the callback with its user data, which also hears of each slider once as it
    // is made. Textures are made on the current screen. 1 loaded; 0 with the error
    // recorded and nothing kept. What was loaded before is freed first.
    int Load(float x, float y, float width, float height, WidgetCallback callback,
             void* callbackData);
    // The define's surface and, when asked, its bitmap; null (and "Unable to find the
    // \"%s\" texture" recorded) when no define has that name.
    const CSurface* FindTexture(const char* name, Bitmap** bitmap = nullptr);
    // Draws page n's polygons, then its widgets, in the current view.
    int DrawPage(int32_t n);
    // Page n's slider or button of that identifier; null when it has none.
    Slider* FindSlider(int32_t n, int32_t id);
    Button* FindButton(int32_t n, int32_t id);
    // Frees the pages' polygons and widgets and the texture defines.
    void Free();

    float panelLeft, panelTop, panelRight, panelBottom;
    LList textureDefines;  // TextureDefine records, owned
    EditorPage pages[EDITOR_PAGE_COUNT];

private:
    struct ItemValues;

    int LoadTextures(Kcbl& config);
    int ReadLayout(Kcbl& config, ItemValues& values);
    // The chunk under the cursor, read into the page.
    void ReadPage(Kcbl& config, EditorPage& page, ItemValues& values);
    void ReadBackgrounds(Kcbl& config, EditorPage& page);
    void AddSlider(Kcbl& config, EditorPage& page, const SliderTableRow& row, ItemValues& values);
    void AddModeButton(EditorPage& page, const SliderTableRow& row, const ItemValues& values);
    void AddButton(Kcbl& config, EditorPage& page, const SliderTableRow& row, ItemValues& values);
    // The page's group owns the widget from then on; 0 (and the widget freed) when it
    // could not be added.
    int AddWidget(EditorPage& page, Widget* widget);
    void ReadShortcuts(Kcbl& config);

    WidgetCallback widgetCallback = nullptr;
    void* widgetData = nullptr;
};
