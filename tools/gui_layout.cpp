#include "gui_layout.h"

#include <algorithm>

// ---------------------------------------------------------------- colours

const GuiColour kPanelColour = {24, 30, 40};
const GuiColour kHeaderColour = {36, 45, 60};
const GuiColour kWellColour = {15, 19, 26};
const GuiColour kEdgeLight = {62, 76, 98};
const GuiColour kEdgeDark = {6, 8, 12};
const GuiColour kDividerColour = {52, 64, 84};

namespace {

const GuiColour kTitleText = {235, 240, 248};
const GuiColour kGroupText = {140, 184, 230};
const GuiColour kTagText = {130, 146, 168};
const GuiColour kLegendText = {176, 186, 200};

}  // namespace

// ---------------------------------------------------------------- geometry

float GuiColumnX(int slot, int column) {
    return float((slot == 0 ? GUI_SLOT_LEFT_0 : GUI_SLOT_LEFT_1) + column * GUI_COLUMN_PITCH);
}

float GuiRowY(int row) {
    return float(GUI_ROW_TOP + row * GUI_ROW_PITCH);
}

float GuiTimingColumnX(int column) {
    return float(-74 + column * 36);
}

// ---------------------------------------------------------------- sliders and groups

// Ranges cover what the star field does something sensible with and the built-in
// default background: colours and the layer opacity are bytes, the rotations degrees,
// the world sizes and positions world units, cloud drift hundredths of the noise's
// drift per frame, motion blur the part of the last frame dimmed away. Turn (±90),
// speed (±15), cloud flow (0-5) and star size (0-2) are narrower than a background may
// hold, so that a knob moves far enough to be dragged; a background's values outside a
// slider's range stay as they are until that slider is moved.
const GuiSlider kGuiSliders[] = {
    {"BGSBCR", GUI_PAGE_COLOURS, 0, 0, 0, 255, 0, 20, 1, "R",
     "Background red: sky colour, tints clouds and stars"},
    {"BGSBCG", GUI_PAGE_COLOURS, 0, 0, 1, 255, 0, 30, 1, "G",
     "Background green: sky colour, tints clouds and stars"},
    {"BGSBCB", GUI_PAGE_COLOURS, 0, 0, 2, 255, 0, 90, 1, "B",
     "Background blue: sky colour, tints clouds and stars"},
    {"BGSSCR", GUI_PAGE_COLOURS, 0, 1, 0, 255, 0, 0, 1, "R",
     "Start red: saved only; the star field ignores it"},
    {"BGSSCG", GUI_PAGE_COLOURS, 0, 1, 1, 255, 0, 0, 1, "G",
     "Start green: saved only; the star field ignores it"},
    {"BGSSCB", GUI_PAGE_COLOURS, 0, 1, 2, 255, 0, 0, 1, "B",
     "Start blue: saved only; the star field ignores it"},
    {"BGSECR", GUI_PAGE_COLOURS, 1, 0, 0, 255, 0, 230, 1, "R",
     "Star red: colour of a new star, fades with distance"},
    {"BGSECG", GUI_PAGE_COLOURS, 1, 0, 1, 255, 0, 230, 1, "G",
     "Star green: colour of a new star, fades with distance"},
    {"BGSECB", GUI_PAGE_COLOURS, 1, 0, 2, 255, 0, 255, 1, "B",
     "Star blue: colour of a new star, fades with distance"},
    {"BGSBCOLA", GUI_PAGE_COLOURS, 1, 1, 0, 255, 0, 255, 1, "SHOW",
     "Show layers: 0 plain sky colour, 255 clouds and stars"},
    {"BGSBCS", GUI_PAGE_COLOURS, 1, 1, 2, 5, 0, 1, 0.05f, "FLOW",
     "Flow: how fast the cloud pattern changes"},
    {"BGSMBLUR", GUI_PAGE_COLOURS, 2, 0, 1, 1, 0, 0.3f, 0.005f, "FADE",
     "Fade: 0 clears each frame; small values leave trails"},

    {"BGSSX", GUI_PAGE_MOTION, 0, 0, 0, 20, -20, 0, 0.2f, "X",
     "Sideways speed: saved only; the star field ignores it"},
    {"BGSSY", GUI_PAGE_MOTION, 0, 0, 1, 20, -20, 0, 0.2f, "Y",
     "Upward speed: saved only; the star field ignores it"},
    {"BGSSZ", GUI_PAGE_MOTION, 0, 0, 2, 15, -15, 5, 0.2f, "Z",
     "Speed toward you: below 0 the stars drift away"},
    {"BGSCRX", GUI_PAGE_MOTION, 0, 1, 0, 90, -90, 0, 1, "X", "Camera tilt up and down, in degrees"},
    {"BGSCRY", GUI_PAGE_MOTION, 0, 1, 1, 90, -90, 0, 1, "Y",
     "Camera turn left and right, in degrees"},
    {"BGSCRZ", GUI_PAGE_MOTION, 0, 1, 2, 360, 0, 0, 1, "Z", "Camera roll, in degrees"},
    {"BGSCAMPX", GUI_PAGE_MOTION, 1, 0, 0, 50, -50, 0, 0.5f, "X", "Camera position left and right"},
    {"BGSCAMPY", GUI_PAGE_MOTION, 1, 0, 1, 50, -50, 0, 0.5f, "Y", "Camera position up and down"},
    {"BGSCAMPZ", GUI_PAGE_MOTION, 1, 0, 2, 50, -50, 0, 0.5f, "Z",
     "Camera position forward and back"},
    {"BGSWSIZEX", GUI_PAGE_MOTION, 1, 1, 0, 100, 1, 35, 0.5f, "X",
     "World width: stars appear this far left and right"},
    {"BGSWSIZEY", GUI_PAGE_MOTION, 1, 1, 1, 100, 1, 35, 0.5f, "Y",
     "World height: stars appear this far up and down"},
    {"BGSWSIZEZ", GUI_PAGE_MOTION, 1, 1, 2, 200, 10, 50, 1, "Z",
     "World depth: how far away stars appear and fade in"},
    {"BGSNUMS", GUI_PAGE_MOTION, 2, 0, 0, 2000, 0, 500, 10, "NUM", "Number of stars"},
    {"BGSSIZE", GUI_PAGE_MOTION, 2, 0, 2, 2, 0, 0.4f, 0.02f, "SIZE",
     "Star size: half a star's width, in world units"},

    {"TTIME", GUI_PAGE_TIMING, 0, 0, 0, 30, 0, 5, 0.1f, "MOVE",
     "Move time: seconds the selected sliders take to move"},
    {"DELAY", GUI_PAGE_TIMING, 0, 0, 1, 30, 0, 2, 0.1f, "HOLD",
     "Hold time: seconds the selected sliders rest"},
};
const int kGuiSliderCount = int(sizeof kGuiSliders / sizeof kGuiSliders[0]);

const GuiGroup kGuiGroups[] = {
    {GUI_PAGE_COLOURS, 0, 0, "BACKGROUND"},  {GUI_PAGE_COLOURS, 0, 1, "START"},
    {GUI_PAGE_COLOURS, 1, 0, "STAR COLOUR"}, {GUI_PAGE_COLOURS, 1, 1, "CLOUDS"},
    {GUI_PAGE_COLOURS, 2, 0, "TRAILS"},      {GUI_PAGE_MOTION, 0, 0, "SPEED"},
    {GUI_PAGE_MOTION, 0, 1, "ROTATION"},     {GUI_PAGE_MOTION, 1, 0, "CAMERA"},
    {GUI_PAGE_MOTION, 1, 1, "WORLD"},        {GUI_PAGE_MOTION, 2, 0, "STARS"},
    {GUI_PAGE_TIMING, 0, 0, "TIMING"},
};
const int kGuiGroupCount = int(sizeof kGuiGroups / sizeof kGuiGroups[0]);

// ---------------------------------------------------------------- buttons

const GuiButton kGuiButtons[] = {
    {"PPAGE", 12, 5, 16, 16, "ArrowLeft", "Previous page"},
    {"NPAGE", 132, 5, 16, 16, "ArrowRight", "Next page"},
    {"BGROUND", 48, 420, 64, 16, "FaceScene", "Back to the pages of the scene on show"},
    {"RESET", 12, 440, 64, 16, "FaceReset", "Undo the changes since the last load or save"},
    {"LOAD", 84, 440, 64, 16, "FaceLoad", "Load the saved background"},
    {"SAVE", 12, 460, 64, 16, "FaceSave", "Save the background"},
    {"QUIT", 84, 460, 64, 16, "FaceQuit", "Leave without saving"},
};
const int kGuiButtonCount = int(sizeof kGuiButtons / sizeof kGuiButtons[0]);

const char* const kGuiModeDefines[5] = {"AnimNone", "AnimRand", "AnimLoopUp", "AnimLoopDown",
                                        "AnimPingPong"};
const char* const kGuiModeWords[5] = {"NONE", "RANDOM", "UP", "DOWN", "BOUNCE"};

const GuiPicture kGuiPictures[] = {
    {"Labels", "gui_labels.bmp", GUI_LABEL_PICTURE_WIDTH, 0},
    {"AnimNone", "gui_mode_none.bmp", 16, 16},
    {"AnimRand", "gui_mode_random.bmp", 16, 16},
    {"AnimLoopUp", "gui_mode_up.bmp", 16, 16},
    {"AnimLoopDown", "gui_mode_down.bmp", 16, 16},
    {"AnimPingPong", "gui_mode_bounce.bmp", 16, 16},
    {"ArrowLeft", "gui_arrow_left.bmp", 16, 16},
    {"ArrowRight", "gui_arrow_right.bmp", 16, 16},
    {"FaceScene", "gui_scene.bmp", 64, 16},
    {"FaceReset", "gui_reset.bmp", 64, 16},
    {"FaceLoad", "gui_load.bmp", 64, 16},
    {"FaceSave", "gui_save.bmp", 64, 16},
    {"FaceQuit", "gui_quit.bmp", 64, 16},
};
const int kGuiPictureCount = int(sizeof kGuiPictures / sizeof kGuiPictures[0]);

const char* GuiButtonFaceText(const char* define) {
    const std::string name = define;
    if (name == "ArrowLeft") return "<";
    if (name == "ArrowRight") return ">";
    if (name == "FaceScene") return "SCENE";
    if (name == "FaceReset") return "RESET";
    if (name == "FaceLoad") return "LOAD";
    if (name == "FaceSave") return "SAVE";
    if (name == "FaceQuit") return "QUIT";
    return "";
}

// ---------------------------------------------------------------- labels

const char* GuiPageTitle(int page) {
    return page == GUI_PAGE_COLOURS ? "COLOURS  1/2" : page == GUI_PAGE_MOTION ? "MOTION  2/2" : "";
}

int GuiTextWidth(const std::string& text) {
    return text.empty() ? 0 : int(text.size()) * GUI_LABEL_PITCH - 1;
}

GuiColour GuiLabelText(GuiLabelStyle style) {
    switch (style) {
        case LABEL_TITLE:
            return kTitleText;
        case LABEL_GROUP:
            return kGroupText;
        case LABEL_TAG:
            return kTagText;
        default:
            return kLegendText;
    }
}

GuiColour GuiLabelBackground(GuiLabelStyle style) {
    switch (style) {
        case LABEL_TITLE:
            return kHeaderColour;
        case LABEL_GROUP:
            return kPanelColour;
        default:
            return kWellColour;
    }
}

namespace {

std::vector<GuiLabel> PackLabels() {
    std::vector<GuiLabel> labels;
    auto add = [&labels](const std::string& text, GuiLabelStyle style) {
        for (const GuiLabel& label : labels)
            if (label.text == text && label.style == style) return;
        labels.push_back({text, style, 0, 0, GuiTextWidth(text) + 2, GUI_LABEL_HEIGHT});
    };
    add(GuiPageTitle(GUI_PAGE_COLOURS), LABEL_TITLE);
    add(GuiPageTitle(GUI_PAGE_MOTION), LABEL_TITLE);
    for (int i = 0; i < kGuiGroupCount; ++i) add(kGuiGroups[i].label, LABEL_GROUP);
    add("MODES", LABEL_GROUP);
    for (int i = 0; i < kGuiSliderCount; ++i) add(kGuiSliders[i].tag, LABEL_TAG);
    for (const char* word : kGuiModeWords) add(word, LABEL_LEGEND);

    // Widest first, each in a cell one pixel larger all round.
    std::stable_sort(labels.begin(), labels.end(),
                     [](const GuiLabel& a, const GuiLabel& b) { return a.width > b.width; });
    int x = 0, y = 0;
    for (GuiLabel& label : labels) {
        if (x + label.width + 2 > GUI_LABEL_PICTURE_WIDTH) {
            x = 0;
            y += GUI_LABEL_HEIGHT + 2;
        }
        label.x = x + 1;
        label.y = y + 1;
        x += label.width + 2;
    }
    return labels;
}

}  // namespace

const std::vector<GuiLabel>& GuiLabels() {
    static const std::vector<GuiLabel> labels = PackLabels();
    return labels;
}

int GuiLabelPictureHeight() {
    int used = 0;
    for (const GuiLabel& label : GuiLabels()) used = std::max(used, label.y + label.height + 1);
    int height = 1;
    while (height < used) height *= 2;
    return height;
}

const GuiLabel* FindGuiLabel(const std::string& text, GuiLabelStyle style) {
    for (const GuiLabel& label : GuiLabels())
        if (label.text == text && label.style == style) return &label;
    return nullptr;
}
