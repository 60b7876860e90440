// The settings dialog's logic on lists kept in memory and recording screens: what it
// lists and preselects, and what OK writes or refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ansi/memory.h"
#include "misc.h"
#include "recording_screen.h"
#include "settingsdialog.h"
#include "xsystem.h"

namespace {

// A drop-down list as the dialog's combo box behaves: entries appended, one selection
// that a position outside the list clears.
class ListedChoices : public ChoiceList {
public:
    void Clear() override {
        texts.clear();
        data.clear();
        selected = -1;
    }
    int32_t Add(const char* text, void* item) override {
        texts.push_back(text);
        data.push_back(item);
        return int32_t(texts.size()) - 1;
    }
    void Select(int32_t position) override {
        selected = position >= 0 && position < int32_t(texts.size()) ? position : -1;
    }
    int32_t Selected() override { return selected; }
    int Data(int32_t position, void** item) override {
        if (unreadable || position < 0 || position >= int32_t(data.size())) return 0;
        *item = data[size_t(position)];
        return 1;
    }
    std::string SelectedText() const { return selected < 0 ? "" : texts[size_t(selected)]; }

    std::vector<std::string> texts;
    std::vector<void*> data;
    int32_t selected = -1;
    bool unreadable = false;
};

std::string LastError() {
    char text[ERROR_MESSAGE_SIZE];
    return GetErrorMessage(text, sizeof text) ? text : "";
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        settings.width = 640;
        settings.height = 480;
        settings.bits = 16;
        settings.displayMode = DISPLAY_FULLSCREEN;
        settings.priority = 100;
    }
    // A listed screen whose mode list is already built, as Init builds it before the
    // dialog opens.
    RecordingScreen* MakeScreen(const char* name, int32_t kind,
                                std::vector<RecordingScreen::OfferedMode> modes) {
        RecordingScreen* screen = screens.MakeScreen(name, kind);
        screen->offeredModes = modes;
        screen->GetModeList();
        return screen;
    }
    // The dialog as it opens: renderers, priorities, then the renderer's resolutions.
    void Open() {
        FillRendererList(&renderers, settings);
        FillPriorityList(&priorities, settings);
        FillResolutionList(&renderers, &resolutions, settings);
    }

    OwnScreenList screens;
    SettingsRecord settings;
    ListedChoices renderers, resolutions, priorities;
};

TEST_F(SettingsDialog, ListsAvailableScreensWithTheirOwnModesAndOkStoresTheChoice) {
    RecordingScreen* fx = MakeScreen("3dfx opengl", SCREEN_3DFX, {{640, 480, 16, 1}});
    fx->available = 0;
    RecordingScreen* ogl =
        MakeScreen("Standard opengl", SCREEN_OPENGL,
                   {{800, 600, 32, 1}, {640, 480, 16, 2}, {640, 480, 16, 1}, {1024, 768, 32, 2}});
    RecordingScreen* d3d = MakeScreen("Direct 3d", SCREEN_D3D, {{1024, 768, 16, 1}});
    settings.screenKind = SCREEN_D3D;
    settings.width = 800;
    settings.height = 600;
    settings.bits = 32;
    Open();

    // The unavailable screen takes no position; the data stays paired with its entry.
    EXPECT_EQ(renderers.texts, (std::vector<std::string>{"Standard opengl", "Direct 3d"}));
    EXPECT_EQ(renderers.data, (std::vector<void*>{ogl, d3d}));
    EXPECT_EQ(renderers.SelectedText(), "Direct 3d");
    // Direct 3d has no 800x600x32: its first mode.
    EXPECT_EQ(resolutions.texts, (std::vector<std::string>{"1024x768x16"}));
    EXPECT_EQ(resolutions.selected, 0);
    EXPECT_EQ(priorities.texts, (std::vector<std::string>{"Idle", "Normal (Default)", "High"}));
    EXPECT_EQ(priorities.SelectedText(), "Normal (Default)");

    // Another renderer refills the list with its modes, window modes left out.
    renderers.Select(0);
    ASSERT_EQ(FillResolutionList(&renderers, &resolutions, settings), 1);
    EXPECT_EQ(resolutions.texts, (std::vector<std::string>{"640x480x16", "800x600x32"}));
    EXPECT_EQ(resolutions.SelectedText(), "800x600x32");

    resolutions.Select(0);
    priorities.Select(2);
    SettingsRecord before = settings;
    ASSERT_EQ(AcceptSettingsChoices(&renderers, &resolutions, &priorities, &settings), 1);
    EXPECT_EQ(settings.screenKind, SCREEN_OPENGL);
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 480);
    EXPECT_EQ(settings.bits, 16);
    EXPECT_EQ(settings.displayMode, DISPLAY_FULLSCREEN);
    EXPECT_EQ(settings.priority, 200);
    // Nothing else changes.
    EXPECT_EQ(std::memcmp(&settings.screenSelection, &before.screenSelection,
                          sizeof settings.screenSelection),
              0);
    EXPECT_EQ(LastError(), "");
}

TEST_F(SettingsDialog, PreselectsPriorityDesktopModeAndTheSavedScreen) {
    MakeScreen("Standard opengl", SCREEN_OPENGL,
               {{640, 480, 16, 1}, {1280, 1024, 32, 3}, {1280, 1024, 32, 1}, {1600, 1200, 32, 1}});
    MakeScreen("Direct 3d", SCREEN_D3D, {{800, 600, 16, 1}, {1024, 768, 32, 3}});
    // Not chosen in this run: the kind of the saved screen choice.
    settings.screenSelection.valid = 1;
    settings.screenSelection.kind = SCREEN_D3D;
    settings.displayMode = DISPLAY_DESKTOP;
    settings.priority = 50;
    Open();
    EXPECT_EQ(renderers.SelectedText(), "Direct 3d");
    EXPECT_EQ(resolutions.texts, (std::vector<std::string>{"Desktop (1024x768)", "800x600x16"}));
    EXPECT_EQ(resolutions.SelectedText(), "Desktop (1024x768)");  // whatever its size
    EXPECT_EQ(priorities.SelectedText(), "Normal (Default)");
    ASSERT_EQ(AcceptSettingsChoices(&renderers, &resolutions, &priorities, &settings), 1);
    EXPECT_EQ(settings.priority, 100);
    EXPECT_EQ(settings.displayMode, DISPLAY_DESKTOP);
    EXPECT_EQ(settings.width, 1024);

    // A kind chosen in this run wins over the saved one; a full-screen mode of the
    // settings' size is no desktop choice.
    settings.screenKind = SCREEN_OPENGL;
    settings.width = 640;
    settings.height = 480;
    settings.bits = 16;
    settings.priority = 0;
    renderers.Clear();
    priorities.Clear();
    Open();
    EXPECT_EQ(renderers.SelectedText(), "Standard opengl");
    EXPECT_EQ(resolutions.SelectedText(), "Desktop (1280x1024)");
    EXPECT_EQ(priorities.SelectedText(), "Idle");

    // Full screen at the desktop's size is that full-screen mode, not the desktop entry
    // of the same size listed first.
    settings.displayMode = DISPLAY_FULLSCREEN;
    settings.width = 1280;
    settings.height = 1024;
    settings.bits = 32;
    renderers.Clear();
    priorities.Clear();
    Open();
    EXPECT_EQ(resolutions.texts[0], "Desktop (1280x1024)");
    EXPECT_EQ(resolutions.SelectedText(), "1280x1024x32");
    resolutions.Select(0);
    ASSERT_EQ(AcceptSettingsChoices(&renderers, &resolutions, &priorities, &settings), 1);
    EXPECT_EQ(settings.displayMode, DISPLAY_DESKTOP);

    // Nothing matches: the first entries.
    settings.screenKind = 7;
    settings.displayMode = DISPLAY_FULLSCREEN;
    settings.width = 321;
    renderers.Clear();
    Open();
    EXPECT_EQ(renderers.selected, 0);
    EXPECT_EQ(resolutions.SelectedText(), "Desktop (1280x1024)");
}

TEST_F(SettingsDialog, OkRefusesWhatItCannotReadAndKeepsTheEarlierSteps) {
    RecordingScreen* ogl = MakeScreen("Standard opengl", SCREEN_OPENGL, {{800, 600, 32, 1}});
    settings.screenKind = 0;
    struct Case {
        const char* error;
        ListedChoices* broken;
        bool unselected;  // else the data cannot be read
    } cases[] = {
        {"Unable to get the selected screens number", &renderers, true},
        {"Unable to get the selected screens data", &renderers, false},
        {"Unable to get the selected videomode number", &resolutions, true},
        {"Unable to get the selected videomode data", &resolutions, false},
        {"Unable to get the priority", &priorities, true},
    };
    for (const Case& c : cases) {
        renderers = resolutions = priorities = ListedChoices();
        Open();
        SettingsRecord written = settings;
        written.screenKind = 0;
        written.width = 1;
        written.priority = 100;
        if (c.unselected)
            c.broken->Select(-1);
        else
            c.broken->unreadable = true;
        ClearError();
        EXPECT_EQ(AcceptSettingsChoices(&renderers, &resolutions, &priorities, &written), 0)
            << c.error;
        EXPECT_EQ(LastError(), c.error);
        bool screenRead = c.broken != &renderers;
        bool modeRead = screenRead && c.broken != &resolutions;
        EXPECT_EQ(written.screenKind, screenRead ? SCREEN_OPENGL : 0) << c.error;
        EXPECT_EQ(written.width, modeRead ? 800 : 1) << c.error;
        EXPECT_EQ(written.priority, 100) << c.error;
    }

    // The renderer notice on a list without a selection records its error and leaves
    // the resolutions alone.
    renderers = resolutions = ListedChoices();
    resolutions.Add("kept", ogl);
    ClearError();
    EXPECT_EQ(FillResolutionList(&renderers, &resolutions, settings), 0);
    EXPECT_EQ(LastError(), "Unable to get the selected screens number");
    EXPECT_EQ(resolutions.texts, (std::vector<std::string>{"kept"}));

    // No screen at all: empty lists, nothing selected, and OK cannot pass.
    glb->screenList->Clear();
    renderers = resolutions = priorities = ListedChoices();
    FillRendererList(&renderers, settings);
    FillPriorityList(&priorities, settings);
    EXPECT_TRUE(renderers.texts.empty());
    EXPECT_EQ(renderers.selected, -1);
    EXPECT_EQ(AcceptSettingsChoices(&renderers, &resolutions, &priorities, &settings), 0);
}

// The stored frame rate preselects its entry (one not offered: "Match the display"); OK
// writes the one chosen, and keeps a value outside 1..1000 (an older version's) if matched.
TEST_F(SettingsDialog, FrameRateChoiceFollowsAndWritesTheSettings) {
    const struct Case {
        int32_t stored;
        const char* shown;
        int32_t chosen, written;
    } cases[] = {{0, "Match the display", 0, 0},
                 {60, "60", 1, 60},
                 {30, "30", 2, 30},
                 {144, "Match the display", 0, 0},
                 {0x5EED1234, "Match the display", 0, 0x5EED1234},
                 {-5, "Match the display", 1, 60}};
    ListedChoices frameRates;
    for (const Case& c : cases) {
        settings.frameRate = c.stored;
        FillFrameRateList(&frameRates, settings);
        EXPECT_EQ(frameRates.texts, (std::vector<std::string>{"Match the display", "60", "30"}));
        EXPECT_EQ(frameRates.SelectedText(), c.shown) << c.stored;
        frameRates.Select(c.chosen);
        ASSERT_EQ(AcceptFrameRateChoice(&frameRates, &settings), 1);
        EXPECT_EQ(settings.frameRate, c.written) << c.stored;
    }
    frameRates.Select(-1);
    EXPECT_EQ(AcceptFrameRateChoice(&frameRates, &settings), 0);
    EXPECT_EQ(LastError(), "Unable to get the frame rate");
    ClearError();
}

}  // namespace
