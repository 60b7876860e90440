// The application's part of every frame: loading the scene once, then one frame of
// update, animation and drawing per main-loop pass, and the teardown.
#pragma once

class VxAnimator;

// Loads what the run shows; saverOnly 1 is the plain saver, 0 the editor. 1 loaded, 0
// failed.
int vx_init(int saverOnly);
// One frame: Escape leaves unless there are unsaved changes; the current scene's
// update, one animation step (F9 pauses and resumes it in the plain saver), the scene
// drawn and presented. 1 stay, 0 leave.
int EditorFrame(float seconds);
// The scene list emptied (the current scene's identifier kept for the next start) and
// the animator freed.
void EditorExit();

// The animator made by vx_init; null before it and after EditorExit.
VxAnimator* EditorAnimator();
// Whether the plain saver steps the animation each frame.
int AnimationStepping();

// Keeps every channel as it is now: the state a background file was loaded or saved in.
void SnapshotChannels();
// Whether a saved channel differs from its snapshot in what the user sets (range, mode,
// timing, and the value of a channel that is not animated).
bool HasUnsavedChanges();
