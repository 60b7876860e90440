// The Win32 side of frame pacing and sight (framepacing.h, framesight.h): precise waits
// for the timer's pace, the message wait of a resting run, the primary monitor's refresh
// rate, the battery, and the display's power and the preview window's visibility turned
// into the program's own display and sight events.
#pragma once

#include <windows.h>

#include <cstdint>

// A high-resolution waitable timer where the system has one (Windows 10 1803 on);
// otherwise 1 ms timer ticks are asked for (timeBeginPeriod) until EndPreciseWaits.
void WaitPrecisely(uint32_t microseconds);
void EndPreciseWaits();
// Until a message comes to the thread, or that long.
void WaitForMessages(uint32_t milliseconds);
int32_t PrimaryRefreshRate();
int RunningOnBattery();
// Once per message pump: the main window is registered for the console display's state
// (GUID_CONSOLE_DISPLAY_STATE), and a window inside another (the preview) reports
// whether it can be seen.
void WatchDisplayAndWindow();
// A power-setting message for the console display: the display's new state goes to the
// portable side. true when the message was that.
bool TakeDisplayStateMessage(UINT message, WPARAM wParam, LPARAM lParam);
