#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Object/Object_Main.h"
#include "Path/Path_Main.h"
#include "Room/Room_Main.h"
#include "Run/GameFile_Chunks.h"
#include "Runner/GameFile.h"
#include "Support/LoadSave.h"
#include "TimeLine/TimeLine_Main.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Builds small game data files: chunks of 32-bit words, with string fields patched to a STRG
// chunk written last.
struct Builder {
    std::vector<uint8_t> b;
    std::vector<std::pair<size_t, std::string>> strings;
    size_t chunk = 0;

    size_t Pos() const { return b.size(); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i)));
    }
    void Patch(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
    }
    void Str(const std::string& s)
    {
        strings.push_back({Pos(), s});
        U32(0);
    }
    void Begin(const char* tag)
    {
        b.insert(b.end(), tag, tag + 4);
        U32(0);
        chunk = Pos();
    }
    void End() { Patch(chunk - 4, (uint32_t)(Pos() - chunk)); }
    std::vector<uint8_t> Finish()
    {
        Begin("STRG");
        U32((uint32_t)strings.size());
        size_t table = Pos();
        for (size_t i = 0; i < strings.size(); i++) U32(0);
        for (size_t i = 0; i < strings.size(); i++) {
            Patch(table + 4 * i, (uint32_t)Pos());
            U32((uint32_t)strings[i].second.size());
            Patch(strings[i].first, (uint32_t)Pos());
            b.insert(b.end(), strings[i].second.begin(), strings[i].second.end());
            b.push_back(0);
        }
        End();
        Patch(4, (uint32_t)(b.size() - 8));
        return b;
    }
};

struct GameSpec {
    const char* header = "GEN8";
    int parentOfFirst = -1;
    int parentOfSecond = 0;
    int eventType = 3, eventNumber = 0;
    int roomInOrder = 0;
    const char* extraTag = nullptr;
    uint32_t extraCount = 0;
    uint32_t lastInstanceId = 100000, lastTileId = 10000000;
    uint32_t entryId = 100001;
    bool tile = false;
    uint32_t tileId = 10000001;
    uint32_t optionFlags = 4;
};

std::vector<uint8_t> MakeGame(const GameSpec& spec = GameSpec())
{
    Builder g;
    g.b = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
    g.Begin(spec.header);
    g.Str("demo");
    for (uint32_t v : {7u, 320u, 240u, 0u, spec.lastInstanceId, spec.lastTileId, 1u}) g.U32(v);
    g.U32((uint32_t)spec.roomInOrder);
    g.End();
    g.Begin("OPTN");
    g.U32(spec.optionFlags);
    g.U32(0);
    g.U32(1);
    g.End();
    g.Begin("PATH");
    g.U32(1);
    g.U32((uint32_t)g.Pos() + 4);
    g.Str("pth");
    for (uint32_t v : {0u, 0u, 4u, 2u}) g.U32(v);
    for (float f : {0.0f, 0.0f, 100.0f, 30.0f, 40.0f, 100.0f}) {
        uint32_t v;
        memcpy(&v, &f, 4);
        g.U32(v);
    }
    g.End();
    g.Begin("TMLN");
    g.U32(1);
    g.U32((uint32_t)g.Pos() + 4);
    g.Str("tl");
    g.U32(2);
    g.U32(5);
    g.Str("a = 1;");
    g.U32(1);
    g.Str("b = 1;");
    g.End();
    g.Begin("OBJT");
    g.U32(2);
    size_t table = g.Pos();
    g.U32(0);
    g.U32(0);
    for (int i = 0; i < 2; i++) {
        g.Patch(table + 4 * i, (uint32_t)g.Pos());
        g.Str(i == 0 ? "obj_base" : "obj_child");
        g.U32((uint32_t)-1);
        g.U32(2);
        g.U32(0);
        g.U32((uint32_t)(i == 0 ? spec.parentOfFirst : spec.parentOfSecond));
        g.U32((uint32_t)-1);
        g.U32(1);
        g.U32((uint32_t)spec.eventType);
        g.U32((uint32_t)spec.eventNumber);
        g.Str("x += 1;");
    }
    g.End();
    g.Begin("ROOM");
    g.U32(1);
    g.U32((uint32_t)g.Pos() + 4);
    g.Str("rm");
    g.U32(0);
    for (uint32_t v : {320u, 240u, 30u, 0u, 0u, 1u}) g.U32(v);
    g.U32(0);
    for (int i = 0; i < 1 + 8 * 13 + 8 * 15 + 4; i++) g.U32(0);
    g.U32(1);  // one instance
    for (uint32_t v : {10u, 20u, 1u, spec.entryId}) g.U32(v);
    g.U32(0);
    for (uint32_t v : {0x3F800000u, 0x3F800000u, 0xFFFFFFFFu, 0u}) g.U32(v);
    g.U32(spec.tile ? 1 : 0);
    if (spec.tile)
        for (uint32_t v : {0u, 0u, 0u, 0u, 0u, 16u, 16u, 0u, spec.tileId, 0x3F800000u, 0x3F800000u, 0xFFFFFFu, 0x3F800000u})
            g.U32(v);
    g.End();
    if (spec.extraTag) {
        g.Begin(spec.extraTag);
        g.U32(spec.extraCount);
        g.End();
    }
    return g.Finish();
}

class GameFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        GameFile_Free();
    }
    bool Load(const std::vector<uint8_t>& bytes)
    {
        uint8_t* buffer = (uint8_t*)MemAlloc(bytes.size() + 1);
        if (!bytes.empty()) memcpy(buffer, bytes.data(), bytes.size());
        return GameFile_LoadBuffer(buffer, bytes.size());
    }
    bool Failed() const { return capture.text.find("Failed to load the game") != std::string::npos; }

    TCapturedWarnings capture;
};

TEST_F(GameFileTest, AWellFormedFileLoadsEveryChunk)
{
    size_t blocks = MemoryManager_LiveBlocks();
    ASSERT_TRUE(Load(MakeGame())) << capture.text;
    EXPECT_STREQ(Game_Header.name, "demo");
    EXPECT_NE(std::string(LoadSave_GetSaveFolder()).find("/demo/"), std::string::npos);
    EXPECT_EQ(Game_Header.windowWidth, 320);
    EXPECT_EQ(GameFileVersion, 800);
    EXPECT_NE(capture.text.find("Process Chunk: OBJT   "), std::string::npos);
    ASSERT_EQ(Object_Count(), 2);
    EXPECT_EQ(Object_Find(1)->parent, Object_Find(0));
    EXPECT_TRUE(Object_Find(1)->IsDescendant(0));
    EXPECT_EQ(Object_GetName(5), std::string("<undefined>"));
    ASSERT_TRUE(Path_Exists(0));
    EXPECT_FLOAT_EQ(Path_Get(0)->GetLength(), 50.0f);  // from (0, 0) to (30, 40)
    ASSERT_TRUE(TimeLine_Exists(0));
    EXPECT_EQ(TimeLine_Get(0)->GetMoment(0).time, 1);  // moments come out sorted
    EXPECT_EQ(TimeLine_Get(0)->GetMoment(1).time, 5);
    ASSERT_TRUE(Room_Exists(0));
    EXPECT_EQ(Room_Get(0)->width, 320);
    ASSERT_EQ(Room_Get(0)->entries.size(), 1u);
    EXPECT_EQ(Room_Get(0)->entries[0].object, 1);
    EXPECT_EQ(Room_GetFirst(), 0);
    GameFile_Free();
    EXPECT_EQ(MemoryManager_LiveBlocks(), blocks);
}

// The option that unset variables read as 0 holds for the game whose file sets it, and no other.
TEST_F(GameFileTest, UnsetVariablesReadZeroOnlyWhenTheFileSaysSo)
{
    GameSpec spec;
    spec.optionFlags = 4 | 32;
    ASSERT_TRUE(Load(MakeGame(spec))) << capture.text;
    EXPECT_TRUE(Variable_UnsetReadsZero);
    GameFile_Free();
    ASSERT_TRUE(Load(MakeGame())) << capture.text;
    EXPECT_FALSE(Variable_UnsetReadsZero);
}

TEST_F(GameFileTest, OlderHeaderKindsSetTheVersion)
{
    GameSpec spec;
    spec.header = "GEN7";
    ASSERT_TRUE(Load(MakeGame(spec))) << capture.text;
    EXPECT_EQ(GameFileVersion, 700);
}

TEST_F(GameFileTest, EveryTruncationFailsCleanly)
{
    std::vector<uint8_t> whole = MakeGame();
    for (size_t n = 0; n < whole.size(); n++) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + n);
        capture.text.clear();
        EXPECT_FALSE(Load(part)) << n;
        EXPECT_TRUE(Failed()) << n;
        // The container's size made to agree with the cut: the damage is then inside a chunk.
        if (n >= 8) {
            uint32_t size = (uint32_t)(n - 8);
            memcpy(part.data() + 4, &size, 4);
            EXPECT_FALSE(Load(part)) << n;
        }
    }
}

TEST_F(GameFileTest, OffsetsCountsAndNamesOutsideTheFileFail)
{
    std::vector<uint8_t> whole = MakeGame();
    // Every 32-bit field in turn set to values that point or count past the end.
    for (size_t at = 8; at + 4 <= whole.size(); at += 4) {
        for (uint32_t bad : {(uint32_t)whole.size(), (uint32_t)whole.size() - 1, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            std::vector<uint8_t> copy = whole;
            memcpy(copy.data() + at, &bad, 4);
            Load(copy);  // must not crash or hang; many of these fail, some fields are free
        }
    }
    // A name at the last byte of the file, with no terminating zero.
    std::vector<uint8_t> copy = whole;
    copy.push_back('x');
    uint32_t form = (uint32_t)(copy.size() - 8);
    memcpy(copy.data() + 4, &form, 4);
    uint32_t nameField = 16;  // GEN8's first field: the game name
    uint32_t last = (uint32_t)copy.size() - 1;
    memcpy(copy.data() + nameField, &last, 4);
    EXPECT_FALSE(Load(copy));
    EXPECT_TRUE(Failed());
}

TEST_F(GameFileTest, ResourceErrorsFailTheLoad)
{
    GameSpec cycle;
    cycle.parentOfFirst = 1;  // base -> child -> base
    EXPECT_FALSE(Load(MakeGame(cycle)));
    EXPECT_NE(capture.text.find("loops"), std::string::npos);
    EXPECT_TRUE(Failed());

    GameSpec self;
    self.parentOfSecond = 1;
    EXPECT_FALSE(Load(MakeGame(self)));

    GameSpec missingParent;  // a parent that names no object just ends the chain
    missingParent.parentOfSecond = 9;
    EXPECT_TRUE(Load(MakeGame(missingParent))) << capture.text;

    for (auto [type, number] : {std::pair{12, 0}, {2, 12}, {3, 3}, {0, 1}, {4, 2}, {-1, 0}}) {
        GameSpec event;
        event.eventType = type;
        event.eventNumber = number;
        capture.text.clear();
        EXPECT_FALSE(Load(MakeGame(event))) << type << "," << number;
        EXPECT_TRUE(Failed());
    }

    GameSpec order;
    order.roomInOrder = 3;
    EXPECT_FALSE(Load(MakeGame(order)));

    GameSpec unknown;
    unknown.extraTag = "ZZZZ";
    capture.text.clear();
    EXPECT_FALSE(Load(MakeGame(unknown)));
    EXPECT_NE(capture.text.find("Unknown chunk ZZZZ"), std::string::npos);
    EXPECT_TRUE(Failed());

    GameSpec bytecode;
    bytecode.extraTag = "SPRT";  // kept for the sprite reader
    EXPECT_TRUE(Load(MakeGame(bytecode)));
    EXPECT_NE(GameFile_FindChunk("SPRT"), nullptr);
}

// The chunks that carry nothing in this runner's files (DAFL) or byte code it does not take: a
// count of 0 loads, any other is refused with the reason.
TEST_F(GameFileTest, ChunksThatMustBeEmptyRefuseACount)
{
    for (const char* tag : {"DAFL", "CODE", "FUNC", "VARI"}) {
        GameSpec empty;
        empty.extraTag = tag;
        EXPECT_TRUE(Load(MakeGame(empty))) << tag << capture.text;
        GameSpec holding = empty;
        holding.extraCount = 1;
        capture.text.clear();
        EXPECT_FALSE(Load(MakeGame(holding))) << tag;
        EXPECT_NE(capture.text.find(std::string("The ") + tag + " chunk holds 1 entries where it must hold none"),
                  std::string::npos)
            << capture.text;
        EXPECT_TRUE(Failed());
    }
}

// Ids and id counters past 1000000000 are refused; counters that new ids would collide with are
// raised: ids stay clear of object indexes and of every id placed in the rooms.
TEST_F(GameFileTest, IdsBeyondTheirBoundAreRefused)
{
    for (uint32_t bad : {0x7FFFFFFFu, 1000000001u, 0xFFFFFFFFu}) {
        GameSpec header;
        header.lastInstanceId = bad;
        EXPECT_FALSE(Load(MakeGame(header))) << bad;
        GameSpec tiles;
        tiles.lastTileId = bad;
        EXPECT_FALSE(Load(MakeGame(tiles))) << bad;
        GameSpec entry;
        entry.entryId = bad;
        EXPECT_EQ(Load(MakeGame(entry)), bad == 0xFFFFFFFFu) << bad;  // -1: the next id
        GameSpec tile;
        tile.tile = true;
        tile.tileId = bad;
        EXPECT_FALSE(Load(MakeGame(tile))) << bad;
        EXPECT_TRUE(Failed());
    }
    GameSpec highest;
    highest.lastInstanceId = highest.lastTileId = highest.entryId = 1000000000;
    highest.tile = true;
    highest.tileId = 1000000000;
    EXPECT_TRUE(Load(MakeGame(highest))) << capture.text;
    EXPECT_EQ(Room_LastInstanceId, 1000000000);
    GameSpec low;
    low.lastInstanceId = 5;
    low.tile = true;
    low.tileId = 20000000;
    ASSERT_TRUE(Load(MakeGame(low))) << capture.text;
    EXPECT_EQ(Game_Header.lastInstanceId, 100001);
    EXPECT_EQ(Room_LastInstanceId, 100001);
    EXPECT_EQ(Game_Header.lastTileId, 20000000);
    EXPECT_EQ(Room_LastTileId, 20000000);
}

TEST_F(GameFileTest, NotAContainer)
{
    EXPECT_FALSE(Load({}));
    EXPECT_FALSE(Load({'F', 'O', 'R', 'X', 0, 0, 0, 0}));
    EXPECT_FALSE(Load({'F', 'O', 'R', 'M', 0, 0, 0, 0}));  // no header chunk
    EXPECT_TRUE(Failed());
    EXPECT_FALSE(GameFile_Load("/nonexistent/data.win"));
    EXPECT_FALSE(GameFile_Load("/dev/zero"));  // would never end
    EXPECT_FALSE(GameFile_Load("/"));
}

TEST_F(GameFileTest, RandomDamageNeverCrashes)
{
    std::vector<uint8_t> whole = MakeGame();
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; round++) {
        std::vector<uint8_t> copy = whole;
        int flips = 1 + (int)(random() % 4);
        for (int i = 0; i < flips; i++) copy[8 + random() % (copy.size() - 8)] = (uint8_t)random();
        Load(copy);
    }
}

TEST_F(GameFileTest, RelocateChecksTheRange)
{
    ASSERT_TRUE(Load(MakeGame()));
    size_t size = GameFile_Size();
    EXPECT_EQ(GameFile_Relocate(0, 4), nullptr);
    EXPECT_EQ(GameFile_Relocate(8, 4), GameFile_Base() + 8);
    EXPECT_EQ(GameFile_Relocate((uint32_t)size - 4, 4), GameFile_Base() + size - 4);
    EXPECT_EQ(GameFile_Relocate((uint32_t)size - 3, 4), nullptr);
    EXPECT_EQ(GameFile_Relocate(0xFFFFFFFFu, 1), nullptr);
    uint32_t count;
    const uint32_t* offsets;
    const GameFileChunk* objt = GameFile_FindChunk("OBJT");
    ASSERT_NE(objt, nullptr);
    ASSERT_TRUE(GameFile_RelocateList(objt->offset, &count, &offsets));
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(GameFile_RelocateList((uint32_t)size - 2, &count, &offsets));
}

}  // namespace
