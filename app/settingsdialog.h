// The settings dialog's logic apart from its window: which renderers, resolutions and
// priorities it lists, which entries it preselects, and what OK writes into the
// settings. The dialog procedures (app/win/) back each list with a drop-down list.
#pragma once

#include <cstdint>

#include "settings.h"

// A drop-down list of texts, each entry carrying a pointer.
class ChoiceList {
public:
    virtual ~ChoiceList() = default;
    virtual void Clear() = 0;
    // Appends an entry; its position, or -1 when it could not be added.
    virtual int32_t Add(const char* text, void* data) = 0;
    virtual void Select(int32_t position) = 0;
    // The selected position, -1 when none is.
    virtual int32_t Selected() = 0;
    // 1 with the entry's data, 0 when it cannot be read.
    virtual int Data(int32_t position, void** data) = 0;
};

// The priorities at positions 0, 1, 2, and the values they stand for.
#define PRIORITY_CHOICES 3
extern const char* const kPriorityNames[PRIORITY_CHOICES];
extern const int32_t kPriorityValues[PRIORITY_CHOICES];

// The available screens of the screen list, each with its Screen as data; selects the
// screen of the settings' kind (when none is chosen yet, the kind of the saved screen
// choice), else position 0.
void FillRendererList(ChoiceList* renderers, const SettingsRecord& settings);
// "Idle", "Normal (Default)", "High"; selects the settings' priority, else "Normal".
void FillPriorityList(ChoiceList* priorities, const SettingsRecord& settings);
// The selected renderer's full-screen and desktop modes, each with its ScreenMode as
// data; selects the settings' size and depth (or, for the desktop display mode, the
// desktop mode), the last match winning, else position 0. 0 with the error recorded
// when the selected renderer cannot be read.
int FillResolutionList(ChoiceList* renderers, ChoiceList* resolutions,
                       const SettingsRecord& settings);
// The frame rates at positions 0, 1, 2 ("Match the display", "60", "30") and the
// settings' value of each (0 matches the display).
#define FRAME_RATE_CHOICES 3
extern const char* const kFrameRateNames[FRAME_RATE_CHOICES];
extern const int32_t kFrameRateValues[FRAME_RATE_CHOICES];
// Selects the settings' frame rate, else "Match the display".
void FillFrameRateList(ChoiceList* frameRates, const SettingsRecord& settings);
// OK: writes the chosen frame rate; a value of another version that matches the display
// stays as it is. 1 done; 0 with the error recorded when none is selected.
int AcceptFrameRateChoice(ChoiceList* frameRates, SettingsRecord* settings);
// OK: writes the chosen screen kind, mode and priority into the settings. 1 when the
// dialog may end; 0 with the error recorded, keeping what the earlier steps wrote.
int AcceptSettingsChoices(ChoiceList* renderers, ChoiceList* resolutions, ChoiceList* priorities,
                          SettingsRecord* settings);

// Shows the settings dialog modally, owned by the given window (0: none), on the
// settings record: 1 OK, 0 Cancel; 0 with the error recorded when it cannot be shown.
int ShowSettingsDialog(WindowHandle owner);
