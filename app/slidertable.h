// SliderTable: every control of the editor, by identifier, with the keyword through
// which the GUI configuration places it and the background file names its channel.
// Identifiers 17..42 are the star field's parameters; each control has one animation
// channel in the VxAnimator, indexed by identifier.
#pragma once

#include <cstdint>

enum ControlKind { CONTROL_KIND_SLIDER = 1, CONTROL_KIND_BUTTON = 2 };
// Storage class of a row: whether its channel is saved in the background file.
enum ControlStorage { CONTROL_NOT_SAVED = 0, CONTROL_SAVED = 2 };

enum ControlId {
    CONTROL_END = 0,
    CONTROL_RESET = 1,
    CONTROL_ABOUT = 2,
    CONTROL_QUIT = 3,
    CONTROL_SAVE = 4,
    CONTROL_LOAD = 5,
    CONTROL_BGROUND = 6,
    CONTROL_NPAGE = 7,
    CONTROL_PPAGE = 8,
    CONTROL_TTIME = 9,
    CONTROL_DELAY = 10,
    CONTROL_SLIDERP = 11,
    CONTROL_BGSTARFIELD = 12,
    CONTROL_BGSTARFIELD1 = 13,
    CONTROL_BGSTARFIELD2 = 14,
    CONTROL_BGPREV = 15,
    CONTROL_BGNEXT = 16,
    CONTROL_BGSBCR = 17,  // background colour
    CONTROL_BGSBCG = 18,
    CONTROL_BGSBCB = 19,
    CONTROL_BGSSCR = 20,  // start colour
    CONTROL_BGSSCG = 21,
    CONTROL_BGSSCB = 22,
    CONTROL_BGSECR = 23,  // end colour
    CONTROL_BGSECG = 24,
    CONTROL_BGSECB = 25,
    CONTROL_BGSSX = 26,  // speed
    CONTROL_BGSSY = 27,
    CONTROL_BGSSZ = 28,
    CONTROL_BGSCRX = 29,  // camera rotation
    CONTROL_BGSCRY = 30,
    CONTROL_BGSCRZ = 31,
    CONTROL_BGSNUMS = 32,
    CONTROL_BGSMBLUR = 33,
    CONTROL_BGSSIZE = 34,
    CONTROL_BGSWSIZEX = 35,  // world size
    CONTROL_BGSWSIZEY = 36,
    CONTROL_BGSWSIZEZ = 37,
    CONTROL_BGSCAMPX = 38,  // camera position
    CONTROL_BGSCAMPY = 39,
    CONTROL_BGSCAMPZ = 40,
    CONTROL_BGSBCOLA = 41,
    CONTROL_BGSBCS = 42,
    CONTROL_COUNT = 43,
};

#define SCENE_PARAMETER_FIRST CONTROL_BGSBCR
#define SCENE_PARAMETER_LAST CONTROL_BGSBCS

struct SliderTableRow {
    int32_t id;
    const char* keyword;
    int32_t kind;
    int32_t storage;
    int32_t reserved;  // always 0
};

// 42 control rows in table order, then the row with identifier 0 that ends it.
#define SLIDER_TABLE_ROWS 43
extern const SliderTableRow SliderTable[SLIDER_TABLE_ROWS];

// The row of a keyword, letter case ignored; null when there is none.
const SliderTableRow* FindSliderRow(const char* keyword);
const SliderTableRow* FindSliderRowById(int32_t id);
