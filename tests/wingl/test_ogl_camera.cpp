// The OpenGL screen's 3-D view: quads placed in the world through a Camera land where
// the frustum puts them. The expected places are worked out here from the frustum,
// not from the camera's own helpers: with near 1, a = tan(fov / 2) over the viewport's
// height and t = a times its width over its height (square pixels, whatever the
// camera's square flag), a camera-space point (x, y, z) lands on the virtual screen
// at
//   viewX + viewWidth / 2 x (1 + (x / z) / t),  viewY + viewHeight / 2 x (1 - (y / z) / a),
// scaled to the mode; points behind the camera are not drawn.
#include <gtest/gtest.h>

#include <cmath>

#include "base/camera.h"
#include "ogl_fixture.h"
#include "win/scr_ogl.h"

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const double kPi = 3.14159265358979323846;
// Edges are checked this many virtual pixels inside and outside where they should be.
const float kEdgeMargin = 3;

struct Point {
    float x, y, z;
};

// The frustum of a camera as the checks use it.
struct Frustum {
    float viewX, viewY, viewWidth, viewHeight;
    double t, a;

    Frustum(float x, float y, float width, float height, float fov)
        : viewX(x), viewY(y), viewWidth(width), viewHeight(height) {
        a = std::tan(fov * kPi / 360.0);
        t = a * width / height;
    }
    // A camera-space point on the virtual screen.
    float ScreenX(const Point& p) const {
        return float(viewX + viewWidth / 2 * (1 + p.x / p.z / t));
    }
    float ScreenY(const Point& p) const {
        return float(viewY + viewHeight / 2 * (1 - p.y / p.z / a));
    }
    // Half the size on the virtual screen of a length at depth z.
    float HalfWidth(float half, float z) const { return float(viewWidth / 2 * half / z / t); }
    float HalfHeight(float half, float z) const { return float(viewHeight / 2 * half / z / a); }
};

// A square of half size `half` around a world point, spanned by two world axes.
void WorldQuad(Vertex out[4], Point centre, Point across, Point up, float half, Colour colour) {
    const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        float s = signs[i][0] * half, u = signs[i][1] * half;
        out[i] = MakeVertex(centre.x + s * across.x + u * up.x, centre.y + s * across.y + u * up.y,
                            centre.z + s * across.z + u * up.z, colour);
    }
}

const Point kAlongX = {1, 0, 0};
const Point kAlongY = {0, 1, 0};
const Point kAlongZ = {0, 0, 1};

}  // namespace

class OglCameraTest : public OglScreenTest {
protected:
    void DrawQuad(Point centre, Point across, Point up, float half, Colour colour) {
        Vertex quad[4];
        WorldQuad(quad, centre, across, up, half, colour);
        ASSERT_EQ(screen->DrawPrimitive(PRIM_QUADS, quad, 4, 0), 1);
    }
    // A camera-facing quad drawn at `world`, seen at `view` in camera space, is
    // coloured inside its projected rectangle and not just outside it.
    void ExpectQuad(const Frustum& frustum, Point view, float half, Colour colour, Colour outside) {
        float x = frustum.ScreenX(view), y = frustum.ScreenY(view);
        float w = frustum.HalfWidth(half, view.z), h = frustum.HalfHeight(half, view.z);
        SCOPED_TRACE(::testing::Message() << "quad expected at (" << x << ", " << y
                                          << ") half size " << w << " x " << h);
        EXPECT_COLOUR(AtVirtual(x, y), colour, 0);
        EXPECT_COLOUR(AtVirtual(x - w + kEdgeMargin, y), colour, 0);
        EXPECT_COLOUR(AtVirtual(x + w - kEdgeMargin, y), colour, 0);
        EXPECT_COLOUR(AtVirtual(x, y - h + kEdgeMargin), colour, 0);
        EXPECT_COLOUR(AtVirtual(x, y + h - kEdgeMargin), colour, 0);
        EXPECT_COLOUR(AtVirtual(x - w - kEdgeMargin, y), outside, 1);
        EXPECT_COLOUR(AtVirtual(x + w + kEdgeMargin, y), outside, 1);
        EXPECT_COLOUR(AtVirtual(x, y - h - kEdgeMargin), outside, 1);
        EXPECT_COLOUR(AtVirtual(x, y + h + kEdgeMargin), outside, 1);
    }
};

TEST_F(OglCameraTest, TheFrustumLooksDownPlusZWithSquarePixels) {
    StartFrame(kBlack);
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    ASSERT_EQ(screen->SetView(&camera), 1);
    screen->SetSurface(nullptr);
    DrawQuad({0, 0, 10}, kAlongX, kAlongY, 0.5f, kRed);
    DrawQuad({3, 0, 10}, kAlongX, kAlongY, 0.5f, kGreen);
    DrawQuad({0, 3, 10}, kAlongX, kAlongY, 0.5f, kBlue);
    // Behind the camera, and large enough to cover the centre if it were drawn.
    DrawQuad({0, 0, -10}, kAlongX, kAlongY, 4, kWhite);
    ReadFrame();

    const Frustum frustum(0, 0, 640, 480, 60);
    const Colour black = ClearedColour(kBlack);
    ExpectQuad(frustum, {0, 0, 10}, 0.5f, kRed, black);
    ExpectQuad(frustum, {3, 0, 10}, 0.5f, kGreen, black);
    ExpectQuad(frustum, {0, 3, 10}, 0.5f, kBlue, black);
    // The numbers the formula gives: x > 0 lands right of centre, y > 0 above it, as
    // far for the same distance.
    EXPECT_NEAR(frustum.ScreenX({3, 0, 10}), 320 + 240 * 0.3 / std::tan(kPi / 6), 0.01);
    EXPECT_NEAR(240 - frustum.ScreenY({0, 3, 10}), frustum.ScreenX({3, 0, 10}) - 320, 0.01);
    EXPECT_GT(frustum.ScreenX({3, 0, 10}), 440);
    EXPECT_LT(frustum.ScreenY({0, 3, 10}), 120);
    // Nothing of the quad behind: around the centre quad all stays clear.
    EXPECT_COLOUR(AtVirtual(320 + 60, 240 + 60), black, 1);
    EXPECT_COLOUR(AtVirtual(320 - 60, 240 - 60), black, 1);
}

TEST_F(OglCameraTest, FrustumOfAWideViewportIsShorterThanWide) {
    StartFrame(kBlack);
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    ASSERT_EQ(screen->SetView(&camera), 1);
    screen->SetSurface(nullptr);
    DrawQuad({0, 0, 10}, kAlongX, kAlongY, 0.5f, kRed);
    DrawQuad({0, 3, 10}, kAlongX, kAlongY, 0.5f, kBlue);
    ReadFrame();
    // t = 4 a / 3: the field widens with the viewport, so a square stays square on screen.
    const Frustum frustum(0, 0, 640, 480, 60);
    EXPECT_NEAR(frustum.t, 4.0 / 3.0 * std::tan(kPi / 6), 1e-9);
    const Colour black = ClearedColour(kBlack);
    ExpectQuad(frustum, {0, 0, 10}, 0.5f, kRed, black);
    ExpectQuad(frustum, {0, 3, 10}, 0.5f, kBlue, black);
}

TEST_F(OglCameraTest, ViewportAndPositionPlaceTheView) {
    StartFrame(kBlack);
    Camera camera;
    // The top-right quarter of the virtual screen, the camera moved 3 along x.
    camera.SetViewport(320, 240, 60, 320, 0, CAMERA_SQUARE);
    camera.SetPosition(3, 0, 0);
    ASSERT_EQ(screen->SetView(&camera), 1);
    screen->SetSurface(nullptr);
    // A quad far larger than the view fills the viewport and nothing else.
    DrawQuad({3, 0, 20}, kAlongX, kAlongY, 100, kBlue);
    DrawQuad({3, 0, 10}, kAlongX, kAlongY, 0.5f, kRed);
    ReadFrame();

    const Frustum frustum(320, 0, 320, 240, 60);
    EXPECT_FLOAT_EQ(frustum.ScreenX({0, 0, 10}), 480);
    EXPECT_FLOAT_EQ(frustum.ScreenY({0, 0, 10}), 120);
    ExpectQuad(frustum, {0, 0, 10}, 0.5f, kRed, kBlue);
    const Colour black = ClearedColour(kBlack);
    EXPECT_COLOUR(AtVirtual(322, 2), kBlue, 0);
    EXPECT_COLOUR(AtVirtual(637, 237), kBlue, 0);
    EXPECT_COLOUR(AtVirtual(317, 2), black, 1);
    EXPECT_COLOUR(AtVirtual(322, 242), black, 1);
    EXPECT_COLOUR(AtVirtual(100, 400), black, 1);
}

TEST_F(OglCameraTest, RotatedCameraLooksWhereItsOrientationSays) {
    StartFrame(kBlack);
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    // 90 degrees about y: camera space is (world z, world y, -world x), so the camera
    // looks down world -x and world +z is to its right.
    camera.SetRotation(0, 90, 0);
    ASSERT_EQ(screen->SetView(&camera), 1);
    screen->SetSurface(nullptr);
    DrawQuad({-10, 0, 0}, kAlongZ, kAlongY, 0.5f, kRed);
    DrawQuad({-10, 0, 3}, kAlongZ, kAlongY, 0.5f, kGreen);
    // Down +x, now behind the camera.
    DrawQuad({10, 0, 0}, kAlongZ, kAlongY, 4, kWhite);
    ReadFrame();

    const Frustum frustum(0, 0, 640, 480, 60);
    const Colour black = ClearedColour(kBlack);
    ExpectQuad(frustum, {0, 0, 10}, 0.5f, kRed, black);
    ExpectQuad(frustum, {3, 0, 10}, 0.5f, kGreen, black);
    EXPECT_COLOUR(AtVirtual(320 - 60, 240 + 60), black, 1);
}

TEST_F(OglCameraTest, OverlayViewComesBackAfterTheCamera) {
    StartFrame(kBlack);
    Camera camera;
    camera.SetViewport(320, 240, 60, 320, 0, CAMERA_SQUARE);
    ASSERT_EQ(screen->SetView(&camera), 1);
    ASSERT_EQ(screen->SetView(nullptr), 1);
    ASSERT_EQ(DrawOverlayQuad(10, 400, 110, 470, kGreen), 1);
    ReadFrame();
    // The whole screen again, y downward.
    EXPECT_COLOUR(AtVirtual(60, 435), kGreen, 0);
    EXPECT_COLOUR(AtVirtual(60, 395), ClearedColour(kBlack), 1);
}
