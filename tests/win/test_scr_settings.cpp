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
// The about box's text that starts so, in its static control: the lines it needs at
// the dialog font's average character width (its font belongs to the program's
// process, so the dialog units stand for it) fit the control, and the control ends
// above the link.
bool AboutTextClearOfLink(HWND about, const char* start) {
    HWND text = nullptr;
    std::string words;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[256] = "";
        GetWindowTextA(child, buffer, sizeof buffer);
        if (std::string(buffer).rfind(start, 0) == 0) {
            text = child;
            words = buffer;
        }
    }
    HWND link = GetDlgItem(about, kLink);
    if (!text || !link) return false;
    RECT character = {0, 0, 4, 8}, client, textBox, linkBox;
    MapDialogRect(about, &character);
    GetClientRect(text, &client);
    GetWindowRect(text, &textBox);
    GetWindowRect(link, &linkBox);
    const long lineWidth = std::max(1L, long(client.right));
    const long lines = (long(words.size()) * character.right + lineWidth - 1) / lineWidth;
    return lines * character.bottom <= client.bottom && textBox.bottom <= linkBox.top;
}

// A screensaver run that a key ends once its main loop runs.
ScrRun RunSaverUntilAKey() {
    ScrSession saver;
    EXPECT_TRUE(saver.Start(" /s"));
    EXPECT_TRUE(saver.WaitForLogLine("INIT :  ----- Entering main loop -----"));
    PostMessageA(FindWindowA("Novadrift", nullptr), WM_KEYDOWN, 'A', 0);
    return saver.Finish(30000);
}

// The desktop mode's entry: the whole desktop as it is.
std::string DesktopEntry() {
    return "Desktop (" + std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN)) + ")";
}

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
    // The desktop mode first, then the full-screen modes, each once: the window entries
    // are left out.
    ASSERT_FALSE(resolutions.empty());
    EXPECT_EQ(resolutions[0], DesktopEntry());
    EXPECT_EQ(std::vector<std::string>(resolutions.begin() + 1, resolutions.end()),
              OfferedFullScreenModes());
    EXPECT_NE(Find(resolutions, "800x600x32"), -1);
    EXPECT_EQ(preselected, DesktopEntry());  // the default, without a settings file
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

// A fresh install: the desktop mode heads the list and is chosen; OK keeps it (display
// mode 3) and the screensaver then draws over the desktop as it is.
TEST(ScrSettings, TheDesktopModeIsListedFirstKeptByOkAndOpenedWithoutAModeChange) {
    DeleteFileA(SettingsPath().c_str());
    std::vector<std::string> resolutions;
    int selected = -1;
    bool accepted = false;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        if (!dialog || accepted) return;
        resolutions = ListTexts(dialog, kResolution);
        selected = SelectedPosition(dialog, kResolution);
        ClickButton(dialog, kOk);
        accepted = true;
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    ASSERT_FALSE(resolutions.empty());
    EXPECT_EQ(resolutions[0], DesktopEntry());
    EXPECT_EQ(selected, 0);
    std::string file = ReadFileText(SettingsPath());
    ASSERT_EQ(file.size(), 386u);
    EXPECT_EQ(Le32(file, kDisplayModeAt), 3u);

    ScrRun saver = RunSaverUntilAKey();
    EXPECT_FALSE(saver.timedOut);
    EXPECT_TRUE(saver.boxes.empty()) << saver.boxes[0].caption << ": " << saver.boxes[0].text;
    std::vector<std::string> log = RunLog();
    EXPECT_FALSE(HasLine(log, "INIT : Failed. So trying to find a compatible screen"));
    EXPECT_TRUE(HasLine(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                 " in window mode using Direct 3d"));
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
    for (const std::string& line : log) {
        EXPECT_NE(line.rfind("WARNING : Unable to change the display", 0), 0u) << line;
        EXPECT_NE(line, "SCREEN : Setting display mode");
        EXPECT_NE(line, "EXIT : Restoring screen resolution");
    }
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
    bool errorSeen = false, aboutStayed = false, textClear = false;
    unsigned stepAt = 0;
    ScrRun run = RunScr(" /r", 45000, "", [&](unsigned elapsed) {
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
                textClear = AboutTextClearOfLink(about, "Information");
                ClickButton(about, kLink);
                step = AWAIT_ERROR;
                stepAt = elapsed;
                return;
            case AWAIT_ERROR:
                // The driver records the box and closes it; after that the about
                // dialog must still be there. Wine may take seconds to find no browser.
                if (error && IsWindowVisible(error)) errorSeen = true;
                if ((errorSeen && !error) || elapsed - stepAt > 25000) step = CLOSE_ABOUT;
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
    EXPECT_TRUE(textClear) << "the about box's text is cut or hidden by the link";
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

namespace {

// While it lives, programs started in the prefix see this many pixels per inch, as with
// Windows' display scaling (144: 150 %); the value before comes back afterwards. Wine
// keeps the setting in the current hardware profile's fonts key.
class DisplayScaling {
public:
    explicit DisplayScaling(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_CONFIG, "Software\\Fonts", 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr);
        DWORD size = sizeof saved;
        hadValue = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&saved), &size) == ERROR_SUCCESS;
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    ~DisplayScaling() {
        if (hadValue)
            RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved),
                           sizeof saved);
        else
            RegDeleteValueA(key, "LogPixels");
        RegCloseKey(key);
    }

private:
    HKEY key = nullptr;
    DWORD saved = 0;
    bool hadValue = false;
};

// The about dialog as a /r run shows it: its size, whether its text fits and clears the
// link, and where the link's blue text lies in the link's control (pixels from the
// control's left edge; -1 without any) and on how many rows.
struct AboutSeen {
    int width = 0, height = 0;
    bool textClear = false;
    int linkWidth = 0, blueLeft = -1, blueRight = -1, blueRows = 0;
};

AboutSeen SeeTheAboutDialog() {
    AboutSeen seen;
    bool opened = false, done = false;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        HWND about = FindProgramDialog("About");
        if (done) return;
        if (!opened) {
            if (dialog) ClickButton(dialog, kAbout);
            opened = dialog != nullptr;
            return;
        }
        if (!about) return;
        Repaint(about);
        RECT box, link;
        GetWindowRect(about, &box);
        GetWindowRect(GetDlgItem(about, kLink), &link);
        seen.width = box.right - box.left;
        seen.height = box.bottom - box.top;
        seen.textClear = AboutTextClearOfLink(about, "Information");
        seen.linkWidth = link.right - link.left;
        Shot shot = CaptureScreen(link);
        for (int y = 0; y < shot.height; ++y) {
            bool row = false;
            for (int x = 0; x < shot.width; ++x) {
                const Pixel& p = shot.At(x, y);
                if (p.b < 100 || p.r > 80 || p.g > 80) continue;
                row = true;
                if (seen.blueLeft < 0 || x < seen.blueLeft) seen.blueLeft = x;
                seen.blueRight = std::max(seen.blueRight, x);
            }
            seen.blueRows += row;
        }
        ClickButton(about, kOk);
        ClickButton(dialog, kCancel);
        done = true;
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(done);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    return seen;
}

// At 150 % the dialogs grow with their dialog units, the about box's text still fits
// and clears the link, and the link's text grows with them inside its control.
TEST(ScrSettings, AtOneHundredAndFiftyPercentTheDialogsGrowAndNothingIsCut) {
    DeleteFileA(SettingsPath().c_str());
    const AboutSeen plain = SeeTheAboutDialog();
    AboutSeen scaled;
    {
        DisplayScaling scaling(144);
        scaled = SeeTheAboutDialog();
    }
    ASSERT_GT(plain.width, 0);
    EXPECT_GE(scaled.width * 10, plain.width * 13) << "laid out in dialog units";
    EXPECT_GE(scaled.height * 10, plain.height * 13) << "laid out in dialog units";
    EXPECT_LE(scaled.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(scaled.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(plain.textClear);
    EXPECT_TRUE(scaled.textClear) << "the about box's text is cut or hidden by the link";
    for (const AboutSeen* seen : {&plain, static_cast<const AboutSeen*>(&scaled)}) {
        EXPECT_GE(seen->blueLeft, 0) << "no link text";
        EXPECT_LT(seen->blueRight, seen->linkWidth - 1) << "the link's text reaches its edge";
    }
    EXPECT_GE((scaled.blueRight - scaled.blueLeft) * 10, (plain.blueRight - plain.blueLeft) * 13)
        << "the link's text kept its size";
    EXPECT_GE(scaled.blueRows * 10, plain.blueRows * 13);
}

}  // namespace
