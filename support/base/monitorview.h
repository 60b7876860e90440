// How one frame is laid over the monitors a screen draws on.
//
// A screen draws on one target (its window, or the display) that may span several
// monitors. Every monitor shows the same frame: the program draws it once per monitor,
// through that monitor's part of the target (Screen::UseMonitor). The platform says
// where its monitors lie on the target; on a platform with one window, that window is
// the one monitor.
//
// The 2-D layer is designed for the virtual 640 x 480 screen. On a monitor of another
// shape it keeps its proportions, scaled uniformly until it fits: centred, or for the
// editor's monitor at the bottom right, so that the panel stays at the right edge and
// the info line at the foot. Layers that fill the screen (backdrop, motion-blur fade)
// are drawn over the whole monitor. The 3-D scene keeps square pixels: a camera's
// viewport is placed with the same scale, and where it touches the design's edges it
// reaches out to the monitor's, so a wider monitor sees more at its sides and a taller
// one more above and below, all at one scale: the camera's field of view over its
// viewport's height in the design. So everything a 640 x 480 viewport holds at 60
// degrees up and down stays in view on every shape: 4:3 sees 75 degrees across, 16:9
// 92, and a portrait monitor keeps the design's width and sees more above and below.
//
// Contents: areas and layouts; the view of one monitor; what a device's SetView sets
// for a fill, a 2-D camera or a 3-D camera; the frustum matrix.
#pragma once

#include <cstdint>

class Camera;

// A rectangle of the target in pixels, y downward from the target's top.
struct ScreenArea {
    int32_t x, y, width, height;
};

// Where the 640 x 480 design lies on a monitor.
enum MonitorLayout {
    LAYOUT_CENTRED = 0,      // centred; a 3-D viewport as the design places it
    LAYOUT_PANEL_RIGHT = 1,  // at the bottom right: the editor's panel at the right edge
    LAYOUT_SCENE_ONLY = 2,   // centred; every 3-D viewport covers the whole monitor
};

// The design size.
const float kDesignWidth = 640.0f;
const float kDesignHeight = 480.0f;

// One monitor with the design laid over it.
struct MonitorView {
    ScreenArea monitor;
    float scale;             // target pixels per design unit, both ways
    float originX, originY;  // where the design's (0, 0) lies on the target
    int32_t layout;          // MonitorLayout
};

MonitorView MakeMonitorView(const ScreenArea& monitor, int32_t layout);

// A 2-D view: the target area drawn on, and the design coordinates at its edges.
struct FlatView {
    ScreenArea viewport;
    float left, right, top, bottom;
};

// The whole monitor, showing design 0..640 x 0..480 stretched to its shape: for the
// layers that fill the screen.
FlatView FillingView(const MonitorView& view);
// The whole monitor, showing the design at its uniform scale; a 2-D camera's x and y
// move the picture that many pixels right and up.
FlatView OverlayView(const MonitorView& view, float shiftX, float shiftY);
// The design rectangle a monitor shows at the uniform scale: what an overlay view's
// edges are without a shift.
void VisibleDesign(const MonitorView& view, float* left, float* top, float* right, float* bottom);

// A 3-D view: the target area drawn on, and the frustum's half width and half height
// at distance 1 from the eye.
struct SceneView {
    ScreenArea viewport;
    float halfWidth, halfHeight;
};

SceneView CameraView(const MonitorView& view, const Camera& camera);
// The frustum of a scene view between the program's near and far distances, looking
// down +z, as a column-major 4 x 4 matrix (glFrustum with elements 11 and 14 negated).
void FrustumMatrix(const SceneView& scene, float matrix[16]);
