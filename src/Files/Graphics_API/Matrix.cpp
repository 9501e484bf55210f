#include "Graphics_API/Matrix.h"

#include <cmath>
#include <cstring>

static const float kDegToRad = 3.14159265358979f / 180.0f;

void Matrix_Identity(float* out)
{
    memset(out, 0, 16 * sizeof(float));
    out[0] = out[5] = out[10] = out[15] = 1;
}

void Matrix_Translation(float* out, float x, float y, float z)
{
    Matrix_Identity(out);
    out[12] = x, out[13] = y, out[14] = z;
}

void Matrix_Scaling(float* out, float x, float y, float z)
{
    Matrix_Identity(out);
    out[0] = x, out[5] = y, out[10] = z;
}

static void Normalize(float* v)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0) v[0] /= length, v[1] /= length, v[2] /= length;
}

static void Cross(float* out, const float* a, const float* b)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Matrix_LookAt(float* out, const float* eye, const float* at, const float* up)
{
    float z[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]}, x[3], y[3];
    Normalize(z);
    Cross(x, up, z);
    Normalize(x);
    Cross(y, z, x);
    float m[16] = {x[0], y[0], z[0], 0, x[1], y[1], z[1], 0, x[2], y[2], z[2], 0,
                   -Dot(x, eye), -Dot(y, eye), -Dot(z, eye), 1};
    memcpy(out, m, sizeof m);
}

void Matrix_Ortho(float* out, float w, float h, float zNear, float zFar)
{
    Matrix_Identity(out);
    out[0] = 2 / w;
    out[5] = 2 / h;
    out[10] = 1 / (zFar - zNear);
    out[14] = zNear / (zNear - zFar);
}

void Matrix_Perspective(float* out, float w, float h, float zNear, float zFar)
{
    memset(out, 0, 16 * sizeof(float));
    out[0] = 2 * zNear / w;
    out[5] = 2 * zNear / h;
    out[10] = zFar / (zFar - zNear);
    out[11] = 1;
    out[14] = zNear * zFar / (zNear - zFar);
}

void Matrix_PerspectiveFov(float* out, float fovYRadians, float aspect, float zNear, float zFar)
{
    float yScale = 1 / std::tan(fovYRadians / 2), xScale = yScale / aspect;
    memset(out, 0, 16 * sizeof(float));
    out[0] = xScale;
    out[5] = yScale;
    out[10] = zFar / (zFar - zNear);
    out[11] = 1;
    out[14] = -zNear * zFar / (zFar - zNear);
}

void Matrix_RotationX(float* out, float degrees)
{
    float a = -degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Matrix_Identity(out);
    out[5] = c, out[6] = s, out[9] = -s, out[10] = c;
}

void Matrix_RotationY(float* out, float degrees)
{
    float a = -degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Matrix_Identity(out);
    out[0] = c, out[2] = -s, out[8] = s, out[10] = c;
}

void Matrix_RotationZ(float* out, float degrees)
{
    float a = -degrees * kDegToRad, c = std::cos(a), s = std::sin(a);
    Matrix_Identity(out);
    out[0] = c, out[1] = s, out[4] = -s, out[5] = c;
}

void Matrix_RotationAxis(float* out, const float* axis, float degrees)
{
    float v[3] = {axis[0], axis[1], axis[2]};
    Matrix_Identity(out);
    if (v[0] == 0 && v[1] == 0 && v[2] == 0) return;
    Normalize(v);
    float a = degrees * kDegToRad, c = std::cos(a), s = std::sin(a), t = 1 - c;
    float x = v[0], y = v[1], z = v[2];
    out[0] = t * x * x + c, out[1] = t * x * y + s * z, out[2] = t * x * z - s * y;
    out[4] = t * x * y - s * z, out[5] = t * y * y + c, out[6] = t * y * z + s * x;
    out[8] = t * x * z + s * y, out[9] = t * y * z - s * x, out[10] = t * z * z + c;
}

void Matrix_Multiply(float* out, const float* a, const float* b)
{
    float m[16];
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            m[r * 4 + c] = a[r * 4] * b[c] + a[r * 4 + 1] * b[4 + c] + a[r * 4 + 2] * b[8 + c] + a[r * 4 + 3] * b[12 + c];
    memcpy(out, m, sizeof m);
}
