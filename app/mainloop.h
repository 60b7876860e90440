// The main loop: one pass per frame through the system step, the frame time and the
// state machine start → load → run → stop → exit. While the frames cannot be seen
// (framepacing.h) it rests in the message wait.
#pragma once

#include <cstdint>

struct EditorRun;

enum MainState {
    STATE_START = 1,
    STATE_LOAD = 2,
    STATE_RUN = 3,
    STATE_STOP = 4,
    STATE_EXIT = 9,
};

// What the loop calls of the application, with the run it was given. Replaceable so the
// loop itself can be run against a recording application.
struct AppFrameHooks {
    int (*load)(EditorRun& app, int saverOnly);   // 1 loaded, 0 failed
    int (*frame)(EditorRun& app, float seconds);  // 0 leave, 1 stay (2 counts as leave)
    void (*teardown)(EditorRun& app);
};

AppFrameHooks& AppHooks();

// 0 after the teardown of STATE_EXIT; 1 when the loop ends otherwise.
int MainLoop(EditorRun& app, int continuous);
void SetMainState(int state);
int GetMainState();
int32_t FrameCounter();
