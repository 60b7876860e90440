#include "editor.h"

#include <cstdio>

#include "animator.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "bgfile.h"
#include "bground.h"
#include "gui/bitmapfont.h"
#include "gui/keyboard.h"
#include "intro.h"
#include "misc.h"
#include "settings.h"
#include "xsystem.h"

namespace {

enum EditorMode { MODE_SAVER = 1, MODE_EDITOR = 2 };

const int kKeyF5 = KEY_F1 + 4;
const int kKeyF9 = KEY_F1 + 8;

#define NOVADRIFT_VERSION "1.0"

struct EditorState {
    int mode;
    VxAnimator* animator;
    IntroLogo* intro;
    int running;
    int stepping;  // the plain saver's animation, toggled by F9
    int editorVisible;
    // The overlays, toggled by keys.
    int showFrameRate;   // f
    int showStatistics;  // u
    int showHelp;        // F1
    int showSliderInfo;  // F5
    // Frames counted since the last measurement, its time, and the rate it gave.
    int32_t frames;
    int64_t measuredAt;
    long frameRate;
};

EditorState editor = {MODE_SAVER, nullptr, nullptr, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};

// Every text on screen; its caption box at the foot of the scene area.
BitmapFont font;
InfoLine infoLine;
// The editor's 2-D view, for the boxes it draws itself.
Camera overlayCamera;

// The channels as last loaded or saved, to tell whether leaving would lose changes.
SliderChannel savedChannels[CONTROL_COUNT];

// The scene saved at the last exit, else the first; it is created here. A missing
// texture only leaves its layer plain, so the run goes on without the error.
void SetBackground() {
    SceneList& scenes = Scenes();
    if (!scenes.FindById(Settings.backgroundNumber)) scenes.First();
    SceneObject* scene = scenes.Current();
    if (scene && !scene->Create()) {
        char message[ERROR_MESSAGE_SIZE];
        if (GetErrorMessage(message, sizeof message)) LogMessage(LOG_WARNING, "%s\n", message);
        ClearError();
    }
}

// Without the font the run goes on, only without text; the reason is in the log already.
void LoadFont() {
    if (font.Load(FONT_FILE_NAME, FONT_GLYPH_WIDTH, FONT_GLYPH_HEIGHT)) return;
    LogMessage(LOG_WARNING, "Unable to load font %s: no text is drawn\n", FONT_FILE_NAME);
    ClearError();
}

void ToggleOnKey(const KeyEvent& event) {
    switch (event.code) {
        case 'f':
            editor.showFrameRate = !editor.showFrameRate;
            break;
        case 'u':
            editor.showStatistics = !editor.showStatistics;
            break;
        case KEY_F1:
            editor.showHelp = !editor.showHelp;
            break;
        case kKeyF5:
            editor.showSliderInfo = !editor.showSliderInfo;
            infoLine.SetSliderInfoDisplay(editor.showSliderInfo);
            break;
        default:
            break;
    }
}

void DrawHelp(Screen* screen) {
    struct HelpEntry {
        float x, y;
        const char* text;
    };
    static const HelpEntry entries[] = {
        {0, 0, "F1"},   {40, 0, "Show help"},          {0, 20, "F5"}, {40, 20, "Show slider info"},
        {0, 40, "F12"}, {40, 40, "Take a screenshot"}, {0, 60, "f"},  {40, 60, "Frames per second"},
    };
    static const float divider = 135;
    screen->SetView(&overlayCamera);
    DrawOverlayBox(screen, 70, 115, 450, 344, 30, 40, 50, &divider, 1);
    char title[32];
    std::snprintf(title, sizeof title, "Novadrift v%s help", NOVADRIFT_VERSION);
    font.DrawText(title, 180, 120);
    for (const HelpEntry& entry : entries) font.DrawText(entry.text, entry.x + 75, entry.y + 145);
}

// Counted every frame, so the rate is right as soon as it is shown.
void CountFrame() {
    ++editor.frames;
    int64_t now = TimerMilliseconds();
    if (now - editor.measuredAt > 1000) {
        editor.frameRate = long(editor.frames * 1000 / (now - editor.measuredAt));
        editor.frames = 0;
        editor.measuredAt = now;
    }
}

void DrawFrameRate() {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", editor.frameRate);
    font.DrawText(text, 1, 1);
}

void DrawStatistics(const Screen* screen) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "Draw info\nPoints         : %ld\nLines          : %ld\n"
                  "Linestrip      : %ld\nTriangles      : %ld\nTriangle strip : %ld\n"
                  "Triangle fan   : %ld\nQuads          : %ld\n",
                  long(screen->points), long(screen->lines), long(screen->lineStrips),
                  long(screen->triangles), long(screen->triangleStrips), long(screen->triangleFans),
                  long(screen->quads));
    font.DrawText(text, 10, 10);
}

}  // namespace

BitmapFont* EditorFont() {
    return &font;
}

InfoLine* EditorInfoLine() {
    return &infoLine;
}

VxAnimator* EditorAnimator() {
    return editor.animator;
}

int AnimationStepping() {
    return editor.stepping;
}

void SnapshotChannels() {
    if (!editor.animator) return;
    for (int32_t id = 0; id < CONTROL_COUNT; ++id)
        savedChannels[id] = *editor.animator->Channel(id);
}

bool HasUnsavedChanges() {
    if (!editor.animator) return false;
    for (const SliderTableRow* row = SliderTable; row->id != CONTROL_END; ++row) {
        if (row->storage != CONTROL_SAVED) continue;
        const SliderChannel& now = *editor.animator->Channel(row->id);
        const SliderChannel& saved = savedChannels[row->id];
        // What the animation or a random draw moves by itself is no change of the
        // user's: an animated value, a random hold or transition length.
        if (now.low != saved.low || now.high != saved.high || now.mode != saved.mode ||
            (now.mode == ANIM_NONE && now.value != saved.value) ||
            now.delayRandom != saved.delayRandom ||
            (now.delayRandom == 0 && now.delay != saved.delay) || now.delayLow != saved.delayLow ||
            now.delayHigh != saved.delayHigh || now.transitionRandom != saved.transitionRandom ||
            (now.transitionRandom == 0 && now.transitionTime != saved.transitionTime) ||
            now.transitionLow != saved.transitionLow || now.transitionHigh != saved.transitionHigh)
            return true;
    }
    return false;
}

int vx_init(int saverOnly) {
    editor.mode = saverOnly ? MODE_SAVER : MODE_EDITOR;
    editor.editorVisible = editor.mode == MODE_EDITOR;
    editor.showFrameRate = editor.showStatistics = editor.showHelp = editor.showSliderInfo = 0;
    editor.frames = 0;
    editor.frameRate = 0;
    editor.measuredAt = TimerMilliseconds();
    SetOverlayCamera(overlayCamera);
    LogMessage(LOG_INIT, "Creating animator\n");
    XDELETE(editor.animator);
    editor.animator = XNEW(VxAnimator);
    Camera& camera = editor.animator->camera;
    camera.SetPosition(0.0f, 0.0f, -160.0f);
    // Without the editor's panel the scene has the whole virtual screen in both modes.
    camera.SetViewport(640.0f, 480.0f, 60.0f, 0.0f, 0.0f, CAMERA_SQUARE);
    // What shows when no background file replaces it.
    editor.animator->SetDefaultBackground();
    // Text is drawn in every run that shows frames: the overlays' keys work in each.
    LoadFont();
    infoLine.Setup(&font, 0, 466, 480, 13);
    infoLine.SetSliderInfoDisplay(0);

    LogMessage(LOG_INIT, "Initializing intro\n");
    XDELETE(editor.intro);
    editor.intro = XNEW(IntroLogo);
    if (!editor.intro->Start()) return 0;
    ClearError();

    LogMessage(LOG_INIT, "Loading background\n");
    if (!LoadBackground(editor.animator, BACKGROUND_FILE_NAME)) {
        // Start-up only logs: the built-in default goes on showing.
        LogMessage(LOG_INIT, "Unable to load background\n");
        ClearError();
    }

    LogMessage(LOG_INIT, "Setting background\n");
    SetBackground();
    // The scene now exists to receive every stored value.
    editor.animator->ApplyAll(0);

    SnapshotChannels();
    editor.stepping = 1;
    editor.running = 1;
    LogMessage(LOG_INIT, "Exiting vx_init\n");
    return 1;
}

int EditorFrame(float) {
    if (!editor.running) return 1;
    Keyboard* keyboard = glb->keyboard;
    KeyEvent event;
    while (keyboard && keyboard->GetEvent(&event)) {
        if (!(event.flags & KEYFLAG_DOWN)) continue;
        // Escape is the only way out of a run that has no closing rules. The prompt
        // that offers to save changes first comes with the editor's panel.
        if (event.code == KEY_ESCAPE && !HasUnsavedChanges()) return 0;
        ToggleOnKey(event);
    }
    // Only a new press toggles: a held key would flip it every frame.
    if (keyboard && (keyboard->WasPressed(kKeyF9) & KEYSTATE_PRESSED))
        editor.stepping = !editor.stepping;

    SceneObject* scene = Scenes().Current();
    if (scene) scene->Update(&editor.animator->camera);
    // One step of 1/50 s per frame, whatever the frame took.
    if (editor.mode == MODE_EDITOR || editor.stepping) editor.animator->StepAll();
    if (editor.intro) editor.intro->Update();

    Screen* screen = glb->currentScreen;
    if (!screen) return 1;
    screen->BeginScene();
    if (scene) {
        scene->Draw();
    } else {
        static const Rgba black = {0, 0, 0, 255};
        screen->Clear(&black, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
    }
    if (editor.intro) editor.intro->Draw(&editor.animator->camera);
    if (editor.showHelp) DrawHelp(screen);
    CountFrame();
    if (editor.showFrameRate) DrawFrameRate();
    if (editor.showStatistics) DrawStatistics(screen);
    screen->EndScene();
    screen->Present();
    return 1;
}

void EditorExit() {
    LogMessage(LOG_EXIT, "Freeing VxAnimator\n");
    // Before the screen closes: the font's, the scenes' and the intro's textures
    // belong to it.
    font.Release();
    if (SceneObject* scene = Scenes().Current()) Settings.backgroundNumber = scene->Id();
    Scenes().DeleteAll();
    if (editor.intro) editor.intro->Release();
    XDELETE(editor.intro);
    editor.intro = nullptr;
    XDELETE(editor.animator);
    editor.animator = nullptr;
    editor.running = 0;
}
