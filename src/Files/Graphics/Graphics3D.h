// The state that 3D drawing shares: the 3D mode, the depth of 2D drawing (GR_Depth of the device
// layer), the projections a game sets, the world transform and the transform stack.
#pragma once
#include "Graphics_API/DrawRegion.h"

// The transform stack holds this many world matrices.
const int TRANSFORM_STACK_SIZE = 51;

bool Graphics3D_SetMode(bool on);
void Graphics3D_ClearZBuffer();
void Graphics3D_SetDepth(float depth);
void Graphics3D_SetProjection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup, float zup);
void Graphics3D_SetProjectionExt(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup, float yup, float zup, float angle, float aspect, float znear, float zfar);
void Graphics3D_SetProjectionOrtho(float x, float y, float w, float h, float angle);
void Graphics3D_SetProjectionPerspective(float x, float y, float w, float h, float angle);

// world := M. Angles in degrees.
void Graphics3D_Transform_SetIdentity();
void Graphics3D_Transform_SetTranslation(float x, float y, float z);
void Graphics3D_Transform_SetScaling(float x, float y, float z);
void Graphics3D_Transform_SetRotationX(float angle);
void Graphics3D_Transform_SetRotationY(float angle);
void Graphics3D_Transform_SetRotationZ(float angle);
void Graphics3D_Transform_SetRotationAxis(float x, float y, float z, float angle);
// world := world x M: M applies after the transform already set.
void Graphics3D_Transform_AddTranslation(float x, float y, float z);
void Graphics3D_Transform_AddScaling(float x, float y, float z);
void Graphics3D_Transform_AddRotationX(float angle);
void Graphics3D_Transform_AddRotationY(float angle);
void Graphics3D_Transform_AddRotationZ(float angle);
void Graphics3D_Transform_AddRotationAxis(float x, float y, float z, float angle);

bool Graphics3D_TransformStack_Push();
bool Graphics3D_TransformStack_Pop();
bool Graphics3D_TransformStack_Top();
bool Graphics3D_TransformStack_Discard();
void Graphics3D_TransformStack_Clear();
bool Graphics3D_TransformStack_Empty();
