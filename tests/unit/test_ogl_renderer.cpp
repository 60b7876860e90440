// The portable OpenGL renderer without Win32: its function table filled through a
// driver lookup of the test's own, and the renderer made a whole screen by a platform
// of the test's own, as another platform's window-and-context file would. The pixels
// it draws are checked under Wine (tests/wingl).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/camera.h"
#include "misc.h"
#include "ogl/ogl_api.h"
#include "ogl/ogl_renderer.h"
#include "test_support.h"

namespace {

// An entry point of any type of the table that does nothing, in the drivers' calling
// convention.
template <typename Function>
struct Idle;
template <typename Result, typename... Arguments>
struct Idle<Result(OGL_ENTRY*)(Arguments...)> {
    static Result OGL_ENTRY Call(Arguments...) { return Result(); }
};

// What the fake driver was asked and given.
std::vector<std::string> asked;
std::vector<GLint> viewport;
std::vector<GLint> scissor;
std::vector<GLint> readSize;
GLint packAlignment = 4;

void OGL_ENTRY Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    viewport = {x, y, width, height};
}

void OGL_ENTRY Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    scissor = {x, y, width, height};
}

void OGL_ENTRY PixelStorei(GLenum name, GLint value) {
    if (name == GL_PACK_ALIGNMENT) packAlignment = value;
}

// Writes every byte of the rows OpenGL would write (each padded to the pack alignment),
// so a buffer too small for them shows under the address sanitizer.
void OGL_ENTRY ReadPixels(GLint, GLint, GLsizei width, GLsizei height, GLenum, GLenum,
                          GLvoid* pixels) {
    readSize = {width, height};
    size_t row = (size_t(width) * 3 + size_t(packAlignment) - 1) / size_t(packAlignment) *
                 size_t(packAlignment);
    std::memset(pixels, 0x5A, row * size_t(height));
}

// The fragment program switched on and off, flushes and draws, in order.
std::string drawn;

void OGL_ENTRY Enable(GLenum capability) {
    if (capability == GL_FRAGMENT_PROGRAM_ARB) drawn += "program ";
}

void OGL_ENTRY Disable(GLenum capability) {
    if (capability == GL_FRAGMENT_PROGRAM_ARB) drawn += "off ";
}

void OGL_ENTRY Flush() {
    drawn += "flush ";
}

void OGL_ENTRY DrawArrays(GLenum, GLint, GLsizei count) {
    drawn += "draw" + std::to_string(count) + " ";
}

const GLubyte* OGL_ENTRY GetString(GLenum name) {
    static const char extensions[] = "GL_ARB_multitexture GL_ARB_fragment_program";
    return name == GL_EXTENSIONS ? reinterpret_cast<const GLubyte*>(extensions) : nullptr;
}

void OGL_ENTRY GenPrograms(GLsizei, GLuint* programs) {
    *programs = 7;
}

struct Entry {
    const char* name;
    void* address;
};

#define IDLE(name) \
    { #name, reinterpret_cast < void*>(&Idle <decltype(OglApi::name)>::Call) }
const Entry kDriver[] = {IDLE(glBegin),
                         IDLE(glBindTexture),
                         IDLE(glBlendFunc),
                         IDLE(glClear),
                         IDLE(glClearColor),
                         IDLE(glClearDepth),
                         IDLE(glColor4f),
                         IDLE(glColor4ub),
                         IDLE(glColorPointer),
                         IDLE(glDeleteTextures),
                         IDLE(glDepthFunc),
                         IDLE(glDepthMask),
                         {"glDisable", (void*)&Disable},
                         IDLE(glDisableClientState),
                         {"glDrawArrays", (void*)&DrawArrays},
                         {"glEnable", (void*)&Enable},
                         IDLE(glEnableClientState),
                         IDLE(glEnd),
                         {"glFlush", (void*)&Flush},
                         IDLE(glFrustum),
                         IDLE(glGenTextures),
                         IDLE(glGetError),
                         IDLE(glGetFloatv),
                         {"glGetString", (void*)&GetString},
                         IDLE(glLoadIdentity),
                         IDLE(glLoadMatrixf),
                         IDLE(glMatrixMode),
                         IDLE(glMultMatrixf),
                         IDLE(glOrtho),
                         {"glPixelStorei", (void*)&PixelStorei},
                         {"glReadPixels", (void*)&ReadPixels},
                         {"glScissor", (void*)&Scissor},
                         IDLE(glShadeModel),
                         IDLE(glTexCoordPointer),
                         IDLE(glTexEnvi),
                         IDLE(glTexImage2D),
                         IDLE(glTexParameteri),
                         IDLE(glTranslatef),
                         IDLE(glVertex3f),
                         IDLE(glVertexPointer),
                         {"glViewport", (void*)&Viewport}};
const Entry kPrograms[] = {
    IDLE(glBindProgramARB), {"glGenProgramsARB", (void*)&GenPrograms}, IDLE(glProgramStringARB)};

// The driver's lookup; `context` names an entry the driver lacks, or is null.
void* FakeLookup(void* context, const char* name) {
    asked.push_back(name);
    const char* missing = static_cast<const char*>(context);
    if (missing && std::strcmp(name, missing) == 0) return nullptr;
    for (const Entry& entry : kDriver)
        if (std::strcmp(entry.name, name) == 0) return entry.address;
    for (const Entry& entry : kPrograms)
        if (std::strcmp(entry.name, name) == 0) return entry.address;
    return nullptr;
}

// A platform of the test's own: its drawable is whatever size it is given, which need
// not be the mode's (a full-screen mode drawn over a larger desktop).
class TablePlatformScreen : public OglRenderer {
public:
    TablePlatformScreen(int32_t width, int32_t height)
        : OglRenderer("Table opengl", SCREEN_OPENGL),
          drawableWidth(width),
          drawableHeight(height) {}
    ~TablePlatformScreen() override { ExitMode(); }
    int FindDriver() override { return 1; }
    int InitMode(const ScreenMode* newMode) override {
        LoadOglApi(FakeLookup, nullptr);
        if (!OglApiComplete()) return 0;
        LoadOglPrograms(FakeLookup, nullptr);
        KeepMode(newMode);
        SetTarget(drawableWidth, drawableHeight, nullptr, 0, 0);
        LogDriverStrings(true);
        StartDrawing();
        return 1;
    }
    int ExitMode() override {
        textures.DeleteAll();
        FreeMode();
        ClearOglApi();
        return 1;
    }
    int GetModeList() override { return 1; }
    int SupportsDisplayMode(int32_t) override { return 1; }

    int32_t drawableWidth, drawableHeight;
    int framesShown = 0;

protected:
    void ShowFrame() override { ++framesShown; }
};

TEST(OglDriverTable, LookupGoesAlphabeticallyAndStopsAtTheFirstMissingName) {
    asked.clear();
    LoadOglApi(FakeLookup, nullptr);
    EXPECT_EQ(asked.size(), sizeof kDriver / sizeof kDriver[0]);
    EXPECT_TRUE(std::is_sorted(asked.begin(), asked.end()));
    EXPECT_EQ(OglApiComplete(), 1);

    asked.clear();
    LoadOglApi(FakeLookup, const_cast<char*>("glFrustum"));
    EXPECT_EQ(asked.back(), "glFrustum");
    EXPECT_NE(gl.glFlush, nullptr);
    EXPECT_EQ(gl.glFrustum, nullptr);
    EXPECT_EQ(gl.glGenTextures, nullptr);
    EXPECT_EQ(OglApiComplete(), 0);
    ClearOglApi();
    EXPECT_EQ(gl.glFlush, nullptr);
}

TEST(OglRendererOnAPlatform, DrawsAndReadsTheSizeItsPlatformGot) {
    TestSystem system;
    ScratchDirectory scratch;
    TablePlatformScreen screen(81, 50);
    ASSERT_EQ(screen.InitModeBySize(64, 48, 16, DISPLAY_FULLSCREEN, 1), 1);
    EXPECT_EQ(viewport, (std::vector<GLint>{0, 0, 81, 50}));
    viewport.clear();
    screen.SetView(nullptr);
    EXPECT_EQ(viewport, (std::vector<GLint>{0, 0, 81, 50}));
    Camera camera;
    screen.SetView(&camera);
    EXPECT_EQ(viewport, (std::vector<GLint>{0, 0, 81, 50}));

    Vertex vertices[12] = {};
    for (int32_t kind = PRIM_POINTS; kind < PRIM_KIND_COUNT; ++kind)
        EXPECT_EQ(screen.DrawPrimitive(kind, vertices, 12, 0), 1) << kind;
    EXPECT_EQ(screen.Draws().quads, 3);
    EXPECT_EQ(screen.Present(), 1);
    EXPECT_EQ(screen.framesShown, 1);
    EXPECT_EQ(screen.Draws().quads, 0);

    EXPECT_EQ(screen.SaveScreenshot("ScrShots/qv.bmp", 0), 1);
    EXPECT_EQ(readSize, (std::vector<GLint>{81, 50}));
    ClearError();
}

// A window over two monitors, 1024 x 768 and 1280 x 720 side by side: each monitor is
// drawn through its own part, counted in OpenGL's rows from the foot.
TEST(OglRendererOnAPlatform, DrawsEachMonitorThroughItsOwnPart) {
    TestSystem system;
    TablePlatformScreen screen(2304, 768);
    ASSERT_EQ(screen.InitModeBySize(640, 480, 16, DISPLAY_DESKTOP, 1), 1);
    const ScreenArea monitors[] = {{1024, 0, 1280, 720}, {0, 0, 1024, 768}, {2304, 0, 800, 600}};
    screen.SetTarget(2304, 768, monitors, 3, 1);
    ASSERT_EQ(screen.MonitorCount(), 2) << "the third lies beyond the target";
    EXPECT_EQ(screen.PrimaryMonitor(), 1);

    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    screen.UseMonitor(0, LAYOUT_CENTRED);
    screen.SetView(&camera);
    EXPECT_EQ(viewport, (std::vector<GLint>{1024, 48, 1280, 720}));
    screen.SetView(nullptr);
    EXPECT_EQ(viewport, (std::vector<GLint>{1024, 48, 1280, 720}));
    const Rgba black = {0, 0, 0, 255};
    screen.Clear(&black, 0, CLEAR_COLOUR);
    EXPECT_EQ(scissor, (std::vector<GLint>{1024, 48, 1280, 720}));
    screen.UseMonitor(1, LAYOUT_CENTRED);
    screen.Clear(&black, 0, CLEAR_COLOUR);
    EXPECT_EQ(scissor, (std::vector<GLint>{0, 0, 1024, 768}));
    EXPECT_EQ(screen.SaveScreenshot("ScrShots/qv.bmp", 0), 1);
    EXPECT_EQ(readSize, (std::vector<GLint>{2304, 768}));
    ClearError();
}

// Where the driver has fragment programs, textured draws that leave the texture as it is
// (white, and opaque where the blend takes the vertices' alpha) take one; other drawing
// after them waits for a flush.
TEST(OglRendererOnAPlatform, TexturesDrawnAsTheyAreTakeTheProgramAndGoOutFirst) {
    TestSystem system;
    TablePlatformScreen screen(64, 48);
    ASSERT_EQ(screen.InitModeBySize(64, 48, 16, DISPLAY_FULLSCREEN, 1), 1);
    const Rgba colours[] = {{255, 255, 255, 255}, {255, 255, 200, 255}, {255, 255, 255, 128}};
    enum { WHITE, TINTED, SEE_THROUGH };
    const struct {
        int32_t texturing, blend, colour;
        const char* calls;
    } cases[] = {
        {SURFACE_TEXTURED, SURFACE_ADDITIVE, WHITE, "program draw4 off "},
        {SURFACE_TEXTURED, SURFACE_ADDITIVE, TINTED, "flush draw4 "},
        {SURFACE_TEXTURED, SURFACE_ADDITIVE, TINTED, "draw4 "},
        {SURFACE_TEXTURED, SURFACE_ADDITIVE, SEE_THROUGH, "program draw4 off "},
        {SURFACE_TEXTURED, SURFACE_FADE_ADD, SEE_THROUGH, "flush draw4 "},
        {SURFACE_UNTEXTURED, SURFACE_ADDITIVE, WHITE, "draw4 "},
    };
    for (const auto& c : cases) {
        Vertex quad[4];
        for (Vertex& corner : quad) corner = MakeVertex(0.0f, 0.0f, 1.0f, colours[c.colour]);
        screen.SetRenderState(RS_TEXTURE, c.texturing);
        screen.SetRenderState(RS_BLEND, c.blend);
        drawn.clear();
        ASSERT_EQ(screen.DrawPrimitive(PRIM_QUADS, quad, 4, 0), 1);
        EXPECT_EQ(drawn, c.calls) << &c - cases;
    }
}

}  // namespace
