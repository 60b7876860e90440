// The application's mains, which the entry points hand to the library (RunApplication).
#pragma once

#include <cstdint>

// The Win32 screensaver: what the run does comes from the host's switch on the command
// line (/s, /p, /c, /a, /r).
int xMain(int32_t count, char** words);
// The XScreenSaver module: the screensaver proper (as /s) on the window its options
// chose, with no switch to read.
int ModuleMain(int32_t count, char** words);
