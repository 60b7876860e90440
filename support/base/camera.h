// Camera: where the 3-D scene is seen from and where on the virtual 640 x 480
// screen its picture goes. The screens' SetView (OglScreen, D3dScreen) read the fields;
// a null camera there means the 2-D overlay.
//
// Contents: view distances; Camera fields (in the design's order); operations; the
// helpers that turn the camera into matrices and screen points.
#pragma once

#include <cstdint>

// The program-wide near and far distances used by the camera's planes and the screens'
// projections. They are 1 and 1000 once a screen is open (at start-up); they start with
// those values, and SetViewDistances sets them again.
extern float viewNear;
extern float viewFar;
void SetViewDistances(float nearDistance, float farDistance);

// Camera flag bits.
enum CameraFlags {
    CAMERA_2D = 1,  // the screens use the overlay projection with the viewport origin
    // Square frustum: both extents from the field of view. The screens now keep
    // square pixels whatever the flag (base/monitorview); the scene's cameras set it.
    CAMERA_SQUARE = 2,
};

enum CameraPlane { PLANE_LEFT, PLANE_RIGHT, PLANE_TOP, PLANE_BOTTOM, PLANE_NEAR, PLANE_FAR };

#define CAMERA_FOV_MIN 20.0f
#define CAMERA_FOV_MAX 170.0f

class Camera {
public:
    // Identity orientation, position 0, rotationChanged 0, SetViewport(640, 480, 0, 0, 0, 0).
    Camera();

    // Stores the size, half sizes, origin and flags; a fov other than 0 goes to SetFov.
    void SetViewport(float width, float height, float fieldOfView, float x, float y,
                     int32_t viewFlags);
    // Clamps to 20..170 degrees, stores it, recomputes the scales and the six planes.
    void SetFov(float fieldOfView);
    // The orientation becomes the identity; the position stays.
    void ResetOrientation();
    // Angles in degrees: orientation = R x orientation, R written out in camera.cpp;
    // then Update.
    void SetRotation(float ax, float ay, float az);
    void SetPosition(float x, float y, float z);
    void Move(float dx, float dy, float dz);
    // The position, three floats.
    const float* GetPosition() const { return position; }
    // Axis vectors from the orientation's columns (normalised) and the rotated position.
    void Update();

    // The transform that the screens build from this camera: OglScreen::SetView loads
    // this matrix with the projection of base/monitorview, and the tests check them by
    // hand.
    //
    // World point to camera space, as both screens transform it: the orientation's
    // columns dotted with (point - position); the camera looks down +z.
    void ToView(const float world[3], float view[3]) const;
    // Column-major 4 x 4 world-to-camera matrix as the OpenGL screen builds it: rows of
    // the orientation become columns, times a translation by minus the position.
    void ViewMatrix(float matrix[16]) const;
    // A camera-space point onto the virtual screen (y downward) as the screens draw it:
    // one scale both ways, the field of view over the viewport's height, s = halfHeight /
    // tan(fov / 2); x = viewX + halfWidth + s vx / vz, y = viewY + halfHeight - s vy / vz.
    // 0 when the point is not in front of the near plane.
    int Project(const float view[3], float* screenX, float* screenY) const;

    // Fields, in the design's order.
    float planes[6][4];       // normal x, y, z and distance; CameraPlane order
    int32_t rotationChanged;  // cleared by SetRotation; set by the camera's owner
    float orientation[3][3];  // row-major
    float position[3];
    float axes[3][3];          // the orientation's columns, normalised
    float rotatedPosition[3];  // orientation x position
    float halfWidth, halfHeight;
    float viewWidth, viewHeight;
    float scaleY, scaleX;
    float fov;  // degrees
    float viewX, viewY;
    int32_t flags;      // CameraFlags
    float reserved[3];  // 0.1 each at creation; not read by the program
};
