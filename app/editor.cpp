#include "editor.h"

#include "animator.h"
#include "ansi/memory.h"
#include "base/screenb.h"
#include "bgfile.h"
#include "bground.h"
#include "gui/keyboard.h"
#include "misc.h"
#include "settings.h"
#include "xsystem.h"

namespace {

enum EditorMode { MODE_SAVER = 1, MODE_EDITOR = 2 };

const int kKeyF9 = KEY_F1 + 8;

struct EditorState {
    int mode;
    VxAnimator* animator;
    int running;
    int stepping;  // the plain saver's animation, toggled by F9
};

EditorState editor = {MODE_SAVER, nullptr, 0, 1};

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

}  // namespace

VxAnimator* EditorAnimator() {
    return editor.animator;
}

int AnimationStepping() {
    return editor.stepping;
}

void SnapshotChannels() {
    if (!editor.animator) return;
    for (int32_t id = 0; id < CONTROL_COUNT; ++id) savedChannels[id] = *editor.animator->Channel(id);
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
    LogMessage(LOG_INIT, "Creating animator\n");
    XDELETE(editor.animator);
    editor.animator = XNEW(VxAnimator);
    Camera& camera = editor.animator->camera;
    camera.SetPosition(0.0f, 0.0f, -160.0f);
    // Without the editor's panel the scene has the whole virtual screen in both modes.
    camera.SetViewport(640.0f, 480.0f, 60.0f, 0.0f, 0.0f, CAMERA_SQUARE);
    // What shows when no background file replaces it.
    editor.animator->SetDefaultBackground();

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
    }
    // Only a new press toggles: a held key would flip it every frame.
    if (keyboard && (keyboard->WasPressed(kKeyF9) & KEYSTATE_PRESSED))
        editor.stepping = !editor.stepping;

    SceneObject* scene = Scenes().Current();
    if (scene) scene->Update(&editor.animator->camera);
    // One step of 1/50 s per frame, whatever the frame took.
    if (editor.mode == MODE_EDITOR || editor.stepping) editor.animator->StepAll();

    Screen* screen = glb->currentScreen;
    if (!screen) return 1;
    screen->BeginScene();
    if (scene) {
        scene->Draw();
    } else {
        static const Rgba black = {0, 0, 0, 255};
        screen->Clear(&black, 0.0f, CLEAR_COLOUR | CLEAR_DEPTH);
    }
    screen->EndScene();
    screen->Present();
    return 1;
}

void EditorExit() {
    LogMessage(LOG_EXIT, "Freeing VxAnimator\n");
    if (SceneObject* scene = Scenes().Current()) Settings.backgroundNumber = scene->Id();
    // Before the screen closes: the scenes' textures belong to it.
    Scenes().DeleteAll();
    XDELETE(editor.animator);
    editor.animator = nullptr;
    editor.running = 0;
}
