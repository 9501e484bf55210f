// The tile built-ins on the current room: fields by id, the depth-0 rules of the place built-ins,
// and hostile values. Edges and layer order are played by the display_tiles test game.
#include "BuiltinCall.h"

#include "Background/Background_Main.h"
#include "Function/Function_Graphics.h"
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

TEST_F(TileBuiltins, FieldsByIdAndMissingTiles)
{
    EXPECT_EQ(Real("tile_add", {background + 1.0, 0.0, 0.0, 4.0, 4.0, 0.0, 0.0, 0.0}), -1);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("Background does not exist."), std::string::npos);
    EXPECT_TRUE(room.tiles.empty());

    double first = Add(0, 0, 0);
    double id = Real("tile_add", {(double)background, 1.0, 2.0, 30.0, 40.0, 5.5, -6.25, 100.0});
    EXPECT_GT(id, first);
    const double want[][2] = {{5.5, -6.25}, {1, 2}, {30, 40}, {100, 1}, {1, 1}, {0xFFFFFF, 1}};
    const char* names[][2] = {{"tile_get_x", "tile_get_y"}, {"tile_get_left", "tile_get_top"},
                              {"tile_get_width", "tile_get_height"}, {"tile_get_depth", "tile_get_visible"},
                              {"tile_get_xscale", "tile_get_yscale"}, {"tile_get_blend", "tile_get_alpha"}};
    for (int i = 0; i < 6; i++)
        for (int k = 0; k < 2; k++) EXPECT_EQ(Real(names[i][k], {id}), want[i][k]) << names[i][k];
    EXPECT_EQ(Real("tile_get_background", {id}), background);

    Call("tile_set_position", {id, -1.5, 2.5});
    Call("tile_set_visible", {id, 0.49999999});  // 0.5 in single precision: visible
    Call("tile_set_region", {id, 3.0, 4.0, 5.0, 6.0});
    Call("tile_set_scale", {id, 2.0, -1.0});
    Call("tile_set_blend", {id, -1.0});
    Call("tile_set_alpha", {id, 0.25});
    Call("tile_set_background", {id, 77.0});  // any index is kept
    Call("tile_set_depth", {id, -5.0});
    const RoomTile& t = room.tiles[1];
    EXPECT_EQ(t.id, (int)id);
    EXPECT_EQ(t.x + t.y, 1.0f);
    EXPECT_EQ(t.visible, 1);
    EXPECT_EQ(t.left * 1000 + t.top * 100 + t.width * 10 + t.height, 3456);
    EXPECT_EQ(t.xscale * 10 + t.yscale, 19.0f);
    EXPECT_EQ(Real("tile_get_blend", {id}), 4294967295.0);
    EXPECT_EQ(t.alpha, 0.25f);
    EXPECT_EQ(t.background, 77);
    EXPECT_EQ(t.depth, -5.0f);
    EXPECT_EQ(Ids(), (std::vector<int>{(int)first, (int)id}));  // a new depth keeps the order

    // The position getters narrow the id to single precision: 16777217 reads as 16777216.
    Room_LastTileId = 16777216;
    double far = Add(7, 8, 0);
    ASSERT_EQ(far, 16777217);
    EXPECT_EQ(Real("tile_get_width", {far}), 10);
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Real("tile_get_x", {far}), 0);

    // A deleted tile is gone and later ones move down; a missing id is reported by every user.
    Call("tile_delete", {first});
    EXPECT_EQ(Ids(), (std::vector<int>{(int)id, (int)far}));
    EXPECT_EQ(Real("tile_exists", {first}), 0);
    Call("tile_set_alpha", {first, 0.5});
    Call("tile_delete", {first});
    ASSERT_EQ(Errors().size(), 4u);
    for (size_t i = 1; i < 4; i++) EXPECT_NE(Errors()[i].find("Tile does not exist."), std::string::npos);
}

// Depth 0 is background for finding but both for deleting.
TEST_F(TileBuiltins, DepthZeroAtPlaces)
{
    double zero = Add(20, 0, 0);
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 0.0}), zero);
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 1.0}), -1);
    Call("tile_delete_at", {30.0, 10.0, 1.0});
    EXPECT_EQ(Real("tile_exists", {zero}), 0);
    double again = Add(20, 0, 0);
    double front = Add(20, 0, -1);
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 0.49999999}), again);  // the flag is "at least 0.5"
    EXPECT_EQ(Real("tile_find", {25.0, 5.0, 0.5}), front);
    Call("tile_delete_at", {20.0, 0.0, 0.0});
    EXPECT_EQ(Ids(), (std::vector<int>{(int)front}));
    EXPECT_TRUE(Errors().empty());
}

// Without a current room (extension initialisation) nothing is found or changed.
TEST_F(TileBuiltins, WithoutARoom)
{
    double id = Add(0, 0, 0);
    Run_Room = nullptr;
    EXPECT_EQ(Add(0, 0, 0), -1);
    EXPECT_EQ(Real("tile_find", {5.0, 5.0, 0.0}), -1);
    EXPECT_EQ(Real("tile_layer_find", {0.0, 5.0, 5.0}), -1);
    EXPECT_EQ(Real("tile_exists", {id}), 0);
    Call("tile_layer_delete", {0.0});
    Call("tile_set_depth", {id, 3.0});
    EXPECT_EQ(Errors().size(), 1u);
    Run_Room = &room;
    EXPECT_EQ(room.tiles.size(), 1u);
    EXPECT_EQ(room.tiles[0].depth, 0.0f);
}

TEST_F(TileBuiltins, HostileArgumentsAreHarmless)
{
    double id = Add(0, 0, 0);
    const TaggedValue patterns[] = {TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300),
                                    TaggedValue(-1.0), TaggedValue(2147483647.0), S("12")};
    for (const TaggedValue& p : patterns)
        for (int i = 0; i < Function_Count(); i++) {
            const RFunction* f = Function_Get(i);
            if (strncmp(f->name, "tile_", 5) != 0) continue;
            std::vector<TaggedValue> args((size_t)f->argc, p);
            Call(f->name, args);
            // Again with the first argument naming the tile (or the background) that exists.
            if (args.empty() || strcmp(f->name, "tile_delete") == 0) continue;
            args[0] = TaggedValue(strcmp(f->name, "tile_add") == 0 ? (double)background : id);
            Call(f->name, args);
        }
    // The tiles stay usable: ids unique, a new tile found where it was put.
    std::vector<int> ids = Ids();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    double fresh = Add(3, 4, 0.125);
    EXPECT_EQ(Real("tile_layer_find", {0.125, 5.0, 5.0}), fresh);
}

}  // namespace
