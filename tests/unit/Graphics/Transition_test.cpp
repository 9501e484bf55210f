#include "../Base/CapturedWarnings.h"
#include "Base/Console.h"
#include "Code/Function.h"
#include "Graphics/Graphics_Transition.h"

#include <gtest/gtest.h>

namespace {
void F_transition_test_fn(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GR_Transition_Clear();
        if (!Function_Find("transition_test_fn", &id)) {
            Function_Add("transition_test_fn", F_transition_test_fn, 0);
            ASSERT_TRUE(Function_Find("transition_test_fn", &id));
        }
    }
    void TearDown() override
    {
        GR_Transition_Clear();
    }
    TCapturedWarnings capture;
    int id = -1;
};
}

TEST_F(TransitionTest, StepsAreAtLeastOne)
{
    EXPECT_EQ(GR_Transition_Get_Steps(), 80);
    GR_Transition_Set_Steps(0);
    EXPECT_EQ(GR_Transition_Get_Steps(), 1);
    GR_Transition_Set_Steps(-40);
    EXPECT_EQ(GR_Transition_Get_Steps(), 1);
    GR_Transition_Set_Steps(250);
    EXPECT_EQ(GR_Transition_Get_Steps(), 250);
}

TEST_F(TransitionTest, OnlyTheBuiltInKindsExist)
{
    EXPECT_TRUE(GR_Transition_Exists(1));
    EXPECT_TRUE(GR_Transition_Exists(21));
    EXPECT_EQ(capture.text, "");
    EXPECT_FALSE(GR_Transition_Exists(22));
    EXPECT_EQ(capture.text, "TransFunctionExists()\n");
    EXPECT_FALSE(GR_Transition_Exists(0));
    EXPECT_FALSE(GR_Transition_Exists(-3));
}

TEST_F(TransitionTest, DefinitionsNeedAFunctionAndAKindInRange)
{
    EXPECT_TRUE(GR_Transition_Define(50, "transition_test_fn"));
    EXPECT_EQ(GR_Transition_Get_Function(50), id);
    EXPECT_FALSE(GR_Transition_Exists(50));  // a defined kind does not count as existing
    EXPECT_FALSE(GR_Transition_Define(5, "no_such_function"));
    EXPECT_EQ(GR_Transition_Get_Function(5), -1);
    EXPECT_FALSE(GR_Transition_Define(6, nullptr));
    // Found but out of range: true, nothing stored.
    EXPECT_TRUE(GR_Transition_Define(1000000, "transition_test_fn"));
    EXPECT_TRUE(GR_Transition_Define(0, "transition_test_fn"));
    EXPECT_TRUE(GR_Transition_Define(-2, "transition_test_fn"));
    EXPECT_EQ(GR_Transition_Get_Function(1000000), -1);
    EXPECT_EQ(GR_Transition_Get_Function(0), -1);
    // The highest kind grows the registry; a later definition replaces an earlier one.
    EXPECT_TRUE(GR_Transition_Define(999999, "transition_test_fn"));
    EXPECT_EQ(GR_Transition_Get_Function(999999), id);
    EXPECT_EQ(GR_Transition_Get_Function(999998), -1);
    int other;
    if (!Function_Find("transition_test_other", &other)) {
        Function_Add("transition_test_other", F_transition_test_fn, 0);
        ASSERT_TRUE(Function_Find("transition_test_other", &other));
    }
    EXPECT_TRUE(GR_Transition_Define(50, "transition_test_other"));
    EXPECT_EQ(GR_Transition_Get_Function(50), other);
}
