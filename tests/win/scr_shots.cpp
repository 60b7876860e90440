#include "scr_shots.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
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

namespace {

// The fine detail of the frame (each pixel less its 5 x 5 neighbourhood's mean).
std::vector<double> Detail(const Shot& shot) {
    std::vector<double> detail(shot.pixels.size(), 0.0);
    for (int y = 2; y < shot.height - 2; ++y)
        for (int x = 2; x < shot.width - 2; ++x) {
            double sum = 0.0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const Pixel& p = shot.At(x + dx, y + dy);
                    sum += p.r + p.g + p.b;
                }
            const Pixel& p = shot.At(x, y);
            detail[size_t(y) * size_t(shot.width) + size_t(x)] = (p.r + p.g + p.b) - sum / 25.0;
        }
    return detail;
}

// How much the fine detail matches itself dx pixels to the right (-1..1).
double DetailCorrelation(const Shot& shot, const std::vector<double>& detail, int dx) {
    double products = 0.0, left = 0.0, right = 0.0;
    for (int y = 2; y < shot.height - 2; ++y)
        for (int x = 2; x + dx < shot.width - 2; ++x) {
            double a = detail[size_t(y) * size_t(shot.width) + size_t(x)];
            double b = detail[size_t(y) * size_t(shot.width) + size_t(x + dx)];
            products += a * b;
            left += a * a;
            right += b * b;
        }
    return left > 0.0 && right > 0.0 ? products / std::sqrt(left * right) : 0.0;
}

}  // namespace

void ExpectMovingStarField(const Shot& first, const Shot& second) {
    ASSERT_FALSE(first.pixels.empty());
    ASSERT_FALSE(second.pixels.empty());
    ASSERT_EQ(first.width, second.width);
    ASSERT_EQ(first.height, second.height);
    for (const Shot* shot : {&first, &second}) {
        // Stars, bright over the backdrop, in many places.
        StarCount stars = CountStars(*shot);
        EXPECT_GE(stars.pixels, 20);
        EXPECT_GE(stars.places, 8);
        // The cloud layer: a good part of the frame is lit blue, not black.
        double cloud = CloudShare(*shot);
        EXPECT_GT(cloud, 0.15);
        EXPECT_LT(cloud, 0.995);
        // The tiled layer repeats 7 times across the frame: its fine detail matches
        // itself one seventh of the width on, much more than at other distances.
        std::vector<double> detail = Detail(*shot);
        int period = int(std::lround(shot->width / 7.0));
        double atPeriod = DetailCorrelation(*shot, detail, period);
        double between = DetailCorrelation(*shot, detail, period / 2);
        EXPECT_GT(atPeriod, 0.2);
        EXPECT_GT(atPeriod, between + 0.15) << "period " << period;
    }

    // A second later the frame has changed: the stars came on, the cloud drifted.
    int changed = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i) {
        const Pixel& a = first.pixels[i];
        const Pixel& b = second.pixels[i];
        changed += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 24;
    }
    EXPECT_GT(changed, int(first.pixels.size() / 50));
}
