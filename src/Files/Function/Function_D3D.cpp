// The registrar and handlers of the d3d built-ins. Handlers convert their arguments and call the
// 3D state, the 3D primitives, the model store or the graphics device.
#include "Function/Function_D3D.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Function.h"
#include "Graphics/Graphics3D.h"
#include "Graphics/Graphics3D_Primitive.h"
#include "Graphics/Graphics_3D_Model.h"
#include "Graphics_API/GR_Device.h"
#include "Support/LoadSave.h"
#include "Variable/Arguments.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

#define D3D_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

float F(const TaggedValue* args, int i) { return Arg_F(args[i]); }
uint32_t Colour(const TaggedValue& a) { return (uint32_t)Arg_I(a); }
void Flag(TaggedValue* result, bool value) { result->SetReal(value ? 1.0 : 0.0); }

// State and projection.

D3D_BUILTIN(d3d_start) { Flag(result, Graphics3D_SetMode(true)); }
D3D_BUILTIN(d3d_end) { Flag(result, Graphics3D_SetMode(false)); }
D3D_BUILTIN(d3d_set_perspective) { GR_D3D_Set_Perspective(Arg_BD(args[0])); }
D3D_BUILTIN(d3d_set_hidden) { GR_D3D_Set_Hidden(Arg_BD(args[0])); }
D3D_BUILTIN(d3d_set_depth) { Graphics3D_SetDepth(F(args, 0)); }
D3D_BUILTIN(d3d_set_lighting) { GR_D3D_Set_Lighting(Arg_BD(args[0])); }
D3D_BUILTIN(d3d_set_shading) { GR_D3D_Set_Shading(Arg_BD(args[0])); }
D3D_BUILTIN(d3d_set_culling) { GR_D3D_Set_Culling(Arg_BD(args[0])); }
D3D_BUILTIN(d3d_set_zwriteenable) { GR_D3D_Set_ZWriteEnable(Arg_BD(args[0])); }

D3D_BUILTIN(d3d_set_fog)
{
    // Distances keep their low 16 bits: 70000 is 4464.
    GR_D3D_Set_Fog(Arg_BD(args[0]), Colour(args[1]), (uint16_t)(Arg_T(args[2]) & 0xFFFF), (uint16_t)(Arg_T(args[3]) & 0xFFFF));
}

D3D_BUILTIN(d3d_set_projection)
{
    Graphics3D_SetProjection(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_set_projection_ext)
{
    Graphics3D_SetProjectionExt(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7),
                                F(args, 8), F(args, 9), F(args, 10), F(args, 11), F(args, 12));
}

D3D_BUILTIN(d3d_set_projection_ortho) { Graphics3D_SetProjectionOrtho(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4)); }

D3D_BUILTIN(d3d_set_projection_perspective)
{
    Graphics3D_SetProjectionPerspective(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4));
}

// The world transform and its stack.

D3D_BUILTIN(d3d_transform_set_identity) { Graphics3D_Transform_SetIdentity(); }
D3D_BUILTIN(d3d_transform_set_translation) { Graphics3D_Transform_SetTranslation(F(args, 0), F(args, 1), F(args, 2)); }
D3D_BUILTIN(d3d_transform_set_scaling) { Graphics3D_Transform_SetScaling(F(args, 0), F(args, 1), F(args, 2)); }
D3D_BUILTIN(d3d_transform_set_rotation_x) { Graphics3D_Transform_SetRotationX(F(args, 0)); }
D3D_BUILTIN(d3d_transform_set_rotation_y) { Graphics3D_Transform_SetRotationY(F(args, 0)); }
D3D_BUILTIN(d3d_transform_set_rotation_z) { Graphics3D_Transform_SetRotationZ(F(args, 0)); }
D3D_BUILTIN(d3d_transform_set_rotation_axis) { Graphics3D_Transform_SetRotationAxis(F(args, 0), F(args, 1), F(args, 2), F(args, 3)); }
D3D_BUILTIN(d3d_transform_add_translation) { Graphics3D_Transform_AddTranslation(F(args, 0), F(args, 1), F(args, 2)); }
D3D_BUILTIN(d3d_transform_add_scaling) { Graphics3D_Transform_AddScaling(F(args, 0), F(args, 1), F(args, 2)); }
D3D_BUILTIN(d3d_transform_add_rotation_x) { Graphics3D_Transform_AddRotationX(F(args, 0)); }
D3D_BUILTIN(d3d_transform_add_rotation_y) { Graphics3D_Transform_AddRotationY(F(args, 0)); }
D3D_BUILTIN(d3d_transform_add_rotation_z) { Graphics3D_Transform_AddRotationZ(F(args, 0)); }
D3D_BUILTIN(d3d_transform_add_rotation_axis) { Graphics3D_Transform_AddRotationAxis(F(args, 0), F(args, 1), F(args, 2), F(args, 3)); }
D3D_BUILTIN(d3d_transform_stack_clear) { Graphics3D_TransformStack_Clear(); }
D3D_BUILTIN(d3d_transform_stack_empty) { Flag(result, Graphics3D_TransformStack_Empty()); }
D3D_BUILTIN(d3d_transform_stack_push) { Flag(result, Graphics3D_TransformStack_Push()); }
D3D_BUILTIN(d3d_transform_stack_pop) { Flag(result, Graphics3D_TransformStack_Pop()); }
D3D_BUILTIN(d3d_transform_stack_top) { Flag(result, Graphics3D_TransformStack_Top()); }
D3D_BUILTIN(d3d_transform_stack_discard) { Flag(result, Graphics3D_TransformStack_Discard()); }

// Primitives and shapes.

D3D_BUILTIN(d3d_primitive_begin) { Graphics3D_PrimitiveBegin(Arg_I(args[0]), -1); }
D3D_BUILTIN(d3d_primitive_begin_texture) { Graphics3D_PrimitiveBegin(Arg_I(args[0]), Arg_I(args[1])); }
D3D_BUILTIN(d3d_primitive_end) { Graphics3D_PrimitiveEnd(); }
D3D_BUILTIN(d3d_vertex) { Graphics3D_Vertex(F(args, 0), F(args, 1), F(args, 2)); }

D3D_BUILTIN(d3d_vertex_color)
{
    Graphics3D_VertexColor(F(args, 0), F(args, 1), F(args, 2), Colour(args[3]), F(args, 4));
}

D3D_BUILTIN(d3d_vertex_texture) { Graphics3D_VertexTexture(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4)); }

D3D_BUILTIN(d3d_vertex_texture_color)
{
    Graphics3D_VertexTextureColor(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), Colour(args[5]), F(args, 6));
}

D3D_BUILTIN(d3d_vertex_normal)
{
    Graphics3D_VertexNormal(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5));
}

D3D_BUILTIN(d3d_vertex_normal_color)
{
    Graphics3D_VertexNormalColor(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Colour(args[6]), F(args, 7));
}

D3D_BUILTIN(d3d_vertex_normal_texture)
{
    Graphics3D_VertexNormalTexture(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7));
}

D3D_BUILTIN(d3d_vertex_normal_texture_color)
{
    Graphics3D_VertexNormalTextureColor(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7),
                                        Colour(args[8]), F(args, 9));
}

D3D_BUILTIN(d3d_draw_block)
{
    Graphics3D_DrawBlock(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_draw_cylinder)
{
    Graphics3D_DrawCylinder(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8),
                            Arg_BD(args[9]), Arg_I(args[10]));
}

D3D_BUILTIN(d3d_draw_cone)
{
    Graphics3D_DrawCone(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8),
                        Arg_BD(args[9]), Arg_I(args[10]));
}

D3D_BUILTIN(d3d_draw_ellipsoid)
{
    Graphics3D_DrawEllipsoid(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8),
                             Arg_I(args[9]));
}

D3D_BUILTIN(d3d_draw_wall)
{
    Graphics3D_DrawWall(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_draw_floor)
{
    Graphics3D_DrawFloor(F(args, 0), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7), F(args, 8));
}

// Lights.

D3D_BUILTIN(d3d_light_define_ambient)
{
    if (args[0].IsReal()) GR_D3D_Light_Define_Ambient((uint32_t)Arg_T(args[0]));
}

D3D_BUILTIN(d3d_light_define_direction)
{
    // A direction of no length (or none that can be measured) stays (0, 0, 0): it lights nothing.
    float d[3] = {F(args, 1), F(args, 2), F(args, 3)};
    double length = std::sqrt((double)d[0] * d[0] + (double)d[1] * d[1] + (double)d[2] * d[2]);
    for (float& c : d) c = length > 0 && std::isfinite(length) ? (float)(c / length) : 0.0f;
    GR_D3D_Light_Define_Direction(Arg_T(args[0]), d[0], d[1], d[2], Colour(args[4]));
}

D3D_BUILTIN(d3d_light_define_point)
{
    GR_D3D_Light_Define_Point(Arg_I(args[0]), F(args, 1), F(args, 2), F(args, 3), F(args, 4), Colour(args[5]));
}

D3D_BUILTIN(d3d_light_enable) { GR_D3D_Light_Enable(Arg_I(args[0]), Arg_BD(args[1])); }

// Models.

int Model(const TaggedValue* args) { return Arg_I(args[0]); }

D3D_BUILTIN(d3d_model_create) { result->SetReal(D3DModel_Create()); }
D3D_BUILTIN(d3d_model_destroy) { D3DModel_Destroy(Model(args)); }
D3D_BUILTIN(d3d_model_clear) { D3DModel_Clear(Model(args)); }

// The file is read from the save folder, else from the program folder.
D3D_BUILTIN(d3d_model_load)
{
    result->SetReal(-1.0);
    if (!args[0].IsReal() || !args[1].IsString()) return;
    const char* name = Arg_S(args[1]);
    int64_t size = 0;
    unsigned char* bytes = LoadSave_SaveFileExists(name) ? LoadSave_ReadSaveFile(name, &size) : LoadSave_ReadBundleFile(name, &size);
    if (!bytes) {
        result->SetReal(0.0);
        Console_Debug->Output("d3d_model_load - unable to find file %s\n", name);
        return;
    }
    bool loaded = D3DModel_FromText(Model(args), (const char*)bytes, size);
    MemFree(bytes);
    result->SetReal(loaded ? 1.0 : 0.0);
    if (!loaded && D3DModel_Exists(Model(args)))
        Console_Debug->Output("d3d_model_load - file %s is not a model or is damaged\n", name);
}

D3D_BUILTIN(d3d_model_save)
{
    result->SetReal(-1.0);
    if (!args[0].IsReal() || !args[1].IsString()) return;
    std::string text;
    Flag(result, D3DModel_ToText(Model(args), &text) && LoadSave_WriteFile(Arg_S(args[1]), text.data(), (int64_t)text.size()));
}

D3D_BUILTIN(d3d_model_draw) { D3DModel_Draw(Model(args), F(args, 1), F(args, 2), F(args, 3), Arg_I(args[4])); }
D3D_BUILTIN(d3d_model_primitive_begin) { D3DModel_PrimitiveBegin(Model(args), Arg_I(args[1])); }
D3D_BUILTIN(d3d_model_primitive_end) { D3DModel_PrimitiveEnd(Model(args)); }
D3D_BUILTIN(d3d_model_vertex) { D3DModel_Vertex(Model(args), F(args, 1), F(args, 2), F(args, 3)); }

D3D_BUILTIN(d3d_model_vertex_color)
{
    D3DModel_VertexColor(Model(args), F(args, 1), F(args, 2), F(args, 3), Arg_I(args[4]), F(args, 5));
}

D3D_BUILTIN(d3d_model_vertex_texture)
{
    D3DModel_VertexTexture(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5));
}

D3D_BUILTIN(d3d_model_vertex_texture_color)
{
    D3DModel_VertexTextureColor(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), Arg_I(args[6]), F(args, 7));
}

D3D_BUILTIN(d3d_model_vertex_normal)
{
    D3DModel_VertexNormal(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6));
}

D3D_BUILTIN(d3d_model_vertex_normal_color)
{
    D3DModel_VertexNormalColor(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), Arg_I(args[7]), F(args, 8));
}

D3D_BUILTIN(d3d_model_vertex_normal_texture)
{
    D3DModel_VertexNormalTexture(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_model_vertex_normal_texture_color)
{
    D3DModel_VertexNormalTextureColor(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7),
                                      F(args, 8), Arg_I(args[9]), F(args, 10));
}

D3D_BUILTIN(d3d_model_block)
{
    D3DModel_Block(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_model_wall)
{
    D3DModel_Wall(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_model_floor)
{
    D3DModel_Floor(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8));
}

D3D_BUILTIN(d3d_model_cylinder)
{
    D3DModel_Cylinder(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8),
                      Arg_BD(args[9]), Arg_I(args[10]));
}

D3D_BUILTIN(d3d_model_cone)
{
    D3DModel_Cone(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8),
                  Arg_BD(args[9]), Arg_I(args[10]));
}

D3D_BUILTIN(d3d_model_ellipsoid)
{
    D3DModel_Ellipsoid(Model(args), F(args, 1), F(args, 2), F(args, 3), F(args, 4), F(args, 5), F(args, 6), F(args, 7), F(args, 8),
                       Arg_I(args[9]));
}

#undef D3D_BUILTIN

using Entry = FunctionEntry;
#define ENTRY FUNCTION_ENTRY

const Entry kD3D[] = {
    ENTRY(d3d_start, 0),
    ENTRY(d3d_end, 0),
    ENTRY(d3d_set_perspective, 1),
    ENTRY(d3d_set_hidden, 1),
    ENTRY(d3d_set_depth, 1),
    ENTRY(d3d_set_lighting, 1),
    ENTRY(d3d_set_shading, 1),
    ENTRY(d3d_set_fog, 4),
    ENTRY(d3d_set_culling, 1),
    ENTRY(d3d_set_zwriteenable, 1),
    ENTRY(d3d_set_projection, 9),
    ENTRY(d3d_set_projection_ext, 13),
    ENTRY(d3d_set_projection_ortho, 5),
    ENTRY(d3d_set_projection_perspective, 5),

    ENTRY(d3d_transform_set_identity, 0),
    ENTRY(d3d_transform_set_translation, 3),
    ENTRY(d3d_transform_set_scaling, 3),
    ENTRY(d3d_transform_set_rotation_x, 1),
    ENTRY(d3d_transform_set_rotation_y, 1),
    ENTRY(d3d_transform_set_rotation_z, 1),
    ENTRY(d3d_transform_set_rotation_axis, 4),
    ENTRY(d3d_transform_add_translation, 3),
    ENTRY(d3d_transform_add_scaling, 3),
    ENTRY(d3d_transform_add_rotation_x, 1),
    ENTRY(d3d_transform_add_rotation_y, 1),
    ENTRY(d3d_transform_add_rotation_z, 1),
    ENTRY(d3d_transform_add_rotation_axis, 4),
    ENTRY(d3d_transform_stack_clear, 0),
    ENTRY(d3d_transform_stack_empty, 0),
    ENTRY(d3d_transform_stack_push, 0),
    ENTRY(d3d_transform_stack_pop, 0),
    ENTRY(d3d_transform_stack_top, 0),
    ENTRY(d3d_transform_stack_discard, 0),

    ENTRY(d3d_primitive_begin, 1),
    ENTRY(d3d_primitive_begin_texture, 2),
    ENTRY(d3d_primitive_end, 0),
    ENTRY(d3d_vertex, 3),
    ENTRY(d3d_vertex_color, 5),
    ENTRY(d3d_vertex_texture, 5),
    ENTRY(d3d_vertex_texture_color, 7),
    ENTRY(d3d_vertex_normal, 6),
    ENTRY(d3d_vertex_normal_color, 8),
    ENTRY(d3d_vertex_normal_texture, 8),
    ENTRY(d3d_vertex_normal_texture_color, 10),
    ENTRY(d3d_draw_block, 9),
    ENTRY(d3d_draw_cylinder, 11),
    ENTRY(d3d_draw_cone, 11),
    ENTRY(d3d_draw_ellipsoid, 10),
    ENTRY(d3d_draw_wall, 9),
    ENTRY(d3d_draw_floor, 9),

    ENTRY(d3d_light_define_ambient, 1),
    ENTRY(d3d_light_define_direction, 5),
    ENTRY(d3d_light_define_point, 6),
    ENTRY(d3d_light_enable, 2),

    ENTRY(d3d_model_create, 0),
    ENTRY(d3d_model_destroy, 1),
    ENTRY(d3d_model_clear, 1),
    ENTRY(d3d_model_load, 2),
    ENTRY(d3d_model_save, 2),
    ENTRY(d3d_model_draw, 5),
    ENTRY(d3d_model_primitive_begin, 2),
    ENTRY(d3d_model_primitive_end, 1),
    ENTRY(d3d_model_vertex, 4),
    ENTRY(d3d_model_vertex_color, 6),
    ENTRY(d3d_model_vertex_texture, 6),
    ENTRY(d3d_model_vertex_texture_color, 8),
    ENTRY(d3d_model_vertex_normal, 7),
    ENTRY(d3d_model_vertex_normal_color, 9),
    ENTRY(d3d_model_vertex_normal_texture, 9),
    ENTRY(d3d_model_vertex_normal_texture_color, 11),
    ENTRY(d3d_model_block, 9),
    ENTRY(d3d_model_wall, 9),
    ENTRY(d3d_model_floor, 9),
    ENTRY(d3d_model_cylinder, 11),
    ENTRY(d3d_model_cone, 11),
    ENTRY(d3d_model_ellipsoid, 10),
};

#undef ENTRY

}  // namespace

void Function_D3D_Init()
{
    Function_AddTable(kD3D);
}
