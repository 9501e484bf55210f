// Particles read back from the screen: shapes, colours and motion over the life, turning, draw
// order, additive blending, the depth walk, sprites, and how few draw calls a system costs.
#include "../Graphics_API/GfxTest.h"
#include "Particle/Particle_Internal.h"

#include "Base/Color.h"
#include "Base/Random.h"
#include "Graphics_API/DrawRegion.h"
#include "Platform/TBitmap.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

class ParticleDraw : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Particle_Init();
        Random_Seed(5);
        ps = ParticleSystem_Create();
        // An 8 x 8 solid square that lives long and stays put.
        square = ParticleType_Create();
        ParticleType_Shape(square, 2);
        ParticleType_Size(square, 0.125f, 0.125f, 0, 0);
        ParticleType_Life(square, 1000, 1000);
        saved = DrawRegion;
        DrawRegion = {0, 0, W - 1, H - 1};
    }
    void TearDown() override
    {
        DrawRegion = saved;
        Particle_Init();
        Sprite_Free();
        GfxTest::TearDown();
    }
    // The system drawn on a black screen.
    void Show(int system = -1)
    {
        Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR);
        ParticleSystem_Draw(system < 0 ? ps : system);
        GR_Batch_Flush();
    }

    int ps = -1, square = -1;
    TDrawRegion saved;
};

}  // namespace

TEST_F(ParticleDraw, SquaresColoursAndMotion)
{
    ParticleType_Color1(square, RED);
    ParticleSystem_CreateParticles(ps, 20.6f, 20.6f, square, 1);  // the centre is truncated to (20, 20)
    Show();
    EXPECT_EQ(Pixel(16, 16), RED);
    EXPECT_EQ(Pixel(23, 23), RED);
    EXPECT_EQ(Pixel(24, 20), BLACK);
    EXPECT_EQ(Pixel(15, 20), BLACK);

    // Speed 2 moves 20 pixels in 10 updates; colour 2 from red to blue is their half merge at half life.
    ParticleSystem_ClearParticles(ps);
    ParticleType_Speed(square, 2, 2, 0, 0);
    ParticleType_Life(square, 20, 20);
    ParticleType_Color2(square, RED, BLUE);
    ParticleSystem_CreateParticles(ps, 10, 30, square, 1);
    for (int i = 0; i < 10; i++) ParticleSystem_Update(ps);
    Show();
    EXPECT_EQ(Pixel(13, 30), BLACK);
    EXPECT_TRUE(Near(Pixel(30, 30), (uint32_t)Color_Merge(RED, BLUE, 0.5f)));
    EXPECT_TRUE(Near(Pixel(26, 26), (uint32_t)Color_Merge(RED, BLUE, 0.5f)));
    // The system's position offsets every particle.
    ParticleSystem_Position(ps, -20, 0);
    Show();
    EXPECT_EQ(Pixel(30, 30), BLACK);
    EXPECT_NE(Pixel(10, 30), BLACK);
}

TEST_F(ParticleDraw, AlphaOverTheLifeAndAdditiveBlending)
{
    ParticleType_Alpha2(square, 1, 0);
    ParticleType_Life(square, 10, 10);
    ParticleSystem_CreateParticles(ps, 20, 20, square, 1);
    for (int i = 0; i < 5; i++) ParticleSystem_Update(ps);
    Show();
    EXPECT_TRUE(Near(Pixel(20, 20), 0x808080));

    // Two additive particles add up; the blending the game had comes back afterwards.
    ParticleSystem_ClearParticles(ps);
    ParticleType_Alpha1(square, 1);
    ParticleType_Color1(square, 0x404040);
    ParticleType_Blend(square, true);
    ParticleSystem_CreateParticles(ps, 20, 20, square, 2);
    GR_D3D_Set_Blend_Mode(3);  // subtract
    uint32_t source = GR_D3D_Get_Render_State(GR_RS_SRCBLEND), dest = GR_D3D_Get_Render_State(GR_RS_DESTBLEND);
    Show();
    EXPECT_TRUE(Near(Pixel(20, 20), 0x808080));
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_SRCBLEND), source);
    EXPECT_EQ(GR_D3D_Get_Render_State(GR_RS_DESTBLEND), dest);
    GR_D3D_Set_Blend_Mode(0);
}

TEST_F(ParticleDraw, TurningAndDrawOrder)
{
    // A line shape turned by 90 degrees stands upright.
    int line = ParticleType_Create();
    ParticleType_Shape(line, 3);
    ParticleType_Size(line, 0.5f, 0.5f, 0, 0);
    ParticleType_Life(line, 100, 100);
    ParticleSystem_CreateParticles(ps, 32, 24, line, 1);
    Show();
    EXPECT_NE(Pixel(42, 24), BLACK);
    EXPECT_EQ(Pixel(32, 14), BLACK);
    ParticleType_Orientation(line, 90, 90, 0, 0, false);
    ParticleSystem_ClearParticles(ps);
    ParticleSystem_CreateParticles(ps, 32, 24, line, 1);
    Show();
    EXPECT_EQ(Pixel(42, 24), BLACK);
    EXPECT_NE(Pixel(32, 14), BLACK);
    // Relative orientation adds the direction of motion.
    ParticleType_Orientation(line, 0, 0, 0, 0, true);
    ParticleType_Direction(line, 90, 90, 0, 0);
    ParticleSystem_ClearParticles(ps);
    ParticleSystem_CreateParticles(ps, 32, 24, line, 1);
    Show();
    EXPECT_NE(Pixel(32, 14), BLACK);

    // Old to new draws the newest on top; new to old the oldest.
    int green = ParticleType_Create();
    ParticleType_Shape(green, 2);
    ParticleType_Size(green, 0.125f, 0.125f, 0, 0);
    ParticleType_Color1(green, GREEN);
    ParticleType_Color1(square, RED);
    ParticleSystem_ClearParticles(ps);
    ParticleSystem_CreateParticles(ps, 20, 20, square, 1);
    ParticleSystem_CreateParticles(ps, 20, 20, green, 1);
    Show();
    EXPECT_EQ(Pixel(20, 20), GREEN);
    ParticleSystem_DrawOrder(ps, false);
    Show();
    EXPECT_EQ(Pixel(20, 20), RED);
}

// Shapes are filtered linearly while the game's setting is kept: the fading sphere enlarged four
// times shades pixel by pixel instead of in blocks of four.
TEST_F(ParticleDraw, LinearFilteringKeepsTheGameSetting)
{
    int sphere = ParticleType_Create();
    ParticleType_Shape(sphere, 7);
    ParticleType_Size(sphere, 4, 4, 0, 0);
    ParticleSystem_CreateParticles(ps, -64, 24, sphere, 1);  // the window sees half its radius
    GR_Texture_Set_Interpolation(false);
    Show();
    EXPECT_FALSE(GR_Texture_Get_Interpolation());
    std::set<uint32_t> shades;
    for (int x = 0; x < W; x++) shades.insert(Pixel(x, 24) & 0xFF);
    EXPECT_GE(shades.size(), 40u);
}

// Systems within 0.01 of each other are drawn once, at the first one's turn, even when a third
// system lies within 0.01 below the second.
TEST_F(ParticleDraw, TheDepthWalkDrawsEachSystemOnce)
{
    ParticleType_Color1(square, 0x303030);
    ParticleType_Blend(square, true);
    ParticleSystem_Destroy(ps);
    for (float depth : {10.0f, 10.005f, 9.995f, 5.0f}) {
        int s = ParticleSystem_Create();
        ParticleSystem_Depth(s, depth);
        ParticleSystem_CreateParticles(s, 20, 20, square, 1);
    }
    Graphics::Clear(0xFF000000u, 1, 0, Graphics::CLEAR_COLOR);
    int visits = 0;
    for (float d = ParticleSystems_MaxDepth(); d > -1e8f; d = ParticleSystems_NextDepthBelow(d)) {
        ParticleSystems_DrawAtDepth(d);
        visits++;
    }
    GR_Batch_Flush();
    EXPECT_EQ(visits, 3);
    EXPECT_TRUE(Near(Pixel(20, 20), 0xC0C0C0));
}

TEST_F(ParticleDraw, ManyParticlesOfAShapeShareBatches)
{
    ParticleType_Size(square, 0.05f, 0.05f, 0, 0);
    int e = ParticleEmitter_Create(ps);
    ParticleEmitter_Region(ps, e, 0, W, 0, H, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    ParticleEmitter_Burst(ps, e, square, 5000);
    GR_Batch_Flush();
    GR_Batch_New_Frame();
    int calls = GR_Batch_Stats.drawCalls;
    Show();
    // One batch, handed over as a frame's hand-overs come (GR_BATCH_HANDOVER vertices, then twice
    // the last up to GR_BATCH_HANDOVER_MOST): not a draw a particle.
    int at = GR_BATCH_HANDOVER;
    auto batches = [&at](int particles) {
        int count = 0;
        for (; particles > 0; count++) {
            particles -= (at + 5) / 6;
            if (particles > 0) at = std::min(2 * at, GR_BATCH_HANDOVER_MOST);
        }
        return count;
    };
    int shapes = batches(5000);
    EXPECT_EQ(GR_Batch_Stats.drawCalls - calls, shapes);
    EXPECT_LT(shapes, 5000 * 6 / GR_BATCH_HANDOVER);
    // A sprite particle between shapes costs a batch each side of it, no more.
    TBitmap image(2, 2, 24);
    memset(image.Lock(), 255, 12);
    int sprite = Sprite_AddNew();
    ASSERT_TRUE(Sprite_Get(sprite)->CreateFromBitmap(&image, false, false, false, true, 0, 0, false));
    int sprited = ParticleType_Create();
    ParticleType_Sprite(sprited, sprite, false, false, false);
    ParticleSystem_CreateParticles(ps, 5, 5, sprited, 1);
    ParticleEmitter_Burst(ps, e, square, 5000);
    GR_Batch_Flush();
    GR_Batch_New_Frame();
    at = GR_BATCH_HANDOVER;
    calls = GR_Batch_Stats.drawCalls;
    Show();
    int before = batches(5000), after = batches(5000);
    EXPECT_EQ(GR_Batch_Stats.drawCalls - calls, before + 1 + after);
}

// Sprite frames: fixed, one a step, or spread over the life.
TEST_F(ParticleDraw, SpriteFramesFollowTheAge)
{
    TBitmap image(4, 4, 24);
    int sprite = Sprite_AddNew();
    CSprite* s = Sprite_Get(sprite);
    const uint8_t bgr[3][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};  // red, green, blue
    for (int f = 0; f < 3; f++) {
        uint8_t* p = image.Lock();
        for (int i = 0; i < 16; i++) memcpy(p + i * 3, bgr[f], 3);
        ASSERT_TRUE(f == 0 ? s->CreateFromBitmap(&image, false, false, false, true, 2, 2, false) : s->AddFromBitmap(&image, false));
    }
    int t = ParticleType_Create();
    ParticleType_Life(t, 6, 6);
    ParticleType_Sprite(t, sprite, true, true, false);
    ParticleSystem_CreateParticles(ps, 20, 20, t, 1);
    const uint32_t stretched[] = {RED, RED, GREEN, GREEN, BLUE};
    for (uint32_t want : stretched) {
        Show();
        EXPECT_EQ(Pixel(20, 20), want);
        ParticleSystem_Update(ps);
    }
    ParticleType_Sprite(t, sprite, true, false, false);
    ParticleSystem_ClearParticles(ps);
    ParticleSystem_CreateParticles(ps, 20, 20, t, 1);
    const uint32_t stepped[] = {RED, GREEN, BLUE, RED};
    for (uint32_t want : stepped) {
        Show();
        EXPECT_EQ(Pixel(20, 20), want);
        ParticleSystem_Update(ps);
    }
    // A sprite that no longer exists gives way to the shape (a white dot).
    Sprite_Delete(sprite);
    Show();
    EXPECT_EQ(Pixel(20, 20), WHITE);
    EXPECT_EQ(Pixel(20, 40), BLACK);
}
