// 3D primitives and shapes, recorded into a batch so that their vertices can be looked at.
#include "../Graphics_API/GfxTest.h"
#include "../Graphics_API/PngBytes.h"

#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics3D_Primitive.h"
#include "Graphics_API/GraphicsRecorder.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

// Records what is drawn while it lives.
class Recording {
public:
    Recording() { Graphics3D_SetRecordTarget(&batch); }
    ~Recording()
    {
        Graphics3D_SetRecordTarget(nullptr);
        GraphicsRecorder_Free(&batch);
    }
    D3DModelBatch batch;
};

std::vector<float> Xs(const std::vector<VertexXYZNormalColorUV>& list)
{
    std::vector<float> xs;
    for (const auto& v : list) xs.push_back(v.x);
    return xs;
}

class Primitive3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        Draw_Init();
        Draw_SetColor(WHITE);
        Draw_SetAlpha(1);
    }
};

TEST_F(Primitive3D, FullPrimitivesContinueAsIfTheyWereOne)
{
    EXPECT_EQ(Graphics3D_VertexLimit(GR_TRIANGLELIST), 999);
    EXPECT_EQ(Graphics3D_VertexLimit(GR_TRIANGLESTRIP), 1000);
    for (int kind = GR_POINTLIST; kind <= GR_TRIANGLEFAN; kind++) {
        std::vector<VertexXYZNormalColorUV> whole(2500);
        for (int i = 0; i < 2500; i++) whole[i] = {(float)i, (float)(i % 2), 0, 0, 0, 0, Draw_GetColorWord(), 0, 0};
        D3DModelBatch expected;
        GraphicsRecorder_AddPrimitive(&expected, kind, 2500, whole.data());
        Recording r;
        Graphics3D_PrimitiveBegin(kind, -1);
        for (int i = 0; i < 2500; i++) Graphics3D_Vertex((float)i, (float)(i % 2), 0);
        Graphics3D_PrimitiveEnd();
        EXPECT_EQ(Xs(r.batch.triangles), Xs(expected.triangles)) << kind;
        EXPECT_EQ(Xs(r.batch.lines), Xs(expected.lines)) << kind;
        EXPECT_EQ(Xs(r.batch.points), Xs(expected.points)) << kind;
        GraphicsRecorder_Free(&expected);
    }
}

TEST_F(Primitive3D, ATriangleListIsSentAtItsThousandthVertex)
{
    Recording r;
    Graphics3D_PrimitiveBegin(GR_TRIANGLELIST, -1);
    for (int i = 0; i < 999; i++) Graphics3D_Vertex((float)i, 0, 0);
    EXPECT_TRUE(r.batch.triangles.empty());
    Graphics3D_Vertex(999, 0, 0);
    EXPECT_EQ(r.batch.triangles.size(), 999u);
    EXPECT_EQ(Graphics3D_PrimitiveCount(), 1);
    // The last vertex waits for a triangle that never comes; a second end draws nothing more.
    Graphics3D_PrimitiveEnd();
    Graphics3D_PrimitiveEnd();
    EXPECT_EQ(r.batch.triangles.size(), 999u);
}

TEST_F(Primitive3D, KindsThatAreNotPrimitivesDrawNothing)
{
    GR_Batch_Flush();
    GR_BatchStats before = GR_Batch_Stats;
    for (int kind : {0, 7, -1, INT_MIN, INT_MAX}) {
        Graphics3D_PrimitiveBegin(kind, -1);
        for (int i = 0; i < 3000; i++) Graphics3D_Vertex((float)i, 0, 0);
        EXPECT_LE(Graphics3D_PrimitiveCount(), PRIMITIVE3D_MAX);
        Graphics3D_PrimitiveEnd();
    }
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices, before.vertices);
}

TEST_F(Primitive3D, RecordingSetsTheGamesPrimitiveAside)
{
    Graphics3D_PrimitiveBegin(GR_TRIANGLESTRIP, -1);
    Graphics3D_Vertex(1, 0, 0);
    Graphics3D_Vertex(2, 0, 0);
    {
        Recording r;
        Graphics3D_DrawBlock(0, 0, 0, 1, 1, 1, -1, 1, 1);
        EXPECT_EQ(r.batch.triangles.size(), 36u);
    }
    EXPECT_EQ(Graphics3D_PrimitiveCount(), 2);
}

TEST_F(Primitive3D, ShapesHaveTheirFacesAndSteps)
{
    Recording r;
    auto triangles = [&] {
        size_t n = r.batch.triangles.size() / 3;
        r.batch.triangles.clear();
        return n;
    };
    Graphics3D_DrawBlock(0, 0, 0, 10, 20, 30, -1, 2, 3);
    const auto& t = r.batch.triangles;
    ASSERT_EQ(t.size(), 36u);
    // The bottom face's second corner is (x1, y2) at (0, vrepeat); the top face's is (x2, y1)
    // at (hrepeat, 0).
    EXPECT_EQ(t[1].y, 20);
    EXPECT_EQ(t[1].u, 0);
    EXPECT_EQ(t[1].v, 3);
    EXPECT_EQ(t[1].nz, -1);
    EXPECT_EQ(t[7].x, 10);
    EXPECT_EQ(t[7].z, 30);
    EXPECT_EQ(t[7].u, 2);
    EXPECT_EQ(t[7].v, 0);
    EXPECT_EQ(t[7].nz, 1);
    EXPECT_EQ(triangles(), 12u);

    // Steps are clamped to 3..128: two caps of steps triangles and a side of twice as many.
    Graphics3D_DrawCylinder(0, 0, 0, 10, 10, 10, -1, 1, 1, true, 200);
    EXPECT_EQ(triangles(), 4u * 128);
    Graphics3D_DrawCylinder(0, 0, 0, 10, 10, 10, -1, 1, 1, true, 1);
    EXPECT_EQ(triangles(), 4u * 3);
    Graphics3D_DrawCylinder(0, 0, 0, 10, 10, 10, -1, 1, 1, false, INT_MIN);
    EXPECT_EQ(triangles(), 2u * 3);
    Graphics3D_DrawCone(0, 0, 0, 10, 10, 10, -1, 1, 1, true, 8);
    EXPECT_EQ(triangles(), 3u * 8);
    // An ellipsoid of 5 steps has 3 bands, the first starting at the pole z = z2.
    Graphics3D_DrawEllipsoid(0, 0, 0, 10, 10, 10, -1, 1, 1, 5);
    EXPECT_EQ(t[0].z, 10);
    EXPECT_NEAR(t[0].nz, 1, 1e-6);
    EXPECT_EQ(triangles(), 3u * 10);
    // A floor's height runs from z1 at x1 to z2 at x2.
    Graphics3D_DrawFloor(0, 0, 5, 10, 10, 9, -1, 1, 1);
    ASSERT_EQ(t.size(), 6u);
    for (const auto& v : t) EXPECT_EQ(v.z, v.x == 0 ? 5 : 9);
    triangles();
    // A wall's normal is horizontal, across its direction.
    Graphics3D_DrawWall(0, 0, 0, 0, 10, 5, -1, 1, 1);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].nx, 1);
    EXPECT_EQ(t[0].ny, 0);
    triangles();
}

TEST_F(Primitive3D, PageEntriesMapTextureCoordinatesAndUnknownTexturesNone)
{
    CBitmap32 page(16, 16, 0xFF000000u);
    std::vector<uint8_t> png = PngBytes(page);
    const uint8_t* pngs[1] = {png.data()};
    size_t sizes[1] = {png.size()};
    ASSERT_TRUE(TPage_LoadTextures(pngs, sizes, 1));
    TPageEntry entry = {4, 8, 4, 4, 0, 0, 4, 4, 4, 4, 0};
    ASSERT_TRUE(TPage_LoadEntries(&entry, 1));
    {
        Recording r;
        for (int texture : {TPAGE_HANDLE_BASE, -1, 12345, INT_MIN}) {
            Graphics3D_PrimitiveBegin(GR_POINTLIST, texture);
            Graphics3D_VertexTexture(0, 0, 0, 0.5f, 1);
            Graphics3D_PrimitiveEnd();
        }
        ASSERT_EQ(r.batch.points.size(), 4u);
        EXPECT_EQ(r.batch.points[0].u, (4 + 0.5f * 4) / 16);
        EXPECT_EQ(r.batch.points[0].v, (8 + 1.0f * 4) / 16);
        for (int i = 1; i < 4; i++) EXPECT_EQ(r.batch.points[i].u, 0.5f) << i;
    }
    TPage_Free();
}

// Shapes turn texture repeat on while they draw and put the setting back, also when they draw
// nothing.
TEST_F(GfxTest, ShapesPutTheRepeatSettingBack)
{
    Draw_SetColor(WHITE);
    for (bool repeat : {false, true}) {
        GR_Texture_Set_Repeat(repeat);
        Graphics3D_DrawWall(5, 5, 0, 5, 5, 10, -1, 1, 1);
        EXPECT_EQ(GR_Texture_Get_Repeat(), repeat);
        Graphics3D_DrawBlock(1, 1, 0, 5, 5, 1, -1, 1, 1);
        EXPECT_EQ(GR_Texture_Get_Repeat(), repeat);
    }
    GR_Texture_Set_Repeat(false);
    EXPECT_EQ(Pixel(2, 2), WHITE);
}

}  // namespace
