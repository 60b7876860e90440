// A Screen that draws nothing and records the calls it receives, the tests' null
// driver. Its answers (offered modes, availability, display modes, selection match) are
// set by the test; DrawPrimitive runs the base's shared part (checks and counters) like
// a real device. CapturingScreen keeps what the calls carried as well, and
// MemoryTextureList makes textures that stay in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ansi/memory.h"
#include "base/screenb.h"
#include "base/texture.h"
#include "xsystem.h"

class RecordingScreen : public Screen {
public:
    RecordingScreen(const char* screenName, int32_t screenKind);
    ~RecordingScreen() override;

    int InitInWindow(WindowHandle parentWindow, int32_t depthBuffer) override;
    int InitMode(const ScreenMode* newMode) override;
    int ExitMode() override;
    int GetModeList() override;
    int SupportsDisplayMode(int32_t displayMode) override;
    int IsReady() override;
    int IsAvailable() override;
    int Present() override;
    int SaveSelection(void* devicePart) override;
    int MatchSelection(const void* devicePart, int32_t flag) override;
    int BeginScene() override;
    int EndScene() override;
    int Clear(const Rgba* colour, float fade, int32_t flags) override;
    int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t flags) override;
    int SaveScreenshot(const char* fileName, int32_t flag) override;
    int SetSurface(const CSurface* surface) override;
    int SetView(const Camera* camera) override;
    int SetRenderState(int32_t state, int32_t value) override;
    int BindTexture(Texture* texture) override;
    TextureList* GetTextureList() override { return textureList; }
    int FindDriver() override { return 1; }

    // The devices' helpers, open to the tests.
    using Screen::AddListedMode;
    using Screen::FreeModeList;
    using Screen::modesListed;
    using Screen::QUAD_MESSAGE_PLAIN;
    using Screen::QUAD_MESSAGE_WITH_COUNT;
    using Screen::QuadMessage;
    using Screen::SortModeList;
    using Screen::StoredRenderState;

    // Calls received, in order, joined by "; ".
    std::string Calls() const;
    void ForgetCalls() { calls.clear(); }

    // Answers.
    struct OfferedMode {
        int32_t width, height, bits, displayMode;
    };
    std::vector<OfferedMode> offeredModes;  // appended in this order by GetModeList
    int available = 1;
    int modeListResult = 1;                   // 0: GetModeList fails with "Mode list failed"
    int supportsResult[5] = {0, 1, 1, 1, 1};  // by display mode 0..4; others 0
    int matchResult = 1;
    int initModeResult = 1;
    QuadMessage quadMessage = QUAD_MESSAGE_WITH_COUNT;
    uint8_t deviceBytes[64] = {};        // what SaveSelection writes
    TextureList* textureList = nullptr;  // what GetTextureList gives; not owned

    // What was received.
    std::vector<std::string> calls;
    ScreenMode lastInitMode = {};
    std::vector<const CSurface*> surfaces;  // SetSurface arguments
    const void* lastDevicePart = nullptr;
    int32_t lastRenderValue = 0;  // the value SetRenderState applied

    // A log shared by every recording screen ("name:call"), for the order of calls
    // across screens.
    static std::vector<std::string>& SharedLog();

protected:
    // SetRenderState above records the states; nothing is applied.
    void ApplyTexturing(bool) override {}
    void ApplyBlend(int32_t) override {}
    void ApplyDepthTest(bool) override {}
    void ApplyDepthWrite(bool) override {}

private:
    void Record(const std::string& call);
};

// A recording screen that also keeps what each call carried: the vertices drawn, the
// surface modes applied, the cameras set and the clear colours. It draws on one monitor
// of 640 x 480 until a test gives it others.
class CapturingScreen : public RecordingScreen {
public:
    CapturingScreen() : RecordingScreen("Recording", SCREEN_OPENGL) {
        SetTarget(640, 480, nullptr, 0, 0);
    }
    int DrawPrimitive(int32_t kind, const Vertex* vertices, int32_t count, int32_t flags) override {
        if (vertices && count > 0) {
            drawn.emplace_back(vertices, vertices + count);
            drawnOn.push_back(View());
        }
        return RecordingScreen::DrawPrimitive(kind, vertices, count, flags);
    }
    int SetSurface(const CSurface* surface) override {
        applied.push_back(surface ? *surface : CSurface());
        return RecordingScreen::SetSurface(surface);
    }
    int SetView(const Camera* camera) override {
        views.push_back(camera);
        return RecordingScreen::SetView(camera);
    }
    bool PrefersTexturesAsTheyAre() const override { return texturesAsTheyAre; }
    bool texturesAsTheyAre = true;
    int Clear(const Rgba* colour, float fade, int32_t flags) override {
        clearColours.push_back(colour ? *colour : Rgba{0, 0, 0, 0});
        clearFlags.push_back(flags);
        return RecordingScreen::Clear(colour, fade, flags);
    }
    void Forget() {
        ForgetCalls();
        drawn.clear();
        drawnOn.clear();
        applied.clear();
        views.clear();
        clearColours.clear();
        clearFlags.clear();
        surfaces.clear();
    }
    std::vector<std::vector<Vertex>> drawn;
    std::vector<MonitorView> drawnOn;  // the monitor and layout each list was drawn with
    std::vector<CSurface> applied;
    std::vector<const Camera*> views;
    std::vector<Rgba> clearColours;
    std::vector<int32_t> clearFlags;
};

// Textures kept in memory: the device half only counts its uploads.
class MemoryTexture : public Texture {
public:
    explicit MemoryTexture(TextureList* owner) : Texture(owner) {}
    int Upload() override {
        ++uploads;
        return 1;
    }
    void ReleaseDeviceTexture() override {}
    int uploads = 0;
};

class MemoryTextureList : public TextureList {
public:
    int RestoreAll() override { return 1; }
    int ReleaseAll() override { return 1; }
    int Count() {
        int n = 0;
        for (Texture* t = First(); t; t = t->next) ++n;
        return n;
    }

protected:
    Texture* NewTexture() override { return XNEW(MemoryTexture, this); }
};

// A capturing screen with in-memory textures, made the current screen while it lives;
// afterwards its textures are gone and the previous screen is current again.
class CurrentTestScreen {
public:
    CurrentTestScreen() : saved(glb->currentScreen) {
        glb->currentScreen = &screen;
        screen.textureList = &textures;
    }
    ~CurrentTestScreen() {
        textures.DeleteAll();
        glb->currentScreen = saved;
    }
    CurrentTestScreen(const CurrentTestScreen&) = delete;
    CurrentTestScreen& operator=(const CurrentTestScreen&) = delete;

    MemoryTextureList textures;
    CapturingScreen screen;

private:
    Screen* saved;
};

// A test's own glb with an empty screen list; the previous glb comes back when it
// ends. Screens made with MakeScreen are destroyed then.
class OwnScreenList {
public:
    OwnScreenList();
    ~OwnScreenList();
    OwnScreenList(const OwnScreenList&) = delete;
    OwnScreenList& operator=(const OwnScreenList&) = delete;
    // Creates a screen as the devices do (xAlloc and constructor) and, when listed,
    // appends it to glb->screenList as a device with its driver present does.
    RecordingScreen* MakeScreen(const char* name, int32_t kind, bool listed = true);

private:
    struct AppGlobals* savedGlb;
    std::vector<RecordingScreen*> made;
};
