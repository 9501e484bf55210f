// The achievement post queue: its cache file byte for byte, damaged cache files, the size limit,
// and the tick's posts, retries and rests against a platform whose posts the test answers.
#include "Function/Quenby_Functions.h"
#include "../Base/CapturedWarnings.h"
#include "FileFolders.h"

#include <cstring>
#include <vector>

namespace {

struct Post {
    uint32_t kind;
    std::string name;
    double value;
};
std::vector<Post> Posts;

void PostInteger(uint32_t kind, const char* name, int32_t value) { Posts.push_back({kind, name, (double)value}); }
void PostFloat(uint32_t kind, const char* name, float value) { Posts.push_back({kind, name, value}); }
const AchievementPoster Recorder = {PostInteger, PostFloat};

uint32_t Bits(float f)
{
    uint32_t bits;
    memcpy(&bits, &f, sizeof bits);
    return bits;
}

const std::string Example("\x01\x00\x00\x00"
                          "a\x00"
                          "\x05\x00\x00\x00"
                          "\x02\x00\x00\x00"
                          "bb\x00"
                          "\x00\x00\xC0\x3F",
                          21);

class AchievementQueue : public FileFolders {
protected:
    void Register() override {}
    void SetUp() override
    {
        FileFolders::SetUp();
        AchievementQueue_Clear();
        AchievementQueue_SetPoster(&Recorder);
        AchievementQueue_SetServiceAvailable(true);
        Posts.clear();
    }
    void TearDown() override
    {
        AchievementQueue_Clear();
        AchievementQueue_SetPoster(nullptr);
        AchievementQueue_SetServiceAvailable(false);
        FileFolders::TearDown();
    }
    std::string Cache() const { return Get(save / "achievementcache.dat"); }
    static std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int i = 0; i < AchievementQueue_Count(); i++) names.push_back(AchievementQueue_Get(i)->name);
        return names;
    }
    static void Ticks(int n)
    {
        for (int i = 0; i < n; i++) AchievementQueue_Tick();
    }
    TCapturedWarnings warnings;
};

TEST_F(AchievementQueue, EveryChangeRewritesTheCacheFileInItsFormat)
{
    ASSERT_TRUE(AchievementQueue_Enqueue(1, "a", 5));
    EXPECT_EQ(Cache(), Example.substr(0, 10));
    ASSERT_TRUE(AchievementQueue_Enqueue(2, "bb", Bits(1.5f)));
    EXPECT_EQ(Cache(), Example);
    // The head is posted and goes: the file holds the rest.
    AchievementQueue_Tick();
    AchievementQueue_Report(true);
    AchievementQueue_Tick();
    EXPECT_EQ(Cache(), Example.substr(10));
    AchievementQueue_Tick();
    AchievementQueue_Report(true);
    AchievementQueue_Tick();
    EXPECT_EQ(Cache(), "") << "an empty queue is an empty file";
}

TEST_F(AchievementQueue, LoadingTakesWholeRecordsAndWritesNothing)
{
    Put(save / "achievementcache.dat", Example);
    ASSERT_TRUE(AchievementQueue_Load());
    ASSERT_EQ(AchievementQueue_Count(), 2);
    EXPECT_EQ(AchievementQueue_Get(0)->kind, 1u);
    EXPECT_EQ(AchievementQueue_Get(0)->value, 5u);
    EXPECT_EQ(AchievementQueue_Get(1)->name, "bb");
    EXPECT_EQ(AchievementQueue_Get(1)->value, Bits(1.5f));
    // With entries queued a load changes nothing.
    Put(save / "achievementcache.dat", Example.substr(0, 10));
    AchievementQueue_Load();
    EXPECT_EQ(AchievementQueue_Count(), 2);

    // Every cut of the example: whole records only, and the file is left as it was.
    for (size_t cut = 0; cut < Example.size(); cut++) {
        AchievementQueue_Clear();
        Put(save / "achievementcache.dat", Example.substr(0, cut));
        EXPECT_EQ(AchievementQueue_Load(), cut == 0 || cut == 10) << cut;
        EXPECT_EQ(AchievementQueue_Count(), cut < 10 ? 0 : 1) << cut;
        EXPECT_EQ(Cache(), Example.substr(0, cut));
    }
    EXPECT_NE(warnings.text.find("achievementcache.dat: 10 bytes after the last whole record were dropped"),
              std::string::npos);

    // Garbage: no terminated name, a name running to the end, a record of zeros.
    for (const std::string& garbage : {std::string("\xFF\xFF\xFF\xFFnever ends", 14), std::string(3, '\xAB'),
                                       std::string(8, 'x') + std::string(1, '\0'), std::string(9, '\0')}) {
        AchievementQueue_Clear();
        Put(save / "achievementcache.dat", garbage);
        AchievementQueue_Load();
        EXPECT_EQ(AchievementQueue_Count(), garbage == std::string(9, '\0') ? 1 : 0);
    }
    // A missing file leaves the queue empty.
    AchievementQueue_Clear();
    fs::remove(save / "achievementcache.dat");
    EXPECT_TRUE(AchievementQueue_Load());
    EXPECT_EQ(AchievementQueue_Count(), 0);
}

TEST_F(AchievementQueue, HoldsAtMost2049Entries)
{
    std::string records;
    for (int i = 0; i < 3000; i++) records += std::string("\x01\x00\x00\x00s\x00\x00\x00\x00\x00", 10);
    Put(save / "achievementcache.dat", records.substr(0, (size_t)ACHIEVEMENT_QUEUE_LIMIT * 10));
    ASSERT_TRUE(AchievementQueue_Load());
    ASSERT_EQ(AchievementQueue_Count(), ACHIEVEMENT_QUEUE_LIMIT);
    EXPECT_TRUE(AchievementQueue_Enqueue(1, "last", 0)) << "with 2048 queued one more is taken";
    EXPECT_FALSE(AchievementQueue_Enqueue(1, "dropped", 0)) << "with 2049 queued the next is dropped";
    EXPECT_EQ(AchievementQueue_Count(), ACHIEVEMENT_QUEUE_LIMIT + 1);
    EXPECT_EQ(Cache().size(), (size_t)ACHIEVEMENT_QUEUE_LIMIT * 10 + 13);
    // A longer file loads only as far as the limit.
    Put(save / "achievementcache.dat", records);
    AchievementQueue_Clear();
    EXPECT_TRUE(AchievementQueue_Load());
    EXPECT_EQ(AchievementQueue_Count(), ACHIEVEMENT_QUEUE_LIMIT + 1);
}

TEST_F(AchievementQueue, TheTickPostsByKindAndRetriesAFailureBehindTheOthers)
{
    AchievementQueue_Enqueue(1, "score", (uint32_t)-7);
    AchievementQueue_Enqueue(3, "badge", Bits(50.5f));
    AchievementQueue_Enqueue(4, "later", 9);

    AchievementQueue_SetServiceAvailable(false);
    Ticks(5);
    EXPECT_TRUE(Posts.empty()) << "no service, no post";
    AchievementQueue_SetServiceAvailable(true);

    AchievementQueue_Tick();
    ASSERT_EQ(Posts.size(), 1u);
    EXPECT_EQ(Posts[0].kind, 1u);
    EXPECT_EQ(Posts[0].value, -7);
    Ticks(10);
    EXPECT_EQ(Posts.size(), 1u) << "a post waits for its outcome";

    AchievementQueue_Report(false);
    AchievementQueue_Tick();
    EXPECT_EQ(Names(), (std::vector<std::string>{"badge", "later", "score"}));
    EXPECT_EQ(Cache().substr(0, 4), std::string("\x03\x00\x00\x00", 4)) << "the move is written";
    // It rests 600 steps, then the next in line goes out.
    Ticks(ACHIEVEMENT_RETRY_STEPS + 1);
    EXPECT_EQ(Posts.size(), 1u);
    AchievementQueue_Tick();
    ASSERT_EQ(Posts.size(), 2u);
    EXPECT_EQ(Posts[1].name, "badge");
    EXPECT_EQ(Posts[1].kind, 3u);
    EXPECT_EQ(Posts[1].value, 50.5);
    AchievementQueue_Report(true);
    AchievementQueue_Tick();
    EXPECT_EQ(Names(), (std::vector<std::string>{"later", "score"}));
    // The failed one is posted again in its turn.
    AchievementQueue_Tick();
    AchievementQueue_Report(true);
    AchievementQueue_Tick();
    AchievementQueue_Tick();
    ASSERT_EQ(Posts.size(), 4u);
    EXPECT_EQ(Posts[3].name, "score");
    EXPECT_EQ(Posts[3].value, -7);
}

TEST_F(AchievementQueue, UnknownKindsAreDroppedAndStrayOutcomesIgnored)
{
    AchievementQueue_Enqueue(7, "odd", 0);
    AchievementQueue_Enqueue(1, "next", 2);
    AchievementQueue_Report(true);
    AchievementQueue_Tick();
    EXPECT_EQ(Names(), (std::vector<std::string>{"next"})) << "an outcome with no post waiting removes nothing";
    EXPECT_TRUE(Posts.empty());
    EXPECT_EQ(Cache(), std::string("\x01\x00\x00\x00next\x00\x02\x00\x00\x00", 13));
    Ticks(ACHIEVEMENT_RETRY_STEPS + 1);
    EXPECT_TRUE(Posts.empty()) << "the queue rests after dropping an entry";
    AchievementQueue_Tick();
    EXPECT_EQ(Posts.size(), 1u);
}

TEST_F(AchievementQueue, TheExitWritesTheQueueOnceMore)
{
    AchievementQueue_Enqueue(1, "kept", 3);
    fs::remove(save / "achievementcache.dat");
    Quenby_Exit();
    EXPECT_EQ(Cache(), std::string("\x01\x00\x00\x00kept\x00\x03\x00\x00\x00", 13));
    // Loading the file back after a restart gives the same queue.
    AchievementQueue_Clear();
    AchievementQueue_Load();
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept"}));
}

}  // namespace
