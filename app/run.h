// The run: what one start of the program shows and how its time goes. It owns the
// animator and the intro, the switches the keys toggle (the overlays, F9's stepping, the
// editor's panel), the step clock and the frame figures. The editor (VxConfig) edits
// the run's animator and toggles its switches; the scene objects live in the scene list.
#pragma once

#include <cstdint>

#include "stepclock.h"

class IntroLogo;
class VxAnimator;

// The run's kind: the plain saver (scene only) or the editor.
enum EditorMode { MODE_SAVER = 1, MODE_EDITOR = 2 };

struct Run {
    int32_t mode = MODE_SAVER;
    VxAnimator* animator = nullptr;
    IntroLogo* intro = nullptr;
    int32_t running = 0;
    int32_t stepping = 1;  // the plain saver's animation, toggled by F9
    int32_t editorVisible = 0;
    int32_t showFrameRate = 0;   // f: FrameRateShown
    int32_t showStatistics = 0;  // u
    int32_t showHelp = 0;        // F1
    int32_t showSliderInfo = 0;  // F5
    // Frames counted since the last measurement, its time in seconds, the seconds the
    // frames took in that time, and the rate and the load (per cent busy) they gave.
    int32_t frames = 0;
    double measuredAt = 0;
    double busySeconds = 0;
    double frameRate = 0;
    double load = 0;
    // Steps by the wall clock, and what the run drew.
    StepClock clock;
    FrameFigures figures;
};
