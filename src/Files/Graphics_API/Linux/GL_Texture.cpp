// Device textures, vertex buffers, the drawing of a batch, and texture copies and reads.
#include "Graphics_API/Linux/GL_Internal.h"
#include "Graphics_API/GR_Backend.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"
#include "Base/MemoryManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

int GRB_Max_Texture_Size()
{
    if (!GRL_Has_Device()) return 0;
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

static void SetSampling(GR_DeviceTexture* t, bool linear, bool repeat)
{
    if (t->linear != linear) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        t->linear = linear;
    }
    if (t->repeat != repeat) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
        t->repeat = repeat;
    }
}

GR_DeviceTexture* GRB_Texture_Create(int width, int height, const uint8_t* rgba)
{
    int max = GRB_Max_Texture_Size();
    if (width <= 0 || height <= 0 || width > max || height > max) return nullptr;
    while (glGetError() != GL_NO_ERROR) {}
    GR_DeviceTexture* t = new GR_DeviceTexture{};
    t->width = width;
    t->height = height;
    t->linear = t->repeat = true;  // so that the first SetSampling writes both
    glGenTextures(1, &t->id);
    glBindTexture(GL_TEXTURE_2D, t->id);
    SetSampling(t, false, false);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (!rgba) {
        // Cleared a band of rows at a time, so a large target needs no image-sized buffer.
        int rows = (1 << 20) / (width * 4);
        if (rows < 1) rows = 1;
        uint8_t* zeros = (uint8_t*)MemAllocClear((size_t)width * 4 * rows);
        if (!zeros) {
            GRB_Texture_Destroy(t);
            return nullptr;
        }
        for (int y = 0; y < height; y += rows)
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, y + rows > height ? height - y : rows, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
        MemFree(zeros);
    }
    if (glGetError() != GL_NO_ERROR) {
        GRB_Texture_Destroy(t);
        return nullptr;
    }
    return t;
}

void GRB_Texture_Destroy(GR_DeviceTexture* t)
{
    if (!t) return;
    if (GRL_Has_Device()) {
        glDeleteFramebuffers(1, &t->fbo);
        glDeleteRenderbuffers(1, &t->depth);
        glDeleteTextures(1, &t->id);
    }
    delete t;
}

void GRB_Texture_Set_Priority(GR_DeviceTexture* t, float priority)
{
    if (!t || !GRL_Has_Device()) return;
    GLclampf p = priority < 0 ? 0 : priority > 1 ? 1 : priority;
    glPrioritizeTextures(1, &t->id, &p);
}

bool GRL_Texture_Framebuffer(GR_DeviceTexture* t, bool withDepth)
{
    if (!t->fbo) {
        glGenFramebuffers(1, &t->fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, t->fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->id, 0);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, t->fbo);
    }
    if (withDepth && !t->depth) {
        glGenRenderbuffers(1, &t->depth);
        glBindRenderbuffer(GL_RENDERBUFFER, t->depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, t->width, t->height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t->depth);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t->depth);
    }
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

static const GLenum kModes[7] = {0, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};

// Vertex pointers are addresses in client memory, or offsets in the bound vertex buffer.
static const void* At(uintptr_t base, int offset)
{
    return (const void*)(base + (uintptr_t)offset);
}

// Where a vertex of the stride keeps its colour word.
static int ColourAt(int stride)
{
    return stride == 36 ? 24 : 12;
}

// Points the vertex arrays at the vertices and binds the texture; ReleaseArrays undoes what
// this set once the draw is made.
static bool BindArrays(GR_DeviceTexture* texture, int stride, uintptr_t base)
{
    bool normals = stride == 36;
    int colourAt = ColourAt(stride), uvAt = normals ? 28 : 16;
    glVertexPointer(3, GL_FLOAT, stride, At(base, 0));
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, At(base, colourAt));
    if (normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, At(base, 12));
    } else {
        glNormal3f(0, 0, 0);
    }
    bool textured = texture && stride != 16;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture->id);
        SetSampling(texture, GR_Texture_Get_Interpolation(), GR_Texture_Get_Repeat());
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, At(base, uvAt));
    }
    GRL_Use_Program(textured);
    return textured;
}

static void ReleaseArrays(bool textured, int stride)
{
    if (textured) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_TEXTURE_2D);
    }
    if (stride == 36) glDisableClientState(GL_NORMAL_ARRAY);
    GRL_Mark_Drawn();
    if (GR_D3D_Get_Render_State(GR_RS_ZENABLE) && GR_D3D_Get_Render_State(GR_RS_ZWRITEENABLE)) GRL_Mark_Depth_Drawn();
}

static void DrawArrays(int kind, GR_DeviceTexture* texture, int stride, uintptr_t base, int count)
{
    GRL_Prepare_Depth();
    bool textured = BindArrays(texture, stride, base);
    glDrawArrays(kModes[kind], 0, count);
    ReleaseArrays(textured, stride);
}

void GRB_Draw(int kind, GR_DeviceTexture* texture, int stride, const void* vertices, int count)
{
    if (!GRL_Has_Device() || kind < 1 || kind > 6) return;
    DrawArrays(kind, texture, stride, (uintptr_t)vertices, count);
}

// The indices of every quad a batch can hold, in a buffer of the device: 6 a quad, the same for
// every batch. Null (the indices are then read from memory) when the device refused the buffer.
static uint16_t g_quadIndices[GR_BATCH_MAX_QUADS * 6];
static GLuint g_quadBuffer = 0;
static unsigned g_quadDevice = 0;  // the GRL_Device_Generation of g_quadBuffer

static const void* QuadIndices()
{
    if (g_quadIndices[1] == 0) {
        static const uint16_t corners[6] = {0, 1, 3, 1, 2, 3};
        for (int q = 0; q < GR_BATCH_MAX_QUADS; q++)
            for (int i = 0; i < 6; i++) g_quadIndices[q * 6 + i] = (uint16_t)(q * 4 + corners[i]);
    }
    if (g_quadDevice != GRL_Device_Generation()) {
        g_quadDevice = GRL_Device_Generation();
        while (glGetError() != GL_NO_ERROR) {}
        glGenBuffers(1, &g_quadBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_quadBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof g_quadIndices, g_quadIndices, GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        if (glGetError() != GL_NO_ERROR) {
            glDeleteBuffers(1, &g_quadBuffer);
            g_quadBuffer = 0;
        }
    }
    if (!g_quadBuffer) return g_quadIndices;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_quadBuffer);
    return nullptr;
}

// Whether each quad's four corners share one colour (quads of different colours may follow each
// other). Such a batch is drawn flat-shaded while lighting is off and the target has depth: the
// device then takes each triangle's colour from one vertex instead of setting up and
// interpolating it for every pixel, and the pixels are the same.
static bool OneColourAQuad(int stride, const void* vertices, int quads)
{
    const uint8_t* at = (const uint8_t*)vertices + ColourAt(stride);
    for (int q = 0; q < quads; q++, at += 4 * stride) {
        uint32_t corner[4];
        for (int k = 0; k < 4; k++) memcpy(&corner[k], at + k * stride, 4);
        if (corner[1] != corner[0] || corner[2] != corner[0] || corner[3] != corner[0]) return false;
    }
    return true;
}

// Into a target without depth and stencil, Mesa's llvmpipe draws a screen-aligned quad as one
// rectangle instead of two triangles when its two triangles reach the device together with
// nothing flat-shaded. It takes the indices of a draw 1,023 at a time (an odd number of
// triangles): draws of at most this many quads keep every quad whole.
static const int kRectangleQuads = 1023 / 6;

void GRB_Draw_Quads(GR_DeviceTexture* texture, int stride, const void* vertices, int quads)
{
    if (!GRL_Has_Device() || quads < 1 || quads > GR_BATCH_MAX_QUADS) return;
    GRL_Prepare_Depth();
    bool rectangles = !GRL_Target_Has_Depth();
    bool flat = !rectangles && GR_D3D_Get_Render_State(GR_RS_SHADEMODE) != GR_SHADE_FLAT &&
                !GR_D3D_Get_Render_State(GR_RS_LIGHTING) && OneColourAQuad(stride, vertices, quads);
    bool textured = BindArrays(texture, stride, (uintptr_t)vertices);
    uintptr_t indices = (uintptr_t)QuadIndices();
    if (flat) glShadeModel(GL_FLAT);
    int run = rectangles ? kRectangleQuads : quads;
    for (int first = 0; first < quads; first += run) {
        int n = std::min(run, quads - first);
        glDrawRangeElements(GL_TRIANGLES, (GLuint)(first * 4), (GLuint)((first + n) * 4 - 1), n * 6, GL_UNSIGNED_SHORT,
                            At(indices, first * 6 * (int)sizeof(uint16_t)));
    }
    if (flat) glShadeModel(GL_SMOOTH);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    ReleaseArrays(textured, stride);
}

void GRB_Submit()
{
    if (GRL_Has_Device()) glFlush();
}

struct GR_DeviceBuffer {
    GLuint id;
    int64_t size;
    unsigned device;  // the GRL_Device_Generation it was made in
};

GR_DeviceBuffer* GRB_Buffer_Create(const void* bytes, int64_t size)
{
    if (!GRL_Has_Device() || !bytes || size <= 0 || size > INT32_MAX) return nullptr;
    while (glGetError() != GL_NO_ERROR) {}
    GR_DeviceBuffer* buffer = new GR_DeviceBuffer{0, size, GRL_Device_Generation()};
    glGenBuffers(1, &buffer->id);
    glBindBuffer(GL_ARRAY_BUFFER, buffer->id);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)size, bytes, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        GRB_Buffer_Destroy(buffer);
        return nullptr;
    }
    return buffer;
}

bool GRB_Buffer_Usable(const GR_DeviceBuffer* buffer)
{
    return buffer && GRL_Has_Device() && buffer->device == GRL_Device_Generation();
}

void GRB_Buffer_Destroy(GR_DeviceBuffer* buffer)
{
    if (!buffer) return;
    if (GRB_Buffer_Usable(buffer)) glDeleteBuffers(1, &buffer->id);
    delete buffer;
}

void GRB_Draw_Buffer(int kind, GR_DeviceTexture* texture, int stride, const GR_DeviceBuffer* buffer, int count)
{
    if (!GRB_Buffer_Usable(buffer) || kind < 1 || kind > 6 || stride <= 0 || count <= 0) return;
    if ((int64_t)count * stride > buffer->size) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer->id);
    DrawArrays(kind, texture, stride, 0, count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void GR_D3D_Texture_Copy_Rect(GR_DeviceTexture* dest, int dx, int dy, GR_DeviceTexture* source, int sx, int sy, int w, int h)
{
    if (!dest || !source || dest == source || !GRL_Has_Device()) return;
    // In 64 bits: script values reach here unchecked.
    int64_t x0 = dx, y0 = dy, x1 = sx < 0 ? 0 : sx, y1 = sy < 0 ? 0 : sy, cw = w, ch = h;
    if (x0 < 0) cw += x0, x1 -= x0, x0 = 0;
    if (y0 < 0) ch += y0, y1 -= y0, y0 = 0;
    if (cw > source->width - x1) cw = source->width - x1;
    if (ch > source->height - y1) ch = source->height - y1;
    if (cw > dest->width - x0) cw = dest->width - x0;
    if (ch > dest->height - y0) ch = dest->height - y0;
    if (cw <= 0 || ch <= 0) return;
    dx = (int)x0, dy = (int)y0, sx = (int)x1, sy = (int)y1, w = (int)cw, h = (int)ch;
    GR_Batch_Flush();
    GLint target = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
    bool ok = GRL_Texture_Framebuffer(source, false) && GRL_Texture_Framebuffer(dest, false);
    if (ok) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, source->fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dest->fbo);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBlitFramebuffer(sx, sy, sx + w, sy + h, dx, dy, dx + w, dy + h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        GRL_Restore_Masks();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target);
}

uint32_t* GRL_Read_Framebuffer(GLuint fbo, int fboW, int fboH, int x, int y, int w, int h, uint32_t outside)
{
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return nullptr;
    int l = x < 0 ? 0 : x, t = y < 0 ? 0 : y;
    int r = (int)std::min<int64_t>((int64_t)x + w, fboW), b = (int)std::min<int64_t>((int64_t)y + h, fboH);
    if (r <= l || b <= t) return nullptr;
    uint32_t* pixels = (uint32_t*)MemAlloc((size_t)w * h * 4);
    if (!pixels) return nullptr;
    for (size_t i = 0, n = (size_t)w * h; i < n; i++) pixels[i] = outside;
    GLint target = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glPixelStorei(GL_PACK_ROW_LENGTH, w);
    uint32_t* first = pixels + (size_t)(t - y) * w + (l - x);
    // The window's rows come bottom first: read from its bottom (callers may give a smaller
    // height than it has) and turn the rows over.
    bool window = fbo == 0;
    glReadPixels(l, window ? GR_D3D_Get_Backbuffer_Height() - b : t, r - l, b - t, GL_BGRA, GL_UNSIGNED_BYTE, first);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    for (int i = 0, j = b - t - 1; window && i < j; i++, j--)
        std::swap_ranges(first + (size_t)i * w, first + (size_t)i * w + (r - l), first + (size_t)j * w);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    return pixels;
}

uint32_t* GR_D3D_Texture_Read_Pixels(GR_DeviceTexture* texture, int x, int y, int w, int h)
{
    if (!texture || !GRL_Has_Device()) return nullptr;
    GR_Batch_Flush();
    GLint target = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
    bool ok = GRL_Texture_Framebuffer(texture, false);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    if (!ok) return nullptr;
    return GRL_Read_Framebuffer(texture->fbo, texture->width, texture->height, x, y, w, h, 0);
}
