// 4 x 4 float matrices, row-major, for row vectors (v' = v x M), left-handed: the layout the
// device takes for the view, projection and world transforms.
#pragma once

void Matrix_Identity(float* out);
void Matrix_Translation(float* out, float x, float y, float z);
void Matrix_Scaling(float* out, float x, float y, float z);
// View from eye to at with the given up direction.
void Matrix_LookAt(float* out, const float* eye, const float* at, const float* up);
// Orthographic view volume of width w and height h (a negative height turns y downwards).
void Matrix_Ortho(float* out, float w, float h, float zNear, float zFar);
// Perspective with a view of width w and height h at the near plane.
void Matrix_Perspective(float* out, float w, float h, float zNear, float zFar);
void Matrix_PerspectiveFov(float* out, float fovYRadians, float aspect, float zNear, float zFar);
// Rotations in degrees. Positive angles turn counter-clockwise as seen on a screen whose y axis
// points down: Matrix_RotationZ(90) takes (1, 0, 0) to (0, -1, 0).
void Matrix_RotationX(float* out, float degrees);
void Matrix_RotationY(float* out, float degrees);
void Matrix_RotationZ(float* out, float degrees);
// Rotation about an axis by the opposite convention (a positive angle takes the x axis towards
// y when turning about z); a zero axis gives the identity.
void Matrix_RotationAxis(float* out, const float* axis, float degrees);
// out = a x b (b applies after a); out may be a or b.
void Matrix_Multiply(float* out, const float* a, const float* b);
