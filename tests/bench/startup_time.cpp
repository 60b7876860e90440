// Start-up time under Wine: from CreateProcess to the first frame on the screen, for
// "Novadrift.scr /s" and, as the yardstick, for an empty Win32 window (this program
// started again with --empty-window: a full-screen window painted in one colour).
// Both are started and watched the same way: the middle of the screen is read back
// with GDI about every millisecond until the saver's frame (many colours) or the empty
// window's colour is there. Rounds alternate the two after one warm-up run of each
// (a warm Wine prefix: this program keeps the Wine server running); the line printed
// gives each one's median and spread and the ratio of the medians.
//
//   scripts/bench-startup.sh [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"
#include "scr_driver.h"

namespace {

const COLORREF kEmptyColour = RGB(255, 0, 255);
const char kEmptyClass[] = "StartupEmptyWindow";

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(kEmptyColour);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunEmptyWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kEmptyClass;
    if (!RegisterClassA(&windowClass)) return 1;
    if (!CreateWindowExA(WS_EX_TOPMOST, kEmptyClass, "Empty", WS_POPUP | WS_VISIBLE, 0, 0,
                         GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                         nullptr, windowClass.hInstance, nullptr))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Time spent reading the screen: the resolution of the measurement.
double probeSeconds = 0;
int probes = 0;

double Now();

// A 256 x 192 rectangle in the middle of the screen.
Shot ScreenMiddle() {
    double start = Now();
    RECT rect;
    rect.left = (GetSystemMetrics(SM_CXSCREEN) - 256) / 2;
    rect.top = (GetSystemMetrics(SM_CYSCREEN) - 192) / 2;
    rect.right = rect.left + 256;
    rect.bottom = rect.top + 192;
    Shot shot = CaptureScreen(rect);
    probeSeconds += Now() - start;
    ++probes;
    return shot;
}

uint32_t Colour(const Pixel& pixel) {
    return uint32_t(pixel.r) << 16 | uint32_t(pixel.g) << 8 | uint32_t(pixel.b);
}

// The empty window: most of the middle in its colour.
bool EmptyWindowShown(const Shot& shot) {
    size_t count = 0;
    for (const Pixel& pixel : shot.pixels) count += Colour(pixel) == 0xFF00FF;
    return count * 2 > shot.pixels.size();
}

// A star-field frame: clouds and stars give many colours where a window background,
// the desktop or a cleared frame give one or two.
bool SaverFrameShown(const Shot& shot) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i < shot.pixels.size() && colours.size() < 32; i += 3)
        colours.insert(Colour(shot.pixels[i]));
    return colours.size() >= 32;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// Neither program's picture in the middle of the screen (the last one's window has
// gone and the desktop is drawn again); false after 10 s.
bool ScreenClear() {
    double start = Now();
    while (Now() - start < 10.0) {
        Shot shot = ScreenMiddle();
        if (!EmptyWindowShown(shot) && !SaverFrameShown(shot)) return true;
        Sleep(10);
    }
    return false;
}

// Milliseconds from starting the command to `shown`, then the program is closed (a
// key for the saver, WM_CLOSE for the empty window; ended after 10 s). -1 when it
// never showed (30 s).
double TimeToFirstFrame(const std::string& commandLine, const char* windowClass,
                        bool (*shown)(const Shot&)) {
    if (!ScreenClear()) return -1;
    std::string directory(MAX_PATH, '\0');
    directory.resize(GetModuleFileNameA(nullptr, &directory[0], MAX_PATH));
    directory = directory.substr(0, directory.find_last_of("\\/") + 1);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return -1;
    double elapsed = -1;
    while (Now() - start < 30.0) {
        if (shown(ScreenMiddle())) {
            elapsed = (Now() - start) * 1000.0;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    for (int i = 0; i < 100 && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0; ++i) {
        HWND window = FindWindowA(windowClass, nullptr);
        if (window && std::strcmp(windowClass, kEmptyClass) == 0)
            PostMessageA(window, WM_CLOSE, 0, 0);
        else if (window)
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        WaitForSingleObject(process.hProcess, 100);
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--empty-window") == 0) return RunEmptyWindow();
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string empty = "\"" + std::string(self) + "\" --empty-window";
    const std::string saver = "Novadrift.scr /s";
    std::vector<double> saverTimes, emptyTimes, ratios;
    for (int round = -1; round < rounds; ++round) {
        double times[2];
        for (int turn = 0; turn < 2; ++turn) {
            bool saverTurn = (turn + round) % 2 == 0;
            times[saverTurn] = saverTurn ? TimeToFirstFrame(saver, "Novadrift", SaverFrameShown)
                                         : TimeToFirstFrame(empty, kEmptyClass, EmptyWindowShown);
            if (times[saverTurn] < 0) {
                std::fprintf(stderr, "%s: no first frame within 30 s\n",
                             saverTurn ? "Novadrift.scr /s" : "empty window");
                return 1;
            }
        }
        if (round < 0) continue;  // warm-up
        saverTimes.push_back(times[1]);
        emptyTimes.push_back(times[0]);
        ratios.push_back(times[1] / times[0]);
        std::printf("round %d: saver %.0f ms, empty window %.0f ms\n", round + 1, times[1],
                    times[0]);
    }
    auto low = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    auto high = [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); };
    std::printf("first frame of Novadrift.scr /s: median %.0f ms (%.0f-%.0f)\n", Median(saverTimes),
                low(saverTimes), high(saverTimes));
    std::printf("empty Win32 window:              median %.0f ms (%.0f-%.0f)\n", Median(emptyTimes),
                low(emptyTimes), high(emptyTimes));
    std::printf("reading the screen took %.1f ms a time\n", probeSeconds * 1000.0 / probes);
    std::printf("ratio of the medians %.2f; per-round ratios median %.2f (%.2f-%.2f)\n",
                Median(saverTimes) / Median(emptyTimes), Median(ratios), low(ratios), high(ratios));
    return 0;
}
