#include "settingsdialog.h"

#include "base/screenb.h"
#include "misc.h"
#include "xsystem.h"

const char* const kPriorityNames[PRIORITY_CHOICES] = {"Idle", "Normal (Default)", "High"};
const int32_t kPriorityValues[PRIORITY_CHOICES] = {0, 100, 200};
const char* const kFrameRateNames[FRAME_RATE_CHOICES] = {"Match the display", "60", "30"};
const int32_t kFrameRateValues[FRAME_RATE_CHOICES] = {0, 60, 30};

namespace {

const int32_t kNormalPriorityPosition = 1;

// The kind is not kept in the settings file, but the saved screen choice names it, so
// the dialog opens on the renderer the screensaver really uses.
int32_t KindToPreselect(const SettingsRecord& settings) {
    if (settings.screenKind != 0) return settings.screenKind;
    if (settings.screenSelection.valid >= 1) return settings.screenSelection.kind;
    return 0;
}

// The selected entry's data; records the two texts of the failure.
template <typename Item>
Item* SelectedItem(ChoiceList* list, const char* noPosition, const char* noData) {
    int32_t position = list->Selected();
    if (position < 0) {
        SetErrorText("%s", noPosition);
        return nullptr;
    }
    void* data = nullptr;
    if (!list->Data(position, &data) || !data) {
        SetErrorText("%s", noData);
        return nullptr;
    }
    return static_cast<Item*>(data);
}

}  // namespace

void FillRendererList(ChoiceList* renderers, const SettingsRecord& settings) {
    int32_t kind = KindToPreselect(settings);
    int32_t selected = -1;
    if (LList* screens = glb ? glb->screenList : nullptr) {
        bool pushed = screens->PushCursor();
        for (bool more = screens->First(); more; more = screens->Next()) {
            Screen* screen = static_cast<Screen*>(screens->Current());
            if (!screen || !screen->IsAvailable()) continue;
            int32_t position = renderers->Add(screen->Name(), screen);
            if (position >= 0 && screen->Kind() == kind) selected = position;
        }
        if (pushed) screens->PopCursor();
    }
    renderers->Select(selected >= 0 ? selected : 0);
}

void FillPriorityList(ChoiceList* priorities, const SettingsRecord& settings) {
    int32_t selected = kNormalPriorityPosition;
    for (int32_t position = 0; position < PRIORITY_CHOICES; ++position) {
        priorities->Add(kPriorityNames[position], nullptr);
        if (settings.priority == kPriorityValues[position]) selected = position;
    }
    priorities->Select(selected);
}

int FillResolutionList(ChoiceList* renderers, ChoiceList* resolutions,
                       const SettingsRecord& settings) {
    Screen* screen = SelectedItem<Screen>(renderers, "Unable to get the selected screens number",
                                          "Unable to get the selected screens data");
    if (!screen) return 0;
    resolutions->Clear();
    int32_t selected = -1;
    for (int more = screen->ModeFirst(); more && screen->ModeValid(); more = screen->ModeNext()) {
        ScreenMode* mode = screen->ModeCurrent();
        if (!mode || mode->displayMode == DISPLAY_WINDOW) continue;
        int32_t position = resolutions->Add(mode->modeName, mode);
        if (position < 0) continue;
        // A desktop choice is the desktop entry, whatever its size; a full-screen one
        // is the mode of its size, never the desktop entry of the same size.
        bool chosen = settings.displayMode == DISPLAY_DESKTOP
                          ? mode->displayMode == DISPLAY_DESKTOP
                          : mode->displayMode != DISPLAY_DESKTOP && mode->width == settings.width &&
                                mode->height == settings.height && mode->bits == settings.bits;
        if (chosen) selected = position;
    }
    resolutions->Select(selected >= 0 ? selected : 0);
    return 1;
}

int AcceptSettingsChoices(ChoiceList* renderers, ChoiceList* resolutions, ChoiceList* priorities,
                          SettingsRecord* settings) {
    Screen* screen = SelectedItem<Screen>(renderers, "Unable to get the selected screens number",
                                          "Unable to get the selected screens data");
    if (!screen) return 0;
    settings->screenKind = screen->Kind();
    ScreenMode* mode =
        SelectedItem<ScreenMode>(resolutions, "Unable to get the selected videomode number",
                                 "Unable to get the selected videomode data");
    if (!mode) return 0;
    settings->width = mode->width;
    settings->height = mode->height;
    settings->bits = mode->bits;
    settings->displayMode = mode->displayMode;
    int32_t position = priorities->Selected();
    if (position < 0 || position >= PRIORITY_CHOICES)
        return SetErrorText("Unable to get the priority");
    settings->priority = kPriorityValues[position];
    return 1;
}

void FillFrameRateList(ChoiceList* frameRates, const SettingsRecord& settings) {
    frameRates->Clear();
    int32_t selected = 0;
    for (int32_t position = 0; position < FRAME_RATE_CHOICES; ++position) {
        frameRates->Add(kFrameRateNames[position], nullptr);
        if (ChosenFrameRate(settings) == kFrameRateValues[position]) selected = position;
    }
    frameRates->Select(selected);
}

int AcceptFrameRateChoice(ChoiceList* frameRates, SettingsRecord* settings) {
    const int32_t position = frameRates->Selected();
    if (position < 0 || position >= FRAME_RATE_CHOICES)
        return SetErrorText("Unable to get the frame rate");
    if (kFrameRateValues[position] != ChosenFrameRate(*settings))
        settings->frameRate = kFrameRateValues[position];
    return 1;
}
