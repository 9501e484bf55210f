// The tiles of the current room, one by id or a layer (every tile of one depth) at a time.
// Without a current room (extension initialisation) there is no tile: finds give -1 and changes
// do nothing.
#include "Function/Function_Graphics_Internal.h"
#include "Background/Background_Main.h"
#include "Variable/Arguments.h"
#include "Code/Error.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"

namespace {

// The array index of the tile an id names; a missing one is reported and gives -1.
int TileIndex(int id)
{
    int index = Run_Room ? Run_Room->FindTile(id) : -1;
    if (index < 0) Error_Show_Action("Tile does not exist.", false);
    return index;
}

// Reads one field of the tile an id names into the result.
template <class Field>
void GetTile(TaggedValue* result, int id, Field field)
{
    int index = TileIndex(id);
    if (index >= 0) result->SetReal(field(Run_Room->tiles[(size_t)index]));
}

// Changes a copy of the tile an id names and writes it back in its place.
template <class Change>
void ChangeTile(int id, Change change)
{
    int index = TileIndex(id);
    if (index < 0) return;
    RoomTile tile = Run_Room->tiles[(size_t)index];
    change(tile);
    Run_Room->SetTile(index, tile);
}

void SetId(TaggedValue* result, int index)
{
    result->SetReal(index >= 0 ? Run_Room->tiles[(size_t)index].id : -1);
}

}  // namespace

void F_tile_add(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1);
    int background = Arg_I(args[0]);
    if (!Background_Exists(background)) {
        Error_Show_Action("Background does not exist.", false);
        return;
    }
    if (!Run_Room) return;
    RoomTile tile;
    tile.background = background;
    tile.left = Arg_I(args[1]);
    tile.top = Arg_I(args[2]);
    tile.width = Arg_I(args[3]);
    tile.height = Arg_I(args[4]);
    tile.x = Arg_F(args[5]);
    tile.y = Arg_F(args[6]);
    tile.depth = Arg_F(args[7]);
    SetId(result, Run_Room->AddTile(tile));
}

void F_tile_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index = TileIndex(Arg_I(args[0]));
    if (index >= 0) Run_Room->DeleteTile(index);
}

void F_tile_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(Run_Room && Run_Room->FindTile(Arg_I(args[0])) >= 0 ? 1 : 0);
}

// The position getters take the id in single precision: ids up to 16777216 are exact.
void F_tile_get_x(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_FI(args[0]), [](const RoomTile& t) { return t.x; });
}

void F_tile_get_y(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_FI(args[0]), [](const RoomTile& t) { return t.y; });
}

void F_tile_get_left(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.left; });
}

void F_tile_get_top(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.top; });
}

void F_tile_get_width(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.width; });
}

void F_tile_get_height(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.height; });
}

void F_tile_get_depth(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.depth; });
}

void F_tile_get_visible(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.visible; });
}

void F_tile_get_xscale(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.xscale; });
}

void F_tile_get_yscale(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.yscale; });
}

void F_tile_get_blend(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.blend; });
}

void F_tile_get_alpha(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.alpha; });
}

void F_tile_get_background(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    GetTile(result, Arg_I(args[0]), [](const RoomTile& t) { return t.background; });
}

void F_tile_set_position(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    float x = Arg_F(args[1]), y = Arg_F(args[2]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.x = x, t.y = y; });
}

void F_tile_set_visible(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    bool visible = Arg_B(args[1]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.visible = visible ? 1 : 0; });
}

// Any background index is kept; the room draws nothing for one that does not exist.
void F_tile_set_background(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int background = Arg_FI(args[1]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.background = background; });
}

void F_tile_set_region(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int left = Arg_FI(args[1]), top = Arg_FI(args[2]), width = Arg_FI(args[3]), height = Arg_FI(args[4]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.left = left, t.top = top, t.width = width, t.height = height; });
}

// The tile keeps its place in the array; drawing orders by depth.
void F_tile_set_depth(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    float depth = Arg_F(args[1]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.depth = depth; });
}

void F_tile_set_scale(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    float xscale = Arg_F(args[1]), yscale = Arg_F(args[2]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.xscale = xscale, t.yscale = yscale; });
}

void F_tile_set_blend(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    uint32_t blend = (uint32_t)Arg_I(args[1]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.blend = blend; });
}

void F_tile_set_alpha(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    float alpha = Arg_F(args[1]);
    ChangeTile(Arg_I(args[0]), [&](RoomTile& t) { t.alpha = alpha; });
}

// The place finders test a point with half-open bounds, the place deleter with closed ones.
void F_tile_find(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1);
    if (Run_Room)
        SetId(result, Run_Room->FindTileAt((float)Arg_I(args[0]), (float)Arg_I(args[1]), args[2].GetReal() >= 0.5));
}

void F_tile_delete_at(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->DeleteTilesAt((float)Arg_I(args[0]), (float)Arg_I(args[1]), args[2].GetReal() >= 0.5);
}

void F_tile_layer_hide(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->HideLayer(Arg_F(args[0]));
}

void F_tile_layer_show(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->ShowLayer(Arg_F(args[0]));
}

void F_tile_layer_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->DeleteLayer(Arg_F(args[0]));
}

void F_tile_layer_shift(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->ShiftLayer(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]));
}

void F_tile_layer_find(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetReal(-1);
    if (Run_Room) SetId(result, Run_Room->FindLayerTileAt(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2])));
}

void F_tile_layer_delete_at(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->DeleteLayerTilesAt(Arg_F(args[0]), Arg_F(args[1]), Arg_F(args[2]));
}

void F_tile_layer_depth(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (Run_Room) Run_Room->SetLayerDepth(Arg_F(args[0]), Arg_F(args[1]));
}
