// Transforms, render states, lights and fog on the OpenGL fixed-function pipeline.
#include "Graphics_API/Linux/GL_Internal.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/Matrix.h"

#include <cmath>
#include <cstring>

int SurfaceTarget = -1;
bool ProjectionOverride = false;
float GR_Depth = 0;
int GR_Draw_Alpha = 255;

// A quarter of a subpixel step to the top left: vertices on pixel corners then fall on the
// pixel below-right of them consistently, as the top-left fill rule of the matrices' home does.
static const float kPixelBias = 1.0f / 64.0f;

static float g_view[16], g_projection[16], g_world[16];
static bool g_matricesSet = false;
static bool g_perspective = false;

static uint32_t g_states[GR_RS_COUNT] = {
    0,                    // ZENABLE
    1,                    // ZWRITEENABLE
    0,                    // ALPHATEST
    GR_BLEND_SRCALPHA,    // SRCBLEND
    GR_BLEND_INVSRCALPHA, // DESTBLEND
    GR_CULL_NONE,         // CULLMODE
    0,                    // LIGHTING
    GR_SHADE_GOURAUD,     // SHADEMODE
    0,                    // FOGENABLE
    0,                    // FOGCOLOR
    0xF,                  // COLORWRITE
    0,                    // AMBIENT
    1,                    // ALPHABLEND
    0,                    // FOGSTART
    1,                    // FOGEND
};

struct Light {
    bool point;
    float v[3];  // direction or position, world space
    float range;
    uint32_t colour;
    bool on;
};
static Light g_lights[8];

static void InitMatrices()
{
    if (g_matricesSet) return;
    Matrix_Identity(g_view);
    Matrix_Identity(g_projection);
    Matrix_Identity(g_world);
    g_matricesSet = true;
}

static void LoadLightPositions()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(g_view);
    for (int i = 0; i < 8; i++) {
        const Light& l = g_lights[i];
        // A directional light is given by the direction it shines; the device wants the
        // direction towards the light.
        float p[4] = {l.point ? l.v[0] : -l.v[0], l.point ? l.v[1] : -l.v[1], l.point ? l.v[2] : -l.v[2], l.point ? 1.0f : 0.0f};
        // One of no length (it lights nothing) still gets a direction the device can normalise.
        if (!l.point && p[0] == 0 && p[1] == 0 && p[2] == 0) p[2] = 1;
        glLightfv(GL_LIGHT0 + i, GL_POSITION, p);
    }
    float modelview[16];
    Matrix_Multiply(modelview, g_world, g_view);
    glLoadMatrixf(modelview);
}

void GRL_Load_Transforms()
{
    InitMatrices();
    if (!GRL_Has_Device()) return;
    // The device's clip space: y turned over for targets whose rows are stored top first (all
    // but the window's own framebuffer), depth -1..1 from 0..1, and the small bias towards the
    // top left, in pixels of the viewport; x and y shrunk by the spread of the device's viewport
    // (powers of two, so exactly).
    float w = (float)GRL_Target_Width(), h = (float)GRL_Target_Height();
    float up = GRL_Target_Is_Window() ? 1.0f : -1.0f;
    float sx = 1.0f / (float)GRL_Viewport_Spread(0), sy = 1.0f / (float)GRL_Viewport_Spread(1);
    float correction[16] = {sx, 0, 0, 0, 0, up * sy, 0, 0, 0, 0, 2, 0,
                            -2 * kPixelBias / w * sx, up * 2 * kPixelBias / h * sy, -1, 1};
    float projection[16];
    Matrix_Multiply(projection, g_projection, correction);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    LoadLightPositions();
}

void GR_D3D_Get_Transform(int kind, float* matrix)
{
    InitMatrices();
    switch (kind) {
    case GR_TRANSFORM_VIEW: memcpy(matrix, g_view, sizeof g_view); break;
    case GR_TRANSFORM_PROJECTION: memcpy(matrix, g_projection, sizeof g_projection); break;
    case GR_TRANSFORM_WORLD: memcpy(matrix, g_world, sizeof g_world); break;
    default: Matrix_Identity(matrix); break;
    }
}

void GR_D3D_Set_Transform(int kind, const float* matrix)
{
    InitMatrices();
    float* target = kind == GR_TRANSFORM_VIEW ? g_view : kind == GR_TRANSFORM_PROJECTION ? g_projection : kind == GR_TRANSFORM_WORLD ? g_world : nullptr;
    if (!target) return;
    GR_Batch_Flush();
    memcpy(target, matrix, 16 * sizeof(float));
    GRL_Load_Transforms();
}

void GR_D3D_Set_Projection_2D(float x, float y, float w, float h, float angle)
{
    GR_D3D_Set_Projection_View(x, y, w, h, angle, false);
}

void GR_D3D_Set_Projection_View(float x, float y, float w, float h, float angle, bool perspective)
{
    float a = angle * 3.14159265358979f / 180.0f, m[16];
    float eye[3] = {x + w / 2, y + h / 2, perspective ? -w : -16000}, at[3] = {x + w / 2, y + h / 2, 0};
    float up[3] = {std::sin(a), std::cos(a), 0};
    Matrix_LookAt(m, eye, at, up);
    GR_D3D_Set_Transform(GR_TRANSFORM_VIEW, m);
    if (perspective) Matrix_Perspective(m, 1, -h / w, 1, 32000);
    else Matrix_Ortho(m, w, -h, 1, 32000);
    GR_D3D_Set_Transform(GR_TRANSFORM_PROJECTION, m);
    Matrix_Identity(m);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, m);
}

static GLenum BlendFactor(uint32_t factor)
{
    switch (factor) {
    case GR_BLEND_ZERO: return GL_ZERO;
    case GR_BLEND_ONE: return GL_ONE;
    case GR_BLEND_SRCCOLOR: return GL_SRC_COLOR;
    case GR_BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case GR_BLEND_SRCALPHA: return GL_SRC_ALPHA;
    case GR_BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case GR_BLEND_DESTALPHA: return GL_DST_ALPHA;
    case GR_BLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case GR_BLEND_DESTCOLOR: return GL_DST_COLOR;
    case GR_BLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_SRC_ALPHA_SATURATE;
    }
}

static void ColourOf(uint32_t argb, float* out)
{
    out[0] = (argb >> 16 & 0xFF) / 255.0f;
    out[1] = (argb >> 8 & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
    out[3] = (argb >> 24) / 255.0f;
}

static void Enable(GLenum cap, bool on)
{
    if (on) glEnable(cap);
    else glDisable(cap);
}

static void ApplyState(int kind)
{
    uint32_t v = g_states[kind];
    float colour[4];
    switch (kind) {
    case GR_RS_ZENABLE: Enable(GL_DEPTH_TEST, v); glDepthFunc(GL_LEQUAL); break;
    case GR_RS_ZWRITEENABLE: glDepthMask(v ? GL_TRUE : GL_FALSE); break;
    case GR_RS_ALPHATEST: Enable(GL_ALPHA_TEST, v); glAlphaFunc(GL_GREATER, 0); break;
    case GR_RS_SRCBLEND:
    case GR_RS_DESTBLEND: glBlendFunc(BlendFactor(g_states[GR_RS_SRCBLEND]), BlendFactor(g_states[GR_RS_DESTBLEND])); break;
    case GR_RS_CULLMODE:
        // In a target whose rows are stored top first a triangle that turns clockwise on the
        // screen turns counter-clockwise in the device's window coordinates; in the window's own
        // framebuffer it keeps its turn.
        Enable(GL_CULL_FACE, v == GR_CULL_CW || v == GR_CULL_CCW);
        glFrontFace(GRL_Target_Is_Window() ? GL_CW : GL_CCW);
        glCullFace(v == GR_CULL_CW ? GL_FRONT : GL_BACK);
        break;
    case GR_RS_LIGHTING: Enable(GL_LIGHTING, v); break;
    case GR_RS_SHADEMODE: glShadeModel(v == GR_SHADE_FLAT ? GL_FLAT : GL_SMOOTH); break;
    case GR_RS_FOGENABLE: Enable(GL_FOG, v); break;
    case GR_RS_FOGCOLOR: ColourOf(v, colour); glFogfv(GL_FOG_COLOR, colour); break;
    case GR_RS_COLORWRITE: glColorMask(v & 1, v & 2 ? 1 : 0, v & 4 ? 1 : 0, v & 8 ? 1 : 0); break;
    case GR_RS_AMBIENT: ColourOf(v | 0xFF000000u, colour); glLightModelfv(GL_LIGHT_MODEL_AMBIENT, colour); break;
    case GR_RS_ALPHABLEND: Enable(GL_BLEND, v); break;
    case GR_RS_FOGSTART: glFogf(GL_FOG_START, (float)v); break;
    case GR_RS_FOGEND: glFogf(GL_FOG_END, (float)v); break;
    }
}

bool GR_D3D_Set_Render_State(int kind, uint32_t value)
{
    if (kind < 0 || kind >= GR_RS_COUNT) return false;
    if (g_states[kind] == value) return true;
    GR_Batch_Flush();
    g_states[kind] = value;
    if (GRL_Has_Device()) ApplyState(kind);
    return true;
}

uint32_t GR_D3D_Get_Render_State(int kind)
{
    return kind >= 0 && kind < GR_RS_COUNT ? g_states[kind] : 0;
}

void GRL_Apply_Orientation()
{
    ApplyState(GR_RS_CULLMODE);
}

void GRL_Restore_Masks()
{
    ApplyState(GR_RS_COLORWRITE);
    ApplyState(GR_RS_ZWRITEENABLE);
}

void GRL_Apply_States()
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glHint(GL_FOG_HINT, GL_NICEST);
    glDisable(GL_DITHER);
    // Flat shading takes the colour of a primitive's first vertex, as the matrices' home does.
    if (strstr((const char*)glGetString(GL_EXTENSIONS), "provoking_vertex")) glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    for (int kind = 0; kind < GR_RS_COUNT; kind++) ApplyState(kind);
    for (int i = 0; i < 8; i++) {
        float black[4] = {0, 0, 0, 1};
        glLightfv(GL_LIGHT0 + i, GL_AMBIENT, black);
        glLightfv(GL_LIGHT0 + i, GL_SPECULAR, black);
    }
    GRL_Load_Transforms();
}

void GR_D3D_Set_Blend_Mode(int mode)
{
    static const uint32_t factors[4][2] = {
        {GR_BLEND_SRCALPHA, GR_BLEND_INVSRCALPHA},
        {GR_BLEND_SRCALPHA, GR_BLEND_ONE},
        {GR_BLEND_SRCALPHA, GR_BLEND_INVSRCCOLOR},
        {GR_BLEND_ZERO, GR_BLEND_INVSRCCOLOR},
    };
    if (mode < 0 || mode > 3) return;
    GR_D3D_Set_Render_State(GR_RS_SRCBLEND, factors[mode][0]);
    GR_D3D_Set_Render_State(GR_RS_DESTBLEND, factors[mode][1]);
}

void GR_D3D_Set_Blend_Factors(int source, int dest)
{
    if (source == GR_BLEND_BOTHSRCALPHA) source = GR_BLEND_SRCALPHA, dest = GR_BLEND_INVSRCALPHA;
    else if (source == GR_BLEND_BOTHINVSRCALPHA) source = GR_BLEND_INVSRCALPHA, dest = GR_BLEND_SRCALPHA;
    if (source >= GR_BLEND_ZERO && source <= GR_BLEND_SRCALPHASAT) GR_D3D_Set_Render_State(GR_RS_SRCBLEND, source);
    if (dest >= GR_BLEND_ZERO && dest <= GR_BLEND_SRCALPHASAT) GR_D3D_Set_Render_State(GR_RS_DESTBLEND, dest);
}

void GR_D3D_Set_Color_Write_Enable(bool red, bool green, bool blue, bool alpha)
{
    GR_D3D_Set_Render_State(GR_RS_COLORWRITE, (red ? 1 : 0) | (green ? 2 : 0) | (blue ? 4 : 0) | (alpha ? 8 : 0));
}

void GR_D3D_Set_Perspective(bool on) { g_perspective = on; }
bool GR_D3D_Get_Perspective() { return g_perspective; }

void GR_D3D_Set_Hidden(bool on)
{
    GR_D3D_Set_Render_State(GR_RS_ZENABLE, on);
    GR_D3D_Set_Render_State(GR_RS_ALPHATEST, on);
}

void GR_D3D_Set_Lighting(bool on) { GR_D3D_Set_Render_State(GR_RS_LIGHTING, on); }
void GR_D3D_Set_Shading(bool smooth) { GR_D3D_Set_Render_State(GR_RS_SHADEMODE, smooth ? GR_SHADE_GOURAUD : GR_SHADE_FLAT); }
void GR_D3D_Set_Culling(bool on) { GR_D3D_Set_Render_State(GR_RS_CULLMODE, on ? GR_CULL_CCW : GR_CULL_NONE); }
void GR_D3D_Set_ZWriteEnable(bool on) { GR_D3D_Set_Render_State(GR_RS_ZWRITEENABLE, on); }

void GR_D3D_Set_Fog(bool on, uint32_t colour, uint16_t start, uint16_t end)
{
    GR_D3D_Set_Render_State(GR_RS_FOGENABLE, on);
    GR_D3D_Set_Render_State(GR_RS_FOGCOLOR, GR_Color_Alpha_To_ARGB(colour, 1));
    GR_D3D_Set_Render_State(GR_RS_FOGSTART, start);
    GR_D3D_Set_Render_State(GR_RS_FOGEND, end);
}

void GR_D3D_Light_Define_Ambient(uint32_t colour)
{
    GR_D3D_Set_Render_State(GR_RS_AMBIENT, GR_Color_Alpha_To_ARGB(colour, 1));
}

static void DefineLight(int index, bool point, float a, float b, float c, float range, uint32_t colour)
{
    GR_Batch_Flush();
    index = ((index % 8) + 8) % 8;
    Light& l = g_lights[index];
    l.point = point;
    l.v[0] = a, l.v[1] = b, l.v[2] = c;
    l.range = range;
    l.colour = colour;
    if (!GRL_Has_Device()) return;
    float diffuse[4];
    ColourOf(GR_Color_Alpha_To_ARGB(colour, 1), diffuse);
    // A direction of no length points nowhere: such a light lights nothing.
    if (!point && a == 0 && b == 0 && c == 0) diffuse[0] = diffuse[1] = diffuse[2] = 0;
    GLenum light = GL_LIGHT0 + index;
    glLightfv(light, GL_DIFFUSE, diffuse);
    // A point light fades as 1 / (1 + d / range); the device has no cut-off at the range.
    glLightf(light, GL_CONSTANT_ATTENUATION, 1);
    glLightf(light, GL_LINEAR_ATTENUATION, point && range > 0 ? 1 / range : 0);
    glLightf(light, GL_QUADRATIC_ATTENUATION, 0);
    GRL_Load_Transforms();
}

void GR_D3D_Light_Define_Direction(int index, float dx, float dy, float dz, uint32_t colour)
{
    DefineLight(index, false, dx, dy, dz, 0, colour);
}

void GR_D3D_Light_Define_Point(int index, float x, float y, float z, float range, uint32_t colour)
{
    DefineLight(index, true, x, y, z, range, colour);
}

void GR_D3D_Light_Enable(int index, bool on)
{
    GR_Batch_Flush();
    index = ((index % 8) + 8) % 8;
    g_lights[index].on = on;
    if (GRL_Has_Device()) Enable(GL_LIGHT0 + index, on);
}
