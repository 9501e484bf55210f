#include "Variable/Value.h"
#include "Base/MemoryManager.h"

#include <gtest/gtest.h>

TEST(TaggedValue, CopiesShareTextAndWritesDetach)
{
    size_t before = MemoryManager_LiveBlocks();
    {
        TaggedValue a("hello");
        TaggedValue b = a;
        EXPECT_EQ(a.str, b.str);
        b.SetString("other");
        EXPECT_STREQ(a.GetString(), "hello");
        EXPECT_STREQ(b.GetString(), "other");
        TaggedValue c = std::move(a);
        EXPECT_TRUE(a.IsReal());
        EXPECT_STREQ(c.GetString(), "hello");
        c = c;  // self-assignment keeps the text
        EXPECT_STREQ(c.GetString(), "hello");
        // A new text taken from the value's own text.
        c.SetString(c.GetString() + 1, 3);
        EXPECT_STREQ(c.GetString(), "ell");
        EXPECT_EQ(c.GetLength(), 3u);
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), before);
}

TEST(TaggedValue, EqualityFollowsKindAndEpsilon)
{
    EXPECT_TRUE(Value_Equal(TaggedValue(1.0), TaggedValue(1.000001)));
    EXPECT_FALSE(Value_Equal(TaggedValue(1.0), TaggedValue(1.001)));
    EXPECT_FALSE(Value_Equal(TaggedValue(0.0), TaggedValue("")));
    TaggedValue noText;
    noText.kind = VALUE_STRING;
    EXPECT_TRUE(Value_Equal(noText, TaggedValue("")));
    EXPECT_STREQ(noText.GetString(), "");
}
