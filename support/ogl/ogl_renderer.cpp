// The OpenGL screen's drawing. Sections: construction and selection; opening and
// presenting; drawing and state; view; screenshot.
#include "ogl/ogl_renderer.h"

#include <cstddef>
#include <cstring>

#include "ansi/bitmap.h"
#include "base/camera.h"
#include "misc.h"
#include "ogl/ogl_api.h"

// ---------------------------------------------------------------------------------------
// Construction and selection

OglRenderer::OglRenderer(const char* screenName, int32_t screenKind)
    : Screen(screenName, screenKind), textureAsIs(0), asIsPending(false) {}

int OglRenderer::SaveSelection(void* devicePart) {
    uint16_t one = 1;
    std::memcpy(devicePart, &one, sizeof one);
    return 1;
}

int OglRenderer::MatchSelection(const void* devicePart, int32_t) {
    uint16_t first;
    std::memcpy(&first, devicePart, sizeof first);
    return first != 0;
}

// ---------------------------------------------------------------------------------------
// Opening and presenting

void OglRenderer::LogDriverStrings(bool contextCurrent) {
    static const GLenum names[] = {GL_VENDOR, GL_RENDERER, GL_VERSION, GL_EXTENSIONS};
    static const char* const lines[] = {"Vendor     : %s\n", "Renderer   : %s\n",
                                        "Version    : %s\n", "Extensions : %s\n"};
    for (int i = 0; i < 4; ++i) {
        const char* text = nullptr;
        if (contextCurrent && gl.glGetString)
            text = reinterpret_cast<const char*>(gl.glGetString(names[i]));
        LogMessage(LOG_SCREEN, lines[i], text ? text : "");
    }
}

void OglRenderer::SetInitialState() {
    gl.glClearColor(0, 0, 0, 0);
    gl.glClearDepth(1.0);
    gl.glShadeModel(GL_SMOOTH);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glViewport(0, 0, TargetWidth(), TargetHeight());
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

// A fragment program that gives the texture as it is: what fixed function gives for a
// texture modulated by white, but without its projective divide, which lets software
// rasterisers (Mesa's llvmpipe) fill such a draw on their fast path, several times
// faster. 0 when the driver has no fragment programs.
void OglRenderer::MakeTextureAsIsProgram() {
    textureAsIs = 0;
    const char* extensions = reinterpret_cast<const char*>(gl.glGetString(GL_EXTENSIONS));
    if (!gl.glGenProgramsARB || !gl.glBindProgramARB || !gl.glProgramStringARB || !extensions ||
        !std::strstr(extensions, "GL_ARB_fragment_program"))
        return;
    static const char text[] =
        "!!ARBfp1.0\nTEX result.color, fragment.texcoord[0], texture[0], 2D;\nEND\n";
    GLuint program = 0;
    gl.glGenProgramsARB(1, &program);
    gl.glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
    gl.glProgramStringARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                          GLsizei(sizeof text - 1), text);
    if (gl.glGetError() == GL_NO_ERROR) textureAsIs = program;
}

void OglRenderer::StartDrawing() {
    LogMessage(LOG_SCREEN, "Video mode setup was successfull\n");
    MakeTextureAsIsProgram();
    SetViewDistances(1.0f, 1000.0f);
    SetInitialState();
    Rgba black = {0, 0, 0, 255};
    Clear(&black, 0, 0);
}

int OglRenderer::Present() {
    ShowFrame();
    ResetDrawCounters();
    return 1;
}

// ---------------------------------------------------------------------------------------
// Drawing and state

int OglRenderer::CheckErrors(const char* label) {
    if (!gl.glGetError) return 0;
    int seen = 0;
    for (GLenum code = gl.glGetError(); code != GL_NO_ERROR; code = gl.glGetError()) {
        seen = 1;
        if (code == GL_INVALID_VALUE)
            LogMessage(LOG_WARNING, "OpenGl got a invalid value\n");
        else
            SetErrorText("%s\nOpenGl Error : %ld (%lx)\n", label, long(code), (unsigned long)code);
    }
    return seen;
}

int OglRenderer::EndScene() {
    gl.glFlush();
    asIsPending = false;
    CheckErrors("End scene");
    return 1;
}

int OglRenderer::Clear(const Rgba* colour, float fade, int32_t flags) {
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
    // Only the monitor drawn on: the others already hold their part of the frame.
    const ScreenArea& monitor = View().monitor;
    gl.glScissor(monitor.x, TargetHeight() - monitor.y - monitor.height, monitor.width,
                 monitor.height);
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glClear(mask);
    gl.glDisable(GL_SCISSOR_TEST);
    return 1;
}

namespace {

// Vertices that modulate a texture by white (and, with their alpha, by opaque) leave it
// as it is.
bool AllWhite(const Vertex* vertices, int32_t count, bool withAlpha) {
    for (int32_t i = 0; i < count; ++i) {
        const Vertex& v = vertices[i];
        if ((v.r & v.g & v.b) != 255 || (withAlpha && v.a != 255)) return false;
    }
    return true;
}

}  // namespace

int OglRenderer::DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t) {
    if (!CheckPrimitive(kind, vertices, count, QUAD_MESSAGE_WITH_COUNT)) return 0;
    if (kind < PRIM_POINTS || kind >= PRIM_KIND_COUNT) return 1;
    const uint8_t* base = reinterpret_cast<const uint8_t*>(vertices);
    // Only the fading blend takes the vertices' alpha: elsewhere the arrays carry red,
    // green and blue, and alpha is the texture's.
    const GLint channels = StoredRenderState(RS_BLEND) == SURFACE_FADE_ADD ? 4 : 3;
    gl.glColorPointer(channels, GL_UNSIGNED_BYTE, sizeof(Vertex), base + offsetof(Vertex, r));
    gl.glVertexPointer(3, GL_FLOAT, sizeof(Vertex), base);
    if (kind <= PRIM_LINE_STRIP) {
        gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        gl.glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, u));
    }
    static const GLenum arrayModes[] = {
        GL_POINTS, 0, 0, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS};
    if (kind == PRIM_LINES || kind == PRIM_LINE_STRIP) {
        // Lines carry their vertex alpha; the arrays carry only red, green and blue.
        gl.glBegin(kind == PRIM_LINES ? GL_LINES : GL_LINE_STRIP);
        for (int32_t i = 0; i < count; ++i) {
            gl.glColor4ub(vertices[i].r, vertices[i].g, vertices[i].b, vertices[i].a);
            gl.glVertex3f(vertices[i].x, vertices[i].y, vertices[i].z);
        }
        gl.glEnd();
    } else if (textureAsIs && StoredRenderState(RS_TEXTURE) == SURFACE_TEXTURED &&
               AllWhite(vertices, count, channels == 4)) {
        gl.glEnable(GL_FRAGMENT_PROGRAM_ARB);
        gl.glDrawArrays(arrayModes[kind], 0, count);
        gl.glDisable(GL_FRAGMENT_PROGRAM_ARB);
        asIsPending = true;
    } else {
        // A software rasteriser fills a bin of the frame on its fast path only when all
        // that the bin holds can take it: what was drawn as it is goes out on its own.
        if (asIsPending) gl.glFlush();
        asIsPending = false;
        gl.glDrawArrays(arrayModes[kind], 0, count);
    }
    CountPrimitive(kind, count);
    return 1;
}

int OglRenderer::BindTexture(Texture* texture) {
    if (!texture) return 0;
    gl.glBindTexture(GL_TEXTURE_2D, GLuint(static_cast<OglTexture*>(texture)->name));
    return 1;
}

void OglRenderer::ApplyTexturing(bool on) {
    if (on)
        gl.glEnable(GL_TEXTURE_2D);
    else
        gl.glDisable(GL_TEXTURE_2D);
}

void OglRenderer::ApplyBlend(int32_t blendMode) {
    if (blendMode == SURFACE_OPAQUE) {
        gl.glDisable(GL_BLEND);
        return;
    }
    gl.glEnable(GL_BLEND);
    if (blendMode == SURFACE_ADDITIVE)
        gl.glBlendFunc(GL_ONE, GL_ONE);
    else if (blendMode == SURFACE_FADE_ADD)
        gl.glBlendFunc(GL_ONE, GL_SRC_ALPHA);
    else
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void OglRenderer::ApplyDepthTest(bool on) {
    if (!on) {
        gl.glDisable(GL_DEPTH_TEST);
        return;
    }
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_LEQUAL);
}

void OglRenderer::ApplyDepthWrite(bool on) {
    gl.glDepthMask(on ? GL_TRUE : GL_FALSE);
}

// ---------------------------------------------------------------------------------------
// View

void OglRenderer::SetViewport(const ScreenArea& area) {
    // OpenGL counts rows from the target's foot.
    gl.glViewport(area.x, TargetHeight() - area.y - area.height, area.width, area.height);
}

int OglRenderer::SetView(const Camera* camera) {
    if (!mode) return 0;
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    if (!camera || (camera->flags & CAMERA_2D)) {
        const FlatView flat =
            camera ? OverlayView(View(), camera->viewX, camera->viewY) : FillingView(View());
        SetViewport(flat.viewport);
        gl.glOrtho(flat.left, flat.right, flat.bottom, flat.top, viewNear, -viewFar);
        gl.glMatrixMode(GL_MODELVIEW);
        return 1;
    }
    const SceneView scene = CameraView(View(), *camera);
    SetViewport(scene.viewport);
    float projection[16];
    FrustumMatrix(scene, projection);
    gl.glLoadMatrixf(projection);
    float transform[16];
    camera->ViewMatrix(transform);
    gl.glMultMatrixf(transform);
    gl.glMatrixMode(GL_MODELVIEW);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Screenshot

int OglRenderer::SaveScreenshot(const char* fileName, int32_t) {
    if (!mode) return 0;
    Bitmap shot;
    if (!shot.CreateWithMasks(TargetWidth(), TargetHeight(), 24, 8, 8, 8, 0, 16, 8, 0, 0)) return 0;
    gl.glPixelStorei(GL_PACK_ALIGNMENT, shot.pitch % 4 == 0 ? 4 : 1);
    gl.glReadPixels(0, 0, TargetWidth(), TargetHeight(), GL_RGB, GL_UNSIGNED_BYTE, shot.pixels);
    shot.Save(fileName, nullptr, 0, 0, 1 | 2);
    return 1;
}
