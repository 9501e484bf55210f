#include "GfxTest.h"
#include "Graphics_API/EmbeddedImages.h"
#include "Graphics_API/GraphicsRecorder.h"
#include "Base/MemoryManager.h"

// Vertices whose x numbers them.
static std::vector<VertexXYZNormalColorUV> Numbered(int count)
{
    std::vector<VertexXYZNormalColorUV> v(count);
    for (int i = 0; i < count; i++) v[i] = {(float)i, 0, 0, 0, 0, -1, 0xFF000000u, 0, 0};
    return v;
}

static std::vector<int> Order(const std::vector<VertexXYZNormalColorUV>& list)
{
    std::vector<int> out;
    for (const auto& v : list) out.push_back((int)v.x);
    return out;
}

TEST(GraphicsRecorder, PrimitivesBecomeLists)
{
    D3DModelBatch batch{};
    auto v = Numbered(5);
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLESTRIP, 5, v.data());
    EXPECT_EQ(Order(batch.triangles), (std::vector<int>{0, 1, 2, 1, 3, 2, 2, 3, 4}));
    batch.triangles.clear();
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLEFAN, 5, v.data());
    EXPECT_EQ(Order(batch.triangles), (std::vector<int>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLELIST, 5, v.data());
    EXPECT_EQ(batch.triangles.size(), 12u);  // the incomplete triangle is dropped
    GraphicsRecorder_AddPrimitive(&batch, GR_LINESTRIP, 4, v.data());
    EXPECT_EQ(Order(batch.lines), (std::vector<int>{0, 1, 1, 2, 2, 3}));
    GraphicsRecorder_AddPrimitive(&batch, GR_LINELIST, 5, v.data());
    EXPECT_EQ(batch.lines.size(), 10u);
    GraphicsRecorder_AddPrimitive(&batch, GR_POINTLIST, 3, v.data());
    EXPECT_EQ(batch.points.size(), 3u);
    GraphicsRecorder_AddPrimitive(&batch, 9, 5, v.data());
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLESTRIP, -3, v.data());
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLESTRIP, 2, v.data());
    EXPECT_EQ(batch.triangles.size(), 12u);
    GraphicsRecorder_Free(&batch);
    EXPECT_TRUE(batch.triangles.empty() && batch.lines.empty() && batch.points.empty());
}

TEST(GraphicsRecorder, RecolorChangesOnlyDrawColourVertices)
{
    D3DModelBatch batch{};
    batch.colour = 0xFF0000FFu;
    auto v = Numbered(4);
    for (auto& vertex : v) vertex.color = 0xFF0000FFu;
    // Vertices 0 and 3 took the drawing colour; 1 and 2 were given the same colour.
    const bool drawColour[4] = {true, false, false, true};
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLESTRIP, 4, v.data(), drawColour);
    GraphicsRecorder_AddPrimitive(&batch, GR_POINTLIST, 2, v.data(), drawColour);
    GraphicsRecorder_Recolor(&batch, 0xFF00FF00u);
    std::vector<uint32_t> colours;
    for (const auto& vertex : batch.triangles) colours.push_back(vertex.color);
    // The strip's triangles (0, 1, 2) and (1, 3, 2).
    EXPECT_EQ(colours, (std::vector<uint32_t>{0xFF00FF00u, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF00FF00u, 0xFF0000FFu}));
    EXPECT_EQ(batch.points[0].color, 0xFF00FF00u);
    EXPECT_EQ(batch.points[1].color, 0xFF0000FFu);
    EXPECT_EQ(batch.colour, 0xFF00FF00u);
    // Without the flags nothing takes the drawing colour.
    D3DModelBatch plain{};
    GraphicsRecorder_AddPrimitive(&plain, GR_POINTLIST, 2, v.data());
    GraphicsRecorder_Recolor(&plain, 0xFF123456u);
    EXPECT_EQ(plain.points[0].color, 0xFF0000FFu);
    GraphicsRecorder_Free(&batch);
    GraphicsRecorder_Free(&plain);
}

TEST_F(GfxTest, ReplayOffsetsInModelSpace)
{
    D3DModelBatch batch{};
    float xs[6] = {0, 4, 0, 4, 4, 0}, ys[6] = {0, 0, 4, 0, 4, 4};
    std::vector<VertexXYZNormalColorUV> v(6);
    for (int i = 0; i < 6; i++) v[i] = {xs[i], ys[i], 0, 0, 0, -1, 0xFF00FF00u, 0, 0};
    GraphicsRecorder_AddPrimitive(&batch, GR_TRIANGLELIST, 6, v.data());
    // The world turns a quarter clockwise on the screen and then moves 20 across.
    float rotation[16], translation[16], world[16], after[16];
    Matrix_RotationZ(rotation, -90);
    Matrix_Translation(translation, 20, 0, 0);
    Matrix_Multiply(world, rotation, translation);
    GR_D3D_Set_Transform(GR_TRANSFORM_WORLD, world);
    GraphicsRecorder_Replay(&batch, 10, 0, 0);
    EXPECT_EQ(Pixel(17, 11), GREEN);
    EXPECT_EQ(Pixel(27, 1), BLACK);
    EXPECT_EQ(Pixel(11, 11), BLACK);
    GR_D3D_Get_Transform(GR_TRANSFORM_WORLD, after);
    for (int i = 0; i < 16; i++) EXPECT_EQ(after[i], world[i]);
    EXPECT_FALSE(GR_Texture_Get_Repeat());
    GraphicsRecorder_Free(&batch);
}

TEST_F(GfxTest, ParticleShapesAreWhiteAlphaImages)
{
    EXPECT_EQ(EmbeddedImages_GetTexture(0), nullptr);
    EXPECT_EQ(EmbeddedImages_GetTexture(EMBEDDED_IMAGE_COUNT), nullptr);
    EXPECT_EQ(EmbeddedImages_GetTexture(-1), nullptr);
    std::vector<GR_DeviceTexture*> seen;
    for (int i = 1; i < EMBEDDED_IMAGE_COUNT; i++) {
        GR_DeviceTexture* t = EmbeddedImages_GetTexture(i);
        ASSERT_NE(t, nullptr) << i;
        EXPECT_EQ(EmbeddedImages_GetTexture(i), t);
        for (GR_DeviceTexture* other : seen) EXPECT_NE(other, t);
        seen.push_back(t);
    }
    // The disk (image 2): opaque white in the middle, clear in the corner.
    uint32_t* pixels = GR_D3D_Texture_Read_Pixels(EmbeddedImages_GetTexture(2), 0, 0, 64, 64);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[32 * 64 + 32], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[0] >> 24, 0u);
    MemFree(pixels);
}
