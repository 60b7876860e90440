// Start-up time under Wine: from CreateProcess to the first frame on the screen, for
// "Novadrift.scr /s" and, as yardsticks, for an empty Win32 window (this program
// started again with --empty-window: a full-screen window painted in one colour) and
// for the least a Direct3D 7 program does before its first frame (--direct3d-frame:
// one DirectDraw object, full screen at 640 x 480 x 16, a flipping chain, a device,
// one cleared frame in that colour). All are started and watched the same way: the
// middle of the screen is read back with GDI about every millisecond until the
// saver's frame (many colours) or the yardstick's colour is there. Each round runs
// the three in a rotating order after one warm-up round (a warm Wine prefix: this
// program keeps the Wine server running); the lines printed give each one's median
// and spread and the saver's ratios to both.
//
// The saver runs with a saved choice, as every run after the first does: the warm-up
// round starts without one and the saver saves the screen it used (the Direct3D screen
// with its device, unless --opengl chose the standard OpenGL screen). Where its time
// goes is read from its log after each round: the steps between the log lines below,
// and, from the log's clock to the frame on the screen, what the log cannot see (the
// process's start before the clock starts, the first frame after vx_init).
//
//   scripts/bench-startup.sh [rounds] [--opengl]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "d3d_api.h"
#include "library_win.h"
#include "scr_driver.h"

namespace {

const COLORREF kEmptyColour = RGB(255, 0, 255);
const char kEmptyClass[] = "StartupEmptyWindow";
const char kDirect3DClass[] = "StartupDirect3DFrame";

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

LRESULT CALLBACK Direct3DWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFullScreenWindow(const char* className, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) return nullptr;
    return CreateWindowExA(WS_EX_TOPMOST, className, className, WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunEmptyWindow() {
    if (!CreateFullScreenWindow(kEmptyClass, EmptyWindowProc)) return 1;
    RunMessageLoop();
    return 0;
}

// Nothing is released on the way out: the process's end does it, as it would for a
// failure half-way.
int RunDirect3DFrame() {
    HMODULE library = LoadLibraryA("ddraw.dll");
    auto createEx =
        library ? LibraryEntry<DirectDrawCreateExFunction>(library, "DirectDrawCreateEx") : nullptr;
    IDirectDraw7* directDraw = nullptr;
    if (!createEx || createEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                              nullptr) != DD_OK)
        return 1;
    HWND window = CreateFullScreenWindow(kDirect3DClass, Direct3DWindowProc);
    if (!window || directDraw->SetCooperativeLevel(
                       window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_FPUSETUP) != DD_OK)
        return 1;
    DWORD desktopBits = DWORD(GetDeviceCaps(GetDC(nullptr), BITSPIXEL));
    if (directDraw->SetDisplayMode(640, 480, 16, 0, 0) != DD_OK &&
        directDraw->SetDisplayMode(640, 480, desktopBits, 0, 0) != DD_OK)
        return 1;
    DDSURFACEDESC2 description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    IDirectDrawSurface7* front = nullptr;
    IDirectDrawSurface7* back = nullptr;
    DDSCAPS2 backCaps = {};
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirect3D7* direct3D = nullptr;
    IDirect3DDevice7* device = nullptr;
    if (directDraw->CreateSurface(&description, &front, nullptr) != DD_OK ||
        front->GetAttachedSurface(&backCaps, &back) != DD_OK ||
        directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)) != S_OK ||
        direct3D->CreateDevice(IID_IDirect3DTnLHalDevice, back, &device) != D3D_OK)
        return 1;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0);
    front->Flip(nullptr, DDFLIP_WAIT);
    RunMessageLoop();
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

// A yardstick's frame: most of the middle in its colour (a 16-bit display keeps the
// top bits of each component).
bool YardstickShown(const Shot& shot) {
    size_t count = 0;
    for (const Pixel& pixel : shot.pixels)
        count += pixel.r >= 0xF8 && pixel.g < 8 && pixel.b >= 0xF8;
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
        if (!YardstickShown(shot) && !SaverFrameShown(shot)) return true;
        Sleep(10);
    }
    return false;
}

// Milliseconds from starting the command to `shown`, then the program is closed (a
// key for the saver, WM_CLOSE for a yardstick; ended after 10 s). -1 when it never
// showed (30 s).
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
        if (window && std::strcmp(windowClass, "Novadrift") == 0)
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        else if (window)
            PostMessageA(window, WM_CLOSE, 0, 0);
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

// The saver's log: the time of the first line starting with each text (the text after
// the time stamp, "INIT : Entering startup").
std::map<std::string, double> LogTimes(const std::string& path,
                                       const std::vector<std::string>& starts) {
    std::map<std::string, double> times;
    std::ifstream log(path);
    std::string line;
    while (std::getline(log, line)) {
        double time = 0;
        size_t body = line.find(" : ");
        if (body == std::string::npos || std::sscanf(line.c_str(), "%lf", &time) != 1) continue;
        for (const std::string& start : starts)
            if (!times.count(start) && line.compare(body + 3, start.size(), start) == 0)
                times[start] = time;
    }
    return times;
}

// A step of the saver's start-up: from one log line to the next one named.
struct Step {
    const char* title;
    std::string from, to;
    std::vector<double> milliseconds;
};

const char kMainLoop[] = "INIT :  ----- Entering main loop -----";
const char kLoaded[] = "INIT : Exiting vx_init";

std::vector<Step> SaverSteps() {
    return {
        {"making the screens (libraries loaded)",
         "INIT : Creating sys globals",
         "INIT : Register class",
         {}},
        {"choosing the screen",
         "INIT : Trying to setup screen",
         "SCREEN : Starting video mode",
         {}},
        {"opening the mode", "SCREEN : Starting video mode", kMainLoop, {}},
        {"  window", "SCREEN : Create window", "SCREEN : Creating 3d enviroment", {}},
        {"  DirectDraw object, cooperative level, device confirmed",
         "SCREEN : Create direct draw",
         "SCREEN : Create fullscreen buffers",
         {}},
        {"  display mode", "SCREEN : Setting display mode", "SCREEN : Create primary surface", {}},
        {"  flipping chain",
         "SCREEN : Create primary surface",
         "SCREEN : Create direct 3d object",
         {}},
        {"  Direct3D device", "SCREEN : Create direct 3d object", "SCREEN : Create z buffer", {}},
        {"  depth buffer and first clear", "SCREEN : Create z buffer", kMainLoop, {}},
        {"  window, pixel format and OpenGL context",
         "SCREEN : Create window",
         "SCREEN : Video mode setup was successfull",
         {}},
        {"vx_init (textures, gui.cfg, background)", kMainLoop, kLoaded, {}}};
}

struct Contender {
    const char* title;
    std::string commandLine;
    const char* windowClass;
    bool (*shown)(const Shot&);
    std::vector<double> times;
};

double Low(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

double High(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--empty-window") == 0) return RunEmptyWindow();
    if (argc > 1 && std::strcmp(argv[1], "--direct3d-frame") == 0) return RunDirect3DFrame();
    int rounds = 9;
    bool openGl = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--opengl") == 0)
            openGl = true;
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = "\"" + std::string(self) + "\" ";
    // The saver's settings file, beside both programs: the defaults, with the standard
    // OpenGL screen (kind 1) chosen or the choice left to the program. Put back after.
    const std::string directory(self, std::strrchr(self, '\\') + 1);
    RestoredFile settings(directory + "novadrift.cfg");
    SettingsValues values;
    values.screenKind = openGl ? 1 : 0;
    WriteSettingsFile(directory + "novadrift.cfg", values);
    Contender contenders[] = {
        {"first frame of Novadrift.scr /s", "Novadrift.scr /s", "Novadrift", SaverFrameShown, {}},
        {"empty Win32 window", program + "--empty-window", kEmptyClass, YardstickShown, {}},
        {"least Direct3D 7 frame",
         program + "--direct3d-frame",
         kDirect3DClass,
         YardstickShown,
         {}}};
    const int count = 3;
    std::vector<double> ratios[count];
    std::vector<Step> steps = SaverSteps();
    std::vector<std::string> lines = {kMainLoop, kLoaded, "SCREEN : Enumerating"};
    for (const Step& step : steps) lines.insert(lines.end(), {step.from, step.to});
    std::vector<double> unseen;  // from the log's clock to the frame, and before the clock
    int enumerated = 0;
    for (int round = -1; round < rounds; ++round) {
        double times[count];
        std::map<std::string, double> logged;
        for (int turn = 0; turn < count; ++turn) {
            int which = (turn + round + 1) % count;
            Contender& contender = contenders[which];
            times[which] =
                TimeToFirstFrame(contender.commandLine, contender.windowClass, contender.shown);
            if (times[which] < 0) {
                std::fprintf(stderr, "%s: nothing shown within 30 s\n", contender.title);
                return 1;
            }
            if (which == 0) logged = LogTimes(directory + "Novadrift.log", lines);
        }
        if (round < 0) {
            // The warm-up run saved its choice, which the rounds open.
            std::string saved = ReadFileText(directory + "novadrift.cfg");
            const size_t selection = 37 + 93;
            if (saved.size() != 386 || saved[selection + 4] != (openGl ? 1 : 3)) {
                std::fprintf(stderr, "the warm-up run saved no choice of that screen\n");
                return 1;
            }
            std::printf("saved choice: screen kind %d, device part", int(saved[selection + 4]));
            for (size_t at = selection + 64; at < selection + 100; ++at)
                std::printf("%s%02X", (at - selection - 64) % 4 ? "" : " ", uint8_t(saved[at]));
            std::printf("\n");
            continue;
        }
        if (logged.count("SCREEN : Enumerating") && logged.count(kMainLoop) &&
            logged["SCREEN : Enumerating"] <= logged[kMainLoop])
            ++enumerated;
        for (Step& step : steps)
            if (logged.count(step.from) && logged.count(step.to))
                step.milliseconds.push_back((logged[step.to] - logged[step.from]) * 1000.0);
        if (logged.count(kLoaded)) unseen.push_back(times[0] - logged[kLoaded] * 1000.0);
        for (int which = 0; which < count; ++which) {
            contenders[which].times.push_back(times[which]);
            ratios[which].push_back(times[0] / times[which]);
        }
        std::printf("round %d: saver %.0f ms, empty window %.0f ms, Direct3D 7 frame %.0f ms\n",
                    round + 1, times[0], times[1], times[2]);
    }
    for (const Contender& contender : contenders)
        std::printf("%-32s median %.0f ms (%.0f-%.0f)\n", contender.title, Median(contender.times),
                    Low(contender.times), High(contender.times));
    std::printf("reading the screen took %.1f ms a time\n", probeSeconds * 1000.0 / probes);
    std::printf("rounds that enumerated the Direct3D drivers before the main loop: %d of %d\n",
                enumerated, rounds);
    std::printf("where the saver's time goes (from its log; median, fastest-slowest):\n");
    for (const Step& step : steps)
        if (!step.milliseconds.empty())
            std::printf("  %-58s %4.0f ms (%.0f-%.0f)\n", step.title, Median(step.milliseconds),
                        Low(step.milliseconds), High(step.milliseconds));
    if (!unseen.empty())
        std::printf("  %-58s %4.0f ms (%.0f-%.0f)\n",
                    "before the log's clock and from vx_init to the frame shown", Median(unseen),
                    Low(unseen), High(unseen));
    for (int which = 1; which < count; ++which)
        std::printf(
            "saver / %s: ratio of the medians %.2f; per-round ratios median %.2f "
            "(%.2f-%.2f)\n",
            contenders[which].title, Median(contenders[0].times) / Median(contenders[which].times),
            Median(ratios[which]), Low(ratios[which]), High(ratios[which]));
    return 0;
}
