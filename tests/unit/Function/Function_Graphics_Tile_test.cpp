// The tile built-ins on the current room: ids, fields, the edge rules of finding and deleting by
// place, and layers keeping the array order.
#include "Function/Function_Graphics.h"
#include "BuiltinCall.h"

#include "Background/Background_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

class TileBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_Graphics_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        background = Background_AddEmpty();
        savedLastId = Room_LastTileId;
        Run_Room = &room;
    }
    void TearDown() override
    {
        Run_Room = nullptr;
        Room_LastTileId = savedLastId;
        Background_Free();
        BuiltinTest::TearDown();
    }
    // A 10 x 10 tile at (x, y) of that depth; its id.
    double Add(double x, double y, double depth)
    {
        return Real("tile_add", {(double)background, 0.0, 0.0, 10.0, 10.0, x, y, depth});
    }
    // The ids of the room's tiles in array order.
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (const RoomTile& t : room.tiles) ids.push_back(t.id);
        return ids;
    }
    CRoom room;
    int background = -1;
    int savedLastId = 0;
};

TEST_F(TileBuiltins, AddGivesGrowingIdsAndFieldsReadBack)
{
    EXPECT_EQ(Real("tile_add", {background + 1.0, 0.0, 0.0, 4.0, 4.0, 0.0, 0.0, 0.0}), -1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Background does not exist."), std::string::npos);
    EXPECT_TRUE(room.tiles.empty());

    double first = Add(0, 0, 0);
    double second = Real("tile_add", {(double)background, 1.0, 2.0, 30.0, 40.0, 5.5, -6.25, 100.0});
    EXPECT_GT(first, savedLastId);
    EXPECT_GT(second, first);
    EXPECT_EQ(Real("tile_exists", {second}), 1);
    EXPECT_EQ(Real("tile_get_x", {second}), 5.5);
    EXPECT_EQ(Real("tile_get_y", {second}), -6.25);
    EXPECT_EQ(Real("tile_get_left", {second}), 1);
    EXPECT_EQ(Real("tile_get_top", {second}), 2);
    EXPECT_EQ(Real("tile_get_width", {second}), 30);
    EXPECT_EQ(Real("tile_get_height", {second}), 40);
    EXPECT_EQ(Real("tile_get_depth", {second}), 100);
    EXPECT_EQ(Real("tile_get_background", {second}), background);
    EXPECT_EQ(Real("tile_get_xscale", {second}), 1);
    EXPECT_EQ(Real("tile_get_yscale", {second}), 1);
    EXPECT_EQ(Real("tile_get_blend", {second}), 0xFFFFFF);
    EXPECT_EQ(Real("tile_get_alpha", {second}), 1);
    EXPECT_EQ(Real("tile_get_visible", {second}), 1);

    Call("tile_set_position", {second, -1.5, 2.5});
    Call("tile_set_visible", {second, 0.49999999});  // 0.5 in single precision: visible
    Call("tile_set_region", {second, 3.0, 4.0, 5.0, 6.0});
    Call("tile_set_scale", {second, 2.0, -1.0});
    Call("tile_set_blend", {second, -1.0});
    Call("tile_set_alpha", {second, 0.25});
    Call("tile_set_background", {second, 77.0});  // any index is kept
    Call("tile_set_depth", {second, -5.0});
    const RoomTile& t = room.tiles[1];
    EXPECT_EQ(t.id, (int)second);
    EXPECT_EQ(t.x, -1.5f);
    EXPECT_EQ(t.y, 2.5f);
    EXPECT_EQ(t.visible, 1);
    EXPECT_EQ(t.left + t.top + t.width + t.height, 18);
    EXPECT_EQ(t.xscale, 2.0f);
    EXPECT_EQ(t.yscale, -1.0f);
    EXPECT_EQ(Real("tile_get_blend", {second}), 4294967295.0);
    EXPECT_EQ(t.alpha, 0.25f);
    EXPECT_EQ(t.background, 77);
    EXPECT_EQ(t.depth, -5.0f);
    EXPECT_EQ(room.tiles[0].id, (int)first);  // a new depth keeps the array order
    Call("tile_set_visible", {second, 0.4});
    EXPECT_EQ(Real("tile_get_visible", {second}), 0);
    EXPECT_EQ(Errors().size(), 1u);

    // A deleted tile is gone and the later ones move down; a missing id is reported.
    double third = Add(50, 50, 0);
    Call("tile_delete", {first});
    EXPECT_EQ(Ids(), (std::vector<int>{(int)second, (int)third}));
    EXPECT_EQ(Real("tile_exists", {first}), 0);
    EXPECT_EQ(Real("tile_get_x", {first}), 0);
    Call("tile_set_alpha", {first, 0.5});
    Call("tile_delete", {first});
    EXPECT_EQ(Errors().size(), 4u);
    for (size_t i = 1; i < Errors().size(); i++) EXPECT_NE(Errors()[i].find("Tile does not exist."), std::string::npos);
}

TEST_F(TileBuiltins, PositionGettersTakeTheIdInSinglePrecision)
{
    Room_LastTileId = 16777216;
    double id = Add(7, 8, 0);
    ASSERT_EQ(id, 16777217);
    EXPECT_EQ(Real("tile_get_width", {id}), 10);
    EXPECT_TRUE(Errors().empty());
    // 16777217 narrows to 16777216, which names no tile.
    EXPECT_EQ(Real("tile_get_x", {id}), 0);
    EXPECT_EQ(Real("tile_get_y", {id}), 0);
    EXPECT_EQ(Errors().size(), 2u);
}

TEST_F(TileBuiltins, PlaceRulesAtTheEdgesAndDepthZero)
{
    double back = Add(0, 0, 10);     // covers [0, 10)
    double zero = Add(20, 0, 0);
    double front = Add(40, 0, -10);
    // The right and bottom edges are outside for finding.
    EXPECT_EQ(Real("tile_find", {9.0, 9.0, 0.0}), back);
    EXPECT_EQ(Real("tile_find", {10.0, 5.0, 0.0}), -1);
    EXPECT_EQ(Real("tile_find", {5.0, 10.0, 0.0}), -1);
    EXPECT_EQ(Real("tile_find", {9.4, 0.0, 0.0}), back);  // nearest integer
    EXPECT_EQ(Real("tile_find", {9.6, 0.0, 0.0}), -1);
    // Depth 0 is background for finding; the flag is "at least 0.5".
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 0.0}), zero);
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 1.0}), -1);
    EXPECT_EQ(Real("tile_find", {45.0, 5.0, 0.49999999}), -1);
    EXPECT_EQ(Real("tile_find", {45.0, 5.0, 0.5}), front);

    // Deleting by place takes the closed bounds: the right edge is inside.
    Call("tile_delete_at", {10.0, 10.0, 1.0});
    EXPECT_EQ(Real("tile_exists", {back}), 1);  // background tile, foreground asked
    Call("tile_delete_at", {10.0, 10.0, 0.0});
    EXPECT_EQ(Real("tile_exists", {back}), 0);
    // Depth 0 goes with either flag.
    Call("tile_delete_at", {30.0, 0.0, 1.0});
    EXPECT_EQ(Real("tile_exists", {zero}), 0);
    double again = Add(20, 0, 0);
    Call("tile_delete_at", {20.0, 10.0, 0.0});
    EXPECT_EQ(Real("tile_exists", {again}), 0);
    EXPECT_EQ(Ids(), (std::vector<int>{(int)front}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TileBuiltins, LayersKeepTheArrayOrder)
{
    const double a1 = Add(0, 0, 5), b1 = Add(0, 0, 7), a2 = Add(20, 0, 5), b2 = Add(20, 0, 7), c = Add(40, 0, 6);
    const std::vector<int> all = {(int)a1, (int)b1, (int)a2, (int)b2, (int)c};

    Call("tile_layer_depth", {5.0, 9.0});
    EXPECT_EQ(Ids(), all);
    EXPECT_EQ(Real("tile_get_depth", {a2}), 9);
    EXPECT_EQ(Real("tile_get_depth", {b1}), 7);

    Call("tile_layer_hide", {9.0});
    EXPECT_EQ(Real("tile_get_visible", {a1}) + Real("tile_get_visible", {a2}), 0);
    EXPECT_EQ(Real("tile_get_visible", {b1}), 1);
    Call("tile_layer_show", {9.0});
    EXPECT_EQ(Real("tile_get_visible", {a1}), 1);

    Call("tile_layer_shift", {7.0, 3.0, -2.0});
    EXPECT_EQ(Real("tile_get_x", {b2}), 23);
    EXPECT_EQ(Real("tile_get_y", {b1}), -2);
    EXPECT_EQ(Real("tile_get_x", {a2}), 20);

    // Finding in a layer: the first of that depth in array order, half-open bounds.
    EXPECT_EQ(Real("tile_layer_find", {7.0, 5.0, 5.0}), b1);
    EXPECT_EQ(Real("tile_layer_find", {9.0, 25.0, 5.0}), a2);
    EXPECT_EQ(Real("tile_layer_find", {9.0, 30.0, 5.0}), -1);
    EXPECT_EQ(Real("tile_layer_find", {8.0, 5.0, 5.0}), -1);
    // Layers are exact single-precision depths.
    EXPECT_EQ(Real("tile_layer_find", {7.0000001, 5.0, 5.0}), b1);
    EXPECT_EQ(Real("tile_layer_find", {7.001, 5.0, 5.0}), -1);

    Call("tile_layer_delete_at", {9.0, 30.0, 0.0});  // right edge: not inside
    EXPECT_EQ(room.tiles.size(), 5u);
    Call("tile_layer_delete_at", {9.0, 29.0, 0.0});
    EXPECT_EQ(Ids(), (std::vector<int>{(int)a1, (int)b1, (int)b2, (int)c}));
    Call("tile_layer_delete", {7.0});
    EXPECT_EQ(Ids(), (std::vector<int>{(int)a1, (int)c}));
    Call("tile_layer_delete", {123.0});  // an empty layer changes nothing
    EXPECT_EQ(room.tiles.size(), 2u);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TileBuiltins, WithoutARoomNothingIsFoundOrChanged)
{
    double id = Add(0, 0, 0);
    Run_Room = nullptr;
    EXPECT_EQ(Add(0, 0, 0), -1);
    EXPECT_EQ(Real("tile_find", {5.0, 5.0, 0.0}), -1);
    EXPECT_EQ(Real("tile_layer_find", {0.0, 5.0, 5.0}), -1);
    EXPECT_EQ(Real("tile_exists", {id}), 0);
    Call("tile_layer_delete", {0.0});
    Call("tile_delete_at", {5.0, 5.0, 0.0});
    Call("tile_set_depth", {id, 3.0});
    EXPECT_EQ(Errors().size(), 1u);  // the setter names a tile that no room holds
    Run_Room = &room;
    EXPECT_EQ(Ids(), (std::vector<int>{(int)id}));
    EXPECT_EQ(room.tiles[0].depth, 0.0f);
}

TEST_F(TileBuiltins, HostileArgumentsAreHarmless)
{
    double id = Add(0, 0, 0);
    const TaggedValue patterns[] = {TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(2147483647.0), S("12")};
    for (const TaggedValue& p : patterns) {
        for (int i = 0; i < Function_Count(); i++) {
            const RFunction* f = Function_Get(i);
            if (strncmp(f->name, "tile_", 5) != 0) continue;
            std::vector<TaggedValue> args((size_t)f->argc, p);
            Call(f->name, args);
            // The same with the first argument naming the tile (or the background) that exists.
            if (!args.empty()) args[0] = TaggedValue(strcmp(f->name, "tile_add") == 0 ? (double)background : id);
            if (strcmp(f->name, "tile_delete") != 0) Call(f->name, args);
        }
    }
    // The room's tiles stay usable: ids unique, a new tile found where it was put.
    std::vector<int> ids = Ids();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    double fresh = Add(3, 4, 0.125);
    EXPECT_EQ(Real("tile_layer_find", {0.125, 5.0, 5.0}), fresh);
    EXPECT_EQ(Real("tile_find", {1e300, NAN, 0.0}), -1);
}

}  // namespace
