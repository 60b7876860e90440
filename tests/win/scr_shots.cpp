#include "scr_shots.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>

#include "scr_driver.h"

Shot Shot::Part(int left, int top, int right, int bottom) const {
    Shot part;
    part.width = right - left;
    part.height = bottom - top;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) part.pixels.push_back(At(x, y));
    return part;
}

Shot CaptureScrWindow() {
    Shot shot;
    HWND window = FindWindowA("Novadrift", nullptr);
    if (!window) return shot;
    RECT rect = {};
    GetWindowRect(window, &rect);
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    if (shot.width <= 0 || shot.height <= 0) return Shot();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits) {
        HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const uint8_t* p = static_cast<const uint8_t*>(bits);
        shot.pixels.resize(size_t(shot.width) * size_t(shot.height));
        for (Pixel& pixel : shot.pixels) {
            pixel = {p[2], p[1], p[0]};  // stored blue, green, red, unused
            p += 4;
        }
        SelectObject(memory, old);
    }
    if (section) DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

namespace {

// A binary PPM (P6) of 8-bit channels.
Shot ReadPpm(const std::string& bytes) {
    Shot shot;
    std::istringstream header(bytes);
    std::string magic;
    int maximum = 0;
    header >> magic >> shot.width >> shot.height >> maximum;
    if (magic != "P6" || maximum != 255 || shot.width <= 0 || shot.height <= 0) return Shot();
    size_t start = size_t(header.tellg()) + 1;  // one white-space byte ends the header
    size_t count = size_t(shot.width) * size_t(shot.height);
    if (bytes.size() < start + count * 3) return Shot();
    shot.pixels.resize(count);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data()) + start;
    for (Pixel& pixel : shot.pixels) {
        pixel = {p[0], p[1], p[2]};
        p += 3;
    }
    return shot;
}

}  // namespace

Shot CaptureXRoot(unsigned timeoutMs) {
    // Wine runs a Unix program given to CreateProcess, but gives no handle to wait on:
    // the picture is written under a temporary name and renamed when complete. Z: is
    // Wine's drive for the Unix root.
    std::string name = "novadrift-root-" + std::to_string(GetCurrentProcessId());
    std::string unixPath = "/tmp/" + name + ".ppm";
    std::string windowsPath = "Z:\\tmp\\" + name + ".ppm";
    DeleteFileA(windowsPath.c_str());
    // The Unix side gets Wine's PATH, which names no Unix directories.
    std::string command = "/bin/sh -c \"/usr/bin/import -window root -depth 8 ppm:" + unixPath +
                          ".part && /bin/mv " + unixPath + ".part " + unixPath + "\"";
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Shot();
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
        if (GetFileAttributesA(windowsPath.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        Shot shot = ReadPpm(ReadFileText(windowsPath));
        DeleteFileA(windowsPath.c_str());
        return shot;
    }
    return Shot();
}

bool IsStar(const Pixel& p) {
    return std::min({p.r, p.g, p.b}) >= 170;
}

StarCount CountStars(const Shot& shot) {
    StarCount count;
    std::set<int> cells;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (IsStar(shot.At(x, y))) {
                ++count.pixels;
                cells.insert((y / 16) * 1000 + x / 16);
            }
    count.places = int(cells.size());
    return count;
}

double CloudShare(const Shot& shot) {
    int lit = 0;
    for (const Pixel& p : shot.pixels) lit += p.b >= 30 && p.b > p.r;
    return double(lit) / double(shot.pixels.size());
}
