// OglRenderer: the OpenGL screen's drawing, in portable OpenGL 1.1 through the function
// table `gl` (ogl_api.h), apart from the window system. It is every Screen operation
// that draws or reads the frame: the initial state, Clear, DrawPrimitive, the render
// states, SetView, textures and the texture list, screenshots by glReadPixels, and the
// draw counters that Present resets.
//
// A platform makes it a whole screen in one file of its own, as OglScreen does for
// Win32 (support/win/scr_ogl: window, pixel format, WGL context, display modes, the
// driver library). What a platform's screen supplies and calls, in order:
//   FindDriver, InitMode, ExitMode, GetModeList, SupportsDisplayMode  (Screen's own)
//   InitMode:  make a window of the mode, load the driver and fill `gl` through the
//              platform's lookup (LoadOglApi; OglApiComplete before drawing), make a
//              context current, give SetTarget the drawable's size and where its
//              monitors lie, LogDriverStrings, then StartDrawing;
//   ShowFrame: the buffer swap (Present calls it, then resets the counters);
//   ExitMode:  the "ExitMode()" line, textures.DeleteAll while the context is current,
//              then the platform's own closing, and ClearOglApi once the driver is gone.
#pragma once

#include <cstdint>

#include "base/screenb.h"
#include "ogl/ogl_textures.h"

class OglRenderer : public Screen {
public:
    OglRenderer(const char* screenName, int32_t screenKind);

    // An OpenGL context is always ready and usable; a scene needs no bracket to begin.
    int IsReady() override { return 1; }
    int IsAvailable() override { return 1; }
    int BeginScene() override { return 1; }
    // ShowFrame, then the draw counters to 0.
    int Present() override;
    // The device part is a u16 1 and zeros; any part whose first u16 is not 0 matches.
    int SaveSelection(void* devicePart) override;
    int MatchSelection(const void* devicePart, int32_t flag) override;
    // glFlush, then the errors OpenGL gathered, labelled "End scene".
    int EndScene() override;
    // Colours are scaled by 1/256; a fade draws a blended quad in immediate mode over
    // the filling 2-D view instead of clearing. Either keeps to the monitor in use.
    int Clear(const Rgba* colour, float fade, int32_t flags) override;
    // Checked whole first; vertex and colour arrays (texture coordinates for triangles
    // and quads), lines in immediate mode so they keep their vertex alpha. Textured
    // vertices that are all white take the texture-as-is program where there is one,
    // and are flushed before other drawing follows.
    int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t flags) override;
    // The target's pixels by glReadPixels, saved bottom-up under a dated name.
    int SaveScreenshot(const char* fileName, int32_t flag) override;
    // On the monitor in use (base/monitorview): the filling view or a 2-D camera's
    // orthographic one, or a 3-D camera's viewport, frustum and transform.
    int SetView(const Camera* camera) override;
    TextureList* GetTextureList() override { return &textures; }
    // glBindTexture of the texture's name; null returns 0.
    int BindTexture(Texture* texture) override;
    // Where there is the texture-as-is program.
    bool PrefersTexturesAsTheyAre() const override { return textureAsIs != 0; }

    OglTextureList textures;

protected:
    // GL_TEXTURE_2D off or on.
    void ApplyTexturing(bool on) override;
    // GL_BLEND off, or on with (one, one) or (source alpha, one minus source alpha).
    void ApplyBlend(int32_t blendMode) override;
    // GL_DEPTH_TEST off, or on comparing less or equal.
    void ApplyDepthTest(bool on) override;
    // The depth mask.
    void ApplyDepthWrite(bool on) override;

    // The platform's buffer swap: shows the finished frame.
    virtual void ShowFrame() = 0;
    // The driver's "Vendor", "Renderer", "Version" and "Extensions" log lines; empty
    // texts without a current context.
    void LogDriverStrings(bool contextCurrent);
    // With the context current and the target set: "Video mode setup was successfull",
    // the view distances, the initial OpenGL state and black as the clear colour.
    void StartDrawing();
    // glGetError until clear: an invalid value is logged as a warning, any other error
    // recorded with the label. 1 when any error was seen.
    int CheckErrors(const char* label);

private:
    void SetInitialState();
    void MakeTextureAsIsProgram();
    // The program that textured draws of white vertices take; 0 for none.
    uint32_t textureAsIs;
    bool asIsPending;  // drawn with the program since the last flush
    // glViewport for an area of the target (given y downward).
    void SetViewport(const ScreenArea& area);
};
