#include "Graphics_API/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

// v x M for a point (w = 1); gives x, y, z, w.
static void Transform(const float* m, float x, float y, float z, float* out)
{
    for (int c = 0; c < 4; c++) out[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
}

static void ExpectPoint(const float* m, float x, float y, float z, float ex, float ey, float ez)
{
    float p[4];
    Transform(m, x, y, z, p);
    EXPECT_NEAR(p[0] / p[3], ex, 1e-4);
    EXPECT_NEAR(p[1] / p[3], ey, 1e-4);
    EXPECT_NEAR(p[2] / p[3], ez, 1e-4);
}

TEST(Matrix, RotationsTurnCounterClockwiseOnTheScreen)
{
    float m[16], t[16];
    Matrix_RotationZ(m, 90);
    ExpectPoint(m, 1, 0, 0, 0, -1, 0);
    // Rotate first, then translate: (1, 0, 0) ends at (10, -1, 0).
    Matrix_Translation(t, 10, 0, 0);
    Matrix_Multiply(m, m, t);
    ExpectPoint(m, 1, 0, 0, 10, -1, 0);
    Matrix_RotationX(m, 90);
    ExpectPoint(m, 0, 1, 0, 0, 0, -1);
    Matrix_RotationY(m, 90);
    ExpectPoint(m, 0, 0, 1, -1, 0, 0);
    // The axis form turns the other way: a game passes the negated angle.
    float axis[3] = {0, 0, 2};
    Matrix_RotationAxis(m, axis, 90);
    ExpectPoint(m, 1, 0, 0, 0, 1, 0);
    Matrix_RotationAxis(t, axis, -90);
    Matrix_RotationZ(m, 90);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(m[i], t[i], 1e-6);
    float zero[3] = {0, 0, 0};
    Matrix_RotationAxis(m, zero, 45);
    Matrix_Identity(t);
    for (int i = 0; i < 16; i++) EXPECT_EQ(m[i], t[i]);
}

TEST(Matrix, MultiplyAppliesTheLeftMatrixFirst)
{
    float s[16], t[16], m[16];
    Matrix_Scaling(s, 2, 3, 4);
    Matrix_Translation(t, 1, 1, 1);
    Matrix_Multiply(m, s, t);
    ExpectPoint(m, 1, 1, 1, 3, 4, 5);
    Matrix_Multiply(m, t, s);
    ExpectPoint(m, 1, 1, 1, 4, 6, 8);
}

TEST(Matrix, TwoDimensionalRoomProjection)
{
    // The room view (0, 0, 640, 480): corners go to the clip corners, y downwards, and depth
    // stays within 0..1 over the 2D range.
    float eye[3] = {320, 240, -16000}, at[3] = {320, 240, 0}, up[3] = {0, 1, 0}, v[16], p[16], m[16];
    Matrix_LookAt(v, eye, at, up);
    Matrix_Ortho(p, 640, -480, 1, 32000);
    Matrix_Multiply(m, v, p);
    ExpectPoint(m, 0, 0, 0, -1, 1, 16000.0f / 31999.0f);
    ExpectPoint(m, 640, 480, 0, 1, -1, 16000.0f / 31999.0f);
    float q[4];
    Transform(m, 0, 0, 15000, q);
    EXPECT_LT(q[2], 1);
    Transform(m, 0, 0, -15000, q);
    EXPECT_GT(q[2], 0);
}

TEST(Matrix, PerspectiveDepthRunsFromZeroToOne)
{
    float p[16];
    Matrix_PerspectiveFov(p, (float)M_PI / 2, 4.0f / 3, 1, 100);
    ExpectPoint(p, 0, 0, 1, 0, 0, 0);
    ExpectPoint(p, 0, 0, 100, 0, 0, 1);
    ExpectPoint(p, 10, 10, 10, 0.75f, 1, 0.9090909f);
    Matrix_Perspective(p, 2, 2, 1, 100);
    ExpectPoint(p, 1, 1, 1, 1, 1, 0);
    ExpectPoint(p, 2, -2, 2, 1, -1, 100.0f / 99.0f * 0.5f);
}
