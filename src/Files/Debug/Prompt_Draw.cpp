// How the in-window prompts look: a box centred over the darkened game frame, drawn with the
// built-in font: a title bar, the prompt's text (an error dialog's report), the fields (the focused
// one with a caret), a file prompt's folder, filter and entries, a message line and a line of key
// hints.
#include "Debug/Prompt.h"

#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/GR_Texture.h"
#include "Base/MemoryManager.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Colours, 0xBBGGRR.
constexpr uint32_t BOX = 0x302820, BORDER = 0xC0B0A0, TITLE = 0x8C5A28, TEXT = 0xFFFFFF, FIELD = 0xFFFFFF,
                   FIELD_TEXT = 0x000000, FOCUS = 0xF0B050, LIST = 0x201810, FOLDER = 0x80E0FF, MESSAGE = 0x80C0FF,
                   HINT = 0xB0B0B0, ERROR_TITLE = 0x2830A8;
constexpr int PAD = 8, GAP = 6, BOX_WIDTH = 440;

bool IsContinuation(char c) { return ((unsigned char)c & 0xC0) == 0x80; }

// Text drawn as it stands: '#' is not a line break and control characters are spaces, line feeds
// too unless they break the lines.
std::string Literal(const std::string& text, bool breaks = false)
{
    std::string out;
    for (char c : text) {
        if (c == '#') out += "\\#";
        else if (c == '\n' && breaks) out += '\r';
        else out += (unsigned char)c < 32 ? ' ' : c;
    }
    return out;
}

int Width(const std::string& text)
{
    return text.empty() ? 0 : GR_Text_Width(Literal(text).c_str(), -1, -1);
}

// The longest head of the text that fits, with "..." when cut; with fromEnd the tail instead.
std::string Fit(const std::string& text, int width, bool fromEnd)
{
    if (Width(text) <= width) return text;
    std::string part = text;
    while (!part.empty() && Width(fromEnd ? "..." + part : part + "...") > width) {
        if (fromEnd) {
            size_t cut = 1;
            while (cut < part.size() && IsContinuation(part[cut])) cut++;
            part.erase(0, cut);
        } else {
            size_t cut = part.size() - 1;
            while (cut > 0 && IsContinuation(part[cut])) cut--;
            part.erase(cut);
        }
    }
    return fromEnd ? "..." + part : part + "...";
}

void Fill(int x1, int y1, int x2, int y2, uint32_t colour, double alpha = 1)
{
    Draw_SetColor(colour);
    Draw_SetAlpha(alpha);
    Draw_Rectangle((float)x1, (float)y1, (float)x2, (float)y2, false);
    Draw_SetAlpha(1);
}

void Frame(int x1, int y1, int x2, int y2, uint32_t colour)
{
    Draw_SetColor(colour);
    Draw_Rectangle((float)x1, (float)y1, (float)x2, (float)y2, true);
}

void Write(int x, int y, const std::string& text, uint32_t colour, int wrap = -1, bool breaks = false)
{
    Draw_SetColor(colour);
    GR_Text_Draw((float)x, (float)y, Literal(text, breaks).c_str(), -1, wrap);
}

// The box's parts, laid out from the top.
struct Layout {
    int x, y, width, inner, line;
    int rows;             // entries a file prompt shows
    std::string message;  // a text prompt's text, cut to fit the window
};

// One field: the shown text scrolled so that the caret stays inside.
void DrawField(const CPrompt& prompt, int index, const Layout& l, int y)
{
    const TPromptField& field = prompt.Field(index);
    bool masked = prompt.Masked(index), focused = prompt.Focus() == index && !prompt.Confirming();
    int x1 = l.x + PAD, x2 = l.x + PAD + l.inner, room = l.inner - 6;
    Fill(x1, y, x2, y + l.line + 5, FIELD);
    Frame(x1, y, x2, y + l.line + 5, focused ? FOCUS : BORDER);
    std::string shown = field.Shown(masked);
    size_t caret = field.ShownCaret(masked), start = 0;
    while (start < caret && Width(shown.substr(start, caret - start)) > room) {
        start++;
        while (start < caret && IsContinuation(shown[start])) start++;
    }
    std::string visible = shown.substr(start);
    while (!visible.empty() && Width(visible) > room) {
        size_t cut = visible.size() - 1;
        while (cut > 0 && IsContinuation(visible[cut])) cut--;
        visible.erase(cut);
    }
    Write(x1 + 3, y + 3, visible, FIELD_TEXT);
    if (focused) {
        int cx = x1 + 3 + Width(shown.substr(start, caret - start));
        Fill(cx, y + 2, cx, y + l.line + 3, FIELD_TEXT);
    }
}

int FieldHeight(const Layout& l) { return l.line + 6; }

// The file prompt's folder, filter and entries.
int DrawListing(const CPrompt& prompt, const Layout& l, int y, bool draw)
{
    int row = l.line + 2;
    if (draw) Write(l.x + PAD, y, Fit(prompt.Folder(), l.inner, true), TEXT);
    y += l.line + GAP;
    if (const TPromptFilter* filter = prompt.CurrentFilter()) {
        std::string line = "Type: " + filter->description + (prompt.FilterCount() > 1 ? "   (Tab: next type)" : "");
        if (draw) Write(l.x + PAD, y, Fit(line, l.inner, false), HINT);
        y += l.line + GAP;
    }
    int top = y, height = l.rows * row + 4;
    if (draw) {
        Fill(l.x + PAD, top, l.x + PAD + l.inner, top + height, LIST);
        const std::vector<TPromptEntry>& entries = prompt.Entries();
        if (entries.empty()) Write(l.x + PAD + 4, top + 2, "(nothing here)", HINT);
        // A short window shows fewer rows, still with the selection among them.
        int first = std::max(0, std::min(prompt.FirstShown(), prompt.Selected()));
        if (prompt.Selected() >= first + l.rows) first = prompt.Selected() - l.rows + 1;
        for (int i = 0; i < l.rows && first + i < (int)entries.size(); i++) {
            int index = first + i, ry = top + 2 + i * row;
            const TPromptEntry& e = entries[index];
            if (index == prompt.Selected()) Fill(l.x + PAD + 1, ry, l.x + PAD + l.inner - 1, ry + row - 1, TITLE);
            Write(l.x + PAD + 4, ry + 1, Fit(e.folder ? e.name + "/" : e.name, l.inner - 8, false), e.folder ? FOLDER : TEXT);
        }
    }
    y = top + height + GAP;
    if (draw) Write(l.x + PAD, y, "Name:", TEXT);
    return y + l.line + 2;
}

const char* Hint(const CPrompt& prompt)
{
    if (prompt.Confirming()) return "Enter: replace   Esc: back";
    switch (prompt.Kind()) {
    case PROMPT_LOGIN: return "Tab: next field   Enter: OK   Esc: cancel";
    case PROMPT_TEXT: return "Enter: OK   Esc: cancel";
    case PROMPT_ERROR: return prompt.Fatal() ? "Enter: end the game" : "Enter: go on   Esc: end the game";
    default: return "Up/Down: choose   Enter: OK   Esc: cancel";
    }
}

// Lays out (draw false) or draws the box's content; returns the y below it.
int Content(const CPrompt& prompt, const Layout& l, bool draw)
{
    int y = l.y;
    bool error = prompt.Kind() == PROMPT_ERROR;
    if (draw) {
        Fill(l.x + 1, y + 1, l.x + l.width - 1, y + l.line + 6, error ? ERROR_TITLE : TITLE);
        Write(l.x + PAD, y + 3, Fit(prompt.Caption(), l.inner, false), TEXT);
    }
    y += l.line + 6 + GAP;
    bool file = prompt.Kind() == PROMPT_OPEN_FILE || prompt.Kind() == PROMPT_SAVE_FILE;
    if ((prompt.Kind() == PROMPT_TEXT || error) && !l.message.empty()) {
        if (draw) Write(l.x + PAD, y, l.message, TEXT, l.inner, error);
        y += GR_Text_Height(Literal(l.message, error).c_str(), -1, l.inner) + GAP;
    }
    if (error && !prompt.Note().empty()) {
        if (draw) Write(l.x + PAD, y, prompt.Note(), MESSAGE, l.inner);
        y += GR_Text_Height(Literal(prompt.Note()).c_str(), -1, l.inner) + GAP;
    }
    if (file) y = DrawListing(prompt, l, y, draw);
    for (int i = 0; i < prompt.FieldCount(); i++) {
        if (prompt.Kind() == PROMPT_LOGIN) {
            if (draw) Write(l.x + PAD, y, i == 0 ? "User name:" : "Password:", TEXT);
            y += l.line + 2;
        }
        if (draw) DrawField(prompt, i, l, y);
        y += FieldHeight(l) + GAP;
    }
    if (file && !prompt.Message().empty()) {
        if (draw) Write(l.x + PAD, y, Fit(prompt.Message(), l.inner, false), MESSAGE);
        y += l.line + GAP;
    }
    if (draw) Write(l.x + PAD, y, Fit(Hint(prompt), l.inner, false), HINT);
    return y + l.line + PAD;
}

}  // namespace

void Prompt_Draw(const CPrompt& prompt, int width, int height)
{
    GR_Text_Set_Font(-1);
    GR_Text_Set_HAlign(0);
    GR_Text_Set_VAlign(0);
    Fill(0, 0, width, height, 0, 0.55);
    Layout l;
    l.line = GR_Text_Height("M", -1, -1);
    l.width = std::max(40, std::min(BOX_WIDTH, width - 24));
    l.inner = l.width - 2 * PAD;
    l.x = (width - l.width) / 2;
    l.y = 0;
    l.rows = CPrompt::LIST_ROWS;
    l.message = prompt.Message();
    int boxHeight = Content(prompt, l, false);
    int row = l.line + 2, excess = boxHeight - height;
    if (excess > 0 && (prompt.Kind() == PROMPT_OPEN_FILE || prompt.Kind() == PROMPT_SAVE_FILE)) {
        l.rows = std::max(1, l.rows - (excess + row - 1) / row);
        boxHeight = Content(prompt, l, false);
    }
    // A text too long for the window is cut to the longest head that fits, so that the field (or
    // the error dialog's hints) shows.
    if (boxHeight > height && (prompt.Kind() == PROMPT_TEXT || prompt.Kind() == PROMPT_ERROR)) {
        const std::string& full = prompt.Message();
        std::vector<size_t> cuts;  // character starts after the first
        for (size_t i = 1; i < full.size(); i++)
            if (!IsContinuation(full[i])) cuts.push_back(i);
        auto fits = [&](size_t bytes) {
            l.message = full.substr(0, bytes) + "...";
            return Content(prompt, l, false) <= height;
        };
        int low = -1, high = (int)cuts.size() - 1;
        while (low < high) {
            int mid = (low + high + 1) / 2;
            if (fits(cuts[mid])) low = mid;
            else high = mid - 1;
        }
        l.message = low >= 0 ? full.substr(0, cuts[low]) + "..." : "";
        boxHeight = Content(prompt, l, false);
    }
    l.y = std::max(0, (height - boxHeight) / 2);
    Fill(l.x, l.y, l.x + l.width, l.y + boxHeight, BOX);
    Frame(l.x, l.y, l.x + l.width, l.y + boxHeight, BORDER);
    Content(prompt, l, true);
}

static_assert(GR_RS_COUNT <= 32, "the prompt screen keeps every render state");

CPromptScreen::CPromptScreen()
{
    if (!GR_D3D_HasDevice()) return;
    GR_Batch_Flush();
    m_surface = SurfaceTarget;
    if (m_surface >= 0) GR_Surface_Set_Screen_Target();
    GR_D3D_Get_Viewport(&m_viewport[0], &m_viewport[1], &m_viewport[2], &m_viewport[3]);
    for (int k = 0; k < 3; k++) GR_D3D_Get_Transform(k, m_transforms[k]);
    for (int k = 0; k < GR_RS_COUNT; k++) m_states[k] = GR_D3D_Get_Render_State(k);
    m_colour = Draw_GetColor() & 0xFFFFFF;
    m_alpha = GR_Draw_Alpha;
    m_font = GR_Text_Get_Font(), m_halign = GR_Text_Get_HAlign(), m_valign = GR_Text_Get_VAlign();
    m_depth = GR_Depth;
    m_linear = GR_Texture_Get_Interpolation(), m_repeat = GR_Texture_Get_Repeat();

    m_width = GR_D3D_Get_Backbuffer_Width(), m_height = GR_D3D_Get_Backbuffer_Height();
    uint32_t* pixels = GR_Screen_Read_Pixels(m_width, m_height, 0, 0, m_width, m_height);
    CBitmap32 copy(m_width, m_height, 0);
    if (pixels && copy.GetData()) {
        // 0xAARRGGBB words to the image's 0xAABBGGRR.
        uint32_t* out = copy.GetData();
        for (size_t i = 0; i < (size_t)m_width * m_height; i++) {
            uint32_t p = pixels[i];
            out[i] = (p & 0xFF00FF00u) | (p & 0xFF) << 16 | (p >> 16 & 0xFF);
        }
        m_snapshot = GR_Texture_Create_From_Bitmap32(&copy);
    }
    MemFree(pixels);

    GR_D3D_Set_Viewport(0, 0, m_width, m_height);
    GR_D3D_Set_Projection_2D(0, 0, (float)m_width, (float)m_height, 0);
    GR_D3D_Set_Render_State(GR_RS_ZENABLE, 0);
    GR_D3D_Set_Render_State(GR_RS_ZWRITEENABLE, 0);
    GR_D3D_Set_Render_State(GR_RS_ALPHATEST, 0);
    GR_D3D_Set_Render_State(GR_RS_CULLMODE, GR_CULL_NONE);
    GR_D3D_Set_Render_State(GR_RS_LIGHTING, 0);
    GR_D3D_Set_Render_State(GR_RS_FOGENABLE, 0);
    GR_D3D_Set_Render_State(GR_RS_COLORWRITE, 15);
    GR_D3D_Set_Render_State(GR_RS_SHADEMODE, GR_SHADE_GOURAUD);
    GR_D3D_Set_Blend_Mode(0);
    GR_Texture_Set_Interpolation(false);
    GR_Texture_Set_Repeat(false);
    GR_Depth = 0;
}

void CPromptScreen::DrawSnapshot()
{
    // Unblended, so the copy replaces every pixel (alpha included) exactly.
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 0);
    GR_Texture_Draw_Ext(m_snapshot, 0, 0, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
    GR_Batch_Flush();
    GR_D3D_Set_Render_State(GR_RS_ALPHABLEND, 1);
}

void CPromptScreen::Show(const CPrompt& prompt)
{
    if (!Ready()) return;
    DrawSnapshot();
    Prompt_Draw(prompt, m_width, m_height);
    GR_D3D_Finish_Frame(true);
}

CPromptScreen::~CPromptScreen()
{
    if (!GR_D3D_HasDevice()) return;
    if (Ready()) {
        DrawSnapshot();
        GR_Texture_Free(m_snapshot);
    }
    for (int k = 0; k < GR_RS_COUNT; k++) GR_D3D_Set_Render_State(k, m_states[k]);
    for (int k = 0; k < 3; k++) GR_D3D_Set_Transform(k, m_transforms[k]);
    GR_D3D_Set_Viewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
    Draw_SetColor(m_colour);
    GR_Draw_Alpha = m_alpha;
    GR_Text_Set_Font(m_font);
    GR_Text_Set_HAlign(m_halign);
    GR_Text_Set_VAlign(m_valign);
    GR_Depth = m_depth;
    GR_Texture_Set_Interpolation(m_linear);
    GR_Texture_Set_Repeat(m_repeat);
    if (m_surface >= 0) GR_Surface_Reset_Target();
}
