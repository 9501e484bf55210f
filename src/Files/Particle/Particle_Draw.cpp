// Drawing a particle system. Sprite particles go through sprite drawing; shape particles become
// one quad each in the vertex batch, so that a run of particles of one shape is one draw call.
// Particles are filtered linearly whatever the game's interpolation setting (they are scaled
// freely, and their shapes are smooth images), which is put back afterwards, as is the blending.
#include "Particle/Particle_Internal.h"

#include "Graphics_API/EmbeddedImages.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Texture.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <cmath>

namespace {
constexpr float kRadians = 3.1415927f / 180.0f;

// Additive particles switch the blending to additive; the game's own blending comes back for the
// others and at the end.
class Blending {
public:
    Blending()
        : m_source(GR_D3D_Get_Render_State(GR_RS_SRCBLEND)), m_dest(GR_D3D_Get_Render_State(GR_RS_DESTBLEND))
    {
    }
    ~Blending() { Set(false); }
    void Set(bool additive)
    {
        if (additive == m_additive) return;
        m_additive = additive;
        if (additive) {
            GR_D3D_Set_Blend_Mode(1);
        } else {
            GR_D3D_Set_Render_State(GR_RS_SRCBLEND, m_source);
            GR_D3D_Set_Render_State(GR_RS_DESTBLEND, m_dest);
        }
    }
private:
    uint32_t m_source, m_dest;
    bool m_additive = false;
};

class Painter {
public:
    Painter(float xoff, float yoff) : m_xoff(xoff), m_yoff(yoff), m_z(GR_Depth)
    {
        for (int s = 0; s < PARTICLE_SHAPE_COUNT; s++) m_shapes[s] = EmbeddedImages_GetTexture(s + 1);
    }

    void Draw(const Particle& p)
    {
        if (p.lifetime <= 0) return;
        if (p.type != m_type || !m_t) Choose(p.type);
        const ParticleType& t = *m_t;
        float size = p.size;
        if (t.size.wiggle != 0) size += Particle_Wave(p.age + (int64_t)p.seed, 16, 4) * t.size.wiggle;
        float angle = p.angle;
        if (t.orientationRelative) angle += p.direction;
        if (t.orientation.wiggle != 0) angle += Particle_Wave(p.age + 2 * (int64_t)p.seed, 16, 4) * t.orientation.wiggle;
        m_blending.Set(t.additive);
        if (m_sprite) DrawSprite(p, t, *m_sprite, size, angle);
        else if (m_texture) DrawShape(p, t, m_texture, size, angle);
    }

private:
    void DrawSprite(const Particle& p, const ParticleType& t, const CSprite& sprite, float size, float angle)
    {
        int64_t count = sprite.m_numb;
        if (count < 1) return;
        int64_t frame = p.firstFrame;
        if (t.animate) frame += t.stretch ? (int64_t)p.age * count / p.lifetime : p.age;
        sprite.DrawExt((int)(frame % count), p.x + m_xoff, p.y + m_yoff, t.xscale * size, t.yscale * size, angle,
                       p.colour, p.alpha);
    }

    // The type of the particles that follow, and what draws them: nothing changes types or sprites
    // while a system is drawn.
    void Choose(int type)
    {
        m_type = type;
        m_t = &Particle_TypeOf(type);
        m_sprite = Sprite_Get(m_t->sprite);
        int shape = m_t->shape;
        m_texture = shape >= 0 && shape < PARTICLE_SHAPE_COUNT ? m_shapes[shape] : nullptr;
    }

    // Particles made together share their colour and alpha: the last colour word serves them all.
    uint32_t ColourWord(const Particle& p)
    {
        if (p.colour != m_colour || !(p.alpha == m_alpha)) {
            m_colour = p.colour;
            m_alpha = p.alpha;
            m_word = GR_Color_Alpha_To_ARGB(p.colour, p.alpha);
        }
        return m_word;
    }

    void DrawShape(const Particle& p, const ParticleType& t, GR_DeviceTexture* texture, float size, float angle)
    {
        float cx = std::trunc(p.x + m_xoff), cy = std::trunc(p.y + m_yoff);
        float hx = 32 * t.xscale * size, hy = 32 * t.yscale * size;
        if (!std::isfinite(cx + cy + hx + hy)) return;
        // Corners clockwise on the screen from the top-left, turned counter-clockwise by the angle.
        float dx[4] = {-hx, hx, hx, -hx}, dy[4] = {-hy, -hy, hy, hy};
        if (std::fabs(angle) >= 0.01f) {
            float c = std::cos(angle * kRadians), s = std::sin(angle * kRadians);
            for (int i = 0; i < 4; i++) {
                float x = dx[i], y = dy[i];
                dx[i] = c * x + s * y;
                dy[i] = -s * x + c * y;
            }
        }
        auto* out = (VertexXYZColorUV*)GR_Batch_Reserve_Quads(texture, sizeof(VertexXYZColorUV), 1);
        if (!out) return;
        uint32_t colour = ColourWord(p);
        out[0] = {cx + dx[0], cy + dy[0], m_z, colour, 0, 0};
        out[1] = {cx + dx[1], cy + dy[1], m_z, colour, 1, 0};
        out[2] = {cx + dx[2], cy + dy[2], m_z, colour, 1, 1};
        out[3] = {cx + dx[3], cy + dy[3], m_z, colour, 0, 1};
    }

    float m_xoff, m_yoff, m_z;
    GR_DeviceTexture* m_shapes[PARTICLE_SHAPE_COUNT];
    int m_type = -1;
    const ParticleType* m_t = nullptr;
    const CSprite* m_sprite = nullptr;
    GR_DeviceTexture* m_texture = nullptr;
    uint32_t m_colour = 0, m_word = GR_Color_Alpha_To_ARGB(0, 0);
    float m_alpha = 0;
    Blending m_blending;
};
}  // namespace

void Particle_DrawSystem(const ParticleSystem& ps)
{
    if (!GR_D3D_HasDevice() || ps.particles.empty()) return;
    bool linear = GR_Texture_Get_Interpolation();
    GR_Texture_Set_Interpolation(true);
    {
        Painter painter(ps.x, ps.y);
        if (ps.oldToNew)
            for (const Particle& p : ps.particles) painter.Draw(p);
        else
            for (auto p = ps.particles.rbegin(); p != ps.particles.rend(); ++p) painter.Draw(*p);
    }
    GR_Texture_Set_Interpolation(linear);
}
