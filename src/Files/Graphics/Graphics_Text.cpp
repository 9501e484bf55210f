#include "Graphics/Graphics_Text.h"
#include "Graphics/DrawPrimitives.h"

#include "Base/MemoryManager.h"
#include "Base/Profiler.h"
#include "Base/String.h"
#include "Base/UTF8.h"
#include "Font/Font_Class.h"
#include "Font/Font_Main.h"
#include "Graphics_API/GR_Texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Graphics/Graphics_Text_Font.inc"

TextDrawState TextState;

static const int TEXT_FONT_FIRST = 32, TEXT_FONT_LAST = 137;
static const uint16_t LETTER_M[2] = {'M', 0};

TTextLines::~TTextLines()
{
    Clear();
}

void TTextLines::Clear()
{
    MemFree(m_buffer);
    m_buffer = nullptr;
    m_lines.clear();
}

static CFontBV* BuiltInFont()
{
    // A font made while there was no graphics device is made again once there is one.
    if (TextState.builtIn && !GR_Texture_Exists(TextState.builtIn->GetTextureId())) GR_Text_Free();
    if (!TextState.builtIn) {
        int texture = GR_Texture_Create_From_Alpha(256, 128, sizeof kTextFontImage, kTextFontImage);
        TextState.builtIn = new CFontBV();
        TextState.builtIn->CreateDebug(&kTextFontGlyphs[0][0], TEXT_FONT_FIRST, TEXT_FONT_LAST, texture);
    }
    return TextState.builtIn;
}

CFontBV* GR_Text_Current_Font()
{
    CFontBV* font = Font_Get(TextState.fontIndex);
    TextState.current = font ? font : BuiltInFont();
    return TextState.current;
}

void GR_Text_Set_Font(int index)
{
    if (Font_Exists(index)) {
        TextState.fontIndex = index;
    } else {
        TextState.fontIndex = -1;
        BuiltInFont();
    }
}

int GR_Text_Get_Font()
{
    return TextState.fontIndex;
}

void GR_Text_Set_HAlign(int value)
{
    TextState.halign = value >= 0 && value <= 2 ? value : 0;
}

int GR_Text_Get_HAlign()
{
    return TextState.halign;
}

void GR_Text_Set_VAlign(int value)
{
    TextState.valign = value >= 0 && value <= 2 ? value : 0;
}

int GR_Text_Get_VAlign()
{
    return TextState.valign;
}

// Wrapping: the end of the line that starts at start, or start when nothing fits (which ends the
// splitting). Leading spaces are not measured but stay in the line.
static int WrapLine(const CFontBV* font, const uint16_t* s, int n, int start, int width, bool* stop)
{
    int p = start;
    while (p < n && s[p] == ' ') p++;
    long sum = 0;
    while (p < n && s[p] != 13 && sum < width) sum += font->GetShift(s[p++]);
    if (sum > width) p--;
    if (p < n && s[p] == 13) return p;
    if (p == start) {
        *stop = true;
        return p;
    }
    if (p == n || s[p] == ' ') {
        while (p > start && s[p - 1] == ' ') p--;
        return p;
    }
    // Inside a word: break at the space before it, or keep an overlong word whole.
    int q = p - 1;
    while (q > start && s[q] != ' ') q--;
    if (q > start) {
        p = q;
        while (p > start && s[p - 1] == ' ') p--;
        return p;
    }
    // (A line break ends the word too: the line would swallow it otherwise.)
    while (p < n && s[p] != ' ' && s[p] != 13) p++;
    return p;
}

// Splits in the given font (the font of the operation, chosen once: choosing may make the
// built-in font anew).
static void Split(const CFontBV* font, const char* text, int wrapWidth, TTextLines* lines)
{
    lines->Clear();
    if (!text) return;
    // The caller's text stays as it is: "#" is rewritten in a copy.
    char* copy = MemStrDup(text);
    uint16_t* s = copy ? (uint16_t*)MemAlloc((strlen(copy) + 1) * sizeof(uint16_t)) : nullptr;
    if (!s) {  // no memory: no lines
        MemFree(copy);
        return;
    }
    Text_HashToNewline(copy);
    // Every byte that is not part of a whole character decodes as a character of its own.
    int n = 0;
    for (const char* cursor = copy; *cursor;) s[n++] = (uint16_t)UTF8_GetChar(&cursor);
    s[n] = 0;
    MemFree(copy);
    lines->m_buffer = s;

    if (wrapWidth < 0) {
        for (int start = 0; start < n;) {
            int p = start;
            while (p < n && s[p] != 13 && s[p] != 10) p++;
            s[p] = 0;
            lines->m_lines.push_back(start);
            start = p + 1;
        }
        return;
    }
    for (int start = 0; start < n;) {
        bool stop = false;
        int p = WrapLine(font, s, n, start, wrapWidth, &stop);
        if (stop) break;
        if (p > start || (p < n && s[p] == 13)) {
            s[p] = 0;
            lines->m_lines.push_back(start);
            start = p + 1;
            continue;
        }
        // A pass that adds nothing began in a run of spaces; so would every pass that begins
        // further in that run, up to its last space: go there at once, so that long runs of
        // spaces take one pass and not one each.
        int next = start;
        while (next < n && s[next] == ' ') next++;
        start = std::max(start + 1, next - 1);
    }
}

void GR_Text_Split(const char* text, int wrapWidth, TTextLines* lines)
{
    Split(GR_Text_Current_Font(), text, wrapWidth, lines);
}

static int LineHeight(CFontBV* font, int separation)
{
    return separation < 0 ? font->TextHeight(LETTER_M) : separation;
}

int GR_Text_Width(const char* text, int separation, int wrapWidth)
{
    CFontBV* font = GR_Text_Current_Font();
    TTextLines lines;
    Split(font, text, wrapWidth, &lines);
    int width = 1;
    for (int i = 0; i < lines.Count(); i++) width = std::max(width, font->TextWidth(lines.Line(i)));
    return width;
}

int GR_Text_Height(const char* text, int separation, int wrapWidth)
{
    CFontBV* font = GR_Text_Current_Font();
    TTextLines lines;
    Split(font, text, wrapWidth, &lines);
    if (lines.Count() == 0) return 1;
    // A separation from a game may be huge: kept within an int.
    long long height = font->TextHeight(LETTER_M) + (long long)(lines.Count() - 1) * LineHeight(font, separation);
    return (int)std::clamp(height, (long long)INT32_MIN, (long long)INT32_MAX);
}

namespace {
// How a run of lines is drawn: plain or transformed, one colour or a gradient.
struct TextPaint {
    bool transformed;
    float xscale, yscale, angle;
    bool gradient;
    uint32_t colours[4];
    float alpha;
};
}

static void DrawLines(float x, float y, const char* text, int separation, int wrapWidth, const TextPaint& paint)
{
    CFontBV* font = GR_Text_Current_Font();
    TTextLines lines;
    Split(font, text, wrapWidth, &lines);
    int h = LineHeight(font, separation);
    int count = lines.Count();
    if (!paint.transformed) {
        long long block = (long long)count * h;
        if (TextState.valign == 1) y -= (float)(block / 2);
        if (TextState.valign == 2) y -= (float)block;
        for (int i = 0; i < count; i++) {
            const uint16_t* line = lines.Line(i);
            if (line[0]) {
                int width = font->TextWidth(line);
                int dx = TextState.halign == 1 ? -(width / 2) : TextState.halign == 2 ? -width : 0;
                const uint32_t* c = paint.colours;
                if (paint.gradient) font->DrawTextColor(x + dx, y, line, c[0], c[1], c[2], c[3], paint.alpha);
                else font->DrawText(x + dx, y, line, c[0], paint.alpha);
            }
            y += h;
        }
        return;
    }
    float a = paint.angle * 3.1415927f / 180.0f;
    float s = std::sin(a), c = std::cos(a);
    float stepX = s * paint.yscale * h, stepY = c * paint.yscale * h;
    if (TextState.valign == 1) {
        x -= std::round(count * stepX / 2);
        y -= std::round(count * stepY / 2);
    } else if (TextState.valign == 2) {
        x -= std::round(count * stepX);
        y -= std::round(count * stepY);
    }
    for (int i = 0; i < count; i++) {
        const uint16_t* line = lines.Line(i);
        if (line[0]) {
            float width = (float)font->TextWidth(line);
            float dx = TextState.halign == 1 ? std::trunc(width * paint.xscale * -0.5f)
                     : TextState.halign == 2 ? std::trunc(-(width * paint.xscale)) : 0.0f;
            const uint32_t* k = paint.colours;
            if (paint.gradient)
                font->DrawTextExtColor(x + dx * c, y - dx * s, line, paint.xscale, paint.yscale, paint.angle, k[0], k[1], k[2], k[3], paint.alpha);
            else
                font->DrawTextExt(x + dx * c, y - dx * s, line, paint.xscale, paint.yscale, paint.angle, k[0], paint.alpha);
        }
        x += stepX;
        y += stepY;
    }
}

// Every text drawing is one section of the profiler.
static void DrawText(float x, float y, const char* text, int separation, int wrapWidth, const TextPaint& paint)
{
    Profiler_Begin(0xFFFF00, "Text");
    DrawLines(x, y, text, separation, wrapWidth, paint);
    Profiler_End();
}

static TextPaint DrawingColour()
{
    uint32_t colour = Draw_GetColor() & 0xFFFFFF;
    return {false, 1, 1, 0, false, {colour, colour, colour, colour}, (float)Draw_GetAlpha()};
}

void GR_Text_Draw(float x, float y, const char* text, int separation, int wrapWidth)
{
    DrawText(x, y, text, separation, wrapWidth, DrawingColour());
}

void GR_Text_Draw_Transformed(float x, float y, const char* text, int separation, int wrapWidth, float xscale, float yscale, float angle)
{
    TextPaint paint = DrawingColour();
    paint.transformed = true;
    paint.xscale = xscale, paint.yscale = yscale, paint.angle = angle;
    DrawText(x, y, text, separation, wrapWidth, paint);
}

void GR_Text_Draw_Color(float x, float y, const char* text, int separation, int wrapWidth, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    DrawText(x, y, text, separation, wrapWidth, {false, 1, 1, 0, true, {c1, c2, c3, c4}, alpha});
}

void GR_Text_Draw_Transformed_Color(float x, float y, const char* text, int separation, int wrapWidth, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    DrawText(x, y, text, separation, wrapWidth, {true, xscale, yscale, angle, true, {c1, c2, c3, c4}, alpha});
}

void GR_Text_Free()
{
    // The font frees its texture.
    delete TextState.builtIn;
    TextState.builtIn = nullptr;
    TextState.current = nullptr;
}
