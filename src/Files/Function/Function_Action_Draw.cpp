// The drawing actions. Every point they are given is moved by self's position when the action is
// relative; shapes and text otherwise draw as the drawing built-ins do.
#include "Function/Function_Action_Internal.h"

#include "Background/Background_Main.h"
#include "Code/Error.h"
#include "Function/Function_Graphics_Internal.h"
#include "Function/Function_Interaction_Internal.h"
#include "Graphics/DrawPrimitives.h"
#include "Graphics/Graphics_Text.h"
#include "Graphics_API/DrawRegion.h"
#include "Object/Instance_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "Variable/Arguments.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Text at a point of the action, in the current font, colour and alignment, unwrapped.
void DrawText(const TaggedValue& x, const TaggedValue& y, CInstance* self, const std::string& text)
{
    GR_Text_Draw(Action_X(x, self), Action_Y(y, self), text.c_str(), -1, -1);
}

// The colours of the health bar, as red + 256 x green + 65536 x blue: index 0 of the background
// is not drawn; a bar index of 2 or more is one colour throughout.
const uint32_t kBackColours[] = {0x000000, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080,
                                 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x0000FF,
                                 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x000000};
const uint32_t kBarColours[][3] = {
    {0x0000FF, 0x00FFFF, 0x00FF00}, {0x000000, 0x808080, 0xFFFFFF}, {0x000000, 0x000000, 0x000000},
    {0x808080, 0x808080, 0x808080}, {0xC0C0C0, 0xC0C0C0, 0xC0C0C0}, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    {0x000080, 0x000080, 0x000080}, {0x008000, 0x008000, 0x008000}, {0x008080, 0x008080, 0x008080},
    {0x800000, 0x800000, 0x800000}, {0x800080, 0x800080, 0x800080}, {0x808000, 0x808000, 0x808000},
    {0x0000FF, 0x0000FF, 0x0000FF}, {0x00FF00, 0x00FF00, 0x00FF00}, {0x00FFFF, 0x00FFFF, 0x00FFFF},
    {0xFF0000, 0xFF0000, 0xFF0000}, {0xFF00FF, 0xFF00FF, 0xFF00FF}, {0xFFFF00, 0xFFFF00, 0xFFFF00}};
constexpr int kColourCount = sizeof kBackColours / sizeof kBackColours[0];
static_assert(sizeof kBarColours / sizeof kBarColours[0] == kColourCount, "one bar colour a background colour");

}  // namespace

// A string as it stands; a whole number without decimals, any other in ten places with two.
void F_action_draw_variable(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const TaggedValue& value = args[0];
    std::string text;
    if (value.IsString()) {
        text = value.GetString();
    } else {
        double v = value.GetReal() + 0.0;  // -0 is drawn as 0
        char number[400];
        snprintf(number, sizeof number, v == std::floor(v) ? "%.0f" : "%10.2f", v);
        text = number;
    }
    DrawText(args[1], args[2], self, text);
}

void F_action_draw_score(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    DrawText(args[0], args[1], self, Arg_S(args[2]) + std::to_string(score));
}

void F_action_draw_life(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    DrawText(args[0], args[1], self, Arg_S(args[2]) + std::to_string(lives));
}

// One image a life, side by side. Only the images that can reach the region being drawn are
// drawn, so that a game with millions of lives still draws at once.
void F_action_draw_life_images(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = Sprite_Get(Arg_I(args[2]));
    if (!sprite || lives < 1) return;
    double x = Action_X(args[0], self), y = Action_Y(args[1], self);
    double width = std::max(sprite->m_width, 1);
    // Image i covers x + i * width - xorigin onwards, width pixels wide.
    double left = x - sprite->m_xorigin;
    double first = std::ceil((DrawRegion.left - left) / width) - 1;
    double last = std::floor((DrawRegion.right - left) / width);
    if (!(first <= last) || last < 0 || first > (double)lives - 1) return;
    int64_t from = (int64_t)std::max(first, 0.0);
    int64_t to = (int64_t)std::min(last, (double)lives - 1);
    for (int64_t i = from; i <= to; i++)
        sprite->DrawExt(0, (float)(x + (double)i * width), (float)y, 1, 1, 0, kWhite, 1);
}

// The bar shows the health (0 to 100) from left to right, with a border; a background colour of
// 0 draws none. A colour index outside the lists is black.
void F_action_draw_health(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int back = Arg_I(args[4]), bar = Arg_I(args[5]);
    uint32_t backColour = back >= 0 && back < kColourCount ? kBackColours[back] : 0;
    const uint32_t black[3] = {0, 0, 0};
    const uint32_t* barColours = bar >= 0 && bar < kColourCount ? kBarColours[bar] : black;
    Draw_Healthbar(Action_X(args[0], self), Action_Y(args[1], self), Action_X(args[2], self), Action_Y(args[3], self),
                   (float)health, backColour, barColours[0], barColours[1], barColours[2], 0, back != 0, true);
}

// The table fills a box of 200 by 200 in the middle of the room; the arguments are not used.
void F_action_highscore_show(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue*)
{
    if (!Run_Room) return;
    int cx = Run_Room->width / 2, cy = Run_Room->height / 2;
    TaggedValue box[4] = {TaggedValue(cx - 100.0), TaggedValue(cy - 100.0), TaggedValue(cx + 100.0),
                          TaggedValue(cy + 100.0)};
    F_draw_highscore(result, self, other, 4, box);
}

// A subimage below 0 is self's image; unscaled, unrotated, white and opaque.
void F_action_draw_sprite(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = Sprite_Get(Arg_I(args[0]));
    if (!sprite) {
        Error_Show_Action("Trying to draw a non-existing sprite.", false);
        return;
    }
    double subimage = args[3].GetReal();
    if (subimage < 0) subimage = self ? self->image_index : 0;
    sprite->DrawExt(RealToInt(std::floor(subimage)), Action_X(args[1], self), Action_Y(args[2], self), 1, 1, 0, kWhite, 1);
}

// Tiled, the background covers the room in both directions.
void F_action_draw_background(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = Background_Get(Arg_I(args[0]));
    if (!background) {
        Error_Show_Action("Trying to draw a non-existing background.", false);
        return;
    }
    float x = Action_X(args[1], self), y = Action_Y(args[2], self);
    if (!Arg_B(args[3])) background->DrawExt(x, y, 1, 1, 0, kWhite, 1);
    else if (Run_Room)
        background->DrawTiled(x, y, 1, 1, true, true, 0, 0, (float)Run_Room->width, (float)Run_Room->height, kWhite, 1);
}

void F_action_draw_text(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue text[3] = {args[1], args[2], args[0]};
    Action_CallRelative(F_draw_text, result, self, other, 3, text, {0});
}

void F_action_draw_text_transformed(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue text[6] = {args[1], args[2], args[0], args[3], args[4], args[5]};
    Action_CallRelative(F_draw_text_transformed, result, self, other, 6, text, {0});
}

void F_action_draw_rectangle(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Action_CallRelative(F_draw_rectangle, result, self, other, argc, args, {0, 2});
}

// Left corners in the first colour, right corners in the second.
void F_action_draw_gradient_hor(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue rect[9] = {args[0], args[1], args[2], args[3], args[4], args[5], args[5], args[4], 0.0};
    Action_CallRelative(F_draw_rectangle_color, result, self, other, 9, rect, {0, 2});
}

// Top corners in the first colour, bottom corners in the second.
void F_action_draw_gradient_vert(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue rect[9] = {args[0], args[1], args[2], args[3], args[4], args[4], args[5], args[5], 0.0};
    Action_CallRelative(F_draw_rectangle_color, result, self, other, 9, rect, {0, 2});
}

void F_action_draw_ellipse(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Action_CallRelative(F_draw_ellipse, result, self, other, argc, args, {0, 2});
}

// The first colour at the centre, the second at the edge, filled.
void F_action_draw_ellipse_gradient(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    TaggedValue ellipse[7] = {args[0], args[1], args[2], args[3], args[4], args[5], 0.0};
    Action_CallRelative(F_draw_ellipse_color, result, self, other, 7, ellipse, {0, 2});
}

void F_action_draw_line(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Action_CallRelative(F_draw_line, result, self, other, argc, args, {0, 2});
}

void F_action_draw_arrow(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    Action_CallRelative(F_draw_arrow, result, self, other, argc, args, {0, 2});
}

void F_action_font(TaggedValue* result, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    F_draw_set_font(result, self, other, 1, &args[0]);
    F_draw_set_halign(result, self, other, 1, &args[1]);
}
