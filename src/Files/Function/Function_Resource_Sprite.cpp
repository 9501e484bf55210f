// Sprites: queries, adding from files, the screen and surfaces, replacing, copying, merging,
// saving as PNG and the setters.
//
// Two argument layouts: the handlers that the older set registers with more arguments take that
// layout only when the call carries those arguments, so nothing is read past them.
#include "Function/Function_Resource_Internal.h"
#include "Base/Console.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/Image.h"
#include "Object/Instance_Class.h"
#include "Platform/TBitmap.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"

#include <algorithm>
#include <cstring>

#define SPRITE_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)

namespace {

CSprite* SpriteAt(const TaggedValue& a)
{
    return Sprite_Get(Arg_I(a));
}

// The instances of the current room (deactivated ones too) that show or collide with the sprite
// get their boxes made again when next needed.
void SpriteChanged(int sprite)
{
    if (!Run_Room) return;
    for (const CInstanceList* list : {&Run_Room->active, &Run_Room->deactivated})
        for (CInstance* inst : *list)
            if (inst->sprite_index == sprite || inst->mask_index == sprite) inst->ShapeChanged();
}

// The sprite of the first argument, or null after the message.
CSprite* ExistingSprite(const TaggedValue& a, const char* message)
{
    CSprite* sprite = SpriteAt(a);
    return Resource_Require(sprite, message) ? sprite : nullptr;
}

// A setter: nothing for a missing sprite.
template <class F>
void EditSprite(const TaggedValue* args, F edit)
{
    int index = Arg_I(args[0]);
    CSprite* sprite = Sprite_Get(index);
    if (!sprite) return;
    edit(*sprite);
    SpriteChanged(index);
}

// The file name of a save; null after the message when it is empty.
const char* SaveName(const TaggedValue& a)
{
    const char* name = Arg_S(a);
    return Resource_Require(*name, "Trying to save sprite bitmap to empty image file name.") ? name : nullptr;
}

// A new sprite, the result, made from a grabbed image (left empty when the grab is empty). The
// arguments from `a` on are (removeback, smooth, xorig, yorig), precise being true, or in the
// older layout (precise, transparent, smooth, preload, xorig, yorig).
void CreateFromGrab(TaggedValue* result, TBitmap* image, const TaggedValue* a, bool older, bool preload, bool keepAlpha)
{
    int index = Sprite_AddNew();
    result->SetReal(index);
    if (!image) return;
    CSprite* sprite = Sprite_Get(index);
    if (older)
        sprite->CreateFromBitmap(image, Arg_Above(a[0]), Arg_Above(a[1]), Arg_Above(a[2]), Arg_Above(a[3]), Arg_I(a[4]), Arg_I(a[5]),
                                 keepAlpha);
    else
        sprite->CreateFromBitmap(image, true, Arg_Above(a[0]), Arg_Above(a[1]), preload, Arg_I(a[2]), Arg_I(a[3]), keepAlpha);
    delete image;
}

// A grabbed image appended to an existing sprite as a frame.
void AddGrab(const TaggedValue& target, TBitmap* (*grab)(const TaggedValue*), const TaggedValue* rect, bool keepAlpha)
{
    int index = Arg_I(target);
    CSprite* sprite = ExistingSprite(target, "Trying to add to non-existing sprite.");
    if (!sprite) return;
    TBitmap* image = grab(rect);
    if (!image) return;
    // Sprites of the game data file cannot take frames.
    if (sprite->AddFromBitmap(image, keepAlpha)) SpriteChanged(index);
    delete image;
}

TBitmap* GrabScreen(const TaggedValue* a)
{
    return GR_Screen_Grab_Bitmap(Arg_I(a[0]), Arg_I(a[1]), Arg_I(a[2]), Arg_I(a[3]));
}

TBitmap* GrabSurface(const TaggedValue* a)
{
    return GR_Surface_Grab_Bitmap(Arg_I(a[0]), Arg_I(a[1]), Arg_I(a[2]), Arg_I(a[3]), Arg_I(a[4]));
}

// The frames side by side on opaque black, each frame's rows at its column; nothing is written
// when a frame image is missing or the strip would be too large.
void SaveStrip(const CSprite& sprite, const char* name)
{
    for (int i = 0; i < sprite.m_numb; i++)
        if (i >= (int)sprite.m_bitmaps.size() || !sprite.m_bitmaps[i] || !sprite.m_bitmaps[i]->m_valid) {
            Console_Debug->Output("sprite_save_strip() failed - Missing bitmap data\n");
            return;
        }
    int64_t width = (int64_t)sprite.m_numb * sprite.m_width;
    CBitmap32 strip(width > IMAGE_MAX_SIDE ? 0 : (int)width, sprite.m_height, 0xFF000000u);
    if (!strip.m_valid) {
        Console_Debug->Output("sprite_save_strip() failed - a strip of %lld x %d pixels is too large\n", (long long)width,
                              sprite.m_height);
        return;
    }
    for (int i = 0; i < sprite.m_numb; i++) {
        const CBitmap32* frame = sprite.m_bitmaps[i];
        // Frames are the sprite's size; a smaller one is copied as far as it goes.
        int w = std::min(frame->GetWidth(), sprite.m_width), h = std::min(frame->GetHeight(), sprite.m_height);
        for (int y = 0; y < h; y++)
            memcpy(strip.GetData() + (size_t)y * strip.GetWidth() + (size_t)i * sprite.m_width,
                   frame->GetData() + (size_t)y * frame->GetWidth(), (size_t)w * 4);
    }
    strip.SaveToPNG(name);
}

}  // namespace

SPRITE_BUILTIN(sprite_exists) { Resource_SetFlag(result, Sprite_Exists(Arg_I(args[0]))); }
SPRITE_BUILTIN(sprite_get_name) { result->SetString(Sprite_GetName(Arg_I(args[0]))); }
SPRITE_BUILTIN(sprite_get_number) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_numb; }); }
SPRITE_BUILTIN(sprite_get_width) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_width; }); }
SPRITE_BUILTIN(sprite_get_height) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_height; }); }
SPRITE_BUILTIN(sprite_get_transparent) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_transparent; }); }
SPRITE_BUILTIN(sprite_get_smooth) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_smooth; }); }
SPRITE_BUILTIN(sprite_get_preload) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_preload; }); }
SPRITE_BUILTIN(sprite_get_xoffset) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_xorigin; }); }
SPRITE_BUILTIN(sprite_get_yoffset) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_yorigin; }); }
SPRITE_BUILTIN(sprite_get_bbox_mode) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_bboxMode; }); }
SPRITE_BUILTIN(sprite_get_bbox_left) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_bbox.left; }); }
SPRITE_BUILTIN(sprite_get_bbox_right) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_bbox.right; }); }
SPRITE_BUILTIN(sprite_get_bbox_top) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_bbox.top; }); }
SPRITE_BUILTIN(sprite_get_bbox_bottom) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_bbox.bottom; }); }
SPRITE_BUILTIN(sprite_get_precise) { Resource_Field(result, SpriteAt(args[0]), [](const CSprite& s) { return s.m_precise; }); }

// The other arguments (separate masks, box, kind, tolerance) are not used.
SPRITE_BUILTIN(sprite_collision_mask)
{
    CSprite* sprite = ExistingSprite(args[0], "Trying to set the collision mask of a non-existing sprite.");
    if (!sprite) return;
    sprite->m_precise = true;
    sprite->CreateMask();
}

// Texture caches and texture-page queries do nothing here.
SPRITE_BUILTIN(sprite_set_cache_size) {}

SPRITE_BUILTIN(sprite_set_offset)
{
    EditSprite(args, [&](CSprite& s) {
        s.m_xorigin = Arg_I(args[1]);
        s.m_yorigin = Arg_I(args[2]);
        s.ComputeBoundingBox();  // the cull radius follows the origin
    });
}

SPRITE_BUILTIN(sprite_set_bbox_mode)
{
    EditSprite(args, [&](CSprite& s) { s.SetBoundingBoxMode(Arg_I(args[1])); });
}

SPRITE_BUILTIN(sprite_set_bbox)
{
    EditSprite(args, [&](CSprite& s) { s.SetBoundingBox(Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4])); });
}

SPRITE_BUILTIN(sprite_set_precise)
{
    EditSprite(args, [&](CSprite& s) { s.SetPrecise(Arg_BD(args[1])); });
}

SPRITE_BUILTIN(sprite_set_alpha_from_sprite)
{
    CSprite* sprite = SpriteAt(args[0]);
    const CSprite* source = SpriteAt(args[1]);
    if (sprite && source) sprite->SetAlphaFromSprite(source);
}

// (file, frames, removeback, smooth, xorig, yorig), or (file, frames, precise, transparent,
// smooth, preload, xorig, yorig).
SPRITE_BUILTIN(sprite_add)
{
    const char* file = Arg_S(args[0]);
    int frames = Arg_I(args[1]);
    int index = argc >= 8 ? Sprite_Add(file, frames, Arg_BD(args[2]), Arg_BD(args[3]), Arg_Above(args[4]), Arg_Above(args[5]),
                                       Arg_I(args[6]), Arg_I(args[7]))
                          : Sprite_Add(file, frames, false, Arg_BD(args[2]), Arg_Above(args[3]), false, Arg_I(args[4]), Arg_I(args[5]));
    result->SetReal(index);
}

// (x, y, w, h, removeback, smooth, xorig, yorig), or (x, y, w, h, precise, transparent, smooth,
// preload, xorig, yorig). A grab off the screen leaves the new sprite empty.
SPRITE_BUILTIN(sprite_create_from_screen)
{
    CreateFromGrab(result, GrabScreen(args), args + 4, argc >= 10, true, false);
}

SPRITE_BUILTIN(sprite_add_from_screen) { AddGrab(args[0], GrabScreen, args + 1, false); }

// (id, x, y, w, h, removeback, smooth, xorig, yorig), or (id, x, y, w, h, precise, transparent,
// smooth, preload, xorig, yorig); the surface's alpha is kept.
SPRITE_BUILTIN(sprite_create_from_surface)
{
    CreateFromGrab(result, GrabSurface(args), args + 5, argc >= 11, false, true);
}

SPRITE_BUILTIN(sprite_add_from_surface) { AddGrab(args[0], GrabSurface, args + 1, true); }

// (ind, file, frames, removeback, smooth, xorig, yorig), or (ind, file, frames, precise,
// transparent, smooth, preload, xorig, yorig).
SPRITE_BUILTIN(sprite_replace)
{
    int index = Arg_I(args[0]);
    if (!ExistingSprite(args[0], "Trying to replace non-existing sprite.")) return;
    const char* file = Arg_S(args[1]);
    int frames = Arg_I(args[2]);
    bool done = argc >= 9 ? Sprite_Replace(index, file, frames, Arg_BD(args[3]), Arg_BD(args[4]), Arg_Above(args[5]),
                                           Arg_Above(args[6]), Arg_I(args[7]), Arg_I(args[8]))
                          : Sprite_Replace(index, file, frames, true, Arg_Above(args[3]), Arg_Above(args[4]), true, Arg_I(args[5]),
                                           Arg_I(args[6]));
    SpriteChanged(index);
    Resource_SetFlag(result, done);
}

// (file, frames, precise, preload, xorig, yorig): the image's own alpha is kept.
SPRITE_BUILTIN(sprite_add_alpha)
{
    result->SetReal(Sprite_AddAlpha(Arg_S(args[0]), Arg_I(args[1]), Arg_BD(args[2]), Arg_Above(args[3]), Arg_I(args[4]),
                                    Arg_I(args[5])));
}

SPRITE_BUILTIN(sprite_replace_alpha)
{
    int index = Arg_I(args[0]);
    if (!ExistingSprite(args[0], "Trying to replace non-existing sprite.")) return;
    bool done = Sprite_ReplaceAlpha(index, Arg_S(args[1]), Arg_I(args[2]), Arg_BD(args[3]), Arg_Above(args[4]), Arg_I(args[5]),
                                    Arg_I(args[6]));
    SpriteChanged(index);
    Resource_SetFlag(result, done);
}

// Also sprite_replace_sprite, background_add_background and background_replace_background.
SPRITE_BUILTIN(sprite_add_sprite)
{
    Console_Debug->Output("unsupported function\n");
    result->SetReal(-1.0);
}

SPRITE_BUILTIN(sprite_save_strip)
{
    const CSprite* sprite = ExistingSprite(args[0], "Trying to save non-existing sprite bitmap.");
    const char* name = sprite ? SaveName(args[1]) : nullptr;
    if (name && sprite->m_numb > 0) SaveStrip(*sprite, name);
}

SPRITE_BUILTIN(sprite_delete)
{
    int index = Arg_I(args[0]);
    if (!ExistingSprite(args[0], "Trying to delete non-existing sprite.")) return;
    Resource_SetFlag(result, Sprite_Delete(index));
    SpriteChanged(index);
}

SPRITE_BUILTIN(sprite_duplicate)
{
    if (ExistingSprite(args[0], "Trying to duplicate non-existing sprite.")) result->SetReal(Sprite_Duplicate(Arg_I(args[0])));
}

// Assigning a sprite to itself changes nothing.
SPRITE_BUILTIN(sprite_assign)
{
    int index = Arg_I(args[0]);
    if (Resource_Require(Sprite_Assign(index, Arg_I(args[1])), "Error assigning a sprite.")) SpriteChanged(index);
}

// Appends the second sprite's frames to the first; sprites of the game data file take no part.
SPRITE_BUILTIN(sprite_merge)
{
    CSprite* sprite = ExistingSprite(args[0], "Trying to merge to non-existing sprite.");
    if (!sprite) return;
    const CSprite* source = ExistingSprite(args[1], "Trying to merge from non-existing sprite.");
    if (source && sprite->Merge(source)) SpriteChanged(Arg_I(args[0]));
}

// (ind, subimg, fname): one frame as a 32-bit PNG with its alpha.
SPRITE_BUILTIN(sprite_save)
{
    const CSprite* sprite = ExistingSprite(args[0], "Trying to save non-existing sprite bitmap.");
    const char* name = sprite ? SaveName(args[2]) : nullptr;
    if (!name) return;
    TBitmap* image = sprite->GetBitmap(Arg_I(args[1]));
    if (!image) {
        Console_Debug->Output("sprite_save() failed - no bitmap data available\n");
        return;
    }
    if (const uint8_t* pixels = image->Lock()) write_png_file(name, pixels, image->GetWidth(), image->GetHeight());
    image->Unlock();
    delete image;
}
