// The Direct3D screen's enumeration. Sections: the device table; enumeration (display
// drivers, their full-screen modes and 3-D devices into the screen's device table, the
// default device, the window modes, the device an open uses, a saved device confirmed
// in its driver's list).
#include <cstdio>
#include <cstring>

#include "ansi/memory.h"
#include "display_win.h"
#include "misc.h"
#include "scr_d3d.h"

namespace {

bool IsCandidateSize(DWORD width, DWORD height) {
    for (const ModeSize& size : kCandidateSizes)
        if (DWORD(size.width) == width && DWORD(size.height) == height) return true;
    return false;
}

DWORD DepthFlag(DWORD bits) {
    switch (bits) {
        case 16:
            return DDBD_16;
        case 24:
            return DDBD_24;
        case 32:
            return DDBD_32;
        default:
            return 0;
    }
}

bool ModeSortsBefore(const DDSURFACEDESC2* a, const DDSURFACEDESC2* b) {
    if (a->dwWidth != b->dwWidth) return a->dwWidth < b->dwWidth;
    if (a->dwHeight != b->dwHeight) return a->dwHeight < b->dwHeight;
    return a->ddpfPixelFormat.dwRGBBitCount < b->ddpfPixelFormat.dwRGBBitCount;
}

// Insertion into a list kept sorted by width, height, then depth.
void InsertSorted(LList& modes, DDSURFACEDESC2* mode) {
    for (bool more = modes.First(); more; more = modes.Next())
        if (ModeSortsBefore(mode, static_cast<DDSURFACEDESC2*>(modes.Current()))) {
            modes.InsertBefore(mode);
            return;
        }
    if (!modes.AddBack(mode)) xFree(mode);
}

// What one display driver offers, while its devices are enumerated.
struct DriverScan {
    D3dScreen* screen;
    GUID driverGuid;
    bool primary;
    bool canRenderWindowed;
    LList modes;     // DDSURFACEDESC2, sorted
    int* seenTotal;  // modes and devices seen at all, over every driver
    int* accepted;
};

HRESULT CALLBACK AddDisplayMode(DDSURFACEDESC2* description, void* context) {
    DriverScan* scan = static_cast<DriverScan*>(context);
    ++*scan->seenTotal;
    DWORD bits = description->ddpfPixelFormat.dwRGBBitCount;
    if (!IsCandidateSize(description->dwWidth, description->dwHeight) || !DepthFlag(bits))
        return DDENUMRET_OK;
    DDSURFACEDESC2* kept = static_cast<DDSURFACEDESC2*>(XALLOC(sizeof *kept));
    *kept = *description;
    InsertSorted(scan->modes, kept);
    scan->screen->AddFullScreenMode(int32_t(description->dwWidth), int32_t(description->dwHeight),
                                    int32_t(bits));
    return DDENUMRET_OK;
}

bool Rasterises(const D3DDEVICEDESC7* caps) {
    return (caps->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
}

// Of a secondary driver only the devices that rasterise in hardware are taken.
bool DeviceTaken(bool primaryDriver, const D3DDEVICEDESC7* caps) {
    return primaryDriver || Rasterises(caps);
}

HRESULT CALLBACK AddDevice(char* description, char*, D3DDEVICEDESC7* caps, void* context) {
    DriverScan* scan = static_cast<DriverScan*>(context);
    ++*scan->seenTotal;
    bool hardware = Rasterises(caps);
    if (!DeviceTaken(scan->primary, caps)) return D3DENUMRET_OK;
    D3dDeviceInfo* device = XNEW(D3dDeviceInfo);
    std::snprintf(device->description, sizeof device->description, "%s",
                  description ? description : "");
    device->deviceGuid = caps->deviceGUID;
    device->driverGuid = scan->driverGuid;
    device->hardware = hardware;
    device->canRenderWindowed = scan->canRenderWindowed;
    device->caps = *caps;
    device->defaultMode = -1;
    for (bool more = scan->modes.First(); more; more = scan->modes.Next()) {
        const DDSURFACEDESC2* mode = static_cast<DDSURFACEDESC2*>(scan->modes.Current());
        DWORD bits = mode->ddpfPixelFormat.dwRGBBitCount;
        if (!(caps->dwDeviceRenderBitDepth & DepthFlag(bits))) continue;
        if (mode->dwWidth == 640 && mode->dwHeight == 480 && bits == 16)
            device->defaultMode = device->modes.Count();
        DDSURFACEDESC2* kept = static_cast<DDSURFACEDESC2*>(XALLOC(sizeof *kept));
        *kept = *mode;
        if (!device->modes.AddBack(kept)) xFree(kept);
    }
    // A device that draws in a window keeps the desktop mode and the window modes
    // without any full-screen size (a display whose only mode is 1920x1080).
    if (device->modes.Count() == 0 && !device->canRenderWindowed) {
        XDELETE(device);
        return D3DENUMRET_OK;
    }
    if (!scan->screen->devices.Add(device)) {
        device->modes.ClearAndFreeItems();
        XDELETE(device);
        return D3DENUMRET_OK;
    }
    ++*scan->accepted;
    return D3DENUMRET_OK;
}

// One display driver: its capabilities, its modes and its devices.
BOOL CALLBACK ScanDriver(GUID* guid, char* description, char* name, void* context, HMONITOR) {
    DriverScan* scan = static_cast<DriverScan*>(context);
    D3dScreen* screen = scan->screen;
    LogMessage(LOG_SCREEN, "Enumerating %s (%s)\n", description ? description : "",
               name ? name : "");
    IDirectDraw7* directDraw = screen->NewDirectDraw(guid);
    if (!directDraw) {
        LogMessage(LOG_WARNING, "Can't create DDraw during enumeration!\n");
        return TRUE;
    }
    IDirect3D7* direct3D = nullptr;
    if (directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)) != S_OK) {
        LogMessage(LOG_WARNING, "Can't query IDirect3D7 during enumeration!\n");
        directDraw->Release();
        return TRUE;
    }
    scan->primary = guid == nullptr;
    std::memset(&scan->driverGuid, 0, sizeof scan->driverGuid);
    if (guid) scan->driverGuid = *guid;
    DDCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    directDraw->GetCaps(&caps, nullptr);
    scan->canRenderWindowed = scan->primary && (caps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED);
    LogMessage(LOG_SCREEN, "Getting fullscreen video modes\n");
    directDraw->EnumDisplayModes(0, nullptr, scan, AddDisplayMode);
    direct3D->EnumDevices(AddDevice, scan);
    scan->modes.ClearAndFreeItems();
    direct3D->Release();
    directDraw->Release();
    return TRUE;
}

// A saved device in its driver's list of devices.
struct SavedDeviceSearch {
    GUID device;
    bool primaryDriver;
    bool found;
    bool hardware;
    char description[D3D_DESCRIPTION_SIZE];
};

HRESULT CALLBACK FindSavedDevice(char* description, char*, D3DDEVICEDESC7* caps, void* context) {
    SavedDeviceSearch* search = static_cast<SavedDeviceSearch*>(context);
    if (!IsEqualGUID(caps->deviceGUID, search->device) || !DeviceTaken(search->primaryDriver, caps))
        return D3DENUMRET_OK;
    search->found = true;
    search->hardware = Rasterises(caps);
    std::snprintf(search->description, sizeof search->description, "%s",
                  description ? description : "");
    return D3DENUMRET_CANCEL;
}

// Default-device preference: hardware transform and lighting, other hardware, a
// software device other than the reference rasteriser, the reference rasteriser.
int Preference(const D3dDeviceInfo* device) {
    if (IsEqualGUID(device->deviceGuid, IID_IDirect3DTnLHalDevice)) return 0;
    if (device->hardware) return 1;
    if (!IsEqualGUID(device->deviceGuid, IID_IDirect3DRefDevice)) return 2;
    return 3;
}

}  // namespace

bool IsZeroGuid(const GUID& guid) {
    static const GUID zero = {};
    return IsEqualGUID(guid, zero) != 0;
}

// ---------------------------------------------------------------------------------------
// The device table

int D3dDeviceTable::Add(D3dDeviceInfo* device) {
    return list.AddBack(device) ? 1 : 0;
}

D3dDeviceInfo* D3dDeviceTable::Find(const GUID& device, const GUID& driver) {
    for (bool more = list.First(); more; more = list.Next()) {
        D3dDeviceInfo* info = static_cast<D3dDeviceInfo*>(list.Current());
        if (IsEqualGUID(info->deviceGuid, device) && IsEqualGUID(info->driverGuid, driver))
            return info;
    }
    return nullptr;
}

D3dDeviceInfo* D3dDeviceTable::Selected() {
    for (bool more = list.First(); more; more = list.Next()) {
        D3dDeviceInfo* info = static_cast<D3dDeviceInfo*>(list.Current());
        if (info->selected) return info;
    }
    return nullptr;
}

void D3dDeviceTable::FreeModes() {
    for (bool more = list.First(); more; more = list.Next())
        static_cast<D3dDeviceInfo*>(list.Current())->modes.ClearAndFreeItems();
}

void D3dDeviceTable::Clear() {
    FreeModes();
    while (list.First()) {
        D3dDeviceInfo* info = static_cast<D3dDeviceInfo*>(list.Current());
        list.Remove(1);
        XDELETE(info);
    }
}

// ---------------------------------------------------------------------------------------
// Enumeration

int D3dScreen::GetModeList() {
    if (modesListed) return 1;
    modesListed = 1;
    if (!FindDirectX() || !EnumerateDrivers() || !SelectDefaultDevice() || !AdoptListedDevice() ||
        !AddWindowModes()) {
        enumerationFailed = 1;
        return 0;
    }
    SortModeList();
    // Where the device draws in a window, it can draw over the desktop as it is.
    if (!deviceInfo->canRenderWindowed) return 1;
    RECT all = VirtualScreen();
    return AddDesktopMode(all.right - all.left, all.bottom - all.top, DesktopBits());
}

void D3dScreen::AddFullScreenMode(int32_t width, int32_t height, int32_t bits) {
    // Several drivers, or modes that differ only in refresh rate, list a mode once.
    for (bool more = modes.First(); more; more = modes.Next()) {
        const ScreenMode* listed = static_cast<ScreenMode*>(modes.Current());
        if (listed->width == width && listed->height == height && listed->bits == bits &&
            listed->displayMode == DISPLAY_FULLSCREEN)
            return;
    }
    AddListedMode(width, height, bits, DISPLAY_FULLSCREEN);
}

int D3dScreen::EnumerateDrivers() {
    devices.Clear();
    int seen = 0, accepted = 0;
    DriverScan scan;
    scan.screen = this;
    scan.seenTotal = &seen;
    scan.accepted = &accepted;
    entries.enumerateEx(ScanDriver, &scan,
                        DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                            DDENUM_NONDISPLAYDEVICES);
    LogMessage(LOG_SCREEN, "Direct 3d devices found:\n");
    for (bool more = devices.list.First(); more; more = devices.list.Next())
        LogMessage(LOG_SCREEN, "   %s\n",
                   static_cast<D3dDeviceInfo*>(devices.list.Current())->description);
    if (seen == 0 || accepted == 0) {
        LogMessage(LOG_SCREEN, seen == 0 ? "No devices and/or modes were enumerated!\n"
                                         : "No enumerated devices were accepted!\n");
        return SetErrorText("D3D device enumeration failed");
    }
    return 1;
}

int D3dScreen::SelectDefaultDevice() {
    // Among the devices of a driver that renders in a window; when there is none, among
    // all, so full screen still works (window modes are then not offered).
    D3dDeviceInfo* best = nullptr;
    for (int windowedOnly = 1; windowedOnly >= 0 && !best; --windowedOnly)
        for (bool more = devices.list.First(); more; more = devices.list.Next()) {
            D3dDeviceInfo* info = static_cast<D3dDeviceInfo*>(devices.list.Current());
            if (windowedOnly && !info->canRenderWindowed) continue;
            if (!best || Preference(info) < Preference(best)) best = info;
        }
    if (!best) return SetErrorText("D3D Device selection failed");
    best->selected = 1;
    LogMessage(LOG_SCREEN, "Default device selected : %s\n", best->description);
    return 1;
}

int D3dScreen::AdoptListedDevice() {
    // A saved choice that the enumeration came after stays the device (the enumeration
    // of a dialog or a window check does not undo it); one that is not listed (other
    // hardware, a file from another PC) gives way to the default.
    D3dDeviceInfo* held = IsZeroGuid(deviceGuid) ? nullptr : devices.Find(deviceGuid, driverGuid);
    D3dDeviceInfo* chosen = held ? held : devices.Selected();
    if (!chosen) return SetErrorText("D3D Device selection failed");
    if (!held && !IsZeroGuid(deviceGuid)) {
        LogMessage(LOG_WARNING, "Saved device not found, using the default device : %s\n",
                   chosen->description);
        savedDevice = 0;
    }
    deviceInfo = chosen;
    deviceGuid = chosen->deviceGuid;
    driverGuid = chosen->driverGuid;
    std::memcpy(deviceDescription, chosen->description, sizeof deviceDescription);
    deviceHardware = chosen->hardware;
    return 1;
}

int D3dScreen::ConfirmSavedDevice() {
    IDirect3D7* listing = nullptr;
    if (framework->directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&listing)) !=
        S_OK)
        return SetErrorText("Couldn't get the Direct3D interface");
    SavedDeviceSearch search;
    std::memset(&search, 0, sizeof search);
    search.device = deviceGuid;
    search.primaryDriver = IsZeroGuid(driverGuid);
    listing->EnumDevices(FindSavedDevice, &search);
    listing->Release();
    if (!search.found) return SetErrorText("Saved device not found on its driver");
    std::memcpy(deviceDescription, search.description, sizeof deviceDescription);
    deviceHardware = search.hardware;
    return 1;
}

int D3dScreen::AddWindowModes() {
    if (!deviceInfo->canRenderWindowed) return 1;
    int32_t bits = DesktopBits();
    for (const ModeSize& size : kCandidateSizes)
        if (size.width <= DesktopWidth() && size.height <= DesktopHeight() &&
            !AddListedMode(size.width, size.height, bits, DISPLAY_WINDOW))
            return 0;
    return 1;
}

int D3dScreen::ChooseDevice() {
    if (!FindDirectX()) return 0;
    // A saved device opens as it is: the drivers, their modes and devices are listed
    // only when there is no choice yet (or for the settings dialog).
    if (!modesListed && !IsZeroGuid(deviceGuid)) return 1;
    if (!GetModeList()) return 0;
    if (enumerationFailed) return SetErrorText("D3D device enumeration failed");
    return AdoptListedDevice();
}
