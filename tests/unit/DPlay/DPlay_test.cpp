// The multiplayer layer without a transport: the shared slots' bounds, the local message queue's
// limit and copies, and the sender's name.
#include "DPlay/DPlay.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Multiplayer : public ::testing::Test {
protected:
    void TearDown() override { DPlay_Reset(); }
};

TEST_F(Multiplayer, SharedSlotsReachTheirLastIndexAndNoFurther)
{
    TaggedValue out("untouched");
    EXPECT_FALSE(DPlay_Shared_Read(DPLAY_SHARED_MAX, &out)) << "the network read answers false";
    EXPECT_EQ(DPlay_Shared_Length(), DPLAY_SHARED_MAX + 1);
    EXPECT_TRUE(out.IsReal());
    EXPECT_EQ(out.GetReal(), 0.0);

    for (int index : {DPLAY_SHARED_MAX + 1, -1, -1000000, INT32_MIN}) {
        TaggedValue kept("untouched");
        EXPECT_FALSE(DPlay_Shared_Read(index, &kept)) << index;
        EXPECT_STREQ(kept.GetString(), "untouched") << index;
        EXPECT_FALSE(DPlay_Shared_Write(index, TaggedValue(1.0))) << index;
        EXPECT_FALSE(DPlay_Shared_Set(index, TaggedValue(1.0))) << index;
    }
    EXPECT_EQ(DPlay_Shared_Length(), DPLAY_SHARED_MAX + 1) << "nothing grew past the last index";
    DPlay_Shared_Free();
    EXPECT_EQ(DPlay_Shared_Length(), 0);
}

TEST_F(Multiplayer, SlotsHoldCopiesAndUnsentWritesChangeNothing)
{
    {
        TaggedValue text("shared text");
        ASSERT_TRUE(DPlay_Shared_Set(3, text));
        text.SetString("changed");
    }
    TaggedValue out;
    DPlay_Shared_Read(3, &out);
    EXPECT_STREQ(out.GetString(), "shared text");
    EXPECT_EQ(DPlay_Shared_Length(), 4);
    EXPECT_FALSE(DPlay_Shared_Write(3, TaggedValue(9.0))) << "no network took the value";
    DPlay_Shared_Read(3, &out);
    EXPECT_STREQ(out.GetString(), "shared text");
    EXPECT_FALSE(DPlay_DataWrite(3, TaggedValue(9.0)));
    TaggedValue read;
    EXPECT_FALSE(DPlay_DataRead(3, &read));
    EXPECT_STREQ(read.GetString(), "shared text");
}

TEST_F(Multiplayer, TheQueueDropsThe4001stMessageAndKeepsItsOwnCopies)
{
    for (int i = 0; i < DPLAY_QUEUE_MAX; i++) {
        DPlay_Message m;
        m.id = i;
        m.value.SetString(("message " + std::to_string(i)).c_str());
        ASSERT_TRUE(DPlay_MessageQueue_Push(m));
    }
    DPlay_Message extra;
    extra.value.SetString("one too many");
    EXPECT_FALSE(DPlay_MessageQueue_Push(extra));
    EXPECT_EQ(DPlay_MessageQueue_Count(), DPLAY_QUEUE_MAX);
    EXPECT_STREQ(DPlay_MessageQueue_Get(0)->value.GetString(), "message 0");
    EXPECT_STREQ(DPlay_MessageQueue_Get(DPLAY_QUEUE_MAX - 1)->value.GetString(), "message 3999");
    EXPECT_EQ(DPlay_MessageQueue_Get(DPLAY_QUEUE_MAX), nullptr);
    EXPECT_EQ(DPlay_MessageQueue_Get(-1), nullptr);
    DPlay_MessageQueue_Clear();
    EXPECT_EQ(DPlay_MessageQueue_Count(), 0);
    EXPECT_TRUE(DPlay_MessageQueue_Push(extra));
}

TEST_F(Multiplayer, TheSenderIsNamedFromThePlayerList)
{
    EXPECT_STREQ(DPlay_MessageName(), "(unknown)");
    DPlay_AddPlayer(5, "Ann");
    EXPECT_STREQ(DPlay_MessageName(), "(unknown)") << "the last message came from player 0";
    DPlay_AddPlayer(0, nullptr);
    EXPECT_STREQ(DPlay_MessageName(), "");
    EXPECT_EQ(DPlay_PlayerFind(), 2);
    EXPECT_STREQ(DPlay_PlayerName(0), "Ann");
    EXPECT_EQ(DPlay_PlayerId(0), 5);
    EXPECT_EQ(DPlay_PlayerName(2), nullptr);
    EXPECT_EQ(DPlay_PlayerName(-1), nullptr);
    DPlay_Reset();
    EXPECT_EQ(DPlay_PlayerFind(), 0);
}

}  // namespace
