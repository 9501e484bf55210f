// Text: the font and alignment, measuring and drawing in the current font.
#include "Function/Function_Graphics_Internal.h"
#include "Variable/Arguments.h"
#include "Graphics/Graphics_Text.h"

#include <cstdio>

namespace {

// Separation and wrap width of the short forms: the font's line height, no wrapping.
constexpr int kDefault = -1;

// The text of a drawing argument: a string as it is; a real narrowed to single precision and
// printed as an integer when it is one, else with two decimals. A value that is no 32-bit
// integer converts to -2147483648 and so only prints as one when it is that integer.
class TextArgument {
public:
    explicit TextArgument(const TaggedValue& a)
    {
        if (a.IsString()) {
            m_text = a.GetString();
            return;
        }
        float v = (float)a.GetReal();
        int n = RealToInt(v);
        if ((float)n == v) snprintf(m_buffer, sizeof m_buffer, "%d", n);
        else snprintf(m_buffer, sizeof m_buffer, "%.2f", (double)v);
        m_text = m_buffer;
    }
    const char* Get() const { return m_text; }

private:
    char m_buffer[1024];
    const char* m_text;
};

void Colours(const TaggedValue* args, uint32_t out[4])
{
    for (int i = 0; i < 4; i++) out[i] = (uint32_t)Arg_I(args[i]);
}

}  // namespace

void F_draw_set_font(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Text_Set_Font(Arg_FI(args[0]));
}

void F_draw_set_halign(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Text_Set_HAlign(Arg_FI(args[0]));
}

void F_draw_set_valign(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    GR_Text_Set_VAlign(Arg_FI(args[0]));
}

void F_string_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Text_Width(Arg_S(args[0]), kDefault, kDefault));
}

void F_string_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Text_Height(Arg_S(args[0]), kDefault, kDefault));
}

void F_string_width_ext(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Text_Width(Arg_S(args[0]), Arg_FI(args[1]), Arg_FI(args[2])));
}

void F_string_height_ext(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(GR_Text_Height(Arg_S(args[0]), Arg_FI(args[1]), Arg_FI(args[2])));
}

void F_draw_text(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    GR_Text_Draw(Arg_F(args[0]), Arg_F(args[1]), text.Get(), kDefault, kDefault);
}

void F_draw_text_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    GR_Text_Draw(Arg_F(args[0]), Arg_F(args[1]), text.Get(), Arg_FI(args[3]), Arg_FI(args[4]));
}

void F_draw_text_transformed(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    GR_Text_Draw_Transformed(Arg_F(args[0]), Arg_F(args[1]), text.Get(), kDefault, kDefault, Arg_F(args[3]),
                             Arg_F(args[4]), Arg_F(args[5]));
}

void F_draw_text_ext_transformed(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    GR_Text_Draw_Transformed(Arg_F(args[0]), Arg_F(args[1]), text.Get(), Arg_FI(args[3]), Arg_FI(args[4]),
                             Arg_F(args[5]), Arg_F(args[6]), Arg_F(args[7]));
}

void F_draw_text_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    uint32_t c[4];
    Colours(args + 3, c);
    GR_Text_Draw_Color(Arg_F(args[0]), Arg_F(args[1]), text.Get(), kDefault, kDefault, c[0], c[1], c[2], c[3],
                       Arg_F(args[7]));
}

void F_draw_text_ext_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    uint32_t c[4];
    Colours(args + 5, c);
    GR_Text_Draw_Color(Arg_F(args[0]), Arg_F(args[1]), text.Get(), Arg_FI(args[3]), Arg_FI(args[4]), c[0], c[1], c[2],
                       c[3], Arg_F(args[9]));
}

void F_draw_text_transformed_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    uint32_t c[4];
    Colours(args + 6, c);
    GR_Text_Draw_Transformed_Color(Arg_F(args[0]), Arg_F(args[1]), text.Get(), kDefault, kDefault, Arg_F(args[3]),
                                   Arg_F(args[4]), Arg_F(args[5]), c[0], c[1], c[2], c[3], Arg_F(args[10]));
}

void F_draw_text_ext_transformed_color(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    TextArgument text(args[2]);
    uint32_t c[4];
    Colours(args + 8, c);
    GR_Text_Draw_Transformed_Color(Arg_F(args[0]), Arg_F(args[1]), text.Get(), Arg_FI(args[3]), Arg_FI(args[4]),
                                   Arg_F(args[5]), Arg_F(args[6]), Arg_F(args[7]), c[0], c[1], c[2], c[3],
                                   Arg_F(args[12]));
}
