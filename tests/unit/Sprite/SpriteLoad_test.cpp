// The SPRT reader, the sprite table and sprites made from PNG files.
#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/PngBytes.h"
#include "SprtBuilder.h"

#include "Base/Console.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Image.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Support/LoadSave.h"
#include "Support/LoadSave_Http.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class SpriteFile : public ::testing::Test {
protected:
    void TearDown() override
    {
        GameFile_Free();
        Sprite_Free();
    }
    // Three slots: a two-frame 32 x 32 sprite, an empty slot, and a three-frame 10 x 3 sprite with
    // one shared mask whose rows carry set padding bits.
    static sprt::Game Sample()
    {
        sprt::Game g;
        sprt::Record a;
        a.width = a.height = 32;
        a.left = 1, a.right = 30, a.bottom = 29, a.top = 2;
        a.frames = {0, 1};
        sprt::Record empty;
        empty.present = false;
        sprt::Record c;
        c.name = 3;
        c.width = 10, c.height = 3;
        c.frames = {2, -1, 3};
        c.masks = {sprt::Mask(10, 3, {{0, 0}, {9, 1}, {8, 2}})};
        c.padding = true;
        g.sprites = {a, empty, c};
        return g;
    }
    TCapturedWarnings quiet;
};

TEST_F(SpriteFile, RecordsNamesMasksAndPageEntries)
{
    sprt::Game g = Sample();
    ASSERT_TRUE(sprt::Load(g.File())) << quiet.text;
    ASSERT_EQ(Sprite_Count(), 3);
    EXPECT_FALSE(Sprite_Exists(1));
    EXPECT_STREQ(Sprite_GetName(1), "<undefined>");
    EXPECT_STREQ(Sprite_GetName(3), "<undefined>");
    EXPECT_STREQ(Sprite_GetName(0), "spr_a");
    EXPECT_EQ(Sprite_Find("spr_a"), 0);  // sprite 2 has the same name
    EXPECT_EQ(Sprite_Find("spr_c"), -1);

    const CSprite* a = Sprite_Get(0);
    EXPECT_EQ(a->m_numb, 2);
    // The record stores the box as left, right, bottom, top.
    EXPECT_EQ(a->m_bbox.left, 1);
    EXPECT_EQ(a->m_bbox.top, 2);
    EXPECT_EQ(a->m_bbox.right, 30);
    EXPECT_EQ(a->m_bbox.bottom, 29);
    EXPECT_EQ(a->m_cullRadius, 46);
    EXPECT_FALSE(a->m_hasMasks);
    EXPECT_EQ(a->GetTexture(0), TPAGE_HANDLE_BASE);
    EXPECT_EQ(a->GetTexture(-1), TPAGE_HANDLE_BASE + 1);
    EXPECT_EQ(a->GetTexture(2), TPAGE_HANDLE_BASE);

    const CSprite* c = Sprite_Get(2);
    EXPECT_EQ(c->GetTexture(1), -1);
    EXPECT_EQ(c->GetTexture(2), TPAGE_HANDLE_BASE + 3);
    ASSERT_TRUE(c->m_hasMasks);
    ASSERT_EQ(c->m_masks.size(), 1u);
    EXPECT_EQ(c->m_masks[0], sprt::Mask(10, 3, {{0, 0}, {9, 1}, {8, 2}}));
    // Every frame uses the one mask.
    TSpritePlace at = {2, {0, 0, 9, 2}, 0, 0, 1, 1, 0};
    EXPECT_TRUE(c->CollisionPoint(at, 9, 1));
    EXPECT_FALSE(c->CollisionPoint(at, 1, 1));

    // Frames of the file cannot be merged into; a copy shares the pages and collides as the
    // original does, and neither loses its masks when its precise flag goes off and on.
    int copy = Sprite_Duplicate(2);
    ASSERT_GE(copy, 0);
    EXPECT_EQ(Sprite_Get(copy)->GetTexture(2), TPAGE_HANDLE_BASE + 3);
    EXPECT_TRUE(Sprite_Get(copy)->CollisionPoint(at, 9, 1));
    EXPECT_FALSE(Sprite_Get(copy)->CollisionPoint(at, 1, 1));
    Sprite_Get(2)->SetPrecise(false);
    Sprite_Get(2)->SetPrecise(true);
    EXPECT_FALSE(c->CollisionPoint(at, 1, 1));
    EXPECT_FALSE(Sprite_Get(copy)->Merge(Sprite_Get(0)));
    EXPECT_EQ(Sprite_Get(copy)->m_numb, 3);
}

TEST_F(SpriteFile, DamagedChunksFailAndLeaveNothing)
{
    sprt::Game g = Sample();
    std::vector<uint8_t> prefix = g.Prefix();
    size_t base = sprt::Game::PayloadOffset(prefix);
    std::vector<uint8_t> payload = g.Payload(base);
    // Every byte of the payload is needed: each truncation fails.
    for (size_t n = 0; n < payload.size(); n++) {
        std::vector<uint8_t> cut(payload.begin(), payload.begin() + n);
        EXPECT_FALSE(sprt::Load(sprt::Game::WithPayload(prefix, cut))) << "truncated to " << n;
        EXPECT_EQ(Sprite_Count(), 0) << "truncated to " << n;
        GameFile_Free();
    }

    auto expectFails = [&](const char* what, auto change) {
        sprt::Game bad = Sample();
        change(bad);
        std::vector<uint8_t> p = bad.Prefix();
        std::vector<uint8_t> body = bad.Payload(sprt::Game::PayloadOffset(p));
        EXPECT_FALSE(sprt::Load(sprt::Game::WithPayload(p, body))) << what;
        EXPECT_EQ(Sprite_Count(), 0) << what;
        GameFile_Free();
    };
    expectFails("width -1", [](sprt::Game& b) { b.sprites[2].width = -1; });
    expectFails("width 0", [](sprt::Game& b) { b.sprites[0].width = 0; });
    expectFails("height too large", [](sprt::Game& b) { b.sprites[0].height = 100000; });
    expectFails("no name", [](sprt::Game& b) { b.sprites[0].name = -1; });

    // Patched payloads: counts past the end and offsets that lead nowhere.
    auto expectPatchFails = [&](const char* what, size_t at, uint32_t value) {
        std::vector<uint8_t> body = payload;
        sprt::Patch(body, at, value);
        EXPECT_FALSE(sprt::Load(sprt::Game::WithPayload(prefix, body))) << what;
        EXPECT_EQ(Sprite_Count(), 0) << what;
        GameFile_Free();
    };
    uint32_t record0 = (uint32_t)(payload[4] | payload[5] << 8 | payload[6] << 16 | payload[7] << 24) - (uint32_t)base;
    uint32_t record2 = (uint32_t)(payload[12] | payload[13] << 8 | payload[14] << 16 | payload[15] << 24) - (uint32_t)base;
    expectPatchFails("sprite count", 0, 0xFFFFFFFFu);
    expectPatchFails("sprite count one too many", 0, 4);
    expectPatchFails("record past the end", 4, (uint32_t)(base + payload.size() + 100));
    expectPatchFails("frame count", record0 + 56, 0x40000000u);
    expectPatchFails("frame offset not a page entry", record0 + 60, g.nameOffsets[0]);
    expectPatchFails("mask rows too short for the width", record2 + 4, 17);
    expectPatchFails("mask count", record2 + 60 + 12, 2);
    expectPatchFails("mask count huge", record2 + 60 + 12, 0xFFFFFFFFu);
    expectPatchFails("name outside the file", record0, 0xFFFFFFF0u);
    // The last byte of the file is a mask byte that is not zero: a name there never ends.
    ASSERT_NE(payload.back(), 0);
    expectPatchFails("name without its end", record0, (uint32_t)(base + payload.size() - 1));

    // The undamaged chunk still loads after all that.
    ASSERT_TRUE(sprt::Load(sprt::Game::WithPayload(prefix, payload)));
    EXPECT_EQ(Sprite_Count(), 3);
}

// PNG files in a program folder of their own.
class SpriteRunTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("sprite_" + std::to_string(getpid()));
        fs::create_directories(root);
        LoadSave_SetProgramFolder((root.string() + "/").c_str());
    }
    void TearDown() override
    {
        RequestList_Free();
        Sprite_Free();
        fs::remove_all(root);
    }
    // A strip of frames of w x h, frame i filled with an opaque colour except a transparent
    // (magenta) border of one pixel; the bottom-left pixel is the background.
    static std::vector<uint8_t> Strip(int frames, int w, int h)
    {
        int width = frames * w;
        std::vector<uint8_t> rgba((size_t)width * h * 4);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < width; x++) {
                uint8_t* p = &rgba[((size_t)y * width + x) * 4];
                int fx = x % w;
                bool border = fx == 0 || y == 0 || fx == w - 1 || y == h - 1;
                p[0] = border ? 255 : (uint8_t)(40 * (x / w));
                p[1] = border ? 0 : 200;
                p[2] = border ? 255 : 0;
                p[3] = 255;
            }
        return PngBytes(rgba.data(), width, h);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream((root / name).string(), std::ios::binary).write((const char*)bytes.data(), bytes.size());
    }
    fs::path root;
    TCapturedWarnings quiet;
};

TEST_F(SpriteRunTime, StripsBoxesMasksAndFailures)
{
    Write("strip.png", Strip(4, 8, 6));
    Write("junk.png", {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    int before = Sprite_AddNew();
    EXPECT_STREQ(Sprite_GetName(before), ("__newsprite" + std::to_string(before)).c_str());

    int s = Sprite_Add("strip.png", 4, true, true, false, true, 3, 2);
    ASSERT_EQ(s, before + 1);
    const CSprite* sp = Sprite_Get(s);
    EXPECT_EQ(sp->m_numb, 4);
    EXPECT_EQ(sp->m_width, 8);
    EXPECT_EQ(sp->m_height, 6);
    EXPECT_EQ(sp->m_xorigin, 3);
    // The magenta border became transparent: the box and the masks are the inner pixels.
    EXPECT_EQ(sp->m_bbox.left, 1);
    EXPECT_EQ(sp->m_bbox.top, 1);
    EXPECT_EQ(sp->m_bbox.right, 6);
    EXPECT_EQ(sp->m_bbox.bottom, 4);
    ASSERT_EQ(sp->m_masks.size(), 4u);
    EXPECT_EQ(sp->m_masks[3][0], 0);
    EXPECT_EQ(sp->m_masks[3][1 * 8 + 1], 1);

    // More frames than columns, a missing file, undecodable bytes: -1, and the count stays.
    int count = Sprite_Count();
    EXPECT_EQ(Sprite_Add("strip.png", 33, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Add("missing.png", 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Add("junk.png", 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Add("HTTP://example.com/a.png", 1, true, true, false, true, 0, 0), -1);
    EXPECT_EQ(Sprite_Count(), count);

    // A replacement that does not decode, or holds fewer columns than frames, keeps the sprite.
    int frames = Sprite_Get(s)->m_numb, width = Sprite_Get(s)->m_width;
    ASSERT_GT(frames, 0);
    EXPECT_FALSE(Sprite_Replace(s, "junk.png", 1, true, true, false, true, 0, 0));
    EXPECT_FALSE(Sprite_ReplaceAlpha(s, "strip.png", 33, true, true, 0, 0));
    EXPECT_EQ(Sprite_Get(s)->m_numb, frames);
    EXPECT_EQ(Sprite_Get(s)->m_width, width);
    EXPECT_TRUE(Sprite_Replace(s, "strip.png", 2, true, true, false, true, 0, 0));
    EXPECT_EQ(Sprite_Get(s)->m_width, 16);
    EXPECT_FALSE(Sprite_Replace(count, "strip.png", 2, true, true, false, true, 0, 0));

    // With its own alpha kept, the magenta border stays solid.
    int alpha = Sprite_AddAlpha("strip.png", 4, true, true, 0, 0);
    ASSERT_GE(alpha, 0);
    EXPECT_EQ(Sprite_Get(alpha)->m_masks[0][0], 1);
    EXPECT_EQ(Sprite_Get(alpha)->m_bbox.left, 0);
}

TEST_F(SpriteRunTime, SelfAssignSelfMergeAndDeletion)
{
    Write("strip.png", Strip(2, 5, 5));
    int s = Sprite_Add("strip.png", 2, true, true, false, true, 0, 0);
    ASSERT_GE(s, 0);
    EXPECT_TRUE(Sprite_Assign(s, s));
    EXPECT_EQ(Sprite_Get(s)->m_numb, 2);
    EXPECT_EQ(Sprite_Get(s)->m_bitmaps.size(), 2u);

    EXPECT_TRUE(Sprite_Get(s)->Merge(Sprite_Get(s)));
    EXPECT_EQ(Sprite_Get(s)->m_numb, 4);
    EXPECT_EQ(Sprite_Get(s)->m_masks.size(), 4u);
    EXPECT_EQ(Sprite_Get(s)->m_masks[3], Sprite_Get(s)->m_masks[1]);

    // A frame of another size is stretched to the sprite's.
    int other = Sprite_Add("strip.png", 1, true, true, false, true, 0, 0);
    ASSERT_TRUE(Sprite_Get(s)->Merge(Sprite_Get(other)));
    EXPECT_EQ(Sprite_Get(s)->m_numb, 5);
    EXPECT_EQ(Sprite_Get(s)->m_bitmaps[4]->GetWidth(), 5);

    for (int i = 0; i < 3; i++) Sprite_AddNew();
    int count = Sprite_Count();
    EXPECT_TRUE(Sprite_Delete(other));
    EXPECT_FALSE(Sprite_Delete(other));
    EXPECT_EQ(Sprite_Count(), count);
    EXPECT_FALSE(Sprite_Exists(other));
    EXPECT_STREQ(Sprite_GetName(other), "<undefined>");
    EXPECT_EQ(Sprite_Duplicate(other), -1);
    EXPECT_FALSE(Sprite_Assign(other + 100, s));
    // An empty slot takes a copy and a name again.
    EXPECT_TRUE(Sprite_Assign(other, s));
    EXPECT_EQ(Sprite_Get(other)->m_numb, 5);
    EXPECT_EQ(Sprite_Find(Sprite_GetName(other)), other);
}

TEST_F(SpriteRunTime, UrlSpritesFillWhenTheirDownloadArrives)
{
    int s = Sprite_Add("http://127.0.0.1:1/strip.png", 2, true, true, false, true, 1, 1);
    ASSERT_GE(s, 0);
    EXPECT_EQ(Sprite_Get(s)->m_numb, 0);
    TSpriteRequest request = {s, 2, 1, 1, 1 | 2 | 8};
    std::vector<uint8_t> png = Strip(2, 4, 4);
    EXPECT_EQ(Sprite_RequestComplete(&request, png.data(), 0), -1);
    const uint8_t page[] = "<html>404</html>";
    EXPECT_EQ(Sprite_RequestComplete(&request, page, sizeof page), -1);
    EXPECT_EQ(Sprite_Get(s)->m_numb, 0);
    EXPECT_EQ(Sprite_RequestComplete(&request, png.data(), (int64_t)png.size()), 0);
    EXPECT_EQ(Sprite_Get(s)->m_numb, 2);
    EXPECT_EQ(Sprite_Get(s)->m_xorigin, 1);

    // The game deleted the sprite before its download arrived.
    int gone = Sprite_Add("https://127.0.0.1:1/strip.png", 2, true, true, false, true, 0, 0);
    ASSERT_TRUE(Sprite_Delete(gone));
    TSpriteRequest late = {gone, 2, 0, 0, 2};
    EXPECT_EQ(Sprite_RequestComplete(&late, png.data(), (int64_t)png.size()), -1);
    EXPECT_FALSE(Sprite_Exists(gone));
}

}  // namespace
