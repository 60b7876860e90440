// Libraries come from the system folder alone. A stranger's 3DfxvGL.dll in a PATH
// directory, in the working directory or beside a copy of the program is never loaded
// (it would leave a marker beside itself); the 3dfx driver installed in the system
// folder makes the "3dfx opengl" screen, which lists its 16-bit full-screen modes and
// draws the star field.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

// The settings dialog's buttons and lists (app/resource.h).
const int kOk = 1, kCancel = 2, kResolution = 1013, kRenderer = 1014;
const char* const kProgramKey = "SOFTWARE\\Novadrift";

// Where Windows keeps the 3dfx driver: the system folder.
std::string SystemDriverPath() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\3DfxvGL.dll";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFolder(const std::string& folder) {
    std::string from = folder + std::string(2, '\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationA(&operation);
}

bool CopyInto(const std::string& file, const std::string& folder, const std::string& name) {
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    return CopyFileA(file.c_str(), (folder + name).c_str(), FALSE) != 0;
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// A /r run of the program: the renderers its settings dialog offers. With a screen to
// choose, its resolutions are read, the mode chosen and the dialog ended with OK;
// otherwise with Cancel.
ScrRun SettingsRun(const std::string& program, std::vector<std::string>* renderers,
                   const std::string& screen = "", std::vector<std::string>* resolutions = nullptr,
                   const std::string& mode = "") {
    bool ended = false;
    ScrRun run = RunScrAt(program, " /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        if (!dialog || ended) return;
        *renderers = ListTexts(dialog, kRenderer);
        auto at = std::find(renderers->begin(), renderers->end(), screen);
        if (screen.empty() || at == renderers->end()) {
            ClickButton(dialog, kCancel);
        } else {
            ChooseListEntry(dialog, kRenderer, int(at - renderers->begin()));
            *resolutions = ListTexts(dialog, kResolution);
            auto chosen = std::find(resolutions->begin(), resolutions->end(), mode);
            if (chosen != resolutions->end())
                ChooseListEntry(dialog, kResolution, int(chosen - resolutions->begin()));
            ClickButton(dialog, kOk);
        }
        ended = true;
    });
    EXPECT_TRUE(ended);
    return run;
}

TEST(ScrLibraries, AStrangers3dfxLibraryOnThePathOrInTheWorkingDirectoryIsNotLoaded) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "novadrift_planted\\";
    RemoveFolder(base);
    const std::string planted = TestProgramDirectory() + "planted\\3DfxvGL.dll";
    const std::string pathFolder = base + "path\\", dataFolder = base + "data\\";
    const std::string programFolder = base + "program\\", portable = base + "portable\\";
    const std::string built = TestProgramDirectory() + "Novadrift.scr";
    for (const std::string& folder : {pathFolder, dataFolder, portable})
        ASSERT_TRUE(CopyInto(planted, folder, "3DfxvGL.dll")) << folder;
    ASSERT_TRUE(CopyInto(built, programFolder, "Novadrift.scr"));
    ASSERT_TRUE(CopyInto(built, portable, "Novadrift.scr"));
    ASSERT_TRUE(CopyInto(TestProgramDirectory() + "gui.cfg", portable, "gui.cfg"));
    ASSERT_FALSE(Exists(SystemDriverPath()));

    struct Case {
        const char* where;
        std::string program, log, plantedFolder;
    };
    const std::vector<Case> cases = {
        // The program beside its data, a PATH directory holding the library.
        {"PATH", built, TestProgramDirectory() + "Novadrift.log", pathFolder},
        // A program whose data folder, its working directory, holds the library.
        {"working directory", programFolder + "Novadrift.scr",
         base + "local\\Novadrift\\Novadrift.log", dataFolder},
        // A portable copy unpacked next to a downloaded library.
        {"program's folder", portable + "Novadrift.scr", portable + "Novadrift.log", portable},
    };
    OtherUserFolder local(base + "local");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const std::string data = dataFolder.substr(0, dataFolder.size() - 1);
    RegSetValueExA(key, "DataPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   DWORD(data.size() + 1));
    RegCloseKey(key);
    char path[32767];
    const DWORD pathLength = GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string savedPath(path, pathLength < sizeof path ? pathLength : 0);
    SetEnvironmentVariableA("PATH", (pathFolder + ";" + savedPath).c_str());

    for (const Case& planting : cases) {
        std::vector<std::string> renderers;
        ScrRun run = SettingsRun(planting.program, &renderers);
        ASSERT_TRUE(run.started) << planting.where;
        EXPECT_FALSE(run.timedOut) << planting.where;
        EXPECT_TRUE(run.boxes.empty()) << planting.where << ": " << run.boxes[0].text;
        EXPECT_FALSE(Exists(planting.plantedFolder + "loaded.txt")) << planting.where;
        EXPECT_EQ(std::count(renderers.begin(), renderers.end(), "3dfx opengl"), 0)
            << planting.where;
        std::vector<std::string> log = LogBodies(ReadFileText(planting.log));
        EXPECT_TRUE(HasLineStarting(log, "SCREEN : Getting screen modes for : Standard opengl"))
            << planting.where;
        EXPECT_FALSE(HasLineStarting(log, "SCREEN : Getting screen modes for : 3dfx opengl"))
            << planting.where;
    }

    SetEnvironmentVariableA("PATH", savedPath.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    RemoveFolder(base);
}

// The 3dfx driver in the system folder for as long as it lives.
class Installed3dfxDriver {
public:
    Installed3dfxDriver()
        : installed(CopyFileA((TestProgramDirectory() + "forwarding\\3DfxvGL.dll").c_str(),
                              SystemDriverPath().c_str(), TRUE) != 0) {}
    ~Installed3dfxDriver() {
        if (installed) DeleteFileA(SystemDriverPath().c_str());
    }
    const bool installed;
};

// The 16-bit full-screen modes up to 1024 pixels wide that the display offers, as the
// 3dfx screen names them, in its order.
std::vector<std::string> Offered3dfxModes() {
    static const int sizes[][2] = {{400, 300}, {512, 384}, {640, 480},
                                   {800, 600}, {960, 720}, {1024, 768}};
    std::set<std::pair<int, int>> offered;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i)
        for (const auto& size : sizes)
            if (int(mode.dmPelsWidth) == size[0] && int(mode.dmPelsHeight) == size[1] &&
                mode.dmBitsPerPel == 16)
                offered.insert({size[0], size[1]});
    std::vector<std::string> names;
    for (const auto& size : offered)
        names.push_back(std::to_string(size.first) + "x" + std::to_string(size.second) + "x16");
    return names;
}

TEST(ScrLibraries, The3dfxDriverInTheSystemFolderMakesTheScreenThatDrawsTheStarField) {
    Installed3dfxDriver driver;
    ASSERT_TRUE(driver.installed);
    const std::string settings = TestProgramDirectory() + "novadrift.cfg";
    DeleteFileA(settings.c_str());

    std::vector<std::string> renderers, resolutions;
    ScrRun run = SettingsRun(TestProgramDirectory() + "Novadrift.scr", &renderers, "3dfx opengl",
                             &resolutions, "640x480x16");
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    EXPECT_EQ(std::count(renderers.begin(), renderers.end(), "3dfx opengl"), 1);
    EXPECT_FALSE(resolutions.empty());
    EXPECT_EQ(resolutions, Offered3dfxModes());
    std::vector<std::string> log = RunLog();
    EXPECT_TRUE(HasLine(log, "SCREEN : Getting screen modes for : 3dfx opengl (3DfxvGL.dll)"));

    // The screensaver on the chosen screen.
    Shot shot;
    ScrSession session;
    ASSERT_TRUE(session.Start(" /s"));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    session.WaitUntil(
        [&] {
            shot = CaptureScrWindow();
            return CountStars(shot).places >= 8;
        },
        30000);
    PostMessageA(FindWindowA("Novadrift", nullptr), WM_KEYDOWN, 'A', 0);
    run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    log = RunLog();
    EXPECT_TRUE(HasLine(log, "SCREEN : Successfully loaded OpenGl driver : 3DfxvGL.dll"));
    EXPECT_TRUE(HasLine(
        log, "SCREEN : Starting video mode : 640x480x16 in fullscreen mode using 3dfx opengl"));
    EXPECT_TRUE(HasLine(log, "SCREEN : Video mode setup was successfull"));
    ASSERT_FALSE(shot.pixels.empty());
    StarCount stars = CountStars(shot);
    EXPECT_GE(stars.pixels, 20);
    EXPECT_GE(stars.places, 8);
    DeleteFileA(settings.c_str());
}

}  // namespace
