// 3D models: the table, the model file (written, read back, and read when damaged) and drawing by
// texture batches.
#include "../Graphics_API/GfxTest.h"

#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_3D_Model.h"
#include "Graphics_API/Bitmap32.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

using namespace std::string_literals;

namespace {

std::string Text(int model)
{
    std::string text;
    EXPECT_TRUE(D3DModel_ToText(model, &text));
    return text;
}

bool Load(int model, const std::string& text)
{
    return D3DModel_FromText(model, text.data(), (int64_t)text.size());
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Draw_Init();
        model = D3DModel_Create();
    }
    void TearDown() override { D3DModel_Free(); }
    int model = -1;
};

TEST_F(ModelTest, SlotsAreReused)
{
    int second = D3DModel_Create(), third = D3DModel_Create();
    D3DModel_Destroy(second);
    EXPECT_FALSE(D3DModel_Exists(second));
    EXPECT_EQ(D3DModel_Create(), second);
    EXPECT_EQ(D3DModel_Create(), third + 1);
}

TEST_F(ModelTest, TheFileHoldsOneLineACommand)
{
    EXPECT_EQ(Text(model), "100\n0\n");
    D3DModel_Vertex(model, 1, 2, 3);
    std::string zero = "     0.0000";
    EXPECT_EQ(Text(model), "100\n1\n2     1.0000     2.0000     3.0000" + zero + zero + zero + zero + zero + zero + zero + "\n");
    // Every kind, with values that need their four decimals, a sign or many digits.
    D3DModel_Clear(model);
    D3DModel_PrimitiveBegin(model, GR_TRIANGLESTRIP);
    D3DModel_VertexColor(model, -1.5f, 0.00004f, 123456.789f, 255, 0.25f);
    D3DModel_VertexTexture(model, 1, 2, 3, 0.1f, 0.9f);
    D3DModel_VertexTextureColor(model, 1, 2, 3, 0.1f, 0.9f, 16777215, 1);
    D3DModel_VertexNormal(model, 1, 2, 3, 0, 0, -1);
    D3DModel_VertexNormalColor(model, 1, 2, 3, 0, -1, 0, 65280, 0.5f);
    D3DModel_VertexNormalTexture(model, 1, 2, 3, 1, 0, 0, 2, 2);
    D3DModel_VertexNormalTextureColor(model, 1, 2, 3, 1, 0, 0, 2, 2, 12345, 0.75f);
    D3DModel_PrimitiveEnd(model);
    D3DModel_Block(model, 0, 0, 0, 1, 1, 1, 2, 2);
    D3DModel_Cylinder(model, 0, 0, 0, 1, 1, 1, 2, 2, true, 24);
    D3DModel_Cone(model, 0, 0, 0, 1, 1, 1, 2, 2, false, 12);
    D3DModel_Ellipsoid(model, 0, 0, 0, 1, 1, 1, 2, 2, 16);
    D3DModel_Wall(model, 0, 0, 0, 1, 1, 1, 2, 2);
    D3DModel_Floor(model, -1e6f, 0, 0, 1, 1, 1, 2, 2);
    std::string first = Text(model);
    EXPECT_NE(first.find("\n3    -1.5000     0.0000 123456.7891   255.0000     0.2500     0.0000"), std::string::npos) << first;

    // Read back and written again, the text is the same byte for byte.
    int other = D3DModel_Create();
    ASSERT_TRUE(D3DModel_FromText(other, first.data(), (int64_t)first.size()));
    EXPECT_EQ(D3DModel_CommandCount(other), 15);
    EXPECT_EQ(Text(other), first);
    // No text leaves the model empty.
    EXPECT_FALSE(D3DModel_FromText(other, nullptr, 0));
    EXPECT_EQ(D3DModel_CommandCount(other), 0);
}

TEST_F(ModelTest, DamagedFilesGiveWhatTheyHold)
{
    D3DModel_Vertex(model, 1, 1, 1);
    // Another version: false, and the model is emptied.
    EXPECT_FALSE(Load(model, "101\n1\n2 1 2 3\n"));
    EXPECT_EQ(D3DModel_CommandCount(model), 0);
    EXPECT_FALSE(Load(model, ""));
    EXPECT_FALSE(Load(model, " 100\n0\n"));
    // The count does not size anything; a file that ends before its count of lines, or has no
    // count, is cut short: false, and nothing of it is taken.
    EXPECT_FALSE(Load(model, "100\n2147483647\n2 1 2 3\n1\n"));
    EXPECT_EQ(D3DModel_CommandCount(model), 0);
    EXPECT_FALSE(Load(model, "100\n99999999999999999999\n1\n"));
    EXPECT_FALSE(Load(model, "100\n3\n2 1 2 3\n2 4 5 6\n"));
    EXPECT_EQ(D3DModel_CommandCount(model), 0);
    EXPECT_FALSE(Load(model, "100\n"));
    EXPECT_FALSE(Load(model, "100\nmany\n2 1 2 3\n"));
    // Lines beyond the count are not read; a negative count reads none.
    EXPECT_TRUE(Load(model, "100\n1\n2 1 2 3\n2 4 5 6\n2 7 8 9\n"));
    EXPECT_EQ(D3DModel_CommandCount(model), 1);
    EXPECT_TRUE(Load(model, "100\n-5\n2 1 2 3\n"));
    EXPECT_EQ(D3DModel_CommandCount(model), 0);
    // No final line end, CR and NUL line ends, blank lines.
    EXPECT_TRUE(Load(model, "100\r\n\r\n3\r2 1 2 3\n\n\n2 4 5 6\0002 7 8 9"s));
    ASSERT_EQ(D3DModel_CommandCount(model), 3);
    EXPECT_EQ(D3DModel_GetCommand(model, 2)->values[2], 9);
    // Lines without a kind are skipped, lines of unknown kinds kept; missing numbers are 0; what
    // is not a number ends the line; "nan" and "inf" read as what they say.
    EXPECT_TRUE(Load(model, "100\n6\n99 1 2 3\n-1 1\nabc\n2 nan 5 x 6\n3 1 2\n2 1e39 -1e39 7 8 9 10 11 12 13 14 15 16\n"));
    ASSERT_EQ(D3DModel_CommandCount(model), 5);
    EXPECT_EQ(D3DModel_GetCommand(model, 0)->kind, 99);
    EXPECT_EQ(D3DModel_GetCommand(model, 1)->kind, -1);
    const D3DModelCommand* c = D3DModel_GetCommand(model, 2);
    EXPECT_EQ(c->kind, MODEL_VERTEX);
    EXPECT_TRUE(std::isnan(c->values[0]));
    EXPECT_EQ(c->values[1], 5);
    EXPECT_EQ(c->values[2], 0);
    c = D3DModel_GetCommand(model, 3);
    EXPECT_EQ(c->kind, MODEL_VERTEX_COLOR);
    EXPECT_EQ(c->values[1], 2);
    EXPECT_EQ(c->values[2], 0);
    c = D3DModel_GetCommand(model, 4);
    EXPECT_TRUE(std::isinf(c->values[0]));
    EXPECT_EQ(c->values[9], 14);
    // A model of such values draws (here without a device) without trouble.
    EXPECT_TRUE(Load(model, "100\n6\n0 5\n2 1e39 nan 1\n1\n13 0 0 0 1 1 1 1 1 1e30\n11 0 0 0 1 1 1 nan 1 nan -inf\n3 0 0 0 nan\n"));
    std::string text = Text(model);
    EXPECT_TRUE(Load(model, text));
    EXPECT_EQ(Text(model), text);
    D3DModel_Draw(model, 0, 0, 0, -1);
    D3DModel_Draw(model, 0, 0, 0, INT_MIN);
    EXPECT_EQ(D3DModel_BatchCount(model), 2);
}

// A newer tool's commands are kept: loaded and saved again, the file is the same byte for byte,
// and they draw nothing.
TEST_F(ModelTest, UnknownKindsAreKeptAsTheyStand)
{
    const std::string zero = "     0.0000", vertex = "2     1.0000     2.0000     3.0000" + zero + zero + zero + zero + zero + zero + zero;
    const std::string file = "100\n5\n" + vertex + "\n16 1 2 3 4 5 6 7 8 9 10 11 12\n-3\n" + vertex +
                             "\n  40 texture \"wood.png\" 1.5e3\n";
    ASSERT_TRUE(Load(model, file));
    EXPECT_EQ(D3DModel_CommandCount(model), 5);
    ASSERT_NE(D3DModel_GetKeptLine(model, 1), nullptr);
    EXPECT_EQ(*D3DModel_GetKeptLine(model, 1), "16 1 2 3 4 5 6 7 8 9 10 11 12");
    EXPECT_EQ(D3DModel_GetKeptLine(model, 0), nullptr);
    EXPECT_EQ(Text(model), file);
    // Commands added after them are written after them.
    D3DModel_Vertex(model, 1, 2, 3);
    EXPECT_EQ(Text(model), "100\n6\n" + file.substr(6) + vertex + "\n");
    D3DModel_Draw(model, 0, 0, 0, -1);
    EXPECT_EQ(D3DModel_BatchCount(model), 1);
    // A clear forgets them.
    D3DModel_Clear(model);
    EXPECT_EQ(Text(model), "100\n0\n");
}

class ModelDrawTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Draw_Init();
        Draw_SetAlpha(1);
        model = D3DModel_Create();
    }
    void TearDown() override
    {
        D3DModel_Free();
        GfxTest::TearDown();
    }
    // A square of two triangles from (x, y), 10 across, with texture coordinates over the whole
    // texture; given a colour when colour >= 0.
    void Square(float x, float y, int colour)
    {
        const float corners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
        D3DModel_PrimitiveBegin(model, GR_TRIANGLELIST);
        for (const auto& c : corners) {
            if (colour >= 0) D3DModel_VertexTextureColor(model, x + 10 * c[0], y + 10 * c[1], 0, c[0], c[1], colour, 1);
            else D3DModel_VertexTexture(model, x + 10 * c[0], y + 10 * c[1], 0, c[0], c[1]);
        }
        D3DModel_PrimitiveEnd(model);
    }
    int model = -1;
};

TEST_F(ModelDrawTest, GivenColoursStayAndTheRestFollowTheDrawingColour)
{
    Square(0, 0, -1);
    Square(20, 0, RED);
    Draw_SetColor(RED);
    D3DModel_Draw(model, 0, 0, 0, -1);
    EXPECT_EQ(Pixel(5, 5), RED);
    EXPECT_EQ(Pixel(25, 5), RED);
    Draw_SetColor(BLUE);
    D3DModel_Draw(model, 0, 20, 0, -1);
    EXPECT_EQ(Pixel(5, 25), BLUE);
    EXPECT_EQ(Pixel(25, 25), RED);
    EXPECT_EQ(D3DModel_BatchCount(model), 1);
    // Loaded from its own text the model draws the same.
    std::string text;
    ASSERT_TRUE(D3DModel_ToText(model, &text));
    ASSERT_TRUE(D3DModel_FromText(model, text.data(), (int64_t)text.size()));
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    D3DModel_Draw(model, 0, 0, 0, -1);
    EXPECT_EQ(Pixel(5, 5), BLUE);
    EXPECT_EQ(Pixel(25, 5), RED);
}

TEST_F(ModelDrawTest, EachTextureHasItsBatchOfOneDrawCall)
{
    CBitmap32 greenImage(2, 2, 0xFF00FF00u), blueImage(2, 2, 0xFFFF0000u);
    int green = GR_Texture_Create_From_Bitmap32(&greenImage), blue = GR_Texture_Create_From_Bitmap32(&blueImage);
    Square(0, 0, -1);
    Draw_SetColor(WHITE);
    GR_Batch_Flush();
    int calls = GR_Batch_Stats.drawCalls;
    D3DModel_Draw(model, 0, 0, 0, green);
    D3DModel_Draw(model, 20, 0, 0, blue);
    D3DModel_Draw(model, 40, 0, 0, green);
    EXPECT_EQ(D3DModel_BatchCount(model), 2);
    EXPECT_EQ(GR_Batch_Stats.drawCalls - calls, 3);
    EXPECT_EQ(Pixel(5, 5), GREEN);
    EXPECT_EQ(Pixel(25, 5), BLUE);
    EXPECT_EQ(Pixel(45, 5), GREEN);
    // A command added later shows in no batch until the model is cleared.
    Square(0, 20, -1);
    D3DModel_Draw(model, 0, 0, 0, green);
    EXPECT_EQ(Pixel(5, 25), BLACK);
    GR_Texture_Free(green);
    GR_Texture_Free(blue);
}

TEST_F(ModelDrawTest, ASurfaceMadeAgainShowsItsNewImage)
{
    Square(0, 0, -1);
    Draw_SetColor(WHITE);
    int surface = GR_Surface_Create(4, 4);
    int texture = GR_Surface_Get_Texture(surface);
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    Graphics::Clear(0xFF00FF00u, 1, 0, 7);
    ASSERT_TRUE(GR_Surface_Reset_Target());
    D3DModel_Draw(model, 0, 0, 0, texture);
    EXPECT_EQ(Pixel(5, 5), GREEN);
    // The texture is freed with its surface: the batch draws untextured, then shows the surface
    // made next under the same texture id.
    GR_Surface_Free(surface);
    D3DModel_Draw(model, 0, 0, 0, texture);
    EXPECT_EQ(Pixel(5, 5), WHITE);
    surface = GR_Surface_Create(4, 4);
    ASSERT_EQ(GR_Surface_Get_Texture(surface), texture);
    ASSERT_TRUE(GR_Surface_Set_Target(surface));
    Graphics::Clear(0xFF0000FFu, 1, 0, 7);
    ASSERT_TRUE(GR_Surface_Reset_Target());
    D3DModel_Draw(model, 0, 0, 0, texture);
    EXPECT_EQ(Pixel(5, 5), BLUE);
    EXPECT_EQ(D3DModel_BatchCount(model), 1);
    GR_Surface_Free(surface);
}

}  // namespace
