// Text in the current font: the font and alignment the game chose, line splitting ("#", line
// breaks and word wrap), measuring, and drawing aligned lines through the font.
#pragma once
#include <cstdint>
#include <vector>

class CFontBV;

struct TextDrawState {
    int fontIndex = -1;          // -1: the built-in font
    CFontBV* builtIn = nullptr;  // made on first need
    CFontBV* current = nullptr;  // the font of the operation in progress
    int halign = 0;              // 0 left, 1 centre, 2 right
    int valign = 0;              // 0 top, 1 middle, 2 bottom
};
extern TextDrawState TextState;

// Lines of a string as UTF-16 text, each 0-terminated, in one buffer the list owns.
class TTextLines {
public:
    TTextLines() = default;
    ~TTextLines();
    TTextLines(const TTextLines&) = delete;
    TTextLines& operator=(const TTextLines&) = delete;
    void Clear();
    int Count() const { return (int)m_lines.size(); }
    const uint16_t* Line(int i) const { return m_buffer + m_lines[i]; }

    uint16_t* m_buffer = nullptr;
    std::vector<int> m_lines;  // start of each line in the buffer
};

// An existing font is chosen; any other index chooses the built-in font.
void GR_Text_Set_Font(int index);
int GR_Text_Get_Font();
// 0, 1 or 2; any other value stores 0.
void GR_Text_Set_HAlign(int value);
int GR_Text_Get_HAlign();
void GR_Text_Set_VAlign(int value);
int GR_Text_Get_VAlign();

// Splits a copy of the UTF-8 text into lines in the current font: "#" breaks a line and "\#" is a
// literal "#"; without a wrap width (negative) CR, LF and CR LF break lines; with one, words are
// wrapped at spaces so that each line's width stays within it where the words allow.
void GR_Text_Split(const char* text, int wrapWidth, TTextLines* lines);
// The current font: the chosen font when it exists, else the built-in font.
CFontBV* GR_Text_Current_Font();

// Separation below 0: the font's line height. Width and height are at least 1.
int GR_Text_Width(const char* text, int separation, int wrapWidth);
int GR_Text_Height(const char* text, int separation, int wrapWidth);
// Aligned lines in the drawing colour and alpha; angles in degrees.
void GR_Text_Draw(float x, float y, const char* text, int separation, int wrapWidth);
void GR_Text_Draw_Transformed(float x, float y, const char* text, int separation, int wrapWidth, float xscale, float yscale, float angle);
// Gradients: colours of the top-left, top-right, bottom-right and bottom-left of each line.
void GR_Text_Draw_Color(float x, float y, const char* text, int separation, int wrapWidth, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void GR_Text_Draw_Transformed_Color(float x, float y, const char* text, int separation, int wrapWidth, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
// Deletes the built-in font and its texture (before the graphics device goes).
void GR_Text_Free();
