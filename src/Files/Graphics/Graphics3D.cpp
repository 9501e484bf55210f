#include "Graphics/Graphics3D.h"

#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/Matrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
float TransformStack[TRANSFORM_STACK_SIZE][16];
int TransformStackTop = -1;

const float DEG_TO_RAD = 0.017453292f;

void SetWorld(const float* m)
{
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, m);
}

void AddWorld(const float* m)
{
    float world[16];
    GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, world);
    Matrix_Multiply(world, world, m);
    SetWorld(world);
}

void LookAt(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup, float zup)
{
    float eye[3] = {xfrom, yfrom, zfrom}, at[3] = {xto, yto, zto}, up[3] = {xup, yup, zup}, m[16];
    Matrix_LookAt(m, eye, at, up);
    GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, m);
}

// The game's own projection; an orthographic one overrides the view's, so drawing no longer
// culls to the view's region.
void SetProjection(const float* m, bool isOverride)
{
    GR_D3D_Set_Transform(GR_TRANSFORM_PROJECTION, m);
    ProjectionOverride = isOverride;
}

// The view of a rectangle, turned by angle, from distance on its centre.
void LookAtRect(float x, float y, float w, float h, float angle, float distance)
{
    float cx = x + w / 2, cy = y + h / 2, a = -angle * DEG_TO_RAD;
    LookAt(cx, cy, -distance, cx, cy, 0, std::sin(a), std::cos(a), 0);
}
}

bool Graphics3D_SetMode(bool on)
{
    if (on == Graphics3D_Mode) return true;
    GR_Batch_Flush();
    Graphics3D_Mode = on;
    GR_D3D_Set_Perspective(on);
    GR_D3D_Set_Hidden(on);
    return true;
}

void Graphics3D_ClearZBuffer()
{
    Graphics::Clear(0, 1.0f, 0, Graphics::CLEAR_DEPTH | Graphics::CLEAR_STENCIL);
}

void Graphics3D_SetDepth(float depth)
{
    // NaN compares false both ways and ends at 0 like the 2D depth.
    GR_Depth = Graphics3D_Mode && depth == depth ? std::clamp(depth, -16000.0f, 16000.0f) : 0;
}

void Graphics3D_SetProjection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup, float zup)
{
    LookAt(xfrom, yfrom, zfrom, xto, yto, zto, xup, yup, zup);
}

void Graphics3D_SetProjectionExt(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup, float zup, float angle, float aspect, float znear, float zfar)
{
    LookAt(xfrom, yfrom, zfrom, xto, yto, zto, xup, yup, zup);
    float m[16];
    Matrix_PerspectiveFov(m, angle * DEG_TO_RAD, aspect, znear, zfar);
    SetProjection(m, false);
}

void Graphics3D_SetProjectionOrtho(float x, float y, float w, float h, float angle)
{
    LookAtRect(x, y, w, h, angle, 16000);
    float m[16];
    Matrix_Ortho(m, w, -h, 1, 32000);
    SetProjection(m, true);
}

void Graphics3D_SetProjectionPerspective(float x, float y, float w, float h, float angle)
{
    LookAtRect(x, y, w, h, angle, w);
    float m[16];
    Matrix_Perspective(m, 1, h / w, 1, 32000);
    SetProjection(m, false);
}

void Graphics3D_Transform_SetIdentity()
{
    float m[16];
    Matrix_Identity(m);
    SetWorld(m);
}

void Graphics3D_Transform_SetTranslation(float x, float y, float z)
{
    float m[16];
    Matrix_Translation(m, x, y, z);
    SetWorld(m);
}

void Graphics3D_Transform_SetScaling(float x, float y, float z)
{
    float m[16];
    Matrix_Scaling(m, x, y, z);
    SetWorld(m);
}

void Graphics3D_Transform_SetRotationX(float angle)
{
    float m[16];
    Matrix_RotationX(m, angle);
    SetWorld(m);
}

void Graphics3D_Transform_SetRotationY(float angle)
{
    float m[16];
    Matrix_RotationY(m, angle);
    SetWorld(m);
}

void Graphics3D_Transform_SetRotationZ(float angle)
{
    float m[16];
    Matrix_RotationZ(m, angle);
    SetWorld(m);
}

void Graphics3D_Transform_SetRotationAxis(float x, float y, float z, float angle)
{
    float axis[3] = {x, y, z}, m[16];
    Matrix_RotationAxis(m, axis, -angle);
    SetWorld(m);
}

void Graphics3D_Transform_AddTranslation(float x, float y, float z)
{
    float m[16];
    Matrix_Translation(m, x, y, z);
    AddWorld(m);
}

void Graphics3D_Transform_AddScaling(float x, float y, float z)
{
    float m[16];
    Matrix_Scaling(m, x, y, z);
    AddWorld(m);
}

void Graphics3D_Transform_AddRotationX(float angle)
{
    float m[16];
    Matrix_RotationX(m, angle);
    AddWorld(m);
}

void Graphics3D_Transform_AddRotationY(float angle)
{
    float m[16];
    Matrix_RotationY(m, angle);
    AddWorld(m);
}

void Graphics3D_Transform_AddRotationZ(float angle)
{
    float m[16];
    Matrix_RotationZ(m, angle);
    AddWorld(m);
}

void Graphics3D_Transform_AddRotationAxis(float x, float y, float z, float angle)
{
    float axis[3] = {x, y, z}, m[16];
    Matrix_RotationAxis(m, axis, -angle);
    AddWorld(m);
}

bool Graphics3D_TransformStack_Push()
{
    if (TransformStackTop >= TRANSFORM_STACK_SIZE - 1) return false;
    TransformStackTop++;
    GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, TransformStack[TransformStackTop]);
    return true;
}

bool Graphics3D_TransformStack_Pop()
{
    if (TransformStackTop < 0) return false;
    SetWorld(TransformStack[TransformStackTop--]);
    return true;
}

bool Graphics3D_TransformStack_Top()
{
    if (TransformStackTop < 0) return false;
    SetWorld(TransformStack[TransformStackTop]);
    return true;
}

bool Graphics3D_TransformStack_Discard()
{
    if (TransformStackTop < 0) return false;
    TransformStackTop--;
    return true;
}

void Graphics3D_TransformStack_Clear()
{
    TransformStackTop = -1;
}

bool Graphics3D_TransformStack_Empty()
{
    return TransformStackTop < 0;
}
