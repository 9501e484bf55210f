#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_List.h"
#include "Variable/Variable_Main.h"
#include "Object/Instance_Class.h"

#include <gtest/gtest.h>

TEST(CVariableList, StoresTwoDimensionalArraysByRow)
{
    CVariableList list;
    TaggedValue v;
    EXPECT_EQ(list.Lookup(100001, 0, &v), VARIABLE_MISSING);
    ASSERT_TRUE(list.Set(100001, 2 * ARRAY_DIMENSION + 3, TaggedValue("x")));
    EXPECT_EQ(list.Lookup(100001, 2 * ARRAY_DIMENSION + 3, &v), VARIABLE_OK);
    EXPECT_STREQ(v.GetString(), "x");
    // The gap before an element in its row reads 0; other rows and columns are not stored.
    EXPECT_EQ(list.Lookup(100001, 2 * ARRAY_DIMENSION + 1, &v), VARIABLE_OK);
    EXPECT_TRUE(v.IsReal());
    EXPECT_EQ(v.val, 0.0);
    EXPECT_EQ(list.Lookup(100001, 2 * ARRAY_DIMENSION + 4, &v), VARIABLE_RANGE);
    EXPECT_EQ(list.Lookup(100001, 1 * ARRAY_DIMENSION, &v), VARIABLE_RANGE);
    EXPECT_EQ(list.Lookup(100001, -1, &v), VARIABLE_RANGE);
    // Element 0 is the plain value.
    EXPECT_EQ(list.Lookup(100001, 0, &v), VARIABLE_OK);
    ASSERT_TRUE(list.Set(100001, 0, TaggedValue(5.0)));
    EXPECT_TRUE(list.Get(100001, 0, &v));
    EXPECT_EQ(v.val, 5.0);
    // The last element exists; indexes past it and negative ones are refused.
    EXPECT_TRUE(list.Set(100001, ARRAY_DIMENSION * ARRAY_DIMENSION - 1, TaggedValue(1.0)));
    EXPECT_FALSE(list.Set(100001, ARRAY_DIMENSION * ARRAY_DIMENSION, TaggedValue(1.0)));
    EXPECT_FALSE(list.Set(100002, -5, TaggedValue(1.0)));
    EXPECT_EQ(list.Find(100002), nullptr);
    EXPECT_EQ(list.Count(), 1);
}

namespace {
double g_level = 0;
bool GetLevel(CInstance*, int index, TaggedValue* out)
{
    out->SetReal(g_level + index);
    return true;
}
bool SetLevel(CInstance*, int index, const TaggedValue* v)
{
    g_level = v->GetReal() - index;
    return true;
}
}  // namespace

TEST(Variables, IdsAndRoutingOfBuiltIns)
{
    Variable_BuiltIn_Add("test_level", GetLevel, SetLevel, true);
    Variable_BuiltIn_Add("test_fixed", GetLevel, nullptr, false);
    int level = Code_Variable_FindOrAdd("test_level");
    EXPECT_EQ(level, Variable_BuiltIn_Find("test_level"));
    EXPECT_LT(level, VARIABLE_USER_BASE);
    int user = Code_Variable_FindOrAdd("test_user_var");
    EXPECT_GE(user, VARIABLE_USER_BASE);
    EXPECT_EQ(Code_Variable_FindOrAdd("test_user_var"), user);
    EXPECT_STREQ(Code_Variable_GetName(user), "test_user_var");
    EXPECT_STREQ(Code_Variable_GetName(level), "test_level");
    EXPECT_EQ(Code_Variable_FindOrAdd(""), -1);

    CInstance inst(900001, 0, 0, 0);
    TaggedValue v(7.0);
    EXPECT_TRUE(Instance_SetVariable(&inst, level, 2, &v));
    EXPECT_EQ(g_level, 5.0);
    EXPECT_TRUE(Instance_GetVariable(&inst, level, 1, &v));
    EXPECT_EQ(v.val, 6.0);
    EXPECT_FALSE(Instance_SetVariable(&inst, Code_Variable_FindOrAdd("test_fixed"), 0, &v));
    EXPECT_FALSE(Instance_GetVariable(&inst, user, 0, &v));
    EXPECT_TRUE(Instance_SetVariable(&inst, user, 0, &v));
    EXPECT_TRUE(Instance_GetVariable(&inst, user, 0, &v));
    EXPECT_FALSE(Instance_GetVariable(nullptr, user, 0, &v));
    // Built-ins are not members of the global list.
    EXPECT_FALSE(Variable_Global_Set(level, 0, &v));
    EXPECT_TRUE(Variable_Global_Set(user, 3, &v));
    EXPECT_TRUE(Variable_Global_Get(user, 3, &v));
    EXPECT_EQ(v.val, 6.0);
}
