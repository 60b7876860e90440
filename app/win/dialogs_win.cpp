// The settings and about dialogs: their dialog procedures on the resources of
// novadrift.rc, the drop-down lists behind the settings dialog's logic, and the
// owner-drawn link of the about dialog.
#include <windows.h>

#include <shellapi.h>

#include "misc.h"
#include "resource.h"
#include "win/library_win.h"
#include "settingsdialog.h"
#include "startup.h"
#include "version.h"

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int DrawLinkText(HDC dc, const char* text, RECT* rect, int selected);

namespace {

// A combo box of the dialog as the settings logic's list.
class ComboChoices : public ChoiceList {
public:
    ComboChoices(HWND dialog, int id) : combo(GetDlgItem(dialog, id)) {}
    void Clear() override { SendMessageA(combo, CB_RESETCONTENT, 0, 0); }
    int32_t Add(const char* text, void* data) override {
        LRESULT position = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (position < 0) return -1;
        SendMessageA(combo, CB_SETITEMDATA, WPARAM(position), reinterpret_cast<LPARAM>(data));
        return int32_t(position);
    }
    void Select(int32_t position) override {
        SendMessageA(combo, CB_SETCURSEL, WPARAM(position), 0);
    }
    int32_t Selected() override {
        LRESULT position = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        return position == CB_ERR ? -1 : int32_t(position);
    }
    int Data(int32_t position, void** data) override {
        LRESULT item = SendMessageA(combo, CB_GETITEMDATA, WPARAM(position), 0);
        if (item == CB_ERR) return 0;
        *data = reinterpret_cast<void*>(item);
        return 1;
    }

private:
    HWND combo;
};

HINSTANCE Instance() {
    return reinterpret_cast<HINSTANCE>(appInstance);
}

const int kLinkTextLength = 50;

void OpenHomePage(HWND dialog) {
    HINSTANCE result =
        ShellExecuteA(dialog, "open", NOVADRIFT_HOME_PAGE, nullptr, ".", SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        MessageBoxA(
            dialog,
            "Unable to start your web browser.\nPlease direct your browser to " NOVADRIFT_HOME_PAGE
            " by hand.",
            "Error", MB_SETFOREGROUND);
}

void DrawLink(const DRAWITEMSTRUCT* item) {
    char text[kLinkTextLength + 1] = {};
    GetWindowTextA(item->hwndItem, text, sizeof text);
    RECT rect;
    GetClientRect(item->hwndItem, &rect);
    if (item->itemAction & ODA_DRAWENTIRE) DrawLinkText(item->hDC, text, &rect, 0);
    if (item->itemAction & ODA_SELECT)
        DrawLinkText(item->hDC, text, &rect, (item->itemState & ODS_SELECTED) ? 1 : 0);
}

// Pixels per inch where the text is drawn: its monitor's under per-monitor awareness
// (GetDpiForWindow, Windows 10 1607 and later), else the system's.
int TextDpi(HDC dc) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const GetDpiForWindowFunction dpiForWindow =
        LibraryEntry<GetDpiForWindowFunction>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    HWND window = WindowFromDC(dc);
    UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi ? int(dpi) : GetDeviceCaps(dc, LOGPIXELSY);
}

}  // namespace

int DrawLinkText(HDC dc, const char* text, RECT* rect, int selected) {
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, selected == 1 ? RGB(160, 0, 0) : RGB(0, 0, 160));
    // 14 by 5 pixels at 96 pixels per inch, grown with the display's scaling as the
    // dialog around it grows.
    const int dpi = TextDpi(dc);
    HFONT font = CreateFontA(MulDiv(14, dpi, 96), MulDiv(5, dpi, 96), 0, 0, FW_NORMAL, FALSE, TRUE,
                             FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    DrawTextA(dc, text, -1, rect, DT_WORDBREAK);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    DeleteObject(font);
    return 1;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    ComboChoices renderers(dialog, IDC_RENDERER);
    ComboChoices resolutions(dialog, IDC_RESOLUTION);
    ComboChoices priorities(dialog, IDC_PRIORITY);
    ComboChoices frameRates(dialog, IDC_FRAME_RATE);
    switch (message) {
        case WM_INITDIALOG:
            FillRendererList(&renderers, Settings);
            FillPriorityList(&priorities, Settings);
            FillFrameRateList(&frameRates, Settings);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RENDERER, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_RENDERER)));
            SetFocus(GetDlgItem(dialog, IDOK));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_RENDERER:
                    if (HIWORD(wParam) == CBN_SELCHANGE)
                        FillResolutionList(&renderers, &resolutions, Settings);
                    return TRUE;
                case IDOK:
                    if (AcceptSettingsChoices(&renderers, &resolutions, &priorities, &Settings) &&
                        AcceptFrameRateChoice(&frameRates, &Settings))
                        EndDialog(dialog, 1);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, 0);
                    return TRUE;
                case IDC_ABOUT:
                    // Owned by this dialog, so the settings wait while it is open (there
                    // is no main window in a settings run).
                    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_ABOUT), dialog,
                                    AboutDialogProc, 0);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetFocus(GetDlgItem(dialog, IDOK));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    EndDialog(dialog, 1);
                    return TRUE;
                case IDCANCEL:
                    // Escape and the caption's close button.
                    EndDialog(dialog, 0);
                    return TRUE;
                case IDC_LINK:
                    if (HIWORD(wParam) == BN_CLICKED) OpenHomePage(dialog);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DRAWITEM:
            if (wParam != IDC_LINK) return FALSE;
            DrawLink(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

int ShowSettingsDialog(WindowHandle owner) {
    INT_PTR result = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_SETTINGS),
                                     reinterpret_cast<HWND>(owner), SettingsDialogProc, 0);
    if (result == -1)
        return SetErrorText("Unable to show the settings dialog : %ld", long(GetLastError()));
    return result == 1 ? 1 : 0;
}
