// The OpenGL device on an SDL window and the back buffer. The frame is drawn straight into the
// window's own framebuffer when that keeps its pixels across a present and holds the colour bits
// of an off-screen one; otherwise (antialias, a window without alpha, a driver that swaps buffers)
// into an off-screen framebuffer (rows top first) copied to the window at present. Either way the
// back buffer stays readable after presenting.
//
// The window is asked for no depth or stencil: a device that draws in software (Mesa's llvmpipe)
// then takes its rectangle path for screen-aligned quads, several times cheaper than two
// triangles. The first draw that tests depth in a window without it moves the back buffer, with
// what the frame drew so far, off-screen, where it has depth until the device is made again.
#include "Graphics_API/Linux/GL_Internal.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Display.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/EmbeddedImages.h"
#include "Base/Console.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

static SDL_Window* g_window = nullptr;
static SDL_GLContext g_context = nullptr;
static unsigned g_generation = 0;

// The back buffer: drawn into through drawFbo (multisampled when antialiased) and read through
// readFbo; both 0 when it is the window's own.
static GLuint g_drawFbo = 0, g_drawColour = 0, g_drawDepth = 0;
static GLuint g_readFbo = 0, g_readColour = 0;
static int g_width = 0, g_height = 0;
static bool g_resolved = true;
// Whether the back buffer's depth and stencil are as a clear of the whole of it leaves them
// (depth 1, stencil 0) because nothing has written depth since: clearing them again changes
// nothing and is skipped. Rooms drawn without depth then spare the device a write of every
// pixel's depth word each frame. Surfaces' depth is always cleared.
static bool g_backDepthCleared = false;
static bool g_allowWindow = true;
// Whether the device refused the off-screen back buffer that depth needed: the window then
// draws on without depth until the device is made again.
static bool g_depthRefused = false;

// The current target: its framebuffer, size and viewport.
static GLuint g_targetFbo = 0;
static int g_targetW = 0, g_targetH = 0;
static bool g_targetDepth = false;
static int g_viewport[4] = {0, 0, 0, 0};

// How many times wider and higher than the viewport the device's own viewport is: 4 when the
// viewport is the whole target and that side is even and fits the device, else 1. The device clips
// a triangle that crosses its viewport on a path far slower than drawing it whole, and the target's
// own edges cut off the pixels outside without that cost. A power of two with the viewport's centre
// kept (so an even side) gives every vertex the same pixel position to the last bit.
static int g_spread[2] = {1, 1};
static GLint g_maxViewport[2] = {0, 0};

bool GRL_Has_Device()
{
    return g_context != nullptr;
}

unsigned GRL_Device_Generation()
{
    return g_generation;
}

bool GR_D3D_HasDevice()
{
    return g_context != nullptr;
}

int GR_D3D_Get_Backbuffer_Width() { return g_width; }
int GR_D3D_Get_Backbuffer_Height() { return g_height; }
int GRL_Target_Width() { return g_viewport[2]; }
int GRL_Target_Height() { return g_viewport[3]; }
int GRL_Viewport_Spread(int axis) { return g_spread[axis]; }
bool GRL_Target_Is_Window() { return g_targetFbo == 0; }
bool GRL_Target_Has_Depth() { return g_targetDepth; }

static bool ViewportIsWholeTarget()
{
    return g_viewport[0] == 0 && g_viewport[1] == 0 && g_viewport[2] == g_targetW && g_viewport[3] == g_targetH;
}

int GRL_Device_Y(int y, int h)
{
    return g_targetFbo == 0 ? g_targetH - y - h : y;
}

void GR_D3D_Allow_Window_Drawing(bool allow)
{
    g_allowWindow = allow;
}

bool GR_D3D_Draws_To_Window()
{
    return g_context && g_drawFbo == 0;
}

static void FreeBackbuffer()
{
    if (g_drawFbo != g_readFbo) glDeleteFramebuffers(1, &g_drawFbo);
    glDeleteFramebuffers(1, &g_readFbo);
    glDeleteRenderbuffers(1, &g_drawDepth);
    glDeleteRenderbuffers(1, &g_drawColour);
    glDeleteTextures(1, &g_readColour);
    g_drawFbo = g_readFbo = g_drawColour = g_drawDepth = g_readColour = 0;
}

// Whether the window's framebuffer has the colour bits of the off-screen one (8 bits a channel
// alpha included, one sample), no depth and stencil or those of the off-screen one (24 and 8), is
// of the size and keeps its pixels across a present. Seen by presenting two frames that mark its
// far corner differently: a driver that swaps between buffers shows the older mark or none, and so
// does a framebuffer that has not followed the window to its new size.
static bool WindowKeepsPixels(int width, int height)
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint bits[7] = {0};
    const GLenum kinds[7] = {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS, GL_SAMPLE_BUFFERS};
    for (int i = 0; i < 7; i++) glGetIntegerv(kinds[i], &bits[i]);
    if (bits[0] != 8 || bits[1] != 8 || bits[2] != 8 || bits[3] != 8 || bits[6] != 0) return false;
    if (!(bits[4] == 0 && bits[5] == 0) && !(bits[4] == 24 && bits[5] == 8)) return false;
    glEnable(GL_SCISSOR_TEST);
    glScissor(width - 1, height - 1, 1, 1);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    uint8_t seen[4] = {0};
    for (int mark = 1; mark <= 2; mark++) {
        glClearColor(0, 0, mark / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(g_window);
    }
    glReadPixels(width - 1, height - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, seen);
    glDisable(GL_SCISSOR_TEST);
    GRL_Restore_Masks();
    return seen[2] == 2 && seen[3] == 255;
}

// The off-screen back buffer, with depth and stencil.
static bool MakeOffscreen(int width, int height, int samples)
{
    glGenTextures(1, &g_readColour);
    glBindTexture(GL_TEXTURE_2D, g_readColour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &g_readFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, g_readFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g_readColour, 0);
    glGenRenderbuffers(1, &g_drawDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, g_drawDepth);
    if (samples > 1) {
        glGenRenderbuffers(1, &g_drawColour);
        glBindRenderbuffer(GL_RENDERBUFFER, g_drawColour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, g_drawDepth);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
        glGenFramebuffers(1, &g_drawFbo);
        glBindFramebuffer(GL_FRAMEBUFFER, g_drawFbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g_drawColour);
    } else {
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        g_drawFbo = g_readFbo;
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, g_drawDepth);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, g_drawDepth);
    bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!ok) FreeBackbuffer();
    return ok;
}

static bool MakeBackbuffer(int width, int height, int samples)
{
    FreeBackbuffer();
    g_backDepthCleared = false;
    g_depthRefused = false;
    bool window = samples <= 1 && g_allowWindow && WindowKeepsPixels(width, height);
    if (!window && !MakeOffscreen(width, height, samples)) return false;
    g_width = width;
    g_height = height;
    g_resolved = true;
    return true;
}

// Copies the back buffer's colour between the window (rows bottom first) and the off-screen buffer
// (rows top first), turning the rows over, into the window's w x h.
static void CopyTurned(GLuint from, GLuint to, int w, int h)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlitFramebuffer(0, 0, g_width, g_height, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

void GRL_Prepare_Depth()
{
    if (g_targetDepth || g_targetFbo != 0 || g_depthRefused || !GR_D3D_Get_Render_State(GR_RS_ZENABLE)) return;
    int viewport[4] = {g_viewport[0], g_viewport[1], g_viewport[2], g_viewport[3]};
    if (!MakeOffscreen(g_width, g_height, 0)) {
        Console_Warnings->Output("Graphics: no back buffer with depth of %d x %d could be made; drawn without depth\n", g_width, g_height);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        g_depthRefused = true;
        return;
    }
    CopyTurned(0, g_drawFbo, g_width, g_height);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    GRL_Restore_Masks();
    g_backDepthCleared = true;
    GRL_Bind_Target(0, 0, 0);
    GR_D3D_Set_Viewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

GLuint GRL_Backbuffer_Read()
{
    if (g_drawFbo != g_readFbo && !g_resolved) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, g_drawFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_readFbo);
        glBlitFramebuffer(0, 0, g_width, g_height, 0, 0, g_width, g_height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_targetFbo);
        g_resolved = true;
    }
    return g_readFbo;
}

void GRL_Bind_Target(GLuint fbo, int width, int height)
{
    GR_Batch_Flush();
    if (fbo == 0) fbo = g_drawFbo, width = g_width, height = g_height;
    g_targetFbo = fbo;
    g_targetW = width;
    g_targetH = height;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    GLint depth = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    g_targetDepth = depth > 0 || stencil > 0;
    GR_D3D_Set_Viewport(0, 0, width, height);
    GRL_Apply_Orientation();
}

void GR_D3D_Set_Viewport(int x, int y, int w, int h)
{
    if (!g_context) return;
    // Clipped to the target; an empty viewport keeps one pixel so the matrices stay finite.
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    if (w > g_targetW - x) w = g_targetW - x;
    if (h > g_targetH - y) h = g_targetH - y;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    GR_Batch_Flush();
    g_viewport[0] = x, g_viewport[1] = y, g_viewport[2] = w, g_viewport[3] = h;
    bool whole = ViewportIsWholeTarget();
    g_spread[0] = whole && w % 2 == 0 && 4 * w <= g_maxViewport[0] ? 4 : 1;
    g_spread[1] = whole && h % 2 == 0 && 4 * h <= g_maxViewport[1] ? 4 : 1;
    glViewport(x - (g_spread[0] - 1) * w / 2, GRL_Device_Y(y, h) - (g_spread[1] - 1) * h / 2, g_spread[0] * w, g_spread[1] * h);
    GRL_Load_Transforms();
}

void GR_D3D_Get_Viewport(int* x, int* y, int* w, int* h)
{
    *x = g_viewport[0], *y = g_viewport[1], *w = g_viewport[2], *h = g_viewport[3];
}

// Whether the extension is named in the context's extension string.
static bool HasExtension(const char* name)
{
    const char* all = (const char*)glGetString(GL_EXTENSIONS);
    size_t n = strlen(name);
    for (const char* p = all; p && (p = strstr(p, name)); p += n)
        if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == 0)) return true;
    return false;
}

static bool CheckContext()
{
    const char* vendor = (const char*)glGetString(GL_VENDOR);
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    const char* version = (const char*)glGetString(GL_VERSION);
    Console_Warnings->Output("OpenGL: vendor %s, renderer %s, version %s\n", vendor ? vendor : "?",
                          renderer ? renderer : "?", version ? version : "?");
    int major = 0, minor = 0;
    if (!version || sscanf(version, "%d.%d", &major, &minor) != 2 || major < 2 || (major == 2 && minor < 1)) {
        Console_Warnings->Output("Graphics: OpenGL 2.1 is needed, found version %s\n", version ? version : "none");
        return false;
    }
    if (major < 3 && !HasExtension("GL_ARB_framebuffer_object")) {
        Console_Warnings->Output("Graphics: framebuffer objects (GL_ARB_framebuffer_object) are needed, not offered by OpenGL %s (%s)\n",
                                 version, renderer ? renderer : "?");
        return false;
    }
    if ((major < 3 || (major == 3 && minor < 2)) && !HasExtension("GL_ARB_vertex_array_bgra") &&
        !HasExtension("GL_EXT_vertex_array_bgra")) {
        Console_Warnings->Output("Graphics: BGRA vertex colours (GL_ARB_vertex_array_bgra) are needed, not offered by OpenGL %s (%s)\n",
                                 version, renderer ? renderer : "?");
        return false;
    }
    return true;
}

// Makes the back buffer at the window's size and sets the first target.
static bool MakeDeviceResources()
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(g_window, &w, &h);
    if (w <= 0 || h <= 0) w = h = 1;
    SDL_GL_SetSwapInterval(GR_Display_Get_VSync() ? 1 : 0);
    int samples = GR_Display_Get_Antialias();
    if (!MakeBackbuffer(w, h, samples)) {
        if (samples <= 1 || !MakeBackbuffer(w, h, 0)) {
            Console_Warnings->Output("Graphics: the back buffer of %d x %d could not be made\n", w, h);
            return false;
        }
        Console_Warnings->Output("Graphics: %d samples are not offered; antialias is off\n", samples);
    }
    SurfaceTarget = -1;
    ProjectionOverride = false;
    GRL_Bind_Target(0, 0, 0);
    return true;
}

void GR_Window_Prepare()
{
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

bool GR_D3D_Init(SDL_Window* window)
{
    if (g_context) return true;
    if (!window) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        Console_Warnings->Output("Graphics: no OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    if (!CheckContext()) {
        SDL_GL_DeleteContext(context);
        return false;
    }
    g_window = window;
    g_context = context;
    g_generation++;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, g_maxViewport);
    if (!MakeDeviceResources()) {
        GR_D3D_Shutdown();
        return false;
    }
    GRL_Apply_States();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH | Graphics::CLEAR_STENCIL);
    return true;
}

void GR_D3D_Shutdown()
{
    if (!g_context) return;
    GR_Batch_Flush();
    GR_Surface_Free_All();
    GR_Texture_Free_All();
    EmbeddedImages_Free();
    FreeBackbuffer();
    SDL_GL_DeleteContext(g_context);
    g_context = nullptr;
    g_window = nullptr;
}

SDL_Window* GR_Window_Open_Hidden(int width, int height)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Console_Warnings->Output("Graphics: no display (%s)\n", SDL_GetError());
        return nullptr;
    }
    GR_Window_Prepare();
    SDL_Window* window = SDL_CreateWindow("runner", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        Console_Warnings->Output("Graphics: no window (%s)\n", SDL_GetError());
        return nullptr;
    }
    if (!GR_D3D_Init(window)) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void GR_Window_Close(SDL_Window* window)
{
    if (window && window == g_window) GR_D3D_Shutdown();
    if (window) SDL_DestroyWindow(window);
}

bool GR_D3D_Start_Frame()
{
    return g_context != nullptr;
}

bool GR_D3D_Finish_Frame(bool present)
{
    if (!g_context) return false;
    GR_Batch_Flush();
    GR_Batch_New_Frame();
    if (!present) return true;
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(g_window, &ww, &wh);
    if (g_drawFbo == 0) {
        SDL_GL_SwapWindow(g_window);
        // The window's framebuffer changed size under the frame: the next frame remakes it.
        if (ww != g_width || wh != g_height) GR_Display_Reset_Pending = true;
        return true;
    }
    CopyTurned(GRL_Backbuffer_Read(), 0, ww, wh);
    SDL_GL_SwapWindow(g_window);
    glBindFramebuffer(GL_FRAMEBUFFER, g_targetFbo);
    GRL_Restore_Masks();
    return true;
}

bool GR_D3D_Reset_Device()
{
    if (!g_context) return false;
    GR_Batch_Flush();
    GR_Display_Reset_Pending = false;
    while (GR_Surface_Reset_Target()) {}
    return MakeDeviceResources();
}

void GRL_Mark_Drawn()
{
    if (g_targetFbo == g_drawFbo) g_resolved = false;
}

void GRL_Mark_Depth_Drawn()
{
    if (g_targetFbo == g_drawFbo) g_backDepthCleared = false;
}

bool Graphics::Clear(uint32_t argb, float depth, uint32_t stencil, uint32_t flags)
{
    if (!g_context) return false;
    GR_Batch_Flush();
    GLbitfield bits = 0;
    if (flags & CLEAR_COLOR) bits |= GL_COLOR_BUFFER_BIT;
    // Nothing tests the stencil, so it goes with the depth: the two share each pixel's word, and
    // filling the whole word is several times cheaper for the device than rewriting depth bits.
    bool back = g_targetFbo == g_drawFbo;
    if (!(back && g_backDepthCleared)) {
        if (flags & CLEAR_DEPTH) bits |= GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
        if (flags & CLEAR_STENCIL) bits |= GL_STENCIL_BUFFER_BIT;
    }
    if (!bits) return true;
    glClearColor((argb >> 16 & 0xFF) / 255.0f, (argb >> 8 & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f, (argb >> 24) / 255.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glEnable(GL_SCISSOR_TEST);
    glScissor(g_viewport[0], GRL_Device_Y(g_viewport[1], g_viewport[3]), g_viewport[2], g_viewport[3]);
    glClear(bits);
    glDisable(GL_SCISSOR_TEST);
    if (back && ViewportIsWholeTarget() && (bits & GL_DEPTH_BUFFER_BIT)) g_backDepthCleared = true;
    GRL_Restore_Masks();
    GRL_Mark_Drawn();
    return true;
}
