// The editor panel as designed: its geometry in the 160 x 480 strip at the right of the
// virtual screen, its colours, the 26 parameter sliders with the timing pair, the text
// labels and where each lies in the label picture. make_guiconfig writes gui.cfg from
// it and make_textures paints the pictures that gui.cfg names, so the two agree.
//
// Coordinates are panel units (the strip's top-left is 0, 0; y downward), which are
// pixels at 640 x 480. Every picture is drawn 1:1 there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GuiColour {
    uint8_t r, g, b;
};

// ---------------------------------------------------------------- colours

extern const GuiColour kPanelColour;    // the strip
extern const GuiColour kHeaderColour;   // the title band
extern const GuiColour kWellColour;     // the sunken box of a group
extern const GuiColour kEdgeLight;      // the lit edge of a well, the strip's border
extern const GuiColour kEdgeDark;       // the shaded edge of a well
extern const GuiColour kDividerColour;  // lines across the strip

// ---------------------------------------------------------------- geometry

#define GUI_PANEL_WIDTH 160
#define GUI_PANEL_HEIGHT 480
#define GUI_HEADER_HEIGHT 26
#define GUI_FOOTER_TOP 414
// Slider rows: a group label, then a well holding each slider's mode button, its track
// and its tag.
#define GUI_ROW_TOP 30
#define GUI_ROW_PITCH 128
#define GUI_ROWS 3
#define GUI_LABEL_HEIGHT 10
#define GUI_WELL_TOP 11      // below the row's top
#define GUI_WELL_BOTTOM 124  // below the row's top
#define GUI_SLIDER_TOP 13    // the slider's box: mode button, then track
#define GUI_MODE_HEIGHT 16
#define GUI_TRACK_OFFSET 19  // the track's top below the box's top
#define GUI_TRACK_LENGTH 78
#define GUI_TAG_TOP 112
// Two slots of three columns a row.
#define GUI_SLOT_LEFT_0 11
#define GUI_SLOT_LEFT_1 91
#define GUI_COLUMN_PITCH 21
#define GUI_SLIDER_WIDTH 16
#define GUI_WELL_MARGIN 6  // around the columns

// Left x of a slot's column, top y of a row.
float GuiColumnX(int slot, int column);
float GuiRowY(int row);

// ---------------------------------------------------------------- sliders and groups

enum GuiPage { GUI_PAGE_COLOURS = 13, GUI_PAGE_MOTION = 14, GUI_PAGE_TIMING = 11 };

struct GuiSlider {
    const char* keyword;
    int page;
    int row, slot, column;
    float top, bottom;  // range: the value at the top and at the bottom of the track
    float value;        // initial
    float step;         // value units per unit of pointer movement
    const char* tag;    // under the track
    const char* caption;
};

struct GuiGroup {
    int page;
    int row, slot;
    const char* label;
};

extern const GuiSlider kGuiSliders[];
extern const int kGuiSliderCount;
extern const GuiGroup kGuiGroups[];
extern const int kGuiGroupCount;

// The timing pair on the properties page: a small panel left of the strip.
#define GUI_TIMING_LEFT (-92)
#define GUI_TIMING_RIGHT (-4)
#define GUI_TIMING_TOP 278
#define GUI_TIMING_BOTTOM 416
#define GUI_TIMING_ROW 286  // as a slider row's top
float GuiTimingColumnX(int column);

// The legend of the animation modes: a group slot on every parameter page.
#define GUI_LEGEND_ROW 2
#define GUI_LEGEND_SLOT 1
#define GUI_LEGEND_PITCH 21

// ---------------------------------------------------------------- buttons

struct GuiButton {
    const char* keyword;
    float x, y, width, height;
    const char* define;  // its face picture
    const char* caption;
};

extern const GuiButton kGuiButtons[];
extern const int kGuiButtonCount;

// The pictures of gui.cfg's "Textures" chunk, all in textures/.
struct GuiPicture {
    const char* define;
    const char* file;  // in the textures directory
    int width, height;
};

extern const GuiPicture kGuiPictures[];
extern const int kGuiPictureCount;

// The faces of the buttons, by define: a word, or an arrow when the text is "<" or ">".
const char* GuiButtonFaceText(const char* define);

// The five animation modes, in mode order: the texture defines and the legend's words.
extern const char* const kGuiModeDefines[5];
extern const char* const kGuiModeWords[5];

// ---------------------------------------------------------------- labels

enum GuiLabelStyle {
    LABEL_TITLE,   // on the header band
    LABEL_GROUP,   // on the strip, over a well
    LABEL_TAG,     // in a well, under a track
    LABEL_LEGEND,  // in a well, beside a mode icon
};

// One label in the label picture: the text's box with one pixel of background around
// it (the box drawn on screen), kept one more pixel away from its neighbours so that
// filtering at other resolutions brings in no other colour.
struct GuiLabel {
    std::string text;
    GuiLabelStyle style;
    int x, y, width, height;
};

#define GUI_LABEL_PICTURE_WIDTH 256
#define GUI_LABEL_PITCH 6  // glyph advance: the font's five pixels and a gap

// Every label the layout uses, packed row by row into the label picture.
const std::vector<GuiLabel>& GuiLabels();
int GuiLabelPictureHeight();
// Null when the layout has no such label.
const GuiLabel* FindGuiLabel(const std::string& text, GuiLabelStyle style);
// Width in pixels of a text at the label pitch.
int GuiTextWidth(const std::string& text);
GuiColour GuiLabelText(GuiLabelStyle style);
GuiColour GuiLabelBackground(GuiLabelStyle style);
// The page titles.
const char* GuiPageTitle(int page);
