// The command line of the XScreenSaver module, by that system's conventions: which X
// window to draw on (-root, -window-id, the XSCREENSAVER_WINDOW variable, else a window
// of its own: -window), -fps and -no-fps, --help, the standard options of that system's
// modules (-visual, -geometry and -sync for the own window and the display; -install,
// -noinstall, -mono and -pair, which mean nothing to a true-colour OpenGL module, are
// taken and let be), and the options its settings dialog passes from the module
// description novadrift.xml (-stars, -speed, -background, -delay).
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

#define MODULE_STARS_MAX 100000
#define MODULE_SPEED_MIN 0.01f
#define MODULE_SPEED_MAX 100.0f
// XScreenSaver's default pause between frames, in microseconds: 50 frames a second.
#define MODULE_DELAY_DEFAULT 20000
#define MODULE_DELAY_MAX 10000000

struct ModuleOptions {
    int32_t target;          // XTargetKind: own window, root window, a given window
    WindowHandle window;     // the given window's number
    int showFrameRate;       // -fps
    int32_t starCount;       // -stars; -1 when not given
    float speed;             // -speed; 1 when not given
    std::string background;  // -background, made absolute; empty when not given
    std::string display;     // -display; empty: $DISPLAY
    int32_t visualKind;      // -visual: XVisualKind
    unsigned long visualId;  // -visual with an id
    int32_t geometryParts;   // -geometry: XGeometryParts, 0 when not given
    int32_t x, y, width, height;
    int synchronous;  // -sync
    int32_t delay;           // -delay, microseconds a frame; 0: the display's pace
};

enum ModuleCommand {
    MODULE_RUN = 0,   // options filled
    MODULE_HELP = 1,  // --help: print the usage
    MODULE_BAD = 2,   // error holds why
};

// Reads argv (program name first) and the XSCREENSAVER_WINDOW value (null when unset).
// A window number is decimal or hexadecimal with 0x; -window-id goes before the
// variable, which goes before -root (the daemon gives its window through the variable
// and runs the module with -root). A relative -background is taken from
// workingDirectory. Returns a ModuleCommand.
int ParseModuleOptions(int argc, const char* const* argv, const char* saverWindow,
                       const char* workingDirectory, ModuleOptions* options, std::string* error);

// The --help text.
extern const char* const kModuleUsage;
