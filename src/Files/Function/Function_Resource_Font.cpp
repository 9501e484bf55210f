// Fonts: queries, fonts by face name and from sprites, replacing and deleting.
#include "Function/Function_Resource_Internal.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Font/Font_Main.h"
#include "Sprite/Sprite_Main.h"

#define FONT_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)

namespace {

CFontBV* FontAt(const TaggedValue& a)
{
    return Font_Get(Arg_I(a));
}

bool FontExists(const TaggedValue& a)
{
    return Resource_Require(Font_Exists(Arg_I(a)), "Trying to replace non-existing font.");
}

bool SpriteExists(const TaggedValue& a, const char* message)
{
    return Resource_Require(Sprite_Exists(Arg_I(a)), message);
}

}  // namespace

FONT_BUILTIN(font_exists) { Resource_SetFlag(result, Font_Exists(Arg_I(args[0]))); }
FONT_BUILTIN(font_get_name) { result->SetString(Font_GetName(Arg_I(args[0]))); }

FONT_BUILTIN(font_get_fontname)
{
    const CFontBV* font = FontAt(args[0]);
    result->SetString(font ? font->GetFaceName() : "");
}

FONT_BUILTIN(font_get_size) { Resource_Field(result, FontAt(args[0]), [](const CFontBV& f) { return f.GetSize(); }); }
FONT_BUILTIN(font_get_bold) { Resource_Field(result, FontAt(args[0]), [](const CFontBV& f) { return f.GetBold(); }); }
FONT_BUILTIN(font_get_italic) { Resource_Field(result, FontAt(args[0]), [](const CFontBV& f) { return f.GetItalic(); }); }
FONT_BUILTIN(font_get_first) { Resource_Field(result, FontAt(args[0]), [](const CFontBV& f) { return f.GetFirst(); }); }
FONT_BUILTIN(font_get_last) { Resource_Field(result, FontAt(args[0]), [](const CFontBV& f) { return f.GetLast(); }); }

// (name, size, bold, italic, first, last).
FONT_BUILTIN(font_add)
{
    result->SetReal(Font_Add(Arg_S(args[0]), Arg_I(args[1]), Arg_BD(args[2]), Arg_BD(args[3]), Arg_I(args[4]), Arg_I(args[5])));
}

FONT_BUILTIN(font_replace)
{
    if (!FontExists(args[0])) return;
    Resource_SetFlag(result, Font_Replace(Arg_I(args[0]), Arg_S(args[1]), Arg_I(args[2]), Arg_BD(args[3]), Arg_BD(args[4]),
                                          Arg_I(args[5]), Arg_I(args[6])));
}

// (spr, first, prop, sep): frame i shows the character first + i of the game's code table.
FONT_BUILTIN(font_add_sprite)
{
    if (SpriteExists(args[0], "Trying to create font from non-existing sprite."))
        result->SetReal(Font_AddSprite(Arg_I(args[0]), Arg_I(args[1]), Arg_Above(args[2]), Arg_I(args[3])));
}

// (spr, string map, prop, sep): frame i shows the map's character i.
FONT_BUILTIN(font_add_sprite_ext)
{
    if (SpriteExists(args[0], "Trying to create font from non-existing sprite."))
        result->SetReal(Font_AddSpriteExt(Arg_I(args[0]), Arg_S(args[1]), Arg_Above(args[2]), Arg_I(args[3])));
}

FONT_BUILTIN(font_replace_sprite)
{
    if (!FontExists(args[0]) || !SpriteExists(args[1], "Trying to replace font from non-existing sprite.")) return;
    Resource_SetFlag(result, Font_ReplaceSprite(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_BD(args[3]), Arg_I(args[4])));
}

FONT_BUILTIN(font_replace_sprite_ext)
{
    if (!FontExists(args[0]) || !SpriteExists(args[1], "Trying to replace font from non-existing sprite.")) return;
    Resource_SetFlag(result, Font_ReplaceSpriteExt(Arg_I(args[0]), Arg_I(args[1]), Arg_S(args[2]), Arg_BD(args[3]), Arg_I(args[4])));
}

FONT_BUILTIN(font_delete)
{
    if (Resource_Require(Font_Exists(Arg_I(args[0])), "Trying to delete non-existing font."))
        Resource_SetFlag(result, Font_Delete(Arg_I(args[0])));
}
