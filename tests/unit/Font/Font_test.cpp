#include "../Base/CapturedWarnings.h"
#include "../Graphics_API/GfxTest.h"
#include "../Graphics_API/PngBytes.h"
#include "FontFile.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Font/Font_Main.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/GR_Texture.h"
#include "Graphics_API/Image.h"
#include "Run/GameFile_Chunks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

struct Glyph {
    uint16_t c;
    int16_t x, y, w, h, shift, offset;
};

// A FONT payload: font 0 "fnt_main" with the given glyphs, slot 1 empty; the code table maps
// entry i to 'A' + i. edit may damage the payload before the code table is appended.
std::vector<uint8_t> FontChunk(const std::vector<Glyph>& glyphs, uint32_t first = 32,
                               const std::function<void(FontPayload&, uint32_t record)>& edit = nullptr,
                               float scaleX = 1, float scaleY = 1)
{
    FontPayload p;
    p.U32(2);
    uint32_t table = p.Here();
    p.U32(0);
    p.U32(0);
    uint32_t name = p.Text("fnt_main"), face = p.Text("Arial");
    uint32_t record = p.Here();
    p.Patch(table, record);
    for (uint32_t v : {name, face, 14u, 1u, 0u, first, 127u, TPAG_RECORD}) p.U32(v);
    p.F32(scaleX);
    p.F32(scaleY);
    p.U32((uint32_t)glyphs.size());
    uint32_t list = p.Here();
    for (size_t i = 0; i < glyphs.size(); i++) p.U32(0);
    for (size_t i = 0; i < glyphs.size(); i++) {
        p.Patch(list + 4 * (uint32_t)i, p.Here());
        const Glyph& g = glyphs[i];
        for (int16_t v : {(int16_t)g.c, g.x, g.y, g.w, g.h, g.shift, g.offset, (int16_t)0}) p.U16((uint16_t)v);
    }
    if (edit) edit(p, record);
    for (int i = 0; i < 256; i++) p.U16((uint16_t)('A' + i));
    return p.b;
}

bool Load(const std::vector<uint8_t>& file)
{
    uint8_t* buffer = (uint8_t*)MemAlloc(file.size() + 1);
    memcpy(buffer, file.data(), file.size());
    return GameFile_LoadBuffer(buffer, file.size());
}

// Glyphs 32..127, each 6 wide, 10 high, given out of order.
std::vector<Glyph> AsciiGlyphs()
{
    std::vector<Glyph> g;
    for (int c = 127; c >= 32; c--) g.push_back({(uint16_t)c, (int16_t)(c % 16 * 8), (int16_t)(c / 16 * 12), 6, (int16_t)(c == 'g' ? 12 : 10), 7, (int16_t)(c == 'j' ? -1 : 0)});
    return g;
}

class FontTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        GameFile_Free();
        Font_Free();
    }
    TCapturedWarnings quiet;
};

const uint16_t* U16(const char16_t* s)
{
    return (const uint16_t*)s;
}

}  // namespace

TEST_F(FontTest, RecordsOfTheFontChunk)
{
    uint32_t first = 32 | 1 << 16 | 2 << 24;
    ASSERT_TRUE(Load(GameWithFont(FontChunk(AsciiGlyphs(), first, nullptr, 2, 0.5f)))) << quiet.text;
    ASSERT_EQ(Font_Count(), 2);
    CFontBV* f = Font_Get(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetFirst(), 32);
    EXPECT_EQ(f->GetCharset(), 1);
    EXPECT_EQ(f->GetAntialias(), 1);
    EXPECT_EQ(f->GetLast(), 127);
    EXPECT_EQ(f->GetSize(), 14);
    EXPECT_TRUE(f->GetBold());
    EXPECT_FALSE(f->GetItalic());
    EXPECT_STREQ(f->GetFaceName(), "Arial");
    EXPECT_EQ(f->GetScaleX(), 2.0f);
    EXPECT_EQ(f->GetScaleY(), 0.5f);
    EXPECT_EQ(f->GetBitmapWidth(), 64);
    EXPECT_EQ(f->GetBitmapHeight(), 32);
    EXPECT_EQ(f->GetMaxHeight(), 12);
    EXPECT_EQ(f->TextHeight(U16(u"")), 12);
    // Glyphs come sorted whatever the file's order.
    const FontGlyph* a = f->FindGlyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->character, 'A');
    EXPECT_EQ(a->x, 'A' % 16 * 8);
    EXPECT_EQ(f->FindGlyph(200), nullptr);
    EXPECT_EQ(f->FindGlyph(31), nullptr);
    EXPECT_NE(f->FindGlyph(127), nullptr);
    // A character without a glyph measures as the first glyph.
    EXPECT_EQ(f->TextWidth(U16(u"AB\u00C8")), 21);
    EXPECT_FALSE(Font_Exists(1));
    EXPECT_STREQ(Font_GetName(0), "fnt_main");
    EXPECT_STREQ(Font_GetName(1), "<undefined>");
    EXPECT_STREQ(Font_GetName(-1), "<undefined>");
    EXPECT_EQ(Font_Find("fnt_main"), 0);
    EXPECT_EQ(Font_Find("none"), -1);
}

TEST_F(FontTest, DamagedFontChunksFailTheLoad)
{
    auto damage = [](std::function<void(FontPayload&, uint32_t)> edit) {
        return GameWithFont(FontChunk(AsciiGlyphs(), 32, edit));
    };
    std::vector<std::pair<const char*, std::vector<uint8_t>>> files = {
        {"shorter than its code table", GameWithFont(std::vector<uint8_t>(300, 0))},
        {"list longer than the chunk", damage([](FontPayload& p, uint32_t) { p.Patch(FONT_PAYLOAD, 100000); })},
        {"record outside the file", damage([](FontPayload& p, uint32_t) { p.Patch(FONT_PAYLOAD + 4, 0x7FFFFFF0); })},
        {"glyph count too large", damage([](FontPayload& p, uint32_t r) { p.Patch(r + 40, 0x40000000); })},
        {"glyph outside the file", damage([](FontPayload& p, uint32_t r) { p.Patch(r + 44, 0xFFFFFFF0); })},
        {"face outside the file", damage([](FontPayload& p, uint32_t r) { p.Patch(r + 4, 0xFFFFFF00); })},
        {"page entry that is no entry", damage([](FontPayload& p, uint32_t r) { p.Patch(r + 28, TPAG_RECORD + 2); })},
        {"scale not a number", damage([](FontPayload& p, uint32_t r) { p.Patch(r + 32, 0x7FC00000); })},
    };
    // The list must also stay clear of the code table.
    std::vector<uint8_t> tight = FontChunk({}, 32);
    tight.resize(4 + 512);
    tight[0] = 1;
    files.push_back({"list running into the code table", GameWithFont(tight)});
    for (auto& [what, file] : files) {
        EXPECT_FALSE(Load(file)) << what;
        EXPECT_EQ(Font_Count(), 0) << what;
        EXPECT_NE(quiet.text.find("Failed to load the game"), std::string::npos) << what;
        GameFile_Free();
    }
    // An empty list with its code table is fine.
    std::vector<uint8_t> empty(4 + 512, 0);
    EXPECT_TRUE(Load(GameWithFont(empty)));
    EXPECT_EQ(Font_Count(), 0);
}

TEST_F(FontTest, RunTimeFontsAndTheTable)
{
    EXPECT_EQ(Font_Add("Sans", 10, false, true, -4, 400), 0);
    EXPECT_EQ(Font_Add("Mono", 10, false, false, 32, 128), 1);
    CFontBV* f = Font_Get(0);
    EXPECT_EQ(f->GetFirst(), 0);
    EXPECT_EQ(f->GetLast(), 255);
    EXPECT_EQ(f->GetAntialias(), 3);
    EXPECT_TRUE(f->GetItalic());
    // Without a graphics device the glyphs measure but have no texture.
    EXPECT_GT(f->TextWidth(U16(u"abc")), 0);
    EXPECT_EQ(f->GetTextureId(), -1);
    EXPECT_STREQ(Font_GetName(1), "__newfont1");
    EXPECT_TRUE(Font_Replace(1, "Serif", 20, true, false, 40, 90));
    EXPECT_STREQ(Font_GetName(1), "__newfont1");
    EXPECT_STREQ(Font_Get(1)->GetFaceName(), "Serif");
    EXPECT_FALSE(Font_Replace(2, "Serif", 20, true, false, 40, 90));
    EXPECT_FALSE(Font_Replace(-1, "Serif", 20, true, false, 40, 90));
    EXPECT_TRUE(Font_Delete(0));
    EXPECT_FALSE(Font_Delete(0));
    EXPECT_FALSE(Font_Exists(0));
    EXPECT_EQ(Font_Get(0), nullptr);
    EXPECT_STREQ(Font_GetName(0), "<undefined>");
    EXPECT_EQ(Font_Find("__newfont0"), -1);
    // New fonts never reuse a slot; a deleted slot can be filled again by replacing.
    EXPECT_EQ(Font_Add("Sans", 10, false, false, 32, 128), 2);
    EXPECT_TRUE(Font_Replace(0, "Sans", 8, false, false, 32, 128));
    EXPECT_STREQ(Font_GetName(0), "__newfont0");
}

// A face of the system (DejaVu Sans, from fonts-dejavu-core) becomes glyphs on one alpha map:
// each glyph the line's height, inside the map, apart from the others, its ink within it.
TEST_F(FontTest, SystemFacesRasteriseIntoOneMap)
{
    int index = Font_Add("DejaVu Sans", 16, false, false, 32, 127);
    const CFontBV* f = Font_Get(index);
    int w = f->GetBitmapWidth(), h = f->GetBitmapHeight();
    ASSERT_GT(f->GetGlyphCount(), 0) << quiet.text;
    ASSERT_TRUE(w > 0 && h > 0 && w <= 4096 && h <= 4096) << w << " x " << h;
    for (int c = 32; c < 127; c++) EXPECT_NE(f->FindGlyph(c), nullptr) << c;
    EXPECT_EQ(f->FindGlyph(31), nullptr);
    EXPECT_EQ(f->FindGlyph(128), nullptr);
    EXPECT_LT(f->GetShift('i'), f->GetShift('W'));
    // Ascent and descent are shared: every glyph is as high as the line.
    EXPECT_GT(f->GetMaxHeight(), 16);
    std::vector<uint8_t> owner((size_t)w * h, 0);
    const uint8_t* alpha = f->GetAlpha();
    ASSERT_NE(alpha, nullptr);
    bool partial = false;
    for (int i = 0; i < f->GetGlyphCount(); i++) {
        const FontGlyph& g = f->GetGlyphs()[i];
        ASSERT_EQ(g.h, f->GetMaxHeight());
        // A clear pixel all round: the rectangle grown by one stays inside the map and owns
        // its pixels alone.
        ASSERT_TRUE(g.x >= 1 && g.y >= 1 && g.x + g.w + 1 <= w && g.y + g.h + 1 <= h) << g.character;
        int ink = 0;
        for (int y = g.y - 1; y <= g.y + g.h; y++)
            for (int x = g.x - 1; x <= g.x + g.w; x++) {
                bool inside = x >= g.x && x < g.x + g.w && y >= g.y && y < g.y + g.h;
                EXPECT_TRUE(!inside || owner[(size_t)y * w + x] == 0) << "glyphs overlap at " << x << "," << y;
                if (inside) owner[(size_t)y * w + x] = 1;
                uint8_t a = alpha[(size_t)y * w + x];
                if (!inside) {
                    EXPECT_EQ(a, 0) << "ink outside glyph " << g.character;
                }
                ink += inside && a;
                partial = partial || (a > 0 && a < 255);
            }
        EXPECT_EQ(ink > 0, g.character != ' ') << g.character;
    }
    EXPECT_TRUE(partial) << "antialiased edges";
    // Pixels of no glyph are clear.
    for (size_t p = 0; p < owner.size(); p++)
        if (!owner[p]) {
            ASSERT_EQ(alpha[p], 0) << "at " << p % w << "," << p / w;
        }

    // The whole range: controls have no glyph, Latin-1 letters have.
    f = Font_Get(Font_Add("DejaVu Sans", 10, true, true, -4, 400));
    EXPECT_EQ(f->FindGlyph(10), nullptr);
    EXPECT_NE(f->FindGlyph(0xE9), nullptr);
    EXPECT_EQ(f->GetLast(), 255);
    // An empty range has no glyphs and is no failure.
    EXPECT_EQ(Font_Get(Font_Add("DejaVu Sans", 16, false, false, 100, 50))->GetGlyphCount(), 0);
    EXPECT_EQ(quiet.text.find("cannot be rasterised"), std::string::npos) << quiet.text;
    // Sizes no map can hold give no glyphs, each with a line; one point is still a font.
    for (int size : {0, -3, 3100, 1 << 30}) {
        quiet.text.clear();
        EXPECT_EQ(Font_Get(Font_Add("DejaVu Sans", size, false, false, 32, 127))->GetGlyphCount(), 0) << size;
        EXPECT_NE(quiet.text.find("Font \"DejaVu Sans\" at " + std::to_string(size) + " points cannot be rasterised"),
                  std::string::npos) << quiet.text;
    }
    EXPECT_GT(Font_Get(Font_Add("DejaVu Sans", 1, false, false, 32, 127))->GetGlyphCount(), 0);
}

TEST_F(FontTest, TextMeasuresBeforeTheGraphicsDevice)
{
    // The built-in font measures without its image; wrapping chooses the font only once.
    int once = GR_Text_Width("ab cd#efg", -1, 20);
    EXPECT_GT(once, 1);
    EXPECT_EQ(GR_Text_Width("ab cd#efg", -1, 20), once);
    EXPECT_EQ(GR_Text_Height("ab cd#efg", 10, 20), GR_Text_Current_Font()->GetMaxHeight() + 20);
    GR_Text_Draw(0, 0, "ab cd", -1, 20);
    GR_Text_Free();
}

namespace {
class FileFont : public GfxTest {
protected:
    void TearDown() override
    {
        GameFile_Free();
        Font_Free();
        GfxTest::TearDown();
    }
    TCapturedWarnings quiet;
};
}  // namespace

TEST_F(FileFont, GlyphsDrawFromTheirPage)
{
    // The page: glyph 'A' is the opaque 5 x 6 block at (8, 4); its pen offset is 2 and it
    // advances by 7.
    std::vector<uint8_t> rgba(64 * 32 * 4, 0);
    for (int y = 4; y < 10; y++)
        for (int x = 8; x < 13; x++) memset(&rgba[(y * 64 + x) * 4], 255, 4);
    std::vector<uint8_t> png = PngBytes(rgba.data(), 64, 32);
    ASSERT_FALSE(png.empty());
    // Columns lit in row y by a run of "AA" drawn at (10, 20).
    auto lit = [](int y) {
        std::string row;
        for (int x = 10; x < 40; x++) row += Pixel(x, y) == WHITE ? '#' : Pixel(x, y) == BLACK ? '.' : '?';
        return row;
    };
    ASSERT_TRUE(Load(GameWithFont(FontChunk({{'A', 8, 4, 5, 6, 7, 2}}), png)));
    CFontBV* f = Font_Get(0);
    ASSERT_NE(f->GetPageEntry(), nullptr);
    f->DrawText(10, 20, U16(u"AA"), WHITE, 1);
    const std::string plain = "..#####..#####................";
    EXPECT_EQ(lit(19), std::string(30, '.'));
    EXPECT_EQ(lit(20), plain);
    EXPECT_EQ(lit(25), plain);
    EXPECT_EQ(lit(26), std::string(30, '.'));
    // The font's own scale (2 across) applies to plain runs; transformed runs take theirs.
    GameFile_Free();
    ASSERT_TRUE(Load(GameWithFont(FontChunk({{'A', 8, 4, 5, 6, 7, 2}}, 32, nullptr, 2, 1), png)));
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Font_Get(0)->DrawText(10, 20, U16(u"AA"), WHITE, 1);
    EXPECT_EQ(lit(22), "....##########....##########..");
    Graphics::Clear(0xFF000000u, 1, 0, 7);
    Font_Get(0)->DrawTextExt(10, 20, U16(u"AA"), 1, 1, 0, WHITE, 1);
    EXPECT_EQ(lit(22), plain);
}
