// Prints the display's mode as a program started now sees it ("1024x768x32"); exits with
// 1 when the system tells none.
#include <windows.h>

#include <cstdio>

int main() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
    std::printf("%lux%lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    return 0;
}
