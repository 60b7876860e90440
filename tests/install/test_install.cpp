// The installer on a fresh machine: a silent install puts the screen saver, its data
// and its registry entries in place; the installed screen saver, started from the
// system folder as Windows starts it, finds its data through the registry and draws
// the star field; a silent uninstall removes what was installed and keeps what the
// user made.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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

TEST(Install, SilentInstallRunsFromTheSystemFolderAndSilentUninstallKeepsUserFiles) {
    const char* setup = std::getenv("NOVADRIFT_SETUP");
    ASSERT_NE(setup, nullptr) << "NOVADRIFT_SETUP names the installer";
    const std::string system = SystemFolder();
    const std::string scr = system + "\\Novadrift.scr";
    const std::string data = Folder(CSIDL_COMMON_APPDATA) + "\\Novadrift";
    const std::string program = Folder(CSIDL_PROGRAM_FILES) + "\\Novadrift";
    ASSERT_FALSE(Exists(scr));
    ASSERT_FALSE(KeyExists(kAppKey));

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

    // The screen saver as Windows starts it: from the system folder, elsewhere; its
    // window taken once it shows the scene (or at the ceiling).
    Shot shot;
    ScrSession session;
    ASSERT_TRUE(session.Start(scr, " /s", "C:\\"));
    ASSERT_TRUE(session.WaitForLogLine("INIT : Exiting vx_init"));
    session.WaitUntil(
        [&] {
            shot = CaptureScrWindow();
            return CountStars(shot).places >= 8 && CloudShare(shot) > 0.15;
        },
        30000);
    PostMessageA(FindWindowA("Novadrift", nullptr), WM_KEYDOWN, 'A', 0);
    ScrRun run = session.Finish(30000);
    EXPECT_FALSE(run.timedOut);
    std::vector<std::string> log = LogBodies(ReadFileText(system + "\\Novadrift.log"));
    EXPECT_TRUE(HasLine(log, "INIT : Didn't find gui.cfg. Getting real dir"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting dir to " + data));
    EXPECT_TRUE(HasLine(log, "INIT : Dir change ok"));
    EXPECT_TRUE(HasLine(log, "INIT : Setting background"));
    ASSERT_FALSE(shot.pixels.empty());
    StarCount stars = CountStars(shot);
    EXPECT_GE(stars.pixels, 20);
    EXPECT_GE(stars.places, 8);
    EXPECT_GT(CloudShare(shot), 0.15);
    EXPECT_EQ(ReadFileText(data + "\\novadrift.cfg").size(), 386u);

    // What the user makes: an edited background and a screenshot.
    std::string background = ReadFileText(data + "\\BGround.qvb");
    WriteText(data + "\\BGround.qvb", background + "edited");
    CreateDirectoryA((data + "\\ScrShots").c_str(), nullptr);
    WriteText(data + "\\ScrShots\\qv2026-12-08_1.bmp", "BM");

    // The uninstaller copies itself away and ends at once; wait for what it does.
    ASSERT_EQ(RunToEnd(uninstall, 60000), 0);
    for (int waited = 0; waited < 600 && (KeyExists(kUninstallKey) || Exists(program)); ++waited)
        Sleep(100);
    EXPECT_FALSE(Exists(scr));
    EXPECT_FALSE(Exists(system + "\\Novadrift.log"));
    EXPECT_FALSE(Exists(program));
    EXPECT_FALSE(KeyExists(kAppKey));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(data + "\\textures"));
    EXPECT_EQ(ReadFileText(data + "\\novadrift.cfg").size(), 386u);
    EXPECT_TRUE(Exists(data + "\\BGround.qvb"));
    EXPECT_EQ(ReadFileText(data + "\\BGround.qvb"), background + "edited");
    EXPECT_TRUE(Exists(data + "\\ScrShots\\qv2026-12-08_1.bmp"));
}

}  // namespace
