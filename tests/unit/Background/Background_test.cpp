#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "../Graphics_API/PngBytes.h"
#include "Background/Background_Main.h"
#include "Room/Background_Room.h"
#include "BgndFile.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"
#include "Room/Room_Class.h"
#include "Run/GameFile_Chunks.h"
#include "Support/LoadSave.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

int VerticesDrawn(const std::function<void()>& draw)
{
    GR_Batch_Flush();
    int before = GR_Batch_Stats.vertices;
    draw();
    GR_Batch_Flush();
    return GR_Batch_Stats.vertices - before;
}

// A 2 x 2 image: red top-left pixel, the rest green.
TBitmap* Pattern()
{
    TBitmap* image = new TBitmap(2, 2, 32);
    uint8_t* p = image->Lock();
    for (int i = 0; i < 4; i++) p[i * 4 + 1] = p[i * 4 + 3] = 255;
    p[0] = 255, p[1] = 0;
    return image;
}

bool LoadGame(const std::vector<uint8_t>& file)
{
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    return GameFile_LoadBuffer(buffer, file.size());
}

class BackgroundTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        capture.text.clear();  // the device's start-up report
        root = fs::canonical(fs::temp_directory_path()) / ("bg_" + std::to_string(getpid()));
        fs::create_directories(root / "prog");
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        LoadSave_SetGameName("BgGame");
        LoadSave_SetProgramFolder((root / "prog").c_str());
        Background_Clear();
    }
    void TearDown() override
    {
        GameFile_Free();
        Background_Clear();
        TPage_Free();
        fs::remove_all(root);
        GfxTest::TearDown();
    }
    CBackground* NewBackground(int* index)
    {
        *index = Background_AddEmpty();
        return Background_Get(*index);
    }
    TCapturedWarnings capture;
    fs::path root;
};

}  // namespace

TEST_F(BackgroundTest, TableSlotsAndNames)
{
    int a, b;
    CBackground* bg = NewBackground(&a);
    NewBackground(&b);
    EXPECT_EQ(a, 0);
    EXPECT_STREQ(Background_GetName(1), "__newbackground1");
    EXPECT_EQ(Background_Find("__newbackground1"), 1);
    EXPECT_EQ(Background_Find("__newbackground"), -1);
    EXPECT_EQ(bg->GetWidth(), 0);
    EXPECT_EQ(bg->GetTexture(), -1);
    // Deleting leaves an empty slot that nothing can reach.
    EXPECT_TRUE(Background_Delete(0));
    EXPECT_FALSE(Background_Delete(0));
    EXPECT_EQ(Background_Count(), 2);
    EXPECT_STREQ(Background_GetName(0), "<undefined>");
    EXPECT_STREQ(Background_GetName(-1), "<undefined>");
    EXPECT_STREQ(Background_GetName(2), "<undefined>");
    EXPECT_EQ(Background_Find("__newbackground0"), -1);
    EXPECT_EQ(Background_Duplicate(0), -1);
    EXPECT_FALSE(Background_Assign(1, 0));
    EXPECT_FALSE(Background_Assign(5, 1));
    // Assigning into the empty slot fills it.
    EXPECT_TRUE(Background_Assign(0, 1));
    EXPECT_TRUE(Background_Exists(0));
}

TEST_F(BackgroundTest, ColoursGradientsAndAbsurdSizes)
{
    int index;
    CBackground* bg = NewBackground(&index);
    int tex = bg->CreateColor(4, 3, RED, true);
    ASSERT_GE(tex, 0);
    EXPECT_EQ(bg->GetTexture(), tex);
    EXPECT_EQ(bg->GetWidth(), 4);
    EXPECT_EQ(bg->GetHeight(), 3);
    EXPECT_TRUE(bg->GetPreload());
    EXPECT_EQ(bg->GetBitmap()->GetData()[11], 0xFF0000FFu);
    // Sizes a game cannot mean leave the background cleared, its old texture freed.
    for (auto [w, h] : {std::pair{-5, 3}, {0, 10}, {1000000, 1000000}, {20000, 1}}) {
        EXPECT_EQ(bg->CreateColor(w, h, RED, false), -1) << w << "x" << h;
        EXPECT_EQ(bg->GetWidth(), 0);
        EXPECT_EQ(bg->GetBitmap(), nullptr);
        EXPECT_EQ(bg->GetTexture(), -1);
    }
    EXPECT_FALSE(GR_Texture_Exists(tex));
    EXPECT_EQ(bg->CreateGradient(-1, 8, RED, BLUE, 0, false), -1);
    EXPECT_EQ(bg->GetWidth(), 0);
    ASSERT_GE(bg->CreateGradient(8, 2, RED, BLUE, 0, false), 0);
    EXPECT_EQ(bg->GetBitmap()->GetData()[0], 0xFF0000FFu);
    EXPECT_EQ(bg->GetBitmap()->GetData()[7], 0xFFFF0000u);
    // Its 24-bit image for saving: B, G, R.
    TBitmap* image = bg->GetTBitmap();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetBitsPerPixel(), 24);
    EXPECT_EQ(image->Lock()[2], 255);
    EXPECT_EQ(image->Lock()[0], 0);
    delete image;
}

TEST_F(BackgroundTest, AssignDuplicateAndAlpha)
{
    int a;
    CBackground* bg = NewBackground(&a);
    ASSERT_GE(bg->CreateGradient(8, 8, RED, BLUE, 1, false), 0);
    uint32_t corner = bg->GetBitmap()->GetData()[63];
    // Assigning a background to itself keeps everything.
    EXPECT_TRUE(Background_Assign(a, a));
    ASSERT_NE(bg->GetBitmap(), nullptr);
    EXPECT_EQ(bg->GetWidth(), 8);
    EXPECT_EQ(bg->GetBitmap()->GetData()[63], corner);
    EXPECT_TRUE(GR_Texture_Exists(bg->GetTexture()));
    // A duplicate has its own image and texture.
    int d = Background_Duplicate(a);
    CBackground* copy = Background_Get(d);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetBitmap(), bg->GetBitmap());
    EXPECT_NE(copy->GetTexture(), bg->GetTexture());
    EXPECT_EQ(copy->GetBitmap()->GetData()[63], corner);
    // Alpha from a black background: transparent.
    int k;
    CBackground* black = NewBackground(&k);
    black->CreateColor(2, 2, BLACK, false);
    copy->SetAlphaFromBackground(black);
    EXPECT_EQ(copy->GetBitmap()->GetData()[0] >> 24, 0u);
    EXPECT_EQ(bg->GetBitmap()->GetData()[0] >> 24, 255u);
    int e;
    NewBackground(&e)->SetAlphaFromBackground(bg);
    EXPECT_EQ(capture.text, "Both bitmaps need to be duplicated first\n");
}

TEST_F(BackgroundTest, FilesAddReplaceAndRoundTrip)
{
    int a;
    CBackground* bg = NewBackground(&a);
    ASSERT_GE(bg->CreateGradient(6, 4, RED, GREEN, 3, false), 0);
    ASSERT_TRUE(bg->GetBitmap()->SaveToPNG("saved\\round.png"));
    int count = Background_Count();
    int r = Background_Add("saved/round.png", false, false, false);
    ASSERT_EQ(r, count);
    CBackground* loaded = Background_Get(r);
    ASSERT_EQ(loaded->GetWidth(), 6);
    EXPECT_EQ(memcmp(loaded->GetBitmap()->GetData(), bg->GetBitmap()->GetData(), 6 * 4 * 4), 0);
    EXPECT_GE(loaded->GetTextureId(), 0);

    // Missing: -1 and nothing added; replacing with it fails and keeps the background.
    EXPECT_EQ(Background_Add("none.png", false, false, false), -1);
    EXPECT_EQ(Background_Count(), count + 1);
    EXPECT_FALSE(Background_Replace(r, "none.png", false, false, false));
    EXPECT_EQ(loaded->GetWidth(), 6);
    EXPECT_FALSE(Background_Replace(99, "saved/round.png", false, false, false));

    // A file that is not a PNG: refused, with a line, and nothing changes.
    ASSERT_TRUE(LoadSave_WriteFile("bad.png", "not an image", 12));
    int tex = loaded->GetTextureId();
    EXPECT_FALSE(Background_Replace(r, "bad.png", false, false, false));
    EXPECT_EQ(loaded->GetWidth(), 6);
    EXPECT_NE(loaded->GetBitmap(), nullptr);
    EXPECT_TRUE(GR_Texture_Exists(tex));
    EXPECT_EQ(Background_Add("bad.png", false, false, false), -1);
    EXPECT_EQ(Background_AddAlpha("bad.png", false), -1);
    EXPECT_EQ(Background_Count(), count + 1);
    EXPECT_FALSE(Background_ReplaceAlpha(r, "bad.png", false));
    EXPECT_EQ(loaded->GetWidth(), 6);
    EXPECT_NE(capture.text.find("bad.png is not a PNG image"), std::string::npos);

    // From the program folder, with the background colour removed (bottom-left pixel is green).
    TBitmap* pattern = Pattern();
    CBitmap32* image = CBitmap32::CBitmap32_FromBitmap32(pattern, false, false);
    std::vector<uint8_t> png = PngBytes(*image);
    std::ofstream((root / "prog" / "pattern.png").string(), std::ios::binary).write((const char*)png.data(), (std::streamsize)png.size());
    delete image;
    delete pattern;
    int p = Background_AddAlpha("pattern.png", false);
    ASSERT_GE(p, 0);
    const uint32_t* px = Background_Get(p)->GetBitmap()->GetData();
    EXPECT_EQ(px[0], 0xFF0000FFu);
    EXPECT_EQ(px[3] >> 24, 0u);
    EXPECT_TRUE(Background_Get(p)->GetTransparent());
}

TEST_F(BackgroundTest, DrawingPlainStretchedTiledAndTurned)
{
    int a;
    CBackground* bg = NewBackground(&a);
    TBitmap* pattern = Pattern();
    ASSERT_GE(bg->CreateFromBitmap(pattern, false, false, false, true), 0);
    delete pattern;
    bg->DrawTiled(1, 1, 1, 1, true, true, 0, 0, 16, 8, WHITE, 1);
    EXPECT_EQ(Pixel(1, 1), RED);
    EXPECT_EQ(Pixel(15, 7), RED);
    EXPECT_EQ(Pixel(0, 0), GREEN);
    EXPECT_EQ(Pixel(2, 1), GREEN);
    EXPECT_EQ(Pixel(1, 12), BLACK);
    // Scales of 0 draw nothing and end.
    EXPECT_EQ(VerticesDrawn([&] {
        bg->DrawTiled(0, 0, 0, 1, true, true, 0, 0, W, H, WHITE, 1);
        bg->DrawTiled(0, 0, 1, 0, true, true, 0, 0, W, H, WHITE, 1);
        bg->DrawStretched(0, 0, 0, 10, WHITE, 1);
        bg->DrawStretched(0, 0, 10, -1, WHITE, 1);
    }), 0);
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    bg->DrawStretched(20, 20, 10, 6, WHITE, 1);
    EXPECT_EQ(Pixel(20, 20), RED);
    EXPECT_EQ(Pixel(24, 22), RED);
    EXPECT_EQ(Pixel(25, 23), GREEN);
    EXPECT_EQ(Pixel(30, 23), BLACK);
    // Turned 90 degrees about its top-left corner: the red pixel goes above the corner.
    bg->DrawExt(40, 40, 4, 4, 90, WHITE, 1);
    EXPECT_EQ(Pixel(41, 37), RED);
    EXPECT_EQ(Pixel(45, 37), GREEN);
    EXPECT_EQ(Pixel(41, 41), BLACK);
    // General: a part with a colour per corner.
    bg->DrawGeneral(0, 0, 1, 1, 50, 0, 8, 8, 0, BLUE, BLUE, BLUE, BLUE, 1);
    EXPECT_EQ(Pixel(53, 3), BLACK);  // red times blue
    bg->DrawGeneral(1, 0, 1, 1, 50, 10, 8, 8, 0, WHITE, WHITE, WHITE, WHITE, 1);
    EXPECT_EQ(Pixel(53, 13), GREEN);
}

TEST_F(BackgroundTest, RoomLayersAndTiles)
{
    int p, c;
    CBackground* bg = NewBackground(&p);
    TBitmap* pattern = Pattern();
    bg->CreateFromBitmap(pattern, false, false, false, true);
    delete pattern;
    NewBackground(&c)->CreateColor(4, 4, BLUE, false);

    CRoom room;
    room.backgrounds[0].visible = true;
    room.backgrounds[0].index = p;
    room.backgrounds[1] = room.backgrounds[0];
    room.backgrounds[1].index = c;
    room.backgrounds[1].foreground = true;
    room.backgrounds[1].htiled = room.backgrounds[1].vtiled = false;
    room.backgrounds[1].x = 10;
    room.backgrounds[1].y = 12;
    room.backgrounds[2] = room.backgrounds[0];
    room.backgrounds[2].index = 77;  // no such background
    room.backgrounds[3] = room.backgrounds[1];
    room.backgrounds[3].visible = false;
    room.backgrounds[3].x = 30;

    Background_DrawLayers(room, false, 0, 0, W, H);
    EXPECT_EQ(Pixel(0, 0), RED);
    EXPECT_EQ(Pixel(W - 2, H - 2), RED);
    EXPECT_EQ(Pixel(W - 1, H - 1), GREEN);
    EXPECT_EQ(Pixel(11, 13), GREEN);  // the foreground layer is not drawn yet
    Background_DrawLayers(room, true, 0, 0, W, H);
    EXPECT_EQ(Pixel(10, 12), BLUE);
    EXPECT_EQ(Pixel(13, 15), BLUE);
    EXPECT_EQ(Pixel(14, 15), GREEN);  // not tiled
    EXPECT_NE(Pixel(31, 13), BLUE);   // the hidden layer

    Graphics::Clear(0xFF000000u, 1, 0, 7);
    RoomTile tile;
    tile.x = 40, tile.y = 30, tile.background = p;
    tile.left = 0, tile.top = 0, tile.width = 1, tile.height = 1;
    tile.xscale = tile.yscale = 3;
    Background_DrawTile(tile);
    EXPECT_EQ(Pixel(40, 30), RED);
    EXPECT_EQ(Pixel(42, 32), RED);
    EXPECT_EQ(Pixel(43, 30), BLACK);
    EXPECT_EQ(Pixel(40, 33), BLACK);
    tile.visible = 0;
    tile.x = 0;
    RoomTile missing = tile;
    missing.visible = 1;
    missing.background = -1;
    EXPECT_EQ(VerticesDrawn([&] { Background_DrawTile(tile); Background_DrawTile(missing); }), 0);
}

TEST_F(BackgroundTest, GameFileBackgroundsDrawThroughTheirPages)
{
    using namespace BgndFile;
    // Two records and an empty slot: the first on entry 1, the second on entry 0.
    uint32_t r0 = kPayload + 16, r1 = r0 + 20;
    ASSERT_TRUE(LoadGame(BgndFile::Make({3, r0, 0, r1, kName, 1, 0, 1, kPage1, kName, 0, 1, 0, kPage0}))) << capture.text;
    ASSERT_EQ(Background_Count(), 3);
    EXPECT_FALSE(Background_Exists(1));
    CBackground* first = Background_Get(0);
    CBackground* second = Background_Get(2);
    ASSERT_TRUE(first && second);
    EXPECT_STREQ(Background_GetName(0), "bg");
    EXPECT_EQ(Background_Find("bg"), 0);
    EXPECT_EQ(first->GetTexture(), TPAGE_HANDLE_BASE + 1);
    EXPECT_TRUE(first->GetTransparent());
    EXPECT_TRUE(first->GetPreload());
    EXPECT_FALSE(first->GetSmooth());
    EXPECT_EQ(first->GetWidth(), 16);
    EXPECT_EQ(first->GetHeight(), 3);
    // The untrimmed size, though the page holds a trimmed image.
    EXPECT_EQ(second->GetWidth(), 8);
    EXPECT_EQ(second->GetHeight(), 9);
    EXPECT_EQ(second->GetTexture(), TPAGE_HANDLE_BASE);
    Background_InitTextures();
    EXPECT_EQ(second->GetTextureId(), -1);
    // A duplicate shares the page entry and has no texture of its own.
    int d = Background_Duplicate(2);
    EXPECT_EQ(Background_Get(d)->GetTexture(), TPAGE_HANDLE_BASE);
    EXPECT_EQ(Background_Get(d)->GetTextureId(), -1);

    // With the pages in place it draws from them: entry 0 is a red 4 x 4 square trimmed at (1, 2).
    CBitmap32 page(8, 8, 0xFF0000FFu);
    std::vector<uint8_t> png = PngBytes(page);
    const uint8_t* pngs[1] = {png.data()};
    size_t sizes[1] = {png.size()};
    ASSERT_TRUE(TPage_LoadTextures(pngs, sizes, 1));
    TPageEntry entries[2] = {{0, 0, 4, 4, 1, 2, 4, 4, 8, 9, 0}, {4, 0, 4, 3, 0, 0, 4, 3, 16, 3, 0}};
    ASSERT_TRUE(TPage_LoadEntries(entries, 2));
    Background_Get(d)->Draw(10, 10);
    EXPECT_EQ(Pixel(11, 12), RED);
    EXPECT_EQ(Pixel(14, 15), RED);
    EXPECT_EQ(Pixel(10, 12), BLACK);
    EXPECT_EQ(Pixel(15, 15), BLACK);
    TPage_Free();
}

TEST_F(BackgroundTest, DamagedBackgroundChunksFailTheLoad)
{
    using namespace BgndFile;
    uint32_t r = kPayload + 8;
    const std::vector<std::vector<uint32_t>> damaged = {
        {2, r},                                  // the list runs past the chunk
        {0xFFFFFFFF},                            // a count no file can hold
        {1, 0x7FFFFFF0},                         // a record outside the file
        {1, r, kName, 0, 0, 0},                  // a record cut short at the end of the file
        {1, r, kName, 0, 0, 0, 0},               // no page entry
        {1, r, kName, 0, 0, 0, kPage0 + 4},      // a page offset that is no entry
        {1, r, 0, 0, 0, 0, kPage0},              // no name
        {1, r, 0xFFFFFF00, 0, 0, 0, kPage0},     // a name outside the file
    };
    for (size_t i = 0; i < damaged.size(); i++) {
        capture.text.clear();
        EXPECT_FALSE(LoadGame(BgndFile::Make(damaged[i]))) << i;
        EXPECT_EQ(Background_Count(), 0) << i;
        EXPECT_NE(capture.text.find("Failed to load the game"), std::string::npos) << i;
        GameFile_Free();
    }
    // A name without its terminating zero at the very end of the file.
    std::vector<uint8_t> file = BgndFile::Make({1, r, 0, 0, 0, 0, kPage0});
    uint32_t nameAt = (uint32_t)file.size();
    memcpy(&file[r + 0], &nameAt, 4);
    file.insert(file.end(), {'a', 'b'});
    uint32_t form = (uint32_t)(file.size() - 8), chunk = (uint32_t)(file.size() - kPayload);
    memcpy(&file[4], &form, 4);
    memcpy(&file[kPayload - 4], &chunk, 4);
    EXPECT_FALSE(LoadGame(file));
    EXPECT_EQ(Background_Count(), 0);
    // An empty list is a valid chunk.
    GameFile_Free();
    EXPECT_TRUE(LoadGame(BgndFile::Make({0})));
}
