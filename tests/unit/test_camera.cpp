// Camera: its fields and operations, and the transform that the screens build
// from it, checked against numbers worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "ansi/memory.h"
#include "base/camera.h"
#include "base/monitorview.h"

namespace {

const double kPi = 3.14159265358979323846;
const float kTolerance = 1e-5f;

void ExpectMatrix(const Camera& camera, const float (&expected)[3][3], float tolerance = 1e-5f) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(camera.orientation[i][j], expected[i][j], tolerance)
                << "orientation[" << i << "][" << j << "]";
}

void ExpectVector(const float* actual, float x, float y, float z, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

const float kIdentity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// column-major 4 x 4 times (x, y, z, 1)
void Transform(const float m[16], const float in[3], float out[4]) {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row];
}

TEST(Camera, CreationIsTheIdentityAtTheOriginOverTheVirtualScreen) {
    Camera camera;
    ExpectMatrix(camera, kIdentity, 0);
    ExpectVector(camera.position, 0, 0, 0, 0);
    ExpectVector(camera.rotatedPosition, 0, 0, 0, 0);
    ExpectVector(camera.axes[0], 1, 0, 0, 0);
    ExpectVector(camera.axes[1], 0, 1, 0, 0);
    ExpectVector(camera.axes[2], 0, 0, 1, 0);
    EXPECT_EQ(camera.rotationChanged, 0);
    EXPECT_EQ(camera.viewWidth, 640);
    EXPECT_EQ(camera.viewHeight, 480);
    EXPECT_EQ(camera.halfWidth, 320);
    EXPECT_EQ(camera.halfHeight, 240);
    EXPECT_EQ(camera.viewX, 0);
    EXPECT_EQ(camera.viewY, 0);
    EXPECT_EQ(camera.flags, 0);
    // SetViewport with fov 0 at creation: no field of view and no scales yet.
    EXPECT_EQ(camera.fov, 0);
    EXPECT_EQ(camera.scaleX, 0);
    EXPECT_EQ(camera.scaleY, 0);
    for (float value : camera.reserved) EXPECT_FLOAT_EQ(value, 0.1f);
}

TEST(Camera, MadeWithTheTrackedAllocatorLikeTheProgramsDefaultCamera) {
    Camera* camera = XNEW(Camera);
    camera->SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    EXPECT_EQ(camera->flags, CAMERA_SQUARE);
    EXPECT_FLOAT_EQ(camera->fov, 60);
    XDELETE(camera);
}

TEST(Camera, SixtyDegreesAt640x480GivesEqualScales) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    // 320 / tan(30 degrees) = 554.2562584...
    EXPECT_NEAR(camera.scaleX, 554.25626f, 1e-3f);
    EXPECT_NEAR(camera.scaleX, 320 / std::tan(kPi / 6), 1e-3);
    EXPECT_FLOAT_EQ(camera.scaleY, camera.scaleX);
    EXPECT_FLOAT_EQ(camera.fov, 60);
}

TEST(Camera, ScaleYTakesTheLargerSideOverTheSmaller) {
    Camera camera;
    // A portrait viewport: scaleY = 150 / tan(45) x 300 / 200 = 225; scaleX = 100.
    camera.SetViewport(200, 300, 90, 10, 20, 0);
    EXPECT_NEAR(camera.scaleX, 100.0f, 1e-3f);
    EXPECT_NEAR(camera.scaleY, 225.0f, 1e-3f);
    EXPECT_EQ(camera.viewX, 10);
    EXPECT_EQ(camera.viewY, 20);
    EXPECT_EQ(camera.halfWidth, 100);
    EXPECT_EQ(camera.halfHeight, 150);
}

TEST(Camera, FieldOfViewIsClampedTo20Through170) {
    Camera camera;
    camera.SetFov(10);
    EXPECT_EQ(camera.fov, 20);
    camera.SetFov(200);
    EXPECT_EQ(camera.fov, 170);
    camera.SetFov(-5);
    EXPECT_EQ(camera.fov, 20);
    camera.SetFov(20);
    EXPECT_EQ(camera.fov, 20);
    camera.SetFov(170);
    EXPECT_EQ(camera.fov, 170);
    // The clamped value is the one used: 320 / tan(85 degrees) = 27.996...
    EXPECT_NEAR(camera.scaleX, 320 / std::tan(85 * kPi / 180), 1e-3);
}

TEST(Camera, ViewportWithFovZeroKeepsTheFieldOfViewAndScales) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    float scaleX = camera.scaleX, scaleY = camera.scaleY;
    camera.SetViewport(320, 200, 0, 5, 6, CAMERA_2D);
    EXPECT_FLOAT_EQ(camera.fov, 60);
    EXPECT_EQ(camera.scaleX, scaleX);
    EXPECT_EQ(camera.scaleY, scaleY);
    EXPECT_EQ(camera.viewWidth, 320);
    EXPECT_EQ(camera.viewHeight, 200);
    EXPECT_EQ(camera.halfWidth, 160);
    EXPECT_EQ(camera.halfHeight, 100);
    EXPECT_EQ(camera.flags, CAMERA_2D);
}

TEST(Camera, PlanesFollowTheFieldOfView) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    // a = 60 degrees in radians + 0.00001; b = 1.16217.
    ExpectVector(camera.planes[PLANE_LEFT], 0.8660304f, 0, 0.4999913f, 1e-6f);
    ExpectVector(camera.planes[PLANE_RIGHT], -0.8660304f, 0, 0.4999913f, 1e-6f);
    ExpectVector(camera.planes[PLANE_TOP], 0, 0.9176675f, 0.3973491f, 1e-6f);
    ExpectVector(camera.planes[PLANE_BOTTOM], 0, -0.9176675f, 0.3973491f, 1e-6f);
    ExpectVector(camera.planes[PLANE_NEAR], 0, 0, 1, 0);
    ExpectVector(camera.planes[PLANE_FAR], 0, 0, -1, 0);
    EXPECT_EQ(camera.planes[PLANE_LEFT][3], 0);
    EXPECT_EQ(camera.planes[PLANE_TOP][3], 0);
    EXPECT_EQ(camera.planes[PLANE_NEAR][3], -viewNear);
    EXPECT_EQ(camera.planes[PLANE_FAR][3], viewFar);
    EXPECT_EQ(viewNear, 1.0f);
    EXPECT_EQ(viewFar, 1000.0f);
}

TEST(Camera, PlanesTakeTheViewDistancesInForce) {
    Camera camera;
    SetViewDistances(2, 500);
    camera.SetFov(90);
    EXPECT_EQ(camera.planes[PLANE_NEAR][3], -2);
    EXPECT_EQ(camera.planes[PLANE_FAR][3], 500);
    SetViewDistances(1, 1000);
}

TEST(Camera, ZeroRotationLeavesTheOrientation) {
    Camera camera;
    camera.SetRotation(0, 45, 0);
    float before[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) before[i][j] = camera.orientation[i][j];
    camera.rotationChanged = 1;
    camera.SetRotation(0, 0, 0);
    ExpectMatrix(camera, before, 0);
    EXPECT_EQ(camera.rotationChanged, 0);
}

TEST(Camera, RotationsAboutEachAxis) {
    Camera camera;
    camera.SetRotation(0, 90, 0);
    const float yaw[3][3] = {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    ExpectMatrix(camera, yaw);

    camera.ResetOrientation();
    camera.SetRotation(90, 0, 0);
    const float pitch[3][3] = {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    ExpectMatrix(camera, pitch);

    camera.ResetOrientation();
    camera.SetRotation(0, 0, 90);
    const float roll[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    ExpectMatrix(camera, roll);
}

TEST(Camera, RotationsComposeAsRTimesTheOrientation) {
    Camera camera;
    camera.SetRotation(0, 90, 0);
    camera.SetRotation(0, 90, 0);
    const float half[3][3] = {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    ExpectMatrix(camera, half);

    // Pitch after yaw: R(90, 0, 0) x R(0, 90, 0).
    camera.ResetOrientation();
    camera.SetRotation(0, 90, 0);
    camera.SetRotation(90, 0, 0);
    const float both[3][3] = {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}};
    ExpectMatrix(camera, both);
}

TEST(Camera, AGeneralRotationMatchesTheFormula) {
    Camera camera;
    camera.SetRotation(30, 45, 60);
    const float expected[3][3] = {{0.659740f, 0.750000f, -0.047367f},
                                  {-0.435596f, 0.433013f, 0.789149f},
                                  {0.612372f, -0.500000f, 0.612372f}};
    ExpectMatrix(camera, expected, 1e-5f);
    // Orthonormal: rows of unit length, perpendicular to each other.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float dot = 0;
            for (int k = 0; k < 3; ++k) dot += camera.orientation[i][k] * camera.orientation[j][k];
            EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, kTolerance);
        }
    // Axis vectors are the columns.
    ExpectVector(camera.axes[0], 0.659740f, -0.435596f, 0.612372f, 1e-5f);
    ExpectVector(camera.axes[1], 0.75f, 0.433013f, -0.5f, 1e-5f);
    ExpectVector(camera.axes[2], -0.047367f, 0.789149f, 0.612372f, 1e-5f);
}

TEST(Camera, ResetOrientationKeepsThePosition) {
    Camera camera;
    camera.SetPosition(1, 2, 3);
    camera.SetRotation(10, 20, 30);
    camera.ResetOrientation();
    ExpectMatrix(camera, kIdentity, 0);
    ExpectVector(camera.GetPosition(), 1, 2, 3, 0);
}

TEST(Camera, PositionMoveAndTheRotatedPosition) {
    Camera camera;
    camera.SetPosition(1, 2, 3);
    ExpectVector(camera.GetPosition(), 1, 2, 3, 0);
    ExpectVector(camera.rotatedPosition, 1, 2, 3, 0);
    camera.Move(0.5f, -1, 10);
    ExpectVector(camera.GetPosition(), 1.5f, 1, 13, 0);
    ExpectVector(camera.rotatedPosition, 1.5f, 1, 13, 0);

    camera.SetPosition(1, 2, 3);
    camera.SetRotation(30, 45, 60);
    // orientation x position, worked out in double precision.
    ExpectVector(camera.rotatedPosition, 2.0176381f, 2.7978771f, 1.4494897f);
    ExpectVector(camera.GetPosition(), 1, 2, 3, 0);
}

TEST(Camera, UpdateNormalisesTheAxisVectors) {
    Camera camera;
    const float scaled[3][3] = {{2, 0, 0}, {0, 0, 3}, {0, -4, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) camera.orientation[i][j] = scaled[i][j];
    camera.SetPosition(1, 1, 1);
    ExpectVector(camera.axes[0], 1, 0, 0, 0);
    ExpectVector(camera.axes[1], 0, 0, -1, 0);
    ExpectVector(camera.axes[2], 0, 1, 0, 0);
    ExpectVector(camera.rotatedPosition, 2, 3, -4, 0);
}

// ---------------------------------------------------------------------------------------
// The screens' transform

TEST(CameraTransform, APointAheadOfAnUnrotatedCamera) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    camera.SetPosition(0, 0, -10);
    const float world[3] = {1, 2, 0};
    float view[3];
    camera.ToView(world, view);
    ExpectVector(view, 1, 2, 10, 0);

    float matrix[16], through[4];
    camera.ViewMatrix(matrix);
    Transform(matrix, world, through);
    ExpectVector(through, 1, 2, 10, 0);
    EXPECT_EQ(through[3], 1);

    // 60 degrees over the height: x = 320 + 415.6922 x 1 / 10, y = 240 - 415.6922 x 2 / 10.
    float x = 0, y = 0;
    ASSERT_EQ(camera.Project(view, &x, &y), 1);
    EXPECT_NEAR(x, 361.56922f, 1e-3f);
    EXPECT_NEAR(y, 156.86156f, 1e-3f);
}

TEST(CameraTransform, ViewMatrixAfterRotationAndTranslation) {
    Camera camera;
    camera.SetRotation(30, 45, 60);
    camera.SetPosition(1, 2, 3);
    float matrix[16];
    camera.ViewMatrix(matrix);
    // Columns 0-2 hold the stored rows.
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(matrix[column * 4 + row], camera.orientation[column][row]);
    EXPECT_EQ(matrix[3], 0);
    EXPECT_EQ(matrix[7], 0);
    EXPECT_EQ(matrix[11], 0);
    EXPECT_EQ(matrix[15], 1);

    // World (4, -1, 7) seen from (1, 2, 3): the columns of the orientation dotted with
    // (3, -3, 4), worked out in double precision.
    const float world[3] = {4, -1, 7};
    float view[3], through[4];
    camera.ToView(world, view);
    ExpectVector(view, 5.7354958f, -1.0490381f, -0.0600592f);
    Transform(matrix, world, through);
    ExpectVector(through, 5.7354958f, -1.0490381f, -0.0600592f);
    // Behind the near plane: not projected.
    float x, y;
    EXPECT_EQ(camera.Project(view, &x, &y), 0);
}

TEST(CameraTransform, ATurnedCameraSeesAlongItsZAxis) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    // Turned 90 degrees about y, standing at (5, 0, 0): it looks toward -x.
    camera.SetRotation(0, 90, 0);
    camera.SetPosition(5, 0, 0);
    const float origin[3] = {0, 0, 0};
    float view[3];
    camera.ToView(origin, view);
    ExpectVector(view, 0, 0, 5);
    float x = 0, y = 0;
    ASSERT_EQ(camera.Project(view, &x, &y), 1);
    EXPECT_NEAR(x, 320, 1e-3f);
    EXPECT_NEAR(y, 240, 1e-3f);
    // World +z lies to the camera's right.
    const float right[3] = {0, 0, 1};
    camera.ToView(right, view);
    ExpectVector(view, 1, 0, 5);
}

TEST(CameraTransform, ProjectionForSixtyDegreesAt640x480) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, CAMERA_SQUARE);
    float p[16];
    FrustumMatrix(CameraView(MakeMonitorView({0, 0, 640, 480}, LAYOUT_CENTRED), camera), p);
    // Vertical n / t = 1 / tan(30) = 1.7320508; square pixels, whatever the flag:
    // horizontal n / (4 t / 3) = 1.2990381.
    EXPECT_NEAR(p[0], 1.2990381f, 1e-5f);
    EXPECT_NEAR(p[5], 1.7320508f, 1e-5f);
    EXPECT_NEAR(p[10], -1001.0f / 999.0f, 1e-5f);
    // Elements 11 and 14 negated: w = +z, and z's offset 2 f n / (f - n).
    EXPECT_EQ(p[11], 1);
    EXPECT_NEAR(p[14], 2000.0f / 999.0f, 1e-5f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p[i], 0) << i;
}

TEST(CameraTransform, ProjectionAndProjectAgreeOnTheScreenPoint) {
    Camera camera;
    camera.SetViewport(640, 480, 60, 0, 0, 0);
    camera.SetRotation(10, -20, 5);
    camera.SetPosition(3, -2, -50);
    float view[16], projection[16];
    camera.ViewMatrix(view);
    FrustumMatrix(CameraView(MakeMonitorView({0, 0, 640, 480}, LAYOUT_CENTRED), camera),
                  projection);
    const float world[3] = {4, 6, 20};
    float eye[4], clip[4];
    Transform(view, world, eye);
    float eye3[3] = {eye[0], eye[1], eye[2]};
    Transform(projection, eye3, clip);
    ASSERT_GT(clip[3], 0);
    float ndcX = clip[0] / clip[3], ndcY = clip[1] / clip[3];
    // The OpenGL viewport over the virtual screen, y flipped to point down.
    float expectedX = camera.viewX + camera.halfWidth * (1 + ndcX);
    float expectedY = camera.viewY + camera.halfHeight * (1 - ndcY);
    float x = 0, y = 0;
    ASSERT_EQ(camera.Project(eye3, &x, &y), 1);
    EXPECT_NEAR(x, expectedX, 1e-3f);
    EXPECT_NEAR(y, expectedY, 1e-3f);
}

}  // namespace
