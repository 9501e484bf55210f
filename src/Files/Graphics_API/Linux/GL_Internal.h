// Shared between the OpenGL files of the device half.
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

struct GR_DeviceTexture {
    GLuint id;
    int width, height;
    bool linear, repeat;  // the sampling the texture object holds now
    GLuint fbo;           // made when the texture is drawn into or read
    GLuint depth;         // depth and stencil of a render target
};

bool GRL_Has_Device();
// Counts the devices made: objects of an earlier one are gone with its context.
unsigned GRL_Device_Generation();
// Makes the framebuffer of a texture (with depth when asked); false when the device refuses.
bool GRL_Texture_Framebuffer(GR_DeviceTexture* texture, bool withDepth);
// Binds the current render target for drawing, with its viewport and transforms.
void GRL_Bind_Target(GLuint fbo, int width, int height);
int GRL_Target_Width();
int GRL_Target_Height();
// How many times the viewport's width (axis 0) or height (axis 1) the device's viewport spans,
// centred on it; the transforms shrink clip space to match.
int GRL_Viewport_Spread(int axis);
// Whether the target is the window's own framebuffer, whose first row is its bottom one.
bool GRL_Target_Is_Window();
// Whether the target has depth and stencil.
bool GRL_Target_Has_Depth();
// Before a draw: a draw that tests depth in a window without it first moves the back buffer,
// with its pixels, to an off-screen framebuffer with depth.
void GRL_Prepare_Depth();
// The device's y of a rectangle of the target at row y (top first) and h rows high.
int GRL_Device_Y(int y, int h);
// Sets what depends on the target's row order (the winding that culling sees).
void GRL_Apply_Orientation();
// The framebuffer holding the finished back buffer (resolved when multisampled).
GLuint GRL_Backbuffer_Read();
// Reloads the device's matrices from the cached transforms (after a change of target or viewport).
void GRL_Load_Transforms();
// Sets every render state on the device from the cache (after the context is made).
void GRL_Apply_States();
// Notes that the back buffer was drawn into (it must be resolved again before a read).
void GRL_Mark_Drawn();
// Notes that depth was written into the current target (its next depth clear must be made).
void GRL_Mark_Depth_Drawn();
// A new buffer of w x h words 0xAARRGGBB of a framebuffer rectangle, rows top first (fbo 0 is the
// window's own framebuffer); pixels outside the framebuffer get the given word. Null for an empty
// or missing rectangle.
uint32_t* GRL_Read_Framebuffer(GLuint fbo, int fboW, int fboH, int x, int y, int w, int h, uint32_t outside);
// Binds the program of plain textured drawing for a textured draw while lighting and fog are off,
// else the fixed-function pipeline; binds only on a change.
void GRL_Use_Program(bool textured);
// Restores the colour and depth write masks from the cache after a clear or copy.
void GRL_Restore_Masks();
