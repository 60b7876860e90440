// The application's part of every frame: loading the scene once, then one frame of
// update, animation and drawing per main-loop pass, and the teardown.
#pragma once

#include <cstdint>

#include "ansi/file.h"
#include "run.h"
#include "vxconfig.h"

// What the launcher of a run asks beyond the settings and the background file: the
// XScreenSaver module's options (support/posix/moduleoptions). The Win32 entry asks
// nothing, and a run that is asked nothing is as before.
// How the frame rate shows: the editor's number at the top left (the f key), or the
// overlay XScreenSaver's modules show with -fps: "FPS: 49.9" over "Load: 12.3%" (the
// share of the time spent on frames) at the bottom left.
enum FrameRateShown { FRAME_RATE_HIDDEN = 0, FRAME_RATE_NUMBER = 1, FRAME_RATE_OVERLAY = 2 };

struct RunRequests {
    int showFrameRate;                    // FrameRateShown from the first frame
    int32_t starCount;                    // stars held at this count; -1: as the background says
    float speedFactor;                    // the speed toward the viewer, its range too, times this
    char backgroundFile[FILE_NAME_SIZE];  // read instead of BGround.qvb; empty: none
    // Where the launcher wants a request it made that cannot be met said (one line);
    // null: only the log has it.
    void (*tellUser)(const char* line);
    int32_t frameDelay;  // microseconds a frame (-delay); 0: the display's pace
};
// What the launcher asks of this start of the program, set before the application's
// main starts, which makes its EditorRun with it.
RunRequests& RequestsOfThisRun();

// One start of the program: what its launcher asked, the run and the editor that edits
// it. The application's main makes it and hands it to the main loop, which hands it to
// vx_init, EditorFrame and EditorExit.
struct EditorRun {
    // Nothing asked.
    EditorRun();
    explicit EditorRun(const RunRequests& asked);
    EditorRun(const EditorRun&) = delete;
    EditorRun& operator=(const EditorRun&) = delete;

    RunRequests requests;
    Run run;
    // The editor controller, in both modes (the plain saver uses its saved channels
    // only), with the font every text of the run is drawn with and the caption box.
    VxConfig config;
};

// Loads what the run shows: the animator, in the editor gui.cfg's pages (0 when it
// cannot be loaded), the font (a missing one only leaves the run without text), the
// intro (0 when its atlas cannot be loaded), the background file and the scene.
// saverOnly 1 is the plain saver, 0 the editor. 1 loaded, 0 failed.
int vx_init(EditorRun& app, int saverOnly);
// One frame, the seconds since the last one: Escape leaves, or asks first when there are unsaved
// changes ("y" saves and leaves, "n" leaves, Escape closes the question); Space hides and shows the
// editor; f, u, F1 and F5 toggle the frame rate, the draw statistics, the help box and the slider
// numbers' box; the editor's input; as many steps of 1/50 s as the run's step clock takes from the
// seconds (each the current scene's update, the animation's step, which F9 pauses and resumes in
// the plain saver, and the captions' fade); the intro's update; the scene (between its last two
// steps), the intro, the editor and the overlays drawn and presented. 1 stay, 0 leave.
int EditorFrame(EditorRun& app, float seconds);
// The font released, the scene list emptied (the current scene's identifier kept for
// the next start), the editor's pages, prompt and pointer, the intro and the animator
// freed.
void EditorExit(EditorRun& app);
