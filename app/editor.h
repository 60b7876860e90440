// The application's part of every frame: loading the scene once, then one frame of
// update, animation and drawing per main-loop pass, and the teardown.
#pragma once

// Loads what the run shows; saverOnly 1 leaves the editor out. 1 loaded, 0 failed.
int vx_init(int saverOnly);
// One frame: 1 stay, 0 leave.
int EditorFrame(float seconds);
void EditorExit();
