// A saved Direct3D choice in the program under Wine: the saved device opens as it is,
// with no driver, mode or device listed before the main loop, and draws; a saved
// device that is not there gives way to the default one, with the reason in the log;
// the settings dialog's OK keeps it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "scr_driver.h"
#include "starfield_pixels.h"

namespace {

// Where the screensaver's screen choice starts in the settings file, and its device
// part's GUIDs within it.
const size_t kSelection = 37 + 93;
const size_t kDeviceGuid = 64 + 4;
const size_t kDriverGuid = 64 + 20;

// Direct3D's standard software rasteriser (under Wine the "RGB Software Emulation"
// device).
const GUID kRgbDevice = {
    0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
// A device no driver has (a settings file from another PC). Wine would open it as its
// default device without a word.
const GUID kGoneDevice = {
    0x0BADC0DE, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};

std::string GuidBytes(const GUID& guid) {
    return std::string(reinterpret_cast<const char*>(&guid), sizeof guid);
}

// A settings file whose screensaver choice is the Direct3D screen with that device on
// the primary display driver (all-zero driver GUID).
void WriteSavedDirect3DChoice(const std::string& path, const GUID& device) {
    SettingsValues values;
    values.screenKind = 3;
    WriteSettingsFile(path, values);
    std::string bytes = ReadFileText(path);
    ASSERT_EQ(bytes.size(), 386u);
    bytes.replace(kSelection + kDeviceGuid, 16, GuidBytes(device));
    bytes.replace(kSelection + kDriverGuid, 16, std::string(16, '\0'));
    std::ofstream(path, std::ios::binary) << bytes;
}

struct SaverRun {
    ScrRun run;
    Shot first, second;
    bool ended = false;
};

std::string SettingsPath() {
    return TestProgramDirectory() + "novadrift.cfg";
}

// "/s" with that device saved until two frames show a star field that moves, then a
// key ends it.
SaverRun RunSaverWithSavedDevice(const GUID& device) {
    WriteSavedDirect3DChoice(SettingsPath(), device);
    SaverRun saver;
    ScrSession session;
    if (session.Start(" /s") && session.WaitForLogLine("INIT : Exiting vx_init") &&
        session.WaitUntil(
            [&] {
                saver.first = CaptureScrWindow();
                return StarFieldFault(saver.first).empty();
            },
            30000) &&
        session.WaitUntil(
            [&] {
                saver.second = CaptureScrWindow();
                return MovedOn(saver.first, saver.second) && StarFieldFault(saver.second).empty();
            },
            15000) &&
        session.WaitUntil(SaverWindowActive, 10000)) {
        PressKey('A');
        saver.ended = true;
    }
    saver.run = session.Finish(30000);
    return saver;
}

// The position of the first line starting with `start`, or the log's size.
size_t LineStarting(const std::vector<std::string>& log, const std::string& start) {
    return size_t(std::find_if(log.begin(), log.end(),
                               [&](const std::string& line) { return line.rfind(start, 0) == 0; }) -
                  log.begin());
}

void ExpectOrderlyRun(const SaverRun& saver) {
    ASSERT_TRUE(saver.run.started);
    EXPECT_FALSE(saver.run.timedOut);
    EXPECT_TRUE(saver.ended);
    EXPECT_TRUE(saver.run.boxes.empty())
        << saver.run.boxes[0].caption << ": " << saver.run.boxes[0].text;
    ExpectMovingStarField(saver.first, saver.second);
    std::vector<std::string> log = RunLog();
    EXPECT_EQ(LineStarting(log, "WARNING : D3DDevice object is still referenced"), log.size());
    EXPECT_EQ(LineStarting(log, "WARNING : DDraw object is still referenced"), log.size());
    EXPECT_TRUE(HasLine(log, "EXIT : xExit - done"));
}

TEST(ScrDirect3DSaved, ASavedSoftwareDeviceOpensAsItIsWithoutListingAnything) {
    ExpectOrderlyRun(RunSaverWithSavedDevice(kRgbDevice));

    std::vector<std::string> log = RunLog();
    size_t mainLoop = LineStarting(log, "INIT :  ----- Entering main loop -----");
    ASSERT_LT(mainLoop, log.size());
    EXPECT_EQ(LineStarting(log, "SCREEN : Enumerating"), log.size());
    EXPECT_EQ(LineStarting(log, "INIT : Get screen mode list(s)"), log.size());
    EXPECT_EQ(LineStarting(log, "INIT : Failed. So trying"), log.size());
    size_t opened = LineStarting(log, "SCREEN : Device opened : ");
    EXPECT_LT(opened, mainLoop);
    ASSERT_LT(opened, log.size());
    EXPECT_NE(log[opened].find("RGB Software Emulation"), std::string::npos) << log[opened];
    EXPECT_EQ(LineStarting(log, "WARNING : "), log.size());

    // The choice is kept as it came.
    std::string bytes = ReadFileText(SettingsPath());
    ASSERT_EQ(bytes.size(), 386u);
    EXPECT_EQ(uint8_t(bytes[kSelection + 4]), 3);
    EXPECT_EQ(bytes.substr(kSelection + kDeviceGuid, 16), GuidBytes(kRgbDevice));
}

TEST(ScrDirect3DSaved, ASavedDeviceThatIsGoneGivesWayToTheDefaultOne) {
    ExpectOrderlyRun(RunSaverWithSavedDevice(kGoneDevice));

    std::vector<std::string> log = RunLog();
    const char* const inOrder[] = {"WARNING : Saved device not found on its driver",
                                   "WARNING : Unable to open the saved device",
                                   "WARNING : Unable to open the saved screen Direct 3d : "
                                   "Initialize3DEnvironment failed",
                                   "INIT : Failed. So trying to find a compatible screen",
                                   "SCREEN : Enumerating",
                                   "SCREEN : Default device selected : ",
                                   "INIT : Found one. Using : Direct 3d",
                                   "SCREEN : Device opened : ",
                                   "INIT :  ----- Entering main loop -----"};
    size_t previous = 0;
    for (const char* start : inOrder) {
        size_t at = LineStarting(log, start);
        ASSERT_LT(at, log.size()) << start;
        EXPECT_GE(at, previous) << start;
        previous = at;
    }
    // The device opened is the default one.
    std::string selected = log[LineStarting(log, "SCREEN : Default device selected : ")];
    std::string opened = log[LineStarting(log, "SCREEN : Device opened : ")];
    EXPECT_EQ(selected.substr(selected.find(" : ", 9) + 3),
              opened.substr(opened.find(" : ", 9) + 3));

    // The default device is what the next run opens.
    std::string bytes = ReadFileText(SettingsPath());
    ASSERT_EQ(bytes.size(), 386u);
    std::string device = bytes.substr(kSelection + kDeviceGuid, 16);
    EXPECT_NE(device, GuidBytes(kGoneDevice));
    EXPECT_NE(device, std::string(16, '\0'));
}

// The settings dialog lists every driver's devices, and its default is another device
// than the saved one; OK keeps the saved one, which is still there.
TEST(ScrDirect3DSaved, TheSettingsDialogsOkKeepsASavedDeviceThatIsThere) {
    WriteSavedDirect3DChoice(SettingsPath(), kRgbDevice);
    bool accepted = false;
    ScrRun run = RunScr(" /r", 30000, "", [&](unsigned) {
        HWND dialog = FindProgramDialog("Novadrift");
        if (!dialog || accepted) return;
        ClickButton(dialog, IDOK);
        accepted = true;
    });
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    std::vector<std::string> log = RunLog();
    const size_t selected = LineStarting(log, "SCREEN : Default device selected : ");
    ASSERT_LT(selected, log.size());
    EXPECT_EQ(log[selected].find("RGB Software Emulation"), std::string::npos) << log[selected];
    std::string bytes = ReadFileText(SettingsPath());
    ASSERT_EQ(bytes.size(), 386u);
    EXPECT_EQ(uint8_t(bytes[kSelection + 4]), 3);
    EXPECT_EQ(bytes.substr(kSelection + kDeviceGuid, 16), GuidBytes(kRgbDevice));
}

}  // namespace
