// The Direct3D screen. Sections: construction; opening a mode; the 3-D environment;
// closing; drawing and state; view; screenshot. The enumeration of drivers, devices and
// modes is in scr_d3denum.
#include "scr_d3d.h"

#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "base/camera.h"
#include "colconvert.h"
#include "library_win.h"
#include "misc.h"

namespace {

HWND MainWindow() {
    return reinterpret_cast<HWND>(sglb->mainWindow);
}

D3DMATRIX Identity() {
    D3DMATRIX matrix;
    std::memset(&matrix, 0, sizeof matrix);
    matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1;
    return matrix;
}

DDSURFACEDESC2 SurfaceDescription() {
    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    return description;
}

// The lit vertex Direct3D is given: position and texture coordinates as they are, the
// colour as A8R8G8B8, no specular highlight.
void ToLitVertex(const Vertex& vertex, D3DLVERTEX* lit) {
    lit->x = vertex.x;
    lit->y = vertex.y;
    lit->z = vertex.z;
    lit->dwReserved = 0;
    lit->color = D3DCOLOR(uint32_t(vertex.a) << 24 | uint32_t(vertex.r) << 16 |
                          uint32_t(vertex.g) << 8 | vertex.b);
    lit->specular = 0xFFFFFFFF;
    lit->tu = vertex.u;
    lit->tv = vertex.v;
}

// A depth format the device offers: the first one, or one of 16 bits when it comes.
struct DepthSearch {
    bool found;
    DDPIXELFORMAT chosen;
};

HRESULT CALLBACK ConsiderDepthFormat(DDPIXELFORMAT* format, void* context) {
    DepthSearch* search = static_cast<DepthSearch*>(context);
    if (!(format->dwFlags & DDPF_ZBUFFER)) return D3DENUMRET_OK;
    if (!search->found || format->dwZBufferBitDepth == 16) {
        search->chosen = *format;
        search->found = true;
    }
    return format->dwZBufferBitDepth == 16 ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction

D3dScreen::D3dScreen()
    : Screen("Direct 3d", SCREEN_D3D),
      messageHandler(this),
      library(nullptr),
      entries(),
      primaryDirectDraw(nullptr),
      framework(nullptr),
      directDraw(nullptr),
      direct3D(nullptr),
      device(nullptr),
      renderTarget(nullptr),
      frontSurface(nullptr),
      syncInterval(1),
      refreshHz(60),
      lastCopy(0.0),
      deviceGuid(),
      driverGuid(),
      savedDevice(0),
      deviceInfo(nullptr),
      deviceDescription(),
      deviceHardware(0),
      textures(this),
      textureFormats(),
      scratch(nullptr),
      enumerationFailed(0),
      directX(DIRECTX_UNCHECKED),
      primaryRendersWindowed(0) {}

int D3dScreen::FindDriver() {
    switch (CheckSystemLibrary("ddraw.dll", {"DirectDrawCreateEx", "DirectDrawEnumerateExA"})) {
        case LIBRARY_MISSING:
            LogMessage(LOG_INIT, "No direct X installed\n");
            return 0;
        case LIBRARY_LACKS_FUNCTION:
            LogMessage(LOG_INIT,
                       "DirectDrawEx or DirectDrawEnumerateEx not found. I need DirectX 7.\n");
            return 0;
        case LIBRARY_HAS_FUNCTIONS:
            break;
    }
    return 1;
}

int D3dScreen::LoadDriver() {
    if (library) return 1;
    library = LoadSystemLibrary("ddraw.dll");
    if (!library) return 0;
    entries.createEx = LibraryEntry<DirectDrawCreateExFunction>(library, "DirectDrawCreateEx");
    entries.enumerateEx =
        LibraryEntry<DirectDrawEnumerateExFunction>(library, "DirectDrawEnumerateExA");
    return entries.createEx && entries.enumerateEx;
}

int D3dScreen::FindDirectX() {
    if (directX == DIRECTX_UNCHECKED) {
        primaryDirectDraw = LoadDriver() ? NewDirectDraw(nullptr) : nullptr;
        directX = primaryDirectDraw ? DIRECTX_FOUND : DIRECTX_MISSING;
        if (primaryDirectDraw) {
            DDCAPS caps;
            std::memset(&caps, 0, sizeof caps);
            caps.dwSize = sizeof caps;
            primaryDirectDraw->GetCaps(&caps, nullptr);
            primaryRendersWindowed = (caps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0;
        } else {
            LogMessage(LOG_INIT, "DirectX 7 not found\n");
            LogMessage(LOG_INIT, "No direct X installed\n");
        }
    }
    return directX == DIRECTX_FOUND ? 1 : SetErrorText("DirectX 7 not found");
}

D3dScreen::~D3dScreen() {
    textures.DeleteAll();
    if (primaryDirectDraw) primaryDirectDraw->Release();
    if (library) FreeLibrary(library);
}

IDirectDraw7* D3dScreen::NewDirectDraw(const GUID* driver) {
    if (!driver && primaryDirectDraw) {
        primaryDirectDraw->AddRef();
        return primaryDirectDraw;
    }
    IDirectDraw7* made = nullptr;
    if (entries.createEx(const_cast<GUID*>(driver), reinterpret_cast<void**>(&made),
                         IID_IDirectDraw7, nullptr) != DD_OK)
        return nullptr;
    return made;
}

int D3dScreen::SupportsDisplayMode(int32_t displayMode) {
    if (displayMode == DISPLAY_FULLSCREEN) return 1;
    if (deviceInfo) return deviceInfo->canRenderWindowed ? 1 : 0;
    if (IsZeroGuid(deviceGuid)) return 1;  // no device chosen yet
    // A saved device, not enumerated: its driver answers as the enumeration would.
    if (!FindDirectX()) return 0;
    return IsZeroGuid(driverGuid) && primaryRendersWindowed ? 1 : 0;
}

int D3dScreen::SaveSelection(void* devicePart) {
    uint8_t* part = static_cast<uint8_t*>(devicePart);
    uint16_t one = 1;
    std::memcpy(part, &one, sizeof one);
    std::memcpy(part + 4, &deviceGuid, sizeof deviceGuid);
    std::memcpy(part + 20, &driverGuid, sizeof driverGuid);
    return 1;
}

int D3dScreen::MatchSelection(const void* devicePart, int32_t) {
    const uint8_t* part = static_cast<const uint8_t*>(devicePart);
    uint16_t first;
    std::memcpy(&first, part, sizeof first);
    if (first == 0) return 0;
    std::memcpy(&deviceGuid, part + 4, sizeof deviceGuid);
    std::memcpy(&driverGuid, part + 20, sizeof driverGuid);
    savedDevice = !IsZeroGuid(deviceGuid);
    // An entry of an earlier enumeration is taken again by the next open.
    deviceInfo = nullptr;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Opening a mode

int D3dScreen::InitMode(const ScreenMode* newMode) {
    // The device decides whether a window can be drawn in, so it is chosen first.
    if (newMode && !ChooseDevice()) return 0;
    ScreenMode desktop;
    newMode = ResolveDesktopMode(newMode, &desktop);
    if (!CheckModeToOpen(this, newMode)) return 0;
    KeepMode(newMode);
    if (!framework) framework = static_cast<D3dFramework*>(XALLOC(sizeof(D3dFramework)));
    std::memset(framework, 0, sizeof *framework);
    if (!CreateScreenWindow(mode, parentWindow, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0))
        return 0;
    // An exclusive flipping chain shows on the primary monitor only: with more monitors
    // the system sets the mode and the frame is drawn as in a window over all of them.
    framework->fullScreen =
        mode->displayMode == DISPLAY_FULLSCREEN && GetSystemMetrics(SM_CMONITORS) <= 1;
    if (mode->displayMode == DISPLAY_FULLSCREEN && !framework->fullScreen) {
        framework->systemChanged = ChangeDisplayToMode(mode);
        if (!framework->systemChanged) WarnDisplayUnchanged(mode);
        CoverVirtualScreen(MainWindow());
    }
    if (!ShowScreenWindow(mode->displayMode)) return 0;
    if (!Initialize3DEnvironment()) {
        // The reason stays in the log; the caller's message takes its place.
        char reason[ERROR_MESSAGE_SIZE];
        if (GetErrorMessage(reason, sizeof reason)) LogMessage(LOG_WARNING, "%s\n", reason);
        // A saved device that does not open (other hardware, a file from another PC)
        // gives way: the next choice of this screen takes the default device.
        if (savedDevice) {
            LogMessage(LOG_WARNING, "Unable to open the saved device, the default one is next\n");
            std::memset(&deviceGuid, 0, sizeof deviceGuid);
            std::memset(&driverGuid, 0, sizeof driverGuid);
            savedDevice = 0;
            deviceInfo = nullptr;
        }
        return SetErrorText("Initialize3DEnvironment failed");
    }
    if (framework->fullScreen)
        SetTarget(framework->width, framework->height, nullptr, 0, 0);
    else
        FindMonitors(this, MainWindow(), mode->displayMode);
    messageHandler.RegisterAll();
    if (!scratch)
        scratch = static_cast<D3DLVERTEX*>(XALLOC(sizeof(D3DLVERTEX) * D3D_SCRATCH_VERTICES));
    SetViewDistances(1.0f, 1000.0f);
    Rgba black = {0, 0, 0, 255};
    Clear(&black, 0, 0);
    return 1;
}

// ---------------------------------------------------------------------------------------
// The 3-D environment

int D3dScreen::Initialize3DEnvironment() {
    LogMessage(LOG_SCREEN, "Creating 3d enviroment\n");
    D3dFramework& f = *framework;
    f.window = MainWindow();
    if (!f.window || IsZeroGuid(deviceGuid))
        return SetErrorText("Invalid argument to framwork init");
    int made = CreateDirectDraw() && (deviceInfo || ConfirmSavedDevice()) &&
               (f.fullScreen ? CreateFullScreenBuffers() : CreateWindowBuffers()) &&
               CreateDevice() && (mode->depthBuffer != 1 || CreateDepthBuffer());
    if (!made) {
        Release3DEnvironment();
        return 0;
    }
    TakeFromFramework();
    SetInitialState();
    return 1;
}

int D3dScreen::CreateDirectDraw() {
    D3dFramework& f = *framework;
    LogMessage(LOG_SCREEN, "Create direct draw\n");
    f.directDraw = NewDirectDraw(IsZeroGuid(driverGuid) ? nullptr : &driverGuid);
    if (!f.directDraw) return SetErrorText("Could not create DirectDraw");
    // The framework's object is the only one: its release at the end is the last.
    if (f.directDraw == primaryDirectDraw) {
        primaryDirectDraw->Release();
        primaryDirectDraw = nullptr;
    }
    DWORD level =
        f.fullScreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT : DDSCL_NORMAL;
    if (f.directDraw->SetCooperativeLevel(f.window, level | DDSCL_FPUSETUP) != DD_OK)
        return SetErrorText("Couldn't set coop level");
    if (DesktopBits() < 9) return SetErrorText("%s", kTooFewColours);
    return 1;
}

int D3dScreen::CreateFullScreenBuffers() {
    D3dFramework& f = *framework;
    LogMessage(LOG_SCREEN, "Create fullscreen buffers\n");
    LogMessage(LOG_SCREEN, "Setting display mode\n");
    DWORD width = DWORD(mode->width), height = DWORD(mode->height), bits = DWORD(mode->bits);
    DWORD desktopBits = DWORD(DesktopBits());
    DWORD flags = width == 320 && height == 200 && bits == 8 ? DDSDM_STANDARDVGAMODE : 0;
    // The mode's depth, else its size at the desktop's depth (current displays have no
    // 16-bit modes), else the desktop as it is.
    f.displayChanged = f.directDraw->SetDisplayMode(width, height, bits, 0, flags) == DD_OK ||
                       (bits != desktopBits &&
                        f.directDraw->SetDisplayMode(width, height, desktopBits, 0, 0) == DD_OK);
    if (!f.displayChanged) {
        WarnDisplayUnchanged(mode);
        CoverVirtualScreen(f.window);
    }

    LogMessage(LOG_SCREEN, "Create primary surface\n");
    DDSURFACEDESC2 description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    HRESULT result = f.directDraw->CreateSurface(&description, &f.front, nullptr);
    if (result != DD_OK) {
        f.front = nullptr;
        return SetErrorText(result == DDERR_OUTOFVIDEOMEMORY ? "Out of video memory"
                                                             : "Can't create primary surface");
    }
    DDSCAPS2 backCaps;
    std::memset(&backCaps, 0, sizeof backCaps);
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    if (f.front->GetAttachedSurface(&backCaps, &f.backBuffer) != DD_OK) {
        f.backBuffer = nullptr;
        return SetErrorText("Can't get the backbuffer");
    }
    DDSURFACEDESC2 primary = SurfaceDescription();
    f.front->GetSurfaceDesc(&primary);
    f.width = int32_t(primary.dwWidth);
    f.height = int32_t(primary.dwHeight);
    SetRect(&f.target, 0, 0, f.width, f.height);
    return 1;
}

void D3dScreen::UpdateWindowTarget() {
    D3dFramework& f = *framework;
    RECT client = {};
    GetClientRect(f.window, &client);
    POINT origin = {0, 0};
    ClientToScreen(f.window, &origin);
    SetRect(&f.target, origin.x, origin.y, origin.x + client.right, origin.y + client.bottom);
}

int D3dScreen::CreateWindowBuffers() {
    D3dFramework& f = *framework;
    LogMessage(LOG_SCREEN, "Create window buffers\n");
    LogMessage(LOG_SCREEN, "Create window surface\n");
    UpdateWindowTarget();
    f.width = f.target.right - f.target.left;
    f.height = f.target.bottom - f.target.top;
    DDSURFACEDESC2 description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    HRESULT result = f.directDraw->CreateSurface(&description, &f.front, nullptr);
    if (result != DD_OK) {
        f.front = nullptr;
        return SetErrorText(result == DDERR_OUTOFVIDEOMEMORY ? "Out of video memory"
                                                             : "Can't create primary surface");
    }
    IDirectDrawClipper* clipper = nullptr;
    if (f.directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK)
        return SetErrorText("Couldn't create clipper");
    clipper->SetHWnd(0, f.window);
    HRESULT attached = f.front->SetClipper(clipper);
    clipper->Release();
    if (attached != DD_OK) return SetErrorText("Couldn't create clipper");

    description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    if (!deviceHardware) description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = DWORD(f.width);
    description.dwHeight = DWORD(f.height);
    result = f.directDraw->CreateSurface(&description, &f.backBuffer, nullptr);
    if (result != DD_OK) {
        f.backBuffer = nullptr;
        return SetErrorText(result == DDERR_OUTOFVIDEOMEMORY ? "Out of video memory"
                                                             : "Couldn't create the backbuffer");
    }
    return 1;
}

int D3dScreen::CreateDevice() {
    D3dFramework& f = *framework;
    LogMessage(LOG_SCREEN, "Create direct 3d object\n");
    if (f.directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&f.direct3D)) !=
        S_OK) {
        f.direct3D = nullptr;
        return SetErrorText("Couldn't get the Direct3D interface");
    }
    if (f.direct3D->CreateDevice(deviceGuid, f.backBuffer, &f.device) != D3D_OK) {
        f.device = nullptr;
        return SetErrorText("Couldn't create the D3DDevice");
    }
    LogMessage(LOG_SCREEN, "Device opened : %s\n", deviceDescription);
    D3DVIEWPORT7 viewport = {0, 0, DWORD(f.width), DWORD(f.height), 0.0f, 1.0f};
    if (f.device->SetViewport(&viewport) != D3D_OK)
        return SetErrorText("Couldn't set current viewport to device");
    return 1;
}

int D3dScreen::CreateDepthBuffer() {
    D3dFramework& f = *framework;
    LogMessage(LOG_SCREEN, "Create z buffer\n");
    f.depthMemory = deviceHardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    DepthSearch search;
    std::memset(&search, 0, sizeof search);
    f.direct3D->EnumZBufferFormats(deviceGuid, ConsiderDepthFormat, &search);
    if (!search.found) return SetErrorText("Device doesn't support requested zbuffer format");
    DDSURFACEDESC2 description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | f.depthMemory;
    description.dwWidth = DWORD(f.width);
    description.dwHeight = DWORD(f.height);
    description.ddpfPixelFormat = search.chosen;
    HRESULT result = f.directDraw->CreateSurface(&description, &f.depth, nullptr);
    if (result != DD_OK) {
        f.depth = nullptr;
        return SetErrorText(result == DDERR_OUTOFVIDEOMEMORY ? "Out of video memory"
                                                             : "Couldn't create a ZBuffer surface");
    }
    if (f.backBuffer->AddAttachedSurface(f.depth) != DD_OK)
        return SetErrorText("Couldn't attach zbuffer to render surface");
    if (f.device->SetRenderTarget(f.backBuffer, 0) != D3D_OK)
        return SetErrorText("SetRenderTarget() failed after attaching zbuffer!");
    return 1;
}

void D3dScreen::SetInitialState() {
    device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    D3DMATRIX identity = Identity();
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    // The OpenGL screens' starting state: no texturing and no depth test until asked
    // for, and a texel's alpha times its vertex's, as OpenGL's modulate gives it.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
}

void D3dScreen::TakeFromFramework() {
    directDraw = framework ? framework->directDraw : nullptr;
    direct3D = framework ? framework->direct3D : nullptr;
    device = framework ? framework->device : nullptr;
    renderTarget = framework ? framework->backBuffer : nullptr;
    frontSurface = framework ? framework->front : nullptr;
}

void D3dScreen::Release3DEnvironment() {
    if (!framework) return;
    D3dFramework& f = *framework;
    if (f.directDraw) {
        if (f.displayChanged) f.directDraw->RestoreDisplayMode();
        f.directDraw->SetCooperativeLevel(f.window, DDSCL_NORMAL);
    }
    f.displayChanged = 0;
    if (f.systemChanged) RestoreDisplay();
    f.systemChanged = 0;
    if (f.device) {
        ULONG references = f.device->Release();
        if (references > 0)
            LogMessage(LOG_WARNING, "D3DDevice object is still referenced %ld times!\n",
                       long(references));
    }
    if (f.backBuffer) f.backBuffer->Release();
    if (f.depth) f.depth->Release();
    if (f.front) f.front->Release();
    if (f.direct3D) f.direct3D->Release();
    if (f.directDraw) {
        ULONG references = f.directDraw->Release();
        if (references > 0)
            LogMessage(LOG_WARNING, "DDraw object is still referenced %ld times!\n",
                       long(references));
    }
    f.device = nullptr;
    f.backBuffer = f.depth = f.front = nullptr;
    f.direct3D = nullptr;
    f.directDraw = nullptr;
    textureFormats.known = 0;
    TakeFromFramework();
}

// ---------------------------------------------------------------------------------------
// Closing

void D3dScreen::LetGoOfWindow() {
    // DirectDraw's objects are released while their window still exists (a window
    // closed before ExitMode, as the editor's close does): the texture surfaces first,
    // then the 3-D environment. The pictures stay with their textures.
    textures.ReleaseAll();
    Release3DEnvironment();
}

int D3dScreen::ExitMode() {
    LogMessage(LOG_EXIT, "ExitMode()\n");
    textures.DeleteAll();
    Release3DEnvironment();
    if (framework) xFree(framework);
    framework = nullptr;
    TakeFromFramework();
    devices.FreeModes();
    CloseScreenWindow(messageHandler);
    CleanUpScreen();
    if (scratch) xFree(scratch);
    scratch = nullptr;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Drawing and state

int D3dScreen::IsReady() {
    if (!directDraw) return 0;
    HRESULT level = directDraw->TestCooperativeLevel();
    return level == DDERR_EXCLUSIVEMODEALREADYSET || level == DDERR_NOEXCLUSIVEMODE ? 0 : 1;
}

int D3dScreen::SyncToDisplay(int32_t interval) {
    syncInterval = interval >= 1 && interval <= 4 ? interval : 0;
    DWORD hz = 0;
    refreshHz = directDraw && directDraw->GetMonitorFrequency(&hz) == DD_OK && hz >= 2 ? hz : 60;
    return directDraw && syncInterval ? 1 : 0;
}

namespace {

// The flip's wait by the sync interval; 0 (sync turned off) flips at once.
const DWORD kFlipIntervals[5] = {DDFLIP_NOVSYNC, 0, DDFLIP_INTERVAL2, DDFLIP_INTERVAL3,
                                 DDFLIP_INTERVAL4};

}  // namespace

int D3dScreen::Present() {
    if (!framework || !frontSurface) return 0;
    HRESULT result;
    // In a window (or the desktop mode) the copy waits for the vertical blank, as the
    // flip of full screen does, so frames come at the display's pace and do not tear.
    // Blanks that passed while the frame was drawn count, so a frame that took longer
    // than a refresh does not wait the whole interval again.
    if (!framework->fullScreen && syncInterval > 0) {
        directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        for (int32_t wait = 1;
             wait < syncInterval && (TimerSeconds() - lastCopy) * refreshHz < wait + 0.5; ++wait)
            directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        lastCopy = TimerSeconds();
    }
    if (framework->fullScreen) {
        result = frontSurface->Flip(nullptr, DDFLIP_WAIT | kFlipIntervals[syncInterval]);
    } else if (MonitorCount() > 1) {
        // Some DirectDraw implementations (Wine's) give a primary surface of the primary
        // monitor only: the system's drawing copies the frame to the window wherever its
        // monitors lie.
        HDC frame = nullptr;
        result = renderTarget->GetDC(&frame);
        if (result == DD_OK) {
            BitBlt(reinterpret_cast<HDC>(sglb->deviceContext), 0, 0, framework->width,
                   framework->height, frame, 0, 0, SRCCOPY);
            renderTarget->ReleaseDC(frame);
        }
    } else {
        UpdateWindowTarget();
        result = frontSurface->Blt(&framework->target, renderTarget, nullptr, DDBLT_WAIT, nullptr);
    }
    if (result == DDERR_SURFACELOST) {
        directDraw->RestoreAllSurfaces();
        textures.RestoreAll();
    }
    ResetDrawCounters();
    return 1;
}

int D3dScreen::BeginScene() {
    return device && device->BeginScene() == D3D_OK ? 1 : 0;
}

int D3dScreen::EndScene() {
    if (device) device->EndScene();
    return 1;
}

int D3dScreen::Clear(const Rgba* colour, float fade, int32_t flags) {
    if (!device) return 0;
    DWORD depth = (flags & CLEAR_DEPTH) && framework->depth ? D3DCLEAR_ZBUFFER : 0;
    // Only the monitor drawn on: the others already hold their part of the frame. The
    // device clears within its viewport, so that is the monitor for the while.
    const ScreenArea& monitor = View().monitor;
    D3DRECT area = {monitor.x, monitor.y, monitor.x + monitor.width, monitor.y + monitor.height};
    if (fade == 0) {
        DWORD targets = depth | ((flags & CLEAR_COLOUR) ? D3DCLEAR_TARGET : 0);
        D3DCOLOR value = colour ? D3DCOLOR(uint32_t(colour->a) << 24 | uint32_t(colour->r) << 16 |
                                           uint32_t(colour->g) << 8 | colour->b)
                                : 0;
        if (targets && SetViewport(monitor, "Couldn't set viewport 1"))
            device->Clear(1, &area, targets, value, 1.0f, 0);
        return 1;
    }
    if (1 - fade <= 0) return 1;
    if ((flags & CLEAR_COLOUR) && colour) {
        SetView(nullptr);
        SetSurface(nullptr);
        SetRenderState(RS_BLEND, 2);
        const Rgba faded = {colour->r, colour->g, colour->b, uint8_t((1 - fade) * 255)};
        const Vertex quad[4] = {MakeVertex(0, 0, 1, faded), MakeVertex(639.9f, 0, 1, faded),
                                MakeVertex(639.9f, 479.9f, 1, faded),
                                MakeVertex(0, 479.9f, 1, faded)};
        DrawPrimitive(PRIM_QUADS, quad, 4, 0);
    }
    if (depth && SetViewport(monitor, "Couldn't set viewport 1"))
        device->Clear(1, &area, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    return 1;
}

int D3dScreen::DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t) {
    if (!vertices) return SetErrorText("DrawPrimitive - Dont give me NULL");
    if (kind < PRIM_POINTS || kind >= PRIM_KIND_COUNT) return 1;
    if (count <= 0) return CheckPrimitive(kind, vertices, count, QUAD_MESSAGE_PLAIN);
    if (!device || !scratch) return 0;
    // Every batch is checked, drawn and counted by itself, so an earlier batch of a
    // refused call is already drawn, and strips and fans break between batches.
    for (int32_t first = 0; first < count; first += D3D_SCRATCH_VERTICES) {
        int32_t batch = count - first < D3D_SCRATCH_VERTICES ? count - first : D3D_SCRATCH_VERTICES;
        if (!DrawBatch(kind, vertices + first, batch)) return 0;
    }
    return 1;
}

int D3dScreen::DrawBatch(int32_t kind, const Vertex* vertices, int32_t count) {
    if (!CheckPrimitive(kind, vertices, count, QUAD_MESSAGE_PLAIN)) return 0;
    // A strip or fan piece of fewer than three vertices has no triangle to draw.
    if ((kind == PRIM_TRIANGLE_STRIP || kind == PRIM_TRIANGLE_FAN) && count < 3) return 1;
    for (int32_t i = 0; i < count; ++i) ToLitVertex(vertices[i], &scratch[i]);
    const DWORD format = D3DFVF_LVERTEX;
    switch (kind) {
        case PRIM_POINTS:
            device->DrawPrimitive(D3DPT_POINTLIST, format, scratch, DWORD(count), 0);
            break;
        case PRIM_LINES:
            device->DrawPrimitive(D3DPT_LINELIST, format, scratch, DWORD(count), 0);
            break;
        case PRIM_LINE_STRIP:
            for (int32_t i = 0; i + 1 < count; ++i)
                device->DrawPrimitive(D3DPT_LINELIST, format, scratch + i, 2, 0);
            break;
        case PRIM_TRIANGLES:
            device->DrawPrimitive(D3DPT_TRIANGLELIST, format, scratch, DWORD(count), 0);
            break;
        case PRIM_TRIANGLE_STRIP:
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, format, scratch, DWORD(count), 0);
            break;
        case PRIM_TRIANGLE_FAN:
            device->DrawPrimitive(D3DPT_TRIANGLEFAN, format, scratch, DWORD(count), 0);
            break;
        case PRIM_QUADS:
            for (int32_t i = 0; i + 3 < count; i += 4)
                device->DrawPrimitive(D3DPT_TRIANGLEFAN, format, scratch + i, 4, 0);
            break;
        default:
            break;
    }
    CountPrimitive(kind, count);
    return 1;
}

int D3dScreen::BindTexture(Texture* texture) {
    if (!texture || !device) return 0;
    D3dTexture* bound = static_cast<D3dTexture*>(texture);
    DWORD stage = DWORD(bound->userValue);
    device->SetTexture(stage, bound->surface);
    // Wrapping and filtering per texture, as OpenGL keeps them with the texture.
    bool clamp = (bound->options & TEXTURE_CLAMP) != 0;
    bool nearest = (bound->options & TEXTURE_NEAREST) != 0;
    device->SetTextureStageState(stage, D3DTSS_ADDRESS,
                                 clamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, nearest ? D3DTFN_POINT : D3DTFN_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, nearest ? D3DTFG_POINT : D3DTFG_LINEAR);
    return 1;
}

void D3dScreen::ApplyTexturing(bool on) {
    if (device)
        device->SetTextureStageState(0, D3DTSS_COLOROP, on ? D3DTOP_MODULATE : D3DTOP_DISABLE);
}

void D3dScreen::ApplyBlend(int32_t blendMode) {
    if (!device) return;
    static const DWORD sources[] = {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLEND_ONE};
    static const DWORD destinations[] = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA,
                                         D3DBLEND_SRCALPHA};
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE,
                           blendMode == SURFACE_OPAQUE ? FALSE : TRUE);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, sources[blendMode]);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, destinations[blendMode]);
}

void D3dScreen::ApplyDepthTest(bool on) {
    if (!device) return;
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, on ? D3DZB_TRUE : D3DZB_FALSE);
    if (on) device->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
}

void D3dScreen::ApplyDepthWrite(bool on) {
    if (device) device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, on ? TRUE : FALSE);
}

// ---------------------------------------------------------------------------------------
// View

int D3dScreen::SetViewport(const ScreenArea& area, const char* failure) {
    D3DVIEWPORT7 viewport = {DWORD(area.x),      DWORD(area.y), DWORD(area.width),
                             DWORD(area.height), 0.0f,          1.0f};
    if (device->SetViewport(&viewport) != D3D_OK) return SetErrorText("%s", failure);
    return 1;
}

int D3dScreen::SetView(const Camera* camera) {
    if (!device || !framework) return 0;
    D3DMATRIX identity = Identity();
    D3DMATRIX projection;
    std::memset(&projection, 0, sizeof projection);
    if (!camera || (camera->flags & CAMERA_2D)) {
        // The design's coordinates, y downward, z -99999..99999, over the monitor (base/
        // monitorview); the orthographic projection maps the view's edges onto it.
        const FlatView flat =
            camera ? OverlayView(View(), camera->viewX, camera->viewY) : FillingView(View());
        if (!SetViewport(flat.viewport,
                         camera ? "Couldn't set viewport 2" : "Couldn't set viewport 1"))
            return 0;
        const float nearest = -99999.0f, farthest = 99999.0f;
        const float width = flat.right - flat.left, height = flat.bottom - flat.top;
        projection._11 = 2.0f / width;
        projection._22 = -2.0f / height;
        projection._33 = 1.0f / (farthest - nearest);
        projection._41 = -(flat.right + flat.left) / width;
        projection._42 = (flat.bottom + flat.top) / height;
        projection._43 = -nearest / (farthest - nearest);
        projection._44 = 1.0f;
        device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
        device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
        device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        return 1;
    }
    const SceneView scene = CameraView(View(), *camera);
    if (!SetViewport(scene.viewport, "Couldn't set viewport 3")) return 0;
    D3DMATRIX world = identity;
    world._41 = -camera->position[0];
    world._42 = -camera->position[1];
    world._43 = -camera->position[2];
    // The orientation's rows as rows: with the world matrix the same camera transform
    // as the OpenGL screens build.
    D3DMATRIX orientation = identity;
    orientation._11 = camera->orientation[0][0];
    orientation._12 = camera->orientation[0][1];
    orientation._13 = camera->orientation[0][2];
    orientation._21 = camera->orientation[1][0];
    orientation._22 = camera->orientation[1][1];
    orientation._23 = camera->orientation[1][2];
    orientation._31 = camera->orientation[2][0];
    orientation._32 = camera->orientation[2][1];
    orientation._33 = camera->orientation[2][2];
    // The frustum the OpenGL screens use: square pixels, the half extents of the scene
    // view at distance 1.
    const float q = viewFar / (viewFar - viewNear);
    projection._11 = scene.halfWidth > 0 ? 1.0f / scene.halfWidth : 0.0f;
    projection._22 = scene.halfHeight > 0 ? 1.0f / scene.halfHeight : 0.0f;
    projection._33 = q;
    projection._34 = 1.0f;
    projection._43 = -q * viewNear;
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, &orientation);
    device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Screenshot

int D3dScreen::SaveScreenshot(const char* fileName, int32_t) {
    if (!framework || !renderTarget) return 0;
    Bitmap shot;
    if (!shot.CreateWithMasks(framework->width, framework->height, 24, 8, 8, 8, 0, 16, 8, 0, 0))
        return 0;
    DDSURFACEDESC2 locked = SurfaceDescription();
    HRESULT result;
    do result = renderTarget->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
    while (result == DDERR_WASSTILLDRAWING);
    if (result == DD_OK) {
        PixelFormat source, destination, converter;
        DescribePixels(locked.ddpfPixelFormat, &source);
        ColConvert::FormatFromBitmap(shot, &destination);
        std::memset(&converter, 0, sizeof converter);
        if (ColConvert::PrepareDestination(&converter, &destination)) {
            int32_t width =
                shot.width < int32_t(locked.dwWidth) ? shot.width : int32_t(locked.dwWidth);
            int32_t height =
                shot.height < int32_t(locked.dwHeight) ? shot.height : int32_t(locked.dwHeight);
            ColConvert::Convert(&converter, locked.lpSurface, shot.pixels, width, height,
                                locked.lPitch, shot.pitch, &source, 0);
            ColConvert::ReleaseTable(&converter);
        }
        renderTarget->Unlock(nullptr);
    }
    shot.Save(fileName, nullptr, 0, 0, 1);
    return 1;
}
