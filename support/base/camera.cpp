#include "base/camera.h"

#include <cmath>
#include <cstring>

float viewNear = 1.0f;
float viewFar = 1000.0f;

void SetViewDistances(float nearDistance, float farDistance) {
    viewNear = nearDistance;
    viewFar = farDistance;
}

namespace {

const double kPi = 3.14159265358979323846;
const double kDegreesToRadians = kPi / 180.0;
// The fixed vertical angle of the top and bottom planes, in radians.
const double kVerticalPlaneAngle = 1.16217;
// Added to the field of view's angle for the left and right planes.
const double kHorizontalPlaneSlack = 0.00001;

void SetPlane(float plane[4], double x, double y, double z, double distance) {
    plane[0] = float(x);
    plane[1] = float(y);
    plane[2] = float(z);
    plane[3] = float(distance);
}

void Normalise(float vector[3]) {
    double length = std::sqrt(double(vector[0]) * vector[0] + double(vector[1]) * vector[1] +
                              double(vector[2]) * vector[2]);
    // A zero vector has no direction to keep; it stays as it is.
    if (length == 0.0) return;
    for (int i = 0; i < 3; ++i) vector[i] = float(vector[i] / length);
}

}  // namespace

Camera::Camera() {
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    ResetOrientation();
    rotationChanged = 0;
    reserved[0] = reserved[1] = reserved[2] = 0.1f;
    SetViewport(640, 480, 0, 0, 0, 0);
    Update();
}

void Camera::SetViewport(float width, float height, float fieldOfView, float x, float y,
                         int32_t viewFlags) {
    viewWidth = width;
    viewHeight = height;
    halfWidth = width * 0.5f;
    halfHeight = height * 0.5f;
    viewX = x;
    viewY = y;
    flags = viewFlags;
    if (fieldOfView != 0) SetFov(fieldOfView);
}

void Camera::SetFov(float fieldOfView) {
    if (fieldOfView < CAMERA_FOV_MIN) fieldOfView = CAMERA_FOV_MIN;
    if (fieldOfView > CAMERA_FOV_MAX) fieldOfView = CAMERA_FOV_MAX;
    fov = fieldOfView;

    double t = std::tan(fov * kDegreesToRadians / 2.0);
    scaleX = float(halfWidth / t);
    double larger = viewWidth > viewHeight ? viewWidth : viewHeight;
    double smaller = viewWidth < viewHeight ? viewWidth : viewHeight;
    // A viewport without area has no aspect to correct.
    double aspect = smaller > 0 ? larger / smaller : 1.0;
    scaleY = float(halfHeight / t * aspect);

    double a = fov * kDegreesToRadians + kHorizontalPlaneSlack;
    double b = kVerticalPlaneAngle;
    SetPlane(planes[PLANE_LEFT], std::sin(a), 0, std::cos(a), 0);
    SetPlane(planes[PLANE_RIGHT], -std::sin(a), 0, std::cos(a), 0);
    SetPlane(planes[PLANE_TOP], 0, std::sin(b), std::cos(b), 0);
    SetPlane(planes[PLANE_BOTTOM], 0, -std::sin(b), std::cos(b), 0);
    SetPlane(planes[PLANE_NEAR], 0, 0, 1, -viewNear);
    SetPlane(planes[PLANE_FAR], 0, 0, -1, viewFar);
}

void Camera::ResetOrientation() {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) orientation[i][j] = i == j ? 1.0f : 0.0f;
}

void Camera::SetRotation(float ax, float ay, float az) {
    rotationChanged = 0;
    double sa = std::sin(ax * kDegreesToRadians), ca = std::cos(ax * kDegreesToRadians);
    double sb = std::sin(ay * kDegreesToRadians), cb = std::cos(ay * kDegreesToRadians);
    double sc = std::sin(az * kDegreesToRadians), cc = std::cos(az * kDegreesToRadians);
    const double rotation[3][3] = {
        {cb * cc + sa * sb * sc, ca * sc, sa * cb * sc - sb * cc},
        {sa * sb * cc - cb * sc, ca * cc, sa * cb * cc + sb * sc},
        {ca * sb, -sa, ca * cb},
    };
    float old[3][3];
    std::memcpy(old, orientation, sizeof old);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) sum += rotation[i][k] * old[k][j];
            orientation[i][j] = float(sum);
        }
    Update();
}

void Camera::SetPosition(float x, float y, float z) {
    position[0] = x;
    position[1] = y;
    position[2] = z;
    Update();
}

void Camera::Move(float dx, float dy, float dz) {
    position[0] += dx;
    position[1] += dy;
    position[2] += dz;
    Update();
}

void Camera::Update() {
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 3; ++i) axes[axis][i] = orientation[i][axis];
    for (int i = 0; i < 3; ++i) {
        double sum = 0;
        for (int k = 0; k < 3; ++k) sum += double(orientation[i][k]) * position[k];
        rotatedPosition[i] = float(sum);
    }
    for (int axis = 0; axis < 3; ++axis) Normalise(axes[axis]);
}

// ---------------------------------------------------------------------------------------
// The transform the screens build (OglScreen, D3dScreen)

void Camera::ToView(const float world[3], float view[3]) const {
    double relative[3];
    for (int k = 0; k < 3; ++k) relative[k] = double(world[k]) - position[k];
    for (int j = 0; j < 3; ++j) {
        double sum = 0;
        for (int k = 0; k < 3; ++k) sum += double(orientation[k][j]) * relative[k];
        view[j] = float(sum);
    }
}

void Camera::ViewMatrix(float matrix[16]) const {
    // Column-major: element (row r, column c) at c * 4 + r. The nine floats in stored
    // order fill columns 0-2, so the stored rows become the columns and (r, c) holds
    // orientation[c][r]: the transpose, which is what ToView applies.
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row) matrix[column * 4 + row] = orientation[column][row];
    matrix[3] = matrix[7] = matrix[11] = 0.0f;
    // Times a translation by minus the position: the last column is M x (-position).
    for (int row = 0; row < 3; ++row) {
        double sum = 0;
        for (int k = 0; k < 3; ++k) sum -= double(matrix[k * 4 + row]) * position[k];
        matrix[12 + row] = float(sum);
    }
    matrix[15] = 1.0f;
}

int Camera::Project(const float view[3], float* screenX, float* screenY) const {
    if (view[2] < viewNear || view[2] <= 0) return 0;
    const double scale = halfHeight / std::tan(fov * kDegreesToRadians / 2.0);
    *screenX = float(viewX + halfWidth + scale * view[0] / view[2]);
    *screenY = float(viewY + halfHeight - scale * view[1] / view[2]);
    return 1;
}
