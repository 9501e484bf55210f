#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "FontFile.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Font/Font_Main.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Platform/TBitmap.h"
#include "Run/GameFile_Chunks.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

namespace {

const uint16_t* U16(const char16_t* s)
{
    return (const uint16_t*)s;
}

// A 16 x 20 frame, white in the columns left..right of rows 0..18; the black bottom row makes
// black the transparent colour.
void Frame(TBitmap* image, int left, int right)
{
    uint8_t* p = image->Lock();
    memset(p, 0, 16 * 20 * 3);
    for (int y = 0; y < 19; y++)
        for (int x = left; x <= right; x++) memset(p + (y * 16 + x) * 3, 255, 3);
}

// A sprite of three frames whose opaque columns are 3..10, 0..15 and 2..9.
int ThreeFrames()
{
    int index = Sprite_AddNew();
    CSprite* s = Sprite_Get(index);
    TBitmap image(16, 20, 24);
    const int columns[3][2] = {{3, 10}, {0, 15}, {2, 9}};
    for (int i = 0; i < 3; i++) {
        Frame(&image, columns[i][0], columns[i][1]);
        bool made = i == 0 ? s->CreateFromBitmap(&image, false, true, false, true, 0, 0, false) : s->AddFromBitmap(&image, false);
        EXPECT_TRUE(made);
    }
    return index;
}

class SpriteFont : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        GR_Text_Set_Font(-1);
        Draw_SetColor(WHITE);
        Draw_SetAlpha(1);
    }
    void TearDown() override
    {
        GameFile_Free();
        Font_Free();
        Sprite_Free();
        GR_Text_Free();
        GfxTest::TearDown();
    }
    TCapturedWarnings quiet;
};

}  // namespace

TEST_F(SpriteFont, GlyphsFromFrames)
{
    int sprite = ThreeFrames();
    // "abc" over three frames gains a space, which advances by the widest shift.
    CFontBV* f = Font_Get(Font_AddSpriteExt(sprite, "abc", false, 0));
    ASSERT_EQ(f->GetGlyphCount(), 4);
    EXPECT_EQ(f->GetFirst(), ' ');
    EXPECT_EQ(f->GetLast(), ' ' + 4);
    EXPECT_EQ(f->GetMaxHeight(), 20);
    EXPECT_EQ(f->GetShift('a'), 16);
    EXPECT_EQ(f->GetShift(' '), 16);
    EXPECT_EQ(f->FindGlyph('c')->w, 2);
    // Proportional with separation 2: columns 3..10 give shift 9 and offset -3.
    f = Font_Get(Font_AddSpriteExt(sprite, "abc", true, 2));
    EXPECT_EQ(f->FindGlyph('a')->shift, 9);
    EXPECT_EQ(f->FindGlyph('a')->offset, -3);
    EXPECT_EQ(f->FindGlyph('b')->shift, 17);
    EXPECT_EQ(f->FindGlyph('c')->shift, 9);
    EXPECT_EQ(f->GetShift(' '), 17);
    // More characters than frames are cut; a map with a space keeps its own.
    f = Font_Get(Font_AddSpriteExt(sprite, "x yz", false, 0));
    EXPECT_EQ(f->GetGlyphCount(), 3);
    EXPECT_EQ(f->FindGlyph('z'), nullptr);
    EXPECT_EQ(f->FindGlyph(' ')->w, 1);
}

TEST_F(SpriteFont, DrawnWithSeparation)
{
    int font = Font_AddSpriteExt(ThreeFrames(), "abc", true, 2);
    GR_Text_Set_Font(font);
    EXPECT_EQ(GR_Text_Width("ab", -1, -1), 9 + 17);
    EXPECT_EQ(GR_Text_Height("ab#c", -1, -1), 40);
    // 'a' is drawn 3 to the left so that its ink starts at the pen; 'b' follows after a
    // separation of 2 (one clear column: the ink's right column is inclusive).
    GR_Text_Draw(10, 5, "ab", -1, -1);
    EXPECT_EQ(Pixel(9, 6), BLACK);
    EXPECT_EQ(Pixel(10, 6), WHITE);
    EXPECT_EQ(Pixel(17, 6), WHITE);
    EXPECT_EQ(Pixel(18, 6), BLACK);
    EXPECT_EQ(Pixel(19, 6), WHITE);
    EXPECT_EQ(Pixel(34, 6), WHITE);
    EXPECT_EQ(Pixel(35, 6), BLACK);
    EXPECT_EQ(Pixel(10, 23), WHITE);
    EXPECT_EQ(Pixel(10, 24), BLACK);
    // A space only advances; a character without a glyph neither draws nor advances.
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Font_Get(font)->DrawText(10, 5, U16(u" \u20ACa"), WHITE, 1);
    EXPECT_EQ(Pixel(10 + 17, 6), WHITE);
    EXPECT_EQ(Pixel(10 + 17 - 1, 6), BLACK);
    // Turned a quarter: the line climbs from the pen.
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Font_Get(font)->DrawTextExt(5, 40, U16(u"b"), 1, 1, 90, RED, 1);
    EXPECT_EQ(Pixel(5, 39), RED);
    EXPECT_EQ(Pixel(20, 39 - 15), RED);
    EXPECT_EQ(Pixel(5, 41), BLACK);
    // The gradient runs from the first colour on the left to the second on the right.
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Font_Get(font)->DrawTextColor(10, 5, U16(u"ab"), RED, BLUE, BLUE, RED, 1);
    uint32_t left = Pixel(10, 6), right = Pixel(34, 6);
    EXPECT_GT(left & 0xFF, left >> 16 & 0xFF);
    EXPECT_GT(right >> 16 & 0xFF, right & 0xFF);
}

TEST_F(SpriteFont, MissingAndDeletedSprites)
{
    EXPECT_EQ(Font_Get(Font_AddSpriteExt(7, "abc", false, 0))->GetGlyphCount(), 0);
    EXPECT_EQ(Font_Get(Font_AddSprite(-1, 65, false, 0))->GetGlyphCount(), 0);
    int sprite = ThreeFrames();
    int font = Font_AddSpriteExt(sprite, "abc", false, 0);
    ASSERT_TRUE(Sprite_Delete(sprite));
    CFontBV* f = Font_Get(font);
    f->DrawText(0, 0, U16(u"abc"), WHITE, 1);
    f->DrawTextExt(0, 0, U16(u"abc"), 2, 2, 30, WHITE, 1);
    f->DrawTextColor(0, 0, U16(u"abc"), WHITE, WHITE, WHITE, WHITE, 1);
    f->DrawTextExtColor(0, 0, U16(u"abc"), 1, 1, 45, WHITE, WHITE, WHITE, WHITE, 1);
    GR_Text_Set_Font(font);
    GR_Text_Draw(0, 0, "abc", -1, -1);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) ASSERT_EQ(Pixel(x, y), BLACK);
    EXPECT_EQ(GR_Text_Width("abc", -1, -1), 48);
}

TEST_F(SpriteFont, CharactersFromTheCodeTable)
{
    // Without a FONT chunk, frame i is character first + i.
    int sprite = ThreeFrames();
    CFontBV* f = Font_Get(Font_AddSprite(sprite, 'x', false, 0));
    EXPECT_NE(f->FindGlyph('x'), nullptr);
    EXPECT_NE(f->FindGlyph('z'), nullptr);
    // The FONT chunk's table maps entry i to 'A' + i; outside the table first + i is used.
    FontPayload p;
    p.U32(0);
    for (int i = 0; i < 256; i++) p.U16((uint16_t)('A' + i));
    std::vector<uint8_t> file = GameWithFont(p.b);
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size());
    memcpy(buffer, file.data(), file.size());
    ASSERT_TRUE(GameFile_LoadBuffer(buffer, file.size())) << quiet.text;
    sprite = ThreeFrames();
    f = Font_Get(Font_AddSprite(sprite, 2, false, 0));
    EXPECT_NE(f->FindGlyph('C'), nullptr);
    EXPECT_NE(f->FindGlyph('E'), nullptr);
    f = Font_Get(Font_AddSprite(sprite, 254, false, 0));
    EXPECT_NE(f->FindGlyph('A' + 254), nullptr);
    EXPECT_NE(f->FindGlyph('A' + 255), nullptr);
    EXPECT_NE(f->FindGlyph(256), nullptr);
    f = Font_Get(Font_AddSprite(sprite, 300, false, 0));
    EXPECT_NE(f->FindGlyph(300), nullptr);
    // Codes that are no characters end the map.
    f = Font_Get(Font_AddSprite(sprite, -5, false, 0));
    EXPECT_EQ(f->GetGlyphCount(), 1);
    // Replacing takes first + i directly, or the caller's map.
    int font = Font_AddSpriteExt(sprite, "abc", false, 0);
    ASSERT_TRUE(Font_ReplaceSprite(font, sprite, 2, false, 0));
    EXPECT_NE(Font_Get(font)->FindGlyph(4), nullptr);
    EXPECT_STREQ(Font_GetName(font), ("__newfont" + std::to_string(font)).c_str());
    EXPECT_FALSE(Font_ReplaceSprite(99, sprite, 2, false, 0));
    EXPECT_TRUE(Font_ReplaceSpriteExt(font, sprite, "\xE2\x82\xAC!", false, 0));
    EXPECT_NE(Font_Get(font)->FindGlyph(0x20AC), nullptr);
}
