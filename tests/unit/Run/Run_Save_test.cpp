#include "Run/Run_Save.h"
#include "Runner/GameFile.h"
#include "Support/LoadSave.h"
#include "Variable/Variable_Main.h"
#include "../Room/World.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::string ReadAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

class SavedGames : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        // Saves go through the folder mapping, into the save folder.
        data = testing::TempDir() + "saved_games_" + std::to_string(getpid());
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        LoadSave_SetGameName("game");
        base = std::string(LoadSave_GetSaveFolder()) + "save";
        Game_Header.gameId = 777;
        thing = Object();
        Object_Find(thing)->depth = 3;
        other = Object(true);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(data);
        Game_Header.gameId = 0;
        WorldTest::TearDown();
    }
    void SetVar(CInstance* inst, const char* name, const TaggedValue& v, int index = 0)
    {
        inst->variables->Set(Code_Variable_FindOrAdd(name), index, v);
    }
    // A game in its second room with the first (persistent) room kept, instances with variables
    // and arrays, globals and game state.
    void Build()
    {
        ASSERT_NO_FATAL_FAILURE(Start(2));
        Run_Room->persistent = true;
        CInstance* kept = Put(thing, 1, 2);
        SetVar(kept, "note", TaggedValue("kept"));
        Room_Goto(1);
        Run_DoRoomChange();
        ASSERT_EQ(Run_RoomIndex, 1);
        CInstance* a = Put(thing, 10.25f, 20.5f);
        a->SetHSpeed(1.5f);
        a->SetAlarm(3, 7);
        SetVar(a, "name", TaggedValue("al\xE2\x82\xACpha"));
        SetVar(a, "grid", TaggedValue(4.0), 2 * 32000 + 5);
        CInstance* b = Put(other, -5, 1e6f);
        b->deactivated = true;
        Run_Room->UpdateActivation();
        Put(other, 3, 3)->depth = -10;
        Run_Room->ChangeDepth(Run_Room->active.back());
        Variable_Globals.Set(Code_Variable_FindOrAdd("level"), 0, TaggedValue(3.0));
        score = 120;
        health = 55.5;
        aId = a->id;
    }
    std::string Fingerprint()
    {
        EXPECT_TRUE(Game_Save((base + ".c").c_str()));
        return ReadAll(base + ".c");
    }
    bool Load(const std::string& file)
    {
        LoadGame_Pending(file.c_str());
        EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_LOAD);
        Errors().clear();
        Run_DoRoomChange();
        EXPECT_EQ(Room_NewRoom, ROOM_CHANGE_NONE);
        return Errors().empty();
    }
    std::string data, base;
    int thing = -1, other = -1, aId = 0;
};

TEST_F(SavedGames, LoadRestoresExactlyWhatWasSaved)
{
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_TRUE(Game_Save((base + ".a").c_str()));
    std::string saved = ReadAll(base + ".a");
    // Change everything, including the kept room.
    CInstance* a = Instance_Find(aId);
    a->SetPosition(99, 99);
    a->variables->Clear();
    Put(thing, 5, 5);
    Run_Room->active.front()->marked = true;
    Run_Room->FreeMarked();
    Variable_Globals.Clear();
    score = 0;
    Room_Goto(0);
    Run_DoRoomChange();
    Put(other, 8, 8);
    Room_Goto(1);
    Run_DoRoomChange();
    ASSERT_NE(Fingerprint(), saved);

    ASSERT_TRUE(Load(base + ".a"));
    EXPECT_EQ(Fingerprint(), saved);
    EXPECT_EQ(Run_RoomIndex, 1);
    a = Instance_Find(aId);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 10.25f);
    EXPECT_EQ(a->GetAlarm(3), 7);
    TaggedValue v;
    ASSERT_TRUE(a->variables->Get(Code_Variable_FindOrAdd("grid"), 2 * 32000 + 5, &v));
    EXPECT_EQ(v.GetReal(), 4.0);
    ASSERT_TRUE(a->variables->Get(Code_Variable_FindOrAdd("name"), 0, &v));
    EXPECT_EQ(std::string(v.GetString(), v.GetLength()), "al\xE2\x82\xACpha");
    EXPECT_EQ(Run_Room->deactivated.size(), 1u);
    EXPECT_EQ(Run_Room->active.front()->depth, -10);
    EXPECT_EQ(Object_Find(thing)->instances.size(), 1u);
    EXPECT_EQ(score, 120);
    // The kept room comes back with its own instance.
    Room_Goto(0);
    Run_DoRoomChange();
    ASSERT_EQ(Run_Room->active.size(), 1u);
    EXPECT_EQ(Run_Room->active.front()->x, 1);
    ASSERT_TRUE(Run_Room->active.front()->variables->Get(Code_Variable_FindOrAdd("note"), 0, &v));
    EXPECT_STREQ(v.GetString(), "kept");
}

// A file whose room list runs from the greatest depth down (as files of older runners do) loads
// into ascending depth, instances of one depth in their saved order.
TEST_F(SavedGames, ListsOfAnyOrderLoadInAscendingDepth)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    CInstance* a = Put(thing, 0, 0);
    CInstance* b = Put(other, 0, 0);
    CInstance* c = Put(thing, 0, 0);
    ASSERT_EQ(Run_Room->active.Snapshot(), (std::vector<CInstance*>{b, a, c}));
    // Depths written behind the room's back: the list, saved as it stands, runs downwards.
    b->depth = 5;
    a->depth = 1;
    c->depth = 1;
    std::vector<int> ascending{a->id, c->id, b->id};
    ASSERT_TRUE(Game_Save((base + ".a").c_str()));
    ASSERT_TRUE(Load(base + ".a"));
    std::vector<int> ids;
    for (CInstance* i : Run_Room->active) ids.push_back(i->id);
    EXPECT_EQ(ids, ascending);
}

// Ids and counters past their bound are refused, whatever else the file holds.
TEST_F(SavedGames, IdsBeyondTheirBoundAreRefused)
{
    ASSERT_NO_FATAL_FAILURE(Build());
    std::string before = Fingerprint();
    int last = Room_LastInstanceId;
    for (int* counter : {&Room_LastInstanceId, &Room_LastTileId}) {
        int kept = *counter;
        *counter = INT32_MAX;
        ASSERT_TRUE(Game_Save((base + ".b").c_str()));
        *counter = kept;
        EXPECT_FALSE(Load(base + ".b"));
    }
    CInstance* a = Instance_Find(aId);
    a->id = INT32_MAX;
    ASSERT_TRUE(Game_Save((base + ".b").c_str()));
    a->id = aId;
    EXPECT_FALSE(Load(base + ".b"));
    Run_Room->tiles.push_back(RoomTile());
    Run_Room->tiles.back().id = INT32_MAX;
    ASSERT_TRUE(Game_Save((base + ".b").c_str()));
    Run_Room->tiles.pop_back();
    EXPECT_FALSE(Load(base + ".b"));
    EXPECT_EQ(Fingerprint(), before);
    EXPECT_EQ(Room_LastInstanceId, last);
}

TEST_F(SavedGames, DamagedFilesChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_TRUE(Game_Save((base + ".a").c_str()));
    std::string saved = ReadAll(base + ".a");
    Instance_Find(aId)->SetPosition(7, 7);
    std::string before = Fingerprint();
    for (size_t n = 0; n < saved.size(); n++) {
        WriteAll(base + ".b", saved.substr(0, n));
        ASSERT_FALSE(Load(base + ".b")) << "truncated to " << n;
        ASSERT_EQ(Errors().size(), 1u);
    }
    EXPECT_EQ(Fingerprint(), before);
    EXPECT_NE(Errors()[0].find("damaged"), std::string::npos) << Errors()[0];

    std::string foreign = saved;
    foreign[4] ^= 1;
    WriteAll(base + ".b", foreign);
    EXPECT_FALSE(Load(base + ".b"));
    EXPECT_NE(Errors()[0].find("another game"), std::string::npos) << Errors()[0];
    std::string version = saved;
    version[0] = 0x1D;  // 541
    WriteAll(base + ".b", version);
    EXPECT_FALSE(Load(base + ".b"));
    EXPECT_NE(Errors()[0].find("version"), std::string::npos);
    WriteAll(base + ".b", saved + "x");
    EXPECT_FALSE(Load(base + ".b"));
    EXPECT_FALSE(Load(base + ".missing"));
    EXPECT_EQ(Fingerprint(), before);
}

// Flipped bytes either load a valid state or are refused; never a crash or a leak (sanitizers).
TEST_F(SavedGames, FlippedBytesNeverBreakTheRunner)
{
    ASSERT_NO_FATAL_FAILURE(Build());
    ASSERT_TRUE(Game_Save((base + ".a").c_str()));
    std::string saved = ReadAll(base + ".a");
    std::mt19937 random(3);
    for (int i = 0; i < 300; i++) {
        std::string damaged = saved;
        damaged[random() % damaged.size()] ^= (char)(1 << (random() % 8));
        WriteAll(base + ".b", damaged);
        if (Load(base + ".b")) {
            ASSERT_NE(Run_Room, nullptr);
        }
        if (!Run_Room) break;
    }
    ASSERT_NE(Run_Room, nullptr);
    ASSERT_TRUE(Load(base + ".a"));
    EXPECT_EQ(Fingerprint(), saved);
}

}  // namespace
