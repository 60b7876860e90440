// Where the editor's parts lie on the 640 x 480 virtual screen (y downward): the scene
// left of the panel and above the info line, the panel whose corner gui.cfg's
// coordinates start from, and the overlays drawn by the program itself. Kept in one
// place so that a change of the 2-D layer's scale or of the panel's place is one edit.
#pragma once

#include <cstdint>

// The virtual screen.
const float kScreenWidth = 640.0f;
const float kScreenHeight = 480.0f;
// The scene's part while the editor shows: left of the panel, above the info line.
const float kSceneWidth = 480.0f;
const float kSceneHeight = 466.0f;
// The panel: the strip at the right, as gui.cfg's coordinates are taken from it.
const float kPanelLeft = 480.0f, kPanelTop = 0.0f, kPanelWidth = 160.0f, kPanelHeight = 480.0f;
// The info line below the scene: left, top, width, height (one line of text).
const int32_t kInfoLineLeft = 0, kInfoLineTop = 466, kInfoLineWidth = 480, kInfoLineHeight = 13;

// The mark of unsaved changes in the panel's title band, from the panel's corner:
// after the page title, before the next-page arrow.
const char kUnsavedMark[] = "*";
const float kUnsavedMarkX = 119.0f, kUnsavedMarkY = 9.0f;

// The help box (F1) over the scene: one line a key or pointer action, the key in the
// first column.
struct HelpEntry {
    const char* key;
    const char* action;
};
const float kHelpLeft = 10.0f, kHelpRight = 470.0f, kHelpTop = 30.0f;
const float kHelpTitleHeight = 20.0f, kHelpTitleX = 160.0f;
const float kHelpInset = 8.0f, kHelpKeyWidth = 135.0f;
const float kHelpLineTop = 8.0f, kHelpPitch = 12.0f;
