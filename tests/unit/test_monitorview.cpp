// The frame laid over monitors of every shape: the 3-D scene keeps square pixels at one
// scale, reaching the monitor's edges; the 2-D design keeps its proportions, centred or
// at the bottom right for the editor's panel.
#include <gtest/gtest.h>

#include <cmath>

#include "base/camera.h"
#include "base/monitorview.h"

namespace {

const double kT = std::tan(3.14159265358979323846 / 6);  // tan(30 degrees)

Camera SceneCamera(float width, float height) {
    Camera camera;
    camera.SetViewport(width, height, 60, 0, 0, CAMERA_SQUARE);
    return camera;
}

void ExpectArea(const ScreenArea& area, int32_t x, int32_t y, int32_t width, int32_t height) {
    EXPECT_EQ(area.x, x);
    EXPECT_EQ(area.y, y);
    EXPECT_EQ(area.width, width);
    EXPECT_EQ(area.height, height);
}

// Target pixels per unit of x / z and of y / z: equal, so nothing is stretched.
double PixelsPerUnitX(const SceneView& scene) {
    return scene.viewport.width / 2.0 / scene.halfWidth;
}
double PixelsPerUnitY(const SceneView& scene) {
    return scene.viewport.height / 2.0 / scene.halfHeight;
}

TEST(MonitorView, TheSceneKeepsSquarePixelsAndOneScaleOnEveryShape) {
    const Camera camera = SceneCamera(640, 480);
    // 4:3, as the design: 60 degrees up and down, 75 across, square pixels.
    SceneView square = CameraView(MakeMonitorView({0, 0, 1024, 768}, LAYOUT_CENTRED), camera);
    ExpectArea(square.viewport, 0, 0, 1024, 768);
    EXPECT_NEAR(square.halfHeight, kT, 1e-6);
    EXPECT_NEAR(square.halfWidth, kT * 4 / 3, 1e-6);
    // 16:9 beside it: the same height of the scene, more at the sides (92 degrees).
    SceneView wide = CameraView(MakeMonitorView({1024, 0, 1280, 720}, LAYOUT_CENTRED), camera);
    ExpectArea(wide.viewport, 1024, 0, 1280, 720);
    EXPECT_NEAR(wide.halfHeight, kT, 1e-6);
    EXPECT_NEAR(wide.halfWidth, kT * 16 / 9, 1e-6);
    // Portrait: the design's 75 degrees across, more above and below.
    SceneView tall = CameraView(MakeMonitorView({0, 0, 768, 1024}, LAYOUT_CENTRED), camera);
    EXPECT_NEAR(tall.halfWidth, kT * 4 / 3, 1e-6);
    EXPECT_NEAR(tall.halfHeight, kT * 16 / 9, 1e-6);
    for (const SceneView* scene : {&square, &wide, &tall})
        EXPECT_NEAR(PixelsPerUnitX(*scene), PixelsPerUnitY(*scene), 1e-3);
    // One scale: a monitor of the same height shows a thing as tall.
    EXPECT_NEAR(PixelsPerUnitY(wide) / 720.0, PixelsPerUnitY(square) / 768.0, 1e-6);
}

TEST(MonitorView, TheEditorPanelStandsAtTheRightEdgeWithTheSceneBesideIt) {
    // 16:9: the design scaled 1.5 (720 / 480) and put at the right.
    const MonitorView panel = MakeMonitorView({0, 0, 1280, 720}, LAYOUT_PANEL_RIGHT);
    EXPECT_FLOAT_EQ(panel.scale, 1.5f);
    EXPECT_FLOAT_EQ(panel.originX, 320.0f);
    EXPECT_FLOAT_EQ(panel.originY, 0.0f);
    // The scene's 480 x 466 reaches from the left edge to the panel (480 in the design)
    // and from the top to the info line (466).
    const Camera editor = SceneCamera(480, 466);
    SceneView scene = CameraView(panel, editor);
    ExpectArea(scene.viewport, 0, 0, 320 + 720, 699);
    EXPECT_NEAR(PixelsPerUnitX(scene), PixelsPerUnitY(scene), 1e-3);
    // The same camera on another monitor covers it all, at the same scale.
    SceneView other = CameraView(MakeMonitorView({1280, 0, 1024, 768}, LAYOUT_SCENE_ONLY), editor);
    ExpectArea(other.viewport, 1280, 0, 1024, 768);
    EXPECT_NEAR(PixelsPerUnitX(other) / 1.6, PixelsPerUnitX(scene) / 1.5, 1e-3);
    // Centred on 4:3 it is the design's own place, scaled.
    SceneView centred = CameraView(MakeMonitorView({0, 0, 1280, 960}, LAYOUT_CENTRED), editor);
    ExpectArea(centred.viewport, 0, 0, 960, 932);
}

TEST(MonitorView, TwoDimensionalViewsKeepTheDesignOrFillTheMonitor) {
    const MonitorView wide = MakeMonitorView({1024, 48, 1280, 720}, LAYOUT_CENTRED);
    EXPECT_FLOAT_EQ(wide.originX, 1024 + 160.0f);
    FlatView overlay = OverlayView(wide, 0, 0);
    ExpectArea(overlay.viewport, 1024, 48, 1280, 720);
    EXPECT_NEAR(overlay.left, -160 / 1.5, 1e-4);
    EXPECT_NEAR(overlay.right, 640 + 160 / 1.5, 1e-4);
    EXPECT_NEAR(overlay.top, 0, 1e-4);
    EXPECT_NEAR(overlay.bottom, 480, 1e-4);
    // A 2-D camera's x and y move the picture right and up by pixels.
    FlatView shifted = OverlayView(wide, 15, 30);
    EXPECT_NEAR(shifted.left, overlay.left - 10, 1e-4);
    EXPECT_NEAR(shifted.top, overlay.top + 20, 1e-4);
    FlatView fill = FillingView(wide);
    ExpectArea(fill.viewport, 1024, 48, 1280, 720);
    EXPECT_EQ(fill.left, 0);
    EXPECT_EQ(fill.right, 640);
    EXPECT_EQ(fill.bottom, 480);
    // A quarter viewport inside the design stays where the design has it.
    Camera quarter;
    quarter.SetViewport(320, 240, 60, 320, 240, CAMERA_SQUARE);
    SceneView scene = CameraView(MakeMonitorView({0, 0, 640, 480}, LAYOUT_CENTRED), quarter);
    ExpectArea(scene.viewport, 320, 240, 320, 240);
}

}  // namespace
