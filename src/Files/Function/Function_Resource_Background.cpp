// Backgrounds: queries, adding from files, a colour, a gradient, the screen and surfaces,
// replacing, copying and saving as PNG.
//
// The layouts without a preload argument preload, except a grab of the screen, which does not;
// the older layouts take it from their last argument when the call carries it.
#include "Function/Function_Resource_Internal.h"
#include "Background/Background_Main.h"
#include "Base/Console.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Graphics_API/Bitmap32.h"
#include "Graphics_API/GR_Surface.h"
#include "Graphics_API/Image.h"
#include "Platform/TBitmap.h"

#define BACKGROUND_BUILTIN(name) void F_##name(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)

namespace {

CBackground* BackgroundAt(const TaggedValue& a)
{
    return Background_Get(Arg_I(a));
}

CBackground* ExistingBackground(const TaggedValue& a, const char* message)
{
    CBackground* background = BackgroundAt(a);
    return Resource_Require(background, message) ? background : nullptr;
}

// The preload flag at position `at` when the call carries it, else true.
bool Preload(int argc, const TaggedValue* args, int at)
{
    return argc > at ? Arg_Above(args[at]) : true;
}

// A new empty background, the result, filled by `fill` when there is an image.
template <class F>
void Create(TaggedValue* result, TBitmap* image, F fill)
{
    int index = Background_AddEmpty();
    result->SetReal(index);
    if (image && index >= 0) fill(*Background_Get(index), image);
    delete image;
}

// A background of w x h filled by `fill`, added when it holds an image: its index, else -1 with
// the table unchanged and the reason reported.
template <class F>
int AddMade(const char* what, int w, int h, F fill)
{
    if (w <= 0 || h <= 0 || w > IMAGE_MAX_SIDE || h > IMAGE_MAX_SIDE) {
        Error_Show_Action("Invalid background dimensions", false);
        return -1;
    }
    CBackground* made = new CBackground;
    fill(*made);
    if (!made->GetBitmap()) {
        delete made;
        Console_Warnings->Output("%s: no image of %d x %d could be made.\n", what, w, h);
        return -1;
    }
    return Background_AddMade(made);
}

}  // namespace

BACKGROUND_BUILTIN(background_exists) { Resource_SetFlag(result, Background_Exists(Arg_I(args[0]))); }
BACKGROUND_BUILTIN(background_get_name) { result->SetString(Background_GetName(Arg_I(args[0]))); }
BACKGROUND_BUILTIN(background_get_width) { Resource_Field(result, BackgroundAt(args[0]), [](const CBackground& b) { return b.GetWidth(); }); }
BACKGROUND_BUILTIN(background_get_height) { Resource_Field(result, BackgroundAt(args[0]), [](const CBackground& b) { return b.GetHeight(); }); }
BACKGROUND_BUILTIN(background_get_transparent) { Resource_Field(result, BackgroundAt(args[0]), [](const CBackground& b) { return b.GetTransparent(); }); }
BACKGROUND_BUILTIN(background_get_smooth) { Resource_Field(result, BackgroundAt(args[0]), [](const CBackground& b) { return b.GetSmooth(); }); }
BACKGROUND_BUILTIN(background_get_preload) { Resource_Field(result, BackgroundAt(args[0]), [](const CBackground& b) { return b.GetPreload(); }); }

BACKGROUND_BUILTIN(background_set_alpha_from_background)
{
    CBackground* background = BackgroundAt(args[0]);
    const CBackground* source = BackgroundAt(args[1]);
    if (background && source) background->SetAlphaFromBackground(source);
}

// (w, h, col[, preload]): sizes outside 1..16384 make nothing (-1).
BACKGROUND_BUILTIN(background_create_color)
{
    int w = Arg_I(args[0]), h = Arg_I(args[1]);
    auto fill = [&](CBackground& b) { b.CreateColor(w, h, (uint32_t)Arg_I(args[2]), Preload(argc, args, 3)); };
    result->SetReal(AddMade("background_create_color", w, h, fill));
}

// (ind, file, removeback, smooth[, preload]).
BACKGROUND_BUILTIN(background_replace)
{
    if (!ExistingBackground(args[0], "Trying to replace non-existing background.")) return;
    Resource_SetFlag(result, Background_Replace(Arg_I(args[0]), Arg_S(args[1]), Arg_BD(args[2]), Arg_BD(args[3]), Preload(argc, args, 4)));
}

// (x, y, w, h, removeback, smooth[, preload]); the grab is opaque.
BACKGROUND_BUILTIN(background_create_from_screen)
{
    TBitmap* image = GR_Screen_Grab_Bitmap(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]));
    Create(result, image, [&](CBackground& b, TBitmap* grab) {
        if (argc == 6 || argc == 7)
            b.CreateFromBitmap(grab, Arg_Above(args[4]), Arg_Above(args[5]), argc == 7 && Arg_Above(args[6]), false);
    });
}

// (id, x, y, w, h, removeback, smooth[, preload]); the surface's alpha is kept.
BACKGROUND_BUILTIN(background_create_from_surface)
{
    TBitmap* image = GR_Surface_Grab_Bitmap(Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]));
    Create(result, image, [&](CBackground& b, TBitmap* grab) {
        b.CreateFromBitmap(grab, Arg_Above(args[5]), Arg_Above(args[6]), Preload(argc, args, 7), true);
    });
}

// (w, h, col1, col2, kind[, preload]): sizes outside 1..16384 make nothing (-1).
BACKGROUND_BUILTIN(background_create_gradient)
{
    int w = Arg_I(args[0]), h = Arg_I(args[1]);
    auto fill = [&](CBackground& b) {
        b.CreateGradient(w, h, (uint32_t)Arg_I(args[2]), (uint32_t)Arg_I(args[3]), Arg_I(args[4]), Preload(argc, args, 5));
    };
    result->SetReal(AddMade("background_create_gradient", w, h, fill));
}

// (file, removeback, smooth[, preload]).
BACKGROUND_BUILTIN(background_add)
{
    result->SetReal(Background_Add(Arg_S(args[0]), Arg_BD(args[1]), Arg_BD(args[2]), Preload(argc, args, 3)));
}

// (file, preload): the image's own alpha is kept.
BACKGROUND_BUILTIN(background_add_alpha)
{
    result->SetReal(Background_AddAlpha(Arg_S(args[0]), Arg_BD(args[1])));
}

BACKGROUND_BUILTIN(background_replace_alpha)
{
    if (!ExistingBackground(args[0], "Trying to replace non-existing background.")) return;
    Resource_SetFlag(result, Background_ReplaceAlpha(Arg_I(args[0]), Arg_S(args[1]), Arg_BD(args[2])));
}

BACKGROUND_BUILTIN(background_delete)
{
    if (ExistingBackground(args[0], "Trying to delete non-existing background."))
        Resource_SetFlag(result, Background_Delete(Arg_I(args[0])));
}

BACKGROUND_BUILTIN(background_duplicate)
{
    if (ExistingBackground(args[0], "Trying to duplicate non-existing background."))
        result->SetReal(Background_Duplicate(Arg_I(args[0])));
}

// Assigning a background to itself changes nothing.
BACKGROUND_BUILTIN(background_assign)
{
    Resource_Require(Background_Assign(Arg_I(args[0]), Arg_I(args[1])), "Error assigning a background.");
}

// (ind, fname): a 32-bit PNG with the image's alpha.
BACKGROUND_BUILTIN(background_save)
{
    const CBackground* background = ExistingBackground(args[0], "Trying to save non-existing background bitmap.");
    if (!background) return;
    const char* name = Arg_S(args[1]);
    if (!Resource_Require(*name, "Trying to save background bitmap to empty image file name.")) return;
    if (!background->GetBitmap()) {
        Console_Debug->Output("background_save() failed - no bitmap data available\n");
        return;
    }
    background->GetBitmap()->SaveToPNG(name);
}
