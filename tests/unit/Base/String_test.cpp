#include "Base/MemoryManager.h"
#include "Base/String.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(String, ConcatJoinsPartsAndMayReadTheOldString)
{
    size_t live = MemoryManager_LiveBlocks();
    char* s = String_Concat(nullptr, "__newsprite", nullptr, "", "12");
    EXPECT_STREQ(s, "__newsprite12");
    // The old string is freed only after the parts were copied, so it can be one of them.
    s = String_Concat(s, s, "-", s);
    EXPECT_STREQ(s, "__newsprite12-__newsprite12");
    s = String_Concat(s, "1", "2", "3", "4", "5", "6", "7", "8", "9", "10");
    EXPECT_STREQ(s, "12345678910");
    s = String_Concat(s, nullptr);
    EXPECT_STREQ(s, "");
    MemFree(s);
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

TEST(String, TrimAssignAndPos)
{
    size_t live = MemoryManager_LiveBlocks();
    char* s = nullptr;
    TrimAssign(&s, " \t\r\n a b \x01\x1F");
    EXPECT_STREQ(s, "a b");
    TrimAssign(&s, s);  // from itself
    EXPECT_STREQ(s, "a b");
    TrimAssign(&s, "\xC2\xA0x\xC2\xA0");  // UTF-8 bytes are 128 and up: kept
    EXPECT_STREQ(s, "\xC2\xA0x\xC2\xA0");
    TrimAssign(&s, "   ");
    EXPECT_STREQ(s, "");
    TrimAssign(&s, nullptr);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);

    EXPECT_EQ(Pos("c", "abcabc"), 3);
    EXPECT_EQ(Pos("abc", "abcabc"), 1);
    EXPECT_EQ(Pos("", "abc"), 1);
    EXPECT_EQ(Pos("", ""), 1);
    EXPECT_EQ(Pos("d", "abc"), 0);
    EXPECT_EQ(Pos("abcd", "abc"), 0);
    EXPECT_EQ(Pos(nullptr, "abc"), 0);
    EXPECT_EQ(Pos("a", nullptr), 0);
}

TEST(String, HashToNewline)
{
    struct Row { const char* in; const char* out; int characters; };
    const Row rows[] = {
        {"a#b", "a\rb", 3},
        {"a\\#b", "a#b", 3},
        {"\\\\#", "\\#", 2},      // only the backslash directly before "#" goes
        {"\\a\\", "\\a\\", 3},    // other backslashes stay
        {"##\\#", "\r\r#", 3},
        {"\xC3\xA9#\xE2\x82\xAC", "\xC3\xA9\r\xE2\x82\xAC", 3},  // characters, not bytes
        {"", "", 0},
    };
    for (const Row& r : rows) {
        std::string text = r.in;
        EXPECT_EQ(Text_HashToNewline(text.data()), r.characters) << r.in;
        EXPECT_STREQ(text.c_str(), r.out) << r.in;
    }
}

TEST(String, RealsUseTheCLocale)
{
    // The setup script installs de_DE.UTF-8 (locales-all), whose decimal separator is a comma.
    const char* previous = setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup installs it)";
    const char* end = nullptr;
    const char* text = " -12.5e1x";
    EXPECT_EQ(String_ToReal(text, &end), -125.0);
    EXPECT_EQ(end, text + 8);
    char out[32];
    String_FromReal(out, sizeof(out), "%.2f", 3.14159);
    EXPECT_STREQ(out, "3.14");
    setlocale(LC_ALL, saved.c_str());
}

TEST(String, ToRealReadsOnlyDecimalNumbers)
{
    struct Row { const char* in; double value; int consumed; };
    const Row rows[] = {
        {"42", 42, 2}, {".5", 0.5, 2}, {"+3.", 3, 3}, {"1e3e", 1000, 3},
        {"0x1A", 0, 1}, {"inf", 0, 0}, {"nan", 0, 0}, {"-", 0, 0}, {".", 0, 0}, {"", 0, 0}, {"abc", 0, 0},
    };
    for (const Row& r : rows) {
        const char* end = nullptr;
        EXPECT_EQ(String_ToReal(r.in, &end), r.value) << r.in;
        EXPECT_EQ(end - r.in, r.consumed) << r.in;
    }
    EXPECT_EQ(String_ToReal(nullptr, nullptr), 0.0);
}

TEST(String, StringListSplitsOneBuffer)
{
    TStringList list;
    list.SetText("one\r\ntwo\n\nthree\rfour\n");
    ASSERT_EQ(list.count, 5);
    const char* expected[] = {"one", "two", "", "three", "four"};
    int i = 0;
    for (TStringListNode* n = list.head; n; n = n->next, i++) {
        EXPECT_STREQ(n->text, expected[i]);
        EXPECT_TRUE(n->text >= list.buffer && n->text < list.buffer + MemoryManager_GetSize(list.buffer));
    }
    EXPECT_STREQ(list.tail->text, "four");
    list.Clear();
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.buffer, nullptr);
}
