// Drawing sprites and backgrounds.
#include "Function/Function_Graphics_Internal.h"
#include "Background/Background_Main.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Object/Instance_Class.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <cmath>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

float DrawAlpha()
{
    return (float)Draw_GetAlpha();
}

int Floor(double v)
{
    return RealToInt(std::floor(v));
}

// The sprite of the first argument (truncated); a missing one is reported and gives null.
const CSprite* SpriteArgument(const TaggedValue& a)
{
    int index = Arg_T(a);
    if (!Sprite_Exists(index)) {
        Error_Show_Action("Trying to draw non-existing sprite.", false);
        return nullptr;
    }
    return Sprite_Get(index);
}

// The frame: the floor of the argument in single precision; a negative one (or one out of the
// integer range) stands for the calling instance's current image.
int FrameArgument(const TaggedValue& a, const CInstance* self)
{
    int frame = Floor((double)Arg_F(a));
    if (frame < 0) frame = self ? Floor((double)self->image_index) : 0;
    return frame;
}

const CBackground* BackgroundArgument(const TaggedValue& a)
{
    int index = Arg_I(a);
    if (!Background_Exists(index)) {
        Error_Show_Action("Trying to draw non-existing background.", false);
        return nullptr;
    }
    return Background_Get(index);
}

}  // namespace

bool Graphics_RoomArea(float* width, float* height)
{
    if (!Run_Room) return false;
    *width = (float)Run_Room->width;
    *height = (float)Run_Room->height;
    return true;
}

void F_draw_sprite(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (sprite) sprite->Draw(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]));
}

void F_draw_sprite_ext(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawExt(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                    Arg_F(args[6]), (uint32_t)Arg_I(args[7]), Arg_F(args[8]));
}

void F_draw_sprite_stretched(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawStretched(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                          kWhite, DrawAlpha());
}

void F_draw_sprite_stretched_ext(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawStretched(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                          (uint32_t)Arg_I(args[6]), Arg_F(args[7]));
}

void F_draw_sprite_part(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawPart(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                     Arg_F(args[6]), Arg_F(args[7]), 1.0f, 1.0f, kWhite, DrawAlpha());
}

void F_draw_sprite_part_ext(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawPart(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                     Arg_F(args[6]), Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]), (uint32_t)Arg_I(args[10]),
                     Arg_F(args[11]));
}

void F_draw_sprite_general(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawGeneral(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                        Arg_F(args[6]), Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]), Arg_F(args[10]),
                        (uint32_t)Arg_I(args[11]), (uint32_t)Arg_I(args[12]), (uint32_t)Arg_I(args[13]),
                        (uint32_t)Arg_I(args[14]), Arg_F(args[15]));
}

void F_draw_sprite_tiled(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    float width, height;
    if (!sprite || !Graphics_RoomArea(&width, &height)) return;
    sprite->DrawTiled(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), 1.0f, 1.0f, true, true, 0.0f, 0.0f,
                      width, height, kWhite, DrawAlpha());
}

void F_draw_sprite_tiled_ext(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    float width, height;
    if (!sprite || !Graphics_RoomArea(&width, &height)) return;
    sprite->DrawTiled(FrameArgument(args[1], self), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), true,
                      true, 0.0f, 0.0f, width, height, (uint32_t)Arg_I(args[6]), Arg_F(args[7]));
}

// The frame is truncated and passed on as it is: -1 is wrapped by the sprite, not replaced.
void F_draw_sprite_pos(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CSprite* sprite = SpriteArgument(args[0]);
    if (!sprite) return;
    sprite->DrawPos(Arg_T(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), Arg_F(args[6]),
                    Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]), Arg_F(args[10]));
}

void F_draw_self(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue*)
{
    if (!self || !Sprite_Exists(self->sprite_index)) {
        Error_Show_Action("Trying to draw non-existing sprite.", false);
        return;
    }
    Sprite_Get(self->sprite_index)
        ->DrawExt(Floor((double)self->image_index), self->x, self->y, self->image_xscale, self->image_yscale,
                  self->image_angle, (uint32_t)self->image_blend, self->image_alpha);
}

void F_draw_background(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (background) background->Draw(Arg_F(args[1]), Arg_F(args[2]));
}

void F_draw_background_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawExt(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                        (uint32_t)Arg_I(args[6]), Arg_F(args[7]));
}

void F_draw_background_stretched(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawStretched(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), kWhite, DrawAlpha());
}

void F_draw_background_stretched_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawStretched(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), (uint32_t)Arg_I(args[5]),
                              Arg_F(args[6]));
}

void F_draw_background_part(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawPart(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), Arg_F(args[6]),
                         1.0f, 1.0f, kWhite, DrawAlpha());
}

void F_draw_background_part_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawPart(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]), Arg_F(args[6]),
                         Arg_F(args[7]), Arg_F(args[8]), (uint32_t)Arg_I(args[9]), Arg_F(args[10]));
}

void F_draw_background_general(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    if (!background) return;
    background->DrawGeneral(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), Arg_F(args[5]),
                            Arg_F(args[6]), Arg_F(args[7]), Arg_F(args[8]), Arg_F(args[9]), (uint32_t)Arg_I(args[10]),
                            (uint32_t)Arg_I(args[11]), (uint32_t)Arg_I(args[12]), (uint32_t)Arg_I(args[13]),
                            Arg_F(args[14]));
}

void F_draw_background_tiled(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    float width, height;
    if (!background || !Graphics_RoomArea(&width, &height)) return;
    background->DrawTiled(Arg_F(args[1]), Arg_F(args[2]), 1.0f, 1.0f, true, true, 0.0f, 0.0f, width, height, kWhite,
                          DrawAlpha());
}

void F_draw_background_tiled_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    const CBackground* background = BackgroundArgument(args[0]);
    float width, height;
    if (!background || !Graphics_RoomArea(&width, &height)) return;
    background->DrawTiled(Arg_F(args[1]), Arg_F(args[2]), Arg_F(args[3]), Arg_F(args[4]), true, true, 0.0f, 0.0f, width,
                          height, (uint32_t)Arg_I(args[5]), Arg_F(args[6]));
}
