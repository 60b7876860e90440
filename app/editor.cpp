// The run the editor belongs to: loading what it shows (vx_init), one frame of keys,
// update, animation and drawing (EditorFrame), the overlays the keys switch on, and
// the teardown (EditorExit). EditorRun, which the application's main owns, holds the
// run (run.h: what the run shows and its time) and the VxConfig that edits it.
//
// Sections: the launcher's requests; showing and hiding the editor; the overlays; vx_init;
// EditorFrame; EditorExit.
//
// The editor (mode 2) shows the scene in the left 480 x 466 of the virtual screen, the
// pages of gui.cfg on the right quarter and the info line below the scene; the plain
// saver (mode 1) shows the scene alone. Both take the same key commands
// (editorkeys.cpp), except Space, which hides and shows the editor.
//
// One simulation, drawn once per monitor (base/monitorview): every monitor shows the
// scene and the intro; the primary one also the editor, at its right edge, and the
// overlays.
#include "editor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "animator.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "bgfile.h"
#include "bground.h"
#include "editorkeys.h"
#include "editorlayout.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "intro.h"
#include "misc.h"
#include "settings.h"
#include "version.h"
#include "vxconfig.h"
#include "xsystem.h"

// ---------------------------------------------------------------- the launcher's requests

namespace {

const RunRequests kNothingAsked = {0, -1, 1.0f, "", nullptr, 0};

// Filled by the launcher before the application's main makes its EditorRun from it.
RunRequests launcherRequests = kNothingAsked;

// The background the run starts from: the file asked for, else the user's own copy or
// the shipped one, else the built-in default. A file asked for that cannot be loaded
// whole is logged and told with its reason, and the run goes on as if none had been
// asked for.
void LoadStartBackground(EditorRun& app) {
    const RunRequests& requests = app.requests;
    VxConfig& config = app.config;
    LogMessage(LOG_INIT, "Loading background\n");
    char reason[ERROR_MESSAGE_SIZE] = "";
    if (requests.backgroundFile[0]) {
        if (LoadWholeBackground(config.animator, requests.backgroundFile)) return;
        std::snprintf(reason, sizeof reason, "no such file");
        GetErrorMessage(reason, sizeof reason);
        LogMessage(LOG_WARNING, "Unable to load background %s : %s\n", requests.backgroundFile,
                   reason);
        ClearError();
        // Whatever part of it was read goes.
        config.animator->SetDefaultBackground();
    }
    char backgroundPath[FILE_NAME_SIZE];
    BackgroundPathToLoad(backgroundPath, sizeof backgroundPath);
    const bool loaded = LoadBackground(config.animator, backgroundPath) != 0;
    if (!loaded) {
        // Start-up only logs: the built-in default goes on showing.
        LogMessage(LOG_INIT, "Unable to load background\n");
        ClearError();
    }
    if (!reason[0] || !requests.tellUser) return;
    char line[2 * FILE_NAME_SIZE + ERROR_MESSAGE_SIZE + 64];
    std::snprintf(line, sizeof line, "the background %s cannot be used (%s): %s shows instead",
                  requests.backgroundFile, reason,
                  !loaded                                             ? "the built-in background"
                  : std::strcmp(backgroundPath, BACKGROUND_FILE_NAME) ? "your own BGround.qvb"
                                                                      : "the shipped background");
    requests.tellUser(line);
}

// The star count held still at the count asked for; the speed toward the viewer, with the
// range it moves in, scaled.
void ApplyRequests(const RunRequests& requests, VxAnimator* animator) {
    if (requests.starCount >= 0) {
        const float count = float(requests.starCount);
        animator->SetMode(CONTROL_BGSNUMS, ANIM_NONE);
        animator->SetLow(CONTROL_BGSNUMS, count);
        animator->SetHigh(CONTROL_BGSNUMS, count);
        animator->SetValue(CONTROL_BGSNUMS, count, VALUE_STORED, VALUE_SILENT);
    }
    if (requests.speedFactor != 1.0f) {
        const SliderChannel* speed = animator->Channel(CONTROL_BGSSZ);
        const float factor = requests.speedFactor;
        const float low = speed->low * factor, high = speed->high * factor;
        const float value = speed->value * factor;
        animator->SetLow(CONTROL_BGSSZ, low);
        animator->SetHigh(CONTROL_BGSSZ, high);
        animator->SetValue(CONTROL_BGSSZ, value, VALUE_STORED, VALUE_SILENT);
    }
}

// The scene saved at the last exit, else the first; it is created here.
void SetBackground() {
    SceneList& scenes = Scenes();
    if (!scenes.FindById(Settings.backgroundNumber)) scenes.First();
    VxConfig::CreateScene(scenes.Current());
}

// Without the font the run goes on, only without text; the reason is in the log already.
void LoadFont(BitmapFont& font) {
    if (font.Load(FONT_FILE_NAME, FONT_GLYPH_WIDTH, FONT_GLYPH_HEIGHT)) return;
    LogMessage(LOG_WARNING, "Unable to load font %s: no text is drawn\n", FONT_FILE_NAME);
    ClearError();
}

// The scene gets the left part of the screen while the editor shows, all of it
// otherwise; the frame starts afresh in the scene's colour, so no trail of the panel
// stays behind.
void SetSceneViewport(VxAnimator* animator, bool editorShown) {
    animator->camera.SetViewport(editorShown ? kSceneWidth : kScreenWidth,
                                 editorShown ? kSceneHeight : kScreenHeight, 60.0f, 0.0f, 0.0f,
                                 CAMERA_SQUARE);
}

// Every key and pointer action of the editor (editorkeys.cpp), over the scene in the
// box style of the prompt: the key or action, then what it does.
void DrawHelp(VxConfig& config, Screen* screen) {
    const float divider = kHelpTop + kHelpTitleHeight;
    const float bottom = divider + kHelpLineTop + float(kHelpEntryCount) * kHelpPitch;
    screen->SetView(&config.camera);
    DrawOverlayBox(screen, kHelpLeft, kHelpTop, kHelpRight, bottom, 30, 40, 50, &divider, 1);
    char title[32];
    std::snprintf(title, sizeof title, "Novadrift v%d.%d help", NOVADRIFT_VERSION_MAJOR,
                  NOVADRIFT_VERSION_MINOR);
    config.textFont.DrawText(title, kHelpTitleX, kHelpTop + 5);
    for (int i = 0; i < kHelpEntryCount; ++i) {
        const float y = divider + kHelpLineTop + float(i) * kHelpPitch;
        config.textFont.DrawText(kHelpEntries[i].key, kHelpLeft + kHelpInset, y);
        config.textFont.DrawText(kHelpEntries[i].action, kHelpLeft + kHelpInset + kHelpKeyWidth, y);
    }
}

// Counted every frame, so the rate is right as soon as it is shown.
void CountFrame(Run& run) {
    ++run.figures.frames;
    ++run.frames;
    const double now = TimerSeconds(), span = now - run.measuredAt;
    if (span <= 1.0) return;
    run.frameRate = run.frames / span;
    run.load = 100.0 * std::min(run.busySeconds / span, 1.0);
    run.frames = 0;
    run.busySeconds = 0;
    run.measuredAt = now;
}

void DrawFrameRate(const Run& run, BitmapFont& font) {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", long(run.frameRate));
    font.DrawText(text, 1, 1);
}

// XScreenSaver's overlay at the bottom left of the monitor, whatever its shape, on a
// black box wide enough for "Load: 100.0%".
void DrawFrameOverlay(const Run& run, VxConfig& config, Screen* screen) {
    const float inset = 4.0f, boxWidth = 12.0f * (FONT_GLYPH_WIDTH + 1) + 2.0f * inset;
    const float lineHeight = FONT_GLYPH_HEIGHT + 2;
    char text[48];
    std::snprintf(text, sizeof text, "FPS: %.1f\nLoad: %.1f%%", run.frameRate, run.load);
    float left, top, right, bottom;
    VisibleDesign(screen->View(), &left, &top, &right, &bottom);
    const float textTop = bottom - inset - 2.0f * lineHeight;
    screen->SetView(&config.camera);
    DrawOverlayBox(screen, left, textTop - inset, left + boxWidth, bottom, 0, 0, 0, nullptr, 0);
    config.textFont.DrawText(text, left + inset, textTop);
}

void DrawStatistics(BitmapFont& font, const Screen* screen) {
    const DrawCounts& draws = screen->Draws();
    char text[320];
    std::snprintf(text, sizeof text,
                  "Draw info\nPoints         : %ld\nLines          : %ld\n"
                  "Linestrip      : %ld\nTriangles      : %ld\nTriangle strip : %ld\n"
                  "Triangle fan   : %ld\nQuads          : %ld\n",
                  long(draws.points), long(draws.lines), long(draws.lineStrips),
                  long(draws.triangles), long(draws.triangleStrips), long(draws.triangleFans),
                  long(draws.quads));
    font.DrawText(text, 10, 10);
}

// The frame on one monitor. The editor's monitor lays the design at its right edge,
// so the panel stands there and the scene fills the space beside it; the other
// monitors then show the scene alone.
void DrawMonitor(EditorRun& app, Screen* screen, int32_t monitor, const FrameTime& time) {
    const Run& run = app.run;
    VxConfig& config = app.config;
    const bool primary = monitor == screen->PrimaryMonitor();
    const bool panel = primary && run.editorVisible;
    screen->UseMonitor(monitor, panel               ? LAYOUT_PANEL_RIGHT
                                : run.editorVisible ? LAYOUT_SCENE_ONLY
                                                    : LAYOUT_CENTRED);
    // The editor's buttons may have changed the scene.
    if (SceneObject* scene = Scenes().Current()) {
        scene->Draw(time);
    } else {
        static const Rgba black = {0, 0, 0, 255};
        screen->Clear(&black, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
    }
    if (run.intro) run.intro->Draw(&config.animator->camera);
    if (!primary) return;
    if (panel) config.DrawEditor();
    if (run.showHelp) DrawHelp(config, screen);
    if (run.showFrameRate == FRAME_RATE_NUMBER) DrawFrameRate(run, config.textFont);
    if (run.showFrameRate == FRAME_RATE_OVERLAY) DrawFrameOverlay(run, config, screen);
    if (run.showStatistics) DrawStatistics(config.textFont, screen);
}

}  // namespace

RunRequests& RequestsOfThisRun() {
    return launcherRequests;
}

EditorRun::EditorRun() : EditorRun(kNothingAsked) {}

EditorRun::EditorRun(const RunRequests& asked) : requests(asked) {}

// ---------------------------------------------------------------- showing and hiding the editor

void VxConfig::ShowEditor(int visible) {
    // Hidden, the editor hears no release: a knob held now is let go as a release would.
    if (!visible) ReleasePointer();
    run->editorVisible = visible;
    inputEnabled = visible;
    SetSceneViewport(animator, visible != 0);
    Rgba colour = {0, 0, 0, 0};
    ParameterReading reading;
    SceneObject* scene = Scenes().Current();
    uint8_t* parts[3] = {&colour.r, &colour.g, &colour.b};
    for (int i = 0; i < 3; ++i)
        if (scene && scene->GetParameter(CONTROL_BGSBCR + i, &reading))
            *parts[i] = ParameterByte(reading.value);
    Screen* screen = CurrentScreen();
    if (!screen) return;
    for (int32_t monitor = 0; monitor < screen->MonitorCount(); ++monitor) {
        screen->UseMonitor(monitor, LAYOUT_CENTRED);
        screen->Clear(&colour, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
    }
}

// ---------------------------------------------------------------- vx_init

int vx_init(EditorRun& app, int saverOnly) {
    Run& run = app.run;
    VxConfig& config = app.config;
    run.mode = saverOnly ? MODE_SAVER : MODE_EDITOR;
    run.editorVisible = run.mode == MODE_EDITOR;
    run.showStatistics = run.showHelp = run.showSliderInfo = 0;
    run.showFrameRate = app.requests.showFrameRate;
    run.frames = 0;
    run.busySeconds = 0;
    run.frameRate = 0;
    run.load = 0;
    run.measuredAt = TimerSeconds();
    SetOverlayCamera(config.camera);
    run.clock.Reset();
    run.figures = FrameFigures();
    LogMessage(LOG_INIT, "Creating animator\n");
    XDELETE(run.animator);
    run.animator = XNEW(VxAnimator);
    config.animator = run.animator;
    config.run = &run;
    config.animator->camera.SetPosition(0.0f, 0.0f, -160.0f);
    SetSceneViewport(config.animator, run.mode == MODE_EDITOR);
    // What shows when no background file replaces it.
    config.animator->SetDefaultBackground();
    config.font = &config.textFont;
    config.infoLine = &config.captions;
    config.inputEnabled = run.editorVisible;
    if (run.mode == MODE_EDITOR) {
        config.widgetCallback = VxConfig::WidgetEvent;
        if (!config.LoadGuiConfig(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight)) return 0;
    }
    // Text is drawn in every run that shows frames: the overlays' keys work in each.
    LoadFont(config.textFont);
    config.captions.Setup(&config.textFont, kInfoLineLeft, kInfoLineTop, kInfoLineWidth,
                          kInfoLineHeight);
    config.captions.SetSliderInfoDisplay(0);
    if (run.mode == MODE_EDITOR) {
        config.RestoreChannels(-1);
        config.StartController();
    }

    LogMessage(LOG_INIT, "Initializing intro\n");
    XDELETE(run.intro);
    run.intro = XNEW(IntroLogo);
    if (!run.intro->Start()) return 0;
    ClearError();

    LoadStartBackground(app);
    ApplyRequests(app.requests, config.animator);

    LogMessage(LOG_INIT, "Setting background\n");
    SetBackground();
    // The scene now exists to receive every stored value.
    config.animator->ApplyAll(KEEP_VALUE);

    config.SnapshotChannels();
    config.ClosePrompt();
    run.stepping = 1;
    run.running = 1;
    LogMessage(LOG_INIT, "Exiting vx_init\n");
    return 1;
}

// ---------------------------------------------------------------- EditorFrame

namespace {

// One step of 1/50 s: the scene moves, the animation goes on (F9 pauses it in the plain
// saver) and so do the editor's caption fades.
void StepRun(const Run& run, VxConfig& config) {
    if (SceneObject* scene = Scenes().Current()) scene->Update(&run.animator->camera);
    if (run.mode == MODE_EDITOR || run.stepping) run.animator->StepAll();
    if (run.mode == MODE_EDITOR && config.infoLine) config.infoLine->Tick();
}

}  // namespace

int EditorFrame(EditorRun& app, float seconds) {
    Run& run = app.run;
    VxConfig& config = app.config;
    if (!run.running) return 1;
    const double started = TimerSeconds();
    if (config.TakeKeys(glb->keyboard) == FRAME_LEAVE) return 0;
    if (run.mode == MODE_EDITOR) {
        int input = config.EditorInput();
        if (input == 0 || input == 2) return input;
    }
    // As many steps as the time since the last frame holds, whatever the frame rate.
    const int32_t steps = run.clock.Advance(seconds);
    for (int32_t step = 0; step < steps; ++step) StepRun(run, config);
    run.figures.steps += steps;
    run.figures.seconds += seconds;
    if (run.intro) run.intro->Update();

    Screen* screen = glb->currentScreen;
    if (!screen) return 1;
    const FrameTime time = {run.clock.Fraction(), float(seconds / STEP_SECONDS)};
    screen->BeginScene();
    CountFrame(run);
    for (int32_t monitor = 0; monitor < screen->MonitorCount(); ++monitor)
        DrawMonitor(app, screen, monitor, time);
    screen->EndScene();
    screen->Present();
    run.busySeconds += TimerSeconds() - started;
    return 1;
}

// ---------------------------------------------------------------- EditorExit

void EditorExit(EditorRun& app) {
    Run& run = app.run;
    VxConfig& config = app.config;
    LogMessage(LOG_EXIT, "Freeing VxAnimator\n");
    // Before the screen closes: the font's, the scenes', the editor's and the intro's
    // textures belong to it.
    config.textFont.Release();
    if (SceneObject* scene = Scenes().Current()) Settings.backgroundNumber = scene->Id();
    Scenes().DeleteAll();
    config.StopController();
    if (run.intro) run.intro->Release();
    XDELETE(run.intro);
    run.intro = nullptr;
    XDELETE(run.animator);
    run.animator = nullptr;
    config.animator = nullptr;
    run.running = 0;
}
