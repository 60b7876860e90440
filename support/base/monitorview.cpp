#include "base/monitorview.h"

#include <algorithm>
#include <cmath>

#include "base/camera.h"

namespace {

const double kPi = 3.14159265358979323846;

// A design coordinate on the target, to the nearest pixel.
int32_t ToPixel(float origin, float scale, float design) {
    return int32_t(std::lround(origin + scale * design));
}

}  // namespace

MonitorView MakeMonitorView(const ScreenArea& monitor, int32_t layout) {
    MonitorView view;
    view.monitor = monitor;
    view.layout = layout;
    view.scale =
        std::min(float(monitor.width) / kDesignWidth, float(monitor.height) / kDesignHeight);
    if (!(view.scale > 0.0f)) view.scale = 1.0f;
    const float spareX = float(monitor.width) - kDesignWidth * view.scale;
    const float spareY = float(monitor.height) - kDesignHeight * view.scale;
    const float share = layout == LAYOUT_PANEL_RIGHT ? 1.0f : 0.5f;
    view.originX = float(monitor.x) + spareX * share;
    view.originY = float(monitor.y) + spareY * share;
    return view;
}

FlatView FillingView(const MonitorView& view) {
    return FlatView{view.monitor, 0.0f, kDesignWidth, 0.0f, kDesignHeight};
}

void VisibleDesign(const MonitorView& view, float* left, float* top, float* right, float* bottom) {
    *left = (float(view.monitor.x) - view.originX) / view.scale;
    *top = (float(view.monitor.y) - view.originY) / view.scale;
    *right = *left + float(view.monitor.width) / view.scale;
    *bottom = *top + float(view.monitor.height) / view.scale;
}

FlatView OverlayView(const MonitorView& view, float shiftX, float shiftY) {
    FlatView flat;
    flat.viewport = view.monitor;
    VisibleDesign(view, &flat.left, &flat.top, &flat.right, &flat.bottom);
    const float dx = shiftX / view.scale, dy = shiftY / view.scale;
    flat.left -= dx;
    flat.right -= dx;
    flat.top += dy;
    flat.bottom += dy;
    return flat;
}

SceneView CameraView(const MonitorView& view, const Camera& camera) {
    const ScreenArea& m = view.monitor;
    int32_t left = m.x, top = m.y, right = m.x + m.width, bottom = m.y + m.height;
    if (view.layout != LAYOUT_SCENE_ONLY) {
        // Edges inside the design stay where the design puts them; edges on the
        // design's border reach the monitor's.
        const float x0 = camera.viewX, y0 = camera.viewY;
        const float x1 = x0 + camera.viewWidth, y1 = y0 + camera.viewHeight;
        if (x0 > 0.0f) left = ToPixel(view.originX, view.scale, x0);
        if (y0 > 0.0f) top = ToPixel(view.originY, view.scale, y0);
        if (x1 < kDesignWidth) right = ToPixel(view.originX, view.scale, x1);
        if (y1 < kDesignHeight) bottom = ToPixel(view.originY, view.scale, y1);
        left = std::clamp(left, m.x, m.x + m.width);
        right = std::clamp(right, left, m.x + m.width);
        top = std::clamp(top, m.y, m.y + m.height);
        bottom = std::clamp(bottom, top, m.y + m.height);
    }
    SceneView scene;
    scene.viewport = ScreenArea{left, top, right - left, bottom - top};
    // The field of view spans the viewport's height in the design and the width follows
    // the monitor's shape (75 degrees across on 4:3, 92 on 16:9); every target pixel is
    // as wide as it is high.
    const double t = std::tan(double(camera.fov) * kPi / 360.0);
    const double designHeight = camera.viewHeight > 0.0f ? camera.viewHeight : kDesignHeight;
    const double pixelsPerUnit = double(view.scale) * designHeight / (2.0 * t);
    scene.halfWidth = float(scene.viewport.width / 2.0 / pixelsPerUnit);
    scene.halfHeight = float(scene.viewport.height / 2.0 / pixelsPerUnit);
    return scene;
}

void FrustumMatrix(const SceneView& scene, float matrix[16]) {
    const double n = viewNear, f = viewFar;
    for (int i = 0; i < 16; ++i) matrix[i] = 0.0f;
    // glFrustum(-w, w, -h, h, n, f) with w and h the half extents at distance n.
    matrix[0] = scene.halfWidth > 0.0f ? float(1.0 / scene.halfWidth) : 0.0f;
    matrix[5] = scene.halfHeight > 0.0f ? float(1.0 / scene.halfHeight) : 0.0f;
    matrix[10] = float(-(f + n) / (f - n));
    matrix[14] = float(-2 * f * n / (f - n));
    // Looking down +z instead of -z: elements 11 and 14 negated.
    matrix[11] = 1.0f;
    matrix[14] = -matrix[14];
}
