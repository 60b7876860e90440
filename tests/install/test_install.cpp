// The installer on a fresh machine: a silent install puts the screen saver, its data
// and its registry entries in place; the installed screen saver, started from the
// system folder as Windows starts it, finds its data through the registry, draws the
// star field, and keeps each user's settings, log, background and screenshots in that
// user's own folder, leaving the data folder as it was installed; a silent uninstall
// removes what was installed and leaves the users' folders alone, and an uninstall by
// hand says so on its last page.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"
#include "version.h"

namespace {

const char* const kAppKey = "SOFTWARE\\Novadrift";
const char* const kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Novadrift";

std::string Folder(int id) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, id, nullptr, 0, path);
    return path;
}

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(const char* key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

std::string ReadValue(const char* key, const char* value) {
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "";
    return text;
}

// Runs a command line to its end; its exit code, or -1 when it could not run in time.
long RunToEnd(const std::string& commandLine, DWORD timeoutMs) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return long(code);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every file below a folder by its path there, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder, const std::string& below = "") {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + below + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = below + found.cFileName;
        if (found.cFileName[0] == '.') continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::map<std::string, std::string> inner = Files(folder, name + "\\");
            files.insert(inner.begin(), inner.end());
        } else {
            files[name] = ReadFileText(folder + "\\" + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

// A /s run of the installed screen saver as Windows starts it, from the system folder
// and elsewhere: once it has the input focus F12 saves a screenshot into the user's
// folder; its window is taken once it shows what ready looks for (or at the ceiling),
// then a key ends it.
ScrRun RunSaver(const std::string& scr, Shot* shot,
                const std::function<bool(const Shot&)>& ready) {
    const std::string shots = UserFolder() + "ScrShots\\";
    const size_t before = Files(shots).size();
    ScrSession session;
    if (!session.Start(scr, " /s", "C:\\") ||
        !session.WaitForLogLine("INIT : Exiting vx_init") ||
        !session.WaitUntil(SaverWindowActive, 30000))
        return session.Finish(0);
    PressKey(VK_F12);
    EXPECT_TRUE(session.WaitUntil([&] { return Files(shots).size() > before; }, 30000));
    session.WaitUntil(
        [&] {
            *shot = CaptureScrWindow();
            return ready(*shot);
        },
        30000);
    PostMessageA(FindWindowA("Novadrift", nullptr), WM_KEYDOWN, 'A', 0);
    return session.Finish(30000);
}

bool StarsAndCloud(const Shot& shot) {
    return CountStars(shot).places >= 8 && CloudShare(shot) > 0.15;
}

BOOL CALLBACK AddText(HWND window, LPARAM texts) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    *reinterpret_cast<std::string*>(texts) += std::string(text) + "\n";
    return TRUE;
}

// The uninstaller's window: its caption starts "Novadrift Uninstall".
BOOL CALLBACK FindUninstaller(HWND window, LPARAM found) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (!IsWindowVisible(window) || std::string(caption).rfind("Novadrift Uninstall", 0) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs the uninstaller as a user would: "Uninstall" on its first page, then on to its
// last page, whose texts it gives back after "Finish".
std::string UninstallByHand(const std::string& commandLine) {
    if (RunToEnd(commandLine, 60000) != 0) return "";
    std::string lastPage;
    for (int waited = 0; waited < 600 && lastPage.empty(); ++waited) {
        Sleep(100);
        HWND window = nullptr;
        EnumWindows(FindUninstaller, reinterpret_cast<LPARAM>(&window));
        HWND next = window ? GetDlgItem(window, IDOK) : nullptr;
        if (!next || !IsWindowEnabled(next)) continue;
        std::string texts;
        EnumChildWindows(window, AddText, reinterpret_cast<LPARAM>(&texts));
        char button[64] = {};
        GetWindowTextA(next, button, sizeof button);
        if (std::string(button).find("Finish") != std::string::npos) lastPage = texts;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(next));
        Sleep(500);
    }
    return lastPage;
}

// Share of pixels where red stands out: the default background has none.
double RedShare(const Shot& shot) {
    int red = 0;
    for (const Pixel& p : shot.pixels) red += p.r >= p.b + 60 && p.r >= p.g + 60;
    return shot.pixels.empty() ? 0.0 : double(red) / double(shot.pixels.size());
}

void ExpectCleanRun(const ScrRun& run) {
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
}

TEST(Install, SilentInstallRunsFromTheSystemFolderKeepsEachUsersFilesAndUninstalls) {
    const char* setup = std::getenv("NOVADRIFT_SETUP");
    ASSERT_NE(setup, nullptr) << "NOVADRIFT_SETUP names the installer";
    const std::string system = SystemFolder();
    const std::string scr = system + "\\Novadrift.scr";
    const std::string data = Folder(CSIDL_COMMON_APPDATA) + "\\Novadrift";
    const std::string program = Folder(CSIDL_PROGRAM_FILES) + "\\Novadrift";
    const std::string own = UserFolder();
    ASSERT_FALSE(Exists(scr));
    ASSERT_FALSE(KeyExists(kAppKey));
    ASSERT_FALSE(Exists(own));

    ASSERT_EQ(RunToEnd("\"" + std::string(setup) + "\" /S", 120000), 0);
    // The program and data files as built.
    const std::string built = TestProgramDirectory();
    EXPECT_EQ(ReadFileText(scr), ReadFileText(built + "Novadrift.scr"));
    for (const char* file : {"BGround.qvb", "textures\\star.bmp", "textures\\stars.bmp",
                             "textures\\font8x8.bmp", "textures\\nd.fxt"}) {
        std::string installed = ReadFileText(data + "\\" + file);
        EXPECT_FALSE(installed.empty()) << file;
        EXPECT_EQ(installed, ReadFileText(built + file)) << file;
    }
    EXPECT_TRUE(Exists(program + "\\uninstall.exe"));
    EXPECT_EQ(ReadValue(kAppKey, "DataPath"), data);
    EXPECT_EQ(ReadValue(kUninstallKey, "DisplayName"), "Novadrift");
    EXPECT_EQ(ReadValue(kUninstallKey, "DisplayVersion"), NOVADRIFT_VERSION_TEXT);
    const std::string uninstall = ReadValue(kUninstallKey, "QuietUninstallString");
    EXPECT_EQ(uninstall, "\"" + program + "\\uninstall.exe\" /S");
    const std::map<std::string, std::string> installed = Files(data);

    // A user's first run: the log, the settings and the screenshot go to the user's own
    // folder, made for them; the data folder stays as installed.
    Shot shot;
    ExpectCleanRun(RunSaver(scr, &shot, StarsAndCloud));
    std::vector<std::string> log = LogBodies(ReadFileText(own + "Novadrift.log"));
    EXPECT_TRUE(HasLine(log, "INIT : Didn't find gui.cfg. Getting real dir"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting dir to " + data));
    EXPECT_TRUE(HasLine(log, "INIT : Dir change ok"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting background"));
    EXPECT_FALSE(HasLine(log, "INIT : Unable to load background"));
    ASSERT_FALSE(shot.pixels.empty());
    StarCount stars = CountStars(shot);
    EXPECT_GE(stars.pixels, 20);
    EXPECT_GE(stars.places, 8);
    EXPECT_GT(CloudShare(shot), 0.15);
    EXPECT_LT(RedShare(shot), 0.05);
    EXPECT_EQ(ReadFileText(own + "novadrift.cfg").size(), 386u);
    std::map<std::string, std::string> users = Files(own);
    EXPECT_EQ(std::count_if(users.begin(), users.end(),
                            [](const auto& file) {
                                return file.first.rfind("ScrShots\\qv", 0) == 0 &&
                                       file.second.substr(0, 2) == "BM";
                            }),
              1);
    EXPECT_FALSE(Exists(system + "\\Novadrift.log"));
    EXPECT_EQ(Files(data), installed);

    // The user's own settings, not the defaults, and the background the user saved (one
    // with a red backdrop): the next run takes both.
    SettingsValues mine;
    mine.width = 800;
    mine.height = 600;
    mine.priority = 0;
    WriteSettingsFile(own + "novadrift.cfg", mine);
    const std::string shipped = ReadFileText(data + "\\BGround.qvb");
    WriteText(own + "BGround.qvb", BackgroundWithStillChannel(shipped, "BGSBCR", 255));
    ExpectCleanRun(RunSaver(scr, &shot, [](const Shot& shot) { return RedShare(shot) > 0.25; }));
    log = LogBodies(ReadFileText(own + "Novadrift.log"));
    EXPECT_TRUE(HasLine(
        log, "SCREEN : Starting video mode : 800x600x16 in fullscreen mode using Direct 3d"));
    ASSERT_FALSE(shot.pixels.empty());
    EXPECT_GT(RedShare(shot), 0.25);
    EXPECT_EQ(Le32(ReadFileText(own + "novadrift.cfg"), 106), 800u);
    EXPECT_EQ(Files(data), installed);
    users = Files(own);

    // Another user starts from the shipped background and the default settings, in a
    // folder of their own; the first user's files stay as they were.
    {
        const std::string second = "C:\\users\\second\\Local";
        OtherUserFolder otherUser(second);
        const std::string theirs = second + "\\Novadrift\\";
        ASSERT_EQ(UserFolder(), theirs);
        ExpectCleanRun(RunSaver(scr, &shot, StarsAndCloud));
        log = LogBodies(ReadFileText(theirs + "Novadrift.log"));
        EXPECT_TRUE(HasLine(log, "SCREEN : Starting video mode : " + DesktopModeName() +
                                     " in window mode using Direct 3d"));
        ASSERT_FALSE(shot.pixels.empty());
        EXPECT_GE(CountStars(shot).places, 8);
        EXPECT_LT(RedShare(shot), 0.05);
        const std::string settings = ReadFileText(theirs + "novadrift.cfg");
        EXPECT_EQ(Le32(settings, 106), 640u);
        EXPECT_EQ(Le32(settings, 118), 3u);  // the desktop mode
        EXPECT_FALSE(Exists(theirs + "BGround.qvb"));
    }
    EXPECT_EQ(Files(own), users);
    EXPECT_EQ(Files(data), installed);

    // The uninstaller copies itself away and ends at once; wait for what it does.
    ASSERT_EQ(RunToEnd(uninstall, 60000), 0);
    for (int waited = 0; waited < 600 && (KeyExists(kUninstallKey) || Exists(program)); ++waited)
        Sleep(100);
    EXPECT_FALSE(Exists(scr));
    EXPECT_FALSE(Exists(program));
    EXPECT_FALSE(KeyExists(kAppKey));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(data));
    EXPECT_EQ(Files(own), users);

    // Uninstalled as a user does it, page by page: the last page says where the users'
    // own files stay.
    ASSERT_EQ(RunToEnd("\"" + std::string(setup) + "\" /S", 120000), 0);
    const std::string lastPage = UninstallByHand(ReadValue(kUninstallKey, "UninstallString"));
    EXPECT_NE(lastPage.find("Your own Novadrift files (settings, saved background, screenshots "
                            "and log) are kept in %LOCALAPPDATA%\\Novadrift"),
              std::string::npos)
        << lastPage;
    for (int waited = 0; waited < 600 && (KeyExists(kUninstallKey) || Exists(program)); ++waited)
        Sleep(100);
    EXPECT_FALSE(Exists(scr));
    EXPECT_FALSE(Exists(data));
    EXPECT_EQ(Files(own), users);
}

}  // namespace
