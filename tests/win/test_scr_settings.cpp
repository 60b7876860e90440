// The settings and about dialogs of a /r run, worked through window messages as a
// user's choices and clicks arrive: the lists they show, the settings file they leave
// and the screen mode a following /s run opens. Pictures of both dialogs go to
// docs\ beside the program for the README.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "version.h"

namespace {

const int kOk = 1, kCancel = 2, kAbout = 3, kLink = 1012;
const int kResolution = 1013, kRenderer = 1014, kPriority = 1015;

// Where the values of "novadrift.cfg" stand: its "HEADER" content begins at byte 37.
const size_t kWidthAt = 106, kHeightAt = 110, kBitsAt = 114, kDisplayModeAt = 118;
const size_t kPriorityAt = 126, kSelectionValidAt = 130, kSelectionKindAt = 134;

std::string SettingsPath() {
    return TestProgramDirectory() + "novadrift.cfg";
}

int Find(const std::vector<std::string>& texts, const std::string& text) {
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : int(found - texts.begin());
}

// A picture of the dialog as it stands, for the README.
void SavePicture(HWND dialog, const char* name) {
    std::string directory = TestProgramDirectory() + "docs";
    CreateDirectoryA(directory.c_str(), nullptr);
    EXPECT_TRUE(SavePng(CaptureWindow(dialog), directory + "\\" + name)) << name;
}

void Repaint(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The full-screen modes the OpenGL screen lists from what the display offers: each
// candidate size and depth once, ordered by width, height and depth.
std::vector<std::string> OfferedFullScreenModes() {
    static const int sizes[][2] = {{400, 300},   {512, 384},  {640, 480},  {800, 600},
                                   {960, 720},   {1024, 768}, {1152, 864}, {1280, 1024},
                                   {1600, 1200}, {2048, 1536}};
    std::set<std::vector<int>> offered;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i)
        for (const auto& size : sizes)
            if (int(mode.dmPelsWidth) == size[0] && int(mode.dmPelsHeight) == size[1] &&
                (mode.dmBitsPerPel == 16 || mode.dmBitsPerPel == 24 || mode.dmBitsPerPel == 32))
                offered.insert({size[0], size[1], int(mode.dmBitsPerPel)});
    std::vector<std::string> names;
    for (const std::vector<int>& m : offered)
        names.push_back(std::to_string(m[0]) + "x" + std::to_string(m[1]) + "x" +
                        std::to_string(m[2]));
    return names;
}

TEST(ScrSettings, TheChosenRendererModeAndPriorityAreSavedAndUsedByTheScreensaver) {
    DeleteFileA(SettingsPath().c_str());
    std::vector<std::string> renderers, priorities, resolutions, firstResolutions;
    std::string preselected;
    int prioritySelected = -1;
    bool chosen = false, accepted = false;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        if (!dialog || accepted) return;
        if (!chosen) {
            renderers = ListTexts(dialog, kRenderer);
            priorities = ListTexts(dialog, kPriority);
            prioritySelected = SelectedPosition(dialog, kPriority);
            std::vector<std::string> shown = ListTexts(dialog, kResolution);
            firstResolutions = shown;
            int at = SelectedPosition(dialog, kResolution);
            preselected = at >= 0 && at < int(shown.size()) ? shown[size_t(at)] : "";
            // An entry that only a refill takes away.
            SendMessageW(GetDlgItem(dialog, kResolution), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(L"stray"));
            ChooseListEntry(dialog, kRenderer, Find(renderers, "Standard opengl"));
            resolutions = ListTexts(dialog, kResolution);
            ChooseListEntry(dialog, kResolution, Find(resolutions, "800x600x32"));
            ChooseListEntry(dialog, kPriority, Find(priorities, "High"));
            Repaint(dialog);
            chosen = true;
            return;
        }
        SavePicture(dialog, "settings-dialog.png");
        ClickButton(dialog, kOk);
        accepted = true;
    });
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;

    // Every available screen by name (Direct 3d where DirectDraw works; never the 3dfx
    // screen without its driver).
    EXPECT_NE(Find(renderers, "Standard opengl"), -1);
    for (const std::string& name : renderers)
        EXPECT_TRUE(name == "Standard opengl" || name == "Direct 3d") << name;
    // Under Wine the Direct3D screen comes first, selected without a settings file, with
    // its own full-screen modes.
    ASSERT_FALSE(renderers.empty());
    EXPECT_EQ(renderers[0], "Direct 3d");
    EXPECT_NE(Find(firstResolutions, "640x480x16"), -1);
    // Full-screen modes only, each once: the window entries are left out.
    EXPECT_EQ(resolutions, OfferedFullScreenModes());
    EXPECT_NE(Find(resolutions, "800x600x32"), -1);
    EXPECT_EQ(preselected, "640x480x16");  // the defaults, without a settings file
    EXPECT_EQ(priorities, (std::vector<std::string>{"Idle", "Normal (Default)", "High"}));
    EXPECT_EQ(prioritySelected, 1);

    std::string file = ReadFileText(SettingsPath());
    ASSERT_EQ(file.size(), 386u);
    EXPECT_EQ(Le32(file, kWidthAt), 800u);
    EXPECT_EQ(Le32(file, kHeightAt), 600u);
    EXPECT_EQ(Le32(file, kBitsAt), 32u);
    EXPECT_EQ(Le32(file, kDisplayModeAt), 1u);
    EXPECT_EQ(Le32(file, kPriorityAt), 200u);
    EXPECT_EQ(Le32(file, kSelectionValidAt) & 0xFFFF, 1u);
    EXPECT_EQ(Le32(file, kSelectionKindAt) & 0xFFFF, 1u);  // the standard OpenGL screen
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "INIT : Get screen mode list(s)"));
    EXPECT_FALSE(HasLine(log, "INIT : Entering startup"));

    // The screensaver opens the saved screen in that mode: the display is set to it and
    // the window covers it. A key ends it.
    ScrSession saver;
    ASSERT_TRUE(saver.Start(" /s"));
    ASSERT_TRUE(saver.WaitForLogLine("INIT :  ----- Entering main loop -----"));
    EXPECT_EQ(ModeName(CurrentDisplayMode()), "800x600x32");
    RECT window = {};
    GetWindowRect(FindWindowA("Novadrift", nullptr), &window);
    EXPECT_EQ(window.right - window.left, 800);
    EXPECT_EQ(window.bottom - window.top, 600);
    ASSERT_TRUE(saver.WaitUntil(SaverWindowActive, 10000));
    PressKey('A');
    EXPECT_FALSE(saver.Finish(30000).timedOut);
    log = RunLog();
    for (const std::string& line : log)
        EXPECT_EQ(line.rfind("WARNING : Unable to change the display", 0), std::string::npos);
    EXPECT_TRUE(HasLine(log, "INIT : Trying to setup screen from config file"));
    EXPECT_FALSE(HasLine(log, "INIT : Failed. So trying to find a compatible screen"));
    EXPECT_TRUE(HasLine(log,
                        "SCREEN : Starting video mode : 800x600x32 in fullscreen mode "
                        "using Standard opengl"));
    EXPECT_TRUE(HasLine(log, "SCREEN : Video mode setup was successfull"));
    DeleteFileA(SettingsPath().c_str());
}

TEST(ScrSettings, AboutShowsTheLinkAndCancelKeepsTheSettingsFile) {
    SettingsValues values;
    values.reservedWord = 0x5EED1234;
    values.width = 1024;
    values.height = 768;
    values.bits = 32;
    values.background = 3;
    values.priority = 0;
    WriteSettingsFile(SettingsPath(), values);
    std::string before = ReadFileText(SettingsPath());
    NoWebBrowser noBrowser;
    ExpectedBox browserError("Error",
                             "Unable to start your web browser.\nPlease direct your "
                             "browser to " NOVADRIFT_HOME_PAGE " by hand.");
    enum Step { OPEN_ABOUT, CLICK_LINK, AWAIT_ERROR, CLOSE_ABOUT, CANCEL, DONE } step = OPEN_ABOUT;
    std::string preselected, prioritySelected;
    bool errorSeen = false, aboutStayed = false;
    unsigned stepAt = 0;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned elapsed) {
        HWND dialog = FindProgramDialog("Novadrift");
        HWND about = FindProgramDialog("About");
        HWND error = FindWindowA("#32770", "Error");
        switch (step) {
            case OPEN_ABOUT:
                if (!dialog) return;
                preselected = ListTexts(
                    dialog,
                    kResolution)[size_t(std::max(0, SelectedPosition(dialog, kResolution)))];
                prioritySelected = ListTexts(
                    dialog, kPriority)[size_t(std::max(0, SelectedPosition(dialog, kPriority)))];
                ClickButton(dialog, kAbout);
                step = CLICK_LINK;
                return;
            case CLICK_LINK:
                if (!about) return;
                Repaint(about);
                SavePicture(about, "about-dialog.png");
                ClickButton(about, kLink);
                step = AWAIT_ERROR;
                stepAt = elapsed;
                return;
            case AWAIT_ERROR:
                // The driver records the box and closes it; after that the about
                // dialog must still be there.
                if (error && IsWindowVisible(error)) errorSeen = true;
                if ((errorSeen && !error) || elapsed - stepAt > 10000) step = CLOSE_ABOUT;
                return;
            case CLOSE_ABOUT:
                aboutStayed = about != nullptr;
                if (about) ClickButton(about, kOk);
                step = CANCEL;
                return;
            case CANCEL:
                if (about || !dialog) return;
                ChooseListEntry(dialog, kResolution, 0);
                ChooseListEntry(dialog, kPriority, 2);
                ClickButton(dialog, kCancel);
                step = DONE;
                return;
            case DONE:
                return;
        }
    });
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(step, DONE);
    EXPECT_EQ(preselected, "1024x768x32");
    EXPECT_EQ(prioritySelected, "Idle");
    EXPECT_TRUE(errorSeen);
    EXPECT_TRUE(aboutStayed);
    EXPECT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(ReadFileText(SettingsPath()), before);
    DeleteFileA(SettingsPath().c_str());
}

TEST(ScrSettings, AnUnlistedPriorityOpensOnNormalAndOkStoresIt) {
    SettingsValues values;
    values.priority = 50;
    WriteSettingsFile(SettingsPath(), values);
    int prioritySelected = -1;
    bool accepted = false;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        if (!dialog || accepted) return;
        prioritySelected = SelectedPosition(dialog, kPriority);
        ClickButton(dialog, kOk);
        accepted = true;
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(prioritySelected, 1);
    std::string file = ReadFileText(SettingsPath());
    ASSERT_EQ(file.size(), 386u);
    EXPECT_EQ(Le32(file, kPriorityAt), 100u);
    DeleteFileA(SettingsPath().c_str());
}

}  // namespace
