#include "win/pacing_win.h"

#include "sysevent.h"
#include "win/library_win.h"
#include "xsystem.h"

namespace {

// Not in every SDK's headers: the flag of CreateWaitableTimerExW, and the console
// display's power setting {6fe69556-704a-47a0-8f24-c28d936fda47}.
const DWORD kHighResolutionTimer = 0x00000002;
const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

struct PowerSetting {
    GUID setting;
    DWORD length;
    UCHAR data[1];
};

typedef UINT(WINAPI* TimePeriodFunction)(UINT);

HANDLE timer;
bool timerTried;
bool finePeriod;  // timeBeginPeriod(1) is in force

TimePeriodFunction TimeFunction(const char* name) {
    HMODULE library = LoadSystemLibrary("winmm.dll");
    return library ? LibraryEntry<TimePeriodFunction>(library, name) : nullptr;
}

// The high-resolution timer, else a plain one with the system's timer ticks at 1 ms.
void MakeTimer() {
    timerTried = true;
    typedef HANDLE(WINAPI * CreateTimerEx)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
    const auto create =
        LibraryEntry<CreateTimerEx>(GetModuleHandleA("kernel32.dll"), "CreateWaitableTimerExW");
    if (create) timer = create(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    if (timer) return;
    timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
    if (const TimePeriodFunction begin = TimeFunction("timeBeginPeriod"))
        finePeriod = begin(1) == 0;
}

HWND watchedWindow;
HPOWERNOTIFY displayNotice;

}  // namespace

void WaitPrecisely(uint32_t microseconds) {
    if (!timerTried) MakeTimer();
    if (!timer) {
        Sleep(DWORD((microseconds + 999) / 1000));
        return;
    }
    LARGE_INTEGER due;
    due.QuadPart = -LONGLONG(microseconds) * 10;  // relative, in 100 ns units
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
        WaitForSingleObject(timer, INFINITE);
}

void EndPreciseWaits() {
    if (timer) CloseHandle(timer);
    timer = nullptr;
    timerTried = false;
    if (!finePeriod) return;
    if (const TimePeriodFunction end = TimeFunction("timeEndPeriod")) end(1);
    finePeriod = false;
}

void WaitForMessages(uint32_t milliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

int32_t PrimaryRefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    // 0 and 1 stand for the hardware's default rate, which is not told.
    return mode.dmDisplayFrequency > 1 ? int32_t(mode.dmDisplayFrequency) : 0;
}

int RunningOnBattery() {
    SYSTEM_POWER_STATUS status;
    return GetSystemPowerStatus(&status) && status.ACLineStatus == 0;
}

void WatchDisplayAndWindow() {
    HWND window = sglb ? reinterpret_cast<HWND>(sglb->mainWindow) : nullptr;
    if (window != watchedWindow) {
        if (displayNotice) UnregisterPowerSettingNotification(displayNotice);
        displayNotice = nullptr;
        watchedWindow = window;
        // Registering sends the display's state at once.
        if (window)
            displayNotice = RegisterPowerSettingNotification(window, &kConsoleDisplayState,
                                                             DEVICE_NOTIFY_WINDOW_HANDLE);
        if (!window) DispatchStateEvent(SE_DISPLAY_POWER, 1);
    }
    // A preview is drawn in a window of the host's dialog, hidden with it.
    const bool child = window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    DispatchStateEvent(SE_WINDOW_SIGHT, !child || IsWindowVisible(window));
}

bool TakeDisplayStateMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_POWERBROADCAST || wParam != PBT_POWERSETTINGCHANGE || !lParam) return false;
    const PowerSetting* setting = reinterpret_cast<const PowerSetting*>(lParam);
    if (!IsEqualGUID(setting->setting, kConsoleDisplayState) || setting->length < 1) return false;
    // 0 off, 1 on, 2 dimmed (still seen).
    DispatchStateEvent(SE_DISPLAY_POWER, setting->data[0] != 0);
    return true;
}
