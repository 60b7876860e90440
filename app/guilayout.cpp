// The editor's layout file, gui.cfg, read into a GuiLayout.
//
// The file is kcbl text. At its top, "CurrentGuiConfig" names one of its
// "{ = GuiConfig, <name>" chunks; inside that chunk, "Textures" lists the bitmaps by
// define name, "General" holds what every page shows (page 11, the slider properties,
// excepted), one chunk per page keyword of the control table holds that page's sliders,
// buttons and "Background" polygons, and "Shortcutkeys" gives pages a key. Names are
// matched without regard to case. Values that are missing or do not convert leave
// the variable they are read into as it was, so a slider line may leave out its last
// values and take them from the line before.
//
// Sections: loading; texture defines; pages (polygons, sliders, buttons); shortcuts;
// look-ups, drawing and freeing.
#include "guilayout.h"

#include <cmath>
#include <cstring>

#include "ansi/memory.h"
#include "kcbl.h"
#include "misc.h"
#include "slidertable.h"
#include "xsystem.h"

namespace {

const char kBackgroundKeyword[] = "Background";
// Animation modes by cycle: what the mode button says and shows.
const char* const kModeCaptions[] = {"Animation mode none", "Animation mode random",
                                     "Animation mode loop up", "Animation mode loop down",
                                     "Animation mode ping pong"};
const char* const kModeTextures[] = {"AnimNone", "AnimRand", "AnimLoopUp", "AnimLoopDown",
                                     "AnimPingPong"};
const int32_t kModeCount = 5;
// The transition and hold sliders only choose between a fixed and a random length.
const int32_t kTimingModeCount = 2;
// A slider line: x, y, width, height, range start, range end, initial value,
// sensitivity, then the caption.
const int kSliderNumbers = 8;
const int kButtonNumbers = 4;
// The floats of one "Background" vertex: x, y, z, u, v, red, green, blue, alpha.
const int kVertexNumbers = 9;

// A colour component from the file: truncated, then its low byte; what is not a
// number, or too large for an int, gives 0.
uint8_t ColourByte(float value) {
    if (!(std::fabs(value) < 2147483520.0f)) return 0;
    return uint8_t(int32_t(value));
}

bool IsArray(const char* value) {
    return value && static_cast<unsigned char>(value[0]) == KCBL_ARRAY_START;
}

}  // namespace

// The numbers of the slider and button lines, kept from one line to the next, and the
// settings of the page chunk being read.
struct GuiLayout::ItemValues {
    float numbers[kSliderNumbers];
    float modeOffset, modeHeight;  // "ANIMBTN"
    float sliderOffset;            // "SLIDERYPOS"
};

// ---------------------------------------------------------------- loading

GuiLayout::GuiLayout() : panelLeft(0.0f), panelTop(0.0f), panelRight(0.0f), panelBottom(0.0f) {
    for (EditorPage& page : pages) {
        page.polygons = nullptr;
        page.polygonCount = 0;
        page.shortcut = 0;
    }
}

GuiLayout::~GuiLayout() {
    Free();
}

int GuiLayout::Load(float x, float y, float width, float height, WidgetCallback callback,
                    void* callbackData) {
    Free();
    widgetCallback = callback;
    widgetData = callbackData;
    panelLeft = x;
    panelTop = y;
    panelRight = x + width - 1.0f;
    panelBottom = y + height - 1.0f;
    ItemValues values;
    std::memset(&values, 0, sizeof values);
    values.numbers[7] = 1.0f;  // sensitivity: one value unit per unit of movement
    Kcbl config;
    int loaded = ReadLayout(config, values);
    // The parsed text is not needed once the pages stand.
    config.Clear();
    if (!loaded) Free();
    return loaded;
}

int GuiLayout::ReadLayout(Kcbl& config, ItemValues& values) {
    if (!config.ImportFile(GUI_CONFIG_FILE_NAME))
        return SetErrorText("Unable to load the configuration file");
    if (!config.FindItem("CurrentGuiConfig"))
        return SetErrorText("Unable to find the \"CurrentGuiConfig\" keyword");
    // A keyword without a value names no layout.
    const char* name = config.GetValue(0);
    if (!config.FindChunk("GuiConfig", name ? name : ""))
        return SetErrorText("Unable to find the \"GuiConfigs\" chunk");
    config.EnterChunk();
    if (!LoadTextures(config)) return 0;

    // Each page shows the shared "General" chunk first and its own on top; the slider
    // properties (page 11) have only their own.
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        if (row->kind != CONTROL_KIND_BUTTON || !config.FindChunk(row->keyword)) continue;
        EditorPage& page = pages[row->id];
        if (row->id != CONTROL_SLIDERP) {
            if (!config.FindChunk("General"))
                return SetErrorText("Unable to find the \"General\" chunk");
            ReadPage(config, page, values);
            config.FindChunk(row->keyword);
        }
        ReadPage(config, page, values);
    }
    ReadShortcuts(config);
    return 1;
}

// ---------------------------------------------------------------- texture defines

int GuiLayout::LoadTextures(Kcbl& config) {
    // Without it no page could show anything; the load fails with a reason.
    if (!config.FindChunk("Textures")) return SetErrorText("Unable to find the \"Textures\" chunk");
    config.EnterChunk();
    for (int more = config.ItemExists(); more; more = config.NextItem(0)) {
        if (config.IsBlankOrComment()) continue;
        const char* name = config.ItemName();
        const char* file = config.GetValue(0);
        if (!file) file = "";
        if (std::strlen(name) >= TEXTURE_DEFINE_NAME_SIZE)
            return SetErrorText("Bitmap define name to big : \"%s\"", name);
        if (std::strlen(file) >= TEXTURE_DEFINE_FILE_SIZE)
            return SetErrorText("Bitmap filename to big : \"%s\"", file);
        TextureDefine* define = XNEW(TextureDefine);
        std::strcpy(define->name, name);
        std::strcpy(define->fileName, file);
        if (!define->bitmap.Load(file)) {
            XDELETE(define);
            return SetErrorText("Failed to load bitmap : \"%s\"", file);
        }
        // A texture the screen could not make leaves the define drawing untextured; the
        // screen's reason stays recorded.
        if (!define->surface.SetTexture(&define->bitmap))
            define->surface.SetTextureMode(SURFACE_UNTEXTURED);
        if (!textureDefines.AddBack(define)) {
            define->surface.FreeTexture();
            XDELETE(define);
            return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
        }
    }
    config.LeaveChunk();
    return 1;
}

const CSurface* GuiLayout::FindTexture(const char* name, Bitmap** bitmap) {
    for (bool more = textureDefines.First(); more; more = textureDefines.Next()) {
        TextureDefine* define = static_cast<TextureDefine*>(textureDefines.Current());
        if (!SameTextIgnoringCase(define->name, name)) continue;
        if (bitmap) *bitmap = &define->bitmap;
        return &define->surface;
    }
    if (bitmap) *bitmap = nullptr;
    SetErrorText("Unable to find the \"%s\" texture", name ? name : "");
    return nullptr;
}

// ---------------------------------------------------------------- pages

void GuiLayout::ReadPage(Kcbl& config, EditorPage& page, ItemValues& values) {
    config.EnterChunk();
    ReadBackgrounds(config, page);
    values.modeOffset = values.modeHeight = values.sliderOffset = 0.0f;
    config.GetValues("ANIMBTN", KFLOAT, &values.modeOffset, KFLOAT, &values.modeHeight, KEND);
    config.GetValues("SLIDERYPOS", KFLOAT, &values.sliderOffset, KEND);
    for (int more = config.FirstItem(); more; more = config.NextItem(0)) {
        if (config.IsBlankOrComment()) continue;
        const SliderTableRow* row = FindSliderRow(config.ItemName());
        if (!row) continue;
        if (row->kind == CONTROL_KIND_SLIDER)
            AddSlider(config, page, *row, values);
        else
            AddButton(config, page, *row, values);
    }
    config.LeaveChunk();
}

// Each "Background" item: a texture define, unless the first value is already an
// array, then one vertex per array of nine numbers.
void GuiLayout::ReadBackgrounds(Kcbl& config, EditorPage& page) {
    int32_t added = 0;
    for (int more = config.FirstItem(); more; more = config.NextItem(0))
        if (SameTextIgnoringCase(config.ItemName(), kBackgroundKeyword)) ++added;
    if (added == 0) return;
    const int32_t limit = int32_t(INT32_MAX / sizeof(struct Polygon));
    if (added > limit - page.polygonCount) {
        SetErrorText("Memory allocation failed for the \"Background\" polygons");
        return;
    }
    const int32_t total = page.polygonCount + added;
    struct Polygon* grown =
        static_cast<struct Polygon*>(XALLOC(size_t(total) * sizeof(struct Polygon)));
    std::memset(static_cast<void*>(grown), 0, size_t(total) * sizeof(struct Polygon));
    if (page.polygonCount > 0)
        std::memcpy(static_cast<void*>(grown), page.polygons,
                    size_t(page.polygonCount) * sizeof(struct Polygon));
    if (page.polygons) xFree(page.polygons);
    page.polygons = grown;

    for (int more = config.FirstItem(); more; more = config.NextItem(0)) {
        if (!SameTextIgnoringCase(config.ItemName(), kBackgroundKeyword)) continue;
        struct Polygon& polygon = page.polygons[page.polygonCount++];
        int first = 0;
        const char* define = config.GetValue(0);
        if (define && !IsArray(define)) {
            first = 1;
            if (define[0]) polygon.surface = FindTexture(define);
        }
        for (int i = first; i < config.ValueCount() && polygon.count < BACKGROUND_VERTEX_COUNT;
             ++i) {
            float n[kVertexNumbers];
            if (!config.GetFloatArray(i, n, kVertexNumbers)) break;
            const Rgba colour = {ColourByte(n[5]), ColourByte(n[6]), ColourByte(n[7]),
                                 ColourByte(n[8])};
            polygon.vertices[polygon.count++] =
                MakeVertex(panelLeft + n[0], panelTop + n[1], n[2], colour, n[3], n[4]);
        }
    }
}

int GuiLayout::AddWidget(EditorPage& page, Widget* widget) {
    widget->SetCallback(widgetCallback, widgetData);
    if (page.widgets.Add(widget)) return 1;
    widget->Release();
    XDELETE(widget);
    return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
}

void GuiLayout::AddSlider(Kcbl& config, EditorPage& page, const SliderTableRow& row,
                          ItemValues& values) {
    for (int i = 0; i < kSliderNumbers; ++i) config.GetFloat(i, &values.numbers[i]);
    const float* n = values.numbers;
    if (values.modeHeight > 0.0f) AddModeButton(page, row, values);
    Slider* slider = XNEW(Slider);
    slider->InitSlider(row.id, panelLeft + n[0], panelTop + n[1] + values.sliderOffset, n[2],
                       n[3] - values.sliderOffset, n[4], n[5], n[6], n[7], SLIDER_STYLE);
    // A missing caption leaves the slider without one rather than with the last line's.
    slider->SetText(config.GetValue(kSliderNumbers) ? config.GetValue(kSliderNumbers) : "");
    if (AddWidget(page, slider) && widgetCallback)
        widgetCallback(slider, WIDGET_OVER, 0, widgetData, 0);
}

// Its cycle is the channel's animation mode; it sits over the slider's box, "ANIMBTN"
// below the box's top.
void GuiLayout::AddModeButton(EditorPage& page, const SliderTableRow& row,
                              const ItemValues& values) {
    const float* n = values.numbers;
    const int32_t cycles =
        row.id == CONTROL_TTIME || row.id == CONTROL_DELAY ? kTimingModeCount : kModeCount;
    Button* button = XNEW(Button);
    button->InitButton(row.id + MODE_BUTTON_ID_OFFSET, panelLeft + n[0],
                       panelTop + n[1] + values.modeOffset, n[2], values.modeHeight, cycles, 0);
    for (int32_t cycle = 0; cycle < cycles; ++cycle) {
        button->SetCycleCaption(cycle, kModeCaptions[cycle]);
        button->SetCycleTexture(cycle, FindTexture(kModeTextures[cycle]));
    }
    button->SelectCycle(0);
    AddWidget(page, button);
}

void GuiLayout::AddButton(Kcbl& config, EditorPage& page, const SliderTableRow& row,
                          ItemValues& values) {
    for (int i = 0; i < kButtonNumbers; ++i) config.GetFloat(i, &values.numbers[i]);
    const float* n = values.numbers;
    Button* button = XNEW(Button);
    button->InitButton(row.id, panelLeft + n[0], panelTop + n[1], n[2], n[3], 1, 0);
    const char* define = config.GetValue(kButtonNumbers);
    if (define && define[0]) button->SetTexture(FindTexture(define));
    const char* caption = config.GetValue(kButtonNumbers + 1);
    button->SetCycleCaption(0, caption ? caption : "");
    button->SelectCycle(0);
    AddWidget(page, button);
}

// ---------------------------------------------------------------- shortcuts

void GuiLayout::ReadShortcuts(Kcbl& config) {
    if (!config.FindChunk("Shortcutkeys")) return;
    config.EnterChunk();
    for (int more = config.ItemExists(); more; more = config.NextItem(0)) {
        const SliderTableRow* row = FindSliderRow(config.ItemName());
        const char* key = config.GetValue(0);
        if (!row || row->kind != CONTROL_KIND_BUTTON || !key) continue;
        // The key state table holds letters under their upper-case codes: "q" never fires.
        pages[row->id].shortcut = int16_t(static_cast<signed char>(key[0]));
    }
    config.LeaveChunk();
}

// ---------------------------------------------------------------- look-ups, drawing and freeing

Slider* GuiLayout::FindSlider(int32_t n, int32_t id) {
    if (n < 0 || n >= EDITOR_PAGE_COUNT) return nullptr;
    Widget* widget = pages[n].widgets.FindById(id);
    return widget && widget->kind == WIDGET_SLIDER ? static_cast<Slider*>(widget) : nullptr;
}

Button* GuiLayout::FindButton(int32_t n, int32_t id) {
    if (n < 0 || n >= EDITOR_PAGE_COUNT) return nullptr;
    Widget* widget = pages[n].widgets.FindById(id);
    return widget && widget->kind == WIDGET_BUTTON ? static_cast<Button*>(widget) : nullptr;
}

int GuiLayout::DrawPage(int32_t n) {
    Screen* screen = CurrentScreen();
    if (!screen || n < 0 || n >= EDITOR_PAGE_COUNT) return 0;
    EditorPage& page = pages[n];
    if (page.polygonCount > 0) screen->DrawPolygons(page.polygons, page.polygonCount);
    return page.widgets.DrawAll();
}

void GuiLayout::Free() {
    // The widgets and polygons point at the defines' surfaces: they go first.
    for (EditorPage& page : pages) {
        page.widgets.RemoveAll();
        if (page.polygons) xFree(page.polygons);
        page.polygons = nullptr;
        page.polygonCount = 0;
        page.shortcut = 0;
    }
    while (textureDefines.First()) {
        TextureDefine* define = static_cast<TextureDefine*>(textureDefines.Current());
        textureDefines.Remove(1);
        define->surface.FreeTexture();
        XDELETE(define);
    }
}
