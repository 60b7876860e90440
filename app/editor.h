// The application's part of every frame: loading the scene once, then one frame of
// update, animation and drawing per main-loop pass, and the teardown.
#pragma once

class BitmapFont;
class InfoLine;
class VxAnimator;

// Loads what the run shows: the animator, the font (a missing one only leaves the run
// without text), the intro (0 when its atlas cannot be loaded), the background file and
// the scene. saverOnly 1 is the plain saver, 0 the editor. 1 loaded, 0 failed.
int vx_init(int saverOnly);
// One frame: Escape leaves unless there are unsaved changes; f, u, F1 and F5 toggle the
// frame rate, the draw statistics, the help box and the slider numbers' box; the
// current scene's update, one animation step (F9 pauses and resumes it in the plain
// saver), the intro's update; the scene, the intro and the overlays drawn and
// presented. 1 stay, 0 leave.
int EditorFrame(float seconds);
// The font released, the scene list emptied (the current scene's identifier kept for
// the next start), the intro and the animator freed.
void EditorExit();

// The font every text of the run is drawn with, and the caption box.
BitmapFont* EditorFont();
InfoLine* EditorInfoLine();

// The animator made by vx_init; null before it and after EditorExit.
VxAnimator* EditorAnimator();
// Whether the plain saver steps the animation each frame.
int AnimationStepping();

// Keeps every channel as it is now: the state a background file was loaded or saved in.
void SnapshotChannels();
// Whether a saved channel differs from its snapshot in what the user sets (range, mode,
// timing, and the value of a channel that is not animated).
bool HasUnsavedChanges();
