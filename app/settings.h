// The settings kept from one run to the next in "novadrift.cfg": renderer and video
// mode chosen in the settings dialog, the screens really used, priority and background.
#pragma once

#include <cstdint>

#include "base/screenb.h"

#define SETTINGS_FILE_NAME "novadrift.cfg"

struct SettingsRecord {
    uint8_t version;
    // Frames a second the user chose ("60", "30"); 0, or any value not in 1..1000,
    // matches the display. In the word older versions left unused (and carried): their
    // files still read, and they still read these.
    int32_t frameRate;
    uint8_t reservedBlock[64];
    int32_t screenKind;
    int32_t width;
    int32_t height;
    int32_t bits;
    int32_t displayMode;
    int32_t backgroundNumber;
    int32_t priority;  // 0 idle, 100 normal, 200 high, in screensaver runs
    ScreenSelection screenSelection;
    ScreenSelection previewSelection;
};

extern SettingsRecord Settings;

#define FRAME_RATE_MAX 1000
// The frames a second the settings ask for; 0 matches the display.
int32_t ChosenFrameRate(const SettingsRecord& record);

// Replaces the record with the file's contents: 1 done; 0 (record unchanged) when the
// file is missing, not XIFF, lacks its chunks, is short or has a version above 1.
int LoadSettings(const char* path, SettingsRecord* record);
// Writes the record (version 1). The old file is replaced only by a complete new one.
int SaveSettings(const char* path, const SettingsRecord* record);
