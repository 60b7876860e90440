// The OpenGL screen. Sections: construction; driver; opening a mode; closing; mode
// list; drawing and state; view; screenshot; activation.
#include "scr_ogl.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ansi/bitmap.h"
#include "ansi/memory.h"
#include "base/camera.h"
#include "display_win.h"
#include "misc.h"
#include "ogl_api.h"
#include "startup.h"

namespace {

const char* const kSplashVariable = "FX_GLIDE_NO_SPLASH";

// One pixel-format request for all OpenGL screens; describing the chosen format
// overwrites it and later opens start from there.
PIXELFORMATDESCRIPTOR pixelFormat;
bool pixelFormatFilled;

HWND MainWindow() { return reinterpret_cast<HWND>(sglb->mainWindow); }
HDC MainDc() { return reinterpret_cast<HDC>(sglb->deviceContext); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction

OglScreen::OglScreen(int32_t screenKind)
    : Screen(screenKind == SCREEN_3DFX ? "3dfx opengl" : "Standard opengl", screenKind),
      messageHandler(this),
      context(nullptr),
      driver(nullptr),
      ownWgl(0),
      displayChanged(0),
      targetWidth(0),
      targetHeight(0) {
    modesListed = 0;
    // Read from the process environment that SetEnvironmentVariableA writes, not the C
    // runtime's copy, so the second screen sees the first one's value.
    DWORD length = GetEnvironmentVariableA(kSplashVariable, savedSplash, sizeof savedSplash);
    if (length == 0 || length >= sizeof savedSplash) std::strcpy(savedSplash, "1");
    SetEnvironmentVariableA(kSplashVariable, "1");
    std::strcpy(driverFile, screenKind == SCREEN_3DFX ? "3DfxvGL.dll" : "opengl32.dll");
    HMODULE probe = LoadLibraryA(driverFile);
    if (probe) {
        FreeLibrary(probe);
        if (glb && glb->screenList) glb->screenList->AddBack(this);
    }
}

OglScreen::~OglScreen() { SetEnvironmentVariableA(kSplashVariable, savedSplash); }

int OglScreen::SupportsDisplayMode(int32_t displayMode) {
    if (kind == SCREEN_3DFX) return displayMode == DISPLAY_FULLSCREEN;
    return 1;
}

int OglScreen::SaveSelection(void* devicePart) {
    uint16_t one = 1;
    std::memcpy(devicePart, &one, sizeof one);
    return 1;
}

int OglScreen::MatchSelection(const void* devicePart, int32_t) {
    uint16_t first;
    std::memcpy(&first, devicePart, sizeof first);
    return first != 0;
}

// ---------------------------------------------------------------------------------------
// Driver

int OglScreen::LoadDriver() {
    if (driver) return 1;
    driver = LoadLibraryA(driverFile);
    if (!driver) {
        LogMessage(LOG_SCREEN, "Failed to load OpenGl driver : %s\n", driverFile);
        return 0;
    }
    LogMessage(LOG_SCREEN, "Successfully loaded OpenGl driver : %s\n", driverFile);
    LoadOglApi(driver);
    ownWgl = _stricmp(driverFile, "opengl32.dll") != 0;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Opening a mode

namespace {

// A test change first, then the real one; a depth the system wants a restart for is
// left out of the request.
bool ChangeDisplay(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA devmode = {};
    devmode.dmSize = sizeof devmode;
    devmode.dmPelsWidth = width;
    devmode.dmPelsHeight = height;
    devmode.dmBitsPerPel = bits;
    devmode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    LONG test = ChangeDisplaySettingsA(&devmode, CDS_TEST);
    if (test == DISP_CHANGE_RESTART) {
        devmode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        test = ChangeDisplaySettingsA(&devmode, CDS_TEST);
    }
    return test == DISP_CHANGE_SUCCESSFUL &&
           ChangeDisplaySettingsA(&devmode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

int OglScreen::ChangeToFullScreen() {
    DWORD width = DWORD(mode->width), height = DWORD(mode->height);
    DWORD desktopBits = DWORD(DesktopBits());
    displayChanged =
        ChangeDisplay(width, height, DWORD(mode->bits)) ||
        (desktopBits != DWORD(mode->bits) && ChangeDisplay(width, height, desktopBits));
    return displayChanged;
}

void OglScreen::EnterFullScreen(HWND window) {
    if (ChangeToFullScreen()) return;
    CoverDesktop(window, mode);
    targetWidth = DesktopWidth();
    targetHeight = DesktopHeight();
}

int OglScreen::SetupContext(HDC dc) {
    // A driver without every entry point drawing needs cannot be used.
    if (!gl.glViewport) {
        LogMessage(LOG_SCREEN, "DPF : %3ld | %3ld %3ld %s %s\n", 0L, 0L, 0L, "-", "-");
        return 0;
    }
    if (!pixelFormatFilled) {
        std::memset(&pixelFormat, 0, sizeof pixelFormat);
        pixelFormat.nSize = sizeof pixelFormat;
        pixelFormat.nVersion = 1;
        pixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pixelFormat.iPixelType = PFD_TYPE_RGBA;
        pixelFormat.cColorBits = BYTE(DesktopBits());
        pixelFormat.cDepthBits = 16;
        pixelFormatFilled = true;
    }
    int index = 0;
    if (!ownWgl) index = ChoosePixelFormat(dc, &pixelFormat);
    if (!index && gl.wglChoosePixelFormat) index = gl.wglChoosePixelFormat(dc, &pixelFormat);
    if (index) {
        if (ownWgl && gl.wglDescribePixelFormat)
            gl.wglDescribePixelFormat(dc, index, sizeof pixelFormat, &pixelFormat);
        else
            DescribePixelFormat(dc, index, sizeof pixelFormat, &pixelFormat);
        // Current drivers offer no 16-bit OpenGL format: a full-screen mode whose depth
        // differs from the format's still opens, with the format's depth.
        if (mode->displayMode == DISPLAY_FULLSCREEN && mode->bits != pixelFormat.cColorBits)
            LogMessage(LOG_SCREEN, "Mode asks for %ld colour bits, pixel format has %ld\n",
                       long(mode->bits), long(pixelFormat.cColorBits));
        BOOL set = ownWgl && gl.wglSetPixelFormat
                       ? gl.wglSetPixelFormat(dc, index, &pixelFormat)
                       : SetPixelFormat(dc, index, &pixelFormat);
        if (set && gl.wglCreateContext) context = gl.wglCreateContext(dc);
        if (context && !(gl.wglMakeCurrent && gl.wglMakeCurrent(dc, context))) {
            if (gl.wglDeleteContext) gl.wglDeleteContext(context);
            context = nullptr;
        }
    }
    if (gl.glGetString && context) {
        const char* vendor = reinterpret_cast<const char*>(gl.glGetString(GL_VENDOR));
        const char* renderer = reinterpret_cast<const char*>(gl.glGetString(GL_RENDERER));
        const char* version = reinterpret_cast<const char*>(gl.glGetString(GL_VERSION));
        const char* extensions = reinterpret_cast<const char*>(gl.glGetString(GL_EXTENSIONS));
        LogMessage(LOG_SCREEN, "Vendor     : %s\n", vendor ? vendor : "");
        LogMessage(LOG_SCREEN, "Renderer   : %s\n", renderer ? renderer : "");
        LogMessage(LOG_SCREEN, "Version    : %s\n", version ? version : "");
        LogMessage(LOG_SCREEN, "Extensions : %s\n", extensions ? extensions : "");
    } else {
        LogMessage(LOG_SCREEN, "Vendor     : %s\n", "");
        LogMessage(LOG_SCREEN, "Renderer   : %s\n", "");
        LogMessage(LOG_SCREEN, "Version    : %s\n", "");
        LogMessage(LOG_SCREEN, "Extensions : %s\n", "");
    }
    LogMessage(LOG_SCREEN, "DPF : %3ld | %3ld %3ld %s %s\n", long(index),
               long(pixelFormat.cColorBits), long(pixelFormat.cDepthBits),
               (pixelFormat.dwFlags & PFD_GENERIC_FORMAT) ? "X" : "-",
               (pixelFormat.dwFlags & PFD_GENERIC_ACCELERATED) ? "X" : "-");
    return context != nullptr;
}

void OglScreen::SetInitialState() {
    gl.glClearColor(0, 0, 0, 0);
    gl.glClearDepth(1.0);
    gl.glShadeModel(GL_SMOOTH);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glViewport(0, 0, targetWidth, targetHeight);
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glDisableClientState(GL_EDGE_FLAG_ARRAY);
    gl.glDisableClientState(GL_INDEX_ARRAY);
    gl.glDisableClientState(GL_NORMAL_ARRAY);
    gl.glEnableClientState(GL_COLOR_ARRAY);
    gl.glEnableClientState(GL_VERTEX_ARRAY);
}

int OglScreen::InitMode(const ScreenMode* newMode) {
    if (!CheckModeToOpen(this, newMode)) return 0;
    if (!LoadDriver()) return SetErrorText("Failed to init opengl");
    KeepMode(newMode);
    if (!CreateScreenWindow(mode, parentWindow, WS_POPUP, WS_EX_TOPMOST)) return 0;
    targetWidth = mode->width;
    targetHeight = mode->height;
    if (mode->displayMode == DISPLAY_FULLSCREEN) EnterFullScreen(MainWindow());
    if (!ShowScreenWindow(mode->displayMode)) return 0;
    HDC dc = MainDc();
    if (DesktopBits() == 8) return SetErrorText("%s", kTooFewColours);
    if (!SetupContext(dc)) {
        ExitMode();
        return SetErrorText("Failed to setup opengl screen");
    }
    messageHandler.RegisterAll();
    LogMessage(LOG_SCREEN, "Video mode setup was successfull\n");
    SetViewDistances(1.0f, 1000.0f);
    SetInitialState();
    Rgba black = {0, 0, 0, 255};
    Clear(&black, 0, 0);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Closing

int OglScreen::ExitMode() {
    LogMessage(LOG_EXIT, "ExitMode()\n");
    textures.DeleteAll();
    if (displayChanged) {
        LogMessage(LOG_EXIT, "Restoring screen resolution\n");
        ChangeDisplaySettingsA(nullptr, 0);
        displayChanged = 0;
    }
    if (context) {
        LogMessage(LOG_EXIT, "Delete context\n");
        if (gl.wglMakeCurrent) gl.wglMakeCurrent(nullptr, nullptr);
        if (gl.wglDeleteContext) gl.wglDeleteContext(context);
        context = nullptr;
    }
    LogMessage(LOG_EXIT, "Releasing DC\n");
    CloseScreenWindow();
    ForgetMode();
    messageHandler.UnregisterAll();
    CleanUpScreen();
    LogMessage(LOG_EXIT, "Exiting ogl\n");
    int released = 1;
    if (driver) released = FreeLibrary(driver) != 0;
    driver = nullptr;
    ClearOglApi();
    return released;
}

// ---------------------------------------------------------------------------------------
// Mode list

int OglScreen::GetModeList() {
    if (modesListed) return 1;
    modesListed = 1;
    LogMessage(LOG_SCREEN, "Getting screen modes for : %s (%s)\n", name, driverFile);
    static const int32_t depths[] = {16, 24, 32};
    bool listed[CANDIDATE_SIZE_COUNT][3] = {};
    int desktopBits = DesktopBits();
    int desktopWidth = DesktopWidth();
    int desktopHeight = DesktopHeight();
    DEVMODEA reported = {};
    reported.dmSize = sizeof reported;
    for (DWORD index = 0; EnumDisplaySettingsA(nullptr, index, &reported); ++index) {
        for (int s = 0; s < CANDIDATE_SIZE_COUNT; ++s) {
            int32_t width = kCandidateSizes[s].width, height = kCandidateSizes[s].height;
            if (kind == SCREEN_3DFX && width > 1024) continue;
            if (DWORD(width) != reported.dmPelsWidth || DWORD(height) != reported.dmPelsHeight)
                continue;
            for (int d = 0; d < 3; ++d) {
                if (listed[s][d] || DWORD(depths[d]) != reported.dmBitsPerPel) continue;
                if (depths[d] == desktopBits && kind != SCREEN_3DFX && desktopWidth >= width &&
                    desktopHeight >= height &&
                    !AddListedMode(width, height, depths[d], DISPLAY_WINDOW))
                    return 0;
                if (kind != SCREEN_3DFX || depths[d] == 16) {
                    listed[s][d] = true;
                    if (!AddListedMode(width, height, depths[d], DISPLAY_FULLSCREEN)) return 0;
                }
            }
        }
    }
    SortModeList();
    return 1;
}

// ---------------------------------------------------------------------------------------
// Drawing and state

int OglScreen::Present() {
    BOOL swapped = FALSE;
    if (!ownWgl) swapped = SwapBuffers(MainDc());
    if (!swapped && gl.wglSwapBuffers) gl.wglSwapBuffers(MainDc());
    ResetDrawCounters();
    return 1;
}

int OglScreen::CheckErrors(const char* label) {
    if (!gl.glGetError) return 0;
    int seen = 0;
    for (GLenum code = gl.glGetError(); code != GL_NO_ERROR; code = gl.glGetError()) {
        seen = 1;
        if (code == GL_INVALID_VALUE)
            LogMessage(LOG_WARNING, "OpenGl got a invalid value\n");
        else
            SetErrorText("%s\nOpenGl Error : %ld (%lx)\n", label, long(code),
                         (unsigned long)code);
    }
    return seen;
}

int OglScreen::EndScene() {
    gl.glFlush();
    CheckErrors("End scene");
    return 1;
}

int OglScreen::Clear(const Rgba* colour, float fade, int32_t flags) {
    GLbitfield mask = 0;
    float f = 1.0f - fade;
    if (f == 1.0f) {
        if (colour)
            gl.glClearColor(colour->r / 256.0f, colour->g / 256.0f, colour->b / 256.0f,
                            colour->a / 256.0f);
        if (flags & CLEAR_COLOUR) mask |= GL_COLOR_BUFFER_BIT;
    } else if (f > 0 && (flags & CLEAR_COLOUR) && colour) {
        SetView(nullptr);
        SetSurface(nullptr);
        gl.glEnable(GL_BLEND);
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.glBegin(GL_QUADS);
        gl.glColor4f(colour->r / 256.0f, colour->g / 256.0f, colour->b / 256.0f, f);
        gl.glVertex3f(0.1f, 0.1f, 1);
        gl.glVertex3f(639.9f, 0.1f, 1);
        gl.glVertex3f(639.9f, 479.9f, 1);
        gl.glVertex3f(0.1f, 479.9f, 1);
        gl.glEnd();
    }
    if (flags & CLEAR_DEPTH) {
        SetRenderState(RS_DEPTH_WRITE, 1);
        gl.glClearDepth(1.0);
        SetRenderState(RS_DEPTH_WRITE, RENDER_STATE_REAPPLY);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    gl.glClear(mask);
    return 1;
}

int OglScreen::DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t) {
    if (!CheckPrimitive(kind, vertices, count, QUAD_MESSAGE_WITH_COUNT)) return 0;
    if (kind < PRIM_POINTS || kind >= PRIM_KIND_COUNT) return 1;
    const uint8_t* base = reinterpret_cast<const uint8_t*>(vertices);
    gl.glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(Vertex), base + offsetof(Vertex, r));
    gl.glVertexPointer(3, GL_FLOAT, sizeof(Vertex), base);
    if (kind <= PRIM_LINE_STRIP) {
        gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        gl.glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, u));
    }
    static const GLenum arrayModes[] = {GL_POINTS, 0, 0, GL_TRIANGLES, GL_TRIANGLE_STRIP,
                                        GL_TRIANGLE_FAN, GL_QUADS};
    if (kind == PRIM_LINES || kind == PRIM_LINE_STRIP) {
        // Lines carry their vertex alpha; the arrays carry only red, green and blue.
        gl.glBegin(kind == PRIM_LINES ? GL_LINES : GL_LINE_STRIP);
        for (int32_t i = 0; i < count; ++i) {
            gl.glColor4ub(vertices[i].r, vertices[i].g, vertices[i].b, vertices[i].a);
            gl.glVertex3f(vertices[i].x, vertices[i].y, vertices[i].z);
        }
        gl.glEnd();
    } else {
        gl.glDrawArrays(arrayModes[kind], 0, count);
    }
    CountPrimitive(kind, count);
    return 1;
}

int OglScreen::BindTexture(Texture* texture) {
    if (!texture) return 0;
    gl.glBindTexture(GL_TEXTURE_2D, GLuint(static_cast<OglTexture*>(texture)->name));
    return 1;
}

void OglScreen::ApplyTexturing(bool on) {
    if (on)
        gl.glEnable(GL_TEXTURE_2D);
    else
        gl.glDisable(GL_TEXTURE_2D);
}

void OglScreen::ApplyBlend(int32_t blendMode) {
    if (blendMode == SURFACE_OPAQUE) {
        gl.glDisable(GL_BLEND);
        return;
    }
    gl.glEnable(GL_BLEND);
    if (blendMode == SURFACE_ADDITIVE)
        gl.glBlendFunc(GL_ONE, GL_ONE);
    else
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void OglScreen::ApplyDepthTest(bool on) {
    if (!on) {
        gl.glDisable(GL_DEPTH_TEST);
        return;
    }
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_LEQUAL);
}

void OglScreen::ApplyDepthWrite(bool on) {
    gl.glDepthMask(on ? GL_TRUE : GL_FALSE);
}

// ---------------------------------------------------------------------------------------
// View

int OglScreen::SetView(const Camera* camera) {
    if (!mode) return 0;
    float width = float(targetWidth), height = float(targetHeight);
    if (!camera || (camera->flags & CAMERA_2D)) {
        if (camera)
            gl.glViewport(GLint(camera->viewX), GLint(camera->viewY), targetWidth, targetHeight);
        else
            gl.glViewport(0, 0, targetWidth, targetHeight);
        gl.glMatrixMode(GL_PROJECTION);
        gl.glLoadIdentity();
        gl.glOrtho(0, 640, 480, 0, viewNear, -viewFar);
        gl.glMatrixMode(GL_MODELVIEW);
        return 1;
    }
    gl.glViewport(GLint(width / 640.0f * camera->viewX),
                  GLint(height - (camera->viewY + camera->viewHeight) * height / 480.0f),
                  GLsizei(width / 640.0f * camera->viewWidth),
                  GLsizei(height / 480.0f * camera->viewHeight));
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    float projection[16];
    camera->ProjectionMatrix(projection);
    gl.glLoadMatrixf(projection);
    float view[16];
    camera->ViewMatrix(view);
    gl.glMultMatrixf(view);
    gl.glMatrixMode(GL_MODELVIEW);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Screenshot

int OglScreen::SaveScreenshot(const char* fileName, int32_t) {
    if (!mode) return 0;
    Bitmap shot;
    if (!shot.CreateWithMasks(targetWidth, targetHeight, 24, 8, 8, 8, 0, 16, 8, 0, 0)) return 0;
    gl.glPixelStorei(GL_PACK_ALIGNMENT, shot.pitch % 4 == 0 ? 4 : 1);
    gl.glReadPixels(0, 0, targetWidth, targetHeight, GL_RGB, GL_UNSIGNED_BYTE, shot.pixels);
    shot.Save(fileName, nullptr, 0, 0, 1 | 2);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Activation

void OglScreen::ActivationLost() {
    HWND window = MainWindow();
    ShowWindow(window, SW_MINIMIZE);
    Screen::ActivationLost();
    // Only a display mode this screen really changed is given back and taken again.
    if (displayChanged) ChangeDisplaySettingsA(nullptr, 0);
}

void OglScreen::ActivationRegained() {
    HWND window = MainWindow();
    Screen::ActivationRegained();
    if (displayChanged) EnterFullScreen(window);
    ShowWindow(window, SW_RESTORE);
    UpdateWindow(window);
}
