// D3dScreen: the screen that draws with Direct3D 7 through ddraw.dll, loaded at run
// time ("Direct 3d", kind 3). It joins the screen list when ddraw.dll has its two entry
// points, and leaves the run when DirectX 7 turns out missing where it is first needed.
//
// Contents: the device table the enumeration fills (scr_d3denum), the framework record
// of an open mode, the screen itself (which owns its device table).
#pragma once

#include "base/screenb.h"
#include "d3d_api.h"
#include "d3d_textures.h"
#include "display_win.h"

// ---------------------------------------------------------------------------------------
// Device table (the screen's own, filled by D3dScreen::GetModeList)

#define D3D_DESCRIPTION_SIZE 40

struct D3dDeviceInfo {
    char description[D3D_DESCRIPTION_SIZE];
    GUID deviceGuid;
    GUID driverGuid;            // all zero for the primary display driver
    int32_t hardware;           // rasterises in hardware
    int32_t canRenderWindowed;  // its driver can render in a window
    D3DDEVICEDESC7 caps;
    LList modes;          // DDSURFACEDESC2 records of the display modes it accepts
    int32_t defaultMode;  // index of 640x480x16 in modes, -1 when absent
    int32_t selected;
};

// The accepted devices in enumeration order; it owns them and frees them with itself.
class D3dDeviceTable {
public:
    D3dDeviceTable() = default;
    D3dDeviceTable(const D3dDeviceTable&) = delete;
    D3dDeviceTable& operator=(const D3dDeviceTable&) = delete;
    ~D3dDeviceTable() { Clear(); }

    // Appends and takes the device; 0 (the device not taken) when no node can be made.
    int Add(D3dDeviceInfo* device);
    // The device of that device and driver GUID, or null.
    D3dDeviceInfo* Find(const GUID& device, const GUID& driver);
    // The device the enumeration selected as the default, or null.
    D3dDeviceInfo* Selected();
    // Empties every device's mode list (a closed screen lists no modes any more).
    void FreeModes();
    // Frees every device.
    void Clear();

    LList list;  // D3dDeviceInfo items
};

bool IsZeroGuid(const GUID& guid);

// ---------------------------------------------------------------------------------------
// Framework: what an open mode is made of

struct D3dFramework {
    HWND window;
    // Exclusive full screen with a flipping chain: full screen on a single monitor.
    // Full screen over several monitors draws as a window does, over all of them.
    int32_t fullScreen;
    RECT target;  // screen coordinates of what is drawn on
    int32_t width, height;
    IDirectDraw7* directDraw;
    IDirect3D7* direct3D;
    IDirect3DDevice7* device;
    IDirectDrawSurface7* front;
    IDirectDrawSurface7* backBuffer;
    IDirectDrawSurface7* depth;
    DWORD depthMemory;       // DDSCAPS_VIDEOMEMORY for hardware devices, else system memory
    int32_t displayChanged;  // full screen set its own display mode through DirectDraw
    int32_t systemChanged;   // ... or through the system, for several monitors
};

// ---------------------------------------------------------------------------------------
// The screen

#define D3D_SCRATCH_VERTICES 120

class D3dScreen : public Screen {
public:
    D3dScreen();
    ~D3dScreen() override;

    // ddraw.dll with its two entry points, read from the file. It is loaded, and whether
    // DirectX 7 works asked, only when the screen is first needed (FindDirectX): loading
    // it and making a DirectDraw object cost some implementations (Wine's) a whole 3-D
    // device set-up, which a run on another screen should not pay.
    int FindDriver() override;
    // ddraw.dll loaded, once, and its two entry points taken.
    int LoadDriver();
    // The DirectX 7 check, once: a DirectDraw 7 object on the primary driver, kept for
    // the enumeration and the first open. Without it the screen drops out of the run
    // (IsAvailable 0), with "No direct X installed" in the log.
    int FindDirectX();

    // The device is chosen (a saved one as it is, else by the enumeration), then the
    // window, the DirectDraw and Direct3D objects, the buffers and the scratch vertices;
    // the target's monitors last. A saved device that cannot be opened is forgotten, so
    // the next choice takes the default one.
    int InitMode(const ScreenMode* newMode) override;
    int ExitMode() override;
    // The enumeration (scr_d3denum): drivers, their modes and devices, the default
    // device, then the window modes and, first in the list, the desktop mode. A saved
    // device found there stays chosen.
    int GetModeList() override;
    // Full screen always; a window only where the chosen driver renders in one (only
    // the primary driver can, when it says so).
    int SupportsDisplayMode(int32_t displayMode) override;
    // 0 while another application holds the exclusive mode.
    int IsReady() override;
    // 0 once DirectX 7 or the enumeration failed.
    int IsAvailable() override { return !enumerationFailed && directX != DIRECTX_MISSING; }
    // The device part holds the device and driver GUIDs; a match adopts them, and the
    // next open uses them without enumerating.
    int SaveSelection(void* devicePart) override;
    int MatchSelection(const void* devicePart, int32_t flag) override;

    // A frame, in the order the program draws it: the device's scene bracket around
    // the view (viewport and world, view and projection matrices, giving the OpenGL
    // screens' picture), clears by the device or a fade quad, and primitives converted
    // into the scratch vertices and drawn in batches of D3D_SCRATCH_VERTICES; then a
    // flip (full screen) or a copy to the window, surfaces lost on the way restored.
    int BeginScene() override;
    int SetView(const Camera* camera) override;
    int Clear(const Rgba* colour, float fade, int32_t flags) override;
    int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t flags) override;
    int EndScene() override;
    // Full screen flips on the refresh (every `syncInterval`-th); a window waits for the
    // vertical blank before its copy, the syncInterval-th since the last copy.
    int Present() override;
    int SyncToDisplay(int32_t interval) override;
    // The back buffer locked and converted to 24 bits, saved under a dated name.
    int SaveScreenshot(const char* fileName, int32_t flag) override;
    TextureList* GetTextureList() override { return &textures; }
    // The texture's surface on its stage, with its wrapping and filtering.
    int BindTexture(Texture* texture) override;
    // The DirectDraw objects are let go while the window still exists.
    void LetGoOfWindow() override;

    // Lists a full-screen mode once, however often the drivers report it.
    void AddFullScreenMode(int32_t width, int32_t height, int32_t bits);
    // A DirectDraw object on the driver (null: the primary one) that the caller
    // releases, or null.
    IDirectDraw7* NewDirectDraw(const GUID* driver);

    ScreenMessageHandler messageHandler;
    HMODULE library;
    DirectDrawEntries entries;
    // The construction's object on the primary driver, lent to the enumeration and
    // handed to the first open: some DirectDraw implementations (Wine's) set up a
    // whole 3-D device for every object, a tenth of a second or more each.
    IDirectDraw7* primaryDirectDraw;
    D3dFramework* framework;
    // Taken from the framework after it is built.
    IDirectDraw7* directDraw;
    IDirect3D7* direct3D;
    IDirect3DDevice7* device;
    IDirectDrawSurface7* renderTarget;
    IDirectDrawSurface7* frontSurface;
    // Presents wait for every syncInterval-th refresh (1 until told); 0: they do not wait.
    int32_t syncInterval;
    DWORD refreshHz;  // the display's, as SyncToDisplay found it (60 when it cannot tell)
    double lastCopy;  // when a window's copy was last made, in TimerSeconds
    // The chosen device; all zero while none is chosen.
    GUID deviceGuid;
    GUID driverGuid;
    int32_t savedDevice;  // the GUIDs came from a saved choice (MatchSelection)
    D3dDeviceTable devices;
    D3dDeviceInfo* deviceInfo;  // the chosen entry of `devices`; null until enumerated
    // The chosen device as its driver lists it: from `devices`, or, for a saved device
    // opened without the enumeration, from its driver's own list (ConfirmSavedDevice).
    char deviceDescription[D3D_DESCRIPTION_SIZE];
    int32_t deviceHardware;  // rasterises in hardware
    D3dTextureList textures;
    D3dTextureFormats textureFormats;  // of the open device, read at its first texture
    D3DLVERTEX* scratch;               // D3D_SCRATCH_VERTICES, while a mode is open
    int32_t enumerationFailed;
    enum { DIRECTX_UNCHECKED, DIRECTX_FOUND, DIRECTX_MISSING };
    int32_t directX;
    int32_t primaryRendersWindowed;  // the primary driver's caps, read by FindDirectX

private:
    // scr_d3denum: drivers, devices and modes; the default device; window modes.
    int EnumerateDrivers();
    int SelectDefaultDevice();
    int AddWindowModes();
    // The device an open uses: a saved one as it is (no enumeration), else the
    // enumeration's choice.
    int ChooseDevice();
    // After the enumeration: the device of the held GUIDs when listed, else the
    // default one (with a warning when a saved device is not there).
    int AdoptListedDevice();
    // A saved device, looked up in the device list of the DirectDraw object the open
    // has just made (no other object, no driver list, no modes): its description and
    // whether it rasterises in hardware; 0 with "Saved device not found on its driver"
    // when it is not there (Wine, for one, opens any GUID as its default device).
    int ConfirmSavedDevice();

    int Initialize3DEnvironment();
    int CreateDirectDraw();
    int CreateFullScreenBuffers();
    int CreateWindowBuffers();
    int CreateDevice();
    int CreateDepthBuffer();
    void SetInitialState();
    void Release3DEnvironment();
    void TakeFromFramework();
    // The window's client area in screen coordinates becomes the target.
    void UpdateWindowTarget();

    // One batch of at most D3D_SCRATCH_VERTICES, checked, drawn and counted.
    int DrawBatch(int32_t kind, const Vertex* vertices, int32_t count);
    // A viewport over an area of the target; 0 with the message when the device
    // refuses it.
    int SetViewport(const ScreenArea& area, const char* failure);

protected:
    // Texture stage 0's colour operation, the blend factors, the depth test (less or
    // equal, as on the OpenGL screens) and depth writes; nothing while there is no device.
    void ApplyTexturing(bool on) override;
    void ApplyBlend(int32_t blendMode) override;
    void ApplyDepthTest(bool on) override;
    void ApplyDepthWrite(bool on) override;
};
