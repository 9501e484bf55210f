// The 3D state: mode, the depth of 2D drawing, projections, the world transform and its stack.
#include "../Graphics_API/GfxTest.h"

#include "Graphics/Graphics3D.h"

#include <cmath>

namespace {

class Graphics3D : public GfxTest {
protected:
    void TearDown() override
    {
        Graphics3D_SetMode(false);
        GR_Depth = 0;
        Graphics3D_TransformStack_Clear();
        GfxTest::TearDown();
    }
    static void World(float* m) { GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, m); }
    // A row vector times the world matrix.
    static void Apply(float x, float y, float z, float* out)
    {
        float m[16];
        World(m);
        for (int c = 0; c < 3; c++) out[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
    }
};

TEST_F(Graphics3D, DepthIsClampedIn3DAndZeroOutside)
{
    Graphics3D_SetDepth(500);
    EXPECT_EQ(GR_Depth, 0);
    ASSERT_TRUE(Graphics3D_SetMode(true));
    EXPECT_TRUE(GR_D3D_Get_Perspective());
    Graphics3D_SetDepth(20000);
    EXPECT_EQ(GR_Depth, 16000);
    Graphics3D_SetDepth(-20000);
    EXPECT_EQ(GR_Depth, -16000);
    Graphics3D_SetDepth(NAN);
    EXPECT_EQ(GR_Depth, 0);
    Graphics3D_SetDepth(-250.5f);
    EXPECT_EQ(GR_Depth, -250.5f);
}

TEST_F(Graphics3D, ModeChangesFlushOnlyWhenTheyChangeSomething)
{
    GR_Batch_Flush();
    int calls = GR_Batch_Stats.drawCalls;
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, sizeof(VertexXYZColor), 3);
    ASSERT_NE(v, nullptr);
    for (int i = 0; i < 3; i++) v[i] = {0, 0, 0, 0xFFFFFFFFu};
    EXPECT_TRUE(Graphics3D_SetMode(false));
    EXPECT_EQ(GR_Batch_Stats.drawCalls, calls);
    EXPECT_TRUE(Graphics3D_SetMode(true));
    EXPECT_EQ(GR_Batch_Stats.drawCalls, calls + 1);
    EXPECT_TRUE(Graphics3D_Mode);
}

TEST_F(Graphics3D, TransformsComposeInOrder)
{
    // Turned first, then moved: (1, 0, 0) ends at (10, -1, 0).
    Graphics3D_Transform_SetRotationZ(90);
    Graphics3D_Transform_AddTranslation(10, 0, 0);
    float p[3];
    Apply(1, 0, 0, p);
    EXPECT_NEAR(p[0], 10, 1e-5);
    EXPECT_NEAR(p[1], -1, 1e-5);
    EXPECT_NEAR(p[2], 0, 1e-5);
    // Moved first, then scaled: the move is scaled too.
    Graphics3D_Transform_SetTranslation(1, 2, 3);
    Graphics3D_Transform_AddScaling(2, 2, 2);
    Apply(0, 0, 0, p);
    EXPECT_NEAR(p[0], 2, 1e-5);
    EXPECT_NEAR(p[2], 6, 1e-5);
    // About the z axis the axis rotation turns the same way as the z rotation.
    float byZ[16], byAxis[16];
    Graphics3D_Transform_SetRotationZ(30);
    World(byZ);
    Graphics3D_Transform_SetRotationAxis(0, 0, 1, 30);
    World(byAxis);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(byZ[i], byAxis[i], 1e-5) << i;
    Graphics3D_Transform_SetIdentity();
    Graphics3D_Transform_AddRotationAxis(0, 0, 2, 30);
    World(byAxis);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(byZ[i], byAxis[i], 1e-5) << i;
}

TEST_F(Graphics3D, TheStackHoldsFiftyOneMatrices)
{
    EXPECT_TRUE(Graphics3D_TransformStack_Empty());
    Graphics3D_Transform_SetTranslation(7, 0, 0);
    float before[16], after[16];
    World(before);
    EXPECT_FALSE(Graphics3D_TransformStack_Pop());
    EXPECT_FALSE(Graphics3D_TransformStack_Top());
    EXPECT_FALSE(Graphics3D_TransformStack_Discard());
    World(after);
    EXPECT_EQ(before[12], after[12]);

    for (int i = 0; i < TRANSFORM_STACK_SIZE; i++) {
        Graphics3D_Transform_SetTranslation((float)i, 0, 0);
        EXPECT_TRUE(Graphics3D_TransformStack_Push()) << i;
    }
    EXPECT_FALSE(Graphics3D_TransformStack_Push());
    Graphics3D_Transform_SetIdentity();
    float p[3];
    ASSERT_TRUE(Graphics3D_TransformStack_Top());
    Apply(0, 0, 0, p);
    EXPECT_EQ(p[0], 50);
    ASSERT_TRUE(Graphics3D_TransformStack_Discard());
    Graphics3D_Transform_SetIdentity();
    ASSERT_TRUE(Graphics3D_TransformStack_Pop());
    Apply(0, 0, 0, p);
    EXPECT_EQ(p[0], 49);
    EXPECT_FALSE(Graphics3D_TransformStack_Empty());
    Graphics3D_TransformStack_Clear();
    EXPECT_TRUE(Graphics3D_TransformStack_Empty());
}

TEST_F(Graphics3D, ProjectionsAndTheOverride)
{
    // An orthographic projection of the room rectangle draws as the 2D one does.
    Graphics3D_SetProjectionOrtho(0, 0, W, H, 0);
    EXPECT_TRUE(ProjectionOverride);
    VertexXYZColor* v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, sizeof(VertexXYZColor), 6);
    ASSERT_NE(v, nullptr);
    const float xs[6] = {10, 20, 10, 20, 20, 10}, ys[6] = {5, 5, 15, 5, 15, 15};
    for (int i = 0; i < 6; i++) v[i] = {xs[i], ys[i], 0, 0xFFFF0000u};
    EXPECT_EQ(Pixel(12, 7), RED);
    EXPECT_EQ(Pixel(22, 7), BLACK);
    // Turned by 180 degrees about the centre the square shows mirrored in both axes.
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Graphics3D_SetProjectionOrtho(0, 0, W, H, 180);
    v = (VertexXYZColor*)GR_Batch_Reserve(GR_TRIANGLELIST, nullptr, sizeof(VertexXYZColor), 6);
    ASSERT_NE(v, nullptr);
    for (int i = 0; i < 6; i++) v[i] = {xs[i], ys[i], 0, 0xFFFF0000u};
    EXPECT_EQ(Pixel(W - 12, H - 7), RED);
    EXPECT_EQ(Pixel(12, 7), BLACK);

    Graphics3D_SetProjectionPerspective(0, 0, W, H, 0);
    EXPECT_FALSE(ProjectionOverride);
    Graphics3D_SetProjectionOrtho(0, 0, W, H, 0);
    Graphics3D_SetProjectionExt(0, 0, -100, 0, 0, 0, 0, 1, 0, 45, 4.0f / 3, 1, 1000);
    EXPECT_FALSE(ProjectionOverride);
    // A look-at changes the view and leaves the projection.
    float projection[16], again[16];
    GR_D3D_Get_Transform(GR_TRANSFORM_PROJECTION, projection);
    Graphics3D_SetProjection(1, 2, -50, 1, 2, 0, 0, 1, 0);
    GR_D3D_Get_Transform(GR_TRANSFORM_PROJECTION, again);
    for (int i = 0; i < 16; i++) EXPECT_EQ(projection[i], again[i]);
}

TEST_F(Graphics3D, ClearingDepthKeepsTheColour)
{
    ASSERT_TRUE(Graphics3D_SetMode(true));
    Graphics::Clear(0xFF00FF00u, 1, 0, Graphics::CLEAR_COLOR);
    Graphics3D_ClearZBuffer();
    EXPECT_EQ(Pixel(5, 5), GREEN);
}

}  // namespace
