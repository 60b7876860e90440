#include "posix/moduleoptions.h"

#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "ansi/file.h"
#include "posix/xwindow_posix.h"

const char* const kModuleUsage =
    "Usage: novadrift [options]\n"
    "Novadrift's star field, as an XScreenSaver module.\n"
    "\n"
    "  -root             draw on the root window (on XSCREENSAVER_WINDOW when it is set)\n"
    "  -window-id ID     draw into the X window ID (decimal, or hexadecimal with 0x)\n"
    "  -window           draw in a window of its own (what it does without -root)\n"
    "  -geometry GEOM    the own window's size and place, as WxH+X+Y\n"
    "  -visual VISUAL    the own window's visual: default, best, or a visual id\n"
    "  -fps              show the frame rate and the load at the bottom left\n"
    "  -no-fps           do not show them (the default)\n"
    "  -stars N          hold the number of stars at N (0 to 100000); without it the\n"
    "                    background's own count, which may animate\n"
    "  -speed X          the stars' speed toward you times X (0.01 to 100; 1 as it is)\n"
    "  -background FILE  start from this background file instead of BGround.qvb\n"
    "  -delay USECS      microseconds a frame lasts (default 20000: 50 frames a second;\n"
    "                    0: the display's rate); the animation keeps its speed\n"
    "  -display NAME     the X display (default $DISPLAY)\n"
    "  -sync             make every X request wait for its answer (for debugging)\n"
    "  -install, -noinstall, -mono, -pair\n"
    "                    taken as other modules take them; nothing to do here\n"
    "  --help            this text\n"
    "\n"
    "Without -root, -window-id or XSCREENSAVER_WINDOW it opens a window of its own.\n"
    "SIGTERM ends it. Settings, background and log: $XDG_CONFIG_HOME/novadrift\n"
    "(~/.config/novadrift).\n";

namespace {

// The whole text as a window number: decimal digits, or 0x and hexadecimal digits;
// X resource numbers fit in 32 bits and are never 0.
bool WindowNumber(const char* text, WindowHandle* window) {
    int base = 10;
    const char* digits = text;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits += 2;
    }
    if (!*digits || std::strspn(digits, base == 16 ? "0123456789abcdefABCDEF" : "0123456789") !=
                        std::strlen(digits))
        return false;
    errno = 0;
    const unsigned long long number = std::strtoull(digits, nullptr, base);
    if (errno != 0 || number == 0 || number > 0xFFFFFFFFull) return false;
    *window = WindowHandle(number);
    return true;
}

bool WholeNumber(const char* text, long low, long high, long* number) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || errno != 0 || value < low || value > high) return false;
    *number = value;
    return true;
}

bool Factor(const char* text, float* factor) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (!*text || *end || errno != 0 || !std::isfinite(value) || value < MODULE_SPEED_MIN ||
        value > MODULE_SPEED_MAX)
        return false;
    *factor = float(value);
    return true;
}

// A visual's name for -visual: default, best or an id (decimal, or hexadecimal with 0x).
bool VisualChoice(const char* text, ModuleOptions* options) {
    if (strcasecmp(text, "default") == 0) {
        options->visualKind = X_VISUAL_DEFAULT;
        return true;
    }
    if (strcasecmp(text, "best") == 0) {
        options->visualKind = X_VISUAL_BEST;
        return true;
    }
    WindowHandle id;
    if (!WindowNumber(text, &id)) return false;
    options->visualKind = X_VISUAL_ID;
    options->visualId = id;
    return true;
}

// Digits from `text`, moved past; false without any or beyond 32767 (X's coordinates).
bool GeometryNumber(const char** text, int32_t* number) {
    if (!std::isdigit(static_cast<unsigned char>(**text))) return false;
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(**text))) {
        value = value * 10 + (*(*text)++ - '0');
        if (value > 32767) return false;
    }
    *number = int32_t(value);
    return true;
}

// X's geometry: [=][WxH][{+-}X{+-}Y], a size of at least 1 x 1.
bool Geometry(const char* text, ModuleOptions* options) {
    if (*text == '=') ++text;
    int32_t parts = 0;
    if (std::isdigit(static_cast<unsigned char>(*text))) {
        if (!GeometryNumber(&text, &options->width) || *text++ != 'x' ||
            !GeometryNumber(&text, &options->height) || options->width < 1 || options->height < 1)
            return false;
        parts |= X_GEOMETRY_SIZE;
    }
    if (*text == '+' || *text == '-') {
        if (*text++ == '-') parts |= X_GEOMETRY_X_FROM_RIGHT;
        if (!GeometryNumber(&text, &options->x) || (*text != '+' && *text != '-')) return false;
        if (*text++ == '-') parts |= X_GEOMETRY_Y_FROM_BOTTOM;
        if (!GeometryNumber(&text, &options->y)) return false;
        parts |= X_GEOMETRY_PLACE;
    }
    options->geometryParts = parts;
    return parts != 0 && *text == 0;
}

// "-name" or "--name".
bool Is(const char* word, const char* name) {
    if (word[0] == '-' && word[1] == '-') ++word;
    return std::strcmp(word, name) == 0;
}

}  // namespace

int ParseModuleOptions(int argc, const char* const* argv, const char* saverWindow,
                       const char* workingDirectory, ModuleOptions* options, std::string* error) {
    *options = ModuleOptions{X_TARGET_OWN_WINDOW, 0, 0, -1, 1.0f, "", "", X_VISUAL_DEFAULT,
                             0, 0, 0, 0, 0, 0, 0, MODULE_DELAY_DEFAULT};
    bool root = false, windowGiven = false, ownWindow = false;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        const bool takesValue = Is(word, "-window-id") || Is(word, "-stars") ||
                                Is(word, "-speed") || Is(word, "-background") ||
                                Is(word, "-display") || Is(word, "-visual") ||
                                Is(word, "-geometry") || Is(word, "-delay");
        if (Is(word, "-help") || Is(word, "-h")) return MODULE_HELP;
        if (Is(word, "-root") || Is(word, "-window")) {
            // The last of the two counts.
            root = Is(word, "-root");
            ownWindow = !root;
        } else if (Is(word, "-fps")) {
            options->showFrameRate = 1;
        } else if (Is(word, "-no-fps")) {
            options->showFrameRate = 0;
        } else if (Is(word, "-sync")) {
            options->synchronous = 1;
        } else if (Is(word, "-install") || Is(word, "-noinstall") || Is(word, "-mono") ||
                   Is(word, "-pair")) {
            // A true-colour visual has no colormap to install, no colours to pair.
        } else if (!takesValue) {
            *error = std::string("unknown option \"") + word + "\"";
            return MODULE_BAD;
        } else if (i + 1 >= argc) {
            *error = std::string(word) + " needs a value";
            return MODULE_BAD;
        } else {
            const char* value = argv[++i];
            long stars = 0, delay = 0;
            if (Is(word, "-window-id")) {
                if (!WindowNumber(value, &options->window)) {
                    *error = std::string(
                                 "-window-id needs a window number (decimal, or hex "
                                 "with 0x), not \"") +
                             value + "\"";
                    return MODULE_BAD;
                }
                windowGiven = true;
            } else if (Is(word, "-stars")) {
                if (!WholeNumber(value, 0, MODULE_STARS_MAX, &stars)) {
                    *error = std::string("-stars needs a whole number from 0 to 100000, not \"") +
                             value + "\"";
                    return MODULE_BAD;
                }
                options->starCount = int32_t(stars);
            } else if (Is(word, "-speed")) {
                if (!Factor(value, &options->speed)) {
                    *error = std::string("-speed needs a number from 0.01 to 100, not \"") + value +
                             "\"";
                    return MODULE_BAD;
                }
            } else if (Is(word, "-visual")) {
                if (!VisualChoice(value, options)) {
                    *error = std::string("-visual needs default, best or a visual id, not \"") +
                             value + "\"";
                    return MODULE_BAD;
                }
            } else if (Is(word, "-geometry")) {
                if (!Geometry(value, options)) {
                    *error =
                        std::string("-geometry needs WxH, +X+Y or WxH+X+Y, not \"") + value + "\"";
                    return MODULE_BAD;
                }
            } else if (Is(word, "-delay")) {
                if (!WholeNumber(value, 0, MODULE_DELAY_MAX, &delay)) {
                    *error = std::string(
                                 "-delay needs microseconds, a whole number from 0 to "
                                 "10000000, not \"") +
                             value + "\"";
                    return MODULE_BAD;
                }
                options->delay = int32_t(delay);
            } else if (Is(word, "-background")) {
                options->background = value;
            } else {
                options->display = value;
            }
        }
    }
    // The run changes its working directory: a relative file is taken from where the
    // module was started.
    if (!options->background.empty() && options->background[0] != '/')
        options->background = std::string(workingDirectory) + "/" + options->background;
    if (options->background.size() >= FILE_NAME_SIZE) {
        *error = "the -background file's path is too long";
        return MODULE_BAD;
    }
    if (windowGiven) {
        options->target = X_TARGET_WINDOW;
    } else if (ownWindow) {
        options->target = X_TARGET_OWN_WINDOW;
    } else if (saverWindow && *saverWindow) {
        if (!WindowNumber(saverWindow, &options->window)) {
            *error =
                std::string("XSCREENSAVER_WINDOW holds no window number: \"") + saverWindow + "\"";
            return MODULE_BAD;
        }
        options->target = X_TARGET_WINDOW;
    } else if (root) {
        options->target = X_TARGET_ROOT;
    }
    return MODULE_RUN;
}
