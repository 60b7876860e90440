// OglScreen: the screen that draws with OpenGL 1.1 through a driver library loaded at
// run time. Two instances: "Standard opengl" (opengl32.dll) and "3dfx opengl"
// (3DfxvGL.dll, which joins the screen list only when it loads).
#pragma once

#include <windows.h>

#include "base/screenb.h"
#include "display_win.h"
#include "ogl_textures.h"

class OglScreen : public Screen {
public:
    explicit OglScreen(int32_t screenKind);
    ~OglScreen() override;

    int InitMode(const ScreenMode* newMode) override;
    int ExitMode() override;
    int GetModeList() override;
    int SupportsDisplayMode(int32_t displayMode) override;
    int IsReady() override { return 1; }
    int IsAvailable() override { return 1; }
    int Present() override;
    int SaveSelection(void* devicePart) override;
    int MatchSelection(const void* devicePart, int32_t flag) override;
    int BeginScene() override { return 1; }
    int EndScene() override;
    int Clear(const Rgba* colour, float fade, int32_t flags) override;
    int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count,
                      int32_t flags) override;
    int SaveScreenshot(const char* fileName, int32_t flag) override;
    int SetView(const Camera* camera) override;
    TextureList* GetTextureList() override { return &textures; }
    int BindTexture(Texture* texture) override;

    // Losing the activation minimises the window and gives back a display mode this
    // screen changed; regaining it takes the mode again and restores the window.
    void ActivationLost() override;
    void ActivationRegained() override;

    ScreenMessageHandler messageHandler;
    char driverFile[SCREEN_NAME_SIZE];
    HGLRC context;
    HMODULE driver;
    int32_t ownWgl;
    OglTextureList textures;
    char savedSplash[10];
    // 1 while this screen holds the display in a mode it changed to (full screen).
    int32_t displayChanged;
    // The size drawn on: the mode's, or the desktop's when full screen could not change
    // the display mode.
    int32_t targetWidth;
    int32_t targetHeight;

protected:
    void ApplyTexturing(bool on) override;
    void ApplyBlend(int32_t blendMode) override;
    // Depth testing compares less or equal.
    void ApplyDepthTest(bool on) override;
    void ApplyDepthWrite(bool on) override;

private:
    int LoadDriver();
    // The mode's size and depth, then its size at the desktop's depth; 1 when the
    // display changed.
    int ChangeToFullScreen();
    // The display changed to the mode, or else the window over the whole desktop.
    void EnterFullScreen(HWND window);
    int SetupContext(HDC dc);
    void SetInitialState();
    // glGetError until clear; 1 when any error was seen.
    int CheckErrors(const char* label);
};
