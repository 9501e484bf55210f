#include "../Graphics_API/GfxTest.h"

#include "Base/Console.h"
#include "Base/Profiler.h"
#include "Font/Font_Class.h"
#include "Font/Font_Main.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"

#include "Graphics/Graphics_Text_Font.inc"

#include <string>

namespace {

class TextTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        GR_Text_Set_Font(-1);
        GR_Text_Set_HAlign(0);
        GR_Text_Set_VAlign(0);
        Draw_SetColor(WHITE);
        Draw_SetAlpha(1);
        font = GR_Text_Current_Font();
        H = font->GetMaxHeight();
    }
    void TearDown() override
    {
        Font_Free();
        GR_Text_Free();
        GfxTest::TearDown();
    }
    int Shift(const char* s)
    {
        int w = 0;
        for (; *s; s++) w += font->GetShift((unsigned char)*s);
        return w;
    }
    // The box of the lit pixels, {left, top, right, bottom} inclusive; left > right when none.
    struct Box {
        int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
        bool operator==(const Box& o) const { return left == o.left && top == o.top && right == o.right && bottom == o.bottom; }
    };
    static Box LitBox()
    {
        Box b;
        for (int y = 0; y < H_SCREEN; y++)
            for (int x = 0; x < W; x++)
                if (Pixel(x, y) != BLACK) {
                    b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
                }
        return b;
    }
    static std::vector<uint32_t> Screen()
    {
        std::vector<uint32_t> p;
        for (int y = 0; y < H_SCREEN; y++)
            for (int x = 0; x < W; x++) p.push_back(Pixel(x, y));
        return p;
    }
    static void ClearScreen() { Graphics::Clear(0xFF000000u, 1, 0, 7); }
    static constexpr int H_SCREEN = GfxTest::H;

    CFontBV* font = nullptr;
    int H = 0;
};

int Lines(const char* text, int wrap)
{
    TTextLines lines;
    GR_Text_Split(text, wrap, &lines);
    return lines.Count();
}

}  // namespace

TEST_F(TextTest, StringWidthAndHeight)
{
    EXPECT_EQ(H, 15);
    EXPECT_EQ(GR_Text_Width("", -1, -1), 1);
    EXPECT_EQ(GR_Text_Height("", -1, -1), 1);
    EXPECT_EQ(GR_Text_Height(nullptr, -1, -1), 1);
    EXPECT_EQ(GR_Text_Width("ab#cd", -1, -1), std::max(Shift("ab"), Shift("cd")));
    EXPECT_EQ(GR_Text_Height("ab#cd", -1, -1), 2 * H);
    EXPECT_EQ(GR_Text_Height("ab#cd", 20, -1), H + 20);
    EXPECT_EQ(GR_Text_Height("ab#cd#", 20, 1000), H + 20);
    // A backslash before "#" gives the "#" itself.
    EXPECT_EQ(GR_Text_Width("a\\#b", -1, -1), Shift("a#b"));
    EXPECT_EQ(GR_Text_Height("a\\#b", -1, -1), H);
    // CR LF: two breaks without wrapping, one with it (LF is then an ordinary character, which
    // has no glyph and measures as the space).
    EXPECT_EQ(Lines("ab\r\ncd", -1), 3);
    EXPECT_EQ(Lines("ab\ncd\rx", -1), 3);
    EXPECT_EQ(Lines("ab\r\ncd", 1000), 2);
    EXPECT_EQ(GR_Text_Width("ab\r\ncd", -1, 1000), Shift(" cd"));
    // An empty line between two breaks counts.
    EXPECT_EQ(Lines("a##b", -1), 3);
    EXPECT_EQ(Lines("a##b", 1000), 3);
    EXPECT_EQ(Lines("#", -1), 1);
    // Huge separations from a game stay within an int.
    EXPECT_EQ(GR_Text_Height("a#b#c", 2000000000, -1), INT32_MAX);
    GR_Text_Set_VAlign(2);
    GR_Text_Draw(0, 0, "a#b#c", 2000000000, -1);
    GR_Text_Draw_Transformed(0, 0, "a#b#c", 2000000000, -1, 1, 1, 10);
}

TEST_F(TextTest, WordWrap)
{
    // Room for the first word and the space: two lines, the space dropped.
    int w = Shift("abc ");
    EXPECT_EQ(Lines("abc def", w), 2);
    EXPECT_EQ(GR_Text_Width("abc def", -1, w), std::max(Shift("abc"), Shift("def")));
    EXPECT_EQ(GR_Text_Height("abc def", -1, w), 2 * H);
    EXPECT_EQ(Lines("abc def", Shift("abc def")), 1);
    // A word wider than the line stays whole.
    EXPECT_EQ(GR_Text_Width("abcdefgh ij", -1, Shift("abc")), Shift("abcdefgh"));
    EXPECT_EQ(Lines("abcdefgh ij", Shift("abc")), 2);
    // Several words per line where they fit; leading spaces stay in the line.
    EXPECT_EQ(Lines("aa bb cc dd", Shift("aa bb ")), 2);
    EXPECT_EQ(GR_Text_Width("  aa", -1, 1000), Shift("  aa"));
    // A first character wider than the line ends the splitting: nothing from there on.
    EXPECT_EQ(Lines("Wab", Shift("W") - 1), 0);
    EXPECT_EQ(GR_Text_Width("Wab", -1, Shift("W") - 1), 1);
    EXPECT_EQ(Lines("i#Wab#i", Shift("W") - 1), 1);
    // A break after an overlong word still breaks.
    EXPECT_EQ(Lines("abcdefgh#ij", Shift("abc")), 2);
    EXPECT_EQ(Lines("abc   ", Shift("abc")), 1);
    EXPECT_EQ(Lines("      ", 10), 0);
    // Long runs of spaces before a word too wide for the line, or before the end, split in one
    // pass: the word keeps one space before it.
    std::string spaces(200000, ' ');
    EXPECT_EQ(Lines((spaces + "W").c_str(), Shift("W") - 1), 1);
    EXPECT_EQ(GR_Text_Width((spaces + "W").c_str(), -1, Shift("W") - 1), Shift(" W"));
    EXPECT_EQ(Lines((spaces + "W  W").c_str(), Shift("W") - 1), 2);
    EXPECT_EQ(Lines(spaces.c_str(), 10), 0);
}

TEST_F(TextTest, FontChoiceAndAlignmentSettings)
{
    GR_Text_Set_HAlign(5);
    EXPECT_EQ(GR_Text_Get_HAlign(), 0);
    GR_Text_Set_HAlign(2);
    EXPECT_EQ(GR_Text_Get_HAlign(), 2);
    GR_Text_Set_VAlign(-1);
    EXPECT_EQ(GR_Text_Get_VAlign(), 0);
    int f = Font_AddSpriteExt(0, "ab", false, 0);
    GR_Text_Set_Font(f);
    EXPECT_EQ(GR_Text_Get_Font(), f);
    EXPECT_EQ(GR_Text_Current_Font(), Font_Get(f));
    // A deleted font's index falls back to the built-in font.
    Font_Delete(f);
    EXPECT_STREQ(GR_Text_Current_Font()->GetFaceName(), "debug");
    GR_Text_Set_Font(f);
    EXPECT_EQ(GR_Text_Get_Font(), -1);
}

TEST_F(TextTest, EachDrawingIsAProfilerSection)
{
    Profiler_Show(true);
    Profiler_StartFrame();
    GR_Text_Draw(0, 0, "a", -1, -1);
    GR_Text_Draw_Transformed_Color(0, 0, "a", -1, -1, 1, 1, 0, RED, RED, RED, RED, 1);
    EXPECT_EQ(Profiler_SectionCount(), 2);
    const ProfilerSection* s = Profiler_GetSection(1);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->label, "Text");
    EXPECT_EQ(s->colour, 0xFFFF00u);
    EXPECT_GE(s->duration, 0);
    Profiler_Show(false);
}

TEST_F(TextTest, InvalidUtf8IsTextToo)
{
    // Cut-off sequences and stray bytes are characters of their own, never read past the end.
    const char* texts[] = {"\xE2\x82", "ab\xE2", "\xC3", "\x80\x80#\xFF", "a\xF0\x9F\x98", "\\", "\\\\#"};
    for (const char* t : texts) {
        EXPECT_GE(GR_Text_Width(t, -1, -1), 1) << t;
        EXPECT_GE(GR_Text_Width(t, -1, 5), 1) << t;
        GR_Text_Draw(5, 5, t, -1, -1);
        GR_Text_Draw_Transformed(5, 5, t, -1, 3, 2, 2, 33);
    }
    // "ab" then a lone lead byte: one more character, measured as the first glyph.
    EXPECT_EQ(GR_Text_Width("ab\xE2", -1, -1), Shift("ab "));
    // Bytes 128 and 129 have glyphs of their own (the built-in font covers 32 to 137).
    EXPECT_EQ(GR_Text_Width("\x80\x80#\xFF", -1, -1), std::max(2 * font->GetShift(128), Shift(" ")));
}

TEST_F(TextTest, GlyphPixelsMatchTheImage)
{
    // Drawn at (10, 5) in white, each glyph's cell shows its alpha exactly.
    GR_Text_Draw(10, 5, "Hg", -1, -1);
    int x = 10;
    for (unsigned char c : std::string("Hg")) {
        const unsigned char* g = kTextFontGlyphs[c - 32];
        for (int j = 0; j < g[3]; j++)
            for (int i = 0; i < g[2]; i++) {
                int a = kTextFontImage[(g[1] + j) * 256 + g[0] + i];
                ASSERT_TRUE(Near(Pixel(x + i, 5 + j), a * 0x010101u)) << c << " at " << i << ", " << j;
            }
        x += g[2];
    }
    // Nothing outside the cells.
    Box b = LitBox();
    EXPECT_GE(b.left, 10);
    EXPECT_LT(b.right, x);
    EXPECT_GE(b.top, 5);
    EXPECT_LT(b.bottom, 5 + H);
}

TEST_F(TextTest, AlignmentPairs)
{
    const char* text = "Hi";
    int width = Shift(text);
    GR_Text_Draw(32, 24, text, -1, -1);
    Box base = LitBox();
    ASSERT_LE(base.left, base.right);
    for (int h = 0; h < 3; h++)
        for (int v = 0; v < 3; v++) {
            ClearScreen();
            GR_Text_Set_HAlign(h);
            GR_Text_Set_VAlign(v);
            GR_Text_Draw(32, 24, text, -1, -1);
            int dx = h == 1 ? -(width / 2) : h == 2 ? -width : 0;
            int dy = v == 1 ? -(H / 2) : v == 2 ? -H : 0;
            Box b = LitBox();
            EXPECT_EQ(b.left, base.left + dx) << h << v;
            EXPECT_EQ(b.right, base.right + dx) << h << v;
            EXPECT_EQ(b.top, base.top + dy) << h << v;
            EXPECT_EQ(b.bottom, base.bottom + dy) << h << v;
        }
    // Two lines at a separation of 20: the block moves up by both.
    ClearScreen();
    GR_Text_Set_HAlign(0);
    GR_Text_Set_VAlign(2);
    GR_Text_Draw(32, 47, "Hi#Hi", 20, -1);
    Box two = LitBox();
    EXPECT_EQ(two.top, base.top - 24 + 47 - 40);
    EXPECT_EQ(two.bottom, base.bottom - 24 + 47 - 20);
}

TEST_F(TextTest, TheSameTextDrawsTheSameTwice)
{
    char text[] = "a\\#b";
    GR_Text_Draw(4, 4, text, -1, -1);
    std::vector<uint32_t> first = Screen();
    Box b = LitBox();
    EXPECT_LT(b.bottom - b.top, H);  // one line
    EXPECT_STREQ(text, "a\\#b");
    ClearScreen();
    GR_Text_Draw(4, 4, text, -1, -1);
    EXPECT_EQ(Screen(), first);
}

TEST_F(TextTest, TransformedTextTurns)
{
    // A quarter turn counter-clockwise: the line climbs from (20, 44) and its glyphs lie to the
    // right of the pen, as their tops face left.
    int width = Shift("Hi");
    GR_Text_Draw_Transformed(20, 44, "Hi", -1, -1, 1, 1, 90);
    Box b = LitBox();
    ASSERT_LE(b.left, b.right);
    EXPECT_GE(b.left, 19);
    EXPECT_LE(b.right, 20 + H);
    EXPECT_GE(b.top, 44 - width - 1);
    EXPECT_LE(b.bottom, 44);
    EXPECT_GT(b.bottom - b.top, b.right - b.left);
    // Scaled by 2 without a turn: twice as wide as the plain text.
    ClearScreen();
    GR_Text_Draw(2, 2, "Hi", -1, -1);
    Box plain = LitBox();
    ClearScreen();
    GR_Text_Draw_Transformed(2, 2, "Hi", -1, -1, 2, 2, 0);
    Box scaled = LitBox();
    EXPECT_NEAR(scaled.right - scaled.left + 1, 2 * (plain.right - plain.left + 1), 2);
    EXPECT_NEAR(scaled.bottom - scaled.top + 1, 2 * (plain.bottom - plain.top + 1), 2);
    // Centred about the pen when turned half way round.
    ClearScreen();
    GR_Text_Set_HAlign(1);
    GR_Text_Draw_Transformed(32, 24, "HH", -1, -1, 1, 1, 180);
    b = LitBox();
    EXPECT_NEAR((b.left + b.right) / 2.0, 32, 2);
    EXPECT_LE(b.bottom, 24);
}

TEST_F(TextTest, GradientsRunAcrossTheLine)
{
    GR_Text_Draw_Color(4, 4, "HHHH", -1, -1, RED, BLUE, BLUE, RED, 1);
    Box b = LitBox();
    ASSERT_LE(b.left, b.right);
    // The strongest pixel of the first and the last column.
    auto strongest = [&](int x) {
        uint32_t best = 0;
        for (int y = b.top; y <= b.bottom; y++)
            if ((Pixel(x, y) & 0xFF) + (Pixel(x, y) >> 16 & 0xFF) > (best & 0xFF) + (best >> 16 & 0xFF)) best = Pixel(x, y);
        return best;
    };
    uint32_t left = strongest(b.left), right = strongest(b.right);
    EXPECT_GT(left & 0xFF, left >> 16 & 0xFF);
    EXPECT_GT(right >> 16 & 0xFF, right & 0xFF);
    EXPECT_EQ(left >> 8 & 0xFF, 0u);
    // The transformed variant turns and colours alike.
    ClearScreen();
    GR_Text_Draw_Transformed_Color(20, 44, "HHHH", -1, -1, 1, 1, 90, GREEN, GREEN, GREEN, GREEN, 1);
    b = LitBox();
    EXPECT_GT(b.bottom - b.top, b.right - b.left);
    EXPECT_TRUE(Near(strongest(b.left) & 0x00FF00, strongest(b.left), 0));
}

TEST_F(TextTest, LongLinesDrawInPieces)
{
    // More characters than one batch reservation holds.
    std::string text(30000, 'i');
    GR_Batch_Flush();
    int before = GR_Batch_Stats.vertices;
    GR_Text_Draw(0, 0, text.c_str(), -1, -1);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices - before, 6 * 30000);
    // Characters without a glyph give their vertices back.
    before = GR_Batch_Stats.vertices;
    GR_Text_Draw(0, 0, "i\xE2\x82\xAC\xE2\x82\xAD" "i", -1, -1);
    GR_Batch_Flush();
    EXPECT_EQ(GR_Batch_Stats.vertices - before, 6 * 2);
    EXPECT_NE(Pixel(1, 5), BLACK);
}
