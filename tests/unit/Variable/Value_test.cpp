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

TEST(TaggedValue, AppendGrowsOwnTextInPlaceAndDetachesShared)
{
    size_t before = MemoryManager_LiveBlocks();
    {
        TaggedValue a("ab");
        TaggedValue shared = a;
        a.Append("cd", 2);  // shared: a gets a text of its own
        EXPECT_STREQ(shared.GetString(), "ab");
        EXPECT_STREQ(a.GetString(), "abcd");
        const char* own = a.GetString();
        a.Append("ef", 2);  // alone and with room: same block
        EXPECT_EQ(a.GetString(), own);
        EXPECT_STREQ(a.GetString(), "abcdef");
        EXPECT_EQ(a.GetLength(), 6u);
        a.Append(a.GetString(), a.GetLength());  // its own text
        EXPECT_STREQ(a.GetString(), "abcdefabcdef");
        std::string expected = "abcdefabcdef";
        for (int k = 0; k < 100; k++) {
            a.Append(a.GetString() + k, 3);
            expected += expected.substr((size_t)k, 3);
        }
        EXPECT_EQ(std::string(a.GetString()), expected);
        EXPECT_EQ(a.GetLength(), expected.size());
        TaggedValue real(5.0);
        real.Append("x", 1);  // a real becomes the text
        EXPECT_TRUE(real.IsString());
        EXPECT_STREQ(real.GetString(), "x");
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), before);
}

TEST(TaggedValue, TextHashFollowsTheTextAsItGrowsInPlace)
{
    TaggedValue a("ke");
    a.Append("y", 1);  // a block grown by Append has room to grow in place
    EXPECT_EQ(a.TextHash(), TaggedValue("key").TextHash());
    const char* own = a.GetString();
    a.Append("s", 1);  // same block: the hash kept for "key" must not survive
    ASSERT_EQ(a.GetString(), own);
    EXPECT_EQ(a.TextHash(), TaggedValue("keys").TextHash());
    EXPECT_NE(a.TextHash(), TaggedValue("key").TextHash());
    a.SetString("other");
    EXPECT_EQ(a.TextHash(), TaggedValue("other").TextHash());
    EXPECT_EQ(TaggedValue(3.0).TextHash(), TaggedValue("").TextHash());
}

TEST(TaggedValue, TextEndsAtItsFirstZeroByte)
{
    TaggedValue v;
    v.SetString("ab\0cd", 5);
    EXPECT_EQ(v.GetLength(), 2u);
    v.Append("x\0y", 3);
    EXPECT_STREQ(v.GetString(), "abx");
    EXPECT_EQ(v.GetLength(), 3u);
    EXPECT_TRUE(Value_Equal(v, TaggedValue("abx")));
}

TEST(TaggedValue, CharacterCountFollowsTheTextAsItGrowsInPlace)
{
    TaggedValue a("ab");
    EXPECT_EQ(a.TextChars(), 2u);
    a.Append("\xC3\xA4", 2);  // same block, now with a character of two bytes
    EXPECT_EQ(a.TextChars(), 3u);
    a.Append("\xE2\x82\xAC" "c", 4);
    EXPECT_EQ(a.TextChars(), 5u);
    EXPECT_EQ(a.GetLength(), 8u);
    a.SetString("\xFF" "x");  // a byte that starts no character is one of its own
    EXPECT_EQ(a.TextChars(), 2u);
    EXPECT_EQ(TaggedValue(5.0).TextChars(), 0u);
}

TEST(TaggedValue, SharedOneByteTextsAreNeverWrittenOrFreed)
{
    size_t before = MemoryManager_LiveBlocks();
    {
        TaggedValue a, b;
        a.SetByte('y');
        b.SetByte('y');
        EXPECT_EQ(a.str, b.str);
        EXPECT_EQ(a.TextChars(), 1u);
        EXPECT_TRUE(Value_Equal(a, TaggedValue("y")));
        EXPECT_EQ(a.TextHash(), TaggedValue("y").TextHash());
        b.Append("!", 1);  // joins onto a text of its own
        EXPECT_STREQ(a.GetString(), "y");
        EXPECT_STREQ(b.GetString(), "y!");
        TaggedValue c = a;
        c.SetByte(0);
        EXPECT_TRUE(c.IsString());
        EXPECT_STREQ(c.GetString(), "");
        EXPECT_EQ(c.GetLength(), 0u);
        EXPECT_STREQ(a.GetString(), "y");
        a.SetByte(0xE4);
        EXPECT_EQ(a.GetLength(), 1u);
        EXPECT_EQ(a.TextChars(), 1u);
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), before);
}

TEST(TaggedValue, PrependsInPlaceOnlyIntoATextItOwnsAloneWithRoom)
{
    TaggedValue a("123");
    EXPECT_EQ(a.TextHash(), TaggedValue("123").TextHash());
    EXPECT_EQ(a.TextChars(), 3u);
    const char* own = a.GetString();
    ASSERT_TRUE(a.PrependInPlace("k\xC3\xA4y", 4));  // a new text has a few bytes to spare
    EXPECT_EQ(a.GetString(), own);
    EXPECT_STREQ(a.GetString(), "k\xC3\xA4y123");
    EXPECT_EQ(a.GetLength(), 7u);
    EXPECT_EQ(a.TextChars(), 6u);  // counted and hashed again
    EXPECT_EQ(a.TextHash(), TaggedValue("k\xC3\xA4y123").TextHash());
    ASSERT_TRUE(a.PrependInPlace("x\0yz", 4));  // a text ends at its first zero byte
    EXPECT_STREQ(a.GetString(), "xk\xC3\xA4y123");
    TaggedValue shared = a;  // a text held twice is never written
    EXPECT_FALSE(a.PrependInPlace("q", 1));
    EXPECT_STREQ(shared.GetString(), "xk\xC3\xA4y123");
    TaggedValue full("abc");
    EXPECT_FALSE(full.PrependInPlace("0123456789012345678901234567890123456789", 40));  // no room
    EXPECT_STREQ(full.GetString(), "abc");
    TaggedValue one;
    one.SetByte('z');
    EXPECT_FALSE(one.PrependInPlace("a", 1));
    EXPECT_FALSE(TaggedValue(2.0).PrependInPlace("a", 1));
}
